// Runs of the shipped plug-in by an editor that loads it for one use and unloads it right
// after: the tests of what an unloaded plug-in leaves behind share them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "tools/testhost/test_host.h"

// An RGB image of diagonal stripes, different in each plane, at 8 bits.
HostImage StripedImage(int32_t width, int32_t height);

// Loads the plug-in, runs it once with the settings replayed (the editor's "last filter"
// command) through its finish, and unloads it at once. Returns the module the session loaded;
// the session is gone when this returns. firstRow, when given, gets the output's first row.
HMODULE RunAndUnload(const HostImage& image, const Descriptor& settings,
                     std::vector<uint16_t>* firstRow = nullptr);

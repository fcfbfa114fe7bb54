// The folder of the plug-in file.
#pragma once

#include <cstddef>

// Fills the folder slot of gContext with the plug-in module's folder, trailing backslash
// kept; empty when the name has no backslash or cannot be had. Returns the slot.
const char* GetPluginFolder();

// The folder part of a path: everything up to and including its last backslash; empty for a
// path without one. Always terminated; a folder that does not fit gives an empty text.
void CopyPathFolder(char* out, size_t size, const char* path);

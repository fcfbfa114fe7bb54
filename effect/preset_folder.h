// The preset folder's listing into ARRAY_PRESET_PATHS, and the logged-settings file written
// after OK into the log folder under the document's name.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

constexpr int32_t kPresetPathBytes = 512;  // one row of ARRAY_PRESET_PATHS

// --- Pure ------------------------------------------------------------------------------------
// An entry is listed when it is no folder and its name holds ".glp", ".gop" or ".acv"
// anywhere (in any case), so that "x.glp.bak" is offered too.
bool PresetFolderListsEntry(const char* name, DWORD attributes);
// The file name a document's settings are logged under: the title's part behind its last
// backslash, or the milliseconds since load when there is no title, with every character
// Windows forbids in a name replaced by "_", then ".glp".
std::string LogFileName(const char* documentTitle, int32_t msSinceLoad);

// --- Files -----------------------------------------------------------------------------------
// Refills ARRAY_PRESET_PATHS with "folder\name" of every entry listed, in the order the search
// returns them; the array is released when there is none. Returns the number of paths.
int32_t ScanPresetFolder(const char* folder);
// Marks the groups in use and writes them to logFolder\LogFileName(...). 1 saved; 0 not
// (the user is told, and an older log of that name stays as it was).
int32_t LogSettings(const char* logFolder, const char* documentTitle, int32_t msSinceLoad);

// The folder of the plug-in file.
#pragma once

// Fills the folder slot of gContext with the plug-in module's folder, trailing backslash
// kept; empty when the name has no backslash or cannot be had. Returns the slot.
const char* GetPluginFolder();

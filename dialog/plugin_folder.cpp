// The plug-in's own folder, the last place the settings code looks for files.

#include "dialog/plugin_folder.h"

#include <windows.h>

#include <cstring>

#include "host/effect_context.h"
#include "host/plugin_data.h"

const char* GetPluginFolder() {
    char* folder = gContext.pluginFolder;
    const DWORD size = sizeof gContext.pluginFolder;
    DWORD length = GetModuleFileNameA(gModule, folder, size);
    if (length == 0 || length >= size) {
        folder[0] = '\0';
        return folder;
    }
    char* lastBackslash = strrchr(folder, '\\');
    if (lastBackslash)
        lastBackslash[1] = '\0';
    else
        folder[0] = '\0';
    return folder;
}

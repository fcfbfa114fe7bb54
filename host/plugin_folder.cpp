// The plug-in's own folder, the last place the settings code looks for files.

#include "host/plugin_folder.h"

#include <windows.h>

#include <cstring>

#include "host/effect_context.h"
#include "host/plugin_data.h"

void CopyPathFolder(char* out, size_t size, const char* path) {
    if (!out || size == 0) return;
    out[0] = '\0';
    if (!path) return;
    const char* lastBackslash = strrchr(path, '\\');
    if (!lastBackslash) return;
    size_t length = size_t(lastBackslash - path) + 1;
    if (length >= size) return;
    memcpy(out, path, length);
    out[length] = '\0';
}

const char* GetPluginFolder() {
    char path[kEscapeStringBytes] = "";
    DWORD length = GetModuleFileNameA(gModule, path, sizeof path);
    // A cut path would give a folder that does not exist: better none at all.
    if (length == 0 || length >= sizeof path) path[0] = '\0';
    CopyPathFolder(gContext.pluginFolder, sizeof gContext.pluginFolder, path);
    return gContext.pluginFolder;
}

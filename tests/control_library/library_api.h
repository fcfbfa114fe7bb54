// The control library as the window tests reach it inside the scripted test plug-in: a table
// of the plug-in's own functions, exported beside the dialog test bed's table.
#pragma once

#include <windows.h>

#include <cstdint>

struct LibraryApi {
    // Images.
    int32_t (*setControlImage)(int32_t n, const char* name, int32_t option);
    const char* (*resolveImagePath)(const char* name);
    // Menus.
    int32_t (*addMenuItem)(HMENU menu, int32_t id, const char* text, uint32_t state, int32_t radio,
                           HMENU submenu);
    int32_t (*showPopupMenu)(HMENU menu, int32_t atCursor, int32_t x, int32_t y, uint32_t flags);
    HHOOK (*setToolbarMenuHook)(int32_t n);
    int32_t (*pressToolbarHotItem)(int32_t n);
    void (*removeMessageHook)(HHOOK hook);
    // Dialog services.
    void (*showAboutBox)(int32_t mode);
    int32_t (*runControlAction)(int32_t action);
    int32_t (*pickColorWithPreview)(int32_t colorControl, uint32_t color, int32_t previewControl,
                                    int32_t language);
};

using LibraryApiProc = const LibraryApi* (*)();
constexpr char kLibraryApiExport[] = "GreyloomLibraryApi";

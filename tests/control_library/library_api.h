// The control library as the window tests reach it inside the scripted test plug-in: a table
// of the plug-in's own functions, exported beside the dialog test bed's table.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

struct LibraryApi {
    // Images.
    int32_t (*setControlImage)(int32_t n, const char* name, int32_t option);
    const char* (*resolveImagePath)(const char* name);
    // Items.
    const char* (*getControlText)(int32_t n);
    int32_t (*getControlTextLine)(int32_t n, int32_t index, char* out, size_t outSize);
    int32_t (*getControlItemCount)(int32_t n);
    int32_t (*getControlItemText)(int32_t n, int32_t index, char* out, size_t outSize);
    int32_t (*insertControlItem)(int32_t n, int32_t index, const char* text);
    int32_t (*getControlCoord)(int32_t n, int32_t which);
    void (*resetTabSheetToDefaults)(int32_t tab);
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
    // Input and appearance.
    int32_t (*readForegroundKeyState)(int32_t key);
    int32_t (*isDialogKeyDown)(int32_t key);
    int32_t (*setCursorIfForeground)(intptr_t id);
    int32_t (*createFontSlot)(int32_t slot, int32_t height, int32_t bold, int32_t italic,
                              const char* face);
    HFONT (*fontSlot)(int32_t slot);
    int32_t (*setControlColor)(int32_t n, int32_t color);
    // Preview and navigator.
    int32_t (*setPreviewZoom)(int32_t reduction, int32_t magnification);
    int32_t (*prepareNavigator)(int32_t control, int32_t array);
    int32_t (*drawNavigator)(int32_t control, int32_t array);
    int32_t (*moveNavigatorView)(int32_t control, int32_t array, int32_t refresh);
    // Places.
    int32_t (*getControlPixelCoord)(int32_t n, int32_t part);
};

using LibraryApiProc = const LibraryApi* (*)();
constexpr char kLibraryApiExport[] = "GreyloomLibraryApi";

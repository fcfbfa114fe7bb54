// The scripted test plug-in's table of control-library functions for the window tests.

#include "tests/control_library/library_api.h"

#include "dialog/about_box.h"
#include "dialog/color_picker.h"
#include "dialog/control_images.h"
#include "dialog/control_items.h"
#include "dialog/control_appearance.h"
#include "dialog/control_layout.h"
#include "dialog/dialog_input.h"
#include "dialog/font_slots.h"
#include "dialog/filter_dialog.h"
#include "dialog/popup_menus.h"
#include "dialog/preview_navigator.h"
#include "dialog/preview_window.h"
#include "dialog/handle_release.h"

extern "C" __declspec(dllexport) const LibraryApi* GreyloomLibraryApi() {
    static const LibraryApi api = {
        SetControlImage,
        ResolveImagePath,
        GetControlText,
        GetControlTextLine,
        GetControlItemCount,
        GetControlItemText,
        InsertControlItem,
        GetControlCoord,
        ResetTabSheetToDefaults,
        AddMenuItem,
        ShowPopupMenu,
        SetToolbarMenuHook,
        PressToolbarHotItem,
        RemoveMessageHook,
        ShowAboutBox,
        RunControlAction,
        PickColorWithPreview,
        ReadForegroundKeyState,
        IsDialogKeyDown,
        SetCursorIfForeground,
        CreateFontSlot,
        FontSlot,
        SetControlColor,
        SetPreviewZoom,
        PrepareNavigator,
        DrawNavigator,
        MoveNavigatorView,
        GetControlPixelCoord,
    };
    return &api;
}

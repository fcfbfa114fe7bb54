// The scripted test plug-in's table of control-library functions for the window tests.

#include "tests/control_library/library_api.h"

#include "dialog/about_box.h"
#include "dialog/color_picker.h"
#include "dialog/control_images.h"
#include "dialog/filter_dialog.h"
#include "dialog/popup_menus.h"
#include "dialog/system_services.h"

extern "C" __declspec(dllexport) const LibraryApi* GreyloomLibraryApi() {
    static const LibraryApi api = {
        SetControlImage,    ResolveImagePath,     AddMenuItem,       ShowPopupMenu,
        SetToolbarMenuHook, PressToolbarHotItem,  RemoveMessageHook, ShowAboutBox,
        RunControlAction,   PickColorWithPreview,
    };
    return &api;
}

// The effect's control-event handler: the order in which an event is tested, and the parts
// of the handler that live in their own files (keys, timers, interface controls, menus,
// preview tools). Every part returns the handler's result: 1 handled, 0 not handled.
#pragma once

#include <windows.h>

#include <cstdint>

#include "effect/settings_reaction_parts.h"  // ValueOf, shared with the reactions

struct EffectContext;

// Markers passed as the previous value when the effect fires an event for itself.
constexpr int32_t kMarkerSilentTool = 0x123456;  // no options menu, no page jump, no re-fire
constexpr int32_t kMarkerApplyState = 0xFFFF;    // apply the state without toggling it
constexpr int32_t kMarkerAfterResize = 0xEEEE;   // the preset panel after a resize
constexpr int32_t kMarkerPdfManual = int32_t(0xF8A432EBu);

// The whole handler (hook 1).
int32_t HandleControlEvent(EffectContext* context, int32_t control, int32_t event,
                           int32_t previous);

// effect/keyboard_map.cpp: EVENT_KEY_DOWN, control = virtual key.
int32_t HandleKeyDown(int32_t key);
// effect/dialog_timers.cpp: timers 0, 2, 3, 5; known is cleared for other timer numbers.
int32_t HandleDialogTimer(int32_t timer, bool* known);
// effect/interface_controls.cpp.
void HandleDialogShown();
int32_t HandleDrawItem(int32_t control, bool* known);
int32_t HandlePreviewPanOrView(int32_t event);
int32_t HandleSheetReset();
int32_t HandleDialogSize(int32_t sizeType);
int32_t HandleDialogSized();
int32_t HandleNavigatorDrag();
int32_t HandleDoubleClick(int32_t control);
int32_t HandleInterfaceValueChange(int32_t control, bool* known);
int32_t HandleHelpBox(int32_t control);
// Shows a text in the help box in the help colour.
void ShowHelpText(const char* text);
// Clicks of the interface controls 310..399; known is cleared for a control without one.
int32_t ClickInterfaceControl(int32_t control, int32_t previous, bool* known);
// effect/dialog_menus.cpp.
// One item of a popup menu: its command id and its short text; shortTextId -1 makes a
// separator.
struct MenuEntry {
    int32_t id;
    int32_t shortTextId;
    const char* english;
};
// A popup menu of the entries that pass keep (all when keep is null), the item checkedId with
// a check mark. The caller destroys it (DestroyPopupMenu).
HMENU BuildMenu(const MenuEntry* entries, int32_t count, int32_t checkedId,
                bool (*keep)(int32_t id) = nullptr);
// Shows a menu under control n (at its x + 2 and below it), destroys it and returns the
// choice (0 none).
int32_t ShowMenuUnder(HMENU menu, int32_t n);
int32_t ShowMenuBarMenu();
int32_t ShowPresetListMenu();
int32_t ShowPreviewColorMenu();
int32_t ShowResetMenu();
int32_t ShowPreviewContextMenu();
// effect/preview_tools.cpp.
int32_t ClickToolControl(int32_t control, int32_t previous, bool* known);
int32_t HandlePreviewMouse(int32_t event);
int32_t RemakeBrushCursor();
// The brush cursor goes (OK and Cancel).
void DropBrushCursor();

// Short text k (ARRAY_SHORT_TEXTS) or text k (ARRAY_TEXTS); english while the language
// texts are not loaded.
const char* ShortText(int32_t id, const char* english);
const char* LanguageText(int32_t id, const char* english);
// An options menu opens only while the left button is still down 100 ms after the click,
// and never for a silent re-selection.
bool OptionsMenuWanted(int32_t previous);
// effect/preview_tools.cpp: the current cross option's centre back to the image centre.
void ResetCrossCentre();

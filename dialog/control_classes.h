// The behaviour of each control class in one table: how its windows are made, its default
// size, action and range, how a value and a text reach its windows, its commands and its skin.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "dialog/control_record.h"

// Everything a class's window maker needs: the control, its place in pixels and its text.
struct ControlBuild {
    int32_t n;
    ControlRecord& record;
    RECT place;
    const char* expandedText;
};

// Makes the control's windows; false when one could not be made.
using CreateWindowsProc = bool (*)(ControlBuild& build);
// The window work of SetControlValue; returns the value to store.
using ShowValueProc = int32_t (*)(int32_t n, ControlRecord& record, int32_t value);
// The window work of SetControlText with the expanded text; returns SetControlText's answer.
using ShowTextProc = int32_t (*)(int32_t n, ControlRecord& record, const std::string& expanded);
// Turns a WM_COMMAND notification code of the control's window into control events.
using ControlCommandProc = void (*)(int32_t n, ControlRecord& record, int code);
// Turns a WM_NOTIFY of the control's window into control events; returns the answer.
using ControlNotifyProc = LRESULT (*)(int32_t n, ControlRecord& record, const NMHDR& header);
// A skin's look: paints control n (state 0 normal, 1 pressed, 2 into an owner-draw context,
// 3 mouse over).
using SkinPaintProc = void (*)(int32_t n, int32_t state);
// A skin's keys: the value a navigation key gives the focused control; false for other keys.
using SkinKeyProc = bool (*)(const ControlRecord& record, int32_t key, int32_t* value);
// Whether the named skins draw this particular control of a class they draw only in part.
using SkinTakesProc = bool (*)(const ControlRecord& record);
// Work on control n when a skin is applied: restyling a skinned control after its window was
// replaced, or recolouring a control the skin leaves standard.
using SkinStyleProc = void (*)(int32_t n, ControlRecord& record);
// A skinned control's owner-drawn window was clicked (notification code); true when handled.
using SkinClickProc = bool (*)(int32_t n, ControlRecord& record, int code);

enum ControlClassTrait : uint32_t {
    CLASSTRAIT_SCROLLBAR = 0x1,          // its window is a scroll bar
    CLASSTRAIT_TRACKBAR = 0x2,           // its window is a trackbar
    CLASSTRAIT_RANGED = 0x4,             // the value is clamped to min..max and shown by a thumb
                                         // mapped through the slider shape (steps, gamma)
    CLASSTRAIT_VALUE_BOX = 0x8,          // a value box (divisor, gamma) and a label beside it
    CLASSTRAIT_LABEL = 0x10,             // a label window beside the control
    CLASSTRAIT_LABEL_TEXT = 0x20,        // the label is set apart from the text (SetControlLabel)
    CLASSTRAIT_ITEMS = 0x40,             // the text is a list of items, one a line
    CLASSTRAIT_OWNS_SHEETS = 0x80,       // other controls lie on its sheets (SetControlTab)
    CLASSTRAIT_TABSTOP = 0x100,          // buttons: reached by the tab key
    CLASSTRAIT_FACE_BACKGROUND = 0x200,  // drawn on the dialog face colour from the start
    CLASSTRAIT_COLOR_VALUE = 0x400,      // the value is a colour (a sheet reset paints it)
    CLASSTRAIT_RESET_CLICKS = 0x800,     // a sheet reset reports a click to the effect
    // No one measures its windows while they are hidden (no items laid out by size, no strip):
    // a move of a hidden one can wait until it is shown (control_layout).
    CLASSTRAIT_PLACED_WHEN_SEEN = 0x1000,
    // Its windows may be made when it is first seen or asked for (control_windows_on_demand):
    // everything they show is kept in the record and the text store. Not radio buttons: a
    // radio button's group is cleared through the windows beside it.
    CLASSTRAIT_MADE_WHEN_SEEN = 0x2000,
};

enum ControlSkinning : uint8_t {
    SKINNING_NONE = 0,   // every skin keeps the standard control
    SKINNING_ALL = 1,    // drawn by every skin, the plain one (index 0) too
    SKINNING_NAMED = 2,  // drawn by the named skins (index 1 and up)
};

// The window a skin puts in place of a skinned control's own.
enum SkinWindowKind : uint8_t {
    SKINWINDOW_NONE = 0,         // no replacement
    SKINWINDOW_BUTTON = 1,       // an owner-drawn "BUTTON"
    SKINWINDOW_STATIC = 2,       // an owner-drawn "STATIC"
    SKINWINDOW_MENU_BUTTON = 3,  // an owner-drawn push button showing a down arrow
    SKINWINDOW_EDGELESS = 4,     // the own window stays and loses its client edge
};

// What the skin engine does with a class.
struct ControlSkinLook {
    ControlSkinning skinning;
    bool hotLook;         // repainted when the mouse enters and leaves
    bool paintsValue;     // a new value is painted, not sent to the window
    bool paintsText;      // a new text is painted, not sent to the window
    SkinPaintProc paint;  // the skin's painter; null: the standard control stays
    SkinKeyProc keys;     // navigation keys the dialog handles for the skin; null: none
    SkinWindowKind window = SKINWINDOW_NONE;
    SkinTakesProc takes = nullptr;     // null: every control of the class is drawn
    SkinStyleProc restyle = nullptr;   // after the skinned window exists
    SkinStyleProc recolour = nullptr;  // for controls the skin leaves standard
    SkinClickProc click = nullptr;     // null: the class's own command handler
};

struct ControlClassInfo {
    const char* name;
    uint32_t traits;              // ControlClassTrait bits
    SIZE defaultSize;             // dialog units
    SIZE defaultSizeVertical;     // dialog units, for a vertical style (IsVerticalSlider)
    int32_t defaultAction;        // ControlAction
    int32_t rangeLow, rangeHigh;  // SetControlRange keeps min and max inside these
    DWORD windowType;  // type bits of the window when the effect gave none (button, static
                       // and list box styles)
    CreateWindowsProc createWindows;
    ShowValueProc showValue;
    ShowTextProc showText;
    ControlCommandProc command;  // null: commands of the window are not reported
    ControlNotifyProc notify;    // null: notifications of the window are not reported
    ControlSkinLook skin;
    const struct ControlItemOps* items = nullptr;  // item operations (control_items.cpp)
};

// The row of a class; unknown classes get a row that makes no window.
const ControlClassInfo& ControlClassOf(int32_t controlClass);
bool ControlClassHas(int32_t controlClass, uint32_t traits);

// --- The handlers the rows name, by the file that defines them --------------------------------

// control_creation.cpp: window makers
bool CreateScrollBarWindows(ControlBuild& build);
bool CreateTrackbarWindows(ControlBuild& build);
bool CreateButtonWindow(ControlBuild& build);
bool CreateListWindows(ControlBuild& build);
bool CreateComboWindows(ControlBuild& build);
bool CreateEditWindow(ControlBuild& build);
bool CreateStaticWindow(ControlBuild& build);
bool CreateTabWindow(ControlBuild& build);
bool CreateListViewWindow(ControlBuild& build);
bool CreateToolbarWindow(ControlBuild& build);
bool CreateNoWindow(ControlBuild& build);

// control_creation.cpp: values
int32_t ShowRangedValue(int32_t n, ControlRecord& record, int32_t value);
int32_t ShowTrackbarValue(int32_t n, ControlRecord& record, int32_t value);
int32_t ShowCheckValue(int32_t n, ControlRecord& record, int32_t value);
int32_t ShowRadioValue(int32_t n, ControlRecord& record, int32_t value);
int32_t ShowListValue(int32_t n, ControlRecord& record, int32_t value);
int32_t ShowComboValue(int32_t n, ControlRecord& record, int32_t value);
int32_t ShowTabValue(int32_t n, ControlRecord& record, int32_t value);
int32_t ShowListViewValue(int32_t n, ControlRecord& record, int32_t value);
int32_t ShowPlainValue(int32_t n, ControlRecord& record, int32_t value);

// control_texts.cpp: texts
int32_t ShowSliderText(int32_t n, ControlRecord& record, const std::string& expanded);
int32_t ShowCaptionText(int32_t n, ControlRecord& record, const std::string& expanded);
int32_t ShowListText(int32_t n, ControlRecord& record, const std::string& expanded);
int32_t ShowComboText(int32_t n, ControlRecord& record, const std::string& expanded);
int32_t ShowEditText(int32_t n, ControlRecord& record, const std::string& expanded);
int32_t ShowTabText(int32_t n, ControlRecord& record, const std::string& expanded);
int32_t ShowListViewText(int32_t n, ControlRecord& record, const std::string& expanded);
int32_t ShowToolbarText(int32_t n, ControlRecord& record, const std::string& expanded);
int32_t ShowWindowText(int32_t n, ControlRecord& record, const std::string& expanded);

// filter_dialog.cpp: commands and notifications
void OnButtonCommand(int32_t n, ControlRecord& record, int code);
void OnStaticCommand(int32_t n, ControlRecord& record, int code);
void OnListCommand(int32_t n, ControlRecord& record, int code);
void OnComboCommand(int32_t n, ControlRecord& record, int code);
void OnEditCommand(int32_t n, ControlRecord& record, int code);
LRESULT OnListViewNotify(int32_t n, ControlRecord& record, const NMHDR& header);
LRESULT OnTabNotify(int32_t n, ControlRecord& record, const NMHDR& header);
LRESULT OnToolbarNotify(int32_t n, ControlRecord& record, const NMHDR& header);

// filter_dialog.cpp: keys of skinned controls
bool SkinComboKeyValue(const ControlRecord& record, int32_t key, int32_t* value);
bool SkinSliderKeyValue(const ControlRecord& record, int32_t key, int32_t* value);

// skin_painting.cpp: the skins' painters
void PaintSkinSlider(int32_t n, int32_t state);
void PaintSkinButton(int32_t n, int32_t state);
void PaintSkinCheckBox(int32_t n, int32_t state);
void PaintSkinGroupBox(int32_t n, int32_t state);
void PaintSkinColorButton(int32_t n, int32_t state);
void PaintSkinCombo(int32_t n, int32_t state);
void PaintSkinProgress(int32_t n, int32_t state);
void PaintSkinTab(int32_t n, int32_t state);
void PaintSkinToolbar(int32_t n, int32_t state);

// skin_engine.cpp: which controls a skin takes, restyling, recolouring and clicks
bool SkinTakesEdgedColorButton(const ControlRecord& record);
bool SkinTakesMenuImageButton(const ControlRecord& record);
void RestyleSkinSlider(int32_t n, ControlRecord& record);
void RestyleSkinGroupBox(int32_t n, ControlRecord& record);
void RestyleSkinCombo(int32_t n, ControlRecord& record);
void RestyleSkinToolbar(int32_t n, ControlRecord& record);
void RecolourSkinList(int32_t n, ControlRecord& record);
void RecolourSkinListView(int32_t n, ControlRecord& record);
void RecolourSkinText(int32_t n, ControlRecord& record);
void RecolourSkinValueList(int32_t n, ControlRecord& record);
void RecolourSkinEdit(int32_t n, ControlRecord& record);
bool SkinSliderClicked(int32_t n, ControlRecord& record, int code);
bool SkinCheckBoxClicked(int32_t n, ControlRecord& record, int code);
bool SkinComboClicked(int32_t n, ControlRecord& record, int code);
bool SkinToolbarClicked(int32_t n, ControlRecord& record, int code);

// The 400 dialog control records and the enumerations every part of the framework shares:
// control classes, events, properties, anchors and state bits.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

constexpr int kControlCount = 400;
constexpr int kSettingsControlCount = 310;  // controls 0..309 hold the effect's settings

enum ControlNumber : int32_t {
    CTL_DIALOG = 390,         // pseudo control: the dialog background
    CTL_PREVIEW_FRAME = 391,  // group box around the preview (template item 497)
    CTL_ZOOM_TEXT = 392,      // zoom percentage text (template item 498)
    CTL_PROGRESS = 394,       // progress bar (template item 1040)
    CTL_PREVIEW = 395,        // the preview (template item 101)
    CTL_ABOUT = 396,          // the about image button
    CTL_CANCEL = 398,
    CTL_OK = 399,
};

// Dialog item ids of the windows that make up control n.
constexpr int kControlWindowIdBase = 2000;
constexpr int kEditWindowIdBase = 5000;
constexpr int kLabelWindowIdBase = 6000;

// Items of the "FILTERPARAM" template.
enum TemplateItem : int32_t {
    ITEM_PREVIEW = 101,
    ITEM_PREVIEW_FRAME = 497,
    ITEM_ZOOM_TEXT = 498,
    ITEM_HOST_TEXT = 499,
    ITEM_ZOOM_IN = 1005,
    ITEM_ZOOM_OUT = 1006,
    ITEM_PROGRESS = 1040,
};

enum ControlClass : int32_t {
    CONTROL_NONE = 0,
    CONTROL_SLIDER = 1,
    CONTROL_SCROLLBAR = 2,
    CONTROL_TRACKBAR = 3,
    CONTROL_PUSHBUTTON = 6,
    CONTROL_CHECKBOX = 7,
    CONTROL_RADIOBUTTON = 8,
    CONTROL_GROUPBOX = 9,
    CONTROL_COLORBUTTON = 10,
    CONTROL_LISTBOX = 11,
    CONTROL_COMBOBOX = 12,
    CONTROL_TRACKBAR_SLIDER = 13,
    CONTROL_PROGRESSBAR = 14,
    CONTROL_EDIT = 15,
    CONTROL_TEXT = 16,
    CONTROL_STATIC_PICTURE = 17,
    CONTROL_STATIC_PICTURE2 = 18,
    CONTROL_IMAGEBUTTON = 19,
    CONTROL_BITMAP = 20,
    CONTROL_ICON = 21,
    CONTROL_METAFILE = 22,
    CONTROL_PICTURE = 24,
    CONTROL_PREVIEW = 25,
    CONTROL_ZOOMTEXT = 26,
    CONTROL_TAB = 27,
    CONTROL_VALUELIST = 28,
    CONTROL_LISTVIEW = 29,
    CONTROL_TOOLBAR = 30,
};

enum ControlEvent : int32_t {
    EVENT_NONE = 0,
    EVENT_CLICKED = 3,
    EVENT_DOUBLE_CLICKED = 4,
    EVENT_MOUSE_ENTER = 9,
    EVENT_MOUSE_LEAVE = 10,
    EVENT_MOUSE_MOVE = 11,
    EVENT_MOUSE_DOWN = 12,
    EVENT_MOUSE_UP = 13,
    EVENT_RIGHT_MOUSE_DOWN = 14,
    EVENT_RIGHT_MOUSE_UP = 15,
    EVENT_TIMER = 16,
    EVENT_PREVIEW_VIEW = 17,
    EVENT_KEY_DOWN = 18,
    EVENT_VALUE_CHANGED = 20,
    EVENT_DIALOG_SIZE = 21,
    EVENT_DIALOG_SIZED = 23,
    EVENT_DRAW_ITEM = 24,
    EVENT_USER = 25,
    EVENT_DROPDOWN_OPEN = 26,
    EVENT_DROPDOWN_CLOSED = 27,
    EVENT_CONTEXT_MENU = 28,
    EVENT_FOCUS_GAINED = 29,
    EVENT_FOCUS_LOST = 30,
    EVENT_PREVIEW_PAN = 31,
    EVENT_SHEET_RESET = 37,
    EVENT_MENU_COMMAND = 38,
    EVENT_DIALOG_SHOWN = 39,
};

enum ControlProperty : uint32_t {
    CTLPROP_LIVEDRAG = 0x1,
    CTLPROP_TIP_BOTTOM = 0x20,
    CTLPROP_TIP_LEFT = 0x40,
    CTLPROP_TIP_RIGHT = 0x80,
    CTLPROP_EXTENDEDUI = 0x100,
    CTLPROP_HOVER = 0x200,
    CTLPROP_CONTEXTMENU = 0x400,
    CTLPROP_OWNERDRAW = 0x800,
    CTLPROP_MOUSEMOVE = 0x1000,
    CTLPROP_PANEVENTS = 0x2000,
};

enum ControlAnchor : int32_t {
    ANCHOR_LEFT = 1,
    ANCHOR_RIGHT = 2,
    ANCHOR_TOP = 4,
    ANCHOR_BOTTOM = 8,
    ANCHOR_HCENTER = 16,
    ANCHOR_VCENTER = 32,
};

enum ControlState : int32_t {
    CTLSTATE_VISIBLE = 1,
    CTLSTATE_ENABLED = 2,
    CTLSTATE_FULL = 3,
};

enum ControlAction : int32_t {
    ACTION_NONE = 0,
    ACTION_CANCEL = 1,
    ACTION_OK = 2,
    ACTION_PREVIEW = 3,
};

// One dialog control's whole state. Part of the parameter block, so it outlives the dialog
// and the run: handles are cleared whenever a dialog is built or ends.
struct ControlRecord {
    int32_t controlClass;  // ControlClass
    HWND window;           // control window (id n+2000)
    HWND editWindow;       // value box (id n+5000) of slider classes
    HWND labelWindow;      // label (id n+6000)
    int32_t x, y;          // position in dialog units
    int32_t altX, altY;    // second layout position
    int32_t width, height;
    int32_t altWidth, altHeight;
    int32_t editWidth, editHeight;  // value box size in dialog units
    int32_t initialValue;
    int32_t value;         // current value; mirrored in gContext.controlValues
    int32_t defaultValue;  // restored by a label double-click or a sheet reset; -1 = none
    int32_t min, max;      // min > max means an inverted range
    int32_t lineSize, pageSize;
    int32_t pageExtent;  // thumb extent used in the position mapping
    uint32_t style, exStyle;
    uint32_t editStyle, editExStyle;
    uint32_t labelStyle, labelExStyle;
    uint32_t properties;  // ControlProperty bits
    int32_t divisor;      // the value box shows value / divisor
    int32_t gamma;        // slider response curve in percent; 100 = linear
    int32_t action;       // ControlAction run after the control's event
    HBRUSH backgroundBrush;
    COLORREF backgroundColor;  // -1 = default
    COLORREF textColor;
    COLORREF labelBackColor;  // -1 = transparent
    COLORREF editBackColor;   // -1 = system default
    COLORREF editTextColor;   // -1 = system default
    HFONT font;
    int32_t spacing;
    char text[1024];  // caption; items separated by line feeds for list-like classes
    char label[32];
    char toolTip[128];
    char imageName[261];
    int32_t imageOption;
    uint8_t state;       // ControlState bits
    uint8_t inUse;       // 1 while the control exists
    int32_t themeMode;   // 1 on, 0 off, -1 follow the dialog
    int32_t tab, sheet;  // owning tab control and sheet; -1 = none
    int32_t homeTab, homeSheet;
    int32_t buddy;        // value lists: control whose value follows the chosen item
    int32_t anchorFlags;  // ControlAnchor bits
    int32_t anchorDX, anchorDY;
    int32_t scripted;  // -1: recorded for the host's scripting on OK; 0: not
    int32_t toolbarHotItem;
    int32_t labelWidth, labelHeight;  // measured label text, pixels
    HDC imageDCs[2];                  // image buttons: normal and pressed images
    HBITMAP imageBitmaps[2];
    HGDIOBJ imageOldObjects[2];
};
#if defined(_WIN64)
static_assert(sizeof(ControlRecord) == 1744, "control record layout");
static_assert(offsetof(ControlRecord, text) == 188);
#else
static_assert(sizeof(ControlRecord) == 1692, "control record layout");
static_assert(offsetof(ControlRecord, text) == 160);
#endif

// Fills a record with the defaults of a fresh parameter block (not in use).
void ResetControlRecord(ControlRecord& record);

// The record of control n, or null for a number outside 0..399.
ControlRecord* ControlRecordAt(int n);
// The record of control n when it is in use, else null.
ControlRecord* UsedControlRecord(int n);
// The number of a record of the parameter block; -1 for any other record.
int32_t ControlRecordNumber(const ControlRecord& record);

int32_t GetControlClass(int n);
int32_t GetControlState(int n);
int32_t GetEffectiveControlState(int n);
// Stores the state bits (-1: visible and enabled); returns the previous bits, 0 for a number
// not in use. The windows follow through SetControlState (control_appearance.h).
int32_t StoreControlState(int n, int32_t state);
int32_t SetControlScripted(int n, int32_t on);
// Whether the host's script carried a value for settings control n (0..309), and the value.
int32_t IsScriptValueRecorded(int n);
int32_t GetScriptValue(int n);

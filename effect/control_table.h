// The effect dialog's control table: every control the dialog creates, in creation order, with
// its class, texts, range, values, sheet, place and per-control settings; and lookups by number.
#pragma once

#include <cstdint>

constexpr int32_t kNoDefault = -1;  // the control has no default value

enum ControlRowFlag : uint32_t {
    ROW_RANGED = 0x1,               // minValue..maxValue is the control's own range
    ROW_VALUE = 0x2,                // the dialog gives the control a value when it builds it
    ROW_VALUE_SYSCOLOR = 0x4,       // that value is the system colour of index value
    ROW_HIDDEN = 0x8,               // created with state 0 (invisible and disabled)
    ROW_NOT_SCRIPTED = 0x10,        // not recorded for the host's scripting
    ROW_PIXEL_SIZE = 0x20,          // width and height are pixels (x and y dialog units)
    ROW_DEFAULT_POSITION = 0x40,    // placed at the framework's default position by number
    ROW_HOME_SHEET = 0x80,          // its sheet is its home sheet (the effect pages move it away)
    ROW_ALT_POSITION = 0x100,       // its x and y are kept as the alternate position
    ROW_PSEUDO = 0x200,             // a window of the dialog template: configured, not created
    ROW_ITEMS_AT_RUN_TIME = 0x400,  // its items come from the preset tables when the dialog opens
};

enum ControlBackground : int32_t {
    BACKGROUND_NONE = 0,
    BACKGROUND_COLOR = 1,     // background is a COLORREF
    BACKGROUND_VALUE = 2,     // the control's value is its colour (colour buttons)
    BACKGROUND_SYSCOLOR = 3,  // background is a system colour index
    BACKGROUND_TAB = 4,       // background is the tab control whose sheet colour it takes
};

enum ControlTheme : int32_t {
    THEME_FOLLOW = -1,  // follows the dialog's theming
    THEME_OFF = 0,
    THEME_EXPLORER = 1,
};

struct ControlTableRow {
    int32_t number;
    int32_t controlClass;         // ControlClass
    const char* text;             // English text; items of list-like classes separated by '\n'
    const char* label;            // label of a combo box or value list; null = none
    int32_t minValue, maxValue;   // the range, with ROW_RANGED
    int32_t value;                // value at creation, with ROW_VALUE
    int32_t defaultValue;         // restored by resets; kNoDefault = none
    int32_t divisor;              // the value box shows value / divisor
    int32_t gamma;                // slider response in percent; 100 = linear
    int32_t tab, sheet;           // tab control (or page selector) and sheet; -1 = none
    int32_t x, y, width, height;  // dialog units; -1 = the class default
    int32_t unthemedY, unthemedHeight;  // without visual styles; -1 = as themed
    uint32_t style, exStyle;            // added to the class's own window styles
    uint32_t properties;                // ControlProperty bits
    int32_t action;                     // ControlAction; -1 = the class default
    int32_t anchor;                     // ControlAnchor bits
    int32_t backgroundKind;             // ControlBackground
    int32_t background;                 // colour, system colour index or tab, by backgroundKind
    int32_t textColor;                  // COLORREF; -1 = the class's own
    int32_t theme;                      // ControlTheme
    int32_t fontSlot;                   // -1 = the dialog's font
    const char* image;                  // image name; null = none
    int32_t imageOption;
    int32_t columnWidth;          // multi-column value lists, dialog units; 0 = none
    int32_t altWidth, altHeight;  // alternate size; -1 = none
    int32_t editWidth;            // a slider's value box, dialog units; 0 = the standard box
    uint32_t flags;               // ControlRowFlag bits
};

extern const ControlTableRow kControlTable[];
extern const int32_t kControlTableSize;

// The row of control n; null when the dialog never creates n (or n is outside 0..399).
const ControlTableRow* ControlTableRowOf(int32_t n);

// The range a stored value of control n must lie in: the control's own range, else for
// check boxes 0..1, for combo boxes, tabs and value lists the indices of their items (value
// lists also -1, no item), for colour buttons 0..0xFFFFFF. False when n has no such range.
bool ControlTableRange(int32_t n, int32_t* minValue, int32_t* maxValue);
// value limited to that range; unchanged when there is none.
int32_t ControlTableClamp(int32_t n, int32_t value);
// The default of control n; kNoDefault when it has none or does not exist.
int32_t ControlTableDefault(int32_t n);
// The value control n gets when the dialog builds it; 0 when the table gives none.
int32_t ControlTableStartValue(int32_t n);
// Items of a list-like control's text (lines); 0 for other classes.
int32_t ControlTableItemCount(const ControlTableRow& row);

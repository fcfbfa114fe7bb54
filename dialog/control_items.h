// Items of item-bearing controls (lists, value lists, combo boxes, tabs, list views,
// toolbars), the list-view extras and the list views' keyboard and mouse subclass.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "dialog/control_record.h"
#include "dialog/popup_menus.h"

// What a class does with its items; the row of the class table names one (null: no items).
struct ControlItemOps {
    int32_t (*count)(const ControlRecord& record);
    // Item index into out (size bytes); false when there is none or it does not fit.
    bool (*text)(const ControlRecord& record, int32_t index, char* out, size_t size);
    int32_t (*topItem)(const ControlRecord& record);                  // null: 0
    int32_t (*scrollTo)(const ControlRecord& record, int32_t index);  // null: 0
    // The window's answer; null: 0.
    int32_t (*insert)(ControlRecord& record, int32_t index, const char* text);
};
extern const ControlItemOps kListItemOps;
extern const ControlItemOps kComboItemOps;
extern const ControlItemOps kTabItemOps;
extern const ControlItemOps kListViewItemOps;
extern const ControlItemOps kToolbarItemOps;
// The value a selection of value leaves in a combo box whose window waits: -1 for no item.
int32_t WaitingComboSelection(const ControlRecord& record, int32_t value);

// --- Pure parts
// ----------------------------------------------------------------------------------- The number of
// lines of a text (0 for an empty one).
int32_t CountTextLines(const char* text);
// Line index of text; false when there is none.
bool TextLine(const char* text, int32_t index, std::string* line);
// The text with line inserted before line index (appended for an index past the end or
// below 0); false, text unchanged, when the result would not stay below limitBytes.
bool InsertTextLine(std::string* text, int32_t index, const std::string& line, size_t limitBytes);
// The width in pixels of a combo box's dropped list that shows its widest item whole: at least
// the face's width, at most the screen's.
int32_t ComboDroppedWidthPx(int32_t widestItemPx, int32_t faceWidthPx, int32_t scrollBarPx,
                            int32_t screenWidthPx);

// --- Items
// -----------------------------------------------------------------------------------------
const char* GetControlText(int32_t n);
// Index -1 counts the lines. Otherwise 1 when line index was copied into out (outSize bytes,
// the line must fit with its terminator), else 0.
int32_t GetControlTextLine(int32_t n, int32_t index, char* out, size_t outSize);
int32_t GetControlItemCount(int32_t n);
int32_t GetControlItemText(int32_t n, int32_t index, char* out, size_t outSize);
int32_t GetControlTopItem(int32_t n);
int32_t ScrollToControlItem(int32_t n, int32_t index);
int32_t InsertControlItem(int32_t n, int32_t index, const char* text);
int32_t IsComboDroppedDown(int32_t n);
// Gives the combo box's dropped list the width of its widest item in the combo's own font
// (within the screen); inserts through its item operations keep it so.
void FitComboDroppedList(HWND combo);
// Frees the memory context the combo boxes' items were measured in; called when the run's
// objects go (the next measure makes it again).
void ReleaseComboMeasuring();
int32_t GetListViewView(int32_t n);
// which 0 x, 1 y, 2 width, 3 height, dialog units.
int32_t GetToolbarItemCoord(int32_t n, int32_t item, int32_t which);
int32_t GetControlCoord(int32_t n, int32_t which);

// --- List-view extras (class 29)
// ------------------------------------------------------------------
int32_t AddListViewGroup(int32_t n, const char* header, int32_t groupId);
int32_t SetListViewGroupState(int32_t n, int32_t groupId, uint32_t mask, uint32_t state);
int32_t GetListViewGroupState(int32_t n, int32_t groupId, uint32_t mask);
int32_t GetListViewGroupCount(int32_t n);
int32_t SetListViewItemGroup(int32_t n, int32_t item, int32_t groupId);
int32_t SetListViewImageList(int32_t n, int32_t slot);
int32_t SetListViewItemImage(int32_t n, int32_t item, int32_t image);
// Toolbars: the button size; list views: the icon spacing from the item rectangle (with or
// without the labels), widened by width and height (negative: nothing added).
int32_t SetControlItemSize(int32_t n, int32_t width, int32_t height, int32_t withLabels);
int32_t SetListViewExStyle(int32_t n, uint32_t bits);
int32_t ClearListViewExStyle(int32_t n, uint32_t bits);
int32_t EnableListViewGroups(int32_t n, int32_t on);

// The subclass of list views under visual styles; the list view's own procedure is kept in
// the window property "GreyloomListViewProc".
LRESULT CALLBACK ListViewControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void SubclassListView(HWND window);

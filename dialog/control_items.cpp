// Control items: the item operations of each item-bearing class (named by the class table),
// the list-view extras and the list views' subclass.

#include "dialog/control_items.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "dialog/control_classes.h"
#include "dialog/control_creation.h"
#include "dialog/control_text_store.h"
#include "dialog/control_texts.h"
#include "dialog/control_windows_on_demand.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/image_lists.h"
#include "dialog/text_expansion.h"
#include "host/effect_context.h"
#include "host/text_format.h"

namespace {

constexpr char kOwnProcProperty[] = "GreyloomListViewProc";
constexpr char kNotAvailable[] = "Not Available";
// A stored item text stays below this, so that the record keeps room for its terminator.
constexpr size_t kItemTextLimitBytes = 1022;

const ControlItemOps* ItemOpsOf(const ControlRecord& record) {
    return ControlClassOf(record.controlClass).items;
}

bool CopyFitting(const std::string& text, char* out, size_t size) {
    if (!out || text.size() + 1 > size) return false;
    memcpy(out, text.c_str(), text.size() + 1);
    return true;
}

// --- Lists and value lists ---------------------------------------------------------------------

int32_t ListCount(const ControlRecord& record) {
    return record.window ? int32_t(SendMessageA(record.window, LB_GETCOUNT, 0, 0)) : 0;
}

bool ListText(const ControlRecord& record, int32_t index, char* out, size_t size) {
    if (!record.window) return false;
    const LRESULT length = SendMessageA(record.window, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length == LB_ERR || !out || size_t(length) + 1 > size) return false;
    return SendMessageA(record.window, LB_GETTEXT, WPARAM(index), LPARAM(out)) != LB_ERR;
}

int32_t ListTop(const ControlRecord& record) {
    return record.window ? int32_t(SendMessageA(record.window, LB_GETTOPINDEX, 0, 0)) : 0;
}

int32_t ListScroll(const ControlRecord& record, int32_t index) {
    return record.window && SendMessageA(record.window, LB_SETTOPINDEX, WPARAM(index), 0) != LB_ERR;
}

// Items are also the lines of the control's text: the new one goes in at the same place, in
// the whole text always and in the record's text while it has room.
void InsertStoredLine(ControlRecord& record, int32_t index, const char* text) {
    const std::string line = text ? text : "";
    std::string whole = ControlWholeText(record), kept = record.text;
    InsertTextLine(&whole, index, line, std::string::npos);
    InsertTextLine(&kept, index, line, kItemTextLimitBytes);
    ControlTextStoreSet(ControlRecordNumber(record), whole, kept.c_str());
}

int32_t ListInsert(ControlRecord& record, int32_t index, const char* text) {
    if (!record.window) return 0;
    const std::string expanded = ExpandText(text);
    const LRESULT answer =
        SendMessageA(record.window, LB_INSERTSTRING, WPARAM(index), LPARAM(expanded.c_str()));
    if (answer >= 0) InsertStoredLine(record, int32_t(answer), text);
    return int32_t(answer);
}

// --- Combo boxes
// ------------------------------------------------------------------------------------

// A combo box whose window waits (control_windows_on_demand) answers from its stored lines as
// its window would: an empty text is no item, each line one.
bool ComboWaits(const ControlRecord& record) {
    return !record.window && ControlWindowsWaiting(ControlRecordNumber(record));
}

int32_t StoredItemCount(const ControlRecord& record) {
    return CountTextLines(ControlWholeText(record).c_str());
}

int32_t ComboCount(const ControlRecord& record) {
    if (ComboWaits(record)) return StoredItemCount(record);
    return record.window ? int32_t(SendMessageA(record.window, CB_GETCOUNT, 0, 0)) : 0;
}

bool ComboText(const ControlRecord& record, int32_t index, char* out, size_t size) {
    std::string line;
    if (ComboWaits(record))
        return TextLine(ControlWholeText(record).c_str(), index, &line) &&
               CopyFitting(ExpandText(line.c_str()), out, size);
    if (!record.window) return false;
    const LRESULT length = SendMessageA(record.window, CB_GETLBTEXTLEN, WPARAM(index), 0);
    if (length == CB_ERR || !out || size_t(length) + 1 > size) return false;
    return SendMessageA(record.window, CB_GETLBTEXT, WPARAM(index), LPARAM(out)) != CB_ERR;
}

int32_t ComboTop(const ControlRecord& record) {
    return record.window ? int32_t(SendMessageA(record.window, CB_GETTOPINDEX, 0, 0)) : 0;
}

int32_t ComboScroll(const ControlRecord& record, int32_t index) {
    // The list's scroll position lives in the window alone.
    if (ComboWaits(record)) ControlWindowNow(ControlRecordNumber(record));
    return record.window && SendMessageA(record.window, CB_SETTOPINDEX, WPARAM(index), 0) != CB_ERR;
}

// The memory context texts are measured in. Kept from the first measure to the end of the run
// (ReleaseComboMeasuring): one made for each measure costs some 20 us under Wine, and a preset
// combo box measures each of its hundreds of items as it is inserted.
HDC gMeasuringContext = nullptr;

// The widest of texts in font, in pixels, measured in a memory context: a window's context
// would cost a visible-region computation among the dialog's hundreds of controls each time.
int32_t WidestTextPx(HFONT font, const std::vector<std::string>& texts) {
    if (!gMeasuringContext) gMeasuringContext = CreateCompatibleDC(nullptr);
    const HDC context = gMeasuringContext;
    if (!context) return 0;
    const HGDIOBJ old = SelectObject(context, font ? HGDIOBJ(font) : GetStockObject(SYSTEM_FONT));
    int32_t widest = 0;
    for (const std::string& text : texts) {
        SIZE size = {};
        GetTextExtentPoint32A(context, text.c_str(), int(text.size()), &size);
        widest = std::max(widest, int32_t(size.cx));
    }
    SelectObject(context, old);
    return widest;
}

// The monitor's work area (without the task bar); the primary screen when the monitor cannot
// be asked.
RECT WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info))
        return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return info.rcWork;
}

// The dropped list kept on the screen: the combo box opens it at its own left edge, and a
// combo box near the screen's right edge (the maximised dialog's column) would push a list
// wider than its face past that edge. The list moves left instead, as far as the screen's left.
LRESULT CALLBACK DroppedListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR) {
    if (message == WM_WINDOWPOSCHANGING) {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(pos->flags & SWP_NOMOVE)) {
            RECT now = {};
            GetWindowRect(list, &now);
            const int width = (pos->flags & SWP_NOSIZE) ? now.right - now.left : pos->cx;
            const RECT work =
                WorkAreaOf(MonitorFromPoint({pos->x, pos->y}, MONITOR_DEFAULTTONEAREST));
            if (pos->x + width > work.right)
                pos->x = std::max(int(work.left), int(work.right) - width);
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(list, DroppedListProc, 0);
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

// The combo box's dropped list made wide enough for texts as well as the items it holds
// (alone, when fresh): a face narrower than its longest item still shows each one whole when
// the list opens. The list window lives as long as the combo box, and every list that gets
// items is measured fresh first (its first item, or all of them anew): its subclass goes on
// then, once.
void ComboWidenDroppedList(HWND combo, const std::vector<std::string>& texts, bool fresh) {
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(combo, WM_GETFONT, 0, 0));
    RECT face = {};
    GetWindowRect(combo, &face);
    const RECT work = WorkAreaOf(MonitorFromWindow(combo, MONITOR_DEFAULTTONEAREST));
    const int32_t width =
        ComboDroppedWidthPx(WidestTextPx(font, texts), face.right - face.left,
                            GetSystemMetrics(SM_CXVSCROLL), work.right - work.left);
    const LRESULT current = fresh ? 0 : SendMessageA(combo, CB_GETDROPPEDWIDTH, 0, 0);
    if (!fresh && width <= current) return;
    SendMessageA(combo, CB_SETDROPPEDWIDTH, WPARAM(width), 0);
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (fresh && GetComboBoxInfo(combo, &info) && info.hwndList)
        SetWindowSubclass(info.hwndList, DroppedListProc, 0, 0);
}

int32_t ComboInsert(ControlRecord& record, int32_t index, const char* text) {
    if (ComboWaits(record)) {
        // As the window would: past the end is refused, below 0 appends.
        const int32_t count = StoredItemCount(record);
        if (index > count) return CB_ERR;
        const int32_t at = index < 0 ? count : index;
        InsertStoredLine(record, at, text);
        ShiftWaitingSelection(ControlRecordNumber(record), record.value, at);
        return at;
    }
    if (!record.window) return 0;
    const std::string expanded = ExpandText(text);
    const LRESULT answer =
        SendMessageA(record.window, CB_INSERTSTRING, WPARAM(index), LPARAM(expanded.c_str()));
    if (answer >= 0) {
        InsertStoredLine(record, int32_t(answer), text);
        // The first item of an emptied list measures the list anew: the old items are gone.
        ComboWidenDroppedList(record.window, {expanded},
                              SendMessageA(record.window, CB_GETCOUNT, 0, 0) == 1);
    }
    return int32_t(answer);
}

// --- Tabs
// -----------------------------------------------------------------------------------------

int32_t TabCount(const ControlRecord& record) {
    return record.window ? int32_t(SendMessageA(record.window, TCM_GETITEMCOUNT, 0, 0)) : 0;
}

bool TabText(const ControlRecord& record, int32_t index, char* out, size_t size) {
    if (!record.window || !out || size == 0) return false;
    std::vector<char> text(1024, '\0');
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    item.cchTextMax = int(text.size());
    if (!SendMessageA(record.window, TCM_GETITEMA, WPARAM(index), LPARAM(&item))) return false;
    return CopyFitting(item.pszText, out, size);
}

int32_t TabInsert(ControlRecord& record, int32_t index, const char* text) {
    if (!record.window) return 0;
    std::string expanded = ExpandText(text);
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.iImage = -1;
    item.pszText = &expanded[0];
    const int32_t count = TabCount(record);
    if (index < 0 || index > count)
        return int32_t(SendMessageA(record.window, TCM_INSERTITEMA, WPARAM(count), LPARAM(&item)));
    // An index up to the count names a tab whose text is replaced; the count itself names none.
    return int32_t(SendMessageA(record.window, TCM_SETITEMA, WPARAM(index), LPARAM(&item)));
}

// --- List views
// -----------------------------------------------------------------------------------

int32_t ListViewCount(const ControlRecord& record) {
    return record.window ? int32_t(SendMessageA(record.window, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

bool ListViewText(const ControlRecord& record, int32_t index, char* out, size_t size) {
    if (!record.window || index < 0 || index >= ListViewCount(record)) return false;
    std::vector<char> text(1024, '\0');
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = text.data();
    item.cchTextMax = int(text.size());
    SendMessageA(record.window, LVM_GETITEMTEXTA, WPARAM(index), LPARAM(&item));
    return CopyFitting(text.data(), out, size);
}

// The first item a person reads in an icon view: of the items whose bounds reach into the
// client area's rows, the top one, and of those on one row the leftmost.
int32_t FirstVisibleItem(const std::vector<RECT>& bounds, int32_t clientHeight) {
    int32_t first = -1;
    for (int32_t i = 0; i < int32_t(bounds.size()); ++i) {
        const RECT& r = bounds[size_t(i)];
        if (r.bottom <= 0 || r.top >= clientHeight) continue;
        const RECT* best = first >= 0 ? &bounds[size_t(first)] : nullptr;
        if (!best || r.top < best->top || (r.top == best->top && r.left < best->left)) first = i;
    }
    return first < 0 ? 0 : first;
}

int32_t ListViewTop(const ControlRecord& record) {
    if (!record.window) return 0;
    // LVM_GETTOPINDEX answers only in the list and report views; the icon views (the
    // thumbnails) always give 0 there, which would lose the list's scroll position.
    const LRESULT view = SendMessageA(record.window, LVM_GETVIEW, 0, 0);
    if (view == LV_VIEW_DETAILS || view == LV_VIEW_LIST)
        return int32_t(SendMessageA(record.window, LVM_GETTOPINDEX, 0, 0));
    std::vector<RECT> bounds(size_t(std::max(0, ListViewCount(record))));
    for (size_t i = 0; i < bounds.size(); ++i) {
        bounds[i].left = LVIR_BOUNDS;
        if (!SendMessageA(record.window, LVM_GETITEMRECT, WPARAM(i), LPARAM(&bounds[i])))
            bounds[i] = {0, -1, 0, -1};
    }
    RECT client = {};
    GetClientRect(record.window, &client);
    return FirstVisibleItem(bounds, client.bottom);
}

int32_t ListViewScroll(const ControlRecord& record, int32_t index) {
    return record.window && SendMessageA(record.window, LVM_ENSUREVISIBLE, WPARAM(index), FALSE);
}

int32_t ListViewInsert(ControlRecord& record, int32_t index, const char* text) {
    if (!record.window) return 0;
    std::string expanded = ExpandText(text);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = &expanded[0];
    return int32_t(SendMessageA(record.window, LVM_INSERTITEMA, 0, LPARAM(&item)));
}

// --- Toolbars
// ---------------------------------------------------------------------------------------

int32_t ToolbarCount(const ControlRecord& record) {
    return CountTextLines(ControlWholeText(record).c_str());
}

bool ToolbarText(const ControlRecord& record, int32_t index, char* out, size_t size) {
    std::string line;
    return TextLine(ControlWholeText(record).c_str(), index, &line) && CopyFitting(line, out, size);
}

// --- List-view subclass
// -----------------------------------------------------------------------------

int32_t ListViewControlOf(HWND window) {
    const int32_t n = GetDlgCtrlID(window) - kControlWindowIdBase;
    const ControlRecord* record = UsedControlRecord(n);
    return record && record->window == window ? n : -1;
}

int32_t FocusedGroup(HWND window) {
    return int32_t(SendMessageA(window, LVM_GETFOCUSEDGROUP, 0, 0));
}

void SetGroupCollapsed(HWND window, int32_t group, bool collapsed) {
    LVGROUP info = {};
    info.cbSize = sizeof info;
    info.mask = LVGF_STATE;
    info.stateMask = LVGS_COLLAPSED;
    info.state = collapsed ? LVGS_COLLAPSED : 0;
    SendMessageA(window, LVM_SETGROUPINFO, WPARAM(group), LPARAM(&info));
}

bool GroupCollapsed(HWND window, int32_t group) {
    return (SendMessageA(window, LVM_GETGROUPSTATE, WPARAM(group), LVGS_COLLAPSED) &
            LVGS_COLLAPSED) != 0;
}

// Up and Down move the selection, and the control's value, by one item.
bool StepSelection(HWND window, int32_t step) {
    const int32_t n = ListViewControlOf(window);
    if (n < 0) return false;
    const int32_t count = int32_t(SendMessageA(window, LVM_GETITEMCOUNT, 0, 0));
    const int32_t current =
        int32_t(SendMessageA(window, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
    const int32_t next = current + step;
    if (next < 0 || next >= count) return true;
    SetControlValue(n, next);
    SendMessageA(window, LVM_ENSUREVISIBLE, WPARAM(next), FALSE);
    return true;
}

}  // namespace

void FitComboDroppedList(HWND combo) {
    if (!combo) return;
    std::vector<std::string> items;
    const int count = int(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, WPARAM(item), 0);
        if (length == CB_ERR) continue;
        std::string text(size_t(length) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, WPARAM(item), LPARAM(&text[0]));
        text.resize(size_t(length));
        items.push_back(text);
    }
    ComboWidenDroppedList(combo, items, true);
}

void ReleaseComboMeasuring() {
    if (gMeasuringContext) DeleteDC(gMeasuringContext);
    gMeasuringContext = nullptr;
}

int32_t WaitingComboSelection(const ControlRecord& record, int32_t value) {
    return value >= 0 && value < StoredItemCount(record) ? value : -1;
}

const ControlItemOps kListItemOps = {ListCount, ListText, ListTop, ListScroll, ListInsert};
const ControlItemOps kComboItemOps = {ComboCount, ComboText, ComboTop, ComboScroll, ComboInsert};
const ControlItemOps kTabItemOps = {TabCount, TabText, nullptr, nullptr, TabInsert};
const ControlItemOps kListViewItemOps = {ListViewCount, ListViewText, ListViewTop, ListViewScroll,
                                         ListViewInsert};
const ControlItemOps kToolbarItemOps = {ToolbarCount, ToolbarText, nullptr, nullptr, nullptr};

// --- Pure parts
// -------------------------------------------------------------------------------------

int32_t ComboDroppedWidthPx(int32_t widestItemPx, int32_t faceWidthPx, int32_t scrollBarPx,
                            int32_t screenWidthPx) {
    // The list's frame on both sides and the gap it leaves on either side of an item's text.
    constexpr int32_t kFramePx = 2, kItemGapsPx = 6;
    const int32_t needed = widestItemPx + kFramePx + kItemGapsPx + scrollBarPx;
    return std::max(faceWidthPx, std::min(needed, screenWidthPx));
}

int32_t CountTextLines(const char* text) {
    if (!text || !*text) return 0;
    int32_t lines = 0;
    ForEachTextLine(text, [&](const char*, int32_t) { ++lines; });
    return lines;
}

bool TextLine(const char* text, int32_t index, std::string* line) {
    if (!text || !*text || index < 0) return false;
    int32_t at = 0;
    bool found = false;
    ForEachTextLine(text, [&](const char* start, int32_t length) {
        if (at++ == index) {
            *line = std::string(start, size_t(length));
            found = true;
        }
    });
    return found;
}

bool InsertTextLine(std::string* text, int32_t index, const std::string& line, size_t limitBytes) {
    std::vector<std::string> lines;
    if (!text->empty())
        ForEachTextLine(text->c_str(), [&](const char* start, int32_t length) {
            lines.emplace_back(start, size_t(length));
        });
    if (index < 0 || size_t(index) > lines.size()) index = int32_t(lines.size());
    lines.insert(lines.begin() + index, line);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) joined += (i ? "\n" : "") + lines[i];
    if (joined.size() >= limitBytes) return false;
    *text = joined;
    return true;
}

// --- Items
// -----------------------------------------------------------------------------------------

const char* GetControlText(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    return record ? record->text : kNotAvailable;
}

int32_t GetControlTextLine(int32_t n, int32_t index, char* out, size_t outSize) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    const std::string whole = ControlWholeText(n);
    if (index == -1) return CountTextLines(whole.c_str());
    std::string line;
    if (!TextLine(whole.c_str(), index, &line)) return 0;
    if (!out) return 1;
    return CopyFitting(line, out, outSize) ? 1 : 0;
}

int32_t GetControlItemCount(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    const ControlItemOps* ops = record ? ItemOpsOf(*record) : nullptr;
    return ops ? ops->count(*record) : 0;
}

int32_t GetControlItemText(int32_t n, int32_t index, char* out, size_t outSize) {
    const ControlRecord* record = UsedControlRecord(n);
    const ControlItemOps* ops = record ? ItemOpsOf(*record) : nullptr;
    return ops && ops->text(*record, index, out, outSize) ? 1 : 0;
}

int32_t GetControlTopItem(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    const ControlItemOps* ops = record ? ItemOpsOf(*record) : nullptr;
    return ops && ops->topItem ? ops->topItem(*record) : 0;
}

int32_t ScrollToControlItem(int32_t n, int32_t index) {
    const ControlRecord* record = UsedControlRecord(n);
    const ControlItemOps* ops = record ? ItemOpsOf(*record) : nullptr;
    return ops && ops->scrollTo ? ops->scrollTo(*record, index) : 0;
}

int32_t InsertControlItem(int32_t n, int32_t index, const char* text) {
    ControlRecord* record = UsedControlRecord(n);
    const ControlItemOps* ops = record ? ItemOpsOf(*record) : nullptr;
    return ops && ops->insert ? ops->insert(*record, index, text) : 0;
}

int32_t IsComboDroppedDown(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || record->controlClass != CONTROL_COMBOBOX || !record->window) return 0;
    return SendMessageA(record->window, CB_GETDROPPEDSTATE, 0, 0) ? 1 : 0;
}

int32_t GetListViewView(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || record->controlClass != CONTROL_LISTVIEW) return 0;
    const int32_t stored = int32_t(record->exStyle & 3);
    if (stored >= 1) return stored;
    return record->window ? int32_t(SendMessageA(record->window, LVM_GETVIEW, 0, 0)) : 0;
}

int32_t GetToolbarItemCoord(int32_t n, int32_t item, int32_t which) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || record->controlClass != CONTROL_TOOLBAR || !record->window) return 0;
    RECT rect = {0, 0, 0, 0};
    if (!SendMessageA(record->window, TB_GETITEMRECT, WPARAM(item), LPARAM(&rect))) return 0;
    return PixelRectPartInDialogUnits(rect, which);
}

int32_t GetControlCoord(int32_t n, int32_t which) {
    if (n == CTL_PREVIEW && gDialog) {
        if (HWND item = GetDlgItem(gDialog, ITEM_PREVIEW)) {
            RECT rect;
            GetWindowRect(item, &rect);
            MapWindowPoints(nullptr, gDialog, reinterpret_cast<POINT*>(&rect), 2);
            return PixelRectPartInDialogUnits(rect, which);
        }
    }
    const ControlRecord* record = ControlRecordAt(n);
    if (!record || (!record->inUse && n != CTL_PREVIEW)) return 0;
    const int32_t parts[4] = {record->x, record->y, record->width, record->height};
    return which >= 0 && which < 4 ? parts[which] : 0;
}

// --- List-view extras
// --------------------------------------------------------------------------------

static HWND ListViewWindow(int32_t n) {
    const ControlRecord* record = UsedControlRecord(n);
    return record && record->controlClass == CONTROL_LISTVIEW ? record->window : nullptr;
}

int32_t AddListViewGroup(int32_t n, const char* header, int32_t groupId) {
    HWND window = ListViewWindow(n);
    if (!window) return 0;
    std::wstring wide;
    for (const char* c = ExpandText(header); *c; ++c) wide += wchar_t(uint8_t(*c));
    LVGROUP group = {};
    group.cbSize = sizeof group;
    group.mask = LVGF_HEADER | LVGF_GROUPID;
    group.pszHeader = &wide[0];
    group.iGroupId = groupId;
    return int32_t(SendMessageA(window, LVM_INSERTGROUP, WPARAM(-1), LPARAM(&group)));
}

int32_t SetListViewGroupState(int32_t n, int32_t groupId, uint32_t mask, uint32_t state) {
    HWND window = ListViewWindow(n);
    if (!window) return 0;
    LVGROUP group = {};
    group.cbSize = sizeof group;
    group.mask = LVGF_STATE;
    group.stateMask = mask;
    group.state = state;
    return int32_t(SendMessageA(window, LVM_SETGROUPINFO, WPARAM(groupId), LPARAM(&group)));
}

int32_t GetListViewGroupState(int32_t n, int32_t groupId, uint32_t mask) {
    HWND window = ListViewWindow(n);
    return window ? int32_t(SendMessageA(window, LVM_GETGROUPSTATE, WPARAM(groupId), mask)) : 0;
}

int32_t GetListViewGroupCount(int32_t n) {
    HWND window = ListViewWindow(n);
    return window ? int32_t(SendMessageA(window, LVM_GETGROUPCOUNT, 0, 0)) : 0;
}

int32_t SetListViewItemGroup(int32_t n, int32_t item, int32_t groupId) {
    HWND window = ListViewWindow(n);
    if (!window) return 0;
    LVITEMA entry = {};
    entry.mask = LVIF_GROUPID;
    entry.iItem = item;
    entry.iGroupId = groupId;
    return int32_t(SendMessageA(window, LVM_SETITEMA, 0, LPARAM(&entry)));
}

int32_t SetListViewImageList(int32_t n, int32_t slot) {
    HWND window = ListViewWindow(n);
    if (!window || slot < 0 || slot >= kImageListSlotCount) return 0;
    SendMessageA(window, LVM_SETIMAGELIST, LVSIL_NORMAL, LPARAM(gImageLists[slot]));
    return 1;
}

int32_t SetListViewItemImage(int32_t n, int32_t item, int32_t image) {
    HWND window = ListViewWindow(n);
    if (!window) return 0;
    LVITEMA entry = {};
    entry.mask = LVIF_IMAGE;
    entry.iItem = item;
    entry.iImage = image;
    return int32_t(SendMessageA(window, LVM_SETITEMA, 0, LPARAM(&entry)));
}

int32_t SetControlItemSize(int32_t n, int32_t width, int32_t height, int32_t withLabels) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !record->window) return 0;
    if (record->controlClass == CONTROL_TOOLBAR)
        return int32_t(
            SendMessageA(record->window, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height)));
    if (record->controlClass != CONTROL_LISTVIEW) return 0;
    // The spacing is measured from the default layout: reset first, then read an item.
    SendMessageA(record->window, LVM_SETICONSPACING, 0, MAKELPARAM(-1, -1));
    RECT item = {withLabels ? LVIR_BOUNDS : LVIR_ICON, 0, 0, 0};
    if (!SendMessageA(record->window, LVM_GETITEMRECT, 0, LPARAM(&item))) return 1;
    const int32_t spaceX = (item.right - item.left) + (width > 0 ? width : 0);
    const int32_t spaceY = (item.bottom - item.top) + (height > 0 ? height : 0);
    SendMessageA(record->window, LVM_SETICONSPACING, 0, MAKELPARAM(spaceX, spaceY));
    return 1;
}

int32_t SetListViewExStyle(int32_t n, uint32_t bits) {
    HWND window = ListViewWindow(n);
    return window ? int32_t(SendMessageA(window, LVM_SETEXTENDEDLISTVIEWSTYLE, bits, bits)) : 0;
}

int32_t ClearListViewExStyle(int32_t n, uint32_t bits) {
    HWND window = ListViewWindow(n);
    return window ? int32_t(SendMessageA(window, LVM_SETEXTENDEDLISTVIEWSTYLE, bits, 0)) : 0;
}

int32_t EnableListViewGroups(int32_t n, int32_t on) {
    HWND window = ListViewWindow(n);
    return window ? int32_t(SendMessageA(window, LVM_ENABLEGROUPVIEW, on ? TRUE : FALSE, 0)) : 0;
}

// --- List-view subclass
// -------------------------------------------------------------------------------

LRESULT CALLBACK ListViewControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto own = reinterpret_cast<WNDPROC>(GetPropA(window, kOwnProcProperty));
    switch (message) {
        case WM_KEYDOWN: {
            const int32_t group = FocusedGroup(window);
            if ((wParam == VK_LEFT || wParam == VK_RIGHT) && group >= 0) {
                SetGroupCollapsed(window, group, wParam == VK_LEFT);
                return 0;
            }
            if ((wParam == VK_UP || wParam == VK_DOWN) &&
                StepSelection(window, wParam == VK_UP ? -1 : 1))
                return 0;
            break;
        }
        case WM_LBUTTONDOWN: {
            LVHITTESTINFO hit = {};
            hit.pt = {short(LOWORD(lParam)), short(HIWORD(lParam))};
            const LRESULT group = SendMessageA(window, LVM_HITTEST, WPARAM(-1), LPARAM(&hit));
            if ((hit.flags & LVHT_EX_GROUP_HEADER) && group >= 0) {
                SetGroupCollapsed(window, int32_t(group), !GroupCollapsed(window, int32_t(group)));
                InvalidateRect(window, nullptr, TRUE);
                UpdateWindow(window);
                return 0;
            }
            break;
        }
        case WM_NCDESTROY:
            RemovePropA(window, kOwnProcProperty);
            break;
    }
    return own ? CallWindowProcA(own, window, message, wParam, lParam)
               : DefWindowProcA(window, message, wParam, lParam);
}

void SubclassListView(HWND window) {
    if (!window || GetPropA(window, kOwnProcProperty)) return;
    auto own = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListViewControlProc)));
    SetPropA(window, kOwnProcProperty, reinterpret_cast<HANDLE>(own));
}

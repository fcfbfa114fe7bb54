// The control class table: one row per class. A new class, or a class a skin draws, is one
// row here plus the handlers it names.

#include "dialog/control_classes.h"

#include <commctrl.h>

#include <array>
#include <climits>

namespace {

constexpr uint32_t kScrollSlider =
    CLASSTRAIT_SCROLLBAR | CLASSTRAIT_RANGED | CLASSTRAIT_VALUE_BOX | CLASSTRAIT_LABEL;
constexpr uint32_t kTrackSlider =
    CLASSTRAIT_TRACKBAR | CLASSTRAIT_RANGED | CLASSTRAIT_VALUE_BOX | CLASSTRAIT_LABEL;

constexpr ControlSkinLook kStandard = {SKINNING_NONE, false, false, false, nullptr, nullptr};
// Drawn by the named skins: value and text are painted.
constexpr ControlSkinLook kNamedSkin = {SKINNING_NAMED, false, true, true, nullptr, nullptr};
constexpr ControlSkinLook kNamedHotSkin = {SKINNING_NAMED, true, true, true, nullptr, nullptr};

constexpr SIZE kTextSize = {90, 8};
constexpr SIZE kPictureSize = {32, 32};
constexpr SIZE kListSize = {90, 32};
constexpr int32_t kAnyLow = INT32_MIN;
constexpr int32_t kAnyHigh = INT32_MAX;

struct ClassRow {
    ControlClass controlClass;
    ControlClassInfo info;
};

// clang-format off
const ClassRow kClassRows[] = {
    {CONTROL_NONE, {"none", 0, kTextSize, kTextSize, ACTION_PREVIEW, kAnyLow, kAnyHigh, 0,
        CreateNoWindow, ShowPlainValue, ShowWindowText, nullptr, nullptr, kStandard}},
    {CONTROL_SLIDER, {"slider", kScrollSlider, {90, 8}, {8, 90}, ACTION_PREVIEW, kAnyLow, kAnyHigh,
        0, CreateScrollBarWindows, ShowRangedValue, ShowSliderText, nullptr, nullptr,
        {SKINNING_ALL, true, false, false, nullptr, SkinSliderKeyValue}}},
    {CONTROL_SCROLLBAR, {"scroll bar", CLASSTRAIT_SCROLLBAR | CLASSTRAIT_RANGED, {90, 8}, {8, 90},
        ACTION_PREVIEW, kAnyLow, kAnyHigh, 0,
        CreateScrollBarWindows, ShowRangedValue, ShowWindowText, nullptr, nullptr, kStandard}},
    {CONTROL_TRACKBAR, {"trackbar", CLASSTRAIT_TRACKBAR, {90, 10}, {10, 90}, ACTION_PREVIEW,
        kAnyLow, kAnyHigh, 0,
        CreateTrackbarWindows, ShowTrackbarValue, ShowWindowText, nullptr, nullptr, kStandard}},
    {CONTROL_PUSHBUTTON, {"push button", CLASSTRAIT_TABSTOP, {34, 14}, {34, 14}, ACTION_PREVIEW,
        0, 1, 0,
        CreateButtonWindow, ShowPlainValue, ShowWindowText, OnButtonCommand, nullptr,
        kNamedHotSkin}},
    {CONTROL_CHECKBOX, {"check box", CLASSTRAIT_TABSTOP | CLASSTRAIT_RESET_CLICKS, kTextSize,
        kTextSize, ACTION_PREVIEW, 0, 2, BS_AUTOCHECKBOX,
        CreateButtonWindow, ShowCheckValue, ShowCaptionText, OnButtonCommand, nullptr,
        kNamedHotSkin}},
    {CONTROL_RADIOBUTTON, {"radio button", 0, kTextSize, kTextSize, ACTION_NONE, 0, 1,
        BS_AUTORADIOBUTTON,
        CreateButtonWindow, ShowRadioValue, ShowCaptionText, OnButtonCommand, nullptr, kStandard}},
    {CONTROL_GROUPBOX, {"group box", CLASSTRAIT_FACE_BACKGROUND, {100, 32}, {100, 32}, ACTION_NONE,
        0, 1, BS_GROUPBOX,
        CreateButtonWindow, ShowPlainValue, ShowWindowText, OnButtonCommand, nullptr,
        {SKINNING_NAMED, false, false, true, nullptr, nullptr}}},
    {CONTROL_COLORBUTTON, {"colour button", CLASSTRAIT_TABSTOP | CLASSTRAIT_COLOR_VALUE, kTextSize,
        kTextSize, ACTION_PREVIEW, kAnyLow, kAnyHigh, 0,
        CreateButtonWindow, ShowPlainValue, ShowWindowText, OnButtonCommand, nullptr, kStandard}},
    {CONTROL_LISTBOX, {"list box", CLASSTRAIT_LABEL | CLASSTRAIT_ITEMS, kListSize, kListSize,
        ACTION_NONE, -1, 65535, 0,
        CreateListWindows, ShowListValue, ShowListText, OnListCommand, nullptr, kStandard}},
    {CONTROL_COMBOBOX, {"combo box", CLASSTRAIT_LABEL | CLASSTRAIT_LABEL_TEXT | CLASSTRAIT_ITEMS |
        CLASSTRAIT_RESET_CLICKS, kListSize, kListSize, ACTION_NONE, -1, 65535, 0,
        CreateComboWindows, ShowComboValue, ShowComboText, OnComboCommand, nullptr,
        {SKINNING_NAMED, true, true, true, nullptr, SkinComboKeyValue}}},
    {CONTROL_TRACKBAR_SLIDER, {"trackbar slider", kTrackSlider, {90, 10}, {10, 90},
        ACTION_PREVIEW, kAnyLow, kAnyHigh, 0,
        CreateTrackbarWindows, ShowRangedValue, ShowSliderText, nullptr, nullptr, kStandard}},
    {CONTROL_PROGRESSBAR, {"progress bar", 0, kTextSize, kTextSize, ACTION_PREVIEW, kAnyLow,
        kAnyHigh, 0,
        CreateNoWindow, ShowPlainValue, ShowWindowText, nullptr, nullptr, kNamedSkin}},
    {CONTROL_EDIT, {"edit box", 0, kTextSize, kTextSize, ACTION_NONE, kAnyLow, kAnyHigh, 0,
        CreateEditWindow, ShowPlainValue, ShowEditText, OnEditCommand, nullptr, kStandard}},
    {CONTROL_TEXT, {"text", 0, kTextSize, kTextSize, ACTION_PREVIEW, kAnyLow, kAnyHigh, 0,
        CreateStaticWindow, ShowPlainValue, ShowCaptionText, OnStaticCommand, nullptr, kStandard}},
    {CONTROL_STATIC_PICTURE, {"static picture", 0, kPictureSize, kPictureSize, ACTION_PREVIEW,
        kAnyLow, kAnyHigh, 0,
        CreateStaticWindow, ShowPlainValue, ShowWindowText, OnStaticCommand, nullptr, kStandard}},
    {CONTROL_STATIC_PICTURE2, {"static picture 2", 0, kPictureSize, kPictureSize, ACTION_PREVIEW,
        kAnyLow, kAnyHigh, 0,
        CreateStaticWindow, ShowPlainValue, ShowWindowText, OnStaticCommand, nullptr, kStandard}},
    {CONTROL_IMAGEBUTTON, {"image button", 0, kPictureSize, kPictureSize, ACTION_PREVIEW, kAnyLow,
        kAnyHigh, SS_OWNERDRAW,
        CreateStaticWindow, ShowPlainValue, ShowWindowText, OnStaticCommand, nullptr, kStandard}},
    {CONTROL_BITMAP, {"bitmap", 0, kPictureSize, kPictureSize, ACTION_PREVIEW, kAnyLow, kAnyHigh,
        SS_BITMAP,
        CreateStaticWindow, ShowPlainValue, ShowWindowText, OnStaticCommand, nullptr, kStandard}},
    {CONTROL_ICON, {"icon", 0, kPictureSize, kPictureSize, ACTION_PREVIEW, kAnyLow, kAnyHigh,
        SS_ICON,
        CreateStaticWindow, ShowPlainValue, ShowWindowText, OnStaticCommand, nullptr, kStandard}},
    {CONTROL_METAFILE, {"metafile", 0, kPictureSize, kPictureSize, ACTION_PREVIEW, kAnyLow,
        kAnyHigh, SS_ENHMETAFILE,
        CreateStaticWindow, ShowPlainValue, ShowWindowText, OnStaticCommand, nullptr, kStandard}},
    {CONTROL_PICTURE, {"picture", 0, kPictureSize, kPictureSize, ACTION_PREVIEW, kAnyLow,
        kAnyHigh, 0,
        CreateNoWindow, ShowPlainValue, ShowWindowText, nullptr, nullptr, kStandard}},
    {CONTROL_PREVIEW, {"preview", 0, {228, 154}, {228, 154}, ACTION_PREVIEW, kAnyLow, kAnyHigh, 0,
        CreateNoWindow, ShowPlainValue, ShowWindowText, nullptr, nullptr, kStandard}},
    {CONTROL_ZOOMTEXT, {"zoom text", 0, kTextSize, kTextSize, ACTION_PREVIEW, kAnyLow, kAnyHigh,
        0,
        CreateNoWindow, ShowPlainValue, ShowWindowText, nullptr, nullptr, kStandard}},
    {CONTROL_TAB, {"tab", CLASSTRAIT_ITEMS | CLASSTRAIT_OWNS_SHEETS, {120, 60}, {120, 60},
        ACTION_NONE, kAnyLow, kAnyHigh, 0,
        CreateTabWindow, ShowTabValue, ShowTabText, nullptr, OnTabNotify, kNamedSkin}},
    {CONTROL_VALUELIST, {"value list", CLASSTRAIT_LABEL | CLASSTRAIT_LABEL_TEXT |
        CLASSTRAIT_ITEMS | CLASSTRAIT_OWNS_SHEETS, {90, 10}, {90, 10}, ACTION_PREVIEW, -1, 65535,
        LBS_MULTICOLUMN,
        CreateListWindows, ShowListValue, ShowListText, OnListCommand, nullptr, kStandard}},
    {CONTROL_LISTVIEW, {"list view", CLASSTRAIT_ITEMS, kListSize, kListSize, ACTION_NONE, kAnyLow,
        kAnyHigh, 0,
        CreateListViewWindow, ShowListViewValue, ShowListViewText, nullptr, OnListViewNotify,
        kStandard}},
    {CONTROL_TOOLBAR, {"toolbar", CLASSTRAIT_ITEMS, {150, 13}, {150, 13}, ACTION_NONE, kAnyLow,
        kAnyHigh, 0,
        CreateToolbarWindow, ShowPlainValue, ShowToolbarText, nullptr, OnToolbarNotify,
        kNamedSkin}},
};
// clang-format on

constexpr int32_t kClassSlots = CONTROL_TOOLBAR + 1;

// Rows by class number; numbers without a row get the row of CONTROL_NONE.
const std::array<const ControlClassInfo*, kClassSlots>& RowsByClass() {
    static const std::array<const ControlClassInfo*, kClassSlots> rows = [] {
        std::array<const ControlClassInfo*, kClassSlots> byClass = {};
        for (const ClassRow& row : kClassRows) byClass[size_t(row.controlClass)] = &row.info;
        for (const ControlClassInfo*& info : byClass)
            if (!info) info = &kClassRows[0].info;
        return byClass;
    }();
    return rows;
}

}  // namespace

const ControlClassInfo& ControlClassOf(int32_t controlClass) {
    if (controlClass < 0 || controlClass >= kClassSlots) return kClassRows[0].info;
    return *RowsByClass()[size_t(controlClass)];
}

bool ControlClassHas(int32_t controlClass, uint32_t traits) {
    return (ControlClassOf(controlClass).traits & traits) != 0;
}

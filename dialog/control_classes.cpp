// The control class table: one row per class. A new class, or a class a skin draws, is one
// row here plus the handlers it names.

#include "dialog/control_classes.h"

#include "dialog/control_items.h"

#include <commctrl.h>

#include <array>
#include <climits>

namespace {

constexpr uint32_t kScrollSlider = CLASSTRAIT_SCROLLBAR | CLASSTRAIT_RANGED | CLASSTRAIT_VALUE_BOX |
                                   CLASSTRAIT_LABEL | CLASSTRAIT_PLACED_WHEN_SEEN |
                                   CLASSTRAIT_MADE_WHEN_SEEN;
constexpr uint32_t kSeenLater = CLASSTRAIT_PLACED_WHEN_SEEN | CLASSTRAIT_MADE_WHEN_SEEN;
constexpr uint32_t kTrackSlider =
    CLASSTRAIT_TRACKBAR | CLASSTRAIT_RANGED | CLASSTRAIT_VALUE_BOX | CLASSTRAIT_LABEL;

constexpr ControlSkinLook kStandard = {SKINNING_NONE, false, false, false, nullptr, nullptr};

// clang-format off
// The skins' looks: which skins draw a class, how its window is replaced, and its painter.
constexpr ControlSkinLook kSliderSkin = {SKINNING_ALL, true, false, false, PaintSkinSlider,
    SkinSliderKeyValue, SKINWINDOW_BUTTON, nullptr, RestyleSkinSlider, nullptr,
    SkinSliderClicked};
constexpr ControlSkinLook kButtonSkin = {SKINNING_NAMED, true, true, true, PaintSkinButton,
    nullptr, SKINWINDOW_BUTTON};
constexpr ControlSkinLook kCheckBoxSkin = {SKINNING_NAMED, true, true, true, PaintSkinCheckBox,
    nullptr, SKINWINDOW_BUTTON, nullptr, nullptr, nullptr, SkinCheckBoxClicked};
constexpr ControlSkinLook kGroupBoxSkin = {SKINNING_NAMED, false, false, true, PaintSkinGroupBox,
    nullptr, SKINWINDOW_STATIC, nullptr, RestyleSkinGroupBox};
constexpr ControlSkinLook kColorButtonSkin = {SKINNING_NAMED, false, false, false,
    PaintSkinColorButton, nullptr, SKINWINDOW_EDGELESS, SkinTakesEdgedColorButton};
constexpr ControlSkinLook kComboSkin = {SKINNING_NAMED, true, true, true, PaintSkinCombo,
    SkinComboKeyValue, SKINWINDOW_BUTTON, nullptr, RestyleSkinCombo, nullptr, SkinComboClicked};
constexpr ControlSkinLook kProgressSkin = {SKINNING_NAMED, false, true, true, PaintSkinProgress,
    nullptr, SKINWINDOW_BUTTON};
constexpr ControlSkinLook kMenuImageSkin = {SKINNING_NAMED, false, true, true, PaintSkinButton,
    nullptr, SKINWINDOW_MENU_BUTTON, SkinTakesMenuImageButton};
constexpr ControlSkinLook kTabSkin = {SKINNING_NAMED, false, true, true, PaintSkinTab, nullptr,
    SKINWINDOW_STATIC};
constexpr ControlSkinLook kToolbarSkin = {SKINNING_NAMED, false, true, true, PaintSkinToolbar,
    nullptr, SKINWINDOW_BUTTON, nullptr, RestyleSkinToolbar, nullptr, SkinToolbarClicked};
// Standard controls a skin recolours.
constexpr ControlSkinLook kListColours = {SKINNING_NONE, false, false, false, nullptr, nullptr,
    SKINWINDOW_NONE, nullptr, nullptr, RecolourSkinList};
constexpr ControlSkinLook kListViewColours = {SKINNING_NONE, false, false, false, nullptr,
    nullptr, SKINWINDOW_NONE, nullptr, nullptr, RecolourSkinListView};
constexpr ControlSkinLook kTextColours = {SKINNING_NONE, false, false, false, nullptr, nullptr,
    SKINWINDOW_NONE, nullptr, nullptr, RecolourSkinText};
constexpr ControlSkinLook kValueListColours = {SKINNING_NONE, false, false, false, nullptr,
    nullptr, SKINWINDOW_NONE, nullptr, nullptr, RecolourSkinValueList};
constexpr ControlSkinLook kEditColours = {SKINNING_NONE, false, false, false, nullptr, nullptr,
    SKINWINDOW_NONE, nullptr, nullptr, RecolourSkinEdit};
// clang-format on

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
        kSliderSkin}},
    {CONTROL_SCROLLBAR, {"scroll bar",
        CLASSTRAIT_SCROLLBAR | CLASSTRAIT_RANGED | kSeenLater, {90, 8}, {8, 90},
        ACTION_PREVIEW, kAnyLow, kAnyHigh, 0,
        CreateScrollBarWindows, ShowRangedValue, ShowWindowText, nullptr, nullptr, kStandard}},
    {CONTROL_TRACKBAR, {"trackbar", CLASSTRAIT_TRACKBAR, {90, 10}, {10, 90}, ACTION_PREVIEW,
        kAnyLow, kAnyHigh, 0,
        CreateTrackbarWindows, ShowTrackbarValue, ShowWindowText, nullptr, nullptr, kStandard}},
    {CONTROL_PUSHBUTTON, {"push button", CLASSTRAIT_TABSTOP | kSeenLater,
        {34, 14}, {34, 14}, ACTION_PREVIEW, 0, 1, 0,
        CreateButtonWindow, ShowPlainValue, ShowWindowText, OnButtonCommand, nullptr,
        kButtonSkin}},
    {CONTROL_CHECKBOX, {"check box",
        CLASSTRAIT_TABSTOP | CLASSTRAIT_RESET_CLICKS | kSeenLater, kTextSize,
        kTextSize, ACTION_PREVIEW, 0, 2, BS_AUTOCHECKBOX,
        CreateButtonWindow, ShowCheckValue, ShowCaptionText, OnButtonCommand, nullptr,
        kCheckBoxSkin}},
    {CONTROL_RADIOBUTTON, {"radio button", CLASSTRAIT_PLACED_WHEN_SEEN, kTextSize, kTextSize,
        ACTION_NONE, 0, 1, BS_AUTORADIOBUTTON,
        CreateButtonWindow, ShowRadioValue, ShowCaptionText, OnButtonCommand, nullptr, kStandard}},
    {CONTROL_GROUPBOX, {"group box", CLASSTRAIT_FACE_BACKGROUND | kSeenLater,
        {100, 32}, {100, 32}, ACTION_NONE, 0, 1, BS_GROUPBOX,
        CreateButtonWindow, ShowPlainValue, ShowWindowText, OnButtonCommand, nullptr,
        kGroupBoxSkin}},
    {CONTROL_COLORBUTTON, {"colour button",
        CLASSTRAIT_TABSTOP | CLASSTRAIT_COLOR_VALUE | kSeenLater, kTextSize,
        kTextSize, ACTION_PREVIEW, kAnyLow, kAnyHigh, 0,
        CreateButtonWindow, ShowPlainValue, ShowWindowText, OnButtonCommand, nullptr,
        kColorButtonSkin}},
    {CONTROL_LISTBOX, {"list box", CLASSTRAIT_LABEL | CLASSTRAIT_ITEMS, kListSize, kListSize,
        ACTION_NONE, -1, 65535, 0,
        CreateListWindows, ShowListValue, ShowListText, OnListCommand, nullptr, kListColours,
        &kListItemOps}},
    {CONTROL_COMBOBOX, {"combo box", CLASSTRAIT_LABEL | CLASSTRAIT_LABEL_TEXT | CLASSTRAIT_ITEMS |
        CLASSTRAIT_RESET_CLICKS | kSeenLater, kListSize, kListSize, ACTION_NONE,
        -1, 65535, 0,
        CreateComboWindows, ShowComboValue, ShowComboText, OnComboCommand, nullptr,
        kComboSkin, &kComboItemOps}},
    {CONTROL_TRACKBAR_SLIDER, {"trackbar slider", kTrackSlider, {90, 10}, {10, 90},
        ACTION_PREVIEW, kAnyLow, kAnyHigh, 0,
        CreateTrackbarWindows, ShowRangedValue, ShowSliderText, nullptr, nullptr, kStandard}},
    {CONTROL_PROGRESSBAR, {"progress bar", 0, kTextSize, kTextSize, ACTION_PREVIEW, kAnyLow,
        kAnyHigh, 0,
        CreateNoWindow, ShowPlainValue, ShowWindowText, nullptr, nullptr, kProgressSkin}},
    {CONTROL_EDIT, {"edit box", 0, kTextSize, kTextSize, ACTION_NONE, kAnyLow, kAnyHigh, 0,
        CreateEditWindow, ShowPlainValue, ShowEditText, OnEditCommand, nullptr, kEditColours}},
    {CONTROL_TEXT, {"text", kSeenLater, kTextSize, kTextSize, ACTION_PREVIEW,
        kAnyLow, kAnyHigh, 0,
        CreateStaticWindow, ShowPlainValue, ShowCaptionText, OnStaticCommand, nullptr,
        kTextColours}},
    {CONTROL_STATIC_PICTURE, {"static picture", 0, kPictureSize, kPictureSize, ACTION_PREVIEW,
        kAnyLow, kAnyHigh, 0,
        CreateStaticWindow, ShowPlainValue, ShowWindowText, OnStaticCommand, nullptr, kStandard}},
    {CONTROL_STATIC_PICTURE2, {"static picture 2", 0, kPictureSize, kPictureSize, ACTION_PREVIEW,
        kAnyLow, kAnyHigh, 0,
        CreateStaticWindow, ShowPlainValue, ShowWindowText, OnStaticCommand, nullptr, kStandard}},
    {CONTROL_IMAGEBUTTON, {"image button", kSeenLater, kPictureSize,
        kPictureSize, ACTION_PREVIEW, kAnyLow, kAnyHigh, SS_OWNERDRAW,
        CreateStaticWindow, ShowPlainValue, ShowWindowText, OnStaticCommand, nullptr,
        kMenuImageSkin}},
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
        CreateTabWindow, ShowTabValue, ShowTabText, nullptr, OnTabNotify, kTabSkin, &kTabItemOps}},
    {CONTROL_VALUELIST, {"value list", CLASSTRAIT_LABEL | CLASSTRAIT_LABEL_TEXT |
        CLASSTRAIT_ITEMS | CLASSTRAIT_OWNS_SHEETS, {90, 10}, {90, 10}, ACTION_PREVIEW, -1, 65535,
        LBS_MULTICOLUMN,
        CreateListWindows, ShowListValue, ShowListText, OnListCommand, nullptr,
        kValueListColours, &kListItemOps}},
    {CONTROL_LISTVIEW, {"list view", CLASSTRAIT_ITEMS, kListSize, kListSize, ACTION_NONE, kAnyLow,
        kAnyHigh, 0,
        CreateListViewWindow, ShowListViewValue, ShowListViewText, nullptr, OnListViewNotify,
        kListViewColours, &kListViewItemOps}},
    {CONTROL_TOOLBAR, {"toolbar", CLASSTRAIT_ITEMS, {150, 13}, {150, 13}, ACTION_NONE, kAnyLow,
        kAnyHigh, 0,
        CreateToolbarWindow, ShowPlainValue, ShowToolbarText, nullptr, OnToolbarNotify,
        kToolbarSkin, &kToolbarItemOps}},
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

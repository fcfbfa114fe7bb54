// Geometry of the dialog: unit conversion, placement, anchoring, default places, sizes and
// actions of controls, value-box and label places, and values in a run without a dialog.

#include <windows.h>

#include <commctrl.h>

#include "dialog/control_appearance.h"
#include "dialog/control_classes.h"
#include "dialog/control_creation.h"
#include "dialog/control_layout.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "tests/dialog/logic_fixture.h"

namespace {
class DialogGeometry : public DialogLogic {};

// 1 pixel per dialog unit both ways: places read directly.
constexpr DialogFontMetrics kUnitMetrics = {4, 8};
}  // namespace

TEST_F(DialogGeometry, UnitsConvertWithTheFontsMetricsAndNeverDivideByZero) {
    struct Case {
        DialogFontMetrics metrics;
        int32_t units, pixelsX, pixelsY;
    };
    const Case cases[] = {
        {{6, 13}, 529, 794, 860},  // MulDiv rounds: 529 * 6 / 4 = 793.5, 529 * 13 / 8 = 859.6
        {{7, 16}, 4, 7, 8},       {{4, 8}, 10, 10, 10}, {{0, 0}, 10, 0, 0}, {{-3, -1}, 10, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UnitsToPixelsX(c.metrics, c.units), c.pixelsX);
        EXPECT_EQ(UnitsToPixelsY(c.metrics, c.units), c.pixelsY);
    }
    EXPECT_EQ(PixelsToUnitsX({6, 13}, 794), 529);
    EXPECT_EQ(PixelsToUnitsY({6, 13}, 860), 529);
    EXPECT_EQ(PixelsToUnitsX({0, 0}, 100), 0);
    EXPECT_EQ(PixelsToUnitsY({0, 0}, 100), 0);
    EXPECT_EQ(PixelsToDialogUnitsX(0), 0);
    // The 52 letters of an 8-point dialog font are about 300 pixels wide: (300/26 + 1) / 2.
    EXPECT_EQ(AverageCharWidth(300), 6);
    EXPECT_EQ(AverageCharWidth(0), 0);
    EXPECT_GT(DialogUnitsToPixelsX(100), 0) << "without a dialog the system's units serve";
}

TEST_F(DialogGeometry, DialogsAreCentredOneThirdDownAndKeptOnTheWorkArea) {
    struct Case {
        RECT area;
        SIZE window;
        RECT work;
        POINT expected;
    };
    const Case cases[] = {
        {{0, 0, 1000, 700}, {400, 100}, {0, 0, 1600, 1000}, {300, 200}},
        {{100, 50, 500, 350}, {200, 100}, {0, 0, 1600, 1000}, {200, 116}},
        {{1400, 900, 1600, 1000}, {400, 300}, {0, 0, 1600, 1000}, {1200, 700}},
        {{0, 0, 300, 200}, {800, 600}, {0, 0, 1600, 1000}, {0, 0}},
        {{0, 0, 300, 200}, {2000, 1200}, {0, 0, 1600, 1000}, {0, 0}},
    };
    for (const Case& c : cases) {
        POINT place = CentreWindowPosition(c.area, c.window, c.work);
        EXPECT_EQ(place.x, c.expected.x);
        EXPECT_EQ(place.y, c.expected.y);
    }
}

TEST_F(DialogGeometry, AnchorsFollowTheEdgesOrTheCentre) {
    struct Case {
        int32_t flags;
        ControlPlace expected;  // client 300 x 200 -> 400 x 260, control at 50,40 60x20
    };
    const Case cases[] = {
        {ANCHOR_RIGHT, {150, 40, 60, 20}},
        {ANCHOR_LEFT, {50, 40, 60, 20}},
        {ANCHOR_LEFT | ANCHOR_RIGHT, {50, 40, 160, 20}},
        {ANCHOR_BOTTOM, {50, 100, 60, 20}},
        {ANCHOR_TOP | ANCHOR_BOTTOM, {50, 40, 60, 80}},
        {ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP | ANCHOR_BOTTOM, {50, 40, 160, 80}},
        {ANCHOR_HCENTER, {100, 40, 60, 20}},
        {ANCHOR_VCENTER, {50, 70, 60, 20}},
    };
    for (const Case& c : cases) {
        int32_t dx = 0, dy = 0;
        AnchorDistances(c.flags, 50, 40, 60, 20, 300, 200, &dx, &dy);
        ControlPlace place = AnchoredPlace({50, 40, 60, 20}, c.flags, dx, dy, 400, 260);
        EXPECT_EQ(place.x, c.expected.x) << c.flags;
        EXPECT_EQ(place.y, c.expected.y) << c.flags;
        EXPECT_EQ(place.width, c.expected.width) << c.flags;
        EXPECT_EQ(place.height, c.expected.height) << c.flags;
    }
}

TEST_F(DialogGeometry, DefaultPlacesSizesAndActions) {
    struct PlaceCase {
        int32_t n, x, y;
    };
    const PlaceCase places[] = {
        {0, 350, 5},    {9, 350, 95}, {10, 345, 5},    {99, 305, 95},   {100, 350, 5},
        {255, 325, 55}, {395, 5, 5},  {398, 446, 160}, {399, 408, 160}, {396, 305, 65},
    };
    for (const PlaceCase& c : places) {
        POINT place = DefaultControlPosition(c.n);
        EXPECT_EQ(place.x, c.x) << c.n;
        EXPECT_EQ(place.y, c.y) << c.n;
    }
    struct SizeCase {
        int32_t n, controlClass;
        uint32_t style;
        int32_t width, height, action;
    };
    const SizeCase sizes[] = {
        {1, 1, 0, 90, 8, 3},         {1, 1, SBS_VERT, 8, 90, 3}, {1, 2, SBS_VERT, 8, 90, 3},
        {1, 3, TBS_VERT, 10, 90, 3}, {1, 13, 0, 90, 10, 3},      {1, 6, 0, 34, 14, 3},
        {1, 9, 0, 100, 32, 0},       {1, 11, 0, 90, 32, 0},      {1, 28, 0, 90, 10, 3},
        {1, 19, 0, 32, 32, 3},       {396, 19, 0, 32, 43, 3},    {1, 25, 0, 228, 154, 3},
        {1, 27, 0, 120, 60, 0},      {1, 30, 0, 150, 13, 0},     {1, 24, 0, 32, 32, 3},
        {1, 4, 0, 90, 8, 3},         {398, 6, 0, 34, 14, 1},     {399, 12, 0, 90, 32, 2},
        {1, 8, 0, 90, 8, 0},         {1, 15, 0, 90, 8, 0},       {1, 29, 0, 90, 32, 0},
    };
    for (const SizeCase& c : sizes) {
        SIZE size = DefaultControlSize(c.n, c.controlClass, c.style);
        EXPECT_EQ(size.cx, c.width) << c.n << " class " << c.controlClass;
        EXPECT_EQ(size.cy, c.height) << c.n << " class " << c.controlClass;
        EXPECT_EQ(DefaultControlAction(c.n, c.controlClass), c.action)
            << c.n << " class " << c.controlClass;
    }
}

// Each class of the enumeration has a row of its own, every row names all its handlers, and
// numbers between the classes fall back to the row that makes no window.
TEST_F(DialogGeometry, EveryControlClassHasACompleteRow) {
    const ControlClassInfo& none = ControlClassOf(CONTROL_NONE);
    const int32_t classes[] = {CONTROL_SLIDER,
                               CONTROL_SCROLLBAR,
                               CONTROL_TRACKBAR,
                               CONTROL_PUSHBUTTON,
                               CONTROL_CHECKBOX,
                               CONTROL_RADIOBUTTON,
                               CONTROL_GROUPBOX,
                               CONTROL_COLORBUTTON,
                               CONTROL_LISTBOX,
                               CONTROL_COMBOBOX,
                               CONTROL_TRACKBAR_SLIDER,
                               CONTROL_PROGRESSBAR,
                               CONTROL_EDIT,
                               CONTROL_TEXT,
                               CONTROL_STATIC_PICTURE,
                               CONTROL_STATIC_PICTURE2,
                               CONTROL_IMAGEBUTTON,
                               CONTROL_BITMAP,
                               CONTROL_ICON,
                               CONTROL_METAFILE,
                               CONTROL_PICTURE,
                               CONTROL_PREVIEW,
                               CONTROL_ZOOMTEXT,
                               CONTROL_TAB,
                               CONTROL_VALUELIST,
                               CONTROL_LISTVIEW,
                               CONTROL_TOOLBAR};
    for (int32_t controlClass : classes) {
        const ControlClassInfo& info = ControlClassOf(controlClass);
        EXPECT_NE(&info, &none) << "class " << controlClass;
        EXPECT_TRUE(info.createWindows && info.showValue && info.showText) << info.name;
        // A thumb needs a scroll bar or trackbar; a value box comes with its label.
        const bool ranged = info.traits & CLASSTRAIT_RANGED;
        const bool valueBox = info.traits & CLASSTRAIT_VALUE_BOX;
        EXPECT_TRUE(!ranged || (info.traits & (CLASSTRAIT_SCROLLBAR | CLASSTRAIT_TRACKBAR)))
            << info.name;
        EXPECT_TRUE(!valueBox || (info.traits & CLASSTRAIT_LABEL)) << info.name;
        EXPECT_LE(info.rangeLow, info.rangeHigh) << info.name;
    }
    for (int32_t unknown : {4, 5, 23, 31, -1, 1000})
        EXPECT_EQ(&ControlClassOf(unknown), &none) << unknown;
}

TEST_F(DialogGeometry, ValueBoxesAndLabelsSitBesideTheirControl) {
    // Control at 100,50, 90 x 8 units; value box 24 x 10; label 30 x 6 pixels.
    const CompanionGeometry horizontal = {100, 50, 90, 8, false, CONTROL_SLIDER};
    const RECT box = EditBoxRectFor(kUnitMetrics, horizontal, 24, 10);
    EXPECT_EQ(box.left, 195);  // 5 units right of the control
    EXPECT_EQ(box.top, 49);    // centred: 50 + (8 - 10) / 2
    EXPECT_EQ(box.right - box.left, 24);
    const RECT label = LabelRectFor(kUnitMetrics, horizontal, 30, 6);
    EXPECT_EQ(label.right, 95);  // right edge 5 units left of the control
    EXPECT_EQ(label.top, 51);
    const CompanionGeometry vertical = {100, 50, 8, 90, true, CONTROL_SLIDER};
    const RECT vbox = EditBoxRectFor(kUnitMetrics, vertical, 24, 10);
    EXPECT_EQ(vbox.left, 92);  // centred under it: 100 + (8 - 24) / 2
    EXPECT_EQ(vbox.top, 142);  // 2 units below its bottom
    const RECT vlabel = LabelRectFor(kUnitMetrics, vertical, 30, 6);
    EXPECT_EQ(vlabel.top, 40);  // 10 units above
    EXPECT_EQ(vlabel.left, 89);
    const RECT combo =
        LabelRectFor(kUnitMetrics, {100, 50, 90, 32, false, CONTROL_COMBOBOX}, 30, 6);
    EXPECT_EQ(combo.top, 54);
    const RECT list =
        LabelRectFor(kUnitMetrics, {100, 50, 90, 10, false, CONTROL_VALUELIST}, 30, 6);
    EXPECT_EQ(list.top, 57);  // centred on a 20-pixel line
    // Bit 0 of a style means vertical only for scroll-bar sliders: a drop-down list has it too.
    EXPECT_TRUE(IsVerticalSlider(CONTROL_SLIDER, SBS_VERT));
    EXPECT_TRUE(IsVerticalSlider(CONTROL_TRACKBAR_SLIDER, TBS_VERT));
    EXPECT_FALSE(IsVerticalSlider(CONTROL_TRACKBAR_SLIDER, SBS_VERT));
    EXPECT_FALSE(IsVerticalSlider(CONTROL_COMBOBOX, CBS_DROPDOWNLIST));
    EXPECT_FALSE(IsVerticalSlider(CONTROL_LISTBOX, LBS_NOTIFY));
}

TEST_F(DialogGeometry, WithoutADialogValuesAreKeptExactlyAsGiven) {
    gContext.dialogWanted = 0;
    ASSERT_EQ(CreateControl(3, CONTROL_SLIDER, "S", -1, -1, -1, -1, 0, 0, 0, -1), 1);
    SetControlRange(3, 0, 100);
    EXPECT_EQ(SetControlValue(3, 150), 0);
    EXPECT_EQ(ControlRecordAt(3)->value, 150);
    EXPECT_EQ(gContext.controlValues[3], 150);
    EXPECT_EQ(SetControlValue(400, 1), -1);
    EXPECT_EQ(SetControlValue(-1, 1), -1);
    EXPECT_EQ(SetControlValue(4, 1), -1) << "not in use";
    // With a dialog wanted the range holds, the steps follow an inverted range.
    gContext.dialogWanted = 1;
    SetControlRange(3, 100, 0);
    EXPECT_EQ(ControlRecordAt(3)->value, 100);
    EXPECT_EQ(SetControlLineSize(3, 5), -1);
    EXPECT_EQ(ControlRecordAt(3)->lineSize, -5);
    SetControlPageSize(3, -7);
    EXPECT_EQ(ControlRecordAt(3)->pageSize, -7);
    SetControlRange(3, 0, 100);
    EXPECT_EQ(ControlRecordAt(3)->lineSize, 5);
    // Class ranges.
    ASSERT_EQ(CreateControl(6, CONTROL_CHECKBOX, "C", -1, -1, -1, -1, 0, 0, 0, -1), 1);
    SetControlRange(6, -5, 9);
    EXPECT_EQ(ControlRecordAt(6)->min, 0);
    EXPECT_EQ(ControlRecordAt(6)->max, 2);
    EXPECT_EQ(SetControlDivisor(3, 0), 0);
    EXPECT_EQ(SetControlDivisor(3, 1001), 0);
    EXPECT_EQ(SetControlDivisor(6, 10), 0) << "only sliders";
    EXPECT_EQ(SetControlDivisor(7, 10), -1) << "unused";
    char label[40];
    memset(label, 'L', sizeof label);
    label[39] = 0;
    ASSERT_EQ(CreateControl(8, CONTROL_COMBOBOX, "a", -1, -1, -1, -1, 0, 0, 0, -1), 1);
    EXPECT_EQ(SetControlLabel(8, label), 1);
    EXPECT_EQ(strlen(ControlRecordAt(8)->label), 31u);
    EXPECT_EQ(SetControlLabel(3, "x"), 0) << "labels only for combo boxes and value lists";
}

// The curve panel of the effect dialog's Main sheet in a real window: it stands on its sheet
// beside the preview at the panel's own pixel size, keeps its place on the sheet when the
// dialog is maximised and restored, and paints the tone curve over its grid (not a box of its
// own colour).

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "tests/common/real_input.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {

constexpr int kMainSheet = 3;
constexpr int kCurveSize = 159;              // the curve coordinates' maximum
constexpr int kPanelSide = kCurveSize + 10;  // the panel's pixels
constexpr COLORREF kPlainFrame = 0xa5a5a5;   // frame colour without a skin

RECT InClient(HWND dialog, HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top);
}

COLORREF PanelPixel(HWND panel, int x, int y) {
    HDC dc = GetDC(panel);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(panel, dc);
    return colour;
}

// The panel's place measured from the main tab's top right corner: the panel rides with the
// right-hand column.
POINT OffsetFromSheet(Driver& driver) {
    const RECT tab = InClient(driver.dialog, driver.ControlWindow(CTL_MAIN_TAB));
    const RECT panel = InClient(driver.dialog, driver.ControlWindow(CTL_CURVE));
    return {tab.right - panel.left, panel.top - tab.top};
}

// Places in dialog units rounded to pixels on their own: a pixel apart is the same place.
bool SamePlace(POINT a, POINT b) {
    return std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1;
}

// What must hold of the panel in the dialog's present size.
void CheckPanelStands(Driver& driver, const std::string& when) {
    HWND panelWindow = driver.ControlWindow(CTL_CURVE);
    const RECT panel = InClient(driver.dialog, panelWindow);
    const RECT tab = InClient(driver.dialog, driver.ControlWindow(CTL_MAIN_TAB));
    const RECT preview = InClient(driver.dialog, driver.Item(ITEM_PREVIEW));
    const std::string where = when + ": panel " + Describe(panel) + ", sheet " + Describe(tab) +
                              ", preview " + Describe(preview);
    driver.Check(IsWindowVisible(panelWindow) != FALSE, where + ": the panel is shown");
    const int width = panel.right - panel.left, height = panel.bottom - panel.top;
    // Whole dialog units that cover the panel's pixels: at most a unit's pixels more.
    driver.Check(width >= kPanelSide && height >= kPanelSide && width < kPanelSide + 4 &&
                     height < kPanelSide + 4,
                 where + ": the panel keeps its pixel size");
    RECT meet = {};
    driver.Check(!IntersectRect(&meet, &panel, &preview), where + ": off the preview");
    driver.Check(panel.left >= tab.left && panel.right <= tab.right && panel.top >= tab.top &&
                     panel.bottom <= tab.bottom,
                 where + ": on the main tab's sheet");
}

// The smoothed curve (the preferences' default) is drawn in greys darker than the frame,
// black at its heart.
bool IsCurveGrey(COLORREF c) {
    return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c) &&
           GetGValue(c) < GetGValue(kPlainFrame);
}

// The identity curve over the grid: the diagonal's pixels in the curve's greys, the frame in
// its grey, and the sheet's colour between the grid lines.
void CheckPanelPaintsTheCurve(Driver& driver, const std::string& when) {
    HWND panel = driver.ControlWindow(CTL_CURVE);
    for (int x : {20, 80, 140}) {
        const COLORREF shown = PanelPixel(panel, x + 4, kCurveSize + 4 - x);
        driver.Check(IsCurveGrey(shown), when + ": diagonal pixel at input " + std::to_string(x) +
                                             " is " + std::to_string(shown));
    }
    driver.Check(PanelPixel(panel, 0, kPanelSide / 3) == kPlainFrame, when + ": the frame");
    const COLORREF sheet = PanelPixel(panel, kCurveSize / 8 + 4, kCurveSize / 8 + 4);
    driver.Check(!IsCurveGrey(sheet) && sheet != kPlainFrame,
                 when + ": the panel's background is no box of the curve's colour");
    driver.Check(PanelPixel(panel, kCurveSize - 10, kCurveSize - 30) == sheet,
                 when + ": the background is even away from the lines");
}

}  // namespace

TEST(CurvePanel, StandsOnTheMainSheetThroughMaximiseAndPaintsTheToneCurve) {
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    auto session = OpenEffectPlugin(120, 80, false);
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        EnterAdvancedMode(driver);
        HWND tab = driver.ControlWindow(CTL_MAIN_TAB);
        ClickAt(TabItemPoint(tab, kMainSheet));
        driver.Check(WaitFor([&] { return SendMessageA(tab, TCM_GETCURSEL, 0, 0) == kMainSheet; }),
                     "the Main sheet is chosen");
        driver.Check(WaitForDialogIdle(driver), "the dialog settles on the Main sheet");
        CheckPanelStands(driver, "restored");
        CheckPanelPaintsTheCurve(driver, "restored");
        const POINT restored = OffsetFromSheet(driver);
        ShootDialog(driver, "curve_panel_restored");

        ShowDialogAs(driver, SW_MAXIMIZE);
        driver.Check(IsZoomed(driver.dialog) != FALSE, "the dialog is maximised");
        driver.Check(WaitForDialogIdle(driver), "the maximised dialog settles");
        CheckPanelStands(driver, "maximised");
        const POINT maximised = OffsetFromSheet(driver);
        driver.Check(SamePlace(maximised, restored),
                     "maximised: the panel keeps its place on the sheet");
        CheckPanelPaintsTheCurve(driver, "maximised");
        ShootDialog(driver, "curve_panel_maximised");

        ShowDialogAs(driver, SW_RESTORE);
        driver.Check(WaitForDialogIdle(driver), "the restored dialog settles");
        const POINT back = OffsetFromSheet(driver);
        driver.Check(SamePlace(back, restored), "restored again: the panel is where it was");
        driver.End(IDCANCEL);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
}

// The 27 effect pages: which sheet and selectors show each, the controls that travel with a
// page, and the moves between home sheets and the FX1 sheet of Advanced+ Mode.
#pragma once

#include <cstdint>

constexpr int32_t kEffectPageCount = 27;
constexpr int32_t kPageExtraMax = 12;

// One page: the main tab's sheet, its page selector and item, and a sub-selector with its
// item (-1 when none); rebase 1 = in Advanced+ Mode its controls are lifted under the list.
struct EffectPage {
    int32_t sheet;
    int32_t selector, item;
    int32_t subSelector, subItem;
    int32_t rebase;
};
extern const EffectPage gEffectPages[kEffectPageCount];

// Further controls that travel with a page besides its preset group's controls.
struct PageExtras {
    int32_t count;
    int32_t controls[kPageExtraMax];
};
extern const PageExtras gPageExtraControls[kEffectPageCount];
// How many of a page's group controls the preset list's effect panel shows.
extern const int32_t gPanelControlCount[kEffectPageCount];

// The curve the Main sheet shows (0 tone .. 6 saturation) and the page in the effect panel
// (-1 the main intensity alone, -2 none). Written only by effect_pages.cpp.
extern int32_t gCurrentCurve;
extern int32_t gPanelPage;
void EffectPagesReset();

enum ListDirection : int32_t {
    LIST_FROM_PAGE = 0,  // page -> position in the effect list
    LIST_TO_PAGE = 1,    // position in the effect list -> page
};
// The effect list shows the pages with separators at positions 7 and 25; a separator maps to
// the page before it.
int32_t MapListIndex(int32_t index, int32_t direction);

// Pure: the current page from the mode and the selectors' values (values[n] = value of n).
int32_t PageOfControlValues(int32_t mode, int32_t control, const int32_t* values);
// Pure: the page the eyedropper option o or the cross option c belongs to.
int32_t PageOfEyedropperOption(int32_t option);
int32_t PageOfCrossOption(int32_t option);

// The page's controls that move with it (group controls, then extras); returns the count.
int32_t PageControls(int32_t page, int32_t* controls, int32_t capacity);

// --- Glue over the dialog's controls -------------------------------------------------------
int32_t PageOfControlEvent(int32_t mode, int32_t control);
void SelectCurrentCurve();
void RestorePageControls();
void GoToPage(int32_t page, int32_t navigate);
void PageFromTool();
void PageFromCrossTool();
int32_t PanelControlCount(int32_t page);
void DisableEffectGroup(int32_t page);

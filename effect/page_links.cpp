// Ways to an effect page beside the settings: the "More..." texts of Photography Mode next to
// their built-in preset combos, and the effect list of Advanced+ Mode with its two steps.

#include <windows.h>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_record.h"
#include "dialog/dialog_services.h"
#include "dialog/skin_engine.h"
#include "effect/control_ids.h"
#include "effect/effect_pages.h"
#include "effect/settings_reaction_parts.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"

namespace {
// A "More..." text, the page it opens and the page it opens instead while the combo beside
// it shows one of the items low..high (-1: no other page).
struct MoreLink {
    int32_t text;
    int32_t combo;
    int32_t page;
    int32_t otherLow, otherHigh, otherPage;
};
constexpr MoreLink kMoreLinks[] = {
    {CTL_MORE_COLOR_FILM, CTL_BUILTIN_COLOR_FILM, 7, 0, -1, -1},         // Selective brightness
    {CTL_MORE_FILM_GRAIN, CTL_BUILTIN_FILM_GRAIN, 22, 0, -1, -1},        // Grain
    {CTL_MORE_COLOR_FILTER, CTL_BUILTIN_COLOR_FILTER, 0, 0, -1, -1},     // BW conversion
    {CTL_MORE_COLOR_GRAD, CTL_BUILTIN_COLOR_GRAD, 6, 2, 4, 1},           // ND-Grad; Polarizer
    {CTL_MORE_DIFFUSION, CTL_BUILTIN_DIFFUSION, 18, 0, -1, -1},          // Diffusion
    {CTL_MORE_DEVELOPMENT_1, CTL_BUILTIN_DEVELOPMENT_1, 11, 0, -1, -1},  // Tone
    {CTL_MORE_DEVELOPMENT_2, CTL_BUILTIN_DEVELOPMENT_2, 2, 0, -1, -1},   // Dynamic Contrast
    {CTL_MORE_LAB_COLOR, CTL_BUILTIN_LAB_COLOR, 4, 0, 15, 3},            // Lab FX; Tonal Look
    {CTL_MORE_SATURATION, CTL_BUILTIN_SATURATION, 12, 0, -1, -1},        // Color
    {CTL_MORE_PAPER, CTL_BUILTIN_PAPER, 21, 0, -1, -1},                  // Paper
    {CTL_MORE_VIGNETTE, CTL_BUILTIN_VIGNETTE, 20, 0, -1, -1},            // Vignette
    {CTL_MORE_FRAME, CTL_BUILTIN_FRAME, 23, 0, -1, -1},                  // Frame
};

constexpr COLORREF kMoreHoverColor = RGB(255, 0, 0);
constexpr COLORREF kMoreColor = RGB(0, 0, 255);

// Links are blue, except under a numbered skin, whose own text colour reads on its panels.
int32_t MoreTextColor() {
    if (IsSkinActive() && gParams && gParams->skinIndex > 0) return GetSkinTextColor();
    return kMoreColor;
}
}  // namespace

int32_t MoreLinkPage(int32_t text, int32_t comboValue) {
    for (const MoreLink& link : kMoreLinks) {
        if (link.text != text) continue;
        const bool other = comboValue >= link.otherLow && comboValue <= link.otherHigh;
        return other ? link.otherPage : link.page;
    }
    return -1;
}

int32_t ReactToMoreText(const ReactionEvent& event) {
    for (const MoreLink& link : kMoreLinks)
        if (link.text == event.control) GoToPage(MoreLinkPage(link.text, ValueOf(link.combo)), 1);
    return 0;
}

int32_t HighlightMoreText(const ReactionEvent& event) {
    if (GetControlState(event.control) == 0) return 0;
    SetControlTextColor(event.control, event.event == EVENT_MOUSE_ENTER ? int32_t(kMoreHoverColor)
                                                                        : MoreTextColor());
    return 0;
}

int32_t ReactToEffectList(const ReactionEvent& event) {
    SkipDashItems(CTL_EFFECT_LIST, event.previous);
    GoToPage(MapListIndex(ValueOf(CTL_EFFECT_LIST), LIST_TO_PAGE), 0);
    return 0;
}

int32_t ReactToEffectStep(const ReactionEvent& event) {
    const int32_t value = ValueOf(CTL_EFFECT_LIST);
    const int32_t next = event.control == CTL_EFFECT_PREV ? value - 1 : value + 1;
    if (next < 0 || next > GetControlItemCount(CTL_EFFECT_LIST) - 1) return 0;
    SetControlValue(CTL_EFFECT_LIST, next);
    FireControlEvent(CTL_EFFECT_LIST, EVENT_CLICKED, value);
    return 0;
}

// The linked shadow/highlight sliders of the curve pages: an option box joins each pair into
// one "Contrast" slider, whose moves the hidden partner follows.

#include "effect/control_ids.h"
#include "effect/settings_reaction_parts.h"

namespace {
constexpr int32_t kSaturationLinkValue = 57;
constexpr int32_t kSaturationLow = 83;
constexpr int32_t kSaturationHigh = 133;

struct LinkedPair {
    int32_t option;      // check box that links the pair
    int32_t shadows;     // S: stays visible and carries the joint value
    int32_t highlights;  // H: hidden while the pair is linked
};
constexpr LinkedPair kLinkedPairs[] = {
    {CTL_TONE_OPTION, CTL_TONE_SHADOWS, CTL_TONE_HIGHLIGHTS},
    {CTL_TONING_OPTION, CTL_TONING_SHADOWS, CTL_TONING_HIGHLIGHTS},
    {CTL_BICOLOR_OPTION, CTL_BICOLOR_SHADOWS, CTL_BICOLOR_HIGHLIGHTS},
    {CTL_RED_OPTION, CTL_RED_SHADOWS, CTL_RED_HIGHLIGHTS},
    {CTL_GREEN_OPTION, CTL_GREEN_SHADOWS, CTL_GREEN_HIGHLIGHTS},
    {CTL_BLUE_OPTION, CTL_BLUE_SHADOWS, CTL_BLUE_HIGHLIGHTS},
    // The saturation curve's pair exists only as values; the value of 57 (which the dialog
    // shows as the brush's colour box) links it.
    {kSaturationLinkValue, kSaturationLow, kSaturationHigh},
};

constexpr int32_t kTextContrast = 150;
constexpr int32_t kTextShadows = 151;
constexpr int32_t kTextHighlights = 152;
// Linked, the single slider sits halfway between the two places: five units above the
// highlights slider instead of ten.
constexpr int32_t kLinkedLiftUnits = 5;
constexpr int32_t kPairSpacingUnits = 10;

const LinkedPair* PairOfOption(int32_t option) {
    for (const LinkedPair& pair : kLinkedPairs)
        if (pair.option == option) return &pair;
    return nullptr;
}
}  // namespace

bool FollowLinkedSlider(int32_t n) {
    for (const LinkedPair& pair : kLinkedPairs) {
        if (n != pair.shadows && n != pair.highlights) continue;
        if (ValueOf(pair.option) != 0)
            SetSettingValue(n == pair.shadows ? pair.highlights : pair.shadows, ValueOf(n));
        return true;
    }
    return false;
}

int32_t ReactToLinkOption(const ReactionEvent& event) {
    const LinkedPair* pair = PairOfOption(event.control);
    if (!pair) return 0;
    const int32_t s = pair->shadows, h = pair->highlights;
    if (ValueOf(pair->option) != 0) {
        SetLabelToShortText(s, kTextContrast);
        SetLabelToShortText(h, kTextContrast);
        HideControl(h);
        MoveControlToY(s, ControlY(h) - kLinkedLiftUnits);
        if (ValueOf(s) == ValueOf(h)) return 1;
        SetSettingValue(h, ValueOf(s));
        return 0;
    }
    SetLabelToShortText(s, kTextShadows);
    SetLabelToShortText(h, kTextHighlights);
    MoveControlToY(s, ControlY(h) - kPairSpacingUnits);
    // Unlinking keeps the highlights value: a pair that was linked already holds one value in
    // both, and a stored row or preset with the pair apart must come back apart.
    ShowControl(h);
    return 1;
}

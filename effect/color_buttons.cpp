// The colour buttons of the effect pages: a click picks a new colour with the host's picker
// or the plug-in's own, which previews the colour on the image.

#include "dialog/color_picker.h"
#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/filter_dialog.h"
#include "effect/control_ids.h"
#include "effect/settings_reaction_parts.h"
#include "host/effect_context.h"

namespace {
constexpr int32_t kTextChooseColor = 153;
constexpr int32_t kSheetMain = 3;
constexpr int32_t kPickCancelled = -1;
}  // namespace

int32_t ReactToColorButton(const ReactionEvent& event) {
    const int32_t n = event.control;
    const uint32_t start = uint32_t(GetControlColor(n));
    const int32_t color =
        ValueOf(CTL_HOST_COLOR_DIALOG)
            ? PickColor(start, "%s", ShortText(kTextChooseColor))
            : PickColorWithPreview(n, start, CTL_HIDDEN_OPTION, ValueOf(CTL_LANGUAGE));
    // The picker covered the curve panel: it is drawn again whatever was chosen.
    PumpDialogMessages();
    if (ValueOf(CTL_MAIN_TAB) == kSheetMain) FireControlEvent(CTL_CURVE, EVENT_DRAW_ITEM, 0);
    if (color == kPickCancelled) return 1;
    PumpDialogMessages();
    SetControlColor(n, color);
    SetControlValue(n, color);
    return 0;
}

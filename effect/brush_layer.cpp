// The brush stroke buttons: Apply merges the last stroke into the effect mask, Remove drops
// it, Clear drops the mask too; and the merge itself, which a new stroke also starts with.

#include "effect/brush_layer.h"

#include "dialog/filter_dialog.h"
#include "dialog/preview_window.h"
#include "effect/control_ids.h"
#include "effect/settings_reaction_parts.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/preview_request.h"
#include "host/worker_threads.h"
#include "render/brush_jobs.h"
#include "render/session_state.h"

namespace {
constexpr int32_t kClearMask = 255;

bool ArrayExists(int32_t n) {
    return GetArrayBase(n) != nullptr;
}

// The mask must exist before the job writes it: one byte an image pixel, like the layer.
bool EnsureBrushMask() {
    if (ArrayExists(ARRAY_BRUSH_MASK)) return true;
    const int32_t width = GetArrayDimension(ARRAY_BRUSH_STROKE, 0);
    const int32_t height = GetArrayDimension(ARRAY_BRUSH_STROKE, 1);
    if (!CreateArray(ARRAY_BRUSH_MASK, width, height, 1, 1)) return false;
    SetAllArrayElements(ARRAY_BRUSH_MASK, kClearMask);
    return true;
}
}  // namespace

int32_t MergeBrushLayer() {
    if (!ArrayExists(ARRAY_BRUSH_STROKE) || !EnsureBrushMask()) return 0;
    // The colour distance needs the pixels at full size, not the preview's reduced ones.
    const bool fullSize = ValueOf(CTL_BRUSH_AMOUNT) != 0 && gContext.zoomReduction > 1;
    if (fullSize) requestRect(0, 0, gContext.imageWidth - 1, gContext.imageHeight - 1, 1);
    gColorDistance = {ARRAY_BRUSH_MASK,
                      ARRAY_BRUSH_STROKE,
                      ValueOf(CTL_BRUSH_OPACITY),
                      gSession.brushMode,
                      ValueOf(CTL_BRUSH_COLOR),
                      ValueOf(CTL_BRUSH_AMOUNT),
                      ValueOf(CTL_BRUSH_TOLERANCE)};
    RunPoolRoutine(ColorDistanceMaskRoutine, ValueOf(CTL_MULTI_CPU_OFF) == 0, false);
    if (fullSize) RefreshImageGeometry();
    return 1;
}

int32_t ReactToBrushButton(const ReactionEvent& event) {
    switch (event.control) {
        case CTL_BRUSH_CLEAR:
            ReleaseArray(ARRAY_BRUSH_MASK);
            ReleaseArray(ARRAY_BRUSH_STROKE);
            RunControlAction(ACTION_PREVIEW);
            return 1;
        case CTL_BRUSH_APPLY:
            if (ValueOf(CTL_BRUSH_OPACITY) != 0) MergeBrushLayer();
            ReleaseArray(ARRAY_BRUSH_STROKE);
            return 0;
        case CTL_BRUSH_REMOVE:
            ReleaseArray(ARRAY_BRUSH_STROKE);
            RunControlAction(ACTION_PREVIEW);
            return 0;
    }
    return 0;
}

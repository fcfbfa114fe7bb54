// The effect of the scripting test plug-in. A run that replayed no values scripts a known
// set of settings; a run that replayed values scripts back what it ran with, read from the
// controls and the arrays, so that recording a replayed run shows what the replay did.

#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/scripting_descriptor.h"

namespace {
constexpr int32_t kScriptedControls[] = {0, 7, 150, 309};

void ScriptKnownSettings() {
    for (int32_t n : kScriptedControls) {
        StoreControlValue(n, 3 * n - 40);
        gScripting.scriptedFlags[n] = 1;
    }
    CreateArray(ARRAY_CURVES, kScriptCurvePointMax, 2, kScriptCurveCount, 4);
    CreateArray(ARRAY_SELECTIVE_TABLE, kScriptSelectiveRows, kScriptTableColumns, 1, 4);
    CreateArray(ARRAY_SELECTIVE_RANGES, kScriptSelectiveRows, kScriptRangeColumns, 1, 4);
    for (int32_t curve = 0; curve < kScriptCurveCount; ++curve) {
        gScriptingTables.curvePointCounts[curve] = 2 + curve;
        for (int32_t i = 0; i < kScriptCurvePointMax; ++i) {
            PutArrayElement(ARRAY_CURVES, i, 0, curve, i * 159 / 15);
            PutArrayElement(ARRAY_CURVES, i, 1, curve, (i * 10 + curve * 7) % 160);
        }
    }
    for (int32_t row = 0; row < kScriptSelectiveRows; ++row) {
        // Inside the columns' ranges: -100..100, tolerance 0..90; hues 0..255, weights
        // -100..100.
        for (int32_t c = 0; c < kScriptTableColumns; ++c)
            PutArrayElement(ARRAY_SELECTIVE_TABLE, row, c, 0, c < 4 ? row * 10 + c - 40 : row * 10);
        for (int32_t c = 0; c < kScriptRangeColumns; ++c)
            PutArrayElement(ARRAY_SELECTIVE_RANGES, row, c, 0,
                            c < 4 ? (row * 28 + c * 5) % 256 : row * 20 - 80 + c);
    }
    for (int32_t i = 0; i < kScriptCentreCount; ++i) {
        gScriptingTables.centreX[i] = 10 * i + 3;
        gScriptingTables.centreY[i] = 200 - i;
    }
}
}  // namespace

int32_t OnBuildDialog(EffectContext*) {
    return 0;
}
int32_t OnControlEvent(EffectContext*, int32_t, int32_t, int32_t) {
    return 0;
}
int32_t OnSessionStart(EffectContext*) {
    return 0;
}
int32_t OnRunStart(EffectContext* context) {
    if (context->scriptedValueCount == 0) ScriptKnownSettings();
    return 0;
}
int32_t OnRender(EffectContext*) {
    return 0;
}
int32_t OnAfterRun(EffectContext*) {
    for (int32_t n = 0; n < kSettingsControlCount; ++n)
        if (gScripting.scriptedFlags[n]) gScripting.scriptedValues[n] = GetControlValue(n);
    return 0;
}

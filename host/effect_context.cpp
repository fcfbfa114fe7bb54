// The run-time record gContext: its tables and constants, the accessor table of the image's
// bit depth, and the working control values.

#include "host/effect_context.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "host/pixel_access.h"
#include "host/plugin_data.h"
#include "host/random_source.h"
#include "host/tile_buffers.h"

EffectContext gContext;
ControlEventContext& gControlEventContext = gContext.controlEvent;

namespace {
constexpr int64_t kHeaderMark = 0x7FF7FFFFFFFFFFFF;
constexpr double kAngleStep = 0.006135923151542565;  // 2 pi / 1024
// tan at exactly a quarter turn has no value; this entry uses the angle just past it.
constexpr double kTangentQuarterAngle = -1.5677283652191252;
constexpr int kTangentQuarterIndex = 256;

constexpr AccessorTable kAccessors8 = {
    GetSourcePixel8,
    GetOutputPixel8,
    {GetTile1Pixel8, GetTile2Pixel8, GetTile3Pixel8, GetTile4Pixel8},
    PutOutputPixel8,
    {PutTile1Pixel8, PutTile2Pixel8, PutTile3Pixel8, PutTile4Pixel8},
    GetOutputPixelPolar8,
};
constexpr AccessorTable kAccessors16 = {
    GetSourcePixel16,
    GetOutputPixel16,
    {GetTile1Pixel16, GetTile2Pixel16, GetTile3Pixel16, GetTile4Pixel16},
    PutOutputPixel16,
    {PutTile1Pixel16, PutTile2Pixel16, PutTile3Pixel16, PutTile4Pixel16},
    GetOutputPixelPolar16,
};

void FillAngleTables(EffectContext& context) {
    for (int i = 0; i < kSineTableSize; ++i)
        context.sineTable[i] = int32_t(std::trunc(std::sin(i * kAngleStep) * 512.0));
    for (int i = 0; i < kTangentTableSize; ++i) {
        double angle = i == kTangentQuarterIndex ? kTangentQuarterAngle : i * kAngleStep;
        context.tangentTable[i] = int32_t(std::trunc(std::tan(angle) * 1024.0));
    }
}

// The values every control record holds go into the working values; the rest of the run
// reads only these.
void CopyControlValues(EffectContext& context) {
    RandomSeed(1);
    memset(context.scratch, 0, sizeof context.scratch);
    for (int n = 0; n < kControlCount; ++n) {
        const ControlRecord* record = ControlRecordAt(n);
        context.controlValues[n] = record ? record->value : 0;
    }
}
}  // namespace

bool IsSixteenBitMode(int32_t imageMode) {
    return imageMode >= 10 && imageMode <= 15;
}

const AccessorTable& AccessorTableForMode(int32_t imageMode) {
    return IsSixteenBitMode(imageMode) ? kAccessors16 : kAccessors8;
}

void ResetContextColorDefaults() {
    for (int32_t& value : gContext.colorDefaults) value = 255;
    for (int i = 0; i < 16; ++i) gContext.colorDefaults2[i] = i < 8 ? 255 : 0;
}

void InitRunTables() {
    EffectContext& context = gContext;
    context.headerMark = kHeaderMark;
    context.headerWord = 0;
    context.headerVersion = 1;
    context.recordSize = int32_t(sizeof(EffectContext));
    FillAngleTables(context);
    const int32_t roundingWords[4] = {5951, 6975, 4927, 7999};
    memcpy(context.roundingControlWords, roundingWords, sizeof roundingWords);
    context.roundingConstant = 0.49999999999999;
    context.radianFactor = 162.97466172610083;
    context.one = 1.0f;
    memset(context.escapeStrings, 0, sizeof context.escapeStrings);
    memset(context.pluginFolder, 0, sizeof context.pluginFolder);
    memset(context.savedPointers, 0, sizeof context.savedPointers);
    context.savedWord = 0;
    context.savedByte = 0;
    memset(context.savedStretch, 0, sizeof context.savedStretch);
    const bool haveRecord = gDataBlock && gStuff;
    context.accessors = AccessorTableForMode(haveRecord ? gStuff->imageMode : 0);

    ResetContextColorDefaults();
    context.angleUnit = context.angleUnit2 = kAngleUnitsPerTurn;
    memset(context.clearedWords, 0, sizeof context.clearedWords);
    memset(context.clearedWords2, 0, sizeof context.clearedWords2);
    context.clearedWord = 0;
    const int32_t counters[4] = {0, 0, 1, 1};
    memcpy(context.counters, counters, sizeof counters);
    context.controlEvent = ControlEventContext{};
    context.eventWords[0] = 0;
    context.eventWords[1] = 1;
    context.dialogUp = 0;
    context.scriptedValueCount = 0;
    CopyControlValues(context);
}

int32_t GetControlValue(int32_t n) {
    if (n < 0 || n >= kControlCount) return 0;
    return gContext.controlValues[n];
}

void StoreControlValue(int32_t n, int32_t value) {
    if (n < 0 || n >= kControlCount) return;
    if (ControlRecord* record = ControlRecordAt(n)) record->value = value;
    gContext.controlValues[n] = value;
}

void LoadControlValues() {
    CopyControlValues(gContext);
    DispatchEffectHook(HOOK_RUN_START, &gContext);
}

void EffectContextReset() {
    memset(&gContext, 0, sizeof gContext);
}

// The effect of the runtime's test plug-in (GreyloomTest64/32.8bf). Never linked into the
// shipped plug-in. The test sets the environment variable GREYLOOM_TEST_EFFECT before a run
// (the test host runs the plug-in in the test's own process), as words separated by blanks:
//   pattern            the render hook writes a pattern of source and position
//   via-tile-buffer    ... through tile buffer 1 (asks for it) and back
//   tiles=H,W,B        stored tile size H x W with border B for this run
//   fail-allocations=N the first N tile-buffer allocations fail
//   fault=HOOK:KIND    a fault in hook render or run-start: divide, access or breakpoint
//   preview=S,PX,PY,W,H  before the final run, one preview request as the dialog makes it:
//                      scale S (-888 fits), pan PX,PY, preview area W x H
//   big-gulp           ... with flag "Big Gulp" set
//   trace              switches the framework's debug traces on for the rest of the run
// The effect reports in GREYLOOM_TEST_REPORT: "renders=N transparency-mask=M" where M is 1
// when every render found the fourth plane serving as mask, and after a preview request
// " preview scale=S pan=PX,PY X=.. Y=.. rect=L,T,R,B zoom=Z sum=N" (sum of the source
// samples the render hook read in the rectangle).

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/effect_context.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "host/preview_request.h"
#include "host/run_driver.h"
#include "host/system_calls.h"

namespace {
struct TestEffectSettings {
    bool pattern = false;
    bool viaTileBuffer = false;
    bool storedTiles = false;
    int32_t tileHeight = 0, tileWidth = 0, tileBorder = 0;
    int32_t failAllocations = 0;
    std::string faultHook, faultKind;
    bool preview = false, bigGulp = false, trace = false;
    int32_t previewScale = 0, panX = 0, panY = 0, previewWidth = 0, previewHeight = 0;
};
TestEffectSettings gSettings;
int32_t gRenders = 0;
int32_t gTransparencyMaskSeen = 0;
int32_t gAllocationsToFail = 0;
int64_t gSourceSum = 0;
std::string gPreviewReport;

std::string Environment(const char* name) {
    char value[512] = "";
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length && length < sizeof value ? value : "";
}

void ReadSettings() {
    gSettings = TestEffectSettings{};
    std::string words = Environment("GREYLOOM_TEST_EFFECT");
    size_t start = 0;
    while (start < words.size()) {
        size_t end = words.find(' ', start);
        if (end == std::string::npos) end = words.size();
        const std::string word = words.substr(start, end - start);
        start = end + 1;
        if (word == "pattern") gSettings.pattern = true;
        if (word == "via-tile-buffer") gSettings.pattern = gSettings.viaTileBuffer = true;
        if (word.rfind("tiles=", 0) == 0) {
            gSettings.storedTiles = sscanf(word.c_str() + 6, "%d,%d,%d", &gSettings.tileHeight,
                                           &gSettings.tileWidth, &gSettings.tileBorder) == 3;
        }
        if (word.rfind("preview=", 0) == 0) {
            gSettings.preview =
                sscanf(word.c_str() + 8, "%d,%d,%d,%d,%d", &gSettings.previewScale, &gSettings.panX,
                       &gSettings.panY, &gSettings.previewWidth, &gSettings.previewHeight) == 5;
        }
        if (word == "big-gulp") gSettings.bigGulp = true;
        if (word == "trace") gSettings.trace = true;
        if (word.rfind("fail-allocations=", 0) == 0)
            gSettings.failAllocations = atoi(word.c_str() + 17);
        if (word.rfind("fault=", 0) == 0) {
            const size_t colon = word.find(':');
            gSettings.faultHook = word.substr(6, colon - 6);
            gSettings.faultKind = colon == std::string::npos ? "" : word.substr(colon + 1);
        }
    }
}

void Report() {
    char text[128];
    snprintf(text, sizeof text, "renders=%d transparency-mask=%d", gRenders,
             gRenders > 0 && gTransparencyMaskSeen == gRenders ? 1 : 0);
    SetEnvironmentVariableA("GREYLOOM_TEST_REPORT", (text + gPreviewReport).c_str());
}

// One preview request, as the dialog's preview code makes it, then the render of it.
void RunPreviewRequest() {
    if (gSettings.bigGulp) gParams->flags |= PFLAG_BIG_GULP;
    gDataBlock->previewRect = {0, 0, int16_t(gSettings.previewHeight),
                               int16_t(gSettings.previewWidth)};
    int32_t scale = gSettings.previewScale;
    PanOffset pan = {gSettings.panX, gSettings.panY};
    gSourceSum = 0;
    SetupFilterRecordForProxy(scale, pan);
    if (GetResult() == 0) ProcessFilterRect();
    const EffectContext& c = gContext;
    char text[256];
    snprintf(text, sizeof text,
             " preview scale=%d pan=%d,%d X=%d Y=%d rect=%d,%d,%d,%d zoom=%d sum=%lld", scale,
             pan.x, pan.y, c.X, c.Y, c.currentLeft, c.currentTop, c.currentRight, c.currentBottom,
             c.zoomReduction, static_cast<long long>(gSourceSum));
    gPreviewReport = text;
    gContext.dialogUp = 0;
    if (gSettings.bigGulp) gParams->flags &= ~PFLAG_BIG_GULP;
}

void MaybeFault(const char* hook) {
    if (gSettings.faultHook != hook) return;
    if (gSettings.faultKind == "divide") {
        volatile int32_t zero = 0;
        volatile int32_t quotient = 100 / zero;
        (void)quotient;
    } else if (gSettings.faultKind == "access") {
        volatile int32_t* nowhere = nullptr;
        *nowhere = 1;
    } else if (gSettings.faultKind == "breakpoint") {
        __debugbreak();
    }
}

void* FailingAllocate(size_t count, size_t size) {
    if (gAllocationsToFail > 0) {
        --gAllocationsToFail;
        return nullptr;
    }
    return calloc(count, size);
}

int32_t Pattern(int32_t source, int32_t x, int32_t y, int32_t c, int32_t max) {
    return (source * 3 + x * 7 + y * 11 + c * 13) % (max + 1);
}

void RenderPattern(EffectContext* context) {
    const int32_t max = IsSixteenBitMode(context->imageMode) ? 32768 : 255;
    const AccessorTable& a = context->accessors;
    for (int32_t y = context->currentTop; y < context->currentBottom; ++y)
        for (int32_t x = context->currentLeft; x < context->currentRight; ++x)
            for (int32_t c = 0; c < context->Z; ++c) {
                int32_t value = Pattern(a.getSourcePixel(x, y, c), x, y, c, max);
                if (gSettings.viaTileBuffer) {
                    a.putTilePixel[0](x, y, c, value);
                    value = a.getTilePixel[0](x, y, c);
                }
                a.putOutputPixel(x, y, c, value);
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
    // Run start also comes for every preview rectangle; the settings belong to the run.
    if (context->dialogUp) return 0;
    ReadSettings();
    gRenders = gTransparencyMaskSeen = 0;
    gPreviewReport.clear();
    gAllocationsToFail = gSettings.failAllocations;
    gSystem.allocateZeroed = FailingAllocate;
    if (gSettings.storedTiles) {
        context->storedTileSizeOn = 1;
        context->tileHeight = gSettings.tileHeight;
        context->tileWidth = gSettings.tileWidth;
        context->tileBorder = gSettings.tileBorder;
    }
    context->frameworkSettings[3] = gSettings.viaTileBuffer ? 1 : 0;
    if (gSettings.preview) RunPreviewRequest();
    if (gSettings.trace) gParams->flags |= PFLAG_TRACE;
    Report();
    MaybeFault("run-start");
    return 0;
}

int32_t OnRender(EffectContext* context) {
    ++gRenders;
    if (context->maskFromTransparency && context->maskData == context->adjustedInData + 3)
        ++gTransparencyMaskSeen;
    Report();
    MaybeFault("render");
    if (context->dialogUp) {
        for (int32_t y = context->currentTop; y < context->currentBottom; ++y)
            for (int32_t x = context->currentLeft; x < context->currentRight; ++x)
                for (int32_t c = 0; c < context->Z; ++c)
                    gSourceSum += context->accessors.getSourcePixel(x, y, c);
    }
    if (gSettings.pattern) RenderPattern(context);
    return 0;
}

int32_t OnAfterRun(EffectContext*) {
    return 0;
}

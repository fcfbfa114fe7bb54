// In-memory images rendered through the render hook, for the engine tests.

#include "engine_image.h"

#include <cstring>

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/session_hooks.h"
#include "render/session_state.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/plugin_data.h"
#include "render/render_fields.h"
#include "render/render_rows.h"

namespace {
FilterRecord gTestRecord;
PluginDataBlock gTestBlock;
std::vector<uint8_t> gSelection;
int32_t gAbortAt = 0;
int32_t gAbortCalls = 0;
std::vector<std::pair<int32_t, int32_t>> gProgress;

HostBoolean HOSTAPI TestAbort() {
    ++gAbortCalls;
    return gAbortAt > 0 && gAbortCalls >= gAbortAt;
}

void HOSTAPI TestProgress(int32_t done, int32_t total) {
    gProgress.push_back({done, total});
}

template <typename Sample>
void RenderTiles(const EngineImage& source, EngineImage& output,
                 const std::vector<RenderRect>& tiles, bool dialogUp) {
    const int32_t planes = source.planes;
    std::vector<Sample> in(source.samples.begin(), source.samples.end());
    std::vector<Sample> out(in.size());
    const int64_t rowBytes = int64_t(source.width) * planes * sizeof(Sample);
    for (const RenderRect& r : tiles) {
        EffectContext& c = gContext;
        for (int32_t y = r.top; y < r.bottom; ++y)
            memcpy(&out[(size_t(y) * source.width + r.left) * planes],
                   &in[(size_t(y) * source.width + r.left) * planes],
                   size_t(r.right - r.left) * planes * sizeof(Sample));
        const size_t first = (size_t(r.top) * source.width + r.left) * planes;
        c.imageMode = source.sixteenBit ? IMAGE_MODE_RGB48 : IMAGE_MODE_RGB;
        c.X = c.width = source.width;
        c.Y = c.height = source.height;
        c.imageWidth = source.width;
        c.imageHeight = source.height;
        c.currentLeft = r.left;
        c.currentRight = r.right;
        c.currentTop = r.top;
        c.currentBottom = r.bottom;
        c.rows = r.bottom - r.top;
        c.columns = r.right - r.left;
        c.zoomReduction = 1;
        c.dialogUp = dialogUp ? 1 : 0;
        c.inData = c.adjustedInData = reinterpret_cast<uint8_t*>(in.data() + first);
        c.outData = reinterpret_cast<uint8_t*>(out.data() + first);
        c.inRowBytes = c.outRowBytes = int32_t(rowBytes);
        c.inStep = c.outStep = planes;
        c.inputPlanes = planes;
        c.haveMask = gSelection.empty() ? 0 : 1;
        c.maskData = gSelection.empty() ? nullptr
                                        : gSelection.data() + size_t(r.top) * source.width + r.left;
        c.maskRowBytes = source.width;
        c.maskStep = 1;
        DispatchEffectHook(HOOK_RENDER, &c);
    }
    output.samples.assign(out.begin(), out.end());
}
}  // namespace

Rgb EngineImage::At(int32_t x, int32_t y) const {
    const size_t i = (size_t(y) * width + x) * planes;
    return {samples[i], samples[i + 1], samples[i + 2]};
}

void EngineImage::Set(int32_t x, int32_t y, const Rgb& p) {
    const size_t i = (size_t(y) * width + x) * planes;
    samples[i] = uint16_t(p.r);
    samples[i + 1] = uint16_t(p.g);
    samples[i + 2] = uint16_t(p.b);
}

EngineImage MakeImage(int32_t width, int32_t height, bool sixteenBit,
                      const std::function<Rgb(int32_t, int32_t)>& colour) {
    EngineImage image;
    image.width = width;
    image.height = height;
    image.sixteenBit = sixteenBit;
    image.samples.assign(size_t(width) * height * image.planes, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) image.Set(x, y, colour(x, y));
    return image;
}

EngineImage NoiseImage(int32_t width, int32_t height, bool sixteenBit, uint32_t seed) {
    uint32_t state = seed * 2654435761u + 1;
    auto next = [&state]() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return int32_t(state % 256);
    };
    const int32_t scale = sixteenBit ? 128 : 1;
    return MakeImage(width, height, sixteenBit, [&](int32_t, int32_t) {
        return Rgb{next() * scale, next() * scale, next() * scale};
    });
}

void EngineSetSelection(const std::vector<uint8_t>& mask) {
    gSelection = mask;
}

void EngineBegin() {
    gSelection.clear();
    EffectContextReset();
    ResetArrayTables();
    SessionStateReset();
    RenderStateReset();
    RenderFieldsReset();
    gTestRecord = FilterRecord{};
    gTestRecord.abortProc = TestAbort;
    gTestRecord.progressProc = TestProgress;
    gTestBlock = PluginDataBlock{};
    gTestBlock.stuff = &gTestRecord;
    gDataBlock = &gTestBlock;
    gAbortAt = gAbortCalls = 0;
    gProgress.clear();
    for (int32_t n = 0; n < kControlCount; ++n)
        gContext.controlValues[n] = ControlTableStartValue(n);
    SessionCreateTables();
}

void EngineEnd() {
    ReleaseAllArrays();
    gDataBlock = nullptr;
}

int32_t* EngineControls() {
    return gContext.controlValues;
}

void EngineAbortAtCall(int32_t call) {
    gAbortAt = call;
    gAbortCalls = 0;
}

const std::vector<std::pair<int32_t, int32_t>>& EngineProgress() {
    return gProgress;
}

int16_t EngineResult() {
    return gTestBlock.result;
}

EngineImage RenderImage(const EngineImage& source, const std::vector<RenderRect>& tiles,
                        bool dialogUp) {
    EngineImage output = source;
    if (source.sixteenBit)
        RenderTiles<uint16_t>(source, output, tiles, dialogUp);
    else
        RenderTiles<uint8_t>(source, output, tiles, dialogUp);
    return output;
}

EngineImage RenderImage(const EngineImage& source, bool dialogUp) {
    return RenderImage(source, {{0, 0, source.width, source.height}}, dialogUp);
}

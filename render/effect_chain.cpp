// The effect chain's per-render values, made on the host's thread, and the calls of the
// pixel pipeline into its steps.

#include "render/effect_chain.h"

#include <algorithm>

#include "effect/control_ids.h"
#include "render/session_state.h"
#include "host/effect_context.h"
#include "host/random_source.h"
#include "render/render_arrays.h"
#include "render/render_hook.h"
#include "render/render_rows.h"

namespace {
enum EffectCentre : int32_t {
    CENTRE_AGING = 0,
    CENTRE_NDGRAD = 1,
    CENTRE_DIFFUSION = 2,
    CENTRE_VIGNETTE = 3,
    CENTRE_MASK = 5,
};

// The image at the preview's scale (X, Y) and as the host reports it (W, H).
struct ImageSize {
    int32_t X, Y, W, H;
};

ImageSize ImageSizeOf(const EffectContext& c) {
    ImageSize g = {};
    g.X = std::max(c.X, 1);
    g.Y = std::max(c.Y, 1);
    g.W = c.imageWidth > 0 ? c.imageWidth : g.X;
    g.H = c.imageHeight > 0 ? c.imageHeight : g.Y;
    return g;
}

// Lookup rows of a single-row bend array, or an empty row when it was not made.
const int32_t* BendRow(int32_t array, int32_t levels, std::vector<int32_t>& row) {
    return CopyLookupRow(array, 0, levels, row) ? row.data() : nullptr;
}
}  // namespace

bool EffectChainPrepare(RenderPlan& plan, const EffectContext& c) {
    const int32_t* v = c.controlValues;
    const ImageSize g = ImageSizeOf(c);
    EffectChain& e = plan.effects;
    const BitDepth& d = plan.depth;
    const int32_t z = plan.zoom, levels = d.max + 1;
    e.lab = LabEffectsFromControls(v, d, c.sineTable);
    const int32_t* ndLut = nullptr;
    if (v[CTL_NDGRAD_BRIGHTNESS] != 0 || v[CTL_NDGRAD_CONTRAST] != 0)
        ndLut = BendRow(ARRAY_NDGRAD_LUT, levels, e.ndgradLut);
    e.ndgrad = NdGradFromControls(v, d, g.X, g.Y, z, gSession.centrePointX[CENTRE_NDGRAD],
                                  gSession.centrePointY[CENTRE_NDGRAD], ndLut);
    const int32_t* luts[kToningChannels] = {};
    for (int32_t ch = 0; ch < kToningChannels; ++ch)
        if (plan.toneInUse[ch] && plan.toneLuts[ch].size() >= size_t(levels))
            luts[ch] = plan.toneLuts[ch].data();
    e.toning = ToningFromControls(v, d, luts);
    e.grain = FilmGrainFromControls(v, d, g.W, g.H);
    e.vignette = VignetteFromControls(v, d, g.X, g.Y, z, gSession.centrePointX[CENTRE_VIGNETTE],
                                      gSession.centrePointY[CENTRE_VIGNETTE]);
    e.aging = v[CTL_AGING_INTENSITY] != 0;
    e.textureOffsetX = -(gSession.centrePointX[CENTRE_AGING] / z);
    e.textureOffsetY = -(gSession.centrePointY[CENTRE_AGING] / z);
    if (e.aging) {
        NoiseTextureSetup(e.texture, v, plan.sixteenBit, g.W, g.H, z);
        // The pixels read their sources from the rectangle's columns only.
        NoiseTextureColumns(e.texture, plan.left + e.textureOffsetX, plan.right - plan.left);
    }
    e.paperContrast = PaperContrastFromControls(v, d, plan.paper, plan.dynamicContrast);
    const int32_t* diffusionLut = nullptr;
    if (v[CTL_DIFFUSION_BRIGHTNESS] != 0 || v[CTL_DIFFUSION_CONTRAST] != 0)
        diffusionLut = BendRow(ARRAY_DIFFUSION_LUT, levels, e.diffusionLut);
    e.diffusionGlow = DiffusionGlowFromControls(
        v, d, plan.pass3, g.X, g.Y, z, gSession.centrePointX[CENTRE_DIFFUSION],
        gSession.centrePointY[CENTRE_DIFFUSION], diffusionLut);
    e.mask = SelectionMaskFromControls(v, d, g.X, g.Y, z, gSession.centrePointX[CENTRE_MASK],
                                       gSession.centrePointY[CENTRE_MASK]);
    e.brush = BrushMaskFromControls(v, d, z, gSession.brushMode);
    e.fades = FadesFromControls(v, d);
    e.frame = FrameFromControls(v, d, g.X, g.Y, plan.thumbnails, plan.left, plan.top);
    e.shaping = e.lab.intensity != 0 || e.ndgrad.on || e.toning.any;
    e.weighed = e.mask.type != 0 || e.vignette.on || e.brush.weighed;
    e.finishing = e.grain.intensity != 0 || e.vignette.on || e.aging;
    e.blends = e.mask.type != 0 || e.brush.on || e.fades.any;
    return true;
}

PixelWeights EffectWeights(const EffectChain& e, EffectWorker& worker, const PixelSite& s,
                           const Rgb& tonal, bool vignetteHere) {
    PixelWeights w = {255, 255, 255};
    if (e.mask.type != 0) w.mask = MaskWeight(e.mask, s.x, s.y, tonal);
    if (vignetteHere && e.vignette.on) {
        // The row's pixels come left to right: their values are made a chunk at a time.
        const int32_t offset = s.x - worker.vignetteFrom;
        if (worker.vignetteMade && worker.vignetteRow == s.y && offset >= 0 &&
            offset < EffectWorker::kVignetteChunk) {
            w.vignette = worker.vignette[offset];
        } else {
            VignetteShapeRow(e.vignette, s.x, s.y, EffectWorker::kVignetteChunk, worker.vignette);
            worker.vignetteMade = true;
            worker.vignetteRow = s.y;
            worker.vignetteFrom = s.x;
            w.vignette = worker.vignette[0];
        }
    }
    if (e.brush.weighed) w.brush = BrushWeight(e.brush, s.x, s.y, tonal);
    return w;
}

int32_t DisplayModeGrey(bool maskShow, bool maskOption, const PixelWeights& w) {
    if (maskShow) return maskOption ? w.mask * w.brush / 255 : w.mask;
    return w.brush;
}

void EffectLabAndToning(const EffectChain& e, const PixelSite& s, const Rgb& source, Rgb& p) {
    ApplyLabEffects(e.lab, p);
    ApplyNdGrad(e.ndgrad, s.x, s.y, source, p);
    ApplyToning(e.toning, source, p);
}

namespace {
// The aging texture on pixel p in column `column` from the row's noise: its samples are made
// a chunk at a time as the row's pixels come left to right.
void TextureFromRow(EffectWorker& worker, int32_t column, Rgb& p) {
    TexturePixelState& texture = worker.texture;
    const int32_t offset = column - worker.textureFrom;
    if (offset >= 0 && offset < worker.textureCount) {
        NoiseTextureBlendSample(texture, worker.textures[offset], p);
        return;
    }
    const int32_t count = std::min(EffectWorker::kTextureChunk, texture.columnCount - column);
    if (count > 0 &&
        NoiseTextureSamples(texture, worker.rowNoise + column, count, worker.textures)) {
        worker.textureFrom = column;
        worker.textureCount = count;
        NoiseTextureBlendSample(texture, worker.textures[0], p);
        return;
    }
    texture.red = p.r;
    texture.green = p.g;
    texture.blue = p.b;
    NoiseTextureBlend(texture, worker.rowNoise[column]);
    p = {texture.outRed, texture.outGreen, texture.outBlue};
}
}  // namespace

EffectWorker EffectWorkerBegin(const EffectChain& e) {
    EffectWorker worker = {e.texture, RandomState(), nullptr, nullptr, 0, 0, false, {}, 0, 0, {}};
    return worker;
}

void EffectWorkerEnd(const EffectWorker& worker) {
    RandomSetState(worker.random);
}

void EffectFinishing(const EffectChain& e, EffectWorker& worker, const PixelSite& s,
                     int32_t vignette, Rgb& p) {
    TexturePixelState& texture = worker.texture;
    if (e.grain.intensity != 0 && worker.rowGrain) {
        ApplyGrainDrawn(e.grain, s.column, s.row, worker.rowGrain, p);
        worker.rowGrain += e.grain.drawsPerPixel;
    } else if (e.grain.intensity != 0) {
        ApplyGrain(e.grain, s.column, s.row, worker.random, p);
    }
    if (e.vignette.on) ApplyVignette(e.vignette, vignette, p);
    if (e.aging && worker.rowNoise) {
        TextureFromRow(worker, s.column, p);
    } else if (e.aging) {
        texture.x = s.sx + e.textureOffsetX;
        texture.y = s.sy + e.textureOffsetY;
        texture.red = p.r;
        texture.green = p.g;
        texture.blue = p.b;
        NoiseTexturePixel(texture);
        p = {texture.outRed, texture.outGreen, texture.outBlue};
    }
}

void EffectBlendsAndFades(const EffectChain& e, const PixelWeights& w, const Rgb& base, Rgb& p) {
    const int32_t max = e.fades.depth.max;
    if (e.mask.type != 0) BlendTowardBase(w.mask, base, e.mask.showColour, max, p);
    if (e.brush.on) BlendTowardBase(w.brush, base, e.brush.showColour, max, p);
    if (e.fades.any) ApplyFades(e.fades, base, p);
}

void EffectFrame(const EffectChain& e, const PixelSite& s, Rgb& p) {
    if (e.frame.on) ApplyFrame(e.frame, s.x, s.y, s.column, s.row, p);
}

PassViews EffectPassViews() {
    return {ArrayViewOf(ARRAY_WORK_BLUR), ArrayViewOf(ARRAY_LOCAL_CONTRAST),
            ArrayViewOf(ARRAY_GLOW_MASK)};
}

void EffectPassTwo(const EffectChain& e, const PassViews& views, const PixelSite& s, Rgb& p) {
    const PaperContrast& step = e.paperContrast;
    if (step.paper != 0 && views.blur.Valid())
        ApplyPaper(step, views.blur.AtClamped(s.column, s.row, 0), p);
    if (step.contrast != 0 && views.contrast.Valid())
        ApplyDynamicContrast(step, views.contrast.AtClamped(s.column, s.row, 0), p);
}

void EffectPassThree(const EffectChain& e, const PassViews& views, const PixelSite& s, Rgb& p) {
    const DiffusionGlow& step = e.diffusionGlow;
    if (step.diffusion != 0 && views.blur.Valid() && views.blur.channels >= 3) {
        const Rgb blurred = {views.blur.AtClamped(s.column, s.row, 0),
                             views.blur.AtClamped(s.column, s.row, 1),
                             views.blur.AtClamped(s.column, s.row, 2)};
        ApplyDiffusion(step, s.x, s.y, blurred, p);
    }
    if (step.glow != 0 && views.glow.Valid())
        ApplyGlow(step, views.glow.AtClamped(s.column, s.row, 0), p);
}

void EffectPassTwoRow(const EffectChain& e, const PassViews& views, const LaterPassRowProcs& rows,
                      int32_t column, int32_t row, const RowPlanes& p) {
    const PaperContrast& step = e.paperContrast;
    int32_t read[kLaterPassChunk];
    if (step.paper != 0 && views.blur.Valid()) {
        views.blur.RowClamped(column, row, 0, p.count, read);
        rows.paper(step, read, p);
    }
    if (step.contrast != 0 && views.contrast.Valid()) {
        views.contrast.RowClamped(column, row, 0, p.count, read);
        rows.dynamicContrast(step, read, p);
    }
}

void EffectPassThreeRow(const EffectChain& e, const PassViews& views, const LaterPassRowProcs& rows,
                        int32_t x, int32_t y, int32_t column, int32_t row, const RowPlanes& p) {
    const DiffusionGlow& step = e.diffusionGlow;
    int32_t read[3][kLaterPassChunk];
    if (step.diffusion != 0 && views.blur.Valid() && views.blur.channels >= 3) {
        for (int32_t c = 0; c < 3; ++c) views.blur.RowClamped(column, row, c, p.count, read[c]);
        int32_t positions[kLaterPassChunk];
        const bool masked = step.mask.kind != GRADIENT_NONE;
        if (masked)
            for (int32_t i = 0; i < p.count; ++i)
                positions[i] = GradientPosition(step.mask, x + i, y);
        rows.diffusion(step, {read[0], read[1], read[2]}, masked ? positions : nullptr, p);
    }
    if (step.glow != 0 && views.glow.Valid()) {
        views.glow.RowClamped(column, row, 0, p.count, read[0]);
        rows.glow(step, read[0], p);
    }
}

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

PixelWeights EffectWeights(const EffectChain& e, const PixelSite& s, const Rgb& tonal,
                           bool vignetteHere) {
    PixelWeights w = {255, 255, 255};
    if (e.mask.type != 0) w.mask = MaskWeight(e.mask, s.x, s.y, tonal);
    if (vignetteHere && e.vignette.on) w.vignette = VignetteShapeValue(e.vignette, s.x, s.y);
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
// The aging texture on pixel p in column `column` from the row's noise.
void TextureFromRow(TexturePixelState& texture, const double* rowNoise, int32_t column, Rgb& p) {
    TextureSample sample;
    if (NoiseTextureSamples(texture, rowNoise + column, 1, &sample)) {
        NoiseTextureBlendSample(texture, sample, p);
        return;
    }
    texture.red = p.r;
    texture.green = p.g;
    texture.blue = p.b;
    NoiseTextureBlend(texture, rowNoise[column]);
    p = {texture.outRed, texture.outGreen, texture.outBlue};
}

// The aging texture at (x, y) on pixel p, its noise made for the pixel alone.
void TextureOfPixel(TexturePixelState& texture, int32_t x, int32_t y, Rgb& p) {
    texture.x = x;
    texture.y = y;
    texture.red = p.r;
    texture.green = p.g;
    texture.blue = p.b;
    NoiseTexturePixel(texture);
    p = {texture.outRed, texture.outGreen, texture.outBlue};
}
}  // namespace

EffectWorker EffectWorkerBegin(const EffectChain& e) {
    return {e.texture, RandomState(), nullptr, nullptr};
}

void EffectWorkerEnd(const EffectWorker& worker) {
    RandomSetState(worker.random);
}

void EffectFinishing(const EffectChain& e, EffectWorker& worker, const PixelSite& s,
                     int32_t vignette, Rgb& p) {
    if (e.grain.intensity != 0 && worker.rowGrain) {
        ApplyGrainDrawn(e.grain, s.column, s.row, worker.rowGrain, p);
        worker.rowGrain += e.grain.drawsPerPixel;
    } else if (e.grain.intensity != 0) {
        ApplyGrain(e.grain, s.column, s.row, worker.random, p);
    }
    if (e.vignette.on) ApplyVignette(e.vignette, vignette, p);
    if (e.aging && worker.rowNoise) {
        TextureFromRow(worker.texture, worker.rowNoise, s.column, p);
    } else if (e.aging) {
        TextureOfPixel(worker.texture, s.sx + e.textureOffsetX, s.sy + e.textureOffsetY, p);
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

void EffectClosePixel(const EffectChain& e, bool last, EffectWorker& worker, const PixelSite& site,
                      const PixelWeights& weights, const Rgb& base, Rgb& p) {
    if (last && e.finishing) EffectFinishing(e, worker, site, weights.vignette, p);
    if (e.blends) EffectBlendsAndFades(e, weights, base, p);
    if (last && e.frame.on) EffectFrame(e, site, p);
}

void EffectWeightsRow(const EffectChain& e, const ChunkSite& s, const ConstRowPlanes& tonal,
                      int32_t count, bool vignetteHere, ChunkWeights& w) {
    auto pixel = [&](int32_t i) { return Rgb{tonal.r[i], tonal.g[i], tonal.b[i]}; };
    for (int32_t i = 0; i < count; ++i)
        w.mask[i] = e.mask.type != 0 ? MaskWeight(e.mask, s.x + i, s.y, pixel(i)) : 255;
    if (vignetteHere && e.vignette.on) {
        uint8_t shape[kLaterPassChunk];
        VignetteShapeRow(e.vignette, s.x, s.y, count, shape);
        for (int32_t i = 0; i < count; ++i) w.vignette[i] = shape[i];
    } else {
        for (int32_t i = 0; i < count; ++i) w.vignette[i] = 255;
    }
    for (int32_t i = 0; i < count; ++i)
        w.brush[i] = e.brush.weighed ? BrushWeight(e.brush, s.x + i, s.y, pixel(i)) : 255;
}

namespace {
// Step `step` on each pixel of the planes in column order, the pixel as an Rgb.
template <typename Step>
void EachPixel(const RowPlanes& p, Step step) {
    for (int32_t i = 0; i < p.count; ++i) {
        Rgb q = {p.r[i], p.g[i], p.b[i]};
        step(i, q);
        p.r[i] = q.r;
        p.g[i] = q.g;
        p.b[i] = q.b;
    }
}

// The grain of the chunk: the row's draws, or the chunk's own drawn from the worker's random
// state in column order, as the pixels would draw them one by one.
void GrainRow(const EffectChain& e, EffectWorker& worker, const ChunkSite& s,
              const ClosingRowProcs& rows, const RowPlanes& p) {
    const FilmGrain& grain = e.grain;
    const int32_t perPixel = grain.drawsPerPixel, n = p.count;
    int32_t own[kLaterPassChunk * 4];
    const int32_t* draws = worker.rowGrain;
    if (draws) {
        worker.rowGrain += int64_t(n) * perPixel;
    } else {
        GrainDrawRow(grain, worker.random, n, own);
        draws = own;
    }
    int32_t drawPlanes[4][kLaterPassChunk], fieldPlanes[4][kLaterPassChunk];
    GrainChunk chunk = {};
    for (int32_t k = 0; k < perPixel; ++k) {
        for (int32_t i = 0; i < n; ++i) drawPlanes[k][i] = draws[i * perPixel + k];
        chunk.draws[k] = drawPlanes[k];
    }
    if (grain.size > 0) {
        int32_t* const fields[4] = {fieldPlanes[0], fieldPlanes[1], fieldPlanes[2], fieldPlanes[3]};
        GrainFieldRow(grain, s.column, s.row, n, fields);
        for (int32_t k = 0; k < 4; ++k) chunk.field[k] = fieldPlanes[k];
    }
    rows.grain(grain, chunk, p);
}

// The aging texture of the chunk: from the row's noise, or each pixel's own.
void TextureRow(const EffectChain& e, EffectWorker& worker, const ChunkSite& s,
                const RowPlanes& p) {
    TexturePixelState& texture = worker.texture;
    TextureSample samples[kLaterPassChunk];
    if (worker.rowNoise &&
        NoiseTextureSamples(texture, worker.rowNoise + s.column, p.count, samples)) {
        NoiseTextureBlendRow(texture, samples, p);
    } else if (worker.rowNoise) {
        EachPixel(p, [&](int32_t i, Rgb& q) {
            TextureFromRow(texture, worker.rowNoise, s.column + i, q);
        });
    } else {
        EachPixel(p, [&](int32_t i, Rgb& q) {
            TextureOfPixel(texture, s.sx[i] + e.textureOffsetX, s.sy + e.textureOffsetY, q);
        });
    }
}
// The frame of the chunk: the shaped frame's field read a row at a time, the plain frame's
// bands pixel by pixel.
void FrameRow(const Frame& frame, const ChunkSite& s, const ClosingRowProcs& rows,
              const RowPlanes& p) {
    if (!frame.field.Valid()) {
        EachPixel(
            p, [&](int32_t i, Rgb& q) { ApplyFrame(frame, s.x + i, s.y, s.column + i, s.row, q); });
        return;
    }
    int32_t outer[kLaterPassChunk], inner[kLaterPassChunk];
    FrameFieldRow(frame, s.column, s.row, 0, p.count, outer);
    if (!frame.borderOnly) FrameFieldRow(frame, s.column, s.row, 1, p.count, inner);
    rows.frameField(frame, outer, inner, p);
}
}  // namespace

void EffectCloseRow(const EffectChain& e, bool last, EffectWorker& worker, const ChunkSite& s,
                    const ChunkWeights& w, const ConstRowPlanes& base, const ClosingRowProcs& rows,
                    const RowPlanes& p) {
    if (last && e.finishing) {
        if (e.grain.intensity != 0) GrainRow(e, worker, s, rows, p);
        if (e.vignette.on) rows.vignette(e.vignette, w.vignette, p);
        if (e.aging) TextureRow(e, worker, s, p);
    }
    if (e.blends) {
        const int32_t max = e.fades.depth.max;
        if (e.mask.type != 0) rows.blendTowardBase(w.mask, base, e.mask.showColour, max, p);
        if (e.brush.on) rows.blendTowardBase(w.brush, base, e.brush.showColour, max, p);
        if (e.fades.any)
            EachPixel(p, [&](int32_t i, Rgb& q) {
                ApplyFades(e.fades, {base.r[i], base.g[i], base.b[i]}, q);
            });
    }
    if (last && e.frame.on) FrameRow(e.frame, s, rows, p);
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

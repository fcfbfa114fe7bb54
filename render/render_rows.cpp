// The pixel pipeline frame: split of rows, passes and barrier stages, processed region and
// split view, display modes, final store, progress and cancel.

#include "render/render_rows.h"

#include <algorithm>
#include <cstring>

#include "effect/control_ids.h"
#include "render/session_state.h"
#include "host/host_services.h"
#include "host/numbered_arrays.h"
#include "host/pixel_builtins.h"
#include "host/random_source.h"
#include "host/worker_threads.h"
#include "render/blur.h"
#include "render/grey_lookup_row.h"
#include "render/local_contrast.h"
#include "render/render_timeline.h"

RenderState gRender;

namespace {
const int32_t kToneControls[kToneChannels][6] = {
    {CTL_TONE_INTENSITY, CTL_TONE_BRIGHTNESS, CTL_TONE_SHADOWS, CTL_TONE_HIGHLIGHTS,
     CTL_TONE_OPTION, CTL_TONE_EXPOSURE},
    {CTL_TONING_INTENSITY, CTL_TONING_COLOR, CTL_TONING_SHADOWS, CTL_TONING_HIGHLIGHTS,
     CTL_TONING_OPTION, CTL_TONING_AMPLIFY},
    {CTL_BICOLOR_INTENSITY, CTL_BICOLOR_COLOR, CTL_BICOLOR_SHADOWS, CTL_BICOLOR_HIGHLIGHTS,
     CTL_BICOLOR_OPTION, CTL_BICOLOR_AMPLIFY},
    {CTL_RED_INTENSITY, CTL_RED_COLOR, CTL_RED_SHADOWS, CTL_RED_HIGHLIGHTS, CTL_RED_OPTION,
     CTL_RED_AMPLIFY},
    {CTL_GREEN_INTENSITY, CTL_GREEN_COLOR, CTL_GREEN_SHADOWS, CTL_GREEN_HIGHLIGHTS,
     CTL_GREEN_OPTION, CTL_GREEN_AMPLIFY},
    {CTL_BLUE_INTENSITY, CTL_BLUE_COLOR, CTL_BLUE_SHADOWS, CTL_BLUE_HIGHLIGHTS, CTL_BLUE_OPTION,
     CTL_BLUE_AMPLIFY},
    // The spare channel's sliders (81, 82, 83, 133) are never created: it has no controls.
    {-1, -1, -1, -1, -1, -1},
};

// Rows a thread claims at a time in a pass that hands its rows out in claims: enough that a
// claim costs next to nothing against its rows, few enough that the threads end together.
constexpr int32_t kClaimRows = 4;
// Rows a thread claims at a time in the light stages between the passes (a copy, a mask).
constexpr int32_t kStageClaimRows = 16;
// The claim counters of gRender.rowsClaimed past the passes'.
constexpr int32_t kGreyShareClaims = 3;
constexpr int32_t kGlowMaskClaims = 4;

// The next band of at most kStageClaimRows rows (from top) of a stage of height rows that
// hands its rows out in claims; false when none is left.
bool ClaimStageRows(int32_t counter, int32_t height, int32_t& first, int32_t& end) {
    first = gRender.rowsClaimed[counter].fetch_add(kStageClaimRows, std::memory_order_relaxed);
    end = std::min(first + kStageClaimRows, height);
    return first < height;
}

bool InMultiSplit(const RenderPlan& plan) {
    const int32_t v = plan.splitView;
    return plan.dialogUp && plan.splitMulti && ((v >= 2 && v <= 5) || v >= 7);
}

bool VerticalSplit(int32_t view) {
    return view == 2 || view == 3 || view == 7 || view == 8;
}
bool HorizontalSplit(int32_t view) {
    return view == 4 || view == 5 || view == 9 || view == 10;
}

// --- Row access -------------------------------------------------------------------------

template <typename Sample>
const Sample* SourceRow(const PixelSurface& s, const RenderPlan& plan, int32_t y) {
    return reinterpret_cast<const Sample*>(s.source + int64_t(y - plan.top) * s.sourceRowBytes);
}

template <typename Sample>
Sample* OutputRow(const PixelSurface& s, const RenderPlan& plan, int32_t y) {
    return reinterpret_cast<Sample*>(s.output + int64_t(y - plan.top) * s.outputRowBytes);
}

template <typename Sample>
Rgb ReadPixel(const Sample* row, int32_t column, int32_t step) {
    const Sample* p = row + int64_t(column) * step;
    return {p[0], p[1], p[2]};
}

template <typename Sample>
void WritePixel(Sample* row, int32_t column, int32_t step, const Rgb& value) {
    Sample* p = row + int64_t(column) * step;
    p[0] = Sample(value.r);
    p[1] = Sample(value.g);
    p[2] = Sample(value.b);
}

// The work images of the passes: rectangle-sized, element (x - left, y - top, channel).
template <typename Sample>
Sample* WorkRow(int32_t array, int32_t y, const RenderPlan& plan) {
    const NumberedArray& a = gArrays[array];
    if (!a.base) return nullptr;
    return reinterpret_cast<Sample*>(a.base) + int64_t(y - plan.top) * a.xSize * a.zSize;
}

// --- Pixel steps --------------------------------------------------------------------------

// A display mode shows a weight as grey in place of the image: the mask weight (times the
// brush weight with both modes), or the brush weight alone.
Rgb DisplayModePixel(const RenderPlan& plan, const PixelWeights& weights) {
    const int32_t g = DisplayModeGrey(plan.maskShow, plan.maskOption, weights) * plan.depth.mult;
    return {g, g, g};
}

// In previews the result is mixed back toward the source where the host's selection is
// partial, so that the preview shows what the host will do with the result.
Rgb SelectionBlend(const RenderPlan& plan, int32_t x, int32_t y, const Rgb& result,
                   const Rgb& source) {
    if (!plan.selectionBlend) return result;
    const int32_t s = SelectionMaskValue(x, y);
    if (s >= 255) return result;
    return {(s * result.r + (255 - s) * source.r) / 255,
            (s * result.g + (255 - s) * source.g) / 255,
            (s * result.b + (255 - s) * source.b) / 255};
}

// What a pixel outside the processed region shows in multi split view.
Rgb SplitSourcePixel(const RenderPlan& plan, const Rgb& source) {
    if (plan.splitView <= 6) return source;
    const int32_t g = Luma709(source);
    return {g, g, g};
}

// --- Passes -------------------------------------------------------------------------------

struct PassContext {
    const RenderPlan& plan;
    int32_t index, threadCount;
    int32_t progressBase;  // rows of the earlier passes
};

// On one thread, the progress is reported before each row; a cancel stops every thread at
// its next row. Returns false when the pass must stop.
bool RowStart(const PassContext& pass, int32_t y) {
    if (JobCancelRequested()) return false;
    if (pass.index != 0 || pass.plan.thumbnails || gSession.brushStrokeActive) return true;
    if (ReportProgress(pass.progressBase + (y - pass.plan.top), pass.plan.progressTotal) != 0) {
        RequestJobCancel();
        return false;
    }
    return true;
}

// On several threads, thread 0 reports the rows top, top + N, top + 2N, ... of a pass, each
// once the rows up to it have been handed out, and at the pass's end those still due: the
// host is asked about an abort as often, with the same figures, as if thread 0 rendered every
// N-th row, while the rows themselves go to whichever thread is free. Returns false when the
// pass must stop.
struct ProgressCheckpoints {
    const PassContext& pass;
    int32_t nextRow = 0;  // row (from top) of the next report

    bool ReportUpTo(int32_t handedOut) {
        const RenderPlan& plan = pass.plan;
        if (pass.index != 0 || plan.thumbnails || gSession.brushStrokeActive) return true;
        const int32_t height = plan.bottom - plan.top;
        for (; nextRow <= handedOut && nextRow < height; nextRow += pass.threadCount) {
            if (JobCancelRequested()) return false;
            if (ReportProgress(pass.progressBase + nextRow, plan.progressTotal) != 0) {
                RequestJobCancel();
                return false;
            }
        }
        return true;
    }
};

// An earlier pass's result, and with paper or dynamic contrast its luma for their blur.
template <typename Sample>
void StoreWork(const RenderPlan& plan, int32_t column, const Rgb& p, Sample* workRgb,
               Sample* workBlur) {
    WritePixel(workRgb, column, 3, p);
    if (plan.pass2 && workBlur) workBlur[column] = Sample(ClampLevel(Luma601(p), plan.depth.max));
}

// Scratch rows of one worker, as wide as the rectangle.
struct RowScratch {
    std::vector<Rgb> sources;
    std::vector<int32_t> greys;
    std::vector<double> noise;        // the aging texture's noise by column
    std::vector<int32_t> grainDraws;  // the grain's draws of the row's processed pixels
};

// The seed of random stream k: the one thread k of the job starts its rows with.
uint32_t RowStreamSeed(int32_t stream) {
    return uint32_t(stream * 4095 + gSession.grainSeed);
}

// The grain's noise follows the thread count, never the thread that renders a row: row y
// draws from stream (y - top) mod N, as thread (y - top) mod N would had it rendered the rows
// top + k, top + k + N, ... in order, each processed row drawing the same number of values.
// The stream's state at row y is that many steps past its seed.
uint32_t RowStreamState(const RenderPlan& plan, int32_t y, int64_t stepsPerRow) {
    const int32_t n = std::max(gJob.threadCount, 1);
    const int32_t stream = (y - plan.top) % n;
    const ProcessedRegion region = RenderProcessedRegion(plan);
    const int32_t lo = std::max(plan.top, region.top), hi = std::min(y, region.bottom);
    // The stream's first row at or after lo, then its rows below hi.
    const int32_t start = plan.top + stream;
    const int32_t first = lo <= start ? start : start + ((lo - start + n - 1) / n) * n;
    const int64_t rowsBefore = hi > first ? (hi - 1 - first) / n + 1 : 0;
    return RandomStateAfter(RowStreamSeed(stream), uint64_t(rowsBefore * stepsPerRow));
}

// The grain's draws of the count processed pixels of row y at once, in the last pass, from
// the row's own random state (RowStreamState) as the pixels would draw them one by one. Null:
// no draws.
const int32_t* RowGrainDraws(const RenderPlan& plan, bool last, int32_t y, int32_t count,
                             EffectWorker& worker, RowScratch& scratch) {
    const FilmGrain& grain = plan.effects.grain;
    const int32_t perPixel = GrainDrawsPerPixel(grain);
    if (!last || !plan.effects.finishing || grain.intensity == 0 || perPixel == 0 || count <= 0)
        return nullptr;
    // Each value takes two steps of the generator.
    worker.random = RowStreamState(plan, y, int64_t(count) * perPixel * 2);
    scratch.grainDraws.resize(size_t(count) * size_t(perPixel));
    GrainDrawRow(grain, worker.random, count, scratch.grainDraws.data());
    return scratch.grainDraws.data();
}

// The aging texture's noise of the whole row at once, in the last pass, where the texture's
// columns are the row's own (no split view repeating a part of it). Null: per pixel.
const double* RowTextureNoise(const RenderPlan& plan, bool last, int32_t sy, RowScratch& scratch) {
    const EffectChain& e = plan.effects;
    if (!last || !e.aging || (InMultiSplit(plan) && VerticalSplit(plan.splitView))) return nullptr;
    const int32_t width = plan.right - plan.left;
    if (e.texture.firstColumn != plan.left + e.textureOffsetX || e.texture.columnCount != width)
        return nullptr;
    scratch.noise.resize(size_t(width));
    return NoiseTextureRow(e.texture, sy + e.textureOffsetY, scratch.noise.data())
               ? scratch.noise.data()
               : nullptr;
}

// The pixels of [from, to) outside the processed region: in the last pass the output keeps
// the source copy (or shows the source in multi split view); earlier passes fill the work
// images with the source, because the blurs between passes read the whole work image.
template <typename Sample>
void RenderOutsideRegion(const RenderPlan& plan, int32_t y, int32_t from, int32_t to,
                         Sample* workRgb, Sample* workBlur) {
    const PixelSurface& s = plan.surface;
    const bool last = workRgb == nullptr;
    if (last && !InMultiSplit(plan)) return;
    const Sample* ownSourceRow = SourceRow<Sample>(s, plan, y);
    Sample* outputRow = OutputRow<Sample>(s, plan, y);
    for (int32_t x = from; x < to; ++x) {
        const int32_t column = x - plan.left;
        const Rgb own = ReadPixel(ownSourceRow, column, s.sourceStep);
        if (last)
            WritePixel(outputRow, column, s.outputStep, SplitSourcePixel(plan, own));
        else
            StoreWork(plan, column, own, workRgb, workBlur);
    }
}

// Pass-1 steps 6 to 9 for the processed columns of a row: conversion of the whole row,
// then per pixel the selective adjustments and the tone channels, or one lookup per
// channel of the grey when no selective range bends the colours apart.
template <typename Sample>
void ConvertRegionRow(const RenderPlan& plan, const Sample* sourceRow, int32_t from, int32_t count,
                      RowScratch& scratch, bool convert) {
    const int32_t step = plan.surface.sourceStep;
    Rgb* sources = scratch.sources.data();
    if (InMultiSplit(plan) && VerticalSplit(plan.splitView)) {
        for (int32_t i = 0; i < count; ++i)
            sources[i] = ReadPixel(sourceRow, RenderSourceX(plan, from + i) - plan.left, step);
    } else {
        const Sample* p = sourceRow + int64_t(from - plan.left) * step;
        for (int32_t i = 0; i < count; ++i, p += step) sources[i] = {p[0], p[1], p[2]};
    }
    if (convert) ConvertRowToGrey(plan.grey, sources, count, scratch.greys.data());
}

// Selective adjustments, lab effects, graduated filter and toning of a converted pixel; one
// lookup per channel of the grey when the chain depends on nothing but the grey.
Rgb FinishPixel(const RenderPlan& plan, const PixelSite& site, const Rgb& source, int32_t g) {
    if (plan.greyLookup)
        return {plan.greyToOutput[0][g], plan.greyToOutput[1][g], plan.greyToOutput[2][g]};
    Rgb p = {g, g, g};
    if (plan.selectiveOn) {
        ApplySelective(plan.selective, source, g, p);
        p = ClampPixel(p, plan.depth.max);
    }
    if (plan.effects.shaping) EffectLabAndToning(plan.effects, site, source, p);
    return p;
}

// True when a pixel of the last pass is nothing but the grey's three lookups: no weights, no
// closing steps, no display mode and no selection blend.
bool GreyLookupOnly(const RenderPlan& plan, bool last, bool display) {
    const EffectChain& e = plan.effects;
    return plan.greyLookup && last && !display && !e.weighed && !e.finishing && !e.blends &&
           !e.frame.on && !plan.selectionBlend;
}

// The output of count pixels from their greys, through the grey-to-output rows.
template <typename Sample>
void WriteGreyLookupRow(const RenderPlan& plan, const int32_t* greys, int32_t count, Sample* output,
                        int32_t step) {
    const int32_t* red = plan.greyToOutput[0].data();
    const int32_t* green = plan.greyToOutput[1].data();
    const int32_t* blue = plan.greyToOutput[2].data();
    for (int32_t i = 0; i < count; ++i, output += step) {
        const int32_t g = greys[i];
        output[0] = Sample(red[g]);
        output[1] = Sample(green[g]);
        output[2] = Sample(blue[g]);
    }
}

// An earlier pass's converted pixels with nothing to close them: straight into the work
// images, through the grey-to-output rows where the chain depends on the grey alone.
template <typename Sample>
void StoreConvertedRow(const RenderPlan& plan, int32_t y, int32_t from, int32_t count,
                       const RowScratch& scratch, Sample* workRgb, Sample* workBlur) {
    const int32_t* greys = scratch.greys.data();
    const int64_t first = from - plan.left;
    if (plan.greyLookup) {
        const int32_t* red = plan.greyToOutput[0].data();
        const int32_t* green = plan.greyToOutput[1].data();
        const int32_t* blue = plan.greyToOutput[2].data();
        const int32_t max = plan.depth.max;
        Sample* w = workRgb + first * 3;
        for (int32_t i = 0; i < count; ++i, w += 3) {
            const int32_t g = greys[i];
            w[0] = Sample(red[g]);
            w[1] = Sample(green[g]);
            w[2] = Sample(blue[g]);
        }
        if (!workBlur) return;
        Sample* blur = workBlur + first;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t g = greys[i];
            blur[i] = Sample(ClampLevel(Luma601(red[g], green[g], blue[g]), max));
        }
        return;
    }
    const int32_t sy = RenderSourceY(plan, y);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = from + i, column = x - plan.left;
        const PixelSite site = {x, y, RenderSourceX(plan, x), sy, column, y - plan.top};
        StoreWork(plan, column, FinishPixel(plan, site, scratch.sources[size_t(i)], greys[i]),
                  workRgb, workBlur);
    }
}

// The source columns (RenderSourceX) of count pixels from x on: their own but in multi split
// view.
void SourceColumns(const RenderPlan& plan, int32_t x, int32_t count, int32_t* sx) {
    if (InMultiSplit(plan) && VerticalSplit(plan.splitView)) {
        for (int32_t i = 0; i < count; ++i) sx[i] = RenderSourceX(plan, x + i);
        return;
    }
    for (int32_t i = 0; i < count; ++i) sx[i] = x + i;
}

// A chunk of pass 1's processed pixels as planes: their sources, which the weights and the
// blends read, and the pixels the closing steps change.
struct PassOneChunk {
    int32_t sx[kLaterPassChunk];  // source columns
    int32_t inR[kLaterPassChunk], inG[kLaterPassChunk], inB[kLaterPassChunk];
    int32_t r[kLaterPassChunk], g[kLaterPassChunk], b[kLaterPassChunk];
    ChunkWeights weights;
};

template <typename Sample>
void RenderPassOneRow(const RenderPlan& plan, const ProcessedRegion& region, int32_t y,
                      const ClosingRowProcs& closing, RowScratch& scratch) {
    const PixelSurface& s = plan.surface;
    const bool last = plan.lastPass == 1;
    Sample* workRgb = last ? nullptr : WorkRow<Sample>(ARRAY_WORK_RGB, y, plan);
    Sample* workBlur = plan.pass2 ? WorkRow<Sample>(ARRAY_WORK_BLUR, y, plan) : nullptr;
    if (!last && !workRgb) return;
    const int32_t from = std::clamp(region.left, plan.left, plan.right);
    const int32_t to = std::clamp(region.right, from, plan.right);
    if (y < region.top || y >= region.bottom || from == to) {
        RenderOutsideRegion(plan, y, plan.left, plan.right, workRgb, workBlur);
        return;
    }
    RenderOutsideRegion(plan, y, plan.left, from, workRgb, workBlur);
    RenderOutsideRegion(plan, y, to, plan.right, workRgb, workBlur);
    const int32_t count = to - from;
    Sample* outputRow = OutputRow<Sample>(s, plan, y);
    const Sample* ownSourceRow = SourceRow<Sample>(s, plan, y);
    const int32_t sy = RenderSourceY(plan, y);
    const bool display = plan.maskShow || plan.maskOption;
    if (!plan.greyToPacked.empty() && GreyLookupOnly(plan, last, display) &&
        !(InMultiSplit(plan) && VerticalSplit(plan.splitView))) {
        const int64_t first = from - plan.left;
        GreyLookupRow(SourceRow<Sample>(s, plan, sy) + first * s.sourceStep, s.sourceStep,
                      outputRow + first * s.outputStep, s.outputStep, count,
                      plan.greyToPacked.data());
        return;
    }
    ConvertRegionRow(plan, SourceRow<Sample>(s, plan, sy), from, count, scratch, !display);
    const Rgb* sources = scratch.sources.data();
    const int32_t* greys = scratch.greys.data();
    if (GreyLookupOnly(plan, last, display)) {
        WriteGreyLookupRow(plan, greys, count, outputRow + int64_t(from - plan.left) * s.outputStep,
                           s.outputStep);
        return;
    }
    const EffectChain& e = plan.effects;
    if (!last && !display && !e.blends) {
        StoreConvertedRow(plan, y, from, count, scratch, workRgb, workBlur);
        return;
    }
    // The worker's own texture record and random state, handed back after the row.
    EffectWorker worker = EffectWorkerBegin(e);
    if (!display) {
        worker.rowNoise = RowTextureNoise(plan, last, sy, scratch);
        worker.rowGrain = RowGrainDraws(plan, last, y, count, worker, scratch);
    }
    PassOneChunk chunk;
    for (int32_t done = 0; done < count; done += kLaterPassChunk) {
        const int32_t n = std::min(count - done, kLaterPassChunk);
        const int32_t first = from + done;
        const ChunkSite site = {first, y, sy, first - plan.left, y - plan.top, chunk.sx};
        SourceColumns(plan, first, n, chunk.sx);
        for (int32_t i = 0; i < n; ++i) {
            const Rgb& source = sources[done + i];
            chunk.inR[i] = source.r;
            chunk.inG[i] = source.g;
            chunk.inB[i] = source.b;
        }
        const ConstRowPlanes input = {chunk.inR, chunk.inG, chunk.inB};
        EffectWeightsRow(e, site, input, n, last, chunk.weights);
        if (display) {
            for (int32_t i = 0; i < n; ++i) {
                const PixelWeights w = {chunk.weights.mask[i], chunk.weights.vignette[i],
                                        chunk.weights.brush[i]};
                const Rgb p = DisplayModePixel(plan, w);
                chunk.r[i] = p.r;
                chunk.g[i] = p.g;
                chunk.b[i] = p.b;
            }
        } else if (plan.greyLookup) {
            const int32_t* red = plan.greyToOutput[0].data();
            const int32_t* green = plan.greyToOutput[1].data();
            const int32_t* blue = plan.greyToOutput[2].data();
            for (int32_t i = 0; i < n; ++i) {
                const int32_t g = greys[done + i];
                chunk.r[i] = red[g];
                chunk.g[i] = green[g];
                chunk.b[i] = blue[g];
            }
        } else {
            for (int32_t i = 0; i < n; ++i) {
                const PixelSite pixel = {first + i, y, chunk.sx[i], sy, site.column + i, site.row};
                const Rgb p = FinishPixel(plan, pixel, sources[done + i], greys[done + i]);
                chunk.r[i] = p.r;
                chunk.g[i] = p.g;
                chunk.b[i] = p.b;
            }
        }
        if (!display)
            EffectCloseRow(e, last, worker, site, chunk.weights, input, closing,
                           {chunk.r, chunk.g, chunk.b, n});
        if (!last) {
            for (int32_t i = 0; i < n; ++i)
                StoreWork(plan, site.column + i, {chunk.r[i], chunk.g[i], chunk.b[i]}, workRgb,
                          workBlur);
        } else if (plan.selectionBlend) {
            for (int32_t i = 0; i < n; ++i) {
                const int32_t column = site.column + i;
                const Rgb p = {chunk.r[i], chunk.g[i], chunk.b[i]};
                WritePixel(outputRow, column, s.outputStep,
                           SelectionBlend(plan, first + i, y, p,
                                          ReadPixel(ownSourceRow, column, s.sourceStep)));
            }
        } else {
            Sample* o = outputRow + int64_t(site.column) * s.outputStep;
            for (int32_t i = 0; i < n; ++i, o += s.outputStep) {
                o[0] = Sample(chunk.r[i]);
                o[1] = Sample(chunk.g[i]);
                o[2] = Sample(chunk.b[i]);
            }
        }
    }
    EffectWorkerEnd(worker);
}

// A chunk of a later pass's processed pixels as planes: the pass's input, which the weights
// and the blends read, and the pixels the steps change.
struct LaterPassChunk {
    int32_t column;  // array column of the first pixel
    int32_t count;   // at most kLaterPassChunk
    int32_t inR[kLaterPassChunk], inG[kLaterPassChunk], inB[kLaterPassChunk];
    int32_t r[kLaterPassChunk], g[kLaterPassChunk], b[kLaterPassChunk];
    // The source columns, and the source pixels where a mask blends toward them.
    int32_t sx[kLaterPassChunk];
    int32_t baseR[kLaterPassChunk], baseG[kLaterPassChunk], baseB[kLaterPassChunk];
    ChunkWeights weights;

    RowPlanes Planes() { return {r, g, b, count}; }
};

template <typename Sample>
void ReadLaterPassChunk(const Sample* workRgb, LaterPassChunk& c) {
    const Sample* w = workRgb + int64_t(c.column) * 3;
    for (int32_t i = 0; i < c.count; ++i, w += 3) {
        c.inR[i] = c.r[i] = w[0];
        c.inG[i] = c.g[i] = w[1];
        c.inB[i] = c.b[i] = w[2];
    }
}

// The closing steps of the chunk, one after the other over its pixels. The masks of the
// later passes see the earlier result; the blends go back to the source only when a mask is
// active, else to the pass's input.
template <typename Sample>
void CloseLaterPassChunk(const RenderPlan& plan, bool last, EffectWorker& worker, int32_t y,
                         const Sample* sourceRow, const ClosingRowProcs& closing,
                         LaterPassChunk& c) {
    const EffectChain& e = plan.effects;
    const int32_t x = plan.left + c.column;
    SourceColumns(plan, x, c.count, c.sx);
    const ChunkSite site = {x, y, RenderSourceY(plan, y), c.column, y - plan.top, c.sx};
    const ConstRowPlanes input = {c.inR, c.inG, c.inB};
    EffectWeightsRow(e, site, input, c.count, last, c.weights);
    ConstRowPlanes base = input;
    if (e.mask.type != 0) {
        const int32_t step = plan.surface.sourceStep;
        for (int32_t i = 0; i < c.count; ++i) {
            const Rgb source = ReadPixel(sourceRow, c.sx[i] - plan.left, step);
            c.baseR[i] = source.r;
            c.baseG[i] = source.g;
            c.baseB[i] = source.b;
        }
        base = {c.baseR, c.baseG, c.baseB};
    }
    EffectCloseRow(e, last, worker, site, c.weights, base, closing, c.Planes());
}

// The chunk clamped into the work image (an earlier pass) or the output (the last pass,
// mixed back by a partial selection in previews).
template <typename Sample>
void WriteLaterPassChunk(const RenderPlan& plan, bool last, int32_t y, Sample* workRgb,
                         const LaterPassChunk& c) {
    const PixelSurface& s = plan.surface;
    const int32_t max = plan.depth.max;
    if (!last) {
        Sample* w = workRgb + int64_t(c.column) * 3;
        for (int32_t i = 0; i < c.count; ++i, w += 3) {
            w[0] = Sample(ClampLevel(c.r[i], max));
            w[1] = Sample(ClampLevel(c.g[i], max));
            w[2] = Sample(ClampLevel(c.b[i], max));
        }
        return;
    }
    Sample* outputRow = OutputRow<Sample>(s, plan, y);
    if (!plan.selectionBlend) {
        Sample* o = outputRow + int64_t(c.column) * s.outputStep;
        for (int32_t i = 0; i < c.count; ++i, o += s.outputStep) {
            o[0] = Sample(ClampLevel(c.r[i], max));
            o[1] = Sample(ClampLevel(c.g[i], max));
            o[2] = Sample(ClampLevel(c.b[i], max));
        }
        return;
    }
    const Sample* ownSourceRow = SourceRow<Sample>(s, plan, y);
    for (int32_t i = 0; i < c.count; ++i) {
        const int32_t column = c.column + i;
        const Rgb p = ClampPixel({c.r[i], c.g[i], c.b[i]}, max);
        WritePixel(outputRow, column, s.outputStep,
                   SelectionBlend(plan, plan.left + column, y, p,
                                  ReadPixel(ownSourceRow, column, s.sourceStep)));
    }
}

// Passes 2 and 3 start from the earlier pass's result: the paper and dynamic contrast (pass
// 2) or the diffusion and glow (pass 3) work on it a chunk of the row at a time, then each
// pixel is closed as in pass 1.
template <typename Sample>
void RenderLaterPassRow(const RenderPlan& plan, const ProcessedRegion& region, int32_t y,
                        int32_t passNumber, const PassViews& views, const LaterPassRowProcs& rows,
                        const ClosingRowProcs& closing, RowScratch& scratch) {
    const PixelSurface& s = plan.surface;
    const EffectChain& e = plan.effects;
    const bool last = plan.lastPass == passNumber;
    const int32_t sy = RenderSourceY(plan, y);
    Sample* workRgb = WorkRow<Sample>(ARRAY_WORK_RGB, y, plan);
    if (!workRgb) return;
    const bool rowInside = y >= region.top && y < region.bottom;
    EffectWorker worker = EffectWorkerBegin(e);
    worker.rowNoise = RowTextureNoise(plan, last, sy, scratch);
    const int32_t from = std::clamp(region.left, plan.left, plan.right);
    const int32_t to = rowInside ? std::clamp(region.right, from, plan.right) : from;
    worker.rowGrain = RowGrainDraws(plan, last, y, to - from, worker, scratch);
    if (last && InMultiSplit(plan)) {
        RenderOutsideRegion<Sample>(plan, y, plan.left, from, nullptr, nullptr);
        RenderOutsideRegion<Sample>(plan, y, to, plan.right, nullptr, nullptr);
    }
    const bool closes = e.blends || (last && (e.finishing || e.frame.on));
    const Sample* sourceRow = SourceRow<Sample>(s, plan, sy);
    LaterPassChunk chunk;
    for (int32_t first = from; first < to; first += kLaterPassChunk) {
        chunk.column = first - plan.left;
        chunk.count = std::min(to - first, kLaterPassChunk);
        ReadLaterPassChunk(static_cast<const Sample*>(workRgb), chunk);
        if (passNumber == 2)
            EffectPassTwoRow(e, views, rows, chunk.column, y - plan.top, chunk.Planes());
        else
            EffectPassThreeRow(e, views, rows, first, y, chunk.column, y - plan.top,
                               chunk.Planes());
        if (closes) CloseLaterPassChunk(plan, last, worker, y, sourceRow, closing, chunk);
        WriteLaterPassChunk(plan, last, y, workRgb, chunk);
    }
    EffectWorkerEnd(worker);
}

// The threads claim the rows in blocks, thread 0 (the host's thread, which also reports the
// progress) among them, so that the threads that start first begin at once and all of them
// end together however unequal their rows or the time the system gives each thread. The
// grain's noise depends on the row alone (RowStreamState), so its pass hands the rows out the
// same way.
template <typename Sample>
void RenderPass(const PassContext& pass, int32_t passNumber) {
    const RenderPlan& plan = pass.plan;
    const ProcessedRegion region = RenderProcessedRegion(plan);
    const PassViews views = passNumber > 1 ? EffectPassViews() : PassViews{};
    const LaterPassRowProcs& rows = LaterPassRowsFor(VectorLevelInUse());
    const ClosingRowProcs& closing = ClosingRowsFor(VectorLevelInUse());
    RowScratch scratch;
    if (passNumber == 1) {
        scratch.sources.resize(size_t(plan.right - plan.left));
        scratch.greys.resize(size_t(plan.right - plan.left));
    }
    auto renderRow = [&](int32_t y) {
        if (passNumber == 1)
            RenderPassOneRow<Sample>(plan, region, y, closing, scratch);
        else
            RenderLaterPassRow<Sample>(plan, region, y, passNumber, views, rows, closing, scratch);
        gRender.rowsDone.fetch_add(1, std::memory_order_relaxed);
    };
    if (pass.threadCount < 2) {
        for (int32_t y = plan.top; y < plan.bottom; ++y) {
            if (!RowStart(pass, y)) return;
            renderRow(y);
        }
        return;
    }
    ProgressCheckpoints progress = {pass};
    std::atomic<int32_t>& claimed = gRender.rowsClaimed[passNumber - 1];
    for (;;) {
        const int32_t first = claimed.fetch_add(kClaimRows, std::memory_order_relaxed);
        if (!progress.ReportUpTo(first)) return;
        const int32_t end = std::min(plan.top + first + kClaimRows, plan.bottom);
        if (plan.top + first >= end) break;
        for (int32_t y = plan.top + first; y < end; ++y) {
            if (JobCancelRequested()) return;
            renderRow(y);
        }
    }
    progress.ReportUpTo(plan.bottom - plan.top);
}

// Every thread meets the same sequence of barriers, whatever it did before: a thread that
// stopped early for a cancel still passes them, so that nobody waits for it forever.
// label names the stage that ends here, for the timeline.
void PassBarrier(int32_t index, int32_t& stage, const char* label) {
    const int64_t workEnd = TimelineTicks();
    if (gJob.threadCount > 1) ThreadBarrier(stage, -1);
    ++stage;
    RenderTimelineMark(index, label, workEnd);
}

// Blurs array n in place with the radius in tenths, every render thread taking its share
// of the rows and then of the columns: the threads are there already, and each row and
// column comes out the same whichever thread sweeps it. rowsLabel and columnsLabel name its
// two halves in the timeline.
void StageBlur(int32_t index, int32_t& stage, int32_t array, int32_t radiusTenths,
               const char* rowsLabel, const char* columnsLabel) {
    const BlurJob job = {array, radiusTenths, 0, std::max(gJob.threadCount, 1)};
    if (!JobCancelRequested()) RecursiveBlurPass1(job, index);
    PassBarrier(index, stage, rowsLabel);
    if (!JobCancelRequested()) RecursiveBlurPass2(job, index);
    PassBarrier(index, stage, columnsLabel);
}

// Thread index's share of array from's bytes, copied into array to, which thread 0 shaped
// like it before the barrier. On one thread the copy of a work image is one of the longest
// stages of a render, mostly the first touch of its fresh pages; in shares both spread over
// every processor.
void CopyArrayShare(int32_t from, int32_t to, int32_t index) {
    const NumberedArray& a = gArrays[from];
    const NumberedArray& b = gArrays[to];
    if (JobCancelRequested() || !a.base || !b.base || a.byteSize != b.byteSize) return;
    const int64_t n = std::max(gJob.threadCount, 1);
    const int64_t first = a.byteSize * index / n, last = a.byteSize * (index + 1) / n;
    memcpy(b.base + first, a.base + first, size_t(last - first));
}

// The dynamic contrast's equalisation under way: begun and ended by thread 0 between the
// barriers of the first blur stage, read by every render thread in between.
LocalContrastJob* gContrastJob = nullptr;

// Whether the earlier passes' result has a pixel with channels that differ: cleared by thread
// 0 before the diffusion's grey copy, set by any thread during it, read by all after it.
std::atomic<bool> gColourSeen{false};

// Radius of a blur for a setting s at the preview's zoom z: trunc((s x 2 + z) / (2 z)).
int32_t ZoomedRadius(double setting, int32_t zoom) {
    return int32_t((setting * 2.0 + zoom) / (zoom * 2.0));
}

// Bytes of the diffusion's colour blur: three channels over the rectangle.
int64_t ColourBlurBytes(const RenderPlan& plan) {
    return int64_t(plan.right - plan.left) * (plan.bottom - plan.top) * 3 * plan.depth.elementBytes;
}

bool DiffusionOn(const RenderPlan& plan) {
    return plan.pass3 && plan.controls[CTL_DIFFUSION_INTENSITY] > 0;
}

// The equalised luma's array, shaped like the luma image. When the diffusion will need its
// colour blur and the luma image's block cannot take it, the array gets room for it: the
// blur then grows into pages this stage has already brought in.
void ShapeContrastArray(const RenderPlan& plan) {
    const int64_t colourBytes = ColourBlurBytes(plan);
    const NumberedArray& blur = gArrays[ARRAY_WORK_BLUR];
    const bool room = DiffusionOn(plan) && !(blur.base && blur.roomBytes >= colourBytes);
    ShapeArrayLikeWithRoom(ARRAY_WORK_BLUR, ARRAY_LOCAL_CONTRAST, room ? colourBytes : 0);
}

// Between pass 1 and pass 2: the dynamic contrast's equalised luma, read from the luma image
// and written to its own array, and the paper's blur.
void BlurStageOne(int32_t index, int32_t& stage) {
    const RenderPlan& plan = gRender.plan;
    const int32_t* v = plan.controls;
    if (plan.dynamicContrast) {
        PassBarrier(index, stage, "pass 1");
        const int32_t bytes = plan.thumbnails ? 1 : plan.depth.elementBytes;
        // Full strength, no clipping, no black and white points, no gammas, no progress.
        LocalContrastSettings settings = {0, 255, 255, 255, 100, 0, 0, 0, 0, 1};
        settings.detail = v[CTL_DYNCONTRAST_DETAIL];
        settings.threadCount = std::max(gJob.threadCount, 1);
        if (index == 0 && !JobCancelRequested()) {
            ShapeContrastArray(plan);
            if (gArrays[ARRAY_LOCAL_CONTRAST].base)
                gContrastJob =
                    LocalContrastBegin(ARRAY_WORK_BLUR, ARRAY_LOCAL_CONTRAST, bytes, settings);
        }
        PassBarrier(index, stage, "contrast array");
        if (!JobCancelRequested()) LocalContrastCount(gContrastJob, index);
        PassBarrier(index, stage, "contrast counts");
        if (index == 0 && !JobCancelRequested() && gArrays[ARRAY_LOCAL_CONTRAST].base) {
            if (gContrastJob) {
                LocalContrastTables(gContrastJob);
            } else {
                CopyArrayData(ARRAY_WORK_BLUR, ARRAY_LOCAL_CONTRAST);
                ApplyLocalContrast(ARRAY_LOCAL_CONTRAST, bytes, settings.detail, 255, 255, 255, 100,
                                   0, 0, 0, 0, plan.multiProcessor ? 1 : 0);
            }
        }
        PassBarrier(index, stage, "contrast tables");
        if (!JobCancelRequested()) LocalContrastBlend(gContrastJob, index);
    }
    PassBarrier(index, stage, plan.dynamicContrast ? "dynamic contrast" : "pass 1");
    // Every thread has blended its rows: the tables go.
    if (index == 0 && gContrastJob) {
        LocalContrastEnd(gContrastJob);
        gContrastJob = nullptr;
    }
    if (plan.paper) {
        const int32_t radius = ZoomedRadius(v[CTL_PAPER_GLOSS] + 10, plan.zoom);
        StageBlur(index, stage, ARRAY_WORK_BLUR, radius * 10, "paper blur rows",
                  "paper blur columns");
    }
}

bool SameShape(const NumberedArray& a, const NumberedArray& b) {
    return a.byteSize == b.byteSize && a.elementBytes == b.elementBytes && a.xSize == b.xSize &&
           a.ySize == b.ySize && a.zSize == b.zSize && a.border == b.border;
}

// Array n's block, if it is the glow mask's shape and no larger, becomes the mask's (whose own
// block has not been written yet); then n is released.
void HandBlockToGlowMask(int32_t n) {
    const NumberedArray& mask = gArrays[ARRAY_GLOW_MASK];
    const NumberedArray& block = gArrays[n];
    if (mask.base && block.base && block.roomBytes == 0 && SameShape(block, mask))
        SwapArrays(n, ARRAY_GLOW_MASK);
    ReleaseArray(n);
}

// Pass 2 is over on every thread: its equalised luma is not read again, and the luma blur
// makes way for the diffusion's blur (both would otherwise be held at the peak of the render).
// Their blocks, whose pages are in already, are handed on rather than freed while fresh ones
// are faulted in: the one with room becomes the diffusion's blur, a plain one the glow mask.
// The blur is shaped for one channel first, in room for three: a grey image needs no more
// (see GreyShare).
void HandOnLumaImages(const RenderPlan& plan) {
    if (!DiffusionOn(plan)) {
        HandBlockToGlowMask(ARRAY_LOCAL_CONTRAST);
        return;
    }
    const int64_t colourBytes = ColourBlurBytes(plan);
    if (!(gArrays[ARRAY_WORK_BLUR].base && gArrays[ARRAY_WORK_BLUR].roomBytes >= colourBytes)) {
        const NumberedArray& contrast = gArrays[ARRAY_LOCAL_CONTRAST];
        if (contrast.base && contrast.roomBytes >= colourBytes) {
            SwapArrays(ARRAY_WORK_BLUR, ARRAY_LOCAL_CONTRAST);
        } else {
            HandBlockToGlowMask(ARRAY_WORK_BLUR);
        }
    }
    HandBlockToGlowMask(ARRAY_LOCAL_CONTRAST);
    gColourSeen.store(false, std::memory_order_relaxed);
    if (!JobCancelRequested())
        CreateArrayWithRoom(ARRAY_WORK_BLUR, plan.right - plan.left, plan.bottom - plan.top, 1,
                            plan.depth.elementBytes, colourBytes);
}

// The bands of rows a thread claims of the earlier passes' result, their first channel copied
// into the one-channel diffusion blur, while gColourSeen says whether any pixel has channels
// that differ. A black-and-white result (the plug-in's usual one) blurs the same in each of
// its channels: one channel then stands for three, a third of the blur's work and of the fresh
// pages it would take.
template <typename Sample>
void GreyShare(const PassContext& pass) {
    const RenderPlan& plan = pass.plan;
    const NumberedArray& blur = gArrays[ARRAY_WORK_BLUR];
    if (!blur.base || blur.zSize != 1 || !gArrays[ARRAY_WORK_RGB].base) return;
    const int32_t width = plan.right - plan.left, height = plan.bottom - plan.top;
    int32_t first = 0, end = 0;
    while (ClaimStageRows(kGreyShareClaims, height, first, end)) {
        for (int32_t y = plan.top + first; y < plan.top + end; ++y) {
            if (JobCancelRequested() || gColourSeen.load(std::memory_order_relaxed)) return;
            const Sample* rgb = WorkRow<Sample>(ARRAY_WORK_RGB, y, plan);
            Sample* grey = WorkRow<Sample>(ARRAY_WORK_BLUR, y, plan);
            uint32_t differ = 0;
            for (int32_t x = 0; x < width; ++x) {
                const Sample r = rgb[3 * x], g = rgb[3 * x + 1], b = rgb[3 * x + 2];
                differ |= uint32_t(r ^ g) | uint32_t(r ^ b);
                grey[x] = r;
            }
            if (differ) gColourSeen.store(true, std::memory_order_relaxed);
        }
    }
}

// The diffusion's blur of a result in colour: three channels, in the room the grey copy left
// (whose rows it overwrites).
void ColourDiffusionBlur(const PassContext& pass, int32_t& stage, int32_t radius) {
    const RenderPlan& plan = pass.plan;
    if (pass.index == 0 && !JobCancelRequested())
        CreateArray(ARRAY_WORK_BLUR, plan.right - plan.left, plan.bottom - plan.top, 3,
                    plan.depth.elementBytes);
    PassBarrier(pass.index, stage, "diffusion colour array");
    const BlurJob job = {ARRAY_WORK_BLUR, radius * 10, 0, std::max(gJob.threadCount, 1)};
    if (RecursiveBlurReadsFrom(job, ARRAY_WORK_RGB)) {
        // The row sweep reads the colour image and writes the blur: no copy first.
        if (!JobCancelRequested()) RecursiveBlurPass1From(job, ARRAY_WORK_RGB, pass.index);
        PassBarrier(pass.index, stage, "diffusion blur rows");
        if (!JobCancelRequested()) RecursiveBlurPass2(job, pass.index);
        PassBarrier(pass.index, stage, "diffusion blur columns");
    } else {
        CopyArrayShare(ARRAY_WORK_RGB, ARRAY_WORK_BLUR, pass.index);
        // Every thread blurs its share: none may start before all of the copy is made.
        PassBarrier(pass.index, stage, "diffusion copy");
        StageBlur(pass.index, stage, ARRAY_WORK_BLUR, radius * 10, "diffusion blur rows",
                  "diffusion blur columns");
    }
}

template <typename Sample>
void FillGlowMask(const PassContext& pass, const int32_t* v) {
    const RenderPlan& plan = pass.plan;
    const int32_t mult = plan.depth.mult;
    const int32_t tone = plan.sixteenBit ? v[CTL_GLOW_TONE] * 32768 / 255 : v[CTL_GLOW_TONE];
    const int32_t limit = v[CTL_GLOW_LIMIT] * mult;
    int32_t first = 0, end = 0;
    while (ClaimStageRows(kGlowMaskClaims, plan.bottom - plan.top, first, end)) {
        for (int32_t y = plan.top + first; y < plan.top + end; ++y) {
            if (JobCancelRequested()) return;
            const Sample* source = SourceRow<Sample>(plan.surface, plan, y);
            Sample* mask = WorkRow<Sample>(ARRAY_GLOW_MASK, y, plan);
            if (!mask) return;
            for (int32_t x = plan.left; x < plan.right; ++x) {
                const int32_t column = x - plan.left;
                const int32_t l = Luma709(ReadPixel(source, column, plan.surface.sourceStep));
                mask[column] = Sample(tone - limit < l && l < tone + limit ? plan.depth.max : 0);
            }
        }
    }
}

// Between the last pass before it and pass 3: the diffusion's blurred colour copy and the
// glow's blurred highlight mask.
template <typename Sample>
void BlurStageTwo(const PassContext& pass, int32_t& stage) {
    const RenderPlan& plan = pass.plan;
    const int32_t* v = plan.controls;
    PassBarrier(pass.index, stage, plan.pass2 ? "pass 2" : "pass 1");
    if (pass.index == 0) HandOnLumaImages(plan);
    // Nobody writes the diffusion's blur or the glow mask before thread 0 has handed the
    // blocks on: the mask's old block is freed there.
    if (v[CTL_DIFFUSION_INTENSITY] > 0 || v[CTL_GLOW_INTENSITY] > 0)
        PassBarrier(pass.index, stage, "luma images handed on");
    if (v[CTL_DIFFUSION_INTENSITY] > 0) {
        const int32_t radius = ZoomedRadius(v[CTL_DIFFUSION_RADIUS], plan.zoom);
        GreyShare<Sample>(pass);
        PassBarrier(pass.index, stage, "diffusion grey");
        if (gColourSeen.load(std::memory_order_relaxed))
            ColourDiffusionBlur(pass, stage, radius);
        else
            StageBlur(pass.index, stage, ARRAY_WORK_BLUR, radius * 10, "diffusion blur rows",
                      "diffusion blur columns");
    }
    if (v[CTL_GLOW_INTENSITY] > 0) {
        FillGlowMask<Sample>(pass, v);
        PassBarrier(pass.index, stage, "glow mask");
        const int32_t radius = ZoomedRadius(v[CTL_GLOW_RADIUS], plan.zoom);
        StageBlur(pass.index, stage, ARRAY_GLOW_MASK, radius * 10, "glow blur rows",
                  "glow blur columns");
    }
}

template <typename Sample>
void RenderAllPasses(int32_t index) {
    const RenderPlan& plan = gRender.plan;
    const int32_t n = std::max(gJob.threadCount, 1);
    const int32_t height = plan.bottom - plan.top;
    RandomSeed(RowStreamSeed(index));
    int32_t stage = 0;
    // No barrier here: pass 1 needs nothing of the other threads, and the first threads to
    // run claim its rows while the others are still starting.
    RenderTimelineMark(index, "start", TimelineTicks());
    RenderPass<Sample>({plan, index, n, 0}, 1);
    if (plan.pass2) {
        BlurStageOne(index, stage);
        RenderPass<Sample>({plan, index, n, height}, 2);
    }
    if (plan.pass3) {
        const PassContext pass = {plan, index, n, plan.pass2 ? 2 * height : height};
        BlurStageTwo<Sample>(pass, stage);
        RenderPass<Sample>(pass, 3);
    }
    const int64_t end = TimelineTicks();
    RenderTimelineMark(index, plan.pass3 ? "pass 3" : plan.pass2 ? "pass 2" : "pass 1", end);
}
}  // namespace

bool ToneCurveIsIdentity(int32_t curve) {
    return GetArrayElement(ARRAY_CURVES, 0, 0, curve) == 0 &&
           GetArrayElement(ARRAY_CURVES, 0, 1, curve) == 0 &&
           GetArrayElement(ARRAY_CURVES, 1, 0, curve) == gSession.curveMax &&
           GetArrayElement(ARRAY_CURVES, 1, 1, curve) == gSession.curveMax;
}

namespace {
// Levels below this make their grey-to-output rows on the host's thread alone: a job on the
// pool would cost more than it saves.
constexpr int32_t kSharedGreyLevels = 4096;

// The grey-to-output rows' entries of levels [first, end).
void GreyToOutputLevels(RenderPlan& plan, int32_t first, int32_t end) {
    const PixelSite site = {0, 0, 0, 0, 0, 0};
    for (int32_t g = first; g < end; ++g) {
        Rgb p = {g, g, g};
        EffectLabAndToning(plan.effects, site, p, p);
        plan.greyToOutput[0][size_t(g)] = p.r;
        plan.greyToOutput[1][size_t(g)] = p.g;
        plan.greyToOutput[2][size_t(g)] = p.b;
    }
}

// A pool thread's share of gRender.plan's levels.
void GreyToOutputShare(int32_t index) {
    RenderPlan& plan = gRender.plan;
    const int64_t levels = plan.depth.max + 1, n = std::max(gJob.threadCount, 1);
    GreyToOutputLevels(plan, int32_t(levels * index / n), int32_t(levels * (index + 1) / n));
}
}  // namespace

void RenderPlanGreyLookup(RenderPlan& plan) {
    const EffectChain& e = plan.effects;
    bool tone = e.lab.intensity != 0;
    for (int32_t c = 0; c < 6; ++c) tone = tone || plan.toneInUse[c];
    // The graduated filter depends on the position and the source's luma, partial toning on
    // the source's saturation: with either the pixel is more than its grey.
    const bool greyOnly = !e.ndgrad.on && !(e.toning.luts[1] && e.toning.partial);
    plan.greyLookup = tone && greyOnly && !plan.selectiveOn;
    if (!plan.greyLookup) return;
    const int32_t max = plan.depth.max;
    for (auto& row : plan.greyToOutput) row.resize(size_t(max) + 1);
    // At 16 bits the rows are 32,769 levels of the whole chain each, a millisecond and more
    // that the render's threads would otherwise wait for: the held pool shares them out.
    if (&plan == &gRender.plan && max + 1 >= kSharedGreyLevels && plan.multiProcessor)
        RunPoolRoutine(GreyToOutputShare, true, false);
    else
        GreyToOutputLevels(plan, 0, max + 1);
    if (GreyConversionIsLuma709(plan.grey))
        plan.sixteenBit ? GreyLookupPack<uint16_t>(plan.greyToOutput, plan.greyToPacked)
                        : GreyLookupPack<uint8_t>(plan.greyToOutput, plan.greyToPacked);
}

void RenderStateReset() {
    gRender.plan = RenderPlan{};
    RenderRowCountsReset();
}

void RenderRowCountsReset() {
    gRender.rowsDone.store(0);
    for (std::atomic<int32_t>& claimed : gRender.rowsClaimed) claimed.store(0);
}

const int32_t* ToneChannelControls(int32_t channel) {
    return kToneControls[std::clamp(channel, 0, kToneChannels - 1)];
}

bool ToneChannelInUse(const int32_t* v, int32_t channel) {
    const int32_t* controls = ToneChannelControls(channel);
    if (controls[0] < 0) return false;
    // The option (link) value alone changes nothing, so it does not count.
    for (int i : {0, 1, 2, 3, 5})
        if (v[controls[i]] != 0) return true;
    return !ToneCurveIsIdentity(channel);
}

void RenderPlanSwitches(RenderPlan& plan, const int32_t* v) {
    plan.maskShow = v[CTL_MASK_SHOW] != 0;
    plan.maskOption = v[CTL_MASK_OPTION] != 0;
    const bool noDisplay = !plan.maskShow && !plan.maskOption;
    plan.paper = v[CTL_PAPER_INTENSITY] != 0 && noDisplay;
    plan.dynamicContrast = v[CTL_DYNCONTRAST_INTENSITY] != 0 && noDisplay;
    plan.pass2 = plan.paper || plan.dynamicContrast;
    plan.pass3 = (v[CTL_DIFFUSION_INTENSITY] > 0 || v[CTL_GLOW_INTENSITY] > 0) && noDisplay;
    plan.lastPass = plan.pass3 ? 3 : plan.pass2 ? 2 : 1;
    for (int32_t c = 0; c < kToneChannels; ++c) plan.toneInUse[c] = ToneChannelInUse(v, c);
}

ProcessedRegion RenderProcessedRegion(const RenderPlan& plan) {
    ProcessedRegion r = {plan.left, plan.top, plan.right, plan.bottom};
    if (!plan.dialogUp) return r;
    const int32_t z = std::max(plan.zoom, 1);
    const int32_t dx = plan.splitMulti ? 0 : plan.splitOffsetX / z;
    const int32_t dy = plan.splitMulti ? 0 : plan.splitOffsetY / z;
    const int32_t splitX =
        std::clamp(plan.left + (plan.right - plan.left) / 2 + dx, plan.left, plan.right);
    const int32_t splitY =
        std::clamp(plan.top + (plan.bottom - plan.top) / 2 + dy, plan.top, plan.bottom);
    switch (plan.splitView) {
        case 2:
        case 7:
            r.left = splitX;
            break;
        case 3:
        case 8:
            r.right = splitX;
            break;
        case 4:
        case 9:
            r.top = splitY;
            break;
        case 5:
        case 10:
            r.bottom = splitY;
            break;
    }
    return r;
}

int32_t RenderSourceX(const RenderPlan& plan, int32_t x) {
    if (!InMultiSplit(plan) || !VerticalSplit(plan.splitView)) return x;
    const int32_t z = std::max(plan.zoom, 1);
    // A rectangle one pixel wide has no half to repeat.
    const int32_t half = std::max((plan.right - plan.left) / 2, 1);
    const int32_t sx =
        plan.left + int32_t((plan.splitOffsetX - plan.left) / (z * 2.0)) + (x - plan.left) % half;
    return std::clamp(sx, plan.left, plan.right - 1);
}

int32_t RenderSourceY(const RenderPlan& plan, int32_t y) {
    if (!InMultiSplit(plan) || !HorizontalSplit(plan.splitView)) return y;
    const int32_t z = std::max(plan.zoom, 1);
    const int32_t half = std::max((plan.bottom - plan.top) / 2, 1);
    const int32_t sy =
        plan.top + int32_t((plan.splitOffsetY - plan.top) / (z * 2.0)) + (y - plan.top) % half;
    return std::clamp(sy, plan.top, plan.bottom - 1);
}

int32_t RenderRows(int32_t threadIndex) {
    if (gRender.plan.sixteenBit)
        RenderAllPasses<uint16_t>(threadIndex);
    else
        RenderAllPasses<uint8_t>(threadIndex);
    return 1;
}

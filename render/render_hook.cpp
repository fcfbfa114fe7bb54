// The render hook: one call per rendered rectangle (final tiles, previews, thumbnails).
// Everything that is the same for all rows is made here, on the host's thread, before the
// workers start; the workers only read it.

#include "render/render_hook.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "effect/control_ids.h"
#include "host/dialog_hooks.h"
#include "host/effect_context.h"
#include "host/host_services.h"
#include "host/numbered_arrays.h"
#include "host/plugin_data.h"
#include "host/preview_timing.h"
#include "host/run_driver.h"
#include "host/text_format.h"
#include "host/worker_threads.h"
#include "render/session_state.h"
#include "render/render_fields.h"
#include "render/render_tables.h"
#include "render/render_timeline.h"

namespace {
// Sheets of the side tab and the short text that labels the blown-highlight share.
constexpr int32_t kSideSheetHistogram = 2;
constexpr int32_t kSideSheetInfo = 3;
constexpr int32_t kBlownHighlightsText = 171;

int64_t RectanglePixels(const RenderPlan& plan) {
    return int64_t(std::max(plan.right - plan.left, 0)) * std::max(plan.bottom - plan.top, 0);
}

bool SurfaceFromContext(const EffectContext& c, PixelSurface& surface) {
    if (gSession.thumbnailRendering) {
        const NumberedArray& a = gArrays[ARRAY_THUMBNAIL];
        if (!a.base || a.zSize < 3) return false;
        const int64_t rowBytes = int64_t(a.xSize) * a.zSize * a.elementBytes;
        const int64_t first = (int64_t(a.border) * a.xSize + a.border) * a.zSize * a.elementBytes;
        surface = {a.base + first, rowBytes, a.zSize, a.base + first, rowBytes, a.zSize};
        return true;
    }
    if (!c.adjustedInData || !c.outData || c.inStep < 3 || c.outStep < 3) return false;
    surface = {c.adjustedInData, c.inRowBytes, c.inStep, c.outData, c.outRowBytes, c.outStep};
    return true;
}

// Whether the earlier passes can keep their result in the output itself: a final render
// (nobody shows the output before the render ends) into a host buffer laid out exactly as the
// work image, apart from the source. Every later pass reads a pixel of the work image only
// before it writes that same pixel, and the last one writes the output over it; pixels
// outside the processed region hold the source there as they would in the output. The host's
// pages are in already, where a work image of its own would fault in three samples a pixel.
bool WorkRgbInOutput(const RenderPlan& plan) {
    const PixelSurface& s = plan.surface;
    const int32_t bytes = plan.depth.elementBytes;
    const int64_t rowBytes = int64_t(plan.right - plan.left) * 3 * bytes;
    const int64_t outputBytes = int64_t(plan.bottom - plan.top) * rowBytes;
    const uintptr_t output = uintptr_t(s.output), source = uintptr_t(s.source);
    const int64_t sourceBytes = int64_t(plan.bottom - plan.top) * s.sourceRowBytes;
    const bool apart = output + outputBytes <= source || source + sourceBytes <= output;
    return !plan.dialogUp && !plan.thumbnails && s.output && s.outputStep == 3 &&
           s.outputRowBytes == rowBytes && output % bytes == 0 && apart;
}

// Work images of the later passes, with the element size of the image.
bool PrepareWorkImages(const RenderPlan& plan, const int32_t* v) {
    ReleaseArray(ARRAY_LOCAL_CONTRAST);
    if (!plan.pass2 && !plan.pass3) {
        ReleaseArray(ARRAY_WORK_RGB);
        ReleaseArray(ARRAY_WORK_BLUR);
        ReleaseArray(ARRAY_GLOW_MASK);
        return true;
    }
    const int32_t width = plan.right - plan.left;
    const int32_t height = plan.bottom - plan.top;
    const int32_t bytes = plan.depth.elementBytes;
    if (WorkRgbInOutput(plan)) {
        if (!BorrowArrayBlock(ARRAY_WORK_RGB, plan.surface.output, width, height, 3, bytes))
            return false;
    } else if (!CreateArray(ARRAY_WORK_RGB, width, height, 3, bytes)) {
        return false;
    }
    if (plan.pass2 && !CreateArray(ARRAY_WORK_BLUR, width, height, 1, bytes)) return false;
    if (v[CTL_GLOW_INTENSITY] > 0 && !CreateArray(ARRAY_GLOW_MASK, width, height, 1, bytes))
        return false;
    return true;
}

// Rows of ARRAY_CURVE_LUTS for the tone channels in use. A channel whose row could not be
// made is left out rather than read from a missing table.
void CollectToneLuts(RenderPlan& plan) {
    const int32_t levels = plan.depth.max + 1;
    for (int32_t c = 0; c < kToneChannels; ++c) {
        if (!plan.toneInUse[c]) continue;
        if (!CopyLookupRow(ARRAY_CURVE_LUTS, c, levels, plan.toneLuts[c]))
            plan.toneInUse[c] = false;
    }
}

void PrepareSelective(RenderPlan& plan, const int32_t* v) {
    const SelectiveTables tables = ReadSelectiveTables();
    plan.selectiveOn = SelectiveTablesInUse(tables);
    if (!plan.selectiveOn) return;
    // The rows are made whenever the step reads them, at every intensity.
    PrepareSelectiveLuts(tables, plan.depth.max);
    const int32_t levels = plan.depth.max + 1;
    const int32_t* luts[kSelectiveRows] = {};
    for (int32_t i = 0; i < kSelectiveRows; ++i) {
        if (tables.table[i][0] == 0 && tables.table[i][1] == 0) continue;
        if (CopyLookupRow(ARRAY_SELECTIVE_LUTS, i, levels, plan.selectiveLuts[i]))
            luts[i] = plan.selectiveLuts[i].data();
    }
    plan.selective = SelectiveFromTables(tables, v[CTL_SELECTIVE_TOLERANCE],
                                         v[CTL_SELECTIVE_INTENSITY], plan.depth, luts);
    // At intensity -100 the selective step returns the grey: skip it.
    if (plan.selective.rowCount == 0 || v[CTL_SELECTIVE_INTENSITY] == -100)
        plan.selectiveOn = false;
}

void PrepareGrey(RenderPlan& plan, const int32_t* v) {
    const int32_t* look = nullptr;
    if (PrepareTonalLook(v, plan.dialogUp) &&
        CopyLookupRow(ARRAY_TONALLOOK_LUT, 0, plan.depth.max + 1, plan.tonalLook))
        look = plan.tonalLook.data();
    plan.grey = GreyConversionFromControls(v, plan.depth, look);
}

template <typename Sample>
int64_t MarkBlown(const RenderPlan& plan) {
    const PixelSurface& s = plan.surface;
    const int32_t level = 255 * plan.depth.mult;
    int64_t blown = 0;
    for (int32_t y = plan.top; y < plan.bottom; ++y) {
        const Sample* in =
            reinterpret_cast<const Sample*>(s.source + int64_t(y - plan.top) * s.sourceRowBytes);
        Sample* out =
            reinterpret_cast<Sample*>(s.output + int64_t(y - plan.top) * s.outputRowBytes);
        for (int32_t x = plan.left; x < plan.right; ++x) {
            Sample* o = out + int64_t(x - plan.left) * s.outputStep;
            const Sample* i = in + int64_t(x - plan.left) * s.sourceStep;
            if (o[0] < level || o[1] < level || o[2] < level) continue;
            if (i[0] >= level || i[1] >= level || i[2] >= level) continue;
            const Sample stripe = Sample(x % 2 == 0 ? level : 0);
            o[0] = o[1] = o[2] = stripe;
            ++blown;
        }
    }
    return blown;
}

template <typename Sample>
void SplitLine(const RenderPlan& plan) {
    const PixelSurface& s = plan.surface;
    const int32_t z = std::max(plan.zoom, 1);
    const int32_t dx = plan.splitMulti ? 0 : plan.splitOffsetX / z;
    const int32_t dy = plan.splitMulti ? 0 : plan.splitOffsetY / z;
    const int32_t light = 255 * plan.depth.mult;
    auto put = [&](int32_t x, int32_t y, int32_t level) {
        if (x < plan.left || x >= plan.right || y < plan.top || y >= plan.bottom) return;
        Sample* o = reinterpret_cast<Sample*>(s.output + int64_t(y - plan.top) * s.outputRowBytes) +
                    int64_t(x - plan.left) * s.outputStep;
        o[0] = o[1] = o[2] = Sample(level);
    };
    const int32_t v = plan.splitView;
    if (v == 2 || v == 3 || v == 7 || v == 8) {
        const int32_t x = plan.left + (plan.right - plan.left) / 2 + dx;
        for (int32_t y = plan.top; y < plan.bottom; ++y) put(x, y, y % 2 == 0 ? 0 : light);
    } else if (v == 4 || v == 5 || v == 6 || v == 9 || v == 10) {
        const int32_t y = plan.top + (plan.bottom - plan.top) / 2 + dy;
        for (int32_t x = plan.left; x < plan.right; ++x) put(x, y, x % 2 == 0 ? 0 : light);
    }
}

void RenderRowsOnThread(int32_t index) {
    RenderRows(index);
}

// Previews and the final image start one thread per processor; thumbnails, many small
// renders in a row, use the sleeping worker pool instead.
void RunRenderRows(const int32_t* v) {
    RenderRowCountsReset();
    RenderTimelineTablesDone();
    const bool all = v[CTL_MULTI_CPU_OFF] == 0;
    if (gSession.thumbnailRendering) {
        gJob.poolParameters[1] = 0;
        gJob.poolParameters[2] = gRender.plan.progressTotal;
        RunPoolRoutine(RenderRowsOnThread, all, true);
    } else {
        RunParallel(RenderRowsOnThread, all, 0, gRender.plan.progressTotal, true);
    }
    RenderTimelineEnd(gJob.threadCount);
}

// The Info sheet's line on blown highlights: their share of the rectangle, or the label alone
// while they are not marked.
void ShowBlownShare(const RenderPlan& plan, int64_t blown, bool marked) {
    const char* label = GetArrayString(ARRAY_SHORT_TEXTS, kBlownHighlightsText);
    if (!marked) {
        gDialogHooks.setControlText(CTL_SHOW_BLOWN_HIGHLIGHTS, label);
        return;
    }
    const int64_t pixels = RectanglePixels(plan);
    char text[1024];
    FormatText(text, sizeof text, "%s: %.2f%%", label,
               pixels > 0 ? double(blown) * 100.0 / double(pixels) : 0.0);
    gDialogHooks.setControlText(CTL_SHOW_BLOWN_HIGHLIGHTS, text);
}

void ShowHistogramSheet(const int32_t* v, bool previewShown) {
    if (!previewShown) RefreshPreviewIfShown();
    gDialogHooks.showHistogram({ARRAY_HISTOGRAM, CTL_HISTOGRAM, CTL_MAIN_TAB, v[CTL_HISTO_CHANNEL],
                                v[CTL_HISTO_STYLE], v[CTL_HISTO_ZOOM], v[CTL_HISTO_NO_GAPS]});
}

// The preview's own pixels first: marking and split line, then the picture is painted at once,
// so that the user sees it before the timing text, the progress bar and the side sheet, each
// of which the dialog paints before it returns.
void PreviewFinish(const EffectContext& c, double elapsedMs) {
    const RenderPlan& plan = gRender.plan;
    const int32_t* v = c.controlValues;
    const bool timed = !gSession.brushStrokeActive;
    if (timed) {
        const int32_t w = c.imageWidth > 0 ? c.imageWidth : c.X;
        const int32_t h = c.imageHeight > 0 ? c.imageHeight : c.Y;
        FormatTimingText(gRender.timingText, sizeof gRender.timingText, elapsedMs,
                         RectanglePixels(plan), int64_t(w) * h);
    }
    const bool inDialog = c.dialogUp && plan.surface.output;
    const bool marked = inDialog && v[CTL_SHOW_BLOWN_HIGHLIGHTS] != 0;
    const int64_t blown = marked ? MarkBlownHighlights(plan) : 0;
    if (inDialog && plan.splitView > 1) DrawSplitLine(plan);
    const bool previewShown = inDialog && gDialogHooks.refreshPreview() != 0;
    if (timed) {
        gDialogHooks.setControlText(CTL_TIMING_TEXT, gRender.timingText);
        ReportProgress(0, 100);
        gDialogHooks.paintControlNow(CTL_TIMING_TEXT);
    }
    if (!inDialog) return;
    if (v[CTL_SIDE_TAB] == kSideSheetInfo) ShowBlownShare(plan, blown, marked);
    if (v[CTL_SIDE_TAB] == kSideSheetHistogram) ShowHistogramSheet(v, previewShown);
}
// A new plan whose lookup rows keep the storage of the last. At 16 bits the rows are blocks
// of some hundreds of kilobytes, and fresh blocks are fresh pages at every render: faults of a
// millisecond and more on the host's thread before the workers start. Emptied, a row reads as
// not made, as a new one does.
void ResetPlanKeepingTables(RenderPlan& plan) {
    RenderPlan fresh{};
    auto keep = [](auto& from, auto& to) {
        from.clear();
        to.swap(from);
    };
    for (int32_t c = 0; c < kToneChannels; ++c) keep(plan.toneLuts[c], fresh.toneLuts[c]);
    for (int32_t r = 0; r < kSelectiveRows; ++r)
        keep(plan.selectiveLuts[r], fresh.selectiveLuts[r]);
    keep(plan.tonalLook, fresh.tonalLook);
    for (int32_t c = 0; c < 3; ++c) keep(plan.greyToOutput[c], fresh.greyToOutput[c]);
    keep(plan.greyToPacked, fresh.greyToPacked);
    keep(plan.effects.ndgradLut, fresh.effects.ndgradLut);
    keep(plan.effects.diffusionLut, fresh.effects.diffusionLut);
    plan = std::move(fresh);
}
}  // namespace

bool CopyLookupRow(int32_t array, int32_t row, int32_t levels, std::vector<int32_t>& values) {
    const NumberedArray& a = gArrays[array];
    if (!a.base || a.xSize - 2 * a.border < levels || row < 0 || row >= a.ySize - 2 * a.border)
        return false;
    values.resize(size_t(levels));
    for (int32_t level = 0; level < levels; ++level)
        values[size_t(level)] = GetArrayElement(array, level, row, 0);
    return true;
}

bool RenderWanted(const EffectContext& c) {
    // The final image (and a run without the dialog) always renders, whatever the preview
    // switch was left at; so do the preset thumbnails.
    if (!c.dialogUp || gSession.thumbnailRendering) return true;
    return c.controlValues[CTL_PREVIEW_ON] != 0 &&
           (gSession.renderDeferred == 0 || c.controlValues[CTL_INSTANT_PREVIEW] != 0);
}

void RenderRunStart(const EffectContext& c) {
    // Made anew by each render; the fields, too, are the run's own.
    static const int32_t kWorkArrays[] = {ARRAY_WORK_RGB,       ARRAY_WORK_BLUR, ARRAY_GLOW_MASK,
                                          ARRAY_LOCAL_CONTRAST, ARRAY_GRAIN,     ARRAY_FRAME,
                                          ARRAY_FRAME_EDGE};
    MarkRenderWorkArrays(kWorkArrays, int32_t(std::size(kWorkArrays)));
    // A final render's last pass writes every pixel of the rectangle (its processed region is
    // the whole of it): the source need not be copied into the output first.
    RunSourceCopyDeferred();
    // The pool's threads are made now, while the host hands over the first rectangle, and
    // are left asleep: the first rectangle's hand-over takes longer than a hold, and threads
    // spinning through it would only take processors from the host's copies. The source
    // copy's checks wake them.
    if (!c.dialogUp && c.controlValues[CTL_MULTI_CPU_OFF] == 0) EnsureWorkerPool();
}

bool RenderPlanBuild(const EffectContext& c) {
    RenderPlan& plan = gRender.plan;
    const int32_t* v = c.controlValues;
    ResetPlanKeepingTables(plan);
    plan.depth = BitDepthFor(IsSixteenBitMode(c.imageMode));
    plan.sixteenBit = plan.depth.max > 255;
    plan.left = c.currentLeft;
    plan.right = c.currentRight;
    plan.top = c.currentTop;
    plan.bottom = c.currentBottom;
    plan.zoom = std::max(c.zoomReduction, 1);
    plan.dialogUp = c.dialogUp != 0;
    plan.thumbnails = gSession.thumbnailRendering != 0;
    plan.splitView = plan.dialogUp ? v[CTL_SPLIT_VIEW] : 0;
    plan.splitMulti = plan.dialogUp && v[CTL_SPLIT_MULTI] != 0;
    plan.splitOffsetX = gSession.splitOffsetX;
    plan.splitOffsetY = gSession.splitOffsetY;
    plan.controls = v;
    plan.multiProcessor = v[CTL_MULTI_CPU_OFF] == 0;
    plan.selectionBlend = gSession.previewSelectionMask != 0 && !plan.thumbnails;
    RenderPlanSwitches(plan, v);
    const int32_t height = std::max(plan.bottom - plan.top, 0);
    plan.progressTotal = height * (plan.pass2 ? 2 : 1) + (plan.pass3 ? height : 0);
    if (!SurfaceFromContext(c, plan.surface)) return false;
    return plan.right > plan.left && plan.bottom > plan.top;
}

bool RenderPrepareTables(const EffectContext& c) {
    RenderPlan& plan = gRender.plan;
    const int32_t* v = c.controlValues;
    if (!PrepareWorkImages(plan, v)) return false;
    RenderTimelineHostMark("work images");
    PrepareAging(v);
    RenderTimelineHostMark("aging tables");
    PrepareToneLuts(plan, v);
    CollectToneLuts(plan);
    PrepareSelective(plan, v);
    PrepareBendRows(plan, v);
    RenderTimelineHostMark("lookup rows");
    const int32_t wholeWidth = c.imageWidth > 0 ? c.imageWidth : c.X;
    const int32_t wholeHeight = c.imageHeight > 0 ? c.imageHeight : c.Y;
    if (!PrepareGrainField(plan, v, wholeWidth, wholeHeight)) return false;
    RenderTimelineHostMark("grain field");
    if (!PrepareFrameField(plan, v, c.X, c.Y, wholeWidth, wholeHeight)) return false;
    RenderTimelineHostMark("frame field");
    PrepareGrey(plan, v);
    if (!EffectChainPrepare(plan, c)) return false;
    RenderPlanGreyLookup(plan);
    RenderTimelineHostMark("chain and grey");
    return GetResult() == 0;
}

int64_t MarkBlownHighlights(const RenderPlan& plan) {
    return plan.sixteenBit ? MarkBlown<uint16_t>(plan) : MarkBlown<uint8_t>(plan);
}

void DrawSplitLine(const RenderPlan& plan) {
    if (plan.sixteenBit)
        SplitLine<uint16_t>(plan);
    else
        SplitLine<uint8_t>(plan);
}

void FormatTimingText(char* text, size_t size, double elapsedMs, int64_t rectanglePixels,
                      int64_t imagePixels) {
    const double projected =
        rectanglePixels > 0
            ? ((imagePixels / 1000.0) * elapsedMs / (rectanglePixels / 1000.0)) / 1000.0
            : 0.0;
    snprintf(text, size, "%.3f s -> %.1f s", elapsedMs / 1000.0, projected);
}

int32_t OnRender(EffectContext* context) {
    EffectContext& c = *context;
    // The host's selection is blended back only in the dialog's previews; decided once,
    // before any worker reads it.
    if (!gSession.thumbnailRendering && (!c.haveMask || !c.dialogUp))
        gSession.previewSelectionMask = 0;
    const DWORD start = GetTickCount();
    if (!gSession.thumbnailRendering) PreviewTimingMark(PREVIEW_MOMENT_RENDER_START);
    RenderTimelineStart();
    // A render runs a dozen jobs on all processors (fields, blurs, passes): one pool for all,
    // its threads woken now, so that they run by the time the tables are made, and held
    // between the jobs.
    const bool pooled = RenderWanted(c) && c.controlValues[CTL_MULTI_CPU_OFF] == 0;
    if (pooled) {
        EnsureWorkerPool();
        WorkerPoolHold(kRunPoolHoldMs);
    }
    // The tonal look may count the whole image first, which asks the host for other buffers
    // and then for this rectangle again: the plan takes the pointers only afterwards.
    if (RenderWanted(c) && !gSession.thumbnailRendering)
        PrepareTonalLook(c.controlValues, c.dialogUp != 0);
    const bool planned = RenderPlanBuild(c);
    if (planned && RenderWanted(c) && RenderPrepareTables(c)) {
        RunRenderRows(c.controlValues);
        if (!JobCancelRequested()) RunOutputRendered();
    }
    // A preview's or a thumbnail's threads sleep while the dialog waits for the user; a final
    // run holds them until its last rectangle is done.
    if (pooled && (c.dialogUp || gSession.thumbnailRendering)) WorkerPoolHold(0);
    // The output is the host's only until the next rectangle.
    if (gArrays[ARRAY_WORK_RGB].borrowed) ReleaseArray(ARRAY_WORK_RGB);
    if (!gSession.thumbnailRendering) PreviewTimingMark(PREVIEW_MOMENT_RENDER_END);
    if (planned && !gSession.thumbnailRendering) PreviewFinish(c, double(GetTickCount() - start));
    return 1;
}

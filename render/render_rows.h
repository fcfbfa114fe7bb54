// The pixel pipeline frame: the per-render plan that the render hook builds, and RenderRows,
// which every worker runs over its own rows in up to three passes.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "render/effect_chain.h"
#include "render/grey_conversion.h"
#include "render/render_arrays.h"
#include "render/pixel_weights.h"

constexpr int kToneChannels = 7;  // tone curve, colour, bicolor, red, green, blue, spare

// Where the pipeline reads and writes pixels: the host's buffers of the current rectangle,
// or the thumbnail array. Pointers address the rectangle's top-left pixel.
struct PixelSurface {
    const uint8_t* source;
    int64_t sourceRowBytes;
    int32_t sourceStep;  // samples from one pixel to the next
    uint8_t* output;
    int64_t outputRowBytes;
    int32_t outputStep;
};

// The part of the rectangle that is processed (split view), right and bottom exclusive.
struct ProcessedRegion {
    int32_t left, top, right, bottom;
};

// Everything a render reads: built by RenderPlanBuild on the host's thread, read-only for
// the workers.
struct RenderPlan {
    BitDepth depth;
    bool sixteenBit;
    int32_t left, top, right, bottom;  // current rectangle, image coordinates, exclusive
    int32_t zoom;                      // zoomReduction: 1 for the final image
    bool dialogUp;
    bool thumbnails;  // gSession.thumbnailRendering at the start of the render
    bool maskShow;    // CTL_MASK_SHOW: the output shows the mask
    bool maskOption;  // CTL_MASK_OPTION: the output shows the brush mask
    bool paper, dynamicContrast, pass2, pass3;
    int32_t lastPass;  // 1, 2 or 3
    bool toneInUse[kToneChannels];
    bool selectiveOn;
    bool selectionBlend;                 // blend the result back by the host's selection (previews)
    bool multiProcessor;                 // CTL_MULTI_CPU_OFF is 0: jobs use every processor
    int32_t splitView;                   // CTL_SPLIT_VIEW, only while the dialog is up; else 0
    bool splitMulti;                     // CTL_SPLIT_MULTI while the dialog is up
    int32_t splitOffsetX, splitOffsetY;  // gSession.splitOffsetX / Y at the start of the render
    int32_t progressTotal;
    GreyConversion grey;
    SelectiveAdjustment selective;
    std::vector<int32_t> toneLuts[kToneChannels];  // max + 1 entries each when in use
    std::vector<int32_t> selectiveLuts[kSelectiveRows];
    std::vector<int32_t> tonalLook;
    // Without selective adjustments the pixel stays grey up to the tone channels, so its
    // output is a function of the grey: one row per channel, max + 1 entries each.
    bool greyLookup;
    std::vector<int32_t> greyToOutput[3];
    // The same rows packed for GreyLookupRow; made with them where the conversion is the
    // plain standard luma.
    std::vector<uint64_t> greyToPacked;
    EffectChain effects;  // the steps after the conversion; filled by EffectChainPrepare
    PixelSurface surface;
    const int32_t* controls;  // controlValues of the context, for the steps of the effects
};

// Shared state of the render under way. The plan is written by the host's thread before the
// workers start; the workers only count their rows. A cancel travels through the worker
// job's shared flag (RequestJobCancel), which every thread tests before each row.
// Written on the host's thread by render/render_hook.cpp, before and after the workers;
// RenderStateReset (render_rows.cpp) clears it for tests and between runs.
struct RenderState {
    RenderPlan plan;  // render_hook.cpp (RenderPlanBuild); read-only for the workers
    // Rows finished in all passes: zeroed by render_hook.cpp before the workers start, counted
    // by the workers (render_rows.cpp) with fetch_add, the one field they share.
    std::atomic<int32_t> rowsDone;
    // Rows handed out so far in passes 1, 2 and 3, the diffusion's grey copy and the glow
    // mask, which share their rows out in claims: zeroed with rowsDone, advanced by the
    // workers with fetch_add.
    std::atomic<int32_t> rowsClaimed[5];
    char timingText[64];  // "%.3f s -> %.1f s" of the last preview or tile; render_hook.cpp
};
extern RenderState gRender;

// Clears the plan and the flags (tests start from here).
void RenderStateReset();

// The switches that depend only on the settings: display modes, passes, tone channels in
// use.
void RenderPlanSwitches(RenderPlan& plan, const int32_t* controlValues);
// Curve c of ARRAY_CURVES runs from (0, 0) to (gSession.curveMax, gSession.curveMax) in its first
// two points.
bool ToneCurveIsIdentity(int32_t curve);
// True when curve c of ARRAY_CURVES is in use: a modifier of its channel is not 0 or its
// curve is not the identity.
bool ToneChannelInUse(const int32_t* controlValues, int32_t channel);
// The control numbers of tone channel c in the order the curve lookup takes them:
// intensity, colour or brightness, shadows, highlights, option, amplify or exposure.
const int32_t* ToneChannelControls(int32_t channel);

// Makes the grey-to-output rows when the plan's tone channels are in use and no selective
// range is: after the lookup rows of the tone channels and the selective switch are set.
void RenderPlanGreyLookup(RenderPlan& plan);

// The processed region of a pass: the whole rectangle, or one side of the split line.
ProcessedRegion RenderProcessedRegion(const RenderPlan& plan);
// Source column and row of output pixel (x, y): itself, or in multi split view the part of
// the image shown on both sides.
int32_t RenderSourceX(const RenderPlan& plan, int32_t x);
int32_t RenderSourceY(const RenderPlan& plan, int32_t y);

// Zeroes the rows done and the claim counters before the workers start.
void RenderRowCountsReset();

// The pipeline on the rows of one worker: the blocks of rows it claims in each pass, thread 0
// reporting the progress meanwhile. The grain of row y draws from random stream (y - top) mod
// N whichever thread renders it, so the result depends on N alone.
// Every worker passes the same sequence of barriers, also after a cancel. Returns 1.
int32_t RenderRows(int32_t threadIndex);

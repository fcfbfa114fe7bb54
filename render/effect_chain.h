// The effect chain of the pixel pipeline: every step after the grey conversion (lab effects,
// graduated filter, toning, grain, vignette, aging texture, paper, dynamic contrast,
// diffusion, glow, masks, fades and frame) with its per-render values, made once by the
// render hook and read by every worker.
#pragma once

#include <cstdint>
#include <vector>

#include "render/array_view.h"
#include "render/closing_rows.h"
#include "render/diffusion_glow.h"
#include "render/fades.h"
#include "render/film_grain.h"
#include "render/frame.h"
#include "render/gradient_noise.h"
#include "render/later_pass_rows.h"
#include "render/lab_effects.h"
#include "render/paper_contrast.h"
#include "render/selection_masks.h"
#include "render/toning.h"
#include "render/vignette.h"

struct RenderPlan;
struct EffectContext;

// Where a pixel lies: its output position, the position its source is read at, and its
// column and row in the rectangle's arrays.
struct PixelSite {
    int32_t x, y, sx, sy, column, row;
};

// The weights each pass computes first, 0..255 (255: fully processed).
struct PixelWeights {
    int32_t mask, vignette, brush;
};

// The work arrays a later pass reads, viewed at the start of the pass: the blur stages
// re-create some of them between passes.
struct PassViews {
    ArrayView blur;      // ARRAY_WORK_BLUR: blurred luma (pass 2), colour or grey (pass 3)
    ArrayView contrast;  // ARRAY_LOCAL_CONTRAST: the equalised luma (pass 2)
    ArrayView glow;      // ARRAY_GLOW_MASK (pass 3)
};

// Per-render values of every step. Filled by EffectChainPrepare on the host's thread.
struct EffectChain {
    LabEffects lab;
    NdGrad ndgrad;
    Toning toning;
    FilmGrain grain;
    Vignette vignette;
    bool aging;                 // CTL_AGING_INTENSITY not 0
    TexturePixelState texture;  // copied by each worker (EffectWorkerBegin)
    int32_t textureOffsetX, textureOffsetY;
    PaperContrast paperContrast;
    DiffusionGlow diffusionGlow;
    SelectionMask mask;
    BrushMask brush;
    Fades fades;
    Frame frame;
    bool shaping;    // lab effects, graduated filter or a tone channel shape the pixel
    bool weighed;    // a mask, the vignette or the brush weighs the pixels
    bool finishing;  // grain, vignette or aging in the last pass
    bool blends;     // a mask, the brush or a fade closes each pass
    std::vector<int32_t> ndgradLut, diffusionLut;
};

// What one worker changes while it renders a row: its texture record and the state of its
// random source. Taken at the row's start, handed back at its end.
struct EffectWorker {
    TexturePixelState texture;
    uint32_t random;
    const double* rowNoise;  // the row's texture noise by column, or null: noise per pixel
    // The grain's draws of the row's pixels taken at once (GrainDrawRow), the next pixel's
    // first; null: each pixel draws its own.
    const int32_t* rowGrain;
};
EffectWorker EffectWorkerBegin(const EffectChain& chain);
void EffectWorkerEnd(const EffectWorker& worker);

// Makes the grain and frame fields and fills plan.effects from the control values. False
// when a field could not be made (the host's result then says why).
bool EffectChainPrepare(RenderPlan& plan, const EffectContext& context);

// Pass start: the mask weight from `tonal` (the source in pass 1, the pass's input later),
// the vignette's shape when the vignette runs in this pass, the brush weight. The reference
// for EffectWeightsRow.
PixelWeights EffectWeights(const EffectChain& chain, const PixelSite& site, const Rgb& tonal,
                           bool vignetteHere);
// The grey a display mode shows in place of the image, on the 0..255 scale.
int32_t DisplayModeGrey(bool maskShow, bool maskOption, const PixelWeights& weights);
// Lab effects, graduated filter and toning (pass 1).
void EffectLabAndToning(const EffectChain& chain, const PixelSite& site, const Rgb& source, Rgb& p);
// Grain, vignette and aging texture (last pass).
void EffectFinishing(const EffectChain& chain, EffectWorker& worker, const PixelSite& site,
                     int32_t vignette, Rgb& p);
// Mask blend, brush blend and fades toward base (every pass).
void EffectBlendsAndFades(const EffectChain& chain, const PixelWeights& weights, const Rgb& base,
                          Rgb& p);
// The frame (last pass).
void EffectFrame(const EffectChain& chain, const PixelSite& site, Rgb& p);
// The closing steps of a pass on one pixel: in the last pass grain, vignette and aging
// texture, then in every pass the blends and fades, and in the last pass the frame. The
// reference for EffectCloseRow.
void EffectClosePixel(const EffectChain& chain, bool last, EffectWorker& worker,
                      const PixelSite& site, const PixelWeights& weights, const Rgb& base, Rgb& p);

// Where a chunk of a row's pixels lies: the first pixel's output position, its row's source
// row, the first pixel's column and row in the rectangle's arrays, and the source column of
// each pixel (RenderSourceX).
struct ChunkSite {
    int32_t x, y, sy, column, row;
    const int32_t* sx;
};
// The weights of a chunk's pixels, 0..255 each.
struct ChunkWeights {
    int32_t mask[kLaterPassChunk], vignette[kLaterPassChunk], brush[kLaterPassChunk];
};
// EffectWeights of the count pixels of a chunk; all 255 when nothing weighs them.
void EffectWeightsRow(const EffectChain& chain, const ChunkSite& site, const ConstRowPlanes& tonal,
                      int32_t count, bool vignetteHere, ChunkWeights& weights);
// EffectClosePixel on each pixel of a chunk, one step after the other over the whole chunk:
// each step of a pixel reads nothing of the other pixels, and the steps that keep state
// (the grain's draws, the texture record) take the pixels in column order, as the pixel by
// pixel closing does.
void EffectCloseRow(const EffectChain& chain, bool last, EffectWorker& worker,
                    const ChunkSite& site, const ChunkWeights& weights, const ConstRowPlanes& base,
                    const ClosingRowProcs& rows, const RowPlanes& p);
// The views of the work arrays; every worker takes them after the barrier before its pass.
PassViews EffectPassViews();
// Paper and dynamic contrast (pass 2).
void EffectPassTwo(const EffectChain& chain, const PassViews& views, const PixelSite& site, Rgb& p);
// Diffusion and glow (pass 3).
void EffectPassThree(const EffectChain& chain, const PassViews& views, const PixelSite& site,
                     Rgb& p);
// EffectPassTwo on p.count pixels of a row at once, the first at array column `column` of
// array row `row`, through the row steps of one vector build.
void EffectPassTwoRow(const EffectChain& chain, const PassViews& views,
                      const LaterPassRowProcs& rows, int32_t column, int32_t row,
                      const RowPlanes& p);
// EffectPassThree on p.count pixels of a row at once; the first is at image (x, y).
void EffectPassThreeRow(const EffectChain& chain, const PassViews& views,
                        const LaterPassRowProcs& rows, int32_t x, int32_t y, int32_t column,
                        int32_t row, const RowPlanes& p);

// The effects of passes 2 and 3 a row at a time: paper, dynamic contrast, diffusion and glow
// on a row of pixels held as three planes, each with the pixel-by-pixel step's arithmetic.
#pragma once

#include <cstdint>

#include "render/diffusion_glow.h"
#include "render/paper_contrast.h"
#include "render/vector_level.h"

// Pixels a row step takes at a time: its temporaries stay on the stack and in the first
// level cache.
constexpr int32_t kLaterPassChunk = 64;

// count pixels as three planes of levels (0..max on entry); the steps work in place.
struct RowPlanes {
    int32_t* r;
    int32_t* g;
    int32_t* b;
    int32_t count;  // at most kLaterPassChunk
};

// The read-only planes of count pixels: a blurred colour copy.
struct ConstRowPlanes {
    const int32_t* r;
    const int32_t* g;
    const int32_t* b;
};

// The row steps of one vector build. Each gives every pixel exactly what ApplyPaper,
// ApplyDynamicContrast, ApplyDiffusion and ApplyGlow give it.
struct LaterPassRowProcs {
    // blurred: the blurred first-pass luma of each pixel.
    void (*paper)(const PaperContrast& step, const int32_t* blurred, const RowPlanes& p);
    // equalised: the equalised first-pass luma of each pixel.
    void (*dynamicContrast)(const PaperContrast& step, const int32_t* equalised,
                            const RowPlanes& p);
    // positions: the diffusion mask's GradientPosition of each pixel, or null without a mask.
    void (*diffusion)(const DiffusionGlow& step, const ConstRowPlanes& blurred,
                      const int32_t* positions, const RowPlanes& p);
    // mask: the blurred tone mask of each pixel.
    void (*glow)(const DiffusionGlow& step, const int32_t* mask, const RowPlanes& p);
};

// The row steps of a vector level (the plain SSE2 build below AVX2).
const LaterPassRowProcs& LaterPassRowsFor(VectorLevel level);
extern const LaterPassRowProcs kLaterPassRowsPlain;
extern const LaterPassRowProcs kLaterPassRowsAvx2;

// The closing steps of a pass a chunk of a row at a time: grain, vignette, the blends toward
// the base and the shaped frame on a chunk of pixels held as three planes, each with the
// pixel-by-pixel step's arithmetic.
#pragma once

#include <cstdint>

#include "render/film_grain.h"
#include "render/frame.h"
#include "render/later_pass_rows.h"
#include "render/vector_level.h"
#include "render/vignette.h"

// What the grain of a chunk reads besides the pixels: the draws of each pixel as planes
// (draw k of pixel i at draws[k][i]; GrainDrawsPerPixel of them) and the field's values of
// the pixels in the grain's red, green, blue and grey channels (those the colour uses).
struct GrainChunk {
    const int32_t* draws[4];
    const int32_t* field[4];
};

// The row steps of one vector build. Each gives every pixel exactly what ApplyGrainDrawn,
// ApplyVignette, BlendTowardBase and ApplyFrame (shaped frame) give it.
struct ClosingRowProcs {
    void (*grain)(const FilmGrain& grain, const GrainChunk& in, const RowPlanes& p);
    // shape: the vignette's shape value of each pixel.
    void (*vignette)(const Vignette& vignette, const int32_t* shape, const RowPlanes& p);
    // weight: each pixel's weight 0..255 toward its base pixel.
    void (*blendTowardBase)(const int32_t* weight, const ConstRowPlanes& base, bool keepColour,
                            int32_t max, const RowPlanes& p);
    // outer, inner: the frame field's channels 0 and 1 of each pixel (inner unread when the
    // frame is border only).
    void (*frameField)(const Frame& frame, const int32_t* outer, const int32_t* inner,
                       const RowPlanes& p);
};

// The row steps of a vector level (the plain SSE2 build below AVX2).
const ClosingRowProcs& ClosingRowsFor(VectorLevel level);
extern const ClosingRowProcs kClosingRowsPlain;
extern const ClosingRowProcs kClosingRowsAvx2;

// Film grain of the last pass: per-pixel noise from the worker's own random source, mixed
// by the grain size with the blurred grain field of the render hook, weighted by tone.
#pragma once

#include <cstdint>

#include "render/array_view.h"
#include "render/pixel_weights.h"

// Per-render values; built on the host's thread, read by every worker.
struct FilmGrain {
    BitDepth depth;
    int32_t intensity;            // CTL_GRAIN_INTENSITY, 0..200; 0 = off
    int32_t size;                 // 0..40, scaled to the image when asked; 0 = noise only
    int32_t colour;               // CTL_GRAIN_COLOR, 0..100
    ArrayView field;              // ARRAY_GRAIN over the rectangle; read when size > 0
    const uint16_t* fieldLevels;  // the field's stretch (FieldStretchLevels), null for none
    bool toneWeighted;            // one of the tone sliders is not 0
    int32_t shadows, highlights, midtones;  // -100..100
    uint8_t tone[256];                      // strength by tone
    int32_t drawsPerPixel;                  // GrainDrawsPerPixel, kept for the pixels
};

// The constants of a bit depth, fixed at compile time for the two depths the render has (the
// divisions by them become multiplications and shifts), or read from the depth (kMax 0): the
// same values either way, so the same arithmetic.
template <int32_t kMax>
struct GrainDepth {
    int32_t max, mid, mult, grainDivisor;
    explicit GrainDepth(const BitDepth& d)
        : max(kMax ? kMax : d.max),
          mid(kMax == 255     ? 128
              : kMax == 32768 ? 16384
                              : d.mid),
          mult(kMax == 255     ? 1
               : kMax == 32768 ? 128
                               : d.mult),
          grainDivisor(kMax == 255     ? 128
                       : kMax == 32768 ? 1
                                       : d.grainDivisor) {}
};

// W, H: the whole image (for the size scaled to the image).
FilmGrain FilmGrainFromControls(const int32_t* controlValues, const BitDepth& depth, int32_t W,
                                int32_t H);
// The grain size the field is made for: CTL_GRAIN_SIZE, or scaled by sqrt(max(W, H) / 1000).
int32_t GrainSize(const int32_t* controlValues, int32_t W, int32_t H);
// Grain on pixel p at (column, row) of the rectangle; draws from `random`, the state of the
// calling thread's random source that the caller holds while it renders a row. The reference
// for the row's draws taken at once (GrainDrawRow, ApplyGrainDrawn).
void ApplyGrain(const FilmGrain& grain, int32_t column, int32_t row, uint32_t& random, Rgb& p);
// Values a pixel of the grain draws from the random source: 0 (the field alone), 1 or 4.
int32_t GrainDrawsPerPixel(const FilmGrain& grain);
// The draws of count pixels of a row in pixel order, count * GrainDrawsPerPixel values, with
// `random` advanced as count calls of ApplyGrain advance it. The draws of a row go through
// the table lookups one after the other, so that their memory reads overlap.
void GrainDrawRow(const FilmGrain& grain, uint32_t& random, int32_t count, int32_t* draws);
// ApplyGrain with the pixel's draws (GrainDrawsPerPixel of them) given.
void ApplyGrainDrawn(const FilmGrain& grain, int32_t column, int32_t row, const int32_t* draws,
                     Rgb& p);
// The field's values of count pixels of a row from (column, row) on, as ApplyGrainDrawn reads
// them: out[k] the grain's red, green, blue and grey channels for k = 0 .. 3 (the channels
// the colour does not use are left alone). Only when the grain's size is above 0.
void GrainFieldRow(const FilmGrain& grain, int32_t column, int32_t row, int32_t count,
                   int32_t* const out[4]);

// The aging texture a run of pixels of one row at once: the fractal noise octave by octave,
// and the blend of the samples into three planes. Built once plain (SSE2) and once for AVX2,
// chosen at run time; both give the pixel-by-pixel texture's values exactly.
#pragma once

#include <cstdint>

#include "render/gradient_noise.h"
#include "render/later_pass_rows.h"
#include "render/vector_level.h"

// The columns of one octave as the row noise reads them: their offsets and fades side by
// side, and the runs of neighbouring columns that fall in one lattice cell (which share its
// four corner gradients). Made once per render by NoiseTextureColumns.
struct NoiseOctaveColumns {
    const double* offset;    // one per column
    const double* weight;    // one per column
    const int32_t* runEnd;   // the column after each run; the last is the column count
    const int32_t* runCell;  // the lattice cell of each run
    int32_t runCount;
};

// One row: count pixels, the columns of each octave, and the row's positions (one per octave).
struct NoiseRowRun {
    const NoiseOctaveColumns* columns;  // kNoiseCachedOctaves of them
    const NoiseAxis* rows;
    int32_t count;
    int32_t octaves;  // 1..kNoiseCachedOctaves
    double octaveDivisor;
    double* noise;  // count sums, written
};

using NoiseRowProc = void (*)(const NoiseRowRun& run);

// The largest texture value (either sign) the blend rows take: with it and levels 0..max
// every product of the blend stays exact in int32 at 8 bits and in doubles at 16, and every
// quotient in int32. Far beyond what the octave sums reach (about 2^18 at 16 bits).
constexpr int32_t kTextureBlendLimit = 1 << 20;

// Samples blended into planes of one chunk; the texture state's blend controls, checked by
// the caller: tints 0..max, intensity 0..100.
struct TextureBlendRun {
    const TextureSample* samples;  // count of them
    RowPlanes planes;              // count at most kLaterPassChunk; levels in, blended out
    int32_t tint[3];               // red, green, blue
    int32_t intensity;
    int32_t hard;  // 1: hard light, decided by the texture
};

// False, and the planes untouched, where a sample's value lies beyond kTextureBlendLimit or
// a level beyond 0..max: the caller blends those pixel by pixel.
using TextureBlendRowProc = bool (*)(const TextureBlendRun& run);

// The dust (or vapour) texture's value before its reduction stays inside this bound (either
// sign) for the dust rows: its reduced value then stays exact in int32. The octave sums
// reach about a twentieth of it at 16 bits.
constexpr double kTextureDustLimit = 4194304.0;  // 2^22

// The dust or vapour samples of a chunk of noises; the state's dust controls, checked by the
// caller: reduction -255..255, invert 0 or 1.
struct TextureDustRun {
    const double* noise;     // count of them
    TextureSample* samples;  // count of them, written
    int32_t count;           // at most kLaterPassChunk
    int32_t vapour;          // 1: the noise's magnitude
    int32_t invert;
    int32_t reduction;
    int32_t tinted;  // the state's tint flag, which dust keeps
};

// False where a value reaches kTextureDustLimit (or the noise is not a number): the caller
// makes that chunk's samples pixel by pixel.
using TextureDustRowProc = bool (*)(const TextureDustRun& run);

// The row steps of one vector build.
struct TextureRowProcs {
    NoiseRowProc noise;  // the tables of gNoise must be built
    TextureBlendRowProc blend8, blend16;
    TextureDustRowProc dust8, dust16;
};

// The row steps of a vector level (the plain SSE2 build below AVX2).
const TextureRowProcs& TextureRowsFor(VectorLevel level);
extern const TextureRowProcs kTextureRowsPlain;
extern const TextureRowProcs kTextureRowsAvx2;

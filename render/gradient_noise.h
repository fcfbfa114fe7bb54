// Gradient noise over a seeded lattice of unit gradients, its fractal octave sum, and the
// aging texture (dust, vapour, spots, stains, drops) blended into a pixel.
#pragma once

#include <cstdint>

#include "render/pixel_weights.h"

constexpr int kNoiseGradientCount = 512;     // entries 256..511 repeat 0..255
constexpr int kNoisePermutationCount = 514;  // entries 256..513 repeat 0..257

struct NoiseGradient {
    double x, y;
};

// The lattice tables. Written only by InitNoise, on the host's thread before the workers
// start; read by every worker during a render.
struct NoiseTables {
    NoiseGradient gradient[kNoiseGradientCount];
    int32_t permutation[kNoisePermutationCount];
    int32_t stale;  // 1 until InitNoise has built the tables
};
extern NoiseTables gNoise;

// Marks the tables stale, as at load (tests).
void NoiseReset();

// Builds both tables from the calling thread's random source (RandomNext) and clears the
// stale flag. The render hook seeds the source first when the aging seed is above 0.
void InitNoise();
// Divides (x, y) by its length; a zero vector has no direction and becomes (1, 0).
void NormalizeGradient(NoiseGradient& gradient);
// Gradient noise at (x, y); 0 at every lattice point, period 256 in both directions.
double Noise2(double x, double y);
// Sum of octaves: octave k (from 0) is Noise2 at (x, y) * lacunarity^k divided by
// octaveDivisor^k. 0 for octaves below 1.
double FractalNoise(double x, double y, double octaveDivisor, double lacunarity, int32_t octaves);

// Octaves the texture keeps per-row and per-column lattice positions for; more take the
// plain path.
constexpr int32_t kNoiseCachedOctaves = 8;

// Where one noise coordinate falls in the lattice at one octave: the cell's low byte, the
// offset into the cell and its fade weight. The same for every pixel of a column (or row).
struct NoiseAxis {
    double offset, weight;
    int32_t cell;
};

// The lattice cell a row's pixels last fell in at one octave: the x parts of its four corner
// gradients and the y terms of their dot products, the same along the cell's width.
struct NoiseCell {
    double g00x, g10x, g01x, g11x;  // x components of the corner gradients
    double y00, y10, y01, y11;      // the corners' y offsets times their gradients' y
    int32_t cell;                   // the column's cell; -1: none yet
};

// The lattice cell at column cell `cellX` of row position `ay`: its corner gradients and the
// terms of the noise that do not depend on x. Internal linkage: the vector builds of the row
// noise compile it too, and their copy must never stand in for the plain one.
static inline NoiseCell NoiseCellAt(int32_t cellX, const NoiseAxis& ay) {
    const int32_t* p = gNoise.permutation;
    const int32_t j = ay.cell, j1 = (j + 1) & 255;
    const int32_t a = p[cellX], b = p[(cellX + 1) & 255];
    const NoiseGradient& g00 = gNoise.gradient[p[a + j]];
    const NoiseGradient& g10 = gNoise.gradient[p[b + j]];
    const NoiseGradient& g01 = gNoise.gradient[p[a + j1]];
    const NoiseGradient& g11 = gNoise.gradient[p[b + j1]];
    const double fy = ay.offset;
    return {
        g00.x, g10.x, g01.x, g11.x, fy * g00.y, fy * g10.y, (fy - 1.0) * g01.y, (fy - 1.0) * g11.y,
        cellX};
}

struct NoiseOctaveColumns;
struct RowPlanes;

enum AgingMode : int32_t {
    AGING_DUST = 0,
    AGING_VAPOR = 1,
    AGING_SPOTS = 2,
    AGING_STAINS = 3,
    AGING_DROPS = 4,
};

// One worker's texture record, reused for every pixel of a render. The per-render fields
// are filled by NoiseTextureSetup; the pipeline sets x, y and the input channels per pixel.
struct TexturePixelState {
    int32_t x, y;                          // the pixel's coordinates, set per pixel
    int32_t red, green, blue;              // input channels 0..max, set per pixel
    int32_t outRed, outGreen, outBlue;     // result, written by NoiseTexturePixel
    int32_t mid;                           // 128 or 16384
    int32_t max;                           // 255 or 32768
    int32_t scale;                         // 1 or 128
    int32_t tintRed, tintGreen, tintBlue;  // colour of the spots, stains, drops times scale
    int32_t textureValue;                  // written per pixel
    int32_t tinted;                        // 1: the pixel also gets the tint; per pixel
    double frequency;                      // pixel coordinates to noise coordinates
    double octaveDivisor;                  // weight divisor between octaves
    double noise;                          // the pixel's fractal noise, written per pixel
    // The aging controls, read once per render by NoiseTextureSetup.
    int32_t mode;       // AgingMode; other values keep the previous pixel's texture
    int32_t octaves;    // details 1..8
    int32_t reduction;  // -255..255
    int32_t invert;     // check box
    int32_t hard;       // hard light instead of overlay
    int32_t intensity;  // 0..100
    // The lattice positions of row cachedY for every octave, made at the row's first pixel.
    int32_t rowCached;  // 0 until the first pixel; cleared by NoiseTextureSetup
    int32_t cachedY;
    NoiseAxis rows[kNoiseCachedOctaves];
    NoiseCell cells[kNoiseCachedOctaves];  // of row cachedY
    // Lattice positions of the columns firstColumn.. (columnCount of them, octaves entries
    // each), shared by every worker; null when NoiseTextureColumns was not called.
    const NoiseAxis* columns;
    int32_t firstColumn, columnCount;
    // The same positions octave by octave, with their cell runs, for the row noise
    // (kNoiseCachedOctaves of them); null with columns.
    const NoiseOctaveColumns* columnOctaves;
};

// Per-render fields from the aging controls of controlValues, the whole image's size and the
// preview's reduction (1 for the final image).
void NoiseTextureSetup(TexturePixelState& state, const int32_t* controlValues, bool sixteenBit,
                       int32_t imageWidth, int32_t imageHeight, int32_t zoomReduction);
// Makes the shared column positions for x = firstColumn .. firstColumn + count - 1 (after
// NoiseTextureSetup, on the host's thread before the workers start); pixels elsewhere take
// the plain path. The table stays valid until the next call.
void NoiseTextureColumns(TexturePixelState& state, int32_t firstColumn, int32_t count);
// Texture value of the pixel (x, y) and its blend into red, green and blue.
void NoiseTexturePixel(TexturePixelState& state);
// The fractal noise of every column NoiseTextureColumns made, in row y: noise[c] for column
// firstColumn + c, as NoiseTexturePixel computes it. False (nothing written) where the
// texture takes the plain path: no column table, or octaves outside 1..kNoiseCachedOctaves.
bool NoiseTextureRow(const TexturePixelState& state, int32_t y, double* noise);
// NoiseTexturePixel with the pixel's noise given (from NoiseTextureRow).
void NoiseTextureBlend(TexturePixelState& state, double noise);

// The part of a pixel's texture that depends on its noise alone.
struct TextureSample {
    int32_t value;   // textureValue
    int32_t tinted;  // 1: the pixel also gets the tint
};
// The samples of count noises as NoiseTextureBlend takes them, from the state's tint flag as
// it stands: false (nothing written) for an unknown mode, whose pixels keep the value of the
// pixel before them.
bool NoiseTextureSamples(const TexturePixelState& state, const double* noise, int32_t count,
                         TextureSample* samples);
// NoiseTextureBlend of pixel p with its sample given (from NoiseTextureSamples): p's channels
// in, the blended ones out.
void NoiseTextureBlendSample(const TexturePixelState& state, const TextureSample& sample, Rgb& p);
// NoiseTextureBlendSample of every pixel i of p with samples[i], a chunk of pixels at a time
// in vector registers where the depth is one of the render's two and the values lie within
// the row's bounds (always, for textures the octave sums make); pixel by pixel elsewhere.
void NoiseTextureBlendRow(const TexturePixelState& state, const TextureSample* samples,
                          const RowPlanes& p);

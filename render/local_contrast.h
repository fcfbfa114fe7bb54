// Adaptive local contrast: tile-wise histogram equalisation of a grey image with bilinear
// interpolation between the tiles' lookup tables.
#pragma once

#include <cstdint>

constexpr int32_t kContrastLevels = 256;

// The settings of one equalisation.
struct LocalContrastSettings {
    int32_t detail;           // tiles: about detail / 10 along the shorter side; below 10 is 10
    int32_t strength;         // 0..255 mix of the tables with the identity; 255 full
    int32_t clipTenths;       // clip factor in tenths; at 170 and above no clipping
    int32_t blackWhitePoint;  // in 1/10000 of the tile's pixels; 0 off
    int32_t equalizeShare;    // percent of equalisation against the black/white stretch
    int32_t darkGamma;        // 0 off
    int32_t brightGamma;      // 0 off
    int32_t progressOffset;   // progress is reported per tile when progressTotal is above 0
    int32_t progressTotal;
    int32_t threadCount;  // threads for the histograms and the interpolation; 1 or more
};

// Makes sure array n holds a grey copy (299 R + 587 G + 114 B) / 1000 of the current
// rectangle (an existing array of at least that size is used as it is) and equalises it in
// place. multiProcessor above 0 runs on one thread per processor (at most 16). Returns 1.
int32_t ApplyLocalContrast(int32_t n, int32_t elementBytes, int32_t detail, int32_t strength,
                           int32_t clipTenths, int32_t blackWhitePoint, int32_t equalizeShare,
                           int32_t darkGamma, int32_t brightGamma, int32_t progressOffset,
                           int32_t progressTotal, int32_t multiProcessor = 1);

// Equalises width x height grey levels (1-byte 0..255 or 2-byte 0..32768) in place. Level 0
// (16-bit values below 128) never changes; 16-bit values keep their low seven bits. A
// rectangle too small for one tile is left unchanged.
void EqualizeTiles(void* data, int32_t elementBytes, int32_t width, int32_t height,
                   const LocalContrastSettings& settings);

// The equalisation of ApplyLocalContrast in stages, for threads that run already (the
// render's, between their barriers): the thread that begins it builds the tables and ends
// it; every thread of settings.threadCount counts and then blends its own share. Each stage
// may start only when the one before has ended on every thread.
struct LocalContrastJob;
// Equalises the grey image of array source into array n (the same number: in place); both
// laid out as the current rectangle at elementBytes. Null when they are not, when the
// rectangle is too small for one tile, or when the tables cannot be had (n then holds none of
// the result; ApplyLocalContrast on one thread on a copy of the source does what it would).
LocalContrastJob* LocalContrastBegin(int32_t source, int32_t n, int32_t elementBytes,
                                     const LocalContrastSettings& settings);
void LocalContrastCount(LocalContrastJob* job, int32_t threadIndex);
void LocalContrastTables(LocalContrastJob* job);
void LocalContrastBlend(LocalContrastJob* job, int32_t threadIndex);
void LocalContrastEnd(LocalContrastJob* job);  // frees the job; null does nothing

// Clips 256 bins at limit and spreads the clipped counts over the bins again; the total
// count is kept.
void ClipHistogram(int32_t* bins, int32_t limit);

// Integer maths for effect code: polar coordinates in 1024ths of a turn, angles, integer
// square roots, linear rescaling, and the constants of the image's bit depth.
#pragma once

#include <cstdint>

// Constants of one bit depth: 16 bits run 0..32768, everything else 0..255.
struct BitDepthConstants {
    int32_t bitDepth;  // the value last given to SetBitDepthConstants
    int32_t maximum;   // 255 or 32768
    int32_t half;      // 128 or 16384
    int32_t quarter;   // 64 or 8192
    int32_t unit;      // 1 or 128: a step of the 0..255 scale
};
// Written only by SetBitDepthConstants (on the host's thread); read by everyone.
extern BitDepthConstants gBitDepth;

void SetBitDepthConstants(int32_t bitDepth);
int32_t GetBitDepth();

// cos / sin of angle (1024ths of a turn) times r, truncated toward zero.
int32_t PolarToX(int32_t angle, int32_t r);
int32_t PolarToY(int32_t angle, int32_t r);
// Sine table entry (i & 1023): sine times 512.
int32_t SineLookup(int32_t i);
// atan2(y, x) in 1024ths of a turn, -512..512; (0, 1) is 256.
int32_t AngleOf(int32_t x, int32_t y);
// 0 for n below 1, else sqrt(n) truncated.
int32_t IntegerSqrt(int32_t n);
// (a - inLow) * (outHigh - outLow) / (inHigh - inLow) + outLow in integers, truncated toward
// zero; 0 when inLow equals inHigh. Computed in 64 bits and clamped to the int32 range.
int32_t ScaleValue(int32_t a, int32_t inLow, int32_t inHigh, int32_t outLow, int32_t outHigh);

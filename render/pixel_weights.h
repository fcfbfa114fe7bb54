// The integer colour weights every step of the pixel pipeline shares: the two lumas, the
// two chroma differences and the half-chroma rebuild, and the bit-depth constants.
#pragma once

#include <algorithm>
#include <cstdint>

// A pixel on the level scale (0..255 or 0..32768); steps may leave it outside the scale
// until they clamp.
struct Rgb {
    int32_t r, g, b;
};

// Constants of one bit depth. Settings on the 0..255 scale are multiplied by mult.
struct BitDepth {
    int32_t max;           // level maximum and clamp bound: 255 or 32768
    int32_t mult;          // 1 or 128
    int32_t mid;           // 128 or 16384
    int32_t quarter;       // 64 or 8192
    int32_t grainDivisor;  // 128 or 1: grain fields hold 0..32768
    int32_t elementBytes;  // bytes per channel of the work arrays: 1 or 2
};

constexpr BitDepth kDepth8 = {255, 1, 128, 64, 128, 1};
constexpr BitDepth kDepth16 = {32768, 128, 16384, 8192, 1, 2};

// Which modes carry 16 bits a channel is the host layer's to say (IsSixteenBitMode).
constexpr const BitDepth& BitDepthFor(bool sixteenBit) {
    return sixteenBit ? kDepth16 : kDepth8;
}

// x / max for the level maximum of either depth: with the divisor a constant the compiler
// multiplies and shifts instead of dividing; the quotient is the same, truncated toward zero.
template <typename T>
constexpr T DivideByMax(T x, T max) {
    if (max == 255) return x / 255;
    if (max == 32768) return x / 32768;
    return x / max;
}

// All divisions truncate toward zero, as C++ integer division does.
constexpr int32_t Luma601(int32_t r, int32_t g, int32_t b) {
    return (299 * r + 587 * g + 114 * b) / 1000;
}
constexpr int32_t Luma709(int32_t r, int32_t g, int32_t b) {
    return (213 * r + 715 * g + 72 * b) / 1000;
}
constexpr int32_t ChromaU(int32_t r, int32_t g, int32_t b) {
    return (500 * b - 331 * g - 169 * r) / 500;
}
constexpr int32_t ChromaV(int32_t r, int32_t g, int32_t b) {
    return (500 * r - 418 * g - 82 * b) / 500;
}
constexpr int32_t Luma601(const Rgb& p) {
    return Luma601(p.r, p.g, p.b);
}
constexpr int32_t Luma709(const Rgb& p) {
    return Luma709(p.r, p.g, p.b);
}

// Rebuilds a pixel from luma and chroma with half the usual chroma factors: the rebuilt
// pixel keeps the luma and carries half the colour difference. Not clamped.
constexpr Rgb RebuildHalfChroma(int32_t y, int32_t u, int32_t v) {
    return {y + (1402 * v) / 2000, y - (714 * v + 346 * u) / 2000, y + (1771 * u) / 2000};
}

constexpr int32_t ClampLevel(int32_t value, int32_t max) {
    return std::clamp(value, 0, max);
}
constexpr Rgb ClampPixel(const Rgb& p, int32_t max) {
    return {ClampLevel(p.r, max), ClampLevel(p.g, max), ClampLevel(p.b, max)};
}

// Integer maths in 1024ths of a turn, square roots, rescaling and bit-depth constants.

#include "host/maths_builtins.h"

#include <algorithm>
#include <cmath>

#include "host/effect_context.h"

BitDepthConstants gBitDepth = {8, 255, 128, 64, 1};

namespace {
constexpr double kAngleStep = 0.006135923151542565;     // 2 pi / 1024: radians per unit
constexpr double kUnitsPerRadian = 162.97466172610083;  // 1024 / 2 pi
}  // namespace

void SetBitDepthConstants(int32_t bitDepth) {
    if (bitDepth == 16)
        gBitDepth = {bitDepth, 32768, 16384, 8192, 128};
    else
        gBitDepth = {bitDepth, 255, 128, 64, 1};
}

int32_t GetBitDepth() {
    return gBitDepth.bitDepth;
}

int32_t PolarToX(int32_t angle, int32_t r) {
    return int32_t(std::trunc(std::cos(angle * kAngleStep) * r));
}

int32_t PolarToY(int32_t angle, int32_t r) {
    return int32_t(std::trunc(std::sin(angle * kAngleStep) * r));
}

int32_t SineLookup(int32_t i) {
    return gContext.sineTable[i & (kSineTableSize - 1)];
}

int32_t AngleOf(int32_t x, int32_t y) {
    return int32_t(std::trunc(std::atan2(double(y), double(x)) * kUnitsPerRadian));
}

int32_t IntegerSqrt(int32_t n) {
    if (n < 1) return 0;
    return int32_t(std::sqrt(double(n)));
}

int32_t ScaleValue(int32_t a, int32_t inLow, int32_t inHigh, int32_t outLow, int32_t outHigh) {
    if (inLow == inHigh) return 0;
    const int64_t span = int64_t(inHigh) - inLow;
    int64_t product = 0;
    int64_t scaled = 0;
    if (!__builtin_mul_overflow(int64_t(a) - inLow, int64_t(outHigh) - outLow, &product))
        scaled = product / span + outLow;
    else  // only for extreme inputs near the int32 limits; the result is clamped anyway
        scaled =
            int64_t(std::clamp((double(a) - inLow) * (double(outHigh) - outLow) / span + outLow,
                               double(INT32_MIN), double(INT32_MAX)));
    return int32_t(std::clamp<int64_t>(scaled, INT32_MIN, INT32_MAX));
}

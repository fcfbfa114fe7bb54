// Slider maths: range clamping, thumb extent mapping, gamma curve and value-box text.

#include "dialog/slider_mapping.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int32_t Span(const SliderShape& shape) {
    return std::abs(shape.max - shape.min);
}

// The extent mapping needs r - e - 1 >= 1; an extent reaching the range would divide by zero
// or turn the thumb around, so the mapping is then left out.
bool ExtentApplies(const SliderShape& shape) {
    return shape.pageExtent > 0 && Span(shape) - shape.pageExtent - 1 >= 1;
}

int32_t RoundToInt(double value) {
    // Bounded before the cast: a double outside the int32 range has no defined conversion.
    if (std::isnan(value)) return 0;
    double rounded = value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5);
    if (rounded > 2147483647.0) return 2147483647;
    if (rounded < -2147483648.0) return -2147483647 - 1;
    return int32_t(rounded);
}

// round((v / s) ^ exponent * s), the base kept at 0 or above.
double Curve(double v, double s, double exponent) {
    double base = v / s;
    if (base < 0) base = 0;
    return std::pow(base, exponent) * s;
}

}  // namespace

int32_t ClampToRange(int32_t min, int32_t max, int32_t value) {
    int32_t low = min <= max ? min : max;
    int32_t high = min <= max ? max : min;
    return value < low ? low : value > high ? high : value;
}

int32_t GammaMapShape(const SliderShape& shape, int32_t v, int32_t direction) {
    if (shape.gamma == 100 || shape.gamma <= 0) return v;
    const double g = shape.gamma / 100.0;
    const double exponent = direction ? g : 1.0 / g;
    const int32_t low = shape.min <= shape.max ? shape.min : shape.max;
    const int32_t high = shape.min <= shape.max ? shape.max : shape.min;
    if (low >= 0) {
        const double s = double(high) - low - 1;
        if (s < 1) return v;
        return RoundToInt(Curve(double(v) - low, s, exponent)) + low;
    }
    // Ranges through zero map each sign on its own, so 0 stays 0.
    if (v < 0) {
        const double s = -double(low) - 1;
        if (s < 1) return v;
        return -RoundToInt(Curve(-double(v), s, exponent));
    }
    const double s = double(high) - 1;
    if (s < 1) return v;
    return RoundToInt(Curve(v, s, exponent));
}

int32_t SliderPositionFromValue(const SliderShape& shape, int32_t value) {
    int32_t position = value;
    if (ExtentApplies(shape)) {
        const int64_t r = Span(shape);
        position = int32_t((r - shape.pageExtent - 1) * int64_t(value) / r);
    }
    return GammaMapShape(shape, position, 0);
}

int32_t SliderValueFromPosition(const SliderShape& shape, int32_t position, bool invert) {
    int64_t value = position;
    if (invert && shape.min > shape.max) value = int64_t(shape.min) - position + shape.max;
    if (ExtentApplies(shape)) {
        const int64_t r = Span(shape);
        value = r * value / (r - shape.pageExtent - 1);
    }
    return GammaMapShape(shape, int32_t(value), 1);
}

int32_t WindowPositionFromSliderPosition(const SliderShape& shape, int32_t position) {
    return shape.min > shape.max ? shape.max + shape.min - position : position;
}

int32_t ParseValueBoxText(const char* text, int32_t divisor) {
    if (!text || !*text) return kEmptyValueBox;
    if (divisor == 1) {
        char* end = nullptr;
        long long number = strtoll(text, &end, 10);
        if (end == text) return kEmptyValueBox;
        if (number > 2147483647LL) return 2147483647;
        if (number < -2147483647LL - 1) return -2147483647 - 1;
        return int32_t(number);
    }
    char* end = nullptr;
    double number = strtod(text, &end);
    if (end == text || std::isnan(number)) number = 0;
    return RoundToInt(number * divisor);
}

void FormatValueBoxText(int32_t value, int32_t divisor, char* out, size_t outSize) {
    if (!out || outSize == 0) return;
    if (divisor <= 1) {
        snprintf(out, outSize, "%d", value);
        return;
    }
    const char* format = divisor <= 10 ? "%.1f" : divisor <= 100 ? "%.2f" : "%.3f";
    snprintf(out, outSize, format, double(value) / divisor);
}

// Pure maths of slider-like controls: clamping into (possibly inverted) ranges, the thumb
// extent mapping between values and scroll positions, the gamma response curve, and the
// text of a slider's value box.
#pragma once

#include <cstddef>
#include <cstdint>

// The parts of a control record that shape the mapping.
struct SliderShape {
    int32_t min, max;    // min > max: an inverted range
    int32_t pageExtent;  // thumb extent; 0 = none
    int32_t gamma;       // response curve in percent; 100 = linear
};

// Clamps into [min, max], or [max, min] for an inverted range.
int32_t ClampToRange(int32_t min, int32_t max, int32_t value);

// The gamma response curve. direction 0 maps a value to a position (exponent 100 / gamma),
// any other direction back (exponent gamma / 100). Spans of 1 or less and gamma 100 pass v
// through; inverted ranges map from their lower bound.
int32_t GammaMapShape(const SliderShape& shape, int32_t v, int32_t direction);

// Value to scroll position, before the inversion for the window: the thumb extent mapping,
// then the gamma curve.
int32_t SliderPositionFromValue(const SliderShape& shape, int32_t value);
// A scroll position reported by the window back to a value: the inversion of an inverted
// range (invert is true for the scroll-bar classes and class 13), the thumb extent mapping
// and the gamma curve in the inverse direction.
int32_t SliderValueFromPosition(const SliderShape& shape, int32_t position, bool invert);
// The position the window is given: max + min - position for an inverted range.
int32_t WindowPositionFromSliderPosition(const SliderShape& shape, int32_t position);

// --- Value box ---------------------------------------------------------------------------------
// What an empty (or, for whole numbers, unreadable) value box reads as: far below any range,
// so that clamping gives the minimum (the maximum of an inverted range).
constexpr int32_t kEmptyValueBox = -9845783;

// Reads a value box: with divisor 1 a signed integer; else a decimal number times the
// divisor, rounded half away from zero and kept inside the int32 range.
int32_t ParseValueBoxText(const char* text, int32_t divisor);
// The value as the box shows it: an integer for divisor 1, else value / divisor with one,
// two or three decimals for divisors up to 10, up to 100 and above.
void FormatValueBoxText(int32_t value, int32_t divisor, char* out, size_t outSize);

// The range each stored setting may take: the controls' own ranges, the colour buttons, the
// curve coordinates and the selective tables. Every value read from a file passes here.
#pragma once

#include <cstdint>

struct SettingRange {
    int32_t minValue, maxValue;
    bool bounded;  // false: the control keeps whatever it is given (lists without a range)
};

// The nine colour buttons among the settings controls; their values are 0x00BBGGRR colours.
inline constexpr int32_t kSettingColorButtons[] = {128, 123, 131, 15, 301, 120, 119, 29, 68};
constexpr int32_t kColorValueMax = 0xFFFFFF;

bool IsSettingColorButton(int32_t n);
// The range of settings control n (0..309); unbounded for other numbers.
SettingRange SettingRangeOf(int32_t n);
// value held inside control n's range (an inverted range is held the same way).
int32_t ClampSettingValue(int32_t n, int32_t value);

// Column ranges of the selective table (brightness, contrast, colour key, unused, tolerance)
// and of the selective ranges (four hue points, three signed weights).
int32_t ClampSelectiveTableValue(int32_t column, int32_t value);
int32_t ClampSelectiveRangeValue(int32_t column, int32_t value);
// Curve coordinates run 0..gSession.curveMax (159).
int32_t ClampCurveCoordinate(int32_t value);

// The ranges stored settings are held to, from the effect's control table.

#include "effect/setting_ranges.h"

#include <algorithm>
#include <iterator>

#include "effect/control_table.h"
#include "render/session_state.h"

namespace {
constexpr int32_t kSelectiveTableRanges[5][2] = {
    {-100, 100}, {-100, 100}, {0, 255}, {-100, 100}, {0, 100}};
constexpr int32_t kHuePointMax = 255;  // positions on the hue circle
constexpr int32_t kWeightLimit = 100;  // signed channel weights of a range
constexpr int32_t kHuePointColumns = 4;

int32_t ClampBetween(int32_t value, int32_t a, int32_t b) {
    return std::clamp(value, std::min(a, b), std::max(a, b));
}
}  // namespace

bool IsSettingColorButton(int32_t n) {
    return std::find(std::begin(kSettingColorButtons), std::end(kSettingColorButtons), n) !=
           std::end(kSettingColorButtons);
}

// The control table is the one source of every control's range; a control it gives none
// (a list filled at run time) takes values unchecked, as its window would.
SettingRange SettingRangeOf(int32_t n) {
    if (IsSettingColorButton(n)) return {0, kColorValueMax, true};
    int32_t low = 0, high = 0;
    if (!ControlTableRange(n, &low, &high)) return {0, 0, false};
    return {low, high, true};
}

int32_t ClampSettingValue(int32_t n, int32_t value) {
    const SettingRange range = SettingRangeOf(n);
    return range.bounded ? ClampBetween(value, range.minValue, range.maxValue) : value;
}

int32_t ClampSelectiveTableValue(int32_t column, int32_t value) {
    if (column < 0 || column >= 5) return value;
    return std::clamp(value, kSelectiveTableRanges[column][0], kSelectiveTableRanges[column][1]);
}

int32_t ClampSelectiveRangeValue(int32_t column, int32_t value) {
    return column < kHuePointColumns ? std::clamp(value, 0, kHuePointMax)
                                     : std::clamp(value, -kWeightLimit, kWeightLimit);
}

int32_t ClampCurveCoordinate(int32_t value) {
    return std::clamp(value, 0, kCurveCoordinateMax);
}

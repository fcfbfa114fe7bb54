// Rectangle operations on the host's int16 rectangles.

#include "host/rect16.h"

#include <algorithm>

int16_t ClampToInt16(int64_t value) {
    return int16_t(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

void SetRect16(HostRect& rect, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    rect.left = ClampToInt16(left);
    rect.top = ClampToInt16(top);
    rect.right = ClampToInt16(right);
    rect.bottom = ClampToInt16(bottom);
}

void CopyRect16(HostRect& destination, const HostRect& source) {
    destination = source;
}

void InsetRect16(HostRect& rect, int32_t dx, int32_t dy) {
    SetRect16(rect, rect.left + dx, rect.top + dy, rect.right - dx, rect.bottom - dy);
}

void ScaleRect16(HostRect& rect, int32_t numerator, int32_t denominator) {
    if (denominator == 0) return;
    auto roundUp = [&](int64_t v) { return (v * numerator + denominator - 1) / denominator; };
    auto truncate = [&](int64_t v) { return v * numerator / denominator; };
    SetRect16(rect, int32_t(roundUp(rect.left)), int32_t(roundUp(rect.top)),
              int32_t(truncate(rect.right)), int32_t(truncate(rect.bottom)));
}

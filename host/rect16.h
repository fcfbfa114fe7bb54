// Rectangles of the host interface (four int16: top, left, bottom, right) and the few
// operations the run driver does on them.
#pragma once

#include <cstdint>

#include "host/host_api.h"

// Values beyond the int16 range are cut to it, so that a border added near the edge of a
// large image never wraps around.
int16_t ClampToInt16(int64_t value);

void SetRect16(HostRect& rect, int32_t left, int32_t top, int32_t right, int32_t bottom);
void CopyRect16(HostRect& destination, const HostRect& source);
// left += dx, right -= dx, top += dy, bottom -= dy.
void InsetRect16(HostRect& rect, int32_t dx, int32_t dy);
// top and left scaled rounding up (for positive values), bottom and right truncated.
void ScaleRect16(HostRect& rect, int32_t numerator, int32_t denominator);
inline Fixed IntToFixed(int32_t n) {
    return Fixed(uint32_t(n) << 16);
}

inline int32_t RectWidth(const HostRect& rect) {
    return int32_t(rect.right) - rect.left;
}
inline int32_t RectHeight(const HostRect& rect) {
    return int32_t(rect.bottom) - rect.top;
}
inline bool RectEmpty(const HostRect& rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}
inline bool RectsEqual(const HostRect& a, const HostRect& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

// Packing and unpacking of 0x00BBGGRR colours; each level keeps its low eight bits, as the
// system's own colour macros do.

#include "dialog/color_values.h"

uint32_t MakeRgb(int32_t r, int32_t g, int32_t b) {
    return uint32_t(uint8_t(r)) | uint32_t(uint8_t(g)) << 8 | uint32_t(uint8_t(b)) << 16;
}

uint32_t MakeRgba(int32_t r, int32_t g, int32_t b, int32_t a) {
    return MakeRgb(r, g, b) | uint32_t(uint8_t(a)) << 24;
}

int32_t GetRedValue(uint32_t color) {
    return int32_t(color & 0xFF);
}
int32_t GetGreenValue(uint32_t color) {
    return int32_t(color >> 8 & 0xFF);
}
int32_t GetBlueValue(uint32_t color) {
    return int32_t(color >> 16 & 0xFF);
}

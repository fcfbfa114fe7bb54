// Colours packed as 0x00BBGGRR (0xAABBGGRR with alpha) for the effect and the colour picker.
#pragma once

#include <cstdint>

uint32_t MakeRgb(int32_t r, int32_t g, int32_t b);
uint32_t MakeRgba(int32_t r, int32_t g, int32_t b, int32_t a);
int32_t GetRedValue(uint32_t color);
int32_t GetGreenValue(uint32_t color);
int32_t GetBlueValue(uint32_t color);

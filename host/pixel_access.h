// Pixel routines of the source and output buffers for both bit depths, the members of the
// accessor table that read the host's buffers. Coordinates are image coordinates of the
// filter rectangle at the current proxy scale.
#pragma once

#include <cstdint>

// Value clamped (0..255 or 0..32768); stored only when (x, y) lies inside the current
// rectangle and 0 <= channel < output planes; returns the clamped value.
int32_t PutOutputPixel8(int32_t x, int32_t y, int32_t channel, int32_t value);
int32_t PutOutputPixel16(int32_t x, int32_t y, int32_t channel, int32_t value);
// (x, y) clamped into the current rectangle; 0 for a channel outside the output planes.
int32_t GetOutputPixel8(int32_t x, int32_t y, int32_t channel);
int32_t GetOutputPixel16(int32_t x, int32_t y, int32_t channel);
// (x, y) clamped into 0..X-1, 0..Y-1 and into what the host delivered (the rectangle and
// its border); a negative channel gives 0; a channel the image does not have gives 0, but
// channel 3 gives 255 / 32768 (opaque) when there is no fourth plane.
int32_t GetSourcePixel8(int32_t x, int32_t y, int32_t channel);
int32_t GetSourcePixel16(int32_t x, int32_t y, int32_t channel);
// The output pixel at (X/2 + r cos a, Y/2 + r sin a), a in 1024ths of a turn.
int32_t GetOutputPixelPolar8(int32_t angle, int32_t radius, int32_t channel);
int32_t GetOutputPixelPolar16(int32_t angle, int32_t radius, int32_t channel);

// While set, channel 3 of the source reads as opaque; set for preview requests when the
// host gives no selection mask and the image has fewer than four planes.
void SetTransparencyOpaque(bool opaque);

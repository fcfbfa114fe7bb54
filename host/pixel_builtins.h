// Whole-pixel reads and writes as one RGBA word (red in the lowest byte), and the selection
// mask, for effect code working in image coordinates at the current proxy scale.
#pragma once

#include <cstdint>

// The source pixel at (x, y), clamped into the image and what the host delivered. Images
// with fewer than four planes read 255 (opaque) in the top byte; a grey image repeats its
// grey in red, green and blue. 16-bit samples are scaled to 8 bits.
uint32_t GetSourceRgba(int32_t x, int32_t y);
// The output pixel at (x, y), clamped into the current rectangle; as GetSourceRgba.
uint32_t GetOutputRgba(int32_t x, int32_t y);
// Writes red, green and blue of the word at (x, y), clamped into the current rectangle, to
// the output planes the image has, and the top byte when there are four or more planes and
// it is not 0. Returns 1 (0 when there is no output buffer).
int32_t PutOutputRgba(int32_t x, int32_t y, uint32_t word);
// 0 outside the image, 255 when the host gives no selection mask, else the mask byte.
int32_t SelectionMaskValue(int32_t x, int32_t y);

// Whole-pixel reads and writes as one RGBA word (red in the lowest byte), and the selection
// mask, for effect code working in image coordinates at the current proxy scale.
#pragma once

#include <cstdint>

// The source pixel at (x, y), clamped into the image and what the host delivered. Images
// without transparency read 255 (opaque) in the top byte; a grey image repeats its grey in
// red, green and blue (its second plane is its transparency). 16-bit samples are scaled to
// 8 bits.
uint32_t GetSourceRgba(int32_t x, int32_t y);
// The output pixel at (x, y), clamped into the current rectangle; as GetSourceRgba.
uint32_t GetOutputRgba(int32_t x, int32_t y);
// Writes the word at (x, y), clamped into the current rectangle: red, green and blue (only
// red to a grey output), and the top byte to the transparency plane when the output has one
// and the top byte is not 0. Returns 1 (0 when there is no output buffer).
int32_t PutOutputRgba(int32_t x, int32_t y, uint32_t word);
// 0 outside the image, 255 when the host gives no selection mask, else the mask byte.
int32_t SelectionMaskValue(int32_t x, int32_t y);

// RGB and HSL conversions at the image's bit depth: double-precision ones (with and without
// a cache of the last colour) and integer ones working on the caller's variables.
#pragma once

#include <cstdint>

enum HslComponent : int32_t { HSL_HUE = 0, HSL_SATURATION = 1, HSL_LIGHTNESS = 2 };
enum RgbComponent : int32_t { RGB_RED = 0, RGB_GREEN = 1, RGB_BLUE = 2 };

// One component of the conversion at the current bit depth (gBitDepth): components run
// 0..unit * 255 (255, or 32640 for 16 bits), results are truncated. A component number
// outside 0..2 gives 0.
// One RGB component of an HSL colour on the 0..1 scale: p and q from the lightness and
// saturation, t the hue shifted by the component's third of a turn.
double HueToComponent(double p, double q, double t);

int32_t RgbToHslChannel(int32_t r, int32_t g, int32_t b, int32_t which);
int32_t HslToRgbChannel(int32_t h, int32_t s, int32_t l, int32_t which);
// The same, remembering the last colour converted on the calling thread: a repeated colour
// (at the same bit depth) returns the remembered result.
int32_t RgbToHslCached(int32_t r, int32_t g, int32_t b, int32_t which);
int32_t HslToRgbCached(int32_t h, int32_t s, int32_t l, int32_t which);
// Conversions the calling thread computed, cached or not (tests see the cache work).
uint32_t ColorConversionCount();

// Integers on 0..255 (inputs clamped): r, g, b become H, S, L.
void RgbToHslInPlace8(int32_t& r, int32_t& g, int32_t& b);
// Integers on the current bit depth's 0..maximum: h, s, l become R, G, B.
void HslToRgbInPlace(int32_t& h, int32_t& s, int32_t& l);
// Doubles on the 0..32768 scale (inputs clamped), results truncated.
void RgbToHslInPlace16(int32_t& r, int32_t& g, int32_t& b);
void HslToRgbInPlace16(int32_t& h, int32_t& s, int32_t& l);

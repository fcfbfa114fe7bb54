// Toning by the lookup rows of the tone channels: the tone curve, colour toning (plain or
// partial), bicolor toning and the red, green and blue curves.
#pragma once

#include <cstdint>

#include "render/pixel_weights.h"

constexpr int kToningChannels = 6;  // tone, colour, bicolor, red, green, blue

// Per-render values; built on the host's thread, read by every worker.
struct Toning {
    BitDepth depth;
    bool any;                              // one of the rows is in use
    const int32_t* luts[kToningChannels];  // max + 1 entries; null when not in use
    bool partial;                          // CTL_TONING_PARTIAL
    Rgb colour;                            // the toning swatch, 0..255
    Rgb halfColour;                        // the swatch with its lightness halved, 0..255
    int32_t colourHue;                     // hue of the swatch on the image's HSL scale
    Rgb bicolour1, bicolour2;              // the bicolor swatches, 0..255
};

// A colour button's value (red in the low byte) as a pixel on the 0..255 scale.
Rgb ColourOfValue(int32_t colorref);
// HSL of a pixel and back, on the image's scale (0..255 in 8-bit images, 0..32768 in 16-bit
// ones). Uncached and free of global state: safe on any worker thread.
Rgb HslOfPixel(const Rgb& pixel, bool sixteenBit);
Rgb PixelOfHsl(const Rgb& hsl, bool sixteenBit);

// luts[c] is row c of the tone channels, null when channel c is not in use.
Toning ToningFromControls(const int32_t* controlValues, const BitDepth& depth,
                          const int32_t* const luts[kToningChannels]);
// The toning rows on a pixel in channel order; source is the pixel's source (its saturation
// feeds partial toning).
void ApplyToning(const Toning& toning, const Rgb& source, Rgb& pixel);

// The fades that close every pass: the main fade toward (or beyond) the source, the luma
// and chroma fades, and the saturation and lightness fades.
#pragma once

#include <cstdint>

#include "render/pixel_weights.h"

// Per-render values; built on the host's thread, read by every worker.
struct Fades {
    BitDepth depth;
    int32_t fade;                   // CTL_FADE_INTENSITY -100..100
    int32_t colour, luminance;      // CTL_FADE_COLOR, CTL_FADE_LUMINANCE
    int32_t saturation, lightness;  // CTL_FADE_SATURATION, CTL_FADE_LIGHTNESS
    bool any;
};

Fades FadesFromControls(const int32_t* controlValues, const BitDepth& depth);
// The fades of p against its base s (the source, or the pass's input).
void ApplyFades(const Fades& fades, const Rgb& s, Rgb& p);

// Numbers of the numbered arrays the render engine makes for each rendering: lookup rows,
// strength tables, grain and frame fields, and the work images of the passes.
#pragma once

#include <cstdint>

enum RenderArray : int32_t {
    ARRAY_SELECTIVE_LUTS = 9,     // max + 1 levels x 9 rows, int32
    ARRAY_WORK_RGB = 10,          // rectangle, 3 channels: the result of the earlier pass (in a
                                  // final render mostly the host's output itself)
    ARRAY_WORK_BLUR = 11,         // rectangle, 1 channel (diffusion: 3, or 1 for a grey
                                  // result): blurred copy
    ARRAY_GRAIN = 12,             // rectangle, 1, 3 or 4 channels, 2 bytes: grain field
    ARRAY_GLOW_MASK = 13,         // rectangle, 1 channel
    ARRAY_GRAIN_TONE = 14,        // 256 bytes: grain strength by tone
    ARRAY_MASK_TONE_LUT = 15,     // 256 int32: tonal mask curve
    ARRAY_LOCAL_CONTRAST = 17,    // rectangle: made by the pipeline's dynamic contrast
    ARRAY_DYNCONTRAST_TONE = 18,  // 256 bytes: dynamic-contrast strength by tone
    ARRAY_NDGRAD_LUT = 20,        // max + 1 int32: graduated filter's bend
    ARRAY_DIFFUSION_LUT = 23,     // max + 1 int32: diffusion's bend
    ARRAY_FRAME_EDGE = 27,        // rectangle, 1 byte: edge pattern resampled
    ARRAY_FRAME_SHAPE = 28,       // small grid, 1 byte: edge pattern
    ARRAY_FRAME = 29,             // rectangle, 2 or 1 channels, 2 bytes: frame bands
    ARRAY_TONALLOOK_LUT = 77,     // max + 1 levels: the tonal look's lookup row
};

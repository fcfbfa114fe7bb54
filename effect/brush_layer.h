// The brush's two arrays: the effect mask the render reads and the layer of the last stroke,
// and merging that layer into the mask.
#pragma once

#include <cstdint>

// Merges the brush layer into the effect mask by the colour distance to the brush colour
// (opacity, amount and tolerance of the brush controls, combine mode of the last stroke),
// threaded unless the single-processor option is on. A missing mask is made first, clear
// (255), at the layer's size. 0 when there is no layer; else 1.
int32_t MergeBrushLayer();

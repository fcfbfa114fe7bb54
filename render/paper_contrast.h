// The second pass's effects: the paper's gloss, which pushes each pixel away from a blurred
// copy of the first pass, and the dynamic contrast, which pulls its luma toward an
// equalised copy. Both keep the pixel's chroma (halved by the rebuild).
#pragma once

#include <cstdint>

#include "render/pixel_weights.h"

// The last tone index of a level on the level scale: 16-bit white gives 32768 / 128 = 256.
constexpr int32_t kToneIndexLast = 256;

// Per-render values; built on the host's thread, read by every worker.
struct PaperContrast {
    BitDepth depth;
    int32_t paper;            // CTL_PAPER_INTENSITY 0..100 when the paper runs, else 0
    int32_t paperHighlights;  // CTL_PAPER_HIGHLIGHTS 0..128: highlights kept from the gloss
    int32_t contrast;         // CTL_DYNCONTRAST_INTENSITY 0..100 when it runs, else 0
    int32_t shadows, midtones, highlights;  // CTL_DYNCONTRAST_* 0..100
    bool toneWeighted;                      // one of the three is not 0
    uint8_t tone[256];                      // strength by tone
    // By tone index (luma / mult) when toneWeighted: the dynamic contrast's tone strength
    // over 50, and its midtone strength, as ApplyDynamicContrast weighs a change by them.
    int32_t toneStep[kToneIndexLast + 1];
    int32_t midtoneStep[kToneIndexLast + 1];
};

// paperOn / contrastOn: the switches of the render plan (no mask displayed).
PaperContrast PaperContrastFromControls(const int32_t* controlValues, const BitDepth& depth,
                                        bool paperOn, bool contrastOn);
// Fills toneStep and midtoneStep from tone and the three strengths.
void PaperContrastToneSteps(PaperContrast& step);
// The paper on p; blurred is the blurred first-pass luma at the pixel.
void ApplyPaper(const PaperContrast& step, int32_t blurred, Rgb& p);
// The dynamic contrast on p; equalised is the equalised first-pass luma at the pixel.
void ApplyDynamicContrast(const PaperContrast& step, int32_t equalised, Rgb& p);

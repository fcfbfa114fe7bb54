// Paper gloss and dynamic contrast of the second pass: the luma pushed from a blurred copy
// or pulled toward an equalised one, the chroma rebuilt at half.

#include "render/paper_contrast.h"

#include <algorithm>
#include <cstdlib>

#include "effect/control_ids.h"
#include "render/array_view.h"
#include "render/render_arrays.h"

namespace {
// Tables of 256 entries are indexed by level / mult; 16-bit white (32768 / 128) gives 256,
// and the midtone window looks 64 levels to each side: indices are taken at the nearest end.
int32_t ToneAt(const PaperContrast& s, int32_t i) {
    return s.tone[std::clamp(i, 0, 255)];
}
}  // namespace

PaperContrast PaperContrastFromControls(const int32_t* v, const BitDepth& depth, bool paperOn,
                                        bool contrastOn) {
    PaperContrast s = {};
    s.depth = depth;
    s.paper = paperOn ? v[CTL_PAPER_INTENSITY] : 0;
    s.paperHighlights = v[CTL_PAPER_HIGHLIGHTS];
    s.contrast = contrastOn ? v[CTL_DYNCONTRAST_INTENSITY] : 0;
    s.shadows = v[CTL_DYNCONTRAST_SHADOWS];
    s.midtones = v[CTL_DYNCONTRAST_MIDTONES];
    s.highlights = v[CTL_DYNCONTRAST_HIGHLIGHTS];
    s.toneWeighted = s.shadows != 0 || s.midtones != 0 || s.highlights != 0;
    if (s.toneWeighted) {
        ReadToneWeights(ARRAY_DYNCONTRAST_TONE, s.tone);
        PaperContrastToneSteps(s);
    }
    return s;
}

void PaperContrastToneSteps(PaperContrast& s) {
    // A luma below mid has a tone index below 128 at either depth (mid = 128 x mult).
    for (int32_t i = 0; i <= kToneIndexLast; ++i) {
        const int32_t t =
            i < 128 ? (100 - s.shadows) * ToneAt(s, i) : (100 - s.highlights) * ToneAt(s, 255 - i);
        s.toneStep[i] = t / 50;
        s.midtoneStep[i] =
            ((100 - s.midtones) * ((ToneAt(s, i - 64) + ToneAt(s, 191 - i)) / 2)) / 50;
    }
}

void ApplyPaper(const PaperContrast& s, int32_t blurred, Rgb& p) {
    const int32_t max = s.depth.max, mult = s.depth.mult, k = s.paper;
    const int32_t y = Luma601(p), u = ChromaU(p.r, p.g, p.b), v = ChromaV(p.r, p.g, p.b);
    int32_t d = (y - blurred) / 2;
    const int32_t h = s.paperHighlights;
    if (h > 0 && y > (255 - h) * mult) d = int32_t((int64_t(max - y) * d) / (h * mult));
    const Rgb glossed = RebuildHalfChroma(y + d, u, v);
    Rgb out;
    if (s.contrast == 0) {
        out = k >= 100 ? glossed
                       : Rgb{((100 - k) * p.r + k * glossed.r) / 100,
                             ((100 - k) * p.g + k * glossed.g) / 100,
                             ((100 - k) * p.b + k * glossed.b) / 100};
    } else {
        // Beside the dynamic contrast the paper reaches full strength at 50 and
        // extrapolates beyond it.
        out = k == 50 ? glossed
                      : Rgb{(((50 - k) * p.r + k * glossed.r) * 2) / 100,
                            (((50 - k) * p.g + k * glossed.g) * 2) / 100,
                            (((50 - k) * p.b + k * glossed.b) * 2) / 100};
    }
    p = ClampPixel(out, max);
}

void ApplyDynamicContrast(const PaperContrast& s, int32_t e, Rgb& p) {
    const int32_t max = s.depth.max, k = s.contrast;
    const int32_t y = Luma601(p), u = ChromaU(p.r, p.g, p.b), v = ChromaV(p.r, p.g, p.b);
    int32_t target = k == 100 ? (e + y) / 2 : (((e + y) / 2) * k + (100 - k) * y) / 100;
    if (s.toneWeighted) {
        const int32_t i = y / s.depth.mult;
        const int32_t t = y < s.depth.mid ? (100 - s.shadows) * ToneAt(s, i)
                                          : (100 - s.highlights) * ToneAt(s, 255 - i);
        const int32_t change = target - y;
        const int32_t d1 = ((t / 50) * change) / 52;
        const int32_t tm =
            ((100 - s.midtones) * ((ToneAt(s, i - 64) + ToneAt(s, 191 - i)) / 2)) / 50;
        const int32_t d2 = (tm * change) / 52;
        target = y + (std::abs(d1) < std::abs(d2) ? d2 : d1);
    }
    p = ClampPixel(RebuildHalfChroma(target, u, v), max);
}

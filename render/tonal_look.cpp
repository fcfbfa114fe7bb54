// The tonal look: the luminance histogram of the whole image and histogram matching to a
// built-in or stored target shape.

#include "render/tonal_look.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/session_state.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/preview_request.h"

WholeImageSource gWholeImageSource = {RequestWholeImage, RestoreRenderRequest};
TonalLookState gTonalLook;

namespace {
// The constant of the sine shapes is 3.14, not pi, so the sine ends just above 0 at max.
constexpr double kShapePi = 3.14;

struct LevelScale {
    int32_t max;    // 255 or 32768
    int32_t scale;  // levels per 8-bit step: 1 or 128
    int32_t elementBytes;
};

LevelScale ImageLevels() {
    return IsSixteenBitMode(gContext.imageMode) ? LevelScale{32768, 128, 2} : LevelScale{255, 1, 1};
}

// The kept counts belong to one image, bit depth and filter rectangle.
bool CumulativeBelongsToImage(int32_t levels) {
    const TonalLookState& s = gTonalLook;
    const EffectContext& c = gContext;
    return s.valid && s.levels == levels && s.imageMode == c.imageMode &&
           s.imageWidth == c.imageWidth && s.imageHeight == c.imageHeight &&
           s.left == c.filterLeft && s.top == c.filterTop && s.right == c.filterRight &&
           s.bottom == c.filterBottom;
}

void BuildCumulative(int32_t n, int32_t levels) {
    TonalLookState& s = gTonalLook;
    s.valid = false;
    if (!LuminanceHistogram(n)) return;
    const int32_t* bins = static_cast<const int32_t*>(GetArrayBase(n));
    int64_t running = 0;
    for (int32_t i = 0; i < levels; ++i) {
        running += bins[i];
        s.cumulative[i] = running;
    }
    s.valid = true;
    s.levels = levels;
    s.imageMode = gContext.imageMode;
    s.imageWidth = gContext.imageWidth;
    s.imageHeight = gContext.imageHeight;
    s.left = gContext.filterLeft;
    s.top = gContext.filterTop;
    s.right = gContext.filterRight;
    s.bottom = gContext.filterBottom;
}

// Density of the target at level i.
int64_t TargetDensity(int32_t shape, const uint8_t* shapeRow, int32_t i, const LevelScale& l) {
    if (shapeRow) return shapeRow[std::min(i / l.scale, kTonalLookShapeLevels - 1)];
    const double wave = std::sin(i * kShapePi / l.max) * 255.0;
    switch (shape) {
        case TONAL_SHAPE_DARK:
            return l.max - i;
        case TONAL_SHAPE_FLAT:
            return 128;
        case TONAL_SHAPE_U:
            return std::max<int64_t>(255 - int64_t(std::trunc(wave)), 48);
        case TONAL_SHAPE_BELL:
            return int64_t(std::trunc(wave));
        default:  // TONAL_SHAPE_BRIGHT
            return i;
    }
}

// Lookup row of array m with one element of the image's size per level.
bool PrepareOutput(int32_t m, const LevelScale& l) {
    const int64_t bytes = int64_t(l.max + 1) * l.elementBytes;
    if (GetArrayBase(m) && gArrays[m].byteSize == bytes &&
        gArrays[m].elementBytes == l.elementBytes)
        return true;
    return CreateArray(m, l.max + 1, 1, 1, l.elementBytes) != 0;
}

void StoreLookup(int32_t m, const LevelScale& l, const std::vector<int32_t>& out) {
    void* base = GetArrayBase(m);
    for (size_t i = 0; i < out.size(); ++i) {
        if (l.elementBytes == 1)
            static_cast<uint8_t*>(base)[i] = uint8_t(out[i]);
        else
            static_cast<uint16_t*>(base)[i] = uint16_t(out[i]);
    }
}

// Walks the image's scaled cumulative histogram along the target's: each input level maps
// to the first level whose target cumulative reaches it.
std::vector<int32_t> MatchLevels(const std::vector<int64_t>& target, const LevelScale& l) {
    const int64_t* c = gTonalLook.cumulative;
    std::vector<int32_t> out(size_t(l.max) + 1);
    if (c[l.max] == 0) {
        for (int32_t i = 0; i <= l.max; ++i) out[size_t(i)] = i;
        return out;
    }
    const double ratio = double(target[size_t(l.max)]) / double(c[l.max]);
    int32_t j = 0;
    for (int32_t i = 0; i <= l.max; ++i) {
        const int64_t scaled = int64_t(std::trunc(double(c[i]) * ratio));
        while (j < l.max && scaled > target[size_t(j)]) ++j;
        out[size_t(i)] = j;
    }
    // A last step larger than the one before it is straightened.
    const int32_t a = out[size_t(l.max)], b = out[size_t(l.max - l.scale)],
                  cc = out[size_t(l.max - 2 * l.scale)];
    if (a - b > b - cc) {
        out[size_t(l.max)] = std::min(l.max, 2 * b - cc);
        if (l.scale > 1) out[size_t(l.max - 1)] = std::min(l.max - 1, 2 * b - cc - 1);
    }
    return out;
}
}  // namespace

void TonalLookReset() {
    gTonalLook.valid = false;
    gTonalLook.levels = 0;
}

int32_t LuminanceHistogram(int32_t n) {
    // The request replaces the host's buffers, so it is made only when the rectangle under way
    // can be asked for again afterwards.
    // Thumbnails render from an array of their own, not from the host's rectangle.
    const bool asked =
        !gSession.thumbnailRendering && gWholeImageSource.request && gWholeImageSource.restore;
    // A refused request leaves the rectangle under way current: its counts stand in.
    if (asked) gWholeImageSource.request();
    const LevelScale l = ImageLevels();
    int32_t result = 0;
    if (CreateArray(n, l.max + 1, 1, 1, 4)) {
        SetAllArrayElements(n, 0);
        int32_t* bins = static_cast<int32_t*>(GetArrayBase(n));
        const EffectContext& c = gContext;
        const GetPixelProc source = c.accessors.getSourcePixel;
        for (int32_t y = c.currentTop; source && y < c.currentBottom; ++y) {
            for (int32_t x = c.currentLeft; x < c.currentRight; ++x) {
                const int32_t lum =
                    (213 * source(x, y, 0) + 715 * source(x, y, 1) + 72 * source(x, y, 2)) / 1000;
                ++bins[std::clamp(lum, 0, l.max)];
            }
        }
        result = 1;
    }
    if (asked) gWholeImageSource.restore();
    return result;
}

int32_t MatchHistogram(int32_t n, int32_t shape, const uint8_t* shapeRow, int32_t m) {
    const LevelScale l = ImageLevels();
    // The lookup array lives for one run, so a missing one means a new run: count again.
    const bool newLookup = !GetArrayBase(m);
    if (newLookup || !CumulativeBelongsToImage(l.max + 1)) BuildCumulative(n, l.max + 1);
    if (!PrepareOutput(m, l)) return 1;
    const bool haveTarget = shapeRow || (shape >= TONAL_SHAPE_DARK && shape <= TONAL_SHAPE_BRIGHT);
    if (!haveTarget || !gTonalLook.valid) {
        // Without a target the lookup made for the run is the identity, so that it marks the
        // counted run without bending the image.
        if (newLookup) {
            std::vector<int32_t> identity(size_t(l.max) + 1);
            for (int32_t i = 0; i <= l.max; ++i) identity[size_t(i)] = i;
            StoreLookup(m, l, identity);
        }
        return 1;
    }

    std::vector<int64_t> target(size_t(l.max) + 1);
    int64_t running = 0;
    for (int32_t i = 0; i <= l.max; ++i) {
        running += TargetDensity(shape, shapeRow, i, l);
        target[size_t(i)] = running;
    }
    StoreLookup(m, l, MatchLevels(target, l));
    return 1;
}

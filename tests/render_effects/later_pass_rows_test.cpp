// The row steps of passes 2 and 3 (paper, dynamic contrast, diffusion, glow) at every vector
// level against the pixel-by-pixel steps, and the row reads of the work arrays against the
// element reads: random and extreme levels, every chunk length, both depths.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "render/array_view.h"
#include "render/later_pass_rows.h"
#include "render/vector_level.h"
#include "render_effects/random_levels.h"

namespace {
// Chunk lengths: one lane, the tails of 4- and 8-lane steps, whole chunks.
const int32_t kCounts[] = {1, 2, 3, 5, 7, 8, 9, 15, 17, 31, 33, 63, kLaterPassChunk};

std::vector<int32_t> DialogValues() {
    std::vector<int32_t> v(kControlCount, 0);
    for (int32_t n = 0; n < kControlCount; ++n) v[size_t(n)] = ControlTableStartValue(n);
    return v;
}

// Levels of one plane.
std::vector<int32_t> Levels(std::mt19937& random, const BitDepth& d) {
    return RandomLevels(random, d, kLaterPassChunk);
}

struct Pixels {
    std::vector<int32_t> r, g, b;
    RowPlanes Planes(int32_t count) { return {r.data(), g.data(), b.data(), count}; }
    Rgb At(size_t i) const { return {r[i], g[i], b[i]}; }
};

Pixels RandomPixels(std::mt19937& random, const BitDepth& d) {
    return {Levels(random, d), Levels(random, d), Levels(random, d)};
}

// Runs `row` on a copy of the pixels at every vector level and every count; each pixel must
// equal what `pixel` makes of it alone.
template <typename RowStep, typename PixelStep>
void ExpectRowEqualsPixels(const Pixels& pixels, RowStep row, PixelStep pixel,
                           const std::string& what) {
    for (int32_t level = VECTOR_PLAIN; level <= VectorLevelDetected(); ++level) {
        const LaterPassRowProcs& procs = LaterPassRowsFor(VectorLevel(level));
        for (int32_t count : kCounts) {
            Pixels out = pixels;
            row(procs, out.Planes(count));
            for (int32_t i = 0; i < kLaterPassChunk; ++i) {
                Rgb want = pixels.At(size_t(i));
                if (i < count) pixel(i, want);
                const Rgb got = out.At(size_t(i));
                ASSERT_TRUE(got.r == want.r && got.g == want.g && got.b == want.b)
                    << what << " level " << level << " count " << count << " pixel " << i << ": "
                    << got.r << "," << got.g << "," << got.b << " want " << want.r << "," << want.g
                    << "," << want.b;
            }
        }
    }
}
}  // namespace

TEST(LaterPassRows, PaperAndDynamicContrastEqualThePixelSteps) {
    std::mt19937 random(7);
    for (bool sixteen : {false, true}) {
        const BitDepth& d = sixteen ? kDepth16 : kDepth8;
        for (int32_t paper : {0, 1, 30, 50, 99, 100}) {
            for (int32_t highlights : {0, 1, 60, 128}) {
                for (int32_t contrast : {0, 40, 100}) {
                    for (bool toned : {false, true}) {
                        PaperContrast s = {};
                        s.depth = d;
                        s.paper = paper;
                        s.paperHighlights = highlights;
                        s.contrast = contrast;
                        s.shadows = toned ? 30 : 0;
                        s.midtones = toned ? 70 : 0;
                        s.highlights = toned ? 20 : 0;
                        s.toneWeighted = toned;
                        for (int32_t i = 0; i < 256; ++i)
                            s.tone[i] = uint8_t((i * 37 + highlights) % 256);
                        PaperContrastToneSteps(s);
                        const Pixels pixels = RandomPixels(random, d);
                        const std::vector<int32_t> blurred = Levels(random, d);
                        const std::string what = std::to_string(d.max) + " paper " +
                                                 std::to_string(paper) + "/" +
                                                 std::to_string(highlights) + " contrast " +
                                                 std::to_string(contrast) + (toned ? " toned" : "");
                        if (paper != 0)
                            ExpectRowEqualsPixels(
                                pixels,
                                [&](const LaterPassRowProcs& p, const RowPlanes& planes) {
                                    p.paper(s, blurred.data(), planes);
                                },
                                [&](int32_t i, Rgb& p) { ApplyPaper(s, blurred[size_t(i)], p); },
                                "paper " + what);
                        if (contrast != 0)
                            ExpectRowEqualsPixels(
                                pixels,
                                [&](const LaterPassRowProcs& p, const RowPlanes& planes) {
                                    p.dynamicContrast(s, blurred.data(), planes);
                                },
                                [&](int32_t i, Rgb& p) {
                                    ApplyDynamicContrast(s, blurred[size_t(i)], p);
                                },
                                "contrast " + what);
                    }
                }
            }
        }
    }
}

TEST(LaterPassRows, DiffusionAndGlowEqualThePixelSteps) {
    std::mt19937 random(11);
    std::vector<int32_t> v = DialogValues();
    const int32_t X = 300, Y = 200, rowY = 37;
    for (bool sixteen : {false, true}) {
        const BitDepth& d = sixteen ? kDepth16 : kDepth8;
        // A bend that pushes past both ends, so that its clamp counts.
        std::vector<int32_t> bend(size_t(d.max) + 1);
        for (int32_t i = 0; i <= d.max; ++i) bend[size_t(i)] = i * 3 / 2 - d.max / 4;
        for (int32_t intensity : {1, 60, 100}) {
            for (int32_t opacity : {0, 20, 50, 80, 100}) {
                for (int32_t shape : {0, 1, 3}) {
                    for (bool bent : {false, true}) {
                        v[CTL_DIFFUSION_INTENSITY] = intensity;
                        v[CTL_DIFFUSION_OPACITY] = opacity;
                        v[CTL_DIFFUSION_MASK_SHAPE] = shape;
                        v[CTL_DIFFUSION_MASK_DENSITY] = 60;
                        const DiffusionGlow s = DiffusionGlowFromControls(
                            v.data(), d, true, X, Y, 1, X / 3, Y / 2, bent ? bend.data() : nullptr);
                        const Pixels pixels = RandomPixels(random, d);
                        const Pixels blurred = RandomPixels(random, d);
                        for (int32_t x0 : {0, 70, X - kLaterPassChunk}) {
                            const bool masked = s.mask.kind != GRADIENT_NONE;
                            std::vector<int32_t> positions(kLaterPassChunk);
                            for (int32_t i = 0; i < kLaterPassChunk && masked; ++i)
                                positions[size_t(i)] = GradientPosition(s.mask, x0 + i, rowY);
                            ExpectRowEqualsPixels(
                                pixels,
                                [&](const LaterPassRowProcs& p, const RowPlanes& planes) {
                                    p.diffusion(
                                        s, {blurred.r.data(), blurred.g.data(), blurred.b.data()},
                                        masked ? positions.data() : nullptr, planes);
                                },
                                [&](int32_t i, Rgb& p) {
                                    ApplyDiffusion(s, x0 + i, rowY, blurred.At(size_t(i)), p);
                                },
                                "diffusion " + std::to_string(d.max) + " intensity " +
                                    std::to_string(intensity) + " opacity " +
                                    std::to_string(opacity) + " shape " + std::to_string(shape) +
                                    (bent ? " bent" : "") + " x " + std::to_string(x0));
                        }
                    }
                }
            }
        }
        for (int32_t intensity : {1, 50, 100}) {
            for (int32_t exposure : {-128, -40, 0, 40, 128}) {
                for (int32_t colour : {0x000000, 0xFFFFFF, 0x3080C0}) {
                    v[CTL_GLOW_INTENSITY] = intensity;
                    v[CTL_GLOW_EXPOSURE] = exposure;
                    v[CTL_GLOW_COLOR] = colour;
                    const DiffusionGlow s =
                        DiffusionGlowFromControls(v.data(), d, true, X, Y, 1, 0, 0, nullptr);
                    const Pixels pixels = RandomPixels(random, d);
                    const std::vector<int32_t> mask = Levels(random, d);
                    ExpectRowEqualsPixels(
                        pixels,
                        [&](const LaterPassRowProcs& p, const RowPlanes& planes) {
                            p.glow(s, mask.data(), planes);
                        },
                        [&](int32_t i, Rgb& p) { ApplyGlow(s, mask[size_t(i)], p); },
                        "glow " + std::to_string(d.max) + " intensity " +
                            std::to_string(intensity) + " exposure " + std::to_string(exposure) +
                            " colour " + std::to_string(colour));
                }
            }
        }
    }
}

// Rows read at once must be the elements read one by one with their coordinates clamped:
// starts left of the array, inside, reaching past its right end, and wholly right of it.
TEST(LaterPassRows, RowReadsEqualClampedElementReads) {
    std::mt19937 random(3);
    for (int32_t bytes : {1, 2}) {
        for (int32_t channels : {1, 3}) {
            for (int32_t width : {1, 2, 7, 40}) {
                const int32_t height = 3, border = 2;
                const int32_t rowElements = (width + 2 * border) * channels;
                std::vector<uint8_t> bytesOf(size_t(rowElements * (height + 2 * border) * bytes));
                for (uint8_t& b : bytesOf) b = uint8_t(random());
                const int64_t first = (int64_t(border) * rowElements + border * channels) * bytes;
                const ArrayView view = {
                    bytesOf.data() + first, bytes, width, height, channels, rowElements};
                for (int32_t x : {-50, -3, -1, 0, 1, width - 1, width, width + 5}) {
                    for (int32_t y : {-2, 0, height - 1, height + 4}) {
                        for (int32_t count : {1, 2, 9, 64}) {
                            for (int32_t c = 0; c < channels; ++c) {
                                std::vector<int32_t> row(static_cast<size_t>(count));
                                view.RowClamped(x, y, c, count, row.data());
                                for (int32_t i = 0; i < count; ++i)
                                    ASSERT_EQ(row[size_t(i)], view.AtClamped(x + i, y, c))
                                        << bytes << " bytes " << channels << " channels width "
                                        << width << " at " << x << "," << y << " + " << i;
                            }
                        }
                    }
                }
            }
        }
    }
}

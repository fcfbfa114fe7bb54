// The aging texture a row at a time against the pixel-by-pixel texture: the samples of a
// row's noises and their blend at every vector level, every aging type, both depths, tint on
// and off, grey and coloured pixels, every chunk length, and values beyond the row's bounds.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "effect/control_ids.h"
#include "render/gradient_noise.h"
#include "render/later_pass_rows.h"
#include "render/texture_noise_row.h"
#include "render/vector_level.h"

namespace {
// Row lengths: one lane, the tails of 4- and 8-lane steps, a whole chunk and rows of several.
const int32_t kCounts[] = {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 33, 63, 64, 65, 127, 130};
constexpr int32_t kRowPixels = 130;

struct Aging {
    int32_t type, reduction, invert, hard, color, intensity;
};

TexturePixelState StateFor(const Aging& a, bool sixteenBit) {
    std::vector<int32_t> values(400, 0);
    values[CTL_AGING_TYPE] = a.type;
    values[CTL_AGING_INTENSITY] = a.intensity;
    values[CTL_AGING_SIZE] = 100;
    values[CTL_AGING_SOFTNESS] = 50;
    values[CTL_AGING_DETAILS] = 4;
    values[CTL_AGING_REDUCTION] = a.reduction;
    values[CTL_AGING_INVERT] = a.invert;
    values[CTL_AGING_HARD] = a.hard;
    values[CTL_AGING_COLOR] = a.color;
    TexturePixelState s{};
    NoiseTextureSetup(s, values.data(), sixteenBit, 800, 600, 1);
    return s;
}

// Pixels of one row as planes. Grey rows have every pixel grey, so that whole chunks take the
// one-plane blend; the others mix grey and coloured pixels and the ends of the scale.
struct Pixels {
    std::vector<int32_t> r, g, b;
    RowPlanes Planes(int32_t count) { return {r.data(), g.data(), b.data(), count}; }
};

Pixels RandomPixels(std::mt19937& random, int32_t max, bool grey) {
    Pixels p{std::vector<int32_t>(kRowPixels), std::vector<int32_t>(kRowPixels),
             std::vector<int32_t>(kRowPixels)};
    const int32_t mid = (max + 1) / 2;
    const int32_t special[] = {0, 1, mid - 1, mid, mid + 1, max - 1, max};
    std::uniform_int_distribution<int32_t> level(0, max), pick(0, 13);
    auto one = [&] {
        const int32_t k = pick(random);
        return k < 7 ? special[k] : level(random);
    };
    for (size_t i = 0; i < size_t(kRowPixels); ++i) {
        p.r[i] = one();
        const bool same = grey || pick(random) < 4;
        p.g[i] = same ? p.r[i] : one();
        p.b[i] = same ? p.r[i] : one();
    }
    return p;
}

// The samples the texture makes of noises across -3..3, where spots, stains and drops pass
// their tint levels and dust its clamps.
std::vector<TextureSample> SamplesOf(const TexturePixelState& s, std::mt19937& random) {
    std::vector<double> noise(kRowPixels);
    std::uniform_real_distribution<double> spread(-3.0, 3.0);
    for (double& n : noise) n = spread(random);
    std::vector<TextureSample> samples(kRowPixels);
    EXPECT_TRUE(NoiseTextureSamples(s, noise.data(), kRowPixels, samples.data()));
    return samples;
}

// NoiseTextureBlendRow at every vector level and row length against NoiseTextureBlendSample
// of each pixel; pixels past the row stay as they were.
void ExpectRowEqualsPixels(const TexturePixelState& s, const std::vector<TextureSample>& samples,
                           const Pixels& pixels, const std::string& what) {
    for (int32_t level = VECTOR_PLAIN; level <= VectorLevelDetected(); ++level) {
        SetVectorLevelOverride(level);
        for (int32_t count : kCounts) {
            Pixels out = pixels;
            NoiseTextureBlendRow(s, samples.data(), out.Planes(count));
            for (size_t i = 0; i < size_t(kRowPixels); ++i) {
                Rgb want = {pixels.r[i], pixels.g[i], pixels.b[i]};
                if (i < size_t(count)) NoiseTextureBlendSample(s, samples[i], want);
                ASSERT_TRUE(out.r[i] == want.r && out.g[i] == want.g && out.b[i] == want.b)
                    << what << " level " << level << " count " << count << " pixel " << i
                    << " texture " << samples[i].value << "/" << samples[i].tinted << ": "
                    << out.r[i] << "," << out.g[i] << "," << out.b[i] << " want " << want.r << ","
                    << want.g << "," << want.b;
            }
        }
    }
    SetVectorLevelOverride(-1);
}
}  // namespace

TEST(TextureRows, BlendRowGivesEveryPixelItsBlend) {
    std::mt19937 random(5);
    for (bool sixteen : {false, true}) {
        for (int32_t type = AGING_DUST; type <= AGING_DROPS; ++type) {
            for (int32_t flags = 0; flags < 4; ++flags) {
                for (int32_t color : {0x808080, 0xFF10C0, 0x000000, 0xFFFFFF}) {
                    for (int32_t intensity : {1, 37, 60, 99, 100}) {
                        const Aging a = {type,       type * 60 - 130, flags & 1,
                                         flags >> 1, color,           intensity};
                        const TexturePixelState s = StateFor(a, sixteen);
                        const std::vector<TextureSample> samples = SamplesOf(s, random);
                        for (bool grey : {false, true}) {
                            const std::string what =
                                std::string(sixteen ? "16-bit" : "8-bit") + " type " +
                                std::to_string(type) + " flags " + std::to_string(flags) +
                                " colour " + std::to_string(color) + " intensity " +
                                std::to_string(intensity) + (grey ? " grey" : "");
                            ExpectRowEqualsPixels(s, samples, RandomPixels(random, s.max, grey),
                                                  what);
                        }
                    }
                }
            }
        }
    }
}

// Tint flags on and off within one chunk and in chunks of their own, flags other than 1
// (which the pixel blend takes as untinted), and texture values up to the row's bound.
TEST(TextureRows, BlendRowTakesAnyTintAndValueWithinItsBounds) {
    std::mt19937 random(9);
    for (bool sixteen : {false, true}) {
        for (int32_t flags = 0; flags < 4; ++flags) {
            const Aging a = {AGING_SPOTS, 0, flags & 1, flags >> 1, 0x20A0F0, 70};
            const TexturePixelState s = StateFor(a, sixteen);
            const int32_t limit = kTextureBlendLimit;
            std::uniform_int_distribution<int32_t> wide(-limit, limit),
                nearby(-3 * s.max, 3 * s.max);
            std::uniform_int_distribution<int32_t> flag(0, 3);
            for (int32_t tintedShare : {0, 1, 2, 3}) {
                std::vector<TextureSample> samples(kRowPixels);
                for (size_t i = 0; i < samples.size(); ++i) {
                    const int32_t k = flag(random);
                    samples[i].value = k == 0 ? wide(random) : nearby(random);
                    samples[i].tinted = tintedShare == 0 ? 0 : tintedShare == 3 ? 1 : k % 3;
                }
                samples[3].value = limit;
                samples[11].value = -limit;
                for (bool grey : {false, true})
                    ExpectRowEqualsPixels(s, samples, RandomPixels(random, s.max, grey),
                                          std::string(sixteen ? "16-bit" : "8-bit") + " flags " +
                                              std::to_string(flags) + " tinted share " +
                                              std::to_string(tintedShare));
            }
        }
    }
}

// A value or a level beyond the row's bounds sends its chunk to the pixel blend: the row step
// itself declines and leaves the planes alone, and the row still gives each pixel its blend.
TEST(TextureRows, ValuesBeyondTheBoundsAreBlendedPixelByPixel) {
    std::mt19937 random(13);
    const int32_t limit = kTextureBlendLimit;
    struct Case {
        const char* name;
        int32_t value;  // at pixel 5
        int32_t level;  // red at pixel 7, or 0
    };
    const Case cases[] = {
        {"value above", limit + 1, 0}, {"value below", -limit - 1, 0},
        {"largest int", INT_MAX, 0},   {"smallest int", INT_MIN, 0},
        {"level below", 100, -1},      {"level above", 100, INT_MAX},
    };
    for (bool sixteen : {false, true}) {
        for (int32_t hard : {0, 1}) {
            const TexturePixelState s = StateFor({AGING_DROPS, 0, 0, hard, 0x3060FF, 80}, sixteen);
            for (const Case& c : cases) {
                std::vector<TextureSample> samples = SamplesOf(s, random);
                samples[5].value = c.value;
                Pixels pixels = RandomPixels(random, s.max, false);
                if (c.level != 0) pixels.r[7] = c.level == INT_MAX ? s.max + 1 : c.level;
                for (int32_t level = VECTOR_PLAIN; level <= VectorLevelDetected(); ++level) {
                    const TextureRowProcs& procs = TextureRowsFor(VectorLevel(level));
                    Pixels out = pixels;
                    const TextureBlendRun run = {samples.data(),
                                                 out.Planes(kLaterPassChunk),
                                                 {s.tintRed, s.tintGreen, s.tintBlue},
                                                 s.intensity,
                                                 hard};
                    EXPECT_FALSE((sixteen ? procs.blend16 : procs.blend8)(run)) << c.name;
                    EXPECT_EQ(out.r, pixels.r) << c.name;
                    EXPECT_EQ(out.g, pixels.g) << c.name;
                    EXPECT_EQ(out.b, pixels.b) << c.name;
                }
                ExpectRowEqualsPixels(s, samples, pixels,
                                      std::string(c.name) + (sixteen ? " 16-bit" : " 8-bit"));
            }
        }
    }
}

// A state whose levels are neither of the render's depths, and controls beyond their
// ranges, are blended by the pixel blend's general arithmetic.
TEST(TextureRows, OtherDepthsAndControlsAreBlendedPixelByPixel) {
    std::mt19937 random(17);
    TexturePixelState s = StateFor({AGING_STAINS, 40, 0, 1, 0xC08040, 50}, false);
    s.max = 1000;
    s.mid = 500;
    s.scale = 4;
    s.tintRed = 400;
    ExpectRowEqualsPixels(s, SamplesOf(s, random), RandomPixels(random, 1000, false),
                          "levels 0..1000");
    TexturePixelState loud = StateFor({AGING_DUST, 0, 0, 0, 0x808080, 100}, true);
    loud.intensity = 250;
    ExpectRowEqualsPixels(loud, SamplesOf(loud, random), RandomPixels(random, 32768, false),
                          "intensity 250");
    TexturePixelState bright = StateFor({AGING_SPOTS, 200, 0, 0, 0xFFFFFF, 70}, false);
    bright.tintGreen = 300;
    ExpectRowEqualsPixels(bright, SamplesOf(bright, random), RandomPixels(random, 255, true),
                          "tint above the levels");
}

// Samples of noises made a row at a time, at every vector level and every run length, are
// the texture value and tint flag the pixel step gives each noise: every type, both depths,
// inverted or not, reductions across their range (odd ones halve toward zero), the state's
// tint flag set or not (dust keeps it), and noises whose values pass the row's bound.
TEST(TextureRows, SamplesAreThePixelTexture) {
    std::mt19937 random(21);
    const double inf = std::numeric_limits<double>::infinity();
    std::uniform_real_distribution<double> spread(-4.0, 4.0);
    std::vector<double> spreadNoise;
    for (int32_t i = 0; i < 2 * kRowPixels; ++i) spreadNoise.push_back(spread(random));
    for (bool sixteen : {false, true}) {
        // Half a level inside and outside the bound at either end, far beyond it, the ends of
        // the int range, and the exact middle.
        const double max = sixteen ? 32768.0 : 255.0, mid = sixteen ? 16384.0 : 128.0;
        const double bound = kTextureDustLimit;
        const double edges[] = {(bound - 0.5 - mid) / (max * 0.7),
                                (bound + 0.5 - mid) / (max * 0.7),
                                (-bound + 0.5 - mid) / (max * 0.7),
                                (-bound - 0.5 - mid) / (max * 0.7),
                                1e12,
                                -1e12,
                                inf,
                                -inf,
                                0.0,
                                -0.0,
                                1e-17,
                                -1e-300};
        std::vector<double> noise = spreadNoise;
        for (size_t k = 0; k < std::size(edges); ++k) noise[7 + k * 11] = edges[k];
        const int32_t count = int32_t(noise.size());
        for (int32_t type = AGING_DUST; type <= AGING_DROPS + 1; ++type) {
            for (int32_t invert : {0, 1}) {
                for (int32_t reduction : {-255, -254, -7, 0, 1, 90, 255}) {
                    for (int32_t tinted : {0, 1}) {
                        TexturePixelState s =
                            StateFor({type, reduction, invert, 0, 0x2040F0, 60}, sixteen);
                        s.tinted = tinted;
                        const std::string what = std::string(sixteen ? "16-bit" : "8-bit") +
                                                 " type " + std::to_string(type) + " invert " +
                                                 std::to_string(invert) + " reduction " +
                                                 std::to_string(reduction) + " tinted " +
                                                 std::to_string(tinted);
                        for (int32_t level = VECTOR_PLAIN; level <= VectorLevelDetected();
                             ++level) {
                            SetVectorLevelOverride(level);
                            for (int32_t length : {1, 3, 5, 63, 64, 65, count}) {
                                std::vector<TextureSample> samples(size_t(count), {-9, -9});
                                const bool made =
                                    NoiseTextureSamples(s, noise.data(), length, samples.data());
                                ASSERT_EQ(made, type <= AGING_DROPS) << what;
                                if (!made) continue;
                                TexturePixelState one = s;
                                for (size_t i = 0; i < size_t(count); ++i) {
                                    const bool inRun = i < size_t(length);
                                    if (inRun) NoiseTextureBlend(one, noise[i]);
                                    const int32_t value = inRun ? one.textureValue : -9;
                                    const int32_t flag = inRun ? one.tinted : -9;
                                    ASSERT_TRUE(samples[i].value == value &&
                                                samples[i].tinted == flag)
                                        << what << " level " << level << " length " << length
                                        << " noise " << noise[i] << ": " << samples[i].value << "/"
                                        << samples[i].tinted << " want " << value << "/" << flag;
                                }
                            }
                        }
                        SetVectorLevelOverride(-1);
                    }
                }
            }
        }
    }
}

// Gradient noise and the aging texture: seeded tables, lattice zeros and period, floor for
// negative coordinates, repeatable textures across thread counts, ranges of every mode, and
// the 16-bit blends of large texture values.

#include "render/gradient_noise.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "common/thread_counts.h"
#include "host/random_source.h"
#include "host/worker_threads.h"
#include "render/vector_level.h"
#include "render_test_support.h"

namespace {
// Control numbers of the aging group.
constexpr int32_t kDetails = 55, kIntensity = 166, kSize = 167, kSoftness = 242, kReduction = 263,
                  kType = 298, kInvert = 299, kColor = 301, kHard = 302;
constexpr int32_t kTexture = 40;

struct Aging {
    int32_t type = AGING_DUST, intensity = 100, size = 100, softness = 50, details = 4;
    int32_t reduction = 0, invert = 0, hard = 0, color = 0x808080;
};

// One case of the mode tables: flags bit 0 inverts, bit 1 is hard light; the intensity
// follows the reduction, so that the cases cover partial intensities too.
Aging AgingCase(int32_t type, int32_t reduction, int32_t flags, int32_t color) {
    Aging a;
    a.type = type;
    a.reduction = reduction;
    a.invert = flags & 1;
    a.hard = flags >> 1;
    a.intensity = (reduction + 256) % 101;
    a.color = color;
    return a;
}

std::vector<int32_t> ControlValues(const Aging& a) {
    std::vector<int32_t> values(400, 0);
    values[kType] = a.type;
    values[kIntensity] = a.intensity;
    values[kSize] = a.size;
    values[kSoftness] = a.softness;
    values[kDetails] = a.details;
    values[kReduction] = a.reduction;
    values[kInvert] = a.invert;
    values[kHard] = a.hard;
    values[kColor] = a.color;
    return values;
}

TexturePixelState StateFor(const Aging& a, bool sixteenBit, int32_t width = 800,
                           int32_t height = 600) {
    TexturePixelState s{};
    const std::vector<int32_t> values = ControlValues(a);
    NoiseTextureSetup(s, values.data(), sixteenBit, width, height, 1);
    return s;
}

void Shade(TexturePixelState& s, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) {
    s.x = x;
    s.y = y;
    s.red = r;
    s.green = g;
    s.blue = b;
    NoiseTexturePixel(s);
}

// The texture job: every thread shades its rows of a grey ramp into array kTexture.
TexturePixelState gJobState;
void TextureRows(int32_t threadIndex) {
    TexturePixelState s = gJobState;
    const int32_t width = GetArrayDimension(kTexture, 0), height = GetArrayDimension(kTexture, 1);
    for (int32_t y = threadIndex; y < height; y += gJob.threadCount) {
        for (int32_t x = 0; x < width; ++x) {
            const int32_t v = (x * s.max) / width;
            Shade(s, x - width / 3, y - height / 2, v, s.max - v, s.mid);
            PutArrayElement(kTexture, x, y, 0, s.outRed);
            PutArrayElement(kTexture, x, y, 1, s.outGreen);
            PutArrayElement(kTexture, x, y, 2, s.outBlue);
        }
    }
}

JobOutput RenderTexture(uint32_t seed, const Aging& aging) {
    RandomSeed(seed);
    InitNoise();
    gJobState = StateFor(aging, true, 300, 200);
    gJobState.frequency *= 8;  // small image, visible texture
    CreateArray(kTexture, 97, 61, 3, 2);
    RunParallel(TextureRows, true, 0, 0, false);
    return ArrayBytes(kTexture);
}
}  // namespace

class GradientNoiseTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        NoiseReset();
        RandomSeed(1);
    }
};

TEST_F(GradientNoiseTest, TablesHoldUnitGradientsAndAPermutation) {
    for (uint32_t seed : {1u, 2u, 77u, 4096u}) {
        RandomSeed(seed);
        InitNoise();
        EXPECT_EQ(gNoise.stale, 0);
        std::vector<int32_t> seen(256, 0);
        for (int32_t i = 0; i < 256; ++i) {
            ASSERT_TRUE(gNoise.permutation[i] >= 0 && gNoise.permutation[i] < 256);
            ++seen[size_t(gNoise.permutation[i])];
        }
        EXPECT_EQ(seen, std::vector<int32_t>(256, 1)) << "seed " << seed;
        for (int32_t k = 0; k < 258; ++k)
            ASSERT_EQ(gNoise.permutation[256 + k], gNoise.permutation[k]);
        for (int32_t i = 0; i < kNoiseGradientCount; ++i) {
            const NoiseGradient& g = gNoise.gradient[i];
            ASSERT_NEAR(std::hypot(g.x, g.y), 1.0, 1e-12) << i;
            if (i >= 256) {
                ASSERT_TRUE(g.x == gNoise.gradient[i - 256].x && g.y == gNoise.gradient[i - 256].y);
            }
        }
    }
    NoiseGradient zero = {0.0, 0.0};
    NormalizeGradient(zero);
    EXPECT_DOUBLE_EQ(std::hypot(zero.x, zero.y), 1.0) << "a zero draw still gets a direction";
    NoiseGradient g = {3.0, -4.0};
    NormalizeGradient(g);
    EXPECT_DOUBLE_EQ(g.x, 0.6);
    EXPECT_DOUBLE_EQ(g.y, -0.8);
}

TEST_F(GradientNoiseTest, NoiseIsZeroOnTheLatticeAndRepeatsEvery256Cells) {
    RandomSeed(5);
    InitNoise();
    for (double x : {-9000.0, -4097.0, -1.0, 0.0, 3.0, 255.0, 70000.0})
        for (double y : {-5000.0, 0.0, 17.0}) EXPECT_NEAR(Noise2(x, y), 0.0, 1e-9) << x << "," << y;
    double largest = 0.0;
    for (double x = 0.13; x < 5.0; x += 0.37) {
        for (double y = 0.29; y < 5.0; y += 0.41) {
            const double n = Noise2(x, y);
            largest = std::max(largest, std::fabs(n));
            // Far below -4096 as well: the cell is found by flooring, never by truncation.
            for (double shift : {256.0, 4352.0, 8192.0, 65536.0}) {
                ASSERT_NEAR(Noise2(x - shift, y), n, 1e-6) << x << "-" << shift << "," << y;
                ASSERT_NEAR(Noise2(x, y - shift), n, 1e-6) << x << "," << y << "-" << shift;
            }
        }
    }
    EXPECT_GT(largest, 0.05) << "the noise is not flat";
    // Continuous across a cell border in the negative range.
    EXPECT_NEAR(Noise2(-5000.0 - 1e-7, 3.3), Noise2(-5000.0 + 1e-7, 3.3), 1e-5);
}

TEST_F(GradientNoiseTest, SameSeedGivesTheSameTextureAcrossRunsAndThreadCounts) {
    Aging aging;
    aging.type = AGING_STAINS;
    EXPECT_TRUE(SameOutputForThreadCounts([&] { return RenderTexture(300, aging); }, {1, 8, 3}));
    const JobOutput first = RenderTexture(300, aging);
    const JobOutput again = RenderTexture(300, aging);
    const JobOutput other = RenderTexture(301, aging);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
}

TEST_F(GradientNoiseTest, EveryModeStaysWithinTheLevels) {
    RandomSeed(9);
    InitNoise();
    for (bool sixteenBit : {false, true}) {
        const int32_t max = sixteenBit ? 32768 : 255;
        for (int32_t type = 0; type <= 4; ++type) {
            for (int32_t reduction : {-255, 0, 90, 255}) {
                for (int32_t flags = 0; flags < 4; ++flags) {
                    Aging a = AgingCase(type, reduction, flags, 0xFF10C0);
                    a.details = 8;
                    a.softness = 0;  // every octave at full weight: the largest sums
                    TexturePixelState s = StateFor(a, sixteenBit, 200, 200);
                    for (int32_t y = -40; y < 40; y += 3) {
                        for (int32_t x = -40; x < 40; x += 3) {
                            const int32_t v = ((x + 40) * max) / 80;
                            Shade(s, x, y, v, max - v, (v / 2 + max / 3) % (max + 1));
                            ASSERT_TRUE(s.outRed >= 0 && s.outRed <= max);
                            ASSERT_TRUE(s.outGreen >= 0 && s.outGreen <= max);
                            ASSERT_TRUE(s.outBlue >= 0 && s.outBlue <= max);
                        }
                    }
                }
            }
        }
    }
}

// The texture's samples taken a run of noises at a time, then blended pixel by pixel, must
// give what blending each pixel's noise gives: every mode, both depths, inverted, hard light,
// reduced, partly intense, grey and coloured pixels, noises across and beyond -1..1.
TEST_F(GradientNoiseTest, SamplesOfARunBlendAsEachPixelsNoise) {
    std::vector<double> noise;
    for (int32_t i = -300; i <= 300; ++i) noise.push_back(i / 97.0);
    noise.push_back(1e-17);
    noise.push_back(-0.0);
    for (bool sixteenBit : {false, true}) {
        for (int32_t type = 0; type <= 5; ++type) {
            for (int32_t reduction : {-255, -7, 0, 90, 255}) {
                for (int32_t flags = 0; flags < 4; ++flags) {
                    const Aging a =
                        AgingCase(type, reduction, flags, type == 3 ? 0x404040 : 0xFF10C0);
                    const TexturePixelState start = StateFor(a, sixteenBit, 200, 200);
                    const int32_t max = start.max;
                    std::vector<TextureSample> samples(noise.size());
                    const bool made = NoiseTextureSamples(start, noise.data(),
                                                          int32_t(noise.size()), samples.data());
                    ASSERT_EQ(made, type <= 4) << "type " << type;
                    if (!made) continue;
                    TexturePixelState one = start;
                    for (size_t i = 0; i < noise.size(); ++i) {
                        const int32_t v = int32_t((i * 37) % size_t(max + 1));
                        const bool grey = i % 3 == 0;
                        one.red = v;
                        one.green = grey ? v : max - v;
                        one.blue = grey ? v : v / 2;
                        Rgb run = {one.red, one.green, one.blue};
                        NoiseTextureBlend(one, noise[i]);
                        NoiseTextureBlendSample(start, samples[i], run);
                        ASSERT_EQ(run.r, one.outRed) << type << " " << reduction << " " << i;
                        ASSERT_EQ(run.g, one.outGreen) << type << " " << i;
                        ASSERT_EQ(run.b, one.outBlue) << type << " " << i;
                    }
                }
            }
        }
    }
}

TEST_F(GradientNoiseTest, NoOctavesGiveTheNeutralDustOverlay) {
    for (bool sixteenBit : {false, true}) {
        Aging a;
        a.details = 0;
        TexturePixelState s = StateFor(a, sixteenBit);
        const int32_t max = s.max, mid = s.mid;
        for (int32_t c : {0, 1, 60, mid - 1, mid, max - 1, max}) {
            Shade(s, 37, 41, c, c, c);
            EXPECT_EQ(s.noise, 0.0);
            EXPECT_EQ(s.textureValue, mid);
            // Overlay with the neutral grey: below mid, c * 2 * mid / max; above, its mirror.
            const int64_t expected = c < mid ? int64_t(c) * 2 * mid / max
                                             : int64_t(mid - max) * (max - c) * 2 / max + max;
            EXPECT_EQ(s.outRed, expected) << c;
        }
    }
}

TEST_F(GradientNoiseTest, SpotsTintOnlyWhereTheNoiseReachesALevel) {
    RandomSeed(21);
    InitNoise();
    Aging a;
    a.type = AGING_SPOTS;
    a.color = 0x0000FF;  // red spots
    TexturePixelState s = StateFor(a, false, 100, 100);
    s.frequency = 0.09;
    int32_t spots = 0, reddened = 0;
    for (int32_t y = 0; y < 60; ++y) {
        for (int32_t x = 0; x < 60; ++x) {
            Shade(s, x, y, 100, 100, 100);
            const bool reaches = std::trunc(255 + 255 * 0.7 * s.noise) > 255;
            ASSERT_EQ(s.tinted, reaches ? 1 : 0) << x << "," << y;
            if (!reaches) {
                ASSERT_EQ(s.textureValue, 128);
                ASSERT_EQ(s.outRed, (128 * 100 * 2) / 255);
            } else {
                ++spots;
                ASSERT_GE(s.outRed, s.outBlue) << "red tint";
                reddened += s.outRed > s.outBlue;
            }
        }
    }
    EXPECT_GT(reddened, 0);
    EXPECT_LT(spots, 60 * 60);
}

TEST_F(GradientNoiseTest, LargeTexturesSaturateSixteenBitBlends) {
    RandomSeed(3);
    InitNoise();
    Aging a;
    a.details = 8;
    a.softness = 0;
    a.hard = 1;
    TexturePixelState s = StateFor(a, true, 100, 100);
    s.frequency = 0.2;
    // Find places where the octave sum is large: the dust texture there lies far beyond
    // 32768, and hard light of such a texture is white for every channel.
    int32_t found = 0;
    for (int32_t y = 0; y < 200 && found < 20; ++y) {
        for (int32_t x = 0; x < 200 && found < 20; ++x) {
            Shade(s, x, y, 0, 9000, 32768);
            if (s.noise < 1.5) continue;
            ++found;
            ASSERT_GT(s.textureValue, 2 * 32768 - 16384);
            EXPECT_EQ(s.outRed, 32768) << x << "," << y;
            EXPECT_EQ(s.outGreen, 32768) << x << "," << y;
            EXPECT_EQ(s.outBlue, 32768) << x << "," << y;
        }
    }
    ASSERT_GT(found, 0) << "no large octave sums found";
    // And the mirror image: a very negative texture under hard light is black.
    found = 0;
    for (int32_t y = 0; y < 200 && found < 20; ++y) {
        for (int32_t x = 0; x < 200 && found < 20; ++x) {
            Shade(s, x, y, 32768, 20000, 100);
            if (s.noise > -1.5) continue;
            ++found;
            EXPECT_EQ(s.outRed, 0);
            EXPECT_EQ(s.outGreen, 0);
            EXPECT_EQ(s.outBlue, 0);
        }
    }
    ASSERT_GT(found, 0);
}

TEST_F(GradientNoiseTest, SetupScalesTheTextureToTheImage) {
    Aging a;
    a.size = 100;
    a.softness = 100;
    a.color = 0x102030;
    TexturePixelState s = StateFor(a, true, 4000, 3000);
    EXPECT_DOUBLE_EQ(s.frequency, 1.0 / (4000 * 200.0 / 800.0));
    EXPECT_DOUBLE_EQ(s.octaveDivisor, 4.9);
    EXPECT_EQ(s.tintRed, 0x30 * 128);
    EXPECT_EQ(s.tintGreen, 0x20 * 128);
    EXPECT_EQ(s.tintBlue, 0x10 * 128);
    const std::vector<int32_t> values = ControlValues(a);
    NoiseTextureSetup(s, values.data(), false, 4000, 3000, 4);
    EXPECT_DOUBLE_EQ(s.frequency, 4.0 / 1000.0) << "a reduced preview keeps the texture's size";
    NoiseTextureSetup(s, values.data(), false, 2, 2, 1);
    EXPECT_DOUBLE_EQ(s.frequency, 1.0) << "tiny images";
}

// The render keeps the lattice positions of its columns and of the current row; the sums
// they give must be the plain octave sums to the last bit, for negative and far coordinates
// and for every count of octaves, with rows revisited in any order.
TEST_F(GradientNoiseTest, CachedColumnsAndRowsGiveThePlainSumsBitForBit) {
    RandomSeed(11);
    InitNoise();
    for (int32_t details : {1, 3, 8, 9}) {
        for (int32_t size : {1, 40, 400}) {
            Aging a;
            a.details = details;
            a.size = size;
            a.softness = 37;
            TexturePixelState plain = StateFor(a, true, 6000, 4000);
            TexturePixelState cached = plain;
            NoiseTextureColumns(cached, -5000, 7000);
            for (int32_t y : {-4097, -1, 0, 5, 5, 1023, 0, 70001}) {
                for (int32_t x = -5003; x < 2003; x += 7) {
                    Shade(plain, x, y, 100, 2000, 30000);
                    Shade(cached, x, y, 100, 2000, 30000);
                    ASSERT_EQ(std::memcmp(&plain.noise, &cached.noise, sizeof(double)), 0)
                        << details << " " << size << " at " << x << "," << y;
                    ASSERT_EQ(plain.outRed, cached.outRed);
                    ASSERT_EQ(plain.outBlue, cached.outBlue);
                }
            }
        }
    }
}

// A whole row's noise at once, at every vector level the processor runs, must be the plain
// octave sums of each pixel to the last bit; without the column table or with more octaves
// than it holds the row is refused and the pixels take the plain path.
TEST_F(GradientNoiseTest, RowNoiseGivesThePlainSumsBitForBit) {
    RandomSeed(12);
    InitNoise();
    for (int32_t level = VECTOR_PLAIN; level <= VectorLevelDetected(); ++level) {
        SetVectorLevelOverride(level);
        for (int32_t details : {1, 2, 5, 8}) {
            for (int32_t size : {1, 40, 400}) {
                Aging a;
                a.details = details;
                a.size = size;
                a.softness = 61;
                TexturePixelState plain = StateFor(a, false, 6000, 4000);
                TexturePixelState rows = plain;
                // Odd counts: blocks end inside every vector width.
                for (int32_t count : {1, 3, 131, 1027}) {
                    NoiseTextureColumns(rows, -517, count);
                    std::vector<double> noise(size_t(count), -1.0);
                    for (int32_t y : {-3001, 0, 7, 40001}) {
                        ASSERT_TRUE(NoiseTextureRow(rows, y, noise.data()));
                        for (int32_t c = 0; c < count; ++c) {
                            Shade(plain, -517 + c, y, 10, 20, 30);
                            ASSERT_EQ(std::memcmp(&plain.noise, &noise[size_t(c)], sizeof(double)),
                                      0)
                                << "level " << level << " details " << details << " size " << size
                                << " count " << count << " at " << c << "," << y;
                        }
                    }
                }
            }
        }
        Aging nine;
        nine.details = 9;
        TexturePixelState many = StateFor(nine, false);
        NoiseTextureColumns(many, 0, 10);
        double noise[10];
        EXPECT_FALSE(NoiseTextureRow(many, 0, noise)) << "nine octaves";
        EXPECT_FALSE(NoiseTextureRow(StateFor(Aging{}, false), 0, noise)) << "no column table";
    }
    SetVectorLevelOverride(-1);
}

// Shared set-up of the render foundation tests: a clean run state, a source image served
// through the real pixel routines, and small array helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/run_driver.h"

// Image modes of the host: RGB at 8 and 16 bits.
constexpr int32_t kModeRgb8 = 3;
constexpr int32_t kModeRgb16 = 11;

// A source image of interleaved RGB samples that gContext serves as the current rectangle,
// read through the accessor table of its bit depth.
class SourceImage {
  public:
    SourceImage(int32_t width, int32_t height, bool sixteenBit)
        : width_(width),
          height_(height),
          sixteenBit_(sixteenBit),
          bytes_(size_t(width) * height * 3 * (sixteenBit ? 2 : 1) + 16, 0) {}

    void Set(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) {
        const int32_t v[3] = {r, g, b};
        for (int c = 0; c < 3; ++c) {
            const size_t i = (size_t(y) * width_ + x) * 3 + c;
            if (sixteenBit_)
                reinterpret_cast<uint16_t*>(bytes_.data())[i] = uint16_t(v[c]);
            else
                bytes_[i] = uint8_t(v[c]);
        }
    }
    void SetGrey(int32_t x, int32_t y, int32_t v) { Set(x, y, v, v, v); }

    // Makes this image the current rectangle (and the whole image) of gContext.
    void Install() const {
        EffectContext& c = gContext;
        c.imageMode = sixteenBit_ ? kModeRgb16 : kModeRgb8;
        c.accessors = AccessorTableForMode(c.imageMode);
        c.X = c.width = width_;
        c.Y = c.height = height_;
        c.Z = c.planes = 3;
        c.inputPlanes = 3;
        c.inStep = 3;
        c.inRowBytes = width_ * 3 * (sixteenBit_ ? 2 : 1);
        c.inData = c.adjustedInData = const_cast<uint8_t*>(bytes_.data());
        c.currentLeft = 0;
        c.currentTop = 0;
        c.currentRight = width_;
        c.currentBottom = height_;
        c.imageWidth = width_;
        c.imageHeight = height_;
        c.filterLeft = 0;
        c.filterTop = 0;
        c.filterRight = c.filterWidth = width_;
        c.filterBottom = c.filterHeight = height_;
        c.zoomReduction = 1;
        gRun.source = {0, 0, width_, height_};
    }

  private:
    int32_t width_, height_;
    bool sixteenBit_;
    std::vector<uint8_t> bytes_;
};

// Every test starts without arrays and with an empty run-time record.
class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetArrayTables();
        EffectContextReset();
        RunStateReset();
    }
    void TearDown() override { ReleaseAllArrays(); }
};

// Elements 0..count-1 of row `row` of array n, as GetArrayElement reads them.
inline std::vector<int32_t> ArrayRow(int32_t n, int32_t row, int32_t count) {
    std::vector<int32_t> values(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) values[size_t(i)] = GetArrayElement(n, i, row, 0);
    return values;
}

inline std::vector<int32_t> IdentityRow(int32_t max) {
    std::vector<int32_t> row(static_cast<size_t>(max) + 1);
    for (int32_t i = 0; i <= max; ++i) row[size_t(i)] = i;
    return row;
}

// A deterministic pseudo-random sequence for test data (independent of the plug-in's).
class TestRandom {
  public:
    explicit TestRandom(uint64_t seed) : state_(seed * 2654435761u + 1) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return uint32_t(state_ >> 11);
    }
    int32_t Below(int32_t n) { return int32_t(Next() % uint32_t(n)); }

  private:
    uint64_t state_;
};

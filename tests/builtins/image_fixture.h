// A small image in memory, wired into gContext and the run state the way the run driver
// wires the host's buffers, for tests of the pixel and sampling built-ins.
#pragma once

#include <cstdint>
#include <vector>

#include "host/effect_context.h"
#include "host/run_driver.h"

struct TestImage {
    int32_t width, height, planes;
    bool sixteenBit;
    std::vector<uint8_t> in, out, mask;

    int32_t SampleBytes() const { return sixteenBit ? 2 : 1; }
    int32_t RowBytes() const { return width * planes * SampleBytes(); }
    void SetIn(int32_t x, int32_t y, int32_t c, int32_t v) { Set(in, x, y, c, v); }
    int32_t Out(int32_t x, int32_t y, int32_t c) const { return Get(out, x, y, c); }
    void SetOut(int32_t x, int32_t y, int32_t c, int32_t v) { Set(out, x, y, c, v); }

  private:
    size_t Index(int32_t x, int32_t y, int32_t c) const {
        return size_t(y) * RowBytes() + (size_t(x) * planes + c) * SampleBytes();
    }
    void Set(std::vector<uint8_t>& buffer, int32_t x, int32_t y, int32_t c, int32_t v) {
        if (sixteenBit)
            *reinterpret_cast<uint16_t*>(&buffer[Index(x, y, c)]) = uint16_t(v);
        else
            buffer[Index(x, y, c)] = uint8_t(v);
    }
    int32_t Get(const std::vector<uint8_t>& buffer, int32_t x, int32_t y, int32_t c) const {
        return sixteenBit ? *reinterpret_cast<const uint16_t*>(&buffer[Index(x, y, c)])
                          : buffer[Index(x, y, c)];
    }
};

// Makes the image the whole filter rectangle and the current rectangle; with a mask when
// withMask. The image must outlive its use.
inline void AttachTestImage(TestImage& image, bool withMask = false) {
    EffectContextReset();
    RunStateReset();
    EffectContext& c = gContext;
    const size_t bytes = size_t(image.RowBytes()) * image.height;
    image.in.assign(bytes, 0);
    image.out.assign(bytes, 0);
    image.mask.assign(size_t(image.width) * image.height, 0);
    c.X = c.width = image.width;
    c.Y = c.height = image.height;
    c.Z = c.planes = image.planes;
    c.imageMode = image.sixteenBit ? 11 : 3;
    c.inputPlanes = image.planes;
    c.inStep = c.outStep = image.planes;
    c.inRowBytes = c.outRowBytes = image.RowBytes();
    c.currentLeft = 0;
    c.currentTop = 0;
    c.currentRight = image.width;
    c.currentBottom = image.height;
    c.inData = c.adjustedInData = image.in.data();
    c.outData = image.out.data();
    c.haveMask = withMask;
    c.maskData = c.adjustedMaskData = withMask ? image.mask.data() : nullptr;
    c.maskRowBytes = image.width;
    c.maskStep = 1;
    gRun.source = {0, 0, image.width, image.height};
}

// The test host's pixel delivery, called the way a plug-in calls advanceState, checked pixel
// by pixel against the image: rectangles, planes, rates, padding, row bytes and masks, and
// what is written back into the document.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tools/testhost/host_internal.h"

namespace {
HostImage Pattern(int32_t width, int32_t height, int32_t planes, int32_t depth) {
    HostImage image = HostImageMake(width, height, planes, depth);
    const int32_t modulus = depth == 16 ? kHostMax16 + 1 : 256;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < planes; ++c)
                image.at(x, y, c) = uint16_t((x * 31 + y * 1000 + c * 7) % modulus);
    return image;
}

int32_t SampleAt(const void* data, int32_t rowBytes, int32_t x, int32_t y, int32_t columnBytes,
                 int32_t plane, int32_t sampleBytes) {
    const auto* at = static_cast<const uint8_t*>(data) + int64_t(y) * rowBytes +
                     int64_t(x) * columnBytes + plane * sampleBytes;
    if (sampleBytes == 1) return *at;
    uint16_t sample;
    memcpy(&sample, at, 2);
    return sample;
}

struct Session {
    explicit Session(const HostImage& image) {
        EXPECT_TRUE(HostSetImage(host, image));
        HostBeginRun(host);
    }
    HostSession host;
    FilterRecord& r = host.record;
};

TEST(AdvanceState, DeliversTheRequestedInputPixels) {
    struct Case {
        int32_t depth, planes;
        HostRect rect;  // top, left, bottom, right in scaled coordinates
        int16_t loPlane, hiPlane;
        int32_t rate;
        int16_t padding;
        int32_t rowPadding;
    };
    const Case cases[] = {
        {8, 3, {0, 0, 20, 30}, 0, 2, 1, -2, 0},   {16, 3, {0, 0, 20, 30}, 0, 2, 1, -2, 0},
        {8, 4, {3, 5, 9, 12}, 0, 3, 1, -2, 0},    {16, 4, {3, 5, 9, 12}, 1, 2, 1, -2, 3},
        {8, 3, {0, 0, 10, 15}, 0, 2, 2, -2, 0},   {16, 3, {1, 1, 6, 9}, 0, 0, 3, -2, 0},
        {8, 3, {-4, -3, 5, 6}, 0, 2, 1, 0, 0},    {8, 3, {15, 25, 24, 34}, 0, 2, 1, 77, 0},
        {16, 3, {-2, 26, 4, 33}, 0, 2, 1, -1, 0}, {8, 3, {5, 10, 12, 18}, 0, 2, 2, -1, 1},
        {8, 4, {0, 0, 1, 1}, 3, 3, 1, -2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "depth " << c.depth << " planes " << c.planes << " rect " << c.rect.left
                     << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom << " rate "
                     << c.rate << " padding " << c.padding);
        const HostImage image = Pattern(30, 20, c.planes, c.depth);
        Session s(image);
        s.host.options.rowPaddingBytes = c.rowPadding;
        s.r.inRect = c.rect;
        s.r.inLoPlane = c.loPlane;
        s.r.inHiPlane = c.hiPlane;
        s.r.inputRate = c.rate << 16;
        s.r.inputPadding = c.padding;
        ASSERT_EQ(s.r.advanceState(), 0);
        ASSERT_NE(s.r.inData, nullptr);
        const int32_t sampleBytes = c.depth / 8;
        const int32_t planes = c.hiPlane - c.loPlane + 1;
        const int32_t width = c.rect.right - c.rect.left;
        EXPECT_EQ(s.r.inColumnBytes, planes * sampleBytes);
        EXPECT_EQ(s.r.inPlaneBytes, sampleBytes);
        EXPECT_GE(s.r.inRowBytes, width * planes * sampleBytes);
        EXPECT_EQ(s.r.outData, nullptr);
        EXPECT_EQ(s.r.maskData, nullptr);
        for (int32_t y = c.rect.top; y < c.rect.bottom; ++y)
            for (int32_t x = c.rect.left; x < c.rect.right; ++x) {
                int32_t sx = x * c.rate, sy = y * c.rate;
                const bool inside = sx >= 0 && sy >= 0 && sx < image.width && sy < image.height;
                if (!inside && c.padding == -2) continue;  // undefined for such plug-ins
                if (!inside && c.padding == -1) {
                    sx = std::min(std::max(sx, 0), image.width - 1);
                    sy = std::min(std::max(sy, 0), image.height - 1);
                }
                for (int32_t p = 0; p < planes; ++p) {
                    int32_t expected = image.at(sx, sy, c.loPlane + p);
                    if (!inside && c.padding >= 0)
                        expected = c.depth == 8 ? c.padding : HostSample8To16(c.padding);
                    ASSERT_EQ(SampleAt(s.r.inData, s.r.inRowBytes, x - c.rect.left, y - c.rect.top,
                                       s.r.inColumnBytes, p, sampleBytes),
                              expected)
                        << "at " << x << "," << y << " plane " << p;
                }
            }
        ASSERT_EQ(s.host.log.advances.size(), 1u);
        EXPECT_TRUE(s.host.log.advances[0].viaAdvanceState);
    }
}

TEST(AdvanceState, RefusesRequestsItCannotServe) {
    struct Case {
        const char* what;
        HostRect rect;
        int16_t loPlane, hiPlane;
        Fixed rate;
        int16_t padding;
        OSErr expected;
    };
    const Case cases[] = {
        {"plane past the last", {0, 0, 4, 4}, 0, 3, 1 << 16, -2, HOST_BAD_PARAMETERS},
        {"negative plane", {0, 0, 4, 4}, -1, 2, 1 << 16, -2, HOST_BAD_PARAMETERS},
        {"planes reversed", {0, 0, 4, 4}, 2, 1, 1 << 16, -2, HOST_BAD_PARAMETERS},
        {"rate below one", {0, 0, 4, 4}, 0, 2, 1 << 15, -2, HOST_BAD_PARAMETERS},
        {"outside with error padding", {-1, 0, 4, 4}, 0, 2, 1 << 16, -3, HOST_BAD_PARAMETERS},
        {"inside with error padding", {0, 0, 4, 4}, 0, 2, 1 << 16, -3, 0},
        {"too large", {-30000, -30000, 30000, 30000}, 0, 2, 1 << 16, 0, HOST_OUT_OF_MEMORY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Session s(Pattern(16, 16, 3, 8));
        s.host.options.maxRequestBytes = 64 << 20;
        s.r.inRect = c.rect;
        s.r.inLoPlane = c.loPlane;
        s.r.inHiPlane = c.hiPlane;
        s.r.inputRate = c.rate;
        s.r.inputPadding = c.padding;
        EXPECT_EQ(s.r.advanceState(), c.expected);
        EXPECT_EQ(s.r.inData != nullptr, c.expected == 0);
    }
}

TEST(AdvanceState, OutputIsWrittenBackAtTheNextRequest) {
    const HostImage image = Pattern(12, 10, 3, 16);
    Session s(image);
    s.r.inRect = s.r.outRect = {2, 3, 6, 8};
    s.r.inLoPlane = s.r.outLoPlane = 0;
    s.r.inHiPlane = s.r.outHiPlane = 2;
    ASSERT_EQ(s.r.advanceState(), 0);
    ASSERT_NE(s.r.outData, nullptr);
    // The output buffer starts as the document's pixels.
    EXPECT_EQ(SampleAt(s.r.outData, s.r.outRowBytes, 1, 1, s.r.outColumnBytes, 2, 2),
              image.at(4, 3, 2));
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 5; ++x)
            for (int32_t p = 0; p < 3; ++p) {
                uint16_t value = uint16_t(x * 1000 + y * 100 + p);
                memcpy(static_cast<uint8_t*>(s.r.outData) + y * s.r.outRowBytes + x * 6 + p * 2,
                       &value, 2);
            }
    EXPECT_EQ(s.host.working.at(3, 2, 0), image.at(3, 2, 0));  // not yet
    s.r.inRect = s.r.outRect = {0, 0, 0, 0};
    ASSERT_EQ(s.r.advanceState(), 0);
    EXPECT_EQ(s.r.inData, nullptr);
    EXPECT_EQ(s.r.outData, nullptr);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            const bool written = y >= 2 && y < 6 && x >= 3 && x < 8;
            for (int32_t p = 0; p < 3; ++p)
                ASSERT_EQ(s.host.working.at(x, y, p),
                          written ? (x - 3) * 1000 + (y - 2) * 100 + p : image.at(x, y, p))
                    << x << "," << y;
        }
}

TEST(AdvanceState, PreviewOutputAndOutOfRangeSamplesNeverReachTheDocument) {
    const HostImage image = Pattern(12, 10, 3, 16);
    Session s(image);
    s.r.inRect = s.r.outRect = {0, 0, 5, 6};
    s.r.inHiPlane = s.r.outHiPlane = 2;
    s.r.inputRate = 2 << 16;
    ASSERT_EQ(s.r.advanceState(), 0);
    memset(s.r.outData, 0, size_t(s.r.outRowBytes) * 5);
    s.r.inputRate = 1 << 16;
    s.r.inRect = s.r.outRect = {0, 0, 1, 1};
    ASSERT_EQ(s.r.advanceState(), 0);
    EXPECT_EQ(s.host.working.samples, image.samples);

    const uint16_t tooBright = 40000;
    memcpy(s.r.outData, &tooBright, 2);
    s.r.inRect = s.r.outRect = {0, 0, 0, 0};
    ASSERT_EQ(s.r.advanceState(), 0);
    EXPECT_EQ(s.host.working.at(0, 0, 0), kHostMax16);
    EXPECT_EQ(s.host.log.outOfRangeSamples, 1);
}

// Requests of several megabytes are copied in bands on the host's helper threads, which, like
// the buffers, serve one request after the other (and every case's session): every band
// arrives and goes back, at both depths and with a plane subset that takes the
// sample-by-sample way.
TEST(AdvanceState, LargeRequestsArriveAndGoBackWhole) {
    struct Case {
        int32_t depth, planes;
        int16_t loPlane, hiPlane;
    };
    for (const Case& c : {Case{8, 3, 0, 2}, Case{16, 3, 0, 2}, Case{16, 4, 1, 2}}) {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth << " planes " << c.planes << " from "
                                        << c.loPlane << " to " << c.hiPlane);
        const int32_t width = 1700, height = 1000;  // over 5 MB at 8 bits
        const HostImage image = Pattern(width, height, c.planes, c.depth);
        Session s(image);
        const int32_t sampleBytes = c.depth / 8;
        const int32_t planes = c.hiPlane - c.loPlane + 1;
        // What round r writes at (x, y) of the document in delivered plane p: every 1000th
        // 16-bit sample is too bright and comes back clamped.
        auto written = [&](int32_t round, int32_t x, int32_t y, int32_t p) {
            const int64_t n = (int64_t(y - round) * width + x) * planes + p;
            if (c.depth == 8) return int32_t((n * 7 + round) % 256);
            return n % 1000 == 0 ? 40000 : int32_t((n * 7 + round) % 32769);
        };
        int64_t clamped = 0;
        // Round 1 starts a row lower, over what round 0 wrote.
        for (int32_t round = 0; round < 2; ++round) {
            s.r.inRect = s.r.outRect = {int16_t(round), 0, int16_t(height), int16_t(width)};
            s.r.inLoPlane = s.r.outLoPlane = c.loPlane;
            s.r.inHiPlane = s.r.outHiPlane = c.hiPlane;
            ASSERT_EQ(s.r.advanceState(), 0);
            int64_t wrong = 0;
            for (int32_t y = round; y < height; ++y)
                for (int32_t x = 0; x < width; ++x)
                    for (int32_t p = 0; p < planes; ++p) {
                        const int32_t plane = c.loPlane + p;
                        int32_t document = image.at(x, y, plane);
                        if (round == 1) document = std::min(written(0, x, y, p), kHostMax16);
                        wrong +=
                            SampleAt(s.r.inData, s.r.inRowBytes, x, y - round, s.r.inColumnBytes, p,
                                     sampleBytes) != image.at(x, y, plane);
                        wrong += SampleAt(s.r.outData, s.r.outRowBytes, x, y - round,
                                          s.r.outColumnBytes, p, sampleBytes) != document;
                    }
            EXPECT_EQ(wrong, 0) << "round " << round;
            for (int32_t y = round; y < height; ++y)
                for (int32_t x = 0; x < width; ++x)
                    for (int32_t p = 0; p < planes; ++p) {
                        const int32_t value = written(round, x, y, p);
                        clamped += value > kHostMax16;
                        uint8_t* at = static_cast<uint8_t*>(s.r.outData) +
                                      int64_t(y - round) * s.r.outRowBytes +
                                      (x * planes + p) * sampleBytes;
                        if (sampleBytes == 1) {
                            *at = uint8_t(value);
                        } else {
                            const uint16_t sample = uint16_t(value);
                            memcpy(at, &sample, 2);
                        }
                    }
        }
        s.r.inRect = s.r.outRect = {0, 0, 0, 0};
        ASSERT_EQ(s.r.advanceState(), 0);
        int64_t wrong = 0;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                for (int32_t plane = 0; plane < c.planes; ++plane) {
                    const int32_t p = plane - c.loPlane;
                    int32_t expected = image.at(x, y, plane);
                    if (p >= 0 && p < planes)
                        expected = std::min(written(y == 0 ? 0 : 1, x, y, p), kHostMax16);
                    wrong += s.host.working.at(x, y, plane) != expected;
                }
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(clamped, c.depth == 8 ? -1 : 1000);
        EXPECT_EQ(s.host.log.outOfRangeSamples, clamped);
    }
}

TEST(AdvanceState, MaskComesFromTheSelectionAtTheMaskRate) {
    HostImage image = Pattern(16, 12, 3, 8);
    Session s(image);
    std::vector<uint8_t> selection(16 * 12);
    for (size_t i = 0; i < selection.size(); ++i) selection[i] = uint8_t(i * 5);
    HostSetSelection(s.host, selection);
    HostBeginRun(s.host);
    EXPECT_EQ(s.r.haveMask, 1);
    EXPECT_EQ(s.r.filterCase, 2);
    s.r.maskRect = {1, 2, 5, 7};
    s.r.maskRate = 2 << 16;
    s.r.maskPadding = 0;
    ASSERT_EQ(s.r.advanceState(), 0);
    ASSERT_NE(s.r.maskData, nullptr);
    for (int32_t y = 1; y < 5; ++y)
        for (int32_t x = 2; x < 7; ++x) {
            const int32_t sx = x * 2, sy = y * 2;
            const int32_t expected = sy < 12 ? selection[size_t(sy) * 16 + sx] : 0;
            EXPECT_EQ(static_cast<uint8_t*>(s.r.maskData)[(y - 1) * s.r.maskRowBytes + x - 2],
                      expected)
                << x << "," << y;
        }

    Session unselected(image);
    unselected.r.maskRect = {0, 0, 4, 4};
    ASSERT_EQ(unselected.r.advanceState(), 0);
    EXPECT_EQ(unselected.r.maskData, nullptr);
}

TEST(AdvanceState, TransparentPixelsAreZappedAsTheFilterCaseAsks) {
    HostImage image = Pattern(8, 8, 4, 8);
    image.at(2, 3, 3) = 0;  // fully transparent
    Session s(image);
    s.host.pipl.haveFilterCases = true;
    s.host.pipl.filterCases[3] = {10, 1, 1, 0};  // editable transparency: background zap
    s.host.options.background = {0xFFFF, 0x8080, 0};
    HostBeginRun(s.host);
    EXPECT_EQ(s.r.filterCase, 4);
    s.r.inRect = {0, 0, 8, 8};
    s.r.inHiPlane = 3;
    ASSERT_EQ(s.r.advanceState(), 0);
    const int32_t columnBytes = s.r.inColumnBytes;
    EXPECT_EQ(SampleAt(s.r.inData, s.r.inRowBytes, 2, 3, columnBytes, 0, 1), 255);
    EXPECT_EQ(SampleAt(s.r.inData, s.r.inRowBytes, 2, 3, columnBytes, 1, 1), 128);
    EXPECT_EQ(SampleAt(s.r.inData, s.r.inRowBytes, 2, 3, columnBytes, 2, 1), 0);
    EXPECT_EQ(SampleAt(s.r.inData, s.r.inRowBytes, 2, 3, columnBytes, 3, 1), 0);
    EXPECT_EQ(SampleAt(s.r.inData, s.r.inRowBytes, 3, 3, columnBytes, 0, 1), image.at(3, 3, 0));
}

TEST(HostRun, ResultKeepsTheSourceOutsideTheFilterRectAndBlendsBySelection) {
    HostImage source = HostImageMake(4, 1, 3, 8);
    for (int32_t x = 0; x < 4; ++x)
        for (int32_t c = 0; c < 3; ++c) source.at(x, 0, c) = 0;
    HostSession host;
    ASSERT_TRUE(HostSetImage(host, source));
    HostSetSelection(host, {0, 128, 255, 255});
    HostSetFilterRect(host, {0, 0, 1, 3});
    HostBeginRun(host);
    for (int32_t x = 0; x < 4; ++x)
        for (int32_t c = 0; c < 3; ++c) host.working.at(x, 0, c) = 255;
    std::vector<uint8_t> expected = {0, 128, 255, 0};  // last pixel: outside the rectangle
    HostImage result = HostComposeResult(host);
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(result.at(x, 0, 1), expected[x]) << x;

    host.record.autoMask = 0;  // the plug-in applies the selection itself
    result = HostComposeResult(host);
    EXPECT_EQ(result.at(0, 0, 1), 255);
    EXPECT_EQ(result.at(3, 0, 1), 0);
}
}  // namespace

// Pixel delivery: the input, output and mask buffers for the rectangles the plug-in asks for
// (advanceState, or the rectangles left in the record before "continue"), and writing the
// output back into the document.
//
// Input and mask rectangles are in the coordinates of the image scaled down by the integer
// part of inputRate and maskRate: scaled pixel (x, y) is image pixel (x * rate, y * rate).
// The output rectangle is always in image coordinates. Samples are interleaved by plane,
// 1 byte (8-bit) or 2 bytes (16-bit, 0..32768) each; masks are 1 byte per pixel.

#include <cstring>

#include "tools/testhost/host_internal.h"

namespace {
// What a plug-in that asked for no padding finds outside the image.
constexpr uint8_t kUnpaddedFill = 0xA5;

enum BufferKind { BUFFER_INPUT, BUFFER_OUTPUT, BUFFER_MASK };

int32_t ZapColorSample(const HostSession& session, int32_t plane, uint8_t handling) {
    const FilterRecord& r = session.record;
    const int32_t max = session.source.depth == 16 ? kHostMax16 : 255;
    auto fromColor = [&](const HostRGBColor& color) {
        uint16_t value = plane == 0 ? color.red : plane == 1 ? color.green : color.blue;
        return int32_t((uint32_t(value) * max + 32767) / 65535);
    };
    switch (handling) {
        case 6:
            return 0;  // black
        case 7:
            return (max + 1) / 2;  // grey
        case 8:
            return max;  // white
        case 10:
            return fromColor(r.background);  // background colour
        case 11:
            return fromColor(r.foreground);  // foreground colour
    }
    return -1;
}

// The input handling of the run's filter case when it replaces the colour of fully
// transparent pixels, else 0.
uint8_t ZapHandling(const HostSession& session) {
    const FilterRecord& r = session.record;
    if (session.source.planes < 4 || !session.pipl.haveFilterCases || r.filterCase < 3) return 0;
    uint8_t handling = session.pipl.filterCases[r.filterCase - 1].inputHandling;
    return (handling >= 6 && handling <= 8) || handling == 10 || handling == 11 ? handling : 0;
}

void StoreSample(uint8_t* at, int32_t bytes, int32_t value) {
    if (bytes == 1) {
        *at = uint8_t(value);
    } else {
        uint16_t sample = uint16_t(value);
        memcpy(at, &sample, 2);
    }
}

int32_t LoadSample(const uint8_t* at, int32_t bytes) {
    if (bytes == 1) return *at;
    uint16_t sample;
    memcpy(&sample, at, 2);
    return sample;
}

OSErr Fetch(HostSession& session, BufferKind kind, DeliveredBuffer& buffer, const HostRect& rect,
            int16_t loPlane, int16_t hiPlane, Fixed rateFixed, int16_t padding) {
    buffer = DeliveredBuffer();
    if (HostRectEmpty(rect)) return 0;
    const HostImage& image = kind == BUFFER_OUTPUT ? session.working : session.source;
    if (kind == BUFFER_MASK && session.selection.empty()) return 0;  // no mask to give
    const int32_t rate = kind == BUFFER_OUTPUT ? 1 : rateFixed >> 16;
    if (rate < 1) return HOST_BAD_PARAMETERS;
    if (kind != BUFFER_MASK && (loPlane < 0 || hiPlane < loPlane || hiPlane >= image.planes))
        return HOST_BAD_PARAMETERS;
    const int32_t sampleBytes = kind == BUFFER_MASK ? 1 : image.depth / 8;
    const int32_t planes = kind == BUFFER_MASK ? 1 : hiPlane - loPlane + 1;
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    int32_t padBytes = session.options.rowPaddingBytes;
    padBytes = (padBytes + sampleBytes - 1) / sampleBytes * sampleBytes;
    const int64_t rowBytes = int64_t(width) * planes * sampleBytes + padBytes;
    if (rowBytes * height > session.options.maxRequestBytes) return HOST_OUT_OF_MEMORY;

    buffer.bytes.assign(size_t(rowBytes * height), padding == -2 ? kUnpaddedFill : 0);
    buffer.rect = rect;
    buffer.rowBytes = int32_t(rowBytes);
    buffer.loPlane = kind == BUFFER_MASK ? 0 : loPlane;
    buffer.hiPlane = kind == BUFFER_MASK ? 0 : hiPlane;
    buffer.rate = rate;
    const int32_t max = image.depth == 16 && kind != BUFFER_MASK ? kHostMax16 : 255;
    const int32_t padValue =
        padding >= 0 ? (max == 255 ? padding : HostSample8To16(uint16_t(padding))) : 0;
    const uint8_t zap = kind == BUFFER_INPUT ? ZapHandling(session) : 0;

    for (int32_t row = 0; row < height; ++row) {
        uint8_t* line = buffer.bytes.data() + row * rowBytes;
        for (int32_t column = 0; column < width; ++column) {
            int64_t x = int64_t(rect.left + column) * rate;
            int64_t y = int64_t(rect.top + row) * rate;
            const bool inside = x >= 0 && y >= 0 && x < image.width && y < image.height;
            if (!inside) {
                if (padding == -3) return HOST_BAD_PARAMETERS;
                if (padding == -2) continue;
                if (padding >= 0) {
                    for (int32_t p = 0; p < planes; ++p)
                        StoreSample(line + (column * planes + p) * sampleBytes, sampleBytes,
                                    padValue);
                    continue;
                }
                // Edge replication.
                x = x < 0 ? 0 : x >= image.width ? image.width - 1 : x;
                y = y < 0 ? 0 : y >= image.height ? image.height - 1 : y;
            }
            uint8_t* pixel = line + column * planes * sampleBytes;
            if (kind == BUFFER_MASK) {
                *pixel = session.selection[size_t(y) * image.width + x];
                continue;
            }
            const bool transparent = zap && image.at(int32_t(x), int32_t(y), 3) == 0;
            for (int32_t p = 0; p < planes; ++p) {
                const int32_t plane = loPlane + p;
                int32_t value = image.at(int32_t(x), int32_t(y), plane);
                if (transparent && plane < 3) value = ZapColorSample(session, plane, zap);
                StoreSample(pixel + p * sampleBytes, sampleBytes, value);
            }
        }
    }
    return 0;
}

void PublishBuffers(HostSession& session) {
    FilterRecord& r = session.record;
    const int32_t sampleBytes = session.source.depth / 8;
    auto data = [](DeliveredBuffer& buffer) -> void* {
        return buffer.bytes.empty() ? nullptr : buffer.bytes.data();
    };
    r.inData = data(session.inBuffer);
    r.inRowBytes = session.inBuffer.rowBytes;
    r.outData = data(session.outBuffer);
    r.outRowBytes = session.outBuffer.rowBytes;
    r.maskData = data(session.maskBuffer);
    r.maskRowBytes = session.maskBuffer.rowBytes;
    r.inPlaneBytes = r.outPlaneBytes = sampleBytes;
    r.inColumnBytes = (session.inBuffer.hiPlane - session.inBuffer.loPlane + 1) * sampleBytes;
    r.outColumnBytes = (session.outBuffer.hiPlane - session.outBuffer.loPlane + 1) * sampleBytes;
}

void CommitOutput(HostSession& session) {
    DeliveredBuffer& buffer = session.outBuffer;
    if (buffer.bytes.empty() || buffer.preview) return;
    HostImage& image = session.working;
    const int32_t sampleBytes = image.depth / 8;
    const int32_t planes = buffer.hiPlane - buffer.loPlane + 1;
    const int32_t max = image.depth == 16 ? kHostMax16 : 255;
    const HostRect& rect = buffer.rect;
    for (int32_t y = rect.top < 0 ? 0 : rect.top; y < rect.bottom && y < image.height; ++y) {
        const uint8_t* line = buffer.bytes.data() + size_t(y - rect.top) * buffer.rowBytes;
        for (int32_t x = rect.left < 0 ? 0 : rect.left; x < rect.right && x < image.width; ++x)
            for (int32_t p = 0; p < planes; ++p) {
                int32_t value =
                    LoadSample(line + ((x - rect.left) * planes + p) * sampleBytes, sampleBytes);
                if (value > max) {
                    ++session.log.outOfRangeSamples;
                    value = max;
                }
                image.at(x, y, buffer.loPlane + p) = uint16_t(value);
            }
    }
    buffer.bytes.clear();
}
}  // namespace

OSErr HostDeliverRects(HostSession& session) {
    FilterRecord& r = session.record;
    CommitOutput(session);
    AdvanceRequest request = {r.inRect,    r.outRect,      r.maskRect,      r.inLoPlane,
                              r.inHiPlane, r.outLoPlane,   r.outHiPlane,    r.inputRate,
                              r.maskRate,  r.inputPadding, r.outputPadding, r.maskPadding,
                              0,           false};
    OSErr result = Fetch(session, BUFFER_INPUT, session.inBuffer, r.inRect, r.inLoPlane,
                         r.inHiPlane, r.inputRate, r.inputPadding);
    if (result == 0)
        result = Fetch(session, BUFFER_OUTPUT, session.outBuffer, r.outRect, r.outLoPlane,
                       r.outHiPlane, 1 << 16, r.outputPadding);
    if (result == 0)
        result = Fetch(session, BUFFER_MASK, session.maskBuffer, r.maskRect, 0, 0, r.maskRate,
                       r.maskPadding);
    // Output of requests at a reduced input rate is a preview: it never reaches the document.
    session.outBuffer.preview = r.inputRate != (1 << 16);
    if (result != 0) {
        session.inBuffer = DeliveredBuffer();
        session.outBuffer = DeliveredBuffer();
        session.maskBuffer = DeliveredBuffer();
    }
    PublishBuffers(session);
    request.result = result;
    session.log.advances.push_back(request);
    return result;
}

OSErr HOSTAPI HostAdvanceStateProc() {
    HostSession* session = gHostSession;
    if (!session) return HOST_BAD_PARAMETERS;
    HostMaybeFault(*session, CALLBACK_ADVANCE_STATE, ++session->advanceCalls);
    OSErr result = HostDeliverRects(*session);
    session->log.advances.back().viaAdvanceState = true;
    return result;
}

void HostCommitAndRelease(HostSession& session) {
    CommitOutput(session);
    session.inBuffer = DeliveredBuffer();
    session.outBuffer = DeliveredBuffer();
    session.maskBuffer = DeliveredBuffer();
    PublishBuffers(session);
}

HostImage HostComposeResult(const HostSession& session) {
    HostImage result = session.source;
    const HostImage& working = session.working;
    const FilterRecord& r = session.record;
    const bool masked = !session.selection.empty() && r.autoMask;
    const bool keepAlpha = result.planes == 4 && (r.filterCase == 6 || r.filterCase == 7);
    for (int32_t y = r.filterRect.top < 0 ? 0 : r.filterRect.top;
         y < r.filterRect.bottom && y < result.height; ++y)
        for (int32_t x = r.filterRect.left < 0 ? 0 : r.filterRect.left;
             x < r.filterRect.right && x < result.width; ++x) {
            const int32_t weight = masked ? session.selection[size_t(y) * result.width + x] : 255;
            for (int32_t p = 0; p < result.planes; ++p) {
                if (keepAlpha && p == 3) continue;
                const int32_t before = result.at(x, y, p);
                const int32_t after = working.at(x, y, p);
                result.at(x, y, p) =
                    uint16_t((before * (255 - weight) + after * weight + 127) / 255);
            }
        }
    return result;
}

// Pixel delivery: the input, output and mask buffers for the rectangles the plug-in asks for
// (advanceState, or the rectangles left in the record before "continue"), and writing the
// output back into the document.
//
// Input and mask rectangles are in the coordinates of the image scaled down by the integer
// part of inputRate and maskRate: scaled pixel (x, y) is image pixel (x * rate, y * rate).
// The output rectangle is always in image coordinates. Samples are interleaved by plane,
// 1 byte (8-bit) or 2 bytes (16-bit, 0..32768) each; masks are 1 byte per pixel.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "tools/testhost/host_internal.h"

namespace {
// What a plug-in that asked for no padding finds outside the image.
constexpr uint8_t kUnpaddedFill = 0xA5;

enum BufferKind { BUFFER_INPUT, BUFFER_OUTPUT, BUFFER_MASK };

// Large copies of whole rows are split into bands of rows, one thread each. Memory bandwidth
// bounds them, not the processor, and a few threads take most of what it gives; copies below
// a few megabytes stay on the calling thread, where waking a thread costs more than it saves.
constexpr int32_t kCopyThreads = 4;
constexpr int64_t kThreadedCopyBytes = 4 << 20;

// The helper threads of the copies: made at the first large copy and kept, asleep, for the
// rest of the process. A thread made for each copy cost a trip through the system every time,
// and under Wine the making waits while the plug-in frees memory (both take the process's
// memory lock): a plug-in that frees its work blocks while the host writes its output back
// would have slowed the host's write-back.
struct CopyHelpers {
    std::mutex run;  // one copy at a time on the helpers
    std::mutex mutex;
    std::condition_variable wake, done;
    uint64_t generation = 0;  // one more for every copy; written under mutex
    int32_t helpers = 0;      // helpers that take part in the copy under way, 1..helpers
    int32_t pending = 0;      // of those, the ones still copying
    const std::function<void(int32_t)>* band = nullptr;  // the copy's band routine
    int32_t made = 0;                                    // helper threads made; written under run
};

// Never destroyed: the helpers wait on it until the process ends.
CopyHelpers& TheCopyHelpers() {
    static CopyHelpers* helpers = new CopyHelpers;
    return *helpers;
}

void CopyHelperLoop(int32_t index) {
    CopyHelpers& h = TheCopyHelpers();
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(h.mutex);
    for (;;) {
        h.wake.wait(lock, [&] { return h.generation != seen; });
        seen = h.generation;
        if (index > h.helpers) continue;
        const std::function<void(int32_t)>& band = *h.band;
        lock.unlock();
        band(index);
        lock.lock();
        if (--h.pending == 0) h.done.notify_all();
    }
}

// Runs band(0 .. bands - 1), band 0 on the caller and the others on the helpers (or on the
// caller where a helper could not be made); returns when all are done.
void RunBands(int32_t bands, const std::function<void(int32_t)>& band) {
    CopyHelpers& h = TheCopyHelpers();
    std::lock_guard<std::mutex> running(h.run);
    while (h.made < bands - 1) {
        try {
            std::thread(CopyHelperLoop, h.made + 1).detach();
            ++h.made;
        } catch (const std::system_error&) {
            break;
        }
    }
    const int32_t helpers = std::min(h.made, bands - 1);
    {
        std::lock_guard<std::mutex> lock(h.mutex);
        h.band = &band;
        h.helpers = helpers;
        h.pending = helpers;
        ++h.generation;
    }
    h.wake.notify_all();
    for (int32_t b = helpers + 1; b < bands; ++b) band(b);
    band(0);
    std::unique_lock<std::mutex> lock(h.mutex);
    h.done.wait(lock, [&] { return h.pending == 0; });
}

// Runs of samples between the document (16-bit words at both depths) and delivered buffers.
// Plain functions of their arguments: in a loop that reads the count through a reference,
// every byte stored could change it, and the loop would not be vectorised.
void NarrowSamples(uint8_t* to, const uint16_t* from, size_t count) {
    for (size_t i = 0; i < count; ++i) to[i] = uint8_t(from[i]);
}

void WidenSamples(uint16_t* to, const uint8_t* from, size_t count) {
    for (size_t i = 0; i < count; ++i) to[i] = from[i];
}

// 16-bit samples above max are stored as max; returns how many there were.
int64_t StoreClampedSamples(uint16_t* to, const uint8_t* from, size_t count, uint16_t max) {
    int64_t clamped = 0;
    for (size_t i = 0; i < count; ++i) {
        uint16_t value;
        memcpy(&value, from + 2 * i, 2);
        clamped += value > max;
        to[i] = value > max ? max : value;
    }
    return clamped;
}

// Calls copyRows(first, end) for bands that together make rows 0..rows-1, in parallel.
template <typename CopyRows>
void CopyInBands(int32_t rows, int64_t bytes, const CopyRows& copyRows) {
    const int32_t bands = bytes < kThreadedCopyBytes ? 1 : std::min(kCopyThreads, rows);
    auto bandStart = [&](int32_t band) { return int32_t(int64_t(rows) * band / bands); };
    if (bands <= 1) {
        if (bands == 1) copyRows(0, rows);
        return;
    }
    RunBands(bands, [&](int32_t band) { copyRows(bandStart(band), bandStart(band + 1)); });
}

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

// Takes the buffer away from the plug-in; its storage is kept for the next request.
void WithdrawBuffer(DeliveredBuffer& buffer) {
    auto storage = std::move(buffer.bytes);
    storage.clear();
    buffer = DeliveredBuffer();
    buffer.bytes = std::move(storage);
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
    WithdrawBuffer(buffer);
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

    const int32_t fill = kind == BUFFER_OUTPUT ? session.options.outputFill : -1;
    const uint8_t zap = kind == BUFFER_INPUT ? ZapHandling(session) : 0;
    // Unpadded rows of all planes at full rate, inside the image and without replaced
    // colours are runs of the document's samples: copied row by row, every byte written.
    const bool direct = kind != BUFFER_MASK && rate == 1 && padBytes == 0 && zap == 0 &&
                        loPlane == 0 && planes == image.planes && rect.left >= 0 && rect.top >= 0 &&
                        rect.right <= image.width && rect.bottom <= image.height;
    if (fill >= 0)
        buffer.bytes.assign(size_t(rowBytes * height), uint8_t(fill));
    else if (direct)
        buffer.bytes.resize(size_t(rowBytes * height));
    else
        buffer.bytes.assign(size_t(rowBytes * height), padding == -2 ? kUnpaddedFill : 0);
    buffer.rect = rect;
    buffer.rowBytes = int32_t(rowBytes);
    buffer.loPlane = kind == BUFFER_MASK ? 0 : loPlane;
    buffer.hiPlane = kind == BUFFER_MASK ? 0 : hiPlane;
    buffer.rate = rate;
    const int32_t max = image.depth == 16 && kind != BUFFER_MASK ? kHostMax16 : 255;
    const int32_t padValue =
        padding >= 0 ? (max == 255 ? padding : HostSample8To16(uint16_t(padding))) : 0;
    if (fill >= 0) return 0;
    if (direct) {
        const size_t samples = size_t(width) * planes;
        CopyInBands(height, rowBytes * height, [&](int32_t first, int32_t end) {
            for (int32_t row = first; row < end; ++row) {
                const uint16_t* from =
                    &image.samples[(size_t(rect.top + row) * image.width + size_t(rect.left)) *
                                   image.planes];
                uint8_t* line = buffer.bytes.data() + row * rowBytes;
                if (sampleBytes == 2)
                    memcpy(line, from, samples * 2);
                else
                    NarrowSamples(line, from, samples);
            }
        });
        return 0;
    }

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
    if (buffer.loPlane == 0 && planes == image.planes) {
        // All planes: each row's part inside the image is one run of samples.
        const int32_t left = rect.left < 0 ? 0 : rect.left;
        const int32_t right = rect.right < image.width ? rect.right : image.width;
        const size_t samples = right > left ? size_t(right - left) * planes : 0;
        const int32_t top = rect.top < 0 ? 0 : rect.top;
        const int32_t rows = std::max(std::min<int32_t>(rect.bottom, image.height) - top, 0);
        std::atomic<int64_t> outOfRange{0};
        CopyInBands(rows, int64_t(rows) * samples * sampleBytes, [&](int32_t first, int32_t end) {
            int64_t clamped = 0;
            for (int32_t y = top + first; y < top + end; ++y) {
                const uint8_t* line = buffer.bytes.data() + size_t(y - rect.top) * buffer.rowBytes +
                                      size_t(left - rect.left) * planes * sampleBytes;
                uint16_t* to = &image.samples[(size_t(y) * image.width + size_t(left)) * planes];
                if (sampleBytes == 1)
                    WidenSamples(to, line, samples);
                else
                    clamped += StoreClampedSamples(to, line, samples, uint16_t(max));
            }
            outOfRange += clamped;
        });
        session.log.outOfRangeSamples += outOfRange.load();
        buffer.bytes.clear();
        return;
    }
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
        WithdrawBuffer(session.inBuffer);
        WithdrawBuffer(session.outBuffer);
        WithdrawBuffer(session.maskBuffer);
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
    WithdrawBuffer(session.inBuffer);
    WithdrawBuffer(session.outBuffer);
    WithdrawBuffer(session.maskBuffer);
    PublishBuffers(session);
}

HostImage HostComposeResult(const HostSession& session) {
    HostImage result = session.source;
    const HostImage& working = session.working;
    const FilterRecord& r = session.record;
    const bool masked = !session.selection.empty() && r.autoMask;
    const bool keepAlpha = result.planes == 4 && (r.filterCase == 6 || r.filterCase == 7);
    if (!masked && !keepAlpha) {
        // Every pixel of the rectangle is the working image's: its rows are copied whole.
        const int32_t left = std::max<int32_t>(r.filterRect.left, 0);
        const int32_t right = std::min<int32_t>(r.filterRect.right, result.width);
        for (int32_t y = std::max<int32_t>(r.filterRect.top, 0);
             y < r.filterRect.bottom && y < result.height && left < right; ++y) {
            const size_t first = (size_t(y) * result.width + size_t(left)) * result.planes;
            memcpy(&result.samples[first], &working.samples[first],
                   size_t(right - left) * result.planes * sizeof(uint16_t));
        }
        return result;
    }
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

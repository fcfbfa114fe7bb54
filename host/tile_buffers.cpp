// Tile buffers 1..4: allocation for one rectangle, release, and the put and get routines of
// both bit depths.

#include "host/tile_buffers.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "host/message_boxes.h"
#include "host/effect_context.h"
#include "host/host_services.h"
#include "host/plugin_data.h"
#include "host/system_calls.h"

TileBuffer gTileBuffers[kTileBufferCount];

namespace {
constexpr int kSpareElements = 3;
constexpr int32_t kMax8 = 255;
constexpr int32_t kMax16 = 32768;

const char* const kAllocationMessages[kTileBufferCount] = {
    "Could not allocate a tile buffer (%lld bytes).",
    "Could not allocate tile buffer 2 (%lld bytes).",
    "Could not allocate tile buffer 3 (%lld bytes).",
    "Could not allocate tile buffer 4 (%lld bytes).",
};
const char* const kMissingMessages[kTileBufferCount] = {"No tile buffer!", "No tile buffer 2!",
                                                        "No tile buffer 3!", "No tile buffer 4!"};

const BufferProcs* HostBuffers() {
    const BufferProcs* suite = gDataBlock && gStuff ? gStuff->bufferProcs : nullptr;
    return BufferSuiteAvailable(suite, nullptr) ? suite : nullptr;
}

// One attempt: the host's buffer first, the heap when the host refuses or has none.
bool TryAllocateTileBuffer(int index, int64_t elements, int32_t elementBytes) {
    const int64_t bytes = elements * elementBytes;
    if (const BufferProcs* suite = HostBuffers(); suite && bytes <= INT32_MAX) {
        void* id = nullptr;
        if (HostAllocateBuffer(suite, int32_t(bytes), &id) == 0) {
            if (void* data = HostLockBuffer(suite, id, true)) {
                gContext.tileBuffers[index] = data;
                gContext.tileBufferIds[index] = id;
                gTileBuffers[index].hostBuffer = true;
                return true;
            }
            HostFreeBuffer(suite, id);
        }
    }
    if (uint64_t(bytes) > SIZE_MAX) return false;
    void* data = gSystem.allocateZeroed(size_t(elements), size_t(elementBytes));
    if (!data) return false;
    gContext.tileBuffers[index] = data;
    gContext.tileBufferIds[index] = nullptr;
    gTileBuffers[index].hostBuffer = false;
    return true;
}

// The buffer's element (x, y, channel) when the buffer exists and the indices are inside;
// null otherwise. The missing-buffer message is shown here.
template <typename Sample>
Sample* TileElement(int index, int32_t x, int32_t y, int32_t channel, bool clampXY) {
    auto* data = static_cast<Sample*>(gContext.tileBuffers[index]);
    if (!data) {
        ShowErrorMessage("%s", kMissingMessages[index]);
        return nullptr;
    }
    const TileBuffer& buffer = gTileBuffers[index];
    if (channel < 0 || channel >= buffer.planes) return nullptr;
    if (clampXY) {
        x = std::clamp(x, 0, buffer.width - 1);
        y = std::clamp(y, 0, buffer.height - 1);
    } else if (x < 0 || x >= buffer.width || y < 0 || y >= buffer.height) {
        return nullptr;
    }
    return data + TileElementIndex(buffer.width, buffer.planes, x, y, channel);
}

template <typename Sample, int32_t Max>
int32_t PutTilePixel(int index, int32_t x, int32_t y, int32_t channel, int32_t value) {
    if (!gContext.tileBuffers[index]) {
        ShowErrorMessage("%s", kMissingMessages[index]);
        return 0;
    }
    const int32_t clamped = std::clamp(value, 0, Max);
    if (Sample* element = TileElement<Sample>(index, x, y, channel, false))
        *element = Sample(clamped);
    return clamped;
}

template <typename Sample>
int32_t GetTilePixel(int index, int32_t x, int32_t y, int32_t channel) {
    const Sample* element = TileElement<Sample>(index, x, y, channel, true);
    return element ? *element : 0;
}
}  // namespace

bool AllocateTileBuffers() {
    const int32_t elementBytes = IsSixteenBitMode(gContext.imageMode) ? 2 : 1;
    const int64_t pixels = int64_t(std::max(gContext.X, 0)) * std::max(gContext.Y, 0);
    const int64_t elements = pixels * std::max(gContext.Z, 0);
    for (int index = 0; index < kTileBufferCount; ++index) {
        if (!gContext.frameworkSettings[3 + index]) continue;
        gTileBuffers[index] = {gContext.X, gContext.Y, gContext.Z, elementBytes, false};
        while (!TryAllocateTileBuffer(index, elements + kSpareElements, elementBytes)) {
            int pressed = ShowRetryMessage(kAllocationMessages[index],
                                           static_cast<long long>(elements * elementBytes));
            if (pressed == IDRETRY) continue;
            if (pressed == IDIGNORE) break;
            SetResult(HOST_OUT_OF_MEMORY);
            return false;
        }
    }
    return true;
}

void FreeTileBuffers() {
    const BufferProcs* suite = HostBuffers();
    for (int index = 0; index < kTileBufferCount; ++index) {
        void* data = gContext.tileBuffers[index];
        if (data && gTileBuffers[index].hostBuffer) {
            if (suite) {
                HostUnlockBuffer(suite, gContext.tileBufferIds[index]);
                HostFreeBuffer(suite, gContext.tileBufferIds[index]);
            }
        } else if (data) {
            gSystem.release(data);
        }
        gContext.tileBuffers[index] = nullptr;
        gContext.tileBufferIds[index] = nullptr;
        gTileBuffers[index] = TileBuffer{};
    }
}

void ResetTileBuffers() {
    for (int index = 0; index < kTileBufferCount; ++index) {
        if (gContext.tileBuffers[index] && !gTileBuffers[index].hostBuffer)
            gSystem.release(gContext.tileBuffers[index]);
        gContext.tileBuffers[index] = nullptr;
        gContext.tileBufferIds[index] = nullptr;
        gTileBuffers[index] = TileBuffer{};
    }
}

int32_t PutTile1Pixel8(int32_t x, int32_t y, int32_t c, int32_t v) {
    return PutTilePixel<uint8_t, kMax8>(0, x, y, c, v);
}
int32_t PutTile2Pixel8(int32_t x, int32_t y, int32_t c, int32_t v) {
    return PutTilePixel<uint8_t, kMax8>(1, x, y, c, v);
}
int32_t PutTile3Pixel8(int32_t x, int32_t y, int32_t c, int32_t v) {
    return PutTilePixel<uint8_t, kMax8>(2, x, y, c, v);
}
int32_t PutTile4Pixel8(int32_t x, int32_t y, int32_t c, int32_t v) {
    return PutTilePixel<uint8_t, kMax8>(3, x, y, c, v);
}
int32_t PutTile1Pixel16(int32_t x, int32_t y, int32_t c, int32_t v) {
    return PutTilePixel<uint16_t, kMax16>(0, x, y, c, v);
}
int32_t PutTile2Pixel16(int32_t x, int32_t y, int32_t c, int32_t v) {
    return PutTilePixel<uint16_t, kMax16>(1, x, y, c, v);
}
int32_t PutTile3Pixel16(int32_t x, int32_t y, int32_t c, int32_t v) {
    return PutTilePixel<uint16_t, kMax16>(2, x, y, c, v);
}
int32_t PutTile4Pixel16(int32_t x, int32_t y, int32_t c, int32_t v) {
    return PutTilePixel<uint16_t, kMax16>(3, x, y, c, v);
}
int32_t GetTile1Pixel8(int32_t x, int32_t y, int32_t c) {
    return GetTilePixel<uint8_t>(0, x, y, c);
}
int32_t GetTile2Pixel8(int32_t x, int32_t y, int32_t c) {
    return GetTilePixel<uint8_t>(1, x, y, c);
}
int32_t GetTile3Pixel8(int32_t x, int32_t y, int32_t c) {
    return GetTilePixel<uint8_t>(2, x, y, c);
}
int32_t GetTile4Pixel8(int32_t x, int32_t y, int32_t c) {
    return GetTilePixel<uint8_t>(3, x, y, c);
}
int32_t GetTile1Pixel16(int32_t x, int32_t y, int32_t c) {
    return GetTilePixel<uint16_t>(0, x, y, c);
}
int32_t GetTile2Pixel16(int32_t x, int32_t y, int32_t c) {
    return GetTilePixel<uint16_t>(1, x, y, c);
}
int32_t GetTile3Pixel16(int32_t x, int32_t y, int32_t c) {
    return GetTilePixel<uint16_t>(2, x, y, c);
}
int32_t GetTile4Pixel16(int32_t x, int32_t y, int32_t c) {
    return GetTilePixel<uint16_t>(3, x, y, c);
}

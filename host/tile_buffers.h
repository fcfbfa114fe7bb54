// The four tile buffers: work images over the whole filter rectangle at the current proxy
// scale, allocated for one rectangle when the framework settings ask for them, and their
// pixel routines.
#pragma once

#include <cstdint>

constexpr int kTileBufferCount = 4;

// Shape of an allocated tile buffer, fixed at allocation so that later changes of X and Y
// (a preview request inside the render hook) never index past its end. The pointer and the
// host buffer id live in gContext.
struct TileBuffer {
    int32_t width, height, planes;  // X, Y, Z when allocated
    int32_t elementBytes;           // 1 (modes 0..9) or 2 (modes 10..15)
    bool hostBuffer;                // memory from the host's buffer suite, else heap
};
extern TileBuffer gTileBuffers[kTileBufferCount];

// Allocates the buffers that framework settings 4..7 of gContext ask for, X * Y * Z + 3
// elements each, from the host's buffer suite or else zero-filled from the heap. A failure
// asks Abort/Retry/Ignore: Abort sets the result to -108 and returns false (no render),
// Ignore goes on without that buffer.
bool AllocateTileBuffers();
// Frees every buffer (host buffers unlocked and freed) and clears pointers and ids.
void FreeTileBuffers();
// Start of a run: heap buffers a fault left behind are freed, host buffers of an earlier
// run forgotten (the host owns them and may have taken them back).
void ResetTileBuffers();

// Index of element (x, y, channel) in a buffer of the given width and planes.
inline int64_t TileElementIndex(int32_t width, int32_t planes, int32_t x, int32_t y,
                                int32_t channel) {
    return (int64_t(width) * y + x) * planes + channel;
}

// Put: the value clamped to 0..255 (8) or 0..32768 (16), stored when x, y, channel lie
// inside the buffer; returns the clamped value. Get: x and y clamped into the buffer, 0 for
// a channel outside 0..Z-1. Both show "No tile buffer!" (or "No tile buffer n!") and return
// 0 when the buffer is absent.
int32_t PutTile1Pixel8(int32_t x, int32_t y, int32_t channel, int32_t value);
int32_t PutTile2Pixel8(int32_t x, int32_t y, int32_t channel, int32_t value);
int32_t PutTile3Pixel8(int32_t x, int32_t y, int32_t channel, int32_t value);
int32_t PutTile4Pixel8(int32_t x, int32_t y, int32_t channel, int32_t value);
int32_t PutTile1Pixel16(int32_t x, int32_t y, int32_t channel, int32_t value);
int32_t PutTile2Pixel16(int32_t x, int32_t y, int32_t channel, int32_t value);
int32_t PutTile3Pixel16(int32_t x, int32_t y, int32_t channel, int32_t value);
int32_t PutTile4Pixel16(int32_t x, int32_t y, int32_t channel, int32_t value);
int32_t GetTile1Pixel8(int32_t x, int32_t y, int32_t channel);
int32_t GetTile2Pixel8(int32_t x, int32_t y, int32_t channel);
int32_t GetTile3Pixel8(int32_t x, int32_t y, int32_t channel);
int32_t GetTile4Pixel8(int32_t x, int32_t y, int32_t channel);
int32_t GetTile1Pixel16(int32_t x, int32_t y, int32_t channel);
int32_t GetTile2Pixel16(int32_t x, int32_t y, int32_t channel);
int32_t GetTile3Pixel16(int32_t x, int32_t y, int32_t channel);
int32_t GetTile4Pixel16(int32_t x, int32_t y, int32_t channel);

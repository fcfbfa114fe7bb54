// Rows of the large 2-byte fields written past the caches: a field of tens of megabytes is
// read back only by the next whole-field sweep, long after its lines left every cache.
#pragma once

#include <cstdint>

// Fields of at least this many bytes are written with streaming stores: beyond the largest
// cache, a plain store first reads the line it fills, doubling the memory traffic.
constexpr int64_t kStreamedFieldBytes = int64_t(32) << 20;

// out[i] = uint16_t(values[i]) for i in [0, count); values must lie in 0..65535. Streamed
// when stream is set, else plain stores.
void FieldRowStoreLevels(uint16_t* out, const int32_t* values, int64_t count, bool stream);
// out[i] = first for even i, second for odd i, for i in [0, count).
void FieldRowFillPairs(uint16_t* out, uint16_t first, uint16_t second, int64_t count, bool stream);
// Orders the calling thread's streamed stores before its later stores: due before another
// thread reads what they wrote.
void FieldRowStoresDone();

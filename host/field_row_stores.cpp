// Streamed and plain row stores of 2-byte fields (SSE2, which every processor of both builds
// has).

#include "host/field_row_stores.h"

#include <emmintrin.h>

namespace {
constexpr uintptr_t kVectorBytes = 16;

// Elements before out reaches a 16-byte boundary (out is 2-byte aligned).
int64_t HeadElements(const uint16_t* out, int64_t count) {
    const uintptr_t misaligned = reinterpret_cast<uintptr_t>(out) % kVectorBytes;
    const int64_t head = misaligned == 0 ? 0 : int64_t((kVectorBytes - misaligned) / 2);
    return head < count ? head : count;
}

// Eight levels 0..65535 packed to 2 bytes: shifted into the signed range, where the
// saturating pack is exact, and shifted back.
__m128i PackLevels(const int32_t* values) {
    const __m128i bias = _mm_set1_epi32(32768);
    const __m128i low =
        _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(values)), bias);
    const __m128i high =
        _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(values + 4)), bias);
    return _mm_xor_si128(_mm_packs_epi32(low, high), _mm_set1_epi16(int16_t(0x8000)));
}
}  // namespace

void FieldRowStoreLevels(uint16_t* out, const int32_t* values, int64_t count, bool stream) {
    int64_t i = 0;
    if (stream) {
        for (const int64_t head = HeadElements(out, count); i < head; ++i)
            out[i] = uint16_t(values[i]);
        for (; i + 8 <= count; i += 8)
            _mm_stream_si128(reinterpret_cast<__m128i*>(out + i), PackLevels(values + i));
    } else {
        for (; i + 8 <= count; i += 8)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), PackLevels(values + i));
    }
    for (; i < count; ++i) out[i] = uint16_t(values[i]);
}

void FieldRowFillPairs(uint16_t* out, uint16_t first, uint16_t second, int64_t count, bool stream) {
    int64_t i = 0;
    if (stream) {
        for (const int64_t head = HeadElements(out, count); i < head; ++i)
            out[i] = i % 2 == 0 ? first : second;
        // After an odd head the vector steps start on an odd element.
        const bool odd = i % 2 != 0;
        const uint32_t pair = odd ? uint32_t(second) | uint32_t(first) << 16
                                  : uint32_t(first) | uint32_t(second) << 16;
        const __m128i pattern = _mm_set1_epi32(int32_t(pair));
        for (; i + 8 <= count; i += 8)
            _mm_stream_si128(reinterpret_cast<__m128i*>(out + i), pattern);
    } else {
        const __m128i pattern = _mm_set1_epi32(int32_t(uint32_t(first) | uint32_t(second) << 16));
        for (; i + 8 <= count; i += 8)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), pattern);
    }
    for (; i < count; ++i) out[i] = i % 2 == 0 ? first : second;
}

void FieldRowStoresDone() {
    _mm_sfence();
}

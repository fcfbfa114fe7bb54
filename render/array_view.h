// A read view of a numbered array for the pixel steps: fields, work images and masks of 1-
// or 2-byte elements, read at (x, y, channel) without the array table's checks per element.
#pragma once

#include <algorithm>
#include <cstdint>

#include "host/numbered_arrays.h"

struct ArrayView {
    const uint8_t* base;   // element (0, 0, 0) inside the border; null when the array is absent
    int32_t elementBytes;  // 1 or 2
    int32_t width, height, channels;
    int64_t rowElements;  // elements from one row to the next, border included

    bool Valid() const { return base != nullptr; }
    // Element (x, y, c); x and y must lie inside the array.
    int32_t At(int32_t x, int32_t y, int32_t c) const {
        const int64_t i = int64_t(y) * rowElements + int64_t(x) * channels + c;
        return elementBytes == 1 ? base[i] : reinterpret_cast<const uint16_t*>(base)[i];
    }
    // As At, with x and y clamped into the array: for arrays made at another scale.
    int32_t AtClamped(int32_t x, int32_t y, int32_t c) const {
        return At(std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1), c);
    }
    // AtClamped(x + i, y, c) for i in [0, count) into out: the row at once, with the element
    // size and the clamping settled once for the columns inside the array.
    void RowClamped(int32_t x, int32_t y, int32_t c, int32_t count, int32_t* out) const {
        if (elementBytes == 1)
            RowClampedOf(base, x, y, c, count, out);
        else
            RowClampedOf(reinterpret_cast<const uint16_t*>(base), x, y, c, count, out);
    }

  private:
    template <typename Element>
    void RowClampedOf(const Element* elements, int32_t x, int32_t y, int32_t c, int32_t count,
                      int32_t* out) const {
        const Element* row = elements + int64_t(std::clamp(y, 0, height - 1)) * rowElements + c;
        // The columns left of the array, inside it, and right of it.
        const int32_t inFirst = std::clamp(-x, 0, count);
        const int32_t inEnd = std::clamp(width - x, inFirst, count);
        for (int32_t i = 0; i < inFirst; ++i) out[i] = row[0];
        const Element* p = row + int64_t(x + inFirst) * channels;
        for (int32_t i = inFirst; i < inEnd; ++i, p += channels) out[i] = *p;
        for (int32_t i = inEnd; i < count; ++i) out[i] = row[int64_t(width - 1) * channels];
    }
};

// The view of array n: empty unless it exists with 1- or 2-byte elements and at least
// minChannels channels.
inline ArrayView ArrayViewOf(int32_t n, int32_t minChannels = 1) {
    const NumberedArray& a = gArrays[n];
    if (!a.base || (a.elementBytes != 1 && a.elementBytes != 2) || a.zSize < minChannels)
        return ArrayView{};
    const int32_t width = a.xSize - 2 * a.border, height = a.ySize - 2 * a.border;
    if (width < 1 || height < 1) return ArrayView{};
    const int64_t first = (int64_t(a.border) * a.xSize + a.border) * a.zSize * a.elementBytes;
    return ArrayView{a.base + first, a.elementBytes, width,
                     height,         a.zSize,        int64_t(a.xSize) * a.zSize};
}

// The tone weights of an effect: elements 0..255 of row 0 of array n, one per tone level;
// all zero when the array is absent or narrower than 256.
inline void ReadToneWeights(int32_t n, uint8_t (&tone)[256]) {
    const ArrayView view = ArrayViewOf(n);
    const bool whole = view.Valid() && view.width >= 256;
    for (int32_t i = 0; i < 256; ++i) tone[i] = uint8_t(whole ? view.At(i, 0, 0) : 0);
}

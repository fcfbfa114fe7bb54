// The plain render's fused pixel loop: luma, one packed lookup, one store per pixel.

#include "render/grey_lookup_row.h"

#include <cstring>

#include "render/pixel_weights.h"

template <typename Sample>
void GreyLookupPack(const std::vector<int32_t> (&greyToOutput)[3], std::vector<uint64_t>& packed) {
    constexpr int kBits = 8 * sizeof(Sample);
    packed.resize(greyToOutput[0].size());
    for (size_t g = 0; g < packed.size(); ++g)
        packed[g] = uint64_t(Sample(greyToOutput[0][g])) |
                    uint64_t(Sample(greyToOutput[1][g])) << kBits |
                    uint64_t(Sample(greyToOutput[2][g])) << (2 * kBits);
}

template <typename Sample>
void GreyLookupRow(const Sample* source, int32_t sourceStep, Sample* output, int32_t outputStep,
                   int32_t count, const uint64_t* packed) {
    constexpr int kBits = 8 * sizeof(Sample);
    if (count <= 0) return;
    uint64_t v = packed[Luma709(source[0], source[1], source[2])];
    // Three samples a pixel: each store writes a fourth sample too, the next pixel's first,
    // which is stored again with it; the next pixel is read before, so that a render in place
    // reads its own source. The last pixel stores its three alone.
    if (outputStep == 3) {
        for (int32_t i = 1; i < count; ++i, output += 3) {
            source += sourceStep;
            const uint64_t next = packed[Luma709(source[0], source[1], source[2])];
            if constexpr (sizeof(Sample) == 1) {
                const uint32_t word = uint32_t(v);
                memcpy(output, &word, sizeof word);
            } else {
                memcpy(output, &v, sizeof v);
            }
            v = next;
        }
    } else {
        for (int32_t i = 1; i < count; ++i, output += outputStep) {
            source += sourceStep;
            const uint64_t next = packed[Luma709(source[0], source[1], source[2])];
            output[0] = Sample(v);
            output[1] = Sample(v >> kBits);
            output[2] = Sample(v >> (2 * kBits));
            v = next;
        }
    }
    output[0] = Sample(v);
    output[1] = Sample(v >> kBits);
    output[2] = Sample(v >> (2 * kBits));
}

template void GreyLookupPack<uint8_t>(const std::vector<int32_t> (&)[3], std::vector<uint64_t>&);
template void GreyLookupPack<uint16_t>(const std::vector<int32_t> (&)[3], std::vector<uint64_t>&);
template void GreyLookupRow<uint8_t>(const uint8_t*, int32_t, uint8_t*, int32_t, int32_t,
                                     const uint64_t*);
template void GreyLookupRow<uint16_t>(const uint16_t*, int32_t, uint16_t*, int32_t, int32_t,
                                      const uint64_t*);

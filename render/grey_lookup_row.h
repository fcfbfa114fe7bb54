// The whole of a plain render's pixel: the standard luma of the source and one lookup of
// its output colour, packed so that a pixel is one load from the table and one store.
#pragma once

#include <cstdint>
#include <vector>

// Packs the three grey-to-output rows (max + 1 entries each) into one entry per grey: the
// channels as the output stores them (cast to the sample type), red in the lowest bits,
// 8 bits apart at 8 bits a sample and 16 bits apart at 16. Written into packed, whose storage
// is kept.
template <typename Sample>
void GreyLookupPack(const std::vector<int32_t> (&greyToOutput)[3], std::vector<uint64_t>& packed);

// For count pixels: the grey Luma709 of the source pixel (source, sourceStep samples apart)
// and the packed output of that grey written to output (outputStep samples apart).
template <typename Sample>
void GreyLookupRow(const Sample* source, int32_t sourceStep, Sample* output, int32_t outputStep,
                   int32_t count, const uint64_t* packed);

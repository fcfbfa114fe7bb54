// Random levels for the row-step tests: uniform over a depth's scale, with the ends and the
// middle of the scale mixed in, where the steps' choices turn.
#pragma once

#include <random>
#include <vector>

#include "render/pixel_weights.h"

inline std::vector<int32_t> RandomLevels(std::mt19937& random, const BitDepth& d, size_t count) {
    std::vector<int32_t> out(count);
    const int32_t special[] = {0, 1, d.mid - 1, d.mid, d.mid + 1, d.max - 1, d.max};
    std::uniform_int_distribution<int32_t> level(0, d.max), pick(0, 9);
    for (int32_t& v : out) {
        const int32_t k = pick(random);
        v = k < 7 && pick(random) < 3 ? special[k] : level(random);
    }
    return out;
}

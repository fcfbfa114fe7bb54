// Images held in memory and rendered by the render hook the way the run driver does it: the
// output rectangle holds a copy of the source, then HOOK_RENDER runs on it.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "render/pixel_weights.h"

struct EngineImage {
    int32_t width = 0, height = 0;
    int32_t planes = 3;
    bool sixteenBit = false;
    std::vector<uint16_t> samples;  // interleaved, width x height x planes

    Rgb At(int32_t x, int32_t y) const;
    void Set(int32_t x, int32_t y, const Rgb& p);
    bool operator==(const EngineImage& other) const { return samples == other.samples; }
};

EngineImage MakeImage(int32_t width, int32_t height, bool sixteenBit,
                      const std::function<Rgb(int32_t x, int32_t y)>& colour);
// A deterministic pseudo-random colour field on the 0..255 scale (times 128 at 16 bits).
EngineImage NoiseImage(int32_t width, int32_t height, bool sixteenBit, uint32_t seed);

struct RenderRect {
    int32_t left, top, right, bottom;
};

// Fresh engine state for one test: context, arrays, session tables and state, every
// control at the value the dialog gives it, a host record whose abort and progress
// callbacks the test can watch.
void EngineBegin();
void EngineEnd();
int32_t* EngineControls();  // controlValues of gContext

// Host side of the abort test: the abort callback answers true from this call on (0: never).
void EngineAbortAtCall(int32_t call);
// The (done, total) pairs the host's progress callback received.
const std::vector<std::pair<int32_t, int32_t>>& EngineProgress();
int16_t EngineResult();

// A selection mask (width x height bytes) the host hands with the next renders; empty: none.
void EngineSetSelection(const std::vector<uint8_t>& mask);

// Renders the rectangles in turn (the tiles of one run) into a copy of the source.
EngineImage RenderImage(const EngineImage& source, const std::vector<RenderRect>& tiles,
                        bool dialogUp = false);
EngineImage RenderImage(const EngineImage& source, bool dialogUp = false);

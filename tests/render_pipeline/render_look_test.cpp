// The main job end to end: the test host loads the shipped plug-in, replays the "Espresso"
// look (samples/espresso-look.txt) as a recorded descriptor and renders the coffee sample.
// The result must be black and white, agree with the engine run on the same settings in
// this program, and be the same at every processor count and on both architectures.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "render/session_state.h"
#include "engine_image.h"
#include "host/numbered_arrays.h"
#include "host/worker_threads.h"
#include "tools/testhost/test_host.h"
#include "tests/common/test_files.h"

namespace {
Descriptor LookDescriptor() {
    Descriptor look;
    std::string error;
    EXPECT_TRUE(DescriptorLoadFile(SourceFile("samples/espresso-look.txt"), &look, &error))
        << error;
    return look;
}

HostImage Sample(int32_t depth) {
    HostImage image;
    std::string error;
    EXPECT_TRUE(HostImageReadPng(SourceFile("samples/coffee.png"), depth, 3, &image, &error))
        << error;
    return image;
}

HostImage RenderThroughHost(const HostImage& image, int16_t* result, int32_t abortAfter = -1,
                            int32_t* abortCalls = nullptr) {
    HostSession session;
    session.options.abortAfterCalls = abortAfter;
    EXPECT_TRUE(HostLoadPlugin(session, HostDefaultPluginPath()))
        << (session.log.notes.empty() ? "" : session.log.notes.back());
    EXPECT_TRUE(HostSetImage(session, image));
    session.options.dialogHandler = [](HWND dialog) {
        ADD_FAILURE() << "a replayed look must not show the dialog";
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    session.replayDescriptor = true;
    session.replay = LookDescriptor();
    *result = HostRunFilter(session, false);
    if (abortCalls) *abortCalls = session.log.abortCalls;
    return session.output;
}

// The descriptor's numbers as the engine reads them: control values, curve 0..6 points and
// counts, selective table and range rows.
std::vector<int32_t> Numbers(const std::string& text) {
    std::vector<int32_t> numbers;
    size_t at = 0;
    while (at < text.size()) {
        const size_t comma = text.find(',', at);
        numbers.push_back(atoi(text.substr(at, comma - at).c_str()));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return numbers;
}

void ApplyLookToEngine() {
    for (const DescriptorItem& item : LookDescriptor()) {
        const std::string key = DescriptorKeyText(item.key);
        if (key[0] == '0') {
            EngineControls()[std::stoi(key)] = item.integer;
            continue;
        }
        if (key[0] != 't') continue;
        const int32_t slot = std::stoi(key.substr(1));
        const std::vector<int32_t> n = Numbers(item.text);
        if (slot < 7) {
            gSession.curvePointCount[slot] = n[0];
            for (int32_t i = 0; i < n[0]; ++i) {
                PutArrayElement(ARRAY_CURVES, i, 0, slot, n[1 + 2 * i]);
                PutArrayElement(ARRAY_CURVES, i, 1, slot, n[2 + 2 * i]);
            }
        } else if (slot >= 10 && slot < 19) {
            for (int32_t c = 0; c < 5; ++c)
                PutArrayElement(ARRAY_SELECTIVE_TABLE, slot - 10, c, 0, n[c]);
        } else if (slot >= 20 && slot < 29) {
            for (int32_t c = 0; c < 7; ++c)
                PutArrayElement(ARRAY_SELECTIVE_RANGES, slot - 20, c, 0, n[c]);
        }
    }
}

EngineImage ToEngine(const HostImage& image) {
    return MakeImage(image.width, image.height, image.depth == 16, [&](int32_t x, int32_t y) {
        return Rgb{image.at(x, y, 0), image.at(x, y, 1), image.at(x, y, 2)};
    });
}

uint64_t Fingerprint(const HostImage& image) {
    uint64_t hash = 1469598103934665603ull;
    for (uint16_t sample : image.samples) hash = (hash ^ sample) * 1099511628211ull;
    return hash;
}

TEST(EspressoLook, RendersTheSampleInBlackAndWhiteAsTheEngineDoes) {
    for (int32_t depth : {8, 16}) {
        const HostImage source = Sample(depth);
        int16_t result = -1;
        const HostImage output = RenderThroughHost(source, &result);
        ASSERT_EQ(result, 0) << depth;
        ASSERT_EQ(output.width, 600);
        int64_t changed = 0;
        for (int32_t y = 0; y < output.height; ++y) {
            for (int32_t x = 0; x < output.width; ++x) {
                ASSERT_EQ(output.at(x, y, 0), output.at(x, y, 1)) << x << "," << y;
                ASSERT_EQ(output.at(x, y, 0), output.at(x, y, 2)) << x << "," << y;
                changed += output.at(x, y, 0) != source.at(x, y, 0);
            }
        }
        EXPECT_GT(changed, 600 * 400 / 2);

        // The plug-in ran on every processor of this machine; the engine in this program
        // renders the same settings on one thread and on three.
        for (int32_t threads : {1, 3}) {
            SetProcessorCountOverride(threads);
            EngineBegin();
            ApplyLookToEngine();
            const EngineImage engine = RenderImage(ToEngine(source));
            EngineEnd();
            SetProcessorCountOverride(0);
            EXPECT_TRUE(engine.samples == output.samples) << "depth " << depth << ", " << threads;
        }
    }
}

// The host asks to abort while the source is copied or the rows are rendered on every
// processor: the run ends with the cancel result, and returns. The host's thread asks once before
// the tile and once per row of its own, both in the source copy and in the render (the same number
// of rows): the render's checks are the later half of a whole run's.
TEST(EspressoLook, HostAbortInMidCopyOrRenderCancelsTheRun) {
    int16_t result = -1;
    int32_t total = 0;
    RenderThroughHost(Sample(16), &result, -1, &total);
    ASSERT_EQ(result, 0);
    const int32_t renderFrom = 1 + (total - 1) / 2;
    ASSERT_GT(total - renderFrom, 4);
    for (int32_t calls : {renderFrom / 2, renderFrom + 1, (renderFrom + total) / 2, total - 2}) {
        RenderThroughHost(Sample(16), &result, calls);
        EXPECT_EQ(result, -128) << calls << " of " << total;
    }
}

// The fingerprint is the same on both architectures: the 32-bit build computes with SSE2
// like the 64-bit one, so the two must render every sample alike.
TEST(EspressoLook, SameImageOnBothArchitectures) {
    int16_t result = -1;
    const HostImage output = RenderThroughHost(Sample(8), &result);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(Fingerprint(output), 0x157c24ade15b21feull) << std::hex << Fingerprint(output);
}
}  // namespace

// What a final run leaves in the host's output: the shipped plug-in in the test host renders
// the coffee sample once into output buffers that hold the image's own pixels and once into
// buffers of garbage, as a host that hands out fresh memory would. A render that writes every
// sample needs no copy of the source in the output first, so nothing of the garbage may show,
// not even where the later passes keep their work images in the output; a fourth plane, which
// the render leaves alone, still gets the source. A run after a run with another vignette
// shape renders the new shape's outline, and one after a run of other lookup rows its own.

#include <gtest/gtest.h>

#include <string>

#include "effect/control_ids.h"
#include "render_effects/settings_script.h"
#include "tests/common/test_files.h"
#include "tools/testhost/host_image.h"
#include "tools/testhost/test_host.h"

namespace {
constexpr int32_t kGarbage = 0xA7;  // 0xA7A7 is past the 16-bit range as well

HostImage Sample(int32_t depth, int32_t planes) {
    HostImage image;
    std::string error;
    EXPECT_TRUE(HostImageReadPng(SourceFile("samples/coffee.png"), depth, planes, &image, &error))
        << error;
    return image;
}

struct RunResult {
    int16_t result = -1;
    int32_t abortCalls = 0;
    HostImage output;
};

RunResult RenderThroughHost(const HostImage& image, const std::vector<ControlSetting>& settings,
                            int32_t outputFill) {
    HostSession session;
    session.options.outputFill = outputFill;
    EXPECT_TRUE(HostLoadPlugin(session, HostDefaultPluginPath()));
    EXPECT_TRUE(HostSetImage(session, image));
    session.replayDescriptor = true;
    session.replay = SettingsScript(settings);
    RunResult run;
    run.result = HostRunFilter(session, false);
    run.abortCalls = session.log.abortCalls;
    run.output = session.output;
    return run;
}

// Settings C without the grain, whose seed is the second the session started in.
std::vector<ControlSetting> AllPassesWithoutGrain() {
    std::vector<ControlSetting> s = SettingsC();
    s.push_back({CTL_GRAIN_INTENSITY, 0});
    return s;
}

TEST(RunOutput, NothingOfTheHostsOutputBufferShowsThroughARender) {
    const NamedSettings cases[] = {{"A", SettingsA()}, {"C", AllPassesWithoutGrain()}};
    for (int32_t depth : {8, 16}) {
        const HostImage source = Sample(depth, 3);
        for (const NamedSettings& c : cases) {
            const RunResult pixels = RenderThroughHost(source, c.settings, -1);
            const RunResult garbage = RenderThroughHost(source, c.settings, kGarbage);
            ASSERT_EQ(pixels.result, 0) << c.name << " " << depth;
            ASSERT_EQ(garbage.result, 0) << c.name << " " << depth;
            EXPECT_TRUE(garbage.output.samples == pixels.output.samples) << c.name << " " << depth;
            EXPECT_FALSE(pixels.output.samples == source.samples) << c.name << " " << depth;
        }
    }
}

// With a fourth plane the source is copied as before; the host is asked about an abort as
// often either way (once before the rectangle, and per row of the host's thread in the copy
// and in the render).
TEST(RunOutput, AFourthPlaneKeepsTheSourceAndAbortChecksStayTheSame) {
    const HostImage four = Sample(8, 4);
    const RunResult withPlane = RenderThroughHost(four, SettingsA(), kGarbage);
    ASSERT_EQ(withPlane.result, 0);
    const RunResult threePlanes = RenderThroughHost(Sample(8, 3), SettingsA(), kGarbage);
    ASSERT_EQ(threePlanes.result, 0);
    for (int32_t y = 0; y < four.height; ++y)
        for (int32_t x = 0; x < four.width; ++x) {
            ASSERT_EQ(withPlane.output.at(x, y, 3), four.at(x, y, 3)) << x << "," << y;
            ASSERT_EQ(withPlane.output.at(x, y, 0), threePlanes.output.at(x, y, 0))
                << x << "," << y;
        }
    EXPECT_EQ(withPlane.abortCalls, threePlanes.abortCalls);
}

// Settings A with a rounded-rectangle vignette of the given shape.
std::vector<ControlSetting> VignetteShaped(int32_t shape) {
    std::vector<ControlSetting> s = SettingsA();
    s.insert(s.end(), {{CTL_VIGNETTE_INTENSITY, 80},
                       {CTL_VIGNETTE_SIZE, 70},
                       {CTL_VIGNETTE_SHAPE, shape},
                       {CTL_VIGNETTE_ROTATION, 25}});
    return s;
}

// The runs of one module, settings after settings, must each equal a module's first run of
// those settings: what the plug-in keeps from run to run (the vignette's shape table, the
// storage of its lookup rows) must never carry one run's settings into the next.
void ExpectEachRunOfOneModuleAsItsFirst(const HostImage& source,
                                        const std::vector<NamedSettings>& cases,
                                        const std::vector<int32_t>& order) {
    std::vector<HostImage> firstRuns;
    for (const NamedSettings& c : cases) {
        HostSession session;
        EXPECT_TRUE(HostLoadPlugin(session, HostDefaultPluginPath()));
        EXPECT_TRUE(HostSetImage(session, source));
        session.replayDescriptor = true;
        session.replay = SettingsScript(c.settings);
        EXPECT_EQ(HostRunFilter(session, false), 0) << c.name;
        firstRuns.push_back(session.output);
    }
    for (size_t a = 0; a < cases.size(); ++a)
        for (size_t b = a + 1; b < cases.size(); ++b)
            ASSERT_FALSE(firstRuns[a].samples == firstRuns[b].samples)
                << cases[a].name << " " << cases[b].name;
    HostSession session;
    ASSERT_TRUE(HostLoadPlugin(session, HostDefaultPluginPath()));
    ASSERT_TRUE(HostSetImage(session, source));
    session.replayDescriptor = true;
    for (int32_t n : order) {
        const NamedSettings& c = cases[size_t(n)];
        session.replay = SettingsScript(c.settings);
        ASSERT_EQ(HostRunFilter(session, false), 0) << c.name;
        EXPECT_TRUE(session.output.samples == firstRuns[size_t(n)].samples) << c.name;
    }
}

TEST(RunOutput, EachRunRendersItsOwnVignetteShapeAfterAnother) {
    ExpectEachRunOfOneModuleAsItsFirst(
        Sample(8, 3), {{"shape 50", VignetteShaped(50)}, {"shape 90", VignetteShaped(90)}},
        {0, 1, 0, 1});
}

// At 16 bits the lookup rows are largest. Settings A makes the grey-to-output rows and their
// packed form; with conversion 0 the rows alone; every deterministic effect the tone,
// selective and bend rows without the grey lookup.
TEST(RunOutput, EachRunMakesItsOwnLookupRowsAfterAnother) {
    std::vector<ControlSetting> conversion0 = SettingsA();
    conversion0.push_back({CTL_CONVERSION_METHOD, 0});
    ExpectEachRunOfOneModuleAsItsFirst(Sample(16, 3),
                                       {{"A", SettingsA()},
                                        {"every deterministic effect", EveryDeterministicEffect()},
                                        {"conversion 0", conversion0}},
                                       {0, 1, 0, 2, 1, 2, 0});
}
}  // namespace

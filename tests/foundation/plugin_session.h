// Shared by the foundation tests: a test-host session with the shipped plug-in loaded and a
// small image, as an editor has it when the user picks the filter.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tools/testhost/host_internal.h"
#include "tools/testhost/test_host.h"
#include "tests/common/test_files.h"

// A gradient image; deterministic so tests can name expected samples.
inline HostImage GradientImage(int32_t width, int32_t height, int32_t planes, int32_t depth) {
    HostImage image = HostImageMake(width, height, planes, depth);
    const int32_t max = depth == 16 ? kHostMax16 : 255;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < planes; ++c)
                image.at(x, y, c) = uint16_t((x * 7 + y * 13 + c * 61) % (max + 1));
    return image;
}

inline std::unique_ptr<HostSession> OpenShippedPlugin(int32_t width = 64, int32_t height = 48) {
    auto session = std::make_unique<HostSession>();
    session->options.dialogAnswer = IDOK;
    // Played as an action with an empty descriptor: no dialog is asked for, whatever the
    // dialog does.
    session->replayDescriptor = true;
    EXPECT_TRUE(HostLoadPlugin(*session, HostDefaultPluginPath()))
        << (session->log.notes.empty() ? "" : session->log.notes.back());
    EXPECT_TRUE(HostSetImage(*session, GradientImage(width, height, 3, 8)));
    return session;
}

// For selectors called one by one after HostBeginRun: the host plays an action with an
// empty descriptor, so the start asks for no dialog.
inline void PlayEmptyDescriptor(HostSession& session) {
    session.descriptorParameters.descriptor = DescriptorToHandle(session, Descriptor());
}

// The probe plug-in: the framework with an effect that inverts, built for the tests.
inline std::string ProbePath() {
    return BinPlugin("GreyloomProbe");
}

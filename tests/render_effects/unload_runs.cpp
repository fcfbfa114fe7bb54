// Runs of the shipped plug-in, each in a session of its own that unloads it at its end.

#include "render_effects/unload_runs.h"

#include <gtest/gtest.h>

#include "tools/testhost/host_internal.h"

HostImage StripedImage(int32_t width, int32_t height) {
    HostImage image = HostImageMake(width, height, 3, 8);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < 3; ++c)
                image.at(x, y, c) = uint16_t((x / 7 + y / 5 + c * 40) & 0xFF);
    return image;
}

HMODULE RunAndUnload(const HostImage& image, const Descriptor& settings,
                     std::vector<uint16_t>* firstRow) {
    HostSession session;
    EXPECT_TRUE(HostLoadPlugin(session, HostDefaultPluginPath()));
    EXPECT_TRUE(HostSetImage(session, image));
    session.replay = settings;
    session.replayDescriptor = true;
    EXPECT_EQ(HostRunFilter(session, false), 0);
    if (firstRow) {
        firstRow->clear();
        for (int32_t x = 0; x < session.output.width; ++x)
            for (int32_t c = 0; c < 3; ++c) firstRow->push_back(session.output.at(x, 0, c));
    }
    const HMODULE module = session.module;
    HostUnloadPlugin(session);
    return module;
}

// Image modes through the test host: the shipped plug-in filters exactly the modes its
// property list enables and answers every other mode with the bad-mode error before it
// allocates anything or asks for pixels.

#include "foundation/plugin_session.h"

namespace {

struct ModeCase {
    int16_t mode;
    int32_t depth;  // bits per sample of the image the host really delivers
};

bool OutputIsGrey(const HostSession& session) {
    const HostImage& out = session.output;
    for (int32_t y = 0; y < out.height; ++y)
        for (int32_t x = 0; x < out.width; ++x)
            if (out.at(x, y, 0) != out.at(x, y, 1) || out.at(x, y, 1) != out.at(x, y, 2))
                return false;
    return true;
}

TEST(ImageModes, OnlyTheModesThePropertyListEnablesAreFiltered) {
    // Undeclared modes with the data a careless host would send along: 8-bit samples under
    // modes the depth rules disagreed on, 16-bit samples under modes of other layouts.
    const ModeCase cases[] = {
        {0, 8},  {1, 8},   {2, 8},   {3, 8},       {4, 8},     {7, 8},      {9, 8},
        {10, 8}, {11, 16}, {12, 16}, {13, 16},     {15, 16},   {16, 8},     {17, 8},
        {99, 8}, {99, 16}, {-1, 8},  {-32768, 16}, {32767, 8}, {32767, 16},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + ", " + std::to_string(c.depth) + "-bit");
        auto session = OpenShippedPlugin(19, 7);
        ASSERT_TRUE(HostSetImage(*session, GradientImage(19, 7, 3, c.depth)));
        session->options.ignoreModeEnablement = true;
        session->options.announcedImageMode = c.mode;
        const bool enabled =
            c.mode >= 0 && c.mode < 32 && (session->pipl.enabledModes & (1u << c.mode)) != 0;
        const int16_t result = HostRunFilter(*session, false);
        if (enabled) {
            EXPECT_EQ(result, 0);
            EXPECT_FALSE(session->log.advances.empty());
            EXPECT_TRUE(OutputIsGrey(*session));
        } else {
            EXPECT_EQ(result, HOST_BAD_MODE);
            EXPECT_TRUE(session->log.advances.empty());
            EXPECT_EQ(session->record.parameters, nullptr);
            EXPECT_EQ(session->log.buffersAllocated, 0);
            EXPECT_TRUE(session->log.messageBoxes.empty());
            // The refusal leaves nothing behind: the same host then runs in the image's own
            // mode.
            session->options.announcedImageMode.reset();
            ASSERT_TRUE(HostSetImage(*session, GradientImage(19, 7, 3, 8)));
            HostResetLog(*session);
            EXPECT_EQ(HostRunFilter(*session, false), 0);
            EXPECT_TRUE(OutputIsGrey(*session));
        }
        EXPECT_EQ(session->log.outOfRangeSamples, 0);
    }
}

TEST(ImageModes, ThePropertyListEnablesRgbAndRgb48Only) {
    auto session = OpenShippedPlugin();
    EXPECT_EQ(session->pipl.enabledModes, (1u << IMAGE_MODE_RGB) | (1u << IMAGE_MODE_RGB48));
}

}  // namespace

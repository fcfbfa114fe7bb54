// OK and Cancel while the shipped plug-in's dialog renders its first preset thumbnails: the
// dialog ends after the run with the user's settings, never those of the thumbnail last drawn.

#include <gtest/gtest.h>

#include <string>

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {

enum EndWay { END_OK_BUTTON, END_ENTER, END_CANCEL_BUTTON, END_ESCAPE };

struct EndCase {
    const char* name;
    EndWay way;
    int16_t result;
};

void PressEnd(Driver& driver, EndWay way) {
    switch (way) {
        case END_OK_BUTTON:
        case END_CANCEL_BUTTON: {
            const int32_t n = way == END_OK_BUTTON ? CTL_OK : CTL_CANCEL;
            PostMessageA(driver.dialog, WM_COMMAND,
                         MAKEWPARAM(n + kControlWindowIdBase, BN_CLICKED),
                         LPARAM(driver.ControlWindow(n)));
            break;
        }
        case END_ENTER:
            PressKey(driver.dialog, VK_RETURN);
            break;
        case END_ESCAPE:
            PressKey(driver.dialog, VK_ESCAPE);
            break;
    }
}

// What the control table's start values render: the settings of a first start.
HostImage FirstStartRendering() {
    auto session = OpenEffectPlugin();
    int32_t values[kSettingsControlCount];
    for (int32_t n = 0; n < kSettingsControlCount; ++n) values[n] = ControlTableStartValue(n);
    EXPECT_EQ(RunWithoutDialog(*session, values), 0);
    return session->output;
}

}  // namespace

// A first start shows every category's thumbnails, some seconds of rendering: the driver acts
// as soon as the dialog stands, while the run goes on. Cancel stores the settings of the
// session for the next start, so the next start's Enter shows what Cancel kept.
TEST(ThumbnailRun, OkAndCancelDuringTheRunEndWithTheUsersSettings) {
    const HostImage reference = FirstStartRendering();
    const EndCase cases[] = {
        {"OK button", END_OK_BUTTON, 0},
        {"Enter", END_ENTER, 0},
        {"Cancel button", END_CANCEL_BUTTON, HOST_USER_CANCELLED},
        {"Escape", END_ESCAPE, HOST_USER_CANCELLED},
    };
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto session = OpenEffectPlugin();
        const int16_t result =
            RunEffectDialog(*session, [&](Driver& driver) { PressEnd(driver, c.way); });
        ASSERT_EQ(result, c.result);
        if (c.result == 0) {
            EXPECT_TRUE(SameImage(session->output, reference)) << "OK renders the user's settings";
            continue;
        }
        EXPECT_TRUE(SameImage(session->output, session->source)) << "Cancel keeps the image";
        auto next = OpenEffectPlugin(120, 80, false);
        ASSERT_EQ(RunEffectDialog(*next, [](Driver& driver) { PressEnd(driver, END_ENTER); }), 0);
        EXPECT_TRUE(SameImage(next->output, reference)) << "Cancel kept the user's settings";
    }
}

// Scripting end to end: the test plug-in loaded by the test host under Wine records its
// descriptor at the finish, and a later run replays it without a dialog. The recorded file
// is a fixture, so that a change of key or format shows here.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tools/testhost/test_host.h"
#include "tests/common/test_files.h"

namespace {
Descriptor LoadFixture(const std::string& name) {
    Descriptor descriptor;
    std::string error;
    EXPECT_TRUE(
        DescriptorLoadFile(SourceFile("tests/builtins/fixtures/" + name), &descriptor, &error))
        << error;
    return descriptor;
}

std::string Describe(const Descriptor& descriptor) {
    std::string text;
    for (const DescriptorItem& item : descriptor)
        text += DescriptorKeyText(item.key) + " " +
                (item.type == DESC_TYPE_INTEGER ? std::to_string(item.integer)
                                                : "\"" + item.text + "\"") +
                "\n";
    return text;
}

// A loaded test plug-in and a small image; a dialog that comes up is cancelled.
struct ScriptedHost {
    HostSession session;
    int dialogs = 0;

    ScriptedHost() {
        HostImage image;
        image.width = 64;
        image.height = 48;
        image.samples.assign(size_t(64) * 48 * 3, 1000);
        EXPECT_TRUE(HostLoadPlugin(session, BinPlugin("ScriptTest"))) << BinPlugin("ScriptTest");
        EXPECT_TRUE(HostSetImage(session, image));
        session.options.dialogHandler = [this](HWND dialog) {
            ++dialogs;
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        };
    }
    int16_t Run(const Descriptor& replay, bool withParameters) {
        session.replayDescriptor = true;
        session.replay = replay;
        return HostRunFilter(session, withParameters);
    }
};

TEST(ScriptingReplay, AFreshRunRecordsTheFixture) {
    ScriptedHost host;
    ASSERT_EQ(host.Run({}, false), 0);
    ASSERT_TRUE(host.session.haveRecorded);
    EXPECT_EQ(Describe(host.session.recorded), Describe(LoadFixture("scripted_run.txt")));
}

TEST(ScriptingReplay, AReplayedRunSkipsTheDialogAndRecordsTheSameSettings) {
    const Descriptor fixture = LoadFixture("scripted_run.txt");
    ASSERT_FALSE(fixture.empty());
    for (bool withParameters : {false, true}) {
        ScriptedHost host;
        ASSERT_EQ(host.Run(fixture, withParameters), 0) << "with parameters " << withParameters;
        EXPECT_EQ(host.dialogs, 0);
        ASSERT_TRUE(host.session.haveRecorded);
        EXPECT_EQ(Describe(host.session.recorded), Describe(fixture));
    }
}

TEST(ScriptingReplay, TheDialogIsShownWhenThePlayAsksOrTheHostHasNoSignature) {
    const Descriptor fixture = LoadFixture("scripted_run.txt");
    const struct {
        int16_t playInfo;
        OSType signature;
    } cases[] = {{PLAY_DIALOG_REQUIRED, FourCC("8BIM")}, {PLAY_DIALOG_OPTIONAL, 0}};
    for (const auto& c : cases) {
        ScriptedHost host;
        host.session.options.playInfo = c.playInfo;
        host.session.options.hostSignature = c.signature;
        // The dialog ends with Cancel: the run stops as cancelled, nothing is recorded.
        EXPECT_EQ(host.Run(fixture, false), HOST_USER_CANCELLED) << "playInfo " << c.playInfo;
        EXPECT_FALSE(host.session.haveRecorded);
    }
}

TEST(ScriptingReplay, AnEditedDescriptorIsClampedAndTheRunFinishes) {
    ScriptedHost host;
    ASSERT_EQ(host.Run(LoadFixture("edited_descriptor.txt"), false), 0);
    ASSERT_TRUE(host.session.haveRecorded);
    EXPECT_EQ(Describe(host.session.recorded), Describe(LoadFixture("edited_recorded.txt")));
}
}  // namespace

// The dialog's start state as pure rules: the start size within the work area, the values of
// a dialog-state file held to what the controls can show, the hosts that give titles, and the
// log file a document's logged settings are looked for in.

#include <gtest/gtest.h>

#include "effect/control_ids.h"
#include "effect/dialog_state.h"
#include "effect/startup_settings.h"
#include "host/host_api.h"

namespace {
DialogSizeRules Rules(int32_t width, int32_t height, int32_t restoredWidth = 0,
                      int32_t restoredHeight = 0) {
    // Small below 365 x 245 units, held to 529 x 332 .. 585 x 420 (work area and cap).
    return {width, height, restoredWidth, restoredHeight, 365, 245, 529, 332, 585, 420};
}

int32_t& Value(DialogStateContents& contents, int32_t n) {
    return contents.values[n - kDialogStateFirstControl];
}
}  // namespace

TEST(DialogStartSize, IsHeldBetweenTheSmallSizeAndTheWorkArea) {
    struct Case {
        const char* name;
        DialogSizeRules rules;
        DialogStartSize expected;
    };
    const Case cases[] = {
        {"as remembered", Rules(560, 400), {560, 400, false}},
        {"below the small size", Rules(300, 200), {529, 332, false}},
        {"between small and minimum", Rules(400, 300), {529, 332, false}},
        {"past the work area", Rules(99999, 99999), {585, 420, false}},
        {"negative", Rules(-5, -1), {529, 332, false}},
        {"maximised: the restored size", Rules(560, 400, 540, 350), {540, 350, true}},
        {"maximised far past the screen", Rules(560, 400, 99999, 99999), {585, 420, true}},
        {"one restored side only is no maximised dialog",
         Rules(560, 400, 540, 0),
         {560, 400, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DialogStartSize size = DialogStartSizeFrom(c.rules);
        EXPECT_EQ(size.width, c.expected.width);
        EXPECT_EQ(size.height, c.expected.height);
        EXPECT_EQ(size.maximised, c.expected.maximised);
    }
    // A screen smaller than the minimum still gives a dialog no larger than the screen.
    DialogSizeRules tiny = Rules(560, 400);
    tiny.maxWidth = 400;
    tiny.maxHeight = 300;
    const DialogStartSize size = DialogStartSizeFrom(tiny);
    EXPECT_EQ(size.width, 400);
    EXPECT_EQ(size.height, 300);
}

TEST(DialogStateValues, AreHeldToTheSheetsAndItemsOfTheirControls) {
    struct Case {
        int32_t control, stored, held;
    };
    const Case cases[] = {
        {CTL_MAIN_TAB, 42, 5},       {CTL_MAIN_TAB, -1, 0},       {CTL_MAIN_TAB, 3, 3},
        {CTL_SIDE_TAB, 9, 4},        {CTL_ON_START_UP, 7, 3},     {CTL_LANGUAGE, 2, 1},
        {CTL_SKIN, 99, 14},          {CTL_SKIN, -4, 0},           {CTL_MAIN_PAGES, 12, 2},
        {CTL_INSTANT_PREVIEW, 5, 1}, {CTL_PRESET_MENU, 289, 289},
    };
    for (const Case& c : cases) {
        DialogStateContents contents;
        Value(contents, c.control) = c.stored;
        DialogStateClampValues(&contents);
        EXPECT_EQ(Value(contents, c.control), c.held)
            << "control " << c.control << " from " << c.stored;
    }
}

TEST(HostDocumentTitle, ComesFromTheHostsThatGiveIt) {
    struct Case {
        uint32_t signature;
        bool hasTitle;
        int32_t expected;
    };
    const Case cases[] = {
        {FourCC("PSPI"), false, 1}, {FourCC("DAD6"), false, 1},
        {FourCC("UP20"), false, 1}, {0x0055098Cu, false, 1},
        {FourCC("8BIM"), true, 1},  {FourCC("8BIM"), false, 0},
        {FourCC("XXXX"), true, 0},  {0, true, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HostGivesDocumentTitle(c.signature, c.hasTitle), c.expected)
            << std::hex << c.signature << " title " << c.hasTitle;
}

TEST(LoggedSettings, AreLookedForUnderTheTitlesLastPart) {
    struct Case {
        const char* folder;
        const char* title;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\logs\\", "photo.tif", "C:\\logs\\photo.tif.glp"},
        {"C:\\logs", "D:\\shots\\cup.jpg", "C:\\logs\\cup.jpg.glp"},
        {"C:\\logs\\", "what?:*.png", "C:\\logs\\what___.png.glp"},
        {"C:\\logs\\", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoggedSettingsPath(c.folder, c.title), c.expected) << c.title;
    EXPECT_EQ(LoggedSettingsPath("C:\\logs\\", nullptr), "");
}

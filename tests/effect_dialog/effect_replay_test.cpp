// Recorded settings replayed through the test host into the shipped plug-in: every value keeps
// the range of the control it stands for, once, where it enters, and records back unchanged.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "tests/effect_dialog/effect_dialog_bed.h"

namespace {
DescriptorKeyID Key(const char* text) {
    return FourCC(reinterpret_cast<const char(&)[5]>(*text));
}

DescriptorItem Text(const char* key, const std::string& text) {
    DescriptorItem item;
    item.key = Key(key);
    item.type = DESC_TYPE_TEXT;
    item.text = text;
    return item;
}

const DescriptorItem* Find(const Descriptor& descriptor, const char* key) {
    for (const DescriptorItem& item : descriptor)
        if (item.key == Key(key)) return &item;
    return nullptr;
}

// A run without the dialog that replays the table's values with some of them replaced, and
// records what it applied.
struct Replay {
    std::unique_ptr<HostSession> session = OpenEffectPlugin(48, 32);
    int32_t values[kSettingsControlCount];
    Replay() {
        for (int32_t n = 0; n < kSettingsControlCount; ++n) values[n] = ControlTableStartValue(n);
    }
    int16_t Run(const Descriptor& texts = {}) {
        session->options.recordInfo = RECORD_DIALOG_OPTIONAL;
        return RunWithoutDialog(*session, values, texts);
    }
    int32_t Recorded(const char* key) {
        const DescriptorItem* item = Find(session->recorded, key);
        EXPECT_NE(item, nullptr) << key;
        return item ? item->integer : INT_MIN;
    }
};
}  // namespace

TEST(EffectReplay, ValuesAreClampedToTheirControlsRanges) {
    struct Case {
        int32_t control;
        const char* key;
        int32_t replayed, applied;
    };
    const Case cases[] = {
        {CTL_SELECT_COLORKEY, "0062", 200, 200},  {CTL_COLORKEY_RED, "0111", 200, 200},
        {CTL_GRAIN_INTENSITY, "0070", -1, 0},     {CTL_GRAIN_INTENSITY, "0070", INT_MIN, 0},
        {CTL_GRAIN_INTENSITY, "0070", 201, 200},  {CTL_TONE_BRIGHTNESS, "0020", 1000, 300},
        {CTL_CONVERSION_METHOD, "0270", 99, 7},   {CTL_TONE_ZONES, "0038", 5, 1},
        {CTL_BUILTIN_COLOR_FILM, "0170", 37, 37},  // its items come with the presets
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key + std::string(" = ") + std::to_string(c.replayed));
        Replay replay;
        replay.values[c.control] = c.replayed;
        ASSERT_EQ(replay.Run(), 0);
        EXPECT_EQ(replay.Recorded(c.key), c.applied);
    }
}

TEST(EffectReplay, AColourKeyOf200SurvivesRecordAndReplay) {
    // Row 0 of the selective table: brightness 500 and tolerance 95 are out of their sliders'
    // ranges, the colour key of 200 is inside its 0..255.
    Replay first;
    ASSERT_EQ(first.Run({Text("t010", "500,-20,200,0,95,")}), 0);
    const DescriptorItem* row = Find(first.session->recorded, "t010");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text, "100,-20,200,0,95,");

    Replay second;
    ASSERT_EQ(second.Run({*row}), 0);
    const DescriptorItem* again = Find(second.session->recorded, "t010");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->text, row->text);
}

TEST(EffectReplay, AGrainOfMinusOneRendersAsNoGrain) {
    Replay clamped, zero;
    clamped.values[CTL_GRAIN_INTENSITY] = -1;
    zero.values[CTL_GRAIN_INTENSITY] = 0;
    ASSERT_EQ(clamped.Run(), 0);
    ASSERT_EQ(zero.Run(), 0);
    EXPECT_EQ(clamped.session->output.samples, zero.session->output.samples);
}

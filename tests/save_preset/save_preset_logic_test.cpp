// The Save Preset dialog's rules without a window: which names are refused and why, when a
// column head starts ticked, the paths and proposals of the file dialogs, the text tables.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "effect/effect_session.h"
#include "effect/preset_file_dialogs.h"
#include "effect/preset_group_states.h"
#include "effect/save_preset_dialog.h"

TEST(SavePresetNames, EachNameGetsItsVerdict) {
    const std::string longName(240, 'x');
    struct Case {
        const char* folder;
        const char* name;
        PresetNameCheck expected;
    } cases[] = {
        {"C:\\p\\", "", PRESET_NAME_EMPTY},
        {"C:\\p\\", nullptr, PRESET_NAME_EMPTY},
        {"C:\\p\\", " ", PRESET_NAME_OK},  // blanks are a name
        {"C:\\p\\", "   ", PRESET_NAME_OK},
        {"C:\\p\\", "Warm selenium v1.2", PRESET_NAME_OK},
        {"C:\\p\\", "a\\b", PRESET_NAME_ILLEGAL_CHARACTER},
        {"C:\\p\\", "a/b", PRESET_NAME_ILLEGAL_CHARACTER},
        {"C:\\p\\", "a:b", PRESET_NAME_ILLEGAL_CHARACTER},
        {"C:\\p\\", "a*", PRESET_NAME_ILLEGAL_CHARACTER},
        {"C:\\p\\", "a?", PRESET_NAME_ILLEGAL_CHARACTER},
        {"C:\\p\\", "\"a\"", PRESET_NAME_ILLEGAL_CHARACTER},
        {"C:\\p\\", "<a>", PRESET_NAME_ILLEGAL_CHARACTER},
        {"C:\\p\\", "a|b", PRESET_NAME_ILLEGAL_CHARACTER},
        {"C:\\p\\", "tab\there", PRESET_NAME_ILLEGAL_CHARACTER},
        {"C:\\p\\", "CON", PRESET_NAME_RESERVED},
        {"C:\\p\\", "nul", PRESET_NAME_RESERVED},
        {"C:\\p\\", "Aux.look", PRESET_NAME_RESERVED},
        {"C:\\p\\", "COM1", PRESET_NAME_RESERVED},
        {"C:\\p\\", "lpt9 ", PRESET_NAME_RESERVED},
        {"C:\\p\\", "COM0", PRESET_NAME_OK},
        {"C:\\p\\", "CONSOLE", PRESET_NAME_OK},
        {"C:\\p\\", "LPT10", PRESET_NAME_OK},
        {"C:\\p\\", "draft.", PRESET_NAME_RESERVED},
        {"C:\\p\\", longName.c_str(), PRESET_NAME_OK},  // 249 and ".tmp" fit 259
        {"C:\\Users\\me\\Presets\\", longName.c_str(), PRESET_NAME_TOO_LONG},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckPresetName(c.folder, c.name), c.expected) << (c.name ? c.name : "null");
}

TEST(SavePresetHeads, EmptyGroupsKeepTheirHeadsUnticked) {
    int32_t flags[kPresetGroupCount];
    for (int32_t& flag : flags) flag = 1;
    flags[10] = flags[17] = 0;  // what MarkGroupsInUse always leaves
    const bool expected[kSavePresetColumnCount] = {true, false, false, true, true};
    for (int32_t c = 0; c < kSavePresetColumnCount; ++c)
        EXPECT_EQ(SavePresetHeadTicked(kSavePresetColumns[c], flags), expected[c]) << c;
    flags[10] = flags[17] = 1;
    flags[26] = 0;
    const bool afterFade[kSavePresetColumnCount] = {true, true, true, true, false};
    for (int32_t c = 0; c < kSavePresetColumnCount; ++c)
        EXPECT_EQ(SavePresetHeadTicked(kSavePresetColumns[c], flags), afterFade[c]) << c;
}

TEST(SavePresetHeads, ColumnsCoverEveryGroupOnce) {
    int32_t covered[kPresetGroupCount] = {};
    for (const SavePresetColumn& column : kSavePresetColumns)
        for (int32_t g = column.firstGroup; g <= column.lastGroup; ++g) ++covered[g];
    for (int32_t g = 0; g < kPresetGroupCount; ++g) EXPECT_EQ(covered[g], 1) << g;
}

TEST(SavePresetTexts, TablesHoldTheItemsInOrderAndHideTheEmptyGroups) {
    EXPECT_STREQ(SavePresetText(0, 0), "Save Preset");
    EXPECT_STREQ(SavePresetText(1, 0), "Preset Speichern");
    EXPECT_STREQ(SavePresetText(0, 5), "Save");
    EXPECT_STREQ(SavePresetText(1, 6), "Abbruch");
    // Index 7 + (item - 1052): the heads, then one box per group.
    EXPECT_STREQ(SavePresetText(0, 7 + 1057 - 1052), "B&&W");
    EXPECT_STREQ(SavePresetText(1, 7 + 1057 - 1052), "S/W");
    for (int32_t language = 0; language < 2; ++language) {
        EXPECT_STREQ(SavePresetText(language, 7 + 1067 - 1052), "") << "group 10";
        EXPECT_STREQ(SavePresetText(language, 7 + 1074 - 1052), "") << "group 17";
        EXPECT_STREQ(SavePresetText(language, 38), language ? "Verblassen" : "Fade");
        EXPECT_STREQ(SavePresetText(language, 39), "");
        for (int32_t i = 0; i < kSavePresetTextCount; ++i)
            if (i != 7 + 1067 - 1052 && i != 7 + 1074 - 1052) {
                EXPECT_GT(std::strlen(SavePresetText(language, i)), 0u) << language << " " << i;
            }
    }
    EXPECT_STREQ(SavePresetText(7, 1), "Preset Name") << "other languages are English";
    EXPECT_STREQ(SavePresetOverwriteQuestion(1),
                 "M\xF6"
                 "chten Sie das bereits existierende Preset mit dem selben Namen \xFC"
                 "berschreiben?");
}

TEST(PresetFilePaths, SavePathJoinsFolderNameAndExtension) {
    EXPECT_EQ(PresetSavePath("C:\\Presets\\", "Look"), "C:\\Presets\\Look.glp");
    EXPECT_EQ(PresetSavePath("C:\\Presets", "Look"), "C:\\Presets\\Look.glp");
    EXPECT_EQ(PresetSavePath("", "Look"), "Look.glp");
    EXPECT_EQ(PresetSavePath("C:\\P\\", "  "), "C:\\P\\  .glp");
}

TEST(PresetFilePaths, ProposalTakesTheLastFolderAndOnlyAUsableName) {
    EXPECT_EQ(PresetProposedFile("C:\\Old\\x.glp", "Look", ".glp"), "C:\\Old\\Look.glp");
    EXPECT_EQ(PresetProposedFile("C:\\Presets\\", "Look", ""), "C:\\Presets\\Look");
    EXPECT_EQ(PresetProposedFile("", "Look", ".glp"), "Look.glp");
    // A name the Save Preset dialog kept although it refused it would stop the file dialog.
    EXPECT_EQ(PresetProposedFile("C:\\Old\\x.glp", "a/b", ".glp"), "C:\\Old\\");
    EXPECT_EQ(PresetProposedFile("C:\\Old\\x.glp", "CON", ".glp"), "C:\\Old\\");
    EXPECT_EQ(PresetProposedFile(nullptr, nullptr, nullptr), "");
}

TEST(PresetFilePaths, RememberedPresetKeepsFolderAndBaseName) {
    EffectSessionReset();
    EXPECT_EQ(gEffectSession.lastPresetName, "Preset 1");
    RememberLastPreset("C:\\Looks\\Warm.tone.glp");
    EXPECT_EQ(gEffectSession.lastPresetFolder, "C:\\Looks\\");
    EXPECT_EQ(gEffectSession.lastPresetName, "Warm.tone");
    RememberLastPreset("C:\\Looks\\NoExtension");
    EXPECT_EQ(gEffectSession.lastPresetName, "NoExtension");
    EffectSessionReset();
}

TEST(PresetGroupStates, ReadOnlyWhenTheListCanTell) {
    EXPECT_TRUE(PresetGroupStatesReadable(5, true, 9));
    EXPECT_FALSE(PresetGroupStatesReadable(0, true, 11)) << "no items";
    EXPECT_FALSE(PresetGroupStatesReadable(5, false, 11)) << "no visual styles";
    EXPECT_FALSE(PresetGroupStatesReadable(5, true, 8)) << "too old";
}

// The language files: how entries are recognised, what the six shipped resources hold, and
// LoadLanguage on real controls of a test dialog (sheets kept, widths, text rows).

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dialog/control_creation.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/dialog_window.h"
#include "effect/control_ids.h"
#include "effect/language_files.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "tests/common/fresh_parameter_block.h"
#include "tests/common/control_texts.h"
#include "tests/common/screen_capture.h"

namespace {
std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<LanguageEntry> Parse(const std::string& text, int32_t lastId = 399,
                                 int32_t maxChars = 1023) {
    // A copy without terminator: the parser must stay inside the size it is given.
    const std::vector<uint8_t> bytes = Bytes(text);
    return ParseLanguageEntries(bytes.data(), bytes.size(), lastId, maxChars);
}

struct EntryCase {
    const char* what;
    std::string file;
    std::vector<std::pair<int32_t, std::string>> expected;
};

TEST(LanguageEntries, RecognisedByTheCharactersBeforeTheColon) {
    const EntryCase cases[] = {
        {"x marks the interface controls",
         "x47:Preset\\Show\\Disable\\Help",
         {{357, "Preset\\Show\\Disable\\Help"}}},
        {"a fourth digit only counts as seen", "1234:text", {{234, "text"}}},
        {"plain numbers",
         "0:a\r\n9:b\r\n141:Preview 1\\Preview 2",
         {{0, "a"}, {9, "b"}, {141, "Preview 1\\Preview 2"}}},
        {"comment lines are no entries", "// - Ignore and leave the \\ signs untouched.\r\n", {}},
        {"an inner colon without digits adds nothing", "x8:RGB: 0,0,0", {{318, "RGB: 0,0,0"}}},
        {"the look-behind stops at a line end", "12\r\n3:c\n45\n6:d", {{3, "c"}, {6, "d"}}},
        {"a colon at the very start looks at nothing", ":x\r\n:", {}},
        {"identifiers past the file's range are ignored",
         "400:no\r\nx90:no\r\n399:yes",
         {{399, "yes"}}},
        {"lone CR and LF end lines, the last line needs no end",
         "1:a\r2:b\n3:c",
         {{1, "a"}, {2, "b"}, {3, "c"}}},
        {"a later entry with the same identifier follows the earlier",
         "5:old\r\n5:new",
         {{5, "old"}, {5, "new"}}},
        {"an empty text is an entry", "7:\r\n", {{7, ""}}},
    };
    for (const EntryCase& c : cases) {
        const std::vector<LanguageEntry> entries = Parse(c.file);
        ASSERT_EQ(entries.size(), c.expected.size()) << c.what;
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].id, c.expected[i].first) << c.what;
            EXPECT_EQ(entries[i].text, c.expected[i].second) << c.what;
        }
    }
}

TEST(LanguageEntries, TextsAreCutToTheFileLimit) {
    const std::string file = "3:" + std::string(600, 'a') + "\r\n4:b";
    const std::vector<LanguageEntry> entries = Parse(file, 415, kLanguageTextMax);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text.size(), size_t(kLanguageTextMax));
    EXPECT_EQ(entries[1].text, "b");
}

TEST(LanguageEntries, BackslashesBecomeLineBreaks) {
    EXPECT_EQ(LanguageLineBreaks("a\\b"), "a\nb");
    EXPECT_EQ(LanguageLineBreaks("a\\\\b"), "a\n\nb");
    EXPECT_EQ(LanguageLineBreaks("none"), "none");
}

TEST(LanguageEntries, AnyLanguageButGermanIsEnglish) {
    EXPECT_STREQ(LanguageResourceName(0, LANGUAGE_FILE_CONTROLS), "ENGLISHCONTROLS.TXT");
    EXPECT_STREQ(LanguageResourceName(1, LANGUAGE_FILE_TEXT), "GERMANTEXT.TXT");
    EXPECT_STREQ(LanguageResourceName(2, LANGUAGE_FILE_TEXT2), "ENGLISHTEXT2.TXT");
    EXPECT_STREQ(LanguageResourceName(-1, LANGUAGE_FILE_TEXT2), "ENGLISHTEXT2.TXT");
}

// --- The shipped resources -------------------------------------------------------------------

struct ShippedFile {
    std::string text;
    std::vector<LanguageEntry> entries;
};

ShippedFile LoadShipped(int32_t language, LanguageFileKind kind) {
    static const int32_t lastIds[] = {kLanguageLastControlId, kLanguageLastTextId,
                                      kLanguageLastShortTextId};
    ShippedFile file;
    gModule = GetModuleHandleA(nullptr);
    EXPECT_EQ(
        LoadArrayFromResource("RAWTEXT", LanguageResourceName(language, kind), ARRAY_LANGUAGE_RAW),
        1);
    const auto* bytes = static_cast<const char*>(GetArrayBase(ARRAY_LANGUAGE_RAW));
    file.text.assign(bytes, size_t(GetArrayDimension(ARRAY_LANGUAGE_RAW, 0)));
    file.entries = ParseLanguageEntries(reinterpret_cast<const uint8_t*>(file.text.data()),
                                        file.text.size(), lastIds[kind], 1023);
    ReleaseArray(ARRAY_LANGUAGE_RAW);
    return file;
}

std::string Text(const ShippedFile& file, int32_t id) {
    std::string found = "<missing>";
    for (const LanguageEntry& entry : file.entries)
        if (entry.id == id) found = entry.text;
    return found;
}

class ShippedLanguageFiles : public ::testing::Test {
  protected:
    void SetUp() override { ResetArrayTables(); }
    void TearDown() override { ReleaseAllArrays(); }
};

TEST_F(ShippedLanguageFiles, EveryEntryLineIsOneEntryAndNoOtherColonIsAnEntry) {
    const std::regex entryLine(R"(^x?\d{1,3}:.*)");
    for (int32_t language : {0, 1})
        for (LanguageFileKind kind :
             {LANGUAGE_FILE_CONTROLS, LANGUAGE_FILE_TEXT, LANGUAGE_FILE_TEXT2}) {
            const ShippedFile file = LoadShipped(language, kind);
            std::istringstream lines(file.text);
            std::string line;
            size_t entryLines = 0;
            while (std::getline(lines, line)) {
                ASSERT_FALSE(line.empty()) << "every line ends in CR LF";
                EXPECT_EQ(line.back(), '\r') << "every line ends in CR LF";
                line.pop_back();
                if (std::regex_match(line, entryLine)) ++entryLines;
            }
            EXPECT_EQ(file.entries.size(), entryLines) << LanguageResourceName(language, kind);
        }
}

TEST_F(ShippedLanguageFiles, BothLanguagesHaveTheSameIdentifiers) {
    for (LanguageFileKind kind :
         {LANGUAGE_FILE_CONTROLS, LANGUAGE_FILE_TEXT, LANGUAGE_FILE_TEXT2}) {
        std::set<int32_t> ids[2];
        for (int32_t language : {0, 1})
            for (const LanguageEntry& entry : LoadShipped(language, kind).entries)
                ids[language].insert(entry.id);
        EXPECT_EQ(ids[0], ids[1]) << LanguageResourceName(0, kind);
        EXPECT_GT(ids[0].size(), 80u);
    }
}

TEST_F(ShippedLanguageFiles, QuotedTextsStandAsQuoted) {
    const ShippedFile texts = LoadShipped(0, LANGUAGE_FILE_TEXT);
    const ShippedFile shortTexts = LoadShipped(0, LANGUAGE_FILE_TEXT2);
    const ShippedFile controls = LoadShipped(0, LANGUAGE_FILE_CONTROLS);
    EXPECT_EQ(Text(texts, 403),
              "Sorry, but the following preset file can't be opened:\\\\%s\\To correct this "
              "problem please choose 'Own Defaults'\\from the 'On Reset' combo box on the Prefs "
              "tab \\and select a preset file.");
    EXPECT_EQ(Text(texts, 404),
              "Sorry, the Logged Settings feature is not supported by the host application.");
    EXPECT_EQ(Text(texts, 410), "Sorry, no logged settings were found for the current image.");
    EXPECT_EQ(Text(texts, 411),
              "Please activate an effect or the M button,\\otherwise you do not see what you "
              "are drawing!");
    EXPECT_EQ(Text(texts, 409),
              "Double click the slider label to reset the slider to its default value.");
    EXPECT_EQ(Text(texts, 407), "The HTML Manual can't be found.\\Make sure that it is installed.");
    EXPECT_EQ(Text(shortTexts, 170), "Multi-CPU Off (%d CPUs)");
    EXPECT_EQ(Text(shortTexts, 1), "Preset\\FX1\\Select\\Main\\FX2\\Mask");
    EXPECT_EQ(Text(shortTexts, 4), "Preset\\Adjust");
    EXPECT_EQ(Text(shortTexts, 153), "Please choose a color:");
    EXPECT_EQ(Text(controls, 357), "Preset\\Show\\Disable\\Help");
    EXPECT_EQ(Text(controls, 141), "Preview 1\\Preview 2\\Preview 3");
    EXPECT_EQ(Text(controls, 352), "       Tone\\       Color\\       RGB");
}

TEST_F(ShippedLanguageFiles, EveryIdentifierTheDialogReadsIsThere) {
    const int32_t shortIds[] = {
        0,   1,   2,   3,   4,   8,   9,   10,  11,  12,  14,  15,  16,  18,  19,  20,  21,
        22,  23,  24,  25,  26,  27,  28,  29,  30,  34,  38,  39,  40,  41,  42,  43,  44,
        45,  46,  47,  48,  49,  50,  51,  55,  56,  57,  65,  66,  67,  68,  69,  75,  80,
        81,  82,  85,  86,  128, 129, 130, 139, 140, 141, 142, 143, 150, 151, 152, 153, 154,
        155, 156, 157, 158, 159, 160, 161, 162, 163, 164, 165, 166, 167, 168, 169, 170, 171};
    const int32_t textIds[] = {141, 150, 170, 189, 400, 401, 403,
                               404, 405, 407, 409, 410, 411, 412};
    for (int32_t language : {0, 1}) {
        const ShippedFile shortTexts = LoadShipped(language, LANGUAGE_FILE_TEXT2);
        for (int32_t id : shortIds) {
            const std::string text = Text(shortTexts, id);
            EXPECT_NE(text, "<missing>") << "short text " << id << " language " << language;
            EXPECT_LT(text.size(), size_t(kLanguageShortRowBytes)) << "short text " << id;
        }
        const ShippedFile texts = LoadShipped(language, LANGUAGE_FILE_TEXT);
        for (int32_t id : textIds)
            EXPECT_NE(Text(texts, id), "<missing>") << "text " << id << " language " << language;
    }
}

// --- LoadLanguage on a test dialog -----------------------------------------------------------

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// A visible dialog box with the system's dialog font, made from an in-memory template.
HWND MakeTestDialog() {
    alignas(4) WORD buffer[64] = {};
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer);
    dialog->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_SETFONT;
    dialog->cx = 260;
    dialog->cy = 120;
    WORD* after = reinterpret_cast<WORD*>(dialog + 1);
    *after++ = 0;  // no menu
    *after++ = 0;  // the dialog class
    for (const char* c = "Language switch"; *c; ++c) *after++ = WORD(*c);
    *after++ = 0;
    *after++ = 8;  // point size, then the face name
    for (const char* c = "MS Shell Dlg"; *c; ++c) *after++ = WORD(*c);
    *after++ = 0;
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialog, nullptr, QuietDialogProc,
                                      0);
}

// A picture of the test dialog as Wine drew it into its window surface, kept as a PNG for review in
// GREYLOOM_BIN_DIR/screenshots.
void TakeScreenshot(const std::string& name) {
    RedrawWindow(gDialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    PumpMessages(1);
    KeepScreenshot(WindowPictureOf(gDialog), name);
}

class LanguageSwitch : public ::testing::Test {
  protected:
    void SetUp() override {
        block = InstallFreshParameterBlock();
        gContext.dialogWanted = 1;  // values reach the windows only with a dialog
        ResetArrayTables();
        gModule = GetModuleHandleA(nullptr);
        gDialog = MakeTestDialog();
        ASSERT_NE(gDialog, nullptr);
        ASSERT_EQ(CreateControl(CTL_PREVIEW_TAB, CONTROL_TAB, "Preview 1\nPreview 2\nPreview 3", 5,
                                5, 120, 14, 0, 0, 0, -1),
                  1);
        ASSERT_EQ(CreateControl(CTL_MAIN_TAB, CONTROL_TAB, "Preset\nFX1\nSelect\nMain\nFX2\nMask",
                                5, 24, 170, 60, 0, 0, 0, -1),
                  1);
        ASSERT_EQ(
            CreateControl(CTL_CANCEL, CONTROL_PUSHBUTTON, "Cancel", 180, 95, 40, 15, 0, 0, 0, -1),
            1);
        ASSERT_EQ(CreateControl(CTL_LOG_SETTINGS, CONTROL_CHECKBOX, "Log Settings", 5, 95, 80, 10,
                                0, 0, 0, -1),
                  1);
        PumpMessages(1);
    }
    void TearDown() override {
        DestroyWindow(gDialog);
        gDialog = nullptr;
        ReleaseAllArrays();
        gParams = nullptr;
        EffectContextReset();
    }
    HWND Window(int32_t n) { return ControlRecordAt(n)->window; }
    std::unique_ptr<ParameterBlock> block;
};

TEST_F(LanguageSwitch, GermanAndBackKeepEveryTabsSheet) {
    SetControlValue(CTL_MAIN_TAB, 4);  // FX2
    SetControlValue(CTL_PREVIEW_TAB, 2);
    struct Step {
        int32_t language;
        const char *fx2, *preview3, *cancel;
        int32_t widthDu;
    } steps[] = {
        {LANGUAGE_GERMAN, "FX2", "Vorschau 3", "Abbrechen", 133},
        {LANGUAGE_ENGLISH, "FX2", "Preview 3", "Cancel", 120},
        {2, "FX2", "Preview 3", "Cancel", 120},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(LoadLanguage(step.language, ARRAY_TEXTS, ARRAY_SHORT_TEXTS, ARRAY_LANGUAGE_RAW,
                               CTL_PREVIEW_TAB, kLanguageLastTextId, kLanguageLastShortTextId),
                  1);
        PumpMessages(1);
        EXPECT_EQ(GetControlValue(CTL_MAIN_TAB), 4) << step.language;
        EXPECT_EQ(SendMessageA(Window(CTL_MAIN_TAB), TCM_GETCURSEL, 0, 0), 4) << step.language;
        EXPECT_EQ(TabItemText(Window(CTL_MAIN_TAB), 4), step.fx2);
        EXPECT_EQ(GetControlValue(CTL_PREVIEW_TAB), 2) << step.language;
        EXPECT_EQ(TabItemText(Window(CTL_PREVIEW_TAB), 2), step.preview3);
        EXPECT_EQ(WindowText(Window(CTL_CANCEL)), step.cancel);
        EXPECT_EQ(ControlRecordAt(CTL_PREVIEW_TAB)->width, step.widthDu);
        EXPECT_EQ(GetArrayBase(ARRAY_LANGUAGE_RAW), nullptr) << "the raw bytes are released";
        if (step.language == LANGUAGE_GERMAN) TakeScreenshot("language_switch_german");
    }
    TakeScreenshot("language_switch_english");
}

TEST_F(LanguageSwitch, TextRowsOfBothArrays) {
    LoadLanguage(LANGUAGE_GERMAN, ARRAY_TEXTS, ARRAY_SHORT_TEXTS, ARRAY_LANGUAGE_RAW, -1,
                 kLanguageLastTextId, kLanguageLastShortTextId);
    EXPECT_EQ(GetArrayDimension(ARRAY_TEXTS, 0), kLanguageLastTextId + 1);
    EXPECT_EQ(GetArrayDimension(ARRAY_TEXTS, 1), kLanguageTextRowBytes);
    EXPECT_EQ(GetArrayDimension(ARRAY_SHORT_TEXTS, 1), kLanguageShortRowBytes);
    EXPECT_STREQ(GetArrayString(ARRAY_SHORT_TEXTS, 170), "Multi-CPU aus (%d CPUs)");
    EXPECT_STREQ(GetArrayString(ARRAY_SHORT_TEXTS, 1), "Preset\nFX1\nAuswahl\nHaupt\nFX2\nMaske");
    // Messages break their lines; help texts keep what they hold.
    EXPECT_NE(std::string(GetArrayString(ARRAY_TEXTS, 411)).find('\n'), std::string::npos);
    EXPECT_STREQ(GetArrayString(ARRAY_TEXTS, 402), "") << "a row no line fills stays empty";
    // Without a width control the preview tab keeps its width.
    EXPECT_EQ(ControlRecordAt(CTL_PREVIEW_TAB)->width, 120);

    LoadLanguage(LANGUAGE_ENGLISH, ARRAY_TEXTS, -1, ARRAY_LANGUAGE_RAW, -1, kLanguageLastTextId,
                 kLanguageLastShortTextId);
    EXPECT_STREQ(GetArrayString(ARRAY_SHORT_TEXTS, 170), "Multi-CPU aus (%d CPUs)")
        << "a negative short-texts array skips that file";
    EXPECT_STREQ(GetArrayString(ARRAY_TEXTS, 404),
                 "Sorry, the Logged Settings feature is not supported by the host application.");
}

// --- Files of our own, read through the fallback of a module without the resources -------------

class OwnLanguageFiles : public LanguageSwitch {
  protected:
    void SetUp() override {
        LanguageSwitch::SetUp();
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "greyloom_language_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        GetCurrentDirectoryA(sizeof previous, previous);
        SetCurrentDirectoryA(folder.c_str());
        // kernel32 carries no RAWTEXT resources: the loader reads files of the same names.
        gModule = GetModuleHandleA("kernel32.dll");
    }
    void TearDown() override {
        SetCurrentDirectoryA(previous);
        for (const char* name : written) DeleteFileA((folder + "\\" + name).c_str());
        RemoveDirectoryA(folder.c_str());
        LanguageSwitch::TearDown();
    }
    void Write(const char* name, const std::string& text) {
        std::ofstream(folder + "\\" + name, std::ios::binary) << text;
        written.push_back(name);
    }
    std::string folder;
    char previous[MAX_PATH] = "";
    std::vector<const char*> written;
};

TEST_F(OwnLanguageFiles, BackslashesOfTextsBreakLinesFromIdentifier257) {
    Write("ENGLISHTEXT.TXT", "256:a\\b\r\n257:a\\b\r\nx90:No description\\\\available\r\n");
    LoadLanguage(LANGUAGE_ENGLISH, ARRAY_TEXTS, -1, ARRAY_LANGUAGE_RAW, -1, kLanguageLastTextId,
                 kLanguageLastShortTextId);
    EXPECT_STREQ(GetArrayString(ARRAY_TEXTS, 256), "a\\b");
    EXPECT_STREQ(GetArrayString(ARRAY_TEXTS, 257), "a\nb");
    EXPECT_STREQ(GetArrayString(ARRAY_TEXTS, 400), "No description\n\navailable");
}

TEST_F(OwnLanguageFiles, ShortTextsAreCutToTheirRow) {
    const std::string longText(120, 'L');
    Write("ENGLISHTEXT2.TXT", "10:" + longText + "\r\n11:next\r\n175:last\r\n176:beyond\r\n");
    LoadLanguage(LANGUAGE_ENGLISH, ARRAY_TEXTS, ARRAY_SHORT_TEXTS, ARRAY_LANGUAGE_RAW, -1,
                 kLanguageLastTextId, kLanguageLastShortTextId);
    EXPECT_EQ(std::string(GetArrayString(ARRAY_SHORT_TEXTS, 10)), longText.substr(0, 79));
    EXPECT_STREQ(GetArrayString(ARRAY_SHORT_TEXTS, 11), "next") << "the next row is untouched";
    EXPECT_STREQ(GetArrayString(ARRAY_SHORT_TEXTS, 175), "last");
    EXPECT_EQ(GetArrayDimension(ARRAY_SHORT_TEXTS, 0), kLanguageLastShortTextId + 1);
}

TEST_F(OwnLanguageFiles, LanguageTwoReadsTheEnglishFiles) {
    Write("ENGLISHCONTROLS.TXT", "x88:Cancel (en)\r\nx25:Log (en)\r\n");
    Write("GERMANCONTROLS.TXT", "x88:Abbrechen (de)\r\n");
    LoadLanguage(2, ARRAY_TEXTS, ARRAY_SHORT_TEXTS, ARRAY_LANGUAGE_RAW, CTL_PREVIEW_TAB,
                 kLanguageLastTextId, kLanguageLastShortTextId);
    PumpMessages(1);
    EXPECT_EQ(WindowText(Window(CTL_CANCEL)), "Cancel (en)");
    EXPECT_EQ(WindowText(Window(CTL_LOG_SETTINGS)), "Log (en)");
    EXPECT_EQ(ControlRecordAt(CTL_PREVIEW_TAB)->width, 120);
}

TEST_F(OwnLanguageFiles, MissingFilesSkipTheirStepsOnly) {
    Write("GERMANTEXT2.TXT", "0:Preset\r\n");
    SetControlPosition(CTL_PREVIEW_TAB, -1, -1, 99, -1);
    EXPECT_EQ(LoadLanguage(LANGUAGE_GERMAN, ARRAY_TEXTS, ARRAY_SHORT_TEXTS, ARRAY_LANGUAGE_RAW,
                           CTL_PREVIEW_TAB, kLanguageLastTextId, kLanguageLastShortTextId),
              1);
    EXPECT_EQ(ControlRecordAt(CTL_PREVIEW_TAB)->width, 99) << "no CONTROLS file, no width step";
    EXPECT_EQ(GetArrayBase(ARRAY_TEXTS), nullptr) << "no TEXT file, no texts array";
    EXPECT_STREQ(GetArrayString(ARRAY_SHORT_TEXTS, 0), "Preset");
    EXPECT_STREQ(GetArrayString(ARRAY_SHORT_TEXTS, 1), "") << "a new array starts cleared";
}
}  // namespace

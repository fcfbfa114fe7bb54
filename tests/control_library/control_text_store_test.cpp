// Whole texts without a dialog: item lists longer than the record's text field keep every line
// beside the record's cut copy, and a record written elsewhere (a fresh parameter block, a text
// put straight into the record) is its own whole text again.

#include <gtest/gtest.h>

#include <string>

#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_record.h"
#include "dialog/control_text_store.h"
#include "dialog/control_texts.h"
#include "host/text_format.h"
#include "tests/common/fresh_parameter_block.h"

namespace {

constexpr int32_t kCombo = 170;
constexpr size_t kRecordTextBytes = sizeof(ControlRecord::text);

// "Item i" padded to 40 characters, so that 80 lines run past 3,000 bytes.
std::string ItemLine(int32_t i) {
    std::string line = "Item " + std::to_string(i);
    line.resize(40, '.');
    return line;
}

std::string ItemLines(int32_t count) {
    std::string text;
    for (int32_t i = 0; i < count; ++i) text += (i ? "\n" : "") + ItemLine(i);
    return text;
}

std::string LineAt(int32_t n, int32_t index) {
    char line[64] = "";
    return GetControlTextLine(n, index, line, sizeof line) ? std::string(line) : "<none>";
}

TEST(ControlTextStore, EveryItemOfALongListStaysBesideTheRecordsCutCopy) {
    const std::string items = ItemLines(80);
    ASSERT_GT(items.size(), 3 * kRecordTextBytes);
    const struct {
        const char* how;
        void (*give)(const std::string& text);
    } cases[] = {
        {"made with the items",
         [](const std::string& text) {
             CreateControl(kCombo, CONTROL_COMBOBOX, text.c_str(), -1, -1, -1, -1, 0, 0, 0, -1);
         }},
        {"given them as its text",
         [](const std::string& text) {
             CreateControl(kCombo, CONTROL_COMBOBOX, "", -1, -1, -1, -1, 0, 0, 0, -1);
             SetControlText(kCombo, text.c_str());
         }},
    };
    for (const auto& c : cases) {
        auto block = InstallFreshParameterBlock();
        c.give(items);
        EXPECT_EQ(GetControlTextLine(kCombo, -1, nullptr, 0), 80) << c.how;
        for (int32_t i : {0, 24, 25, 54, 79}) EXPECT_EQ(LineAt(kCombo, i), ItemLine(i)) << c.how;
        EXPECT_EQ(ControlWholeText(kCombo), items) << c.how;
        // What the host keeps in the parameter block is cut to the field, as before.
        EXPECT_EQ(std::string(GetControlText(kCombo)), items.substr(0, kRecordTextBytes - 1))
            << c.how;
        gParams = nullptr;
    }
}

TEST(ControlTextStore, ARecordWrittenElsewhereIsItsOwnWholeText) {
    {
        auto block = InstallFreshParameterBlock();
        CreateControl(kCombo, CONTROL_COMBOBOX, ItemLines(80).c_str(), -1, -1, -1, -1, 0, 0, 0, -1);
        gParams = nullptr;
    }
    auto fresh = InstallFreshParameterBlock();
    EXPECT_EQ(ControlWholeText(kCombo), "") << "a fresh block has no text of an earlier one";
    CopyText(ControlRecordAt(kCombo)->text, kRecordTextBytes, "One\nTwo");
    EXPECT_EQ(ControlWholeText(kCombo), "One\nTwo") << "a text put straight into the record";
    ControlTextStoreSet(kCombo, "One\nTwo\nThree", "One\nTwo");
    EXPECT_EQ(ControlWholeText(kCombo), "One\nTwo\nThree");
    EXPECT_EQ(ControlWholeText(kControlCount), "") << "no text for a bad number";
    gParams = nullptr;
}

}  // namespace

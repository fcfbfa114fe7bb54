// Reading and writing the scripting descriptor through the test host's descriptor
// procedures, in-process: key mapping, the dialog decision, checked input, and the texts
// written at the finish.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>

#include "host/numbered_arrays.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "host/scripting_descriptor.h"
#include "tools/testhost/host_internal.h"

namespace {
constexpr int32_t kSentinel = -7;

DescriptorItem Integer(const char (&key)[5], int32_t value) {
    DescriptorItem item;
    item.key = FourCC(key);
    item.type = DESC_TYPE_INTEGER;
    item.integer = value;
    return item;
}

DescriptorItem Text(const char (&key)[5], const std::string& text) {
    DescriptorItem item;
    item.key = FourCC(key);
    item.type = DESC_TYPE_TEXT;
    item.text = text;
    return item;
}

class ScriptingTest : public ::testing::Test {
  protected:
    HostSession session;
    std::unique_ptr<ParameterBlock> block = std::make_unique<ParameterBlock>();
    PluginDataBlock data = {};
    int32_t pointCounts[kScriptCurveCount] = {};
    int32_t centreX[kScriptCentreCount] = {};
    int32_t centreY[kScriptCentreCount] = {};

    void SetUp() override {
        session.source.width = 64;
        session.source.height = 48;
        session.source.samples.assign(64 * 48 * 3, 0);
        HostBeginRun(session);
        InitParameterBlock(*block);
        gParams = block.get();
        data.stuff = &session.record;
        gDataBlock = &data;
        ResetArrayTables();
        ScriptingReset();
        ScriptingBindTables(pointCounts, centreX, centreY);
    }
    void TearDown() override {
        ReleaseAllArrays();
        ScriptingBindTables(nullptr, nullptr, nullptr);
        gDataBlock = nullptr;
        gParams = nullptr;
    }

    // Hands the descriptor to the plug-in side and reads it.
    int16_t Replay(const Descriptor& descriptor, uint8_t* dialogWanted = nullptr) {
        uint8_t wanted = 0;
        session.descriptorParameters.descriptor = DescriptorToHandle(session, descriptor);
        return ReadScriptingParameters(dialogWanted ? dialogWanted : &wanted);
    }
    Descriptor Record() {
        Descriptor recorded;
        EXPECT_EQ(WriteScriptingParameters(), 0);
        HostHandle handle = session.descriptorParameters.descriptor;
        EXPECT_TRUE(handle && DescriptorFromHandle(session, handle, &recorded));
        if (handle) HostDisposeHandleRecord(session, handle);
        session.descriptorParameters.descriptor = nullptr;
        return recorded;
    }
    // Arrays as another part of the plug-in would have made them, full of a sentinel.
    void MakeArrays() {
        ASSERT_EQ(CreateArray(ARRAY_CURVES, 16, 2, 7, 4), 1);
        ASSERT_EQ(CreateArray(ARRAY_SELECTIVE_TABLE, 9, 5, 1, 4), 1);
        ASSERT_EQ(CreateArray(ARRAY_SELECTIVE_RANGES, 9, 7, 1, 4), 1);
        for (int32_t n : {ARRAY_CURVES, ARRAY_SELECTIVE_TABLE, ARRAY_SELECTIVE_RANGES})
            SetAllArrayElements(n, kSentinel);
        for (int32_t& count : pointCounts) count = kSentinel;
    }
};

TEST_F(ScriptingTest, TextKeysLandInTheirCurvesRowsAndCentres) {
    Descriptor descriptor;
    for (int curve = 0; curve < 7; ++curve) {
        char key[5];
        snprintf(key, sizeof key, "t%03d", curve);
        const std::string text =
            "2," + std::to_string(curve) + ",1," + std::to_string(100 + curve) + ",2,";
        descriptor.push_back(Text(reinterpret_cast<const char(&)[5]>(key), text));
    }
    for (int row = 0; row < 9; ++row) {
        char key[5];
        snprintf(key, sizeof key, "t%03d", 10 + row);
        descriptor.push_back(
            Text(reinterpret_cast<const char(&)[5]>(key), std::to_string(row) + ",1,2,3,40,"));
        snprintf(key, sizeof key, "t%03d", 20 + row);
        descriptor.push_back(Text(reinterpret_cast<const char(&)[5]>(key),
                                  std::to_string(200 + row) + ",1,2,3,4,5,6,"));
    }
    descriptor.push_back(Text("t030", "10,11,20,21,30,31,40,41,50,51,60,61,"));
    ASSERT_EQ(Replay(descriptor), 0);
    for (int curve = 0; curve < 7; ++curve) {
        EXPECT_EQ(pointCounts[curve], 2);
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 0, 0, curve), curve);
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 0, 1, curve), 1);
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 0, curve), 100 + curve);
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 1, curve), 2);
    }
    for (int row = 0; row < 9; ++row) {  // "t016".."t018" are rows 6..8 (slots 13..15)
        EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, row, 0, 0), row) << row;
        EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, row, 4, 0), 40) << row;
        EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_RANGES, row, 0, 0), std::min(200 + row, 255));
        EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_RANGES, row, 6, 0), 6);
    }
    for (int i = 0; i < 6; ++i) {  // "t030": the centres as x, y pairs (slot 25)
        EXPECT_EQ(centreX[i], 10 * (i + 1));
        EXPECT_EQ(centreY[i], 10 * (i + 1) + 1);
    }
}

TEST_F(ScriptingTest, OnlyControlKeysBelow310BecomeScriptedValues) {
    ASSERT_EQ(
        Replay({Integer("xver", 100), Integer("xwid", 64), Integer("xhei", 48), Integer("0000", 5),
                Integer("0309", 7), Integer("0310", 9), Integer("0999", 11), Integer("1234", 13),
                Integer("0a12", 15), Integer("0042", -3), Text("0043", "12,")}),
        0);
    EXPECT_EQ(gScripting.valueCount, 3);
    for (int n = 0; n < kSettingsControlCount; ++n) {
        const bool scripted = n == 0 || n == 309 || n == 42;
        EXPECT_EQ(gScripting.scriptedFlags[n] != 0, scripted) << n;
    }
    EXPECT_EQ(gScripting.scriptedValues[0], 5) << "the size keys never reach control 0";
    EXPECT_EQ(gScripting.scriptedValues[309], 7);
    EXPECT_EQ(gScripting.scriptedValues[42], -3);
}

TEST_F(ScriptingTest, DialogDecision) {
    const uint32_t kSignature = FourCC("8BIM");
    const struct {
        int16_t query;
        uint32_t signature;
        int16_t playInfo;
        bool descriptor;
        uint8_t wanted;
    } cases[] = {
        {1, kSignature, PLAY_DIALOG_OPTIONAL, true, 0},
        {1, kSignature, PLAY_DIALOG_NONE, true, 0},
        {0, kSignature, PLAY_DIALOG_REQUIRED, true, 1},
        {1, kSignature, PLAY_DIALOG_OPTIONAL, false, 1},  // no descriptor: as asked before
        {0, kSignature, PLAY_DIALOG_OPTIONAL, false, 0},
        {0, 0, PLAY_DIALOG_OPTIONAL, false, 1},  // a host without signature shows it
        {0, 0, PLAY_DIALOG_OPTIONAL, true, 1},
        {1, 0, PLAY_DIALOG_REQUIRED, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "query " << c.query << " signature " << c.signature << " playInfo "
                     << c.playInfo << " descriptor " << c.descriptor);
        gParams->queryForParameters = c.query;
        session.record.hostSig = c.signature;
        session.descriptorParameters.playInfo = c.playInfo;
        uint8_t wanted = 7;
        if (c.descriptor)
            EXPECT_EQ(Replay({Integer("0001", 1)}, &wanted), 0);
        else
            EXPECT_EQ(ReadScriptingParameters(&wanted), 0);
        EXPECT_EQ(wanted, c.wanted);
        EXPECT_EQ(session.descriptorParameters.descriptor, nullptr) << "disposed and cleared";
    }
    // Without descriptor support the earlier decision stands.
    gParams->queryForParameters = 1;
    session.record.descriptorParameters = nullptr;
    uint8_t wanted = 0;
    EXPECT_EQ(ReadScriptingParameters(&wanted), 0);
    EXPECT_EQ(wanted, 1);
    EXPECT_EQ(ReadScriptingParameters(nullptr), -1715);
}

TEST_F(ScriptingTest, BadTextsAreClampedOrIgnored) {
    const std::string longText(300, '7');
    std::string binary = "3,";
    binary += char(0x01);
    binary += char(0xFF);
    binary += ",9,";
    const struct {
        const char* key;
        std::string text;
        // what must hold afterwards: array, x, y, z, value (x -1: the point count of curve z)
        struct Check {
            int32_t array, x, y, z, value;
        } checks[6];
    } cases[] = {
        // more than 16 points: 16 kept, the count clamped, nothing written past them
        {"t000",
         "20," +
             [] {
                 std::string s;
                 for (int i = 0; i < 40; ++i) s += std::to_string(i + 1) + ",";
                 return s;
             }(),
         {{ARRAY_CURVES, -1, 0, 0, 16},
          {ARRAY_CURVES, 15, 0, 0, 31},
          {ARRAY_CURVES, 15, 1, 0, 32},
          {ARRAY_CURVES, 0, 0, 1, kSentinel}}},
        // fewer points than counted: the count follows the points
        {"t001",
         "3,10,20,30,40,",
         {{ARRAY_CURVES, -1, 0, 1, 2}, {ARRAY_CURVES, 2, 0, 1, kSentinel}}},
        // coordinates outside 0..159, a negative count
        {"t002",
         "2,-5,500,170,80,",
         {{ARRAY_CURVES, 0, 0, 2, 0},
          {ARRAY_CURVES, 0, 1, 2, 159},
          {ARRAY_CURVES, 1, 0, 2, 159},
          {ARRAY_CURVES, -1, 0, 2, 2}}},
        {"t003", "-4,1,2,", {{ARRAY_CURVES, -1, 0, 3, 0}, {ARRAY_CURVES, 0, 1, 3, 2}}},
        // empty fields and non-numbers keep what was there
        {"t004",
         "2,,5,abc,7,",
         {{ARRAY_CURVES, 0, 0, 4, kSentinel},
          {ARRAY_CURVES, 0, 1, 4, 5},
          {ARRAY_CURVES, 1, 0, 4, kSentinel},
          {ARRAY_CURVES, 1, 1, 4, 7},
          {ARRAY_CURVES, -1, 0, 4, 2}}},
        {"t005", "99999999999999999999,1,1,", {{ARRAY_CURVES, -1, 0, 5, 1}}},
        {"t006", binary, {{ARRAY_CURVES, 0, 0, 6, kSentinel}, {ARRAY_CURVES, 0, 1, 6, 9}}},
        // more than 5 values, values outside the columns' ranges
        {"t010",
         "1,2,3,4,5,6,7,8,",
         {{ARRAY_SELECTIVE_TABLE, 0, 4, 0, 5}, {ARRAY_SELECTIVE_TABLE, 1, 0, 0, kSentinel}}},
        {"t011",
         "-500,500,0,0,95,",
         {{ARRAY_SELECTIVE_TABLE, 1, 0, 0, -100},
          {ARRAY_SELECTIVE_TABLE, 1, 1, 0, 100},
          {ARRAY_SELECTIVE_TABLE, 1, 4, 0, 90}}},
        {"t012",
         "12",
         {{ARRAY_SELECTIVE_TABLE, 2, 0, 0, 12}, {ARRAY_SELECTIVE_TABLE, 2, 1, 0, kSentinel}}},
        {"t013",
         longText,
         {{ARRAY_SELECTIVE_TABLE, 3, 0, 0, 100}, {ARRAY_SELECTIVE_TABLE, 4, 0, 0, kSentinel}}},
        // more than 7 values
        {"t020",
         "300,-1,10,20,150,-150,0,9,9,",
         {{ARRAY_SELECTIVE_RANGES, 0, 0, 0, 255},
          {ARRAY_SELECTIVE_RANGES, 0, 1, 0, 0},
          {ARRAY_SELECTIVE_RANGES, 0, 4, 0, 100},
          {ARRAY_SELECTIVE_RANGES, 0, 5, 0, -100},
          {ARRAY_SELECTIVE_RANGES, 1, 0, 0, kSentinel}}},
        // keys outside the table go nowhere
        {"t007", "1,1,1,", {{ARRAY_CURVES, -1, 0, 6, kSentinel}}},
        {"t019", "1,1,1,", {{ARRAY_SELECTIVE_RANGES, 0, 6, 0, kSentinel}}},
        {"t031", "1,1,1,", {{ARRAY_SELECTIVE_RANGES, 8, 0, 0, kSentinel}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + c.text.substr(0, 40));
        MakeArrays();
        ASSERT_EQ(Replay({Text(reinterpret_cast<const char(&)[5]>(*c.key), c.text)}), 0);
        for (const auto& check : c.checks) {
            if (check.array == 0) break;
            if (check.x < 0)
                EXPECT_EQ(pointCounts[check.z], check.value) << "count of curve " << check.z;
            else
                EXPECT_EQ(GetArrayElement(check.array, check.x, check.y, check.z), check.value)
                    << "array " << check.array << " at " << check.x << "," << check.y << ","
                    << check.z;
        }
    }
}

TEST_F(ScriptingTest, BadCentresAndIntegersAreClamped) {
    // Control 3 was made as a slider of -50..50, control 4 with an inverted range 100..0;
    // control 5 was never made, so its range is unknown and its value stays as read.
    ControlRecord* slider = ControlRecordAt(3);
    slider->controlClass = CONTROL_SLIDER;
    slider->min = -50;
    slider->max = 50;
    ControlRecord* inverted = ControlRecordAt(4);
    inverted->controlClass = CONTROL_SLIDER;
    inverted->min = 100;
    inverted->max = 0;
    ASSERT_EQ(Replay({Integer("0003", 999), Integer("0004", -20), Integer("0005", -123456),
                      Text("t030", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,"), Text("t000", "")}),
              0);
    EXPECT_EQ(gScripting.scriptedValues[3], 50);
    EXPECT_EQ(gScripting.scriptedValues[4], 0);
    EXPECT_EQ(gScripting.scriptedValues[5], -123456);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(centreX[i], 2 * i + 1);
        EXPECT_EQ(centreY[i], 2 * i + 2);
    }
    ScriptingReset();
    ASSERT_EQ(Replay({Text("t030", "99999999999,-99999999999,")}), 0);
    EXPECT_EQ(centreX[0], 32767);
    EXPECT_EQ(centreY[0], -32768);
}

TEST_F(ScriptingTest, ArraysOfAnotherShapeAreNeverWrittenPast) {
    ASSERT_EQ(CreateArray(ARRAY_SELECTIVE_TABLE, 2, 2, 1, 4), 1);  // too small for 9 x 5
    ASSERT_EQ(CreateArray(ARRAY_CURVES, 2, 2, 1, 4), 1);
    SetAllArrayElements(ARRAY_SELECTIVE_TABLE, kSentinel);
    ASSERT_EQ(Replay({Text("t018", "1,2,3,4,5,"), Text("t011", "1,2,3,4,5,"),
                      Text("t006", "3,1,2,3,4,5,6,"), Text("t000", "2,1,2,3,4,")}),
              0);
    EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, 1, 0, 0), 1);
    EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, 1, 1, 0), 2);
    EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 1, 0), 4);
    EXPECT_EQ(GetArrayDimension(ARRAY_SELECTIVE_TABLE, 0), 2);
}

TEST_F(ScriptingTest, FinishWritesSizesScriptedValuesAndTexts) {
    ASSERT_EQ(CreateArray(ARRAY_CURVES, 16, 2, 7, 4), 1);
    ASSERT_EQ(CreateArray(ARRAY_SELECTIVE_TABLE, 9, 5, 1, 4), 1);
    ASSERT_EQ(CreateArray(ARRAY_SELECTIVE_RANGES, 9, 7, 1, 4), 1);
    for (int32_t n : {ARRAY_CURVES, ARRAY_SELECTIVE_TABLE, ARRAY_SELECTIVE_RANGES})
        SetAllArrayElements(n, 0);
    pointCounts[0] = 3;
    const int32_t points[3][2] = {{0, 0}, {80, 90}, {159, 159}};
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 2; ++c) PutArrayElement(ARRAY_CURVES, i, c, 0, points[i][c]);
    pointCounts[6] = 2;
    PutArrayElement(ARRAY_CURVES, 1, 1, 6, 44);
    for (int c = 0; c < 5; ++c) PutArrayElement(ARRAY_SELECTIVE_TABLE, 6, c, 0, c - 2);
    for (int c = 0; c < 7; ++c) PutArrayElement(ARRAY_SELECTIVE_RANGES, 8, c, 0, 10 * c);
    for (int i = 0; i < 6; ++i) centreX[i] = i, centreY[i] = 100 + i;
    gScripting.scriptedFlags[2] = gScripting.scriptedFlags[301] = 1;
    gScripting.scriptedValues[2] = -9;
    gScripting.scriptedValues[301] = 123;
    session.descriptorParameters.recordInfo = RECORD_DIALOG_REQUIRED;

    const Descriptor recorded = Record();
    std::vector<std::pair<std::string, std::string>> items;
    for (const DescriptorItem& item : recorded)
        items.push_back({DescriptorKeyText(item.key), item.type == DESC_TYPE_INTEGER
                                                          ? std::to_string(item.integer)
                                                          : "\"" + item.text + "\""});
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"xver", "100"},
        {"xwid", "64"},
        {"xhei", "48"},
        {"0002", "-9"},
        {"0301", "123"},
        {"t000", "\"3,0,0,80,90,159,159,\""},
        {"t001", "\"0,\""},
        {"t002", "\"0,\""},
        {"t003", "\"0,\""},
        {"t004", "\"0,\""},
        {"t005", "\"0,\""},
        {"t006", "\"2,0,0,0,44,\""},
        {"t010", "\"0,0,0,0,0,\""},
        {"t011", "\"0,0,0,0,0,\""},
        {"t012", "\"0,0,0,0,0,\""},
        {"t013", "\"0,0,0,0,0,\""},
        {"t014", "\"0,0,0,0,0,\""},
        {"t015", "\"0,0,0,0,0,\""},
        {"t016", "\"-2,-1,0,1,2,\""},
        {"t017", "\"0,0,0,0,0,\""},
        {"t018", "\"0,0,0,0,0,\""},
        {"t020", "\"0,0,0,0,0,0,0,\""},
        {"t021", "\"0,0,0,0,0,0,0,\""},
        {"t022", "\"0,0,0,0,0,0,0,\""},
        {"t023", "\"0,0,0,0,0,0,0,\""},
        {"t024", "\"0,0,0,0,0,0,0,\""},
        {"t025", "\"0,0,0,0,0,0,0,\""},
        {"t026", "\"0,0,0,0,0,0,0,\""},
        {"t027", "\"0,0,0,0,0,0,0,\""},
        {"t028", "\"0,10,20,30,40,50,60,\""},
        {"t030", "\"0,100,1,101,2,102,3,103,4,104,5,105,\""},
    };
    EXPECT_EQ(items, expected);
    EXPECT_EQ(session.descriptorParameters.recordInfo, 0);

    // What was written reads back into the same curves, rows and centres.
    ReleaseAllArrays();
    for (int i = 0; i < 6; ++i) centreX[i] = centreY[i] = 0;
    for (int32_t& count : pointCounts) count = 0;
    ScriptingReset();
    ASSERT_EQ(Replay(recorded), 0);
    EXPECT_EQ(pointCounts[0], 3);
    EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 1, 0), 90);
    EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 1, 6), 44);
    EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, 6, 0, 0), -2);
    EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_RANGES, 8, 6, 0), 60);
    EXPECT_EQ(centreY[5], 105);
    EXPECT_EQ(gScripting.scriptedValues[301], 123);
}

TEST_F(ScriptingTest, CorruptTablesStillFitTheirSlots) {
    ASSERT_EQ(CreateArray(ARRAY_CURVES, 16, 2, 7, 4), 1);
    SetAllArrayElements(ARRAY_CURVES, INT_MIN);
    for (int32_t& count : pointCounts) count = 1000;
    for (int i = 0; i < 6; ++i) centreX[i] = centreY[i] = INT_MIN;
    const Descriptor recorded = Record();
    ASSERT_FALSE(recorded.empty());
    for (const DescriptorItem& item : recorded) {
        if (item.type != DESC_TYPE_TEXT) continue;
        EXPECT_LE(item.text.size(), 254u) << DescriptorKeyText(item.key);
        if (!item.text.empty()) {
            EXPECT_EQ(item.text.back(), ',') << "whole numbers only";
        }
    }
    EXPECT_EQ(recorded[3].text.substr(0, 3), "16,") << "t000: the count clamped to 16";
    // No arrays at all: the texts are empty, the keys are all there.
    ReleaseAllArrays();
    const Descriptor empty = Record();
    EXPECT_EQ(empty.size(), 3u + 26u);
    EXPECT_EQ(empty[3].text, "");
}

TEST_F(ScriptingTest, MissingWriteSupportIsSkippedAndARefusedOpenReported) {
    session.record.descriptorParameters = nullptr;
    EXPECT_EQ(WriteScriptingParameters(), 0);
    session.record.descriptorParameters = &session.descriptorParameters;
    session.descriptorParameters.writeDescriptorProcs = nullptr;
    EXPECT_EQ(WriteScriptingParameters(), 0);
    EXPECT_EQ(session.descriptorParameters.descriptor, nullptr);
    session.descriptorParameters.writeDescriptorProcs = &session.writeProcs;
    session.writeProcs.openWriteDescriptorProc = []() -> WriteDescriptorRef { return nullptr; };
    EXPECT_EQ(WriteScriptingParameters(), -1715);
}
}  // namespace

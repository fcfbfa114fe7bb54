// Reading and writing the host's scripting descriptor. The descriptor may come from a file
// the user edited or from another version of the plug-in, so every value read is checked:
// keys are matched exactly, numbers are clamped into their ranges, and nothing is written
// outside its slot, control or array.

#include "host/scripting_descriptor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "host/effect_context.h"
#include "host/host_services.h"
#include "host/numbered_arrays.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"

ScriptingState gScripting;

namespace {
constexpr OSErr kNoValue = -1715;

int32_t gOwnPointCounts[kScriptCurveCount];
int32_t gOwnCentreX[kScriptCentreCount];
int32_t gOwnCentreY[kScriptCentreCount];

// The keys expected when the descriptor is opened, ended by a zero key.
DescriptorKeyID gExpectedKeys[] = {FourCC("ctl0"), FourCC("ctl1"), FourCC("ctl2"), 0};

// Text keys in the order they are written, with their slots.
struct TextKey {
    int32_t number;  // the digits after "t"
    int32_t slot;
};
constexpr TextKey kTextKeys[kScriptTextSlotCount] = {
    {0, 0},   {1, 1},   {2, 2},   {3, 3},   {4, 4},   {5, 5},   {6, 6},   {10, 7},  {11, 8},
    {12, 9},  {13, 10}, {14, 11}, {15, 12}, {16, 13}, {17, 14}, {18, 15}, {20, 16}, {21, 17},
    {22, 18}, {23, 19}, {24, 20}, {25, 21}, {26, 22}, {27, 23}, {28, 24}, {30, 25},
};

// Clamping ranges of the table columns.
struct Range {
    int32_t low, high;
};
constexpr Range kTableColumnRanges[kScriptTableColumns] = {
    {-100, 100}, {-100, 100}, {-100, 100}, {-100, 100}, {0, 90}};
constexpr Range kRangeColumnRanges[kScriptRangeColumns] = {
    {0, 255}, {0, 255}, {0, 255}, {0, 255}, {-100, 100}, {-100, 100}, {-100, 100}};
constexpr Range kCurveCoordinateRange = {0, kScriptCurveCoordinateMax};
constexpr Range kCentreRange = {-32768, 32767};  // the host's image coordinates

// "0NNN": a zero and three decimal digits. The number, or -1 for any other key.
int32_t ControlNumberOfKey(DescriptorKeyID key) {
    char text[4];
    for (int i = 0; i < 4; ++i) text[i] = char((key >> (24 - 8 * i)) & 0xFF);
    if (text[0] != '0') return -1;
    int32_t n = 0;
    for (int i = 1; i < 4; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        n = n * 10 + (text[i] - '0');
    }
    return n;
}

// "tNNN" of the key table: its slot, or -1.
int32_t TextSlotOfKey(DescriptorKeyID key) {
    for (const TextKey& textKey : kTextKeys) {
        char code[5];
        snprintf(code, sizeof code, "t%03d", int(textKey.number));
        if (key == FourCC(reinterpret_cast<const char(&)[5]>(code))) return textKey.slot;
    }
    return -1;
}

DescriptorKeyID ControlKey(int32_t n) {
    char code[5];
    snprintf(code, sizeof code, "0%03d", int(n));
    return FourCC(reinterpret_cast<const char(&)[5]>(code));
}

DescriptorKeyID TextKeyOf(int32_t number) {
    char code[5];
    snprintf(code, sizeof code, "t%03d", int(number));
    return FourCC(reinterpret_cast<const char(&)[5]>(code));
}

// The range of control n: the effect's when it bound one, else the record's once the control
// has been made. min > max is an inverted range. False when the range is not known.
bool ControlRange(int32_t n, Range* range) {
    int32_t low = 0, high = 0;
    if (gScriptingRanges.controlRange) {
        if (!gScriptingRanges.controlRange(n, &low, &high)) return false;
    } else {
        const ControlRecord* record = ControlRecordAt(n);
        if (!record || record->controlClass == CONTROL_NONE) return false;
        low = record->min;
        high = record->max;
    }
    *range = {std::min(low, high), std::max(low, high)};
    return true;
}

int32_t ClampToControl(int32_t n, int32_t value) {
    Range range;
    return ControlRange(n, &range) ? std::clamp(value, range.low, range.high) : value;
}

// A selective table column holds the values of the control it stands for.
Range TableColumnRange(int32_t column) {
    Range range = kTableColumnRanges[column];
    const int32_t control = gScriptingRanges.tableColumnControls[column];
    if (control >= 0) ControlRange(control, &range);
    return range;
}

// --- Text fields ------------------------------------------------------------------------
// One field of a comma-separated slot. Empty fields and fields that are not a whole
// (optionally negative) decimal number have no value; long numbers saturate.
struct Field {
    bool present;
    int32_t value;
};

Field ParseField(const char* begin, const char* end) {
    const char* p = begin;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    if (p == end) return {false, 0};
    int64_t value = 0;
    for (; p < end; ++p) {
        if (*p < '0' || *p > '9') return {false, 0};
        value = std::min<int64_t>(value * 10 + (*p - '0'), int64_t(INT32_MAX) + 1);
    }
    value = negative ? -value : std::min<int64_t>(value, INT32_MAX);
    return {true, int32_t(value)};
}

// Splits the zero-terminated text of a slot at commas; at most `capacity` fields.
int SplitFields(const char* text, Field* fields, int capacity) {
    const size_t length = strnlen(text, kScriptTextSlotBytes - 1);
    const char* end = text + length;
    int count = 0;
    const char* start = text;
    while (start < end && count < capacity) {
        const char* comma = static_cast<const char*>(memchr(start, ',', size_t(end - start)));
        const char* fieldEnd = comma ? comma : end;
        fields[count++] = ParseField(start, fieldEnd);
        if (!comma) break;
        start = comma + 1;
    }
    return count;
}

// Numbers of a slot being encoded: "%d," each, only while the whole number fits the slot.
struct SlotWriter {
    char* slot;  // slot[0] is the length byte
    int length;
    void Add(int32_t value) {
        char number[16];
        const int n = snprintf(number, sizeof number, "%d,", int(value));
        if (n <= 0 || length + n > kScriptTextSlotBytes - 2) return;
        memcpy(slot + 1 + length, number, size_t(n));
        length += n;
        slot[0] = char(length);
        slot[1 + length] = 0;
    }
};

// --- Arrays ---------------------------------------------------------------------------------
bool EnsureArray(int32_t n, int32_t x, int32_t y, int32_t z) {
    if (GetArrayBase(n)) return true;
    if (!CreateArray(n, x, y, z, 4)) return false;
    SetAllArrayElements(n, 0);
    return true;
}

// Writes only inside the array's current shape, whatever another part made it.
void PutChecked(int32_t n, int32_t x, int32_t y, int32_t z, int32_t value) {
    if (x < GetArrayDimension(n, 0) && y < GetArrayDimension(n, 1) && z < GetArrayDimension(n, 2))
        PutArrayElement(n, x, y, z, value);
}

void DecodeCurve(int32_t curve, const char* text) {
    Field fields[1 + 2 * kScriptCurvePointMax];
    const int count = SplitFields(text, fields, int(std::size(fields)));
    if (count == 0) return;
    int32_t points = 0;
    for (int i = 0; i < kScriptCurvePointMax; ++i) {
        const Field& x = fields[1 + 2 * i];
        const Field& y = fields[2 + 2 * i];
        if (2 + 2 * i >= count) break;
        if (x.present)
            PutChecked(ARRAY_CURVES, i, 0, curve,
                       std::clamp(x.value, kCurveCoordinateRange.low, kCurveCoordinateRange.high));
        if (y.present)
            PutChecked(ARRAY_CURVES, i, 1, curve,
                       std::clamp(y.value, kCurveCoordinateRange.low, kCurveCoordinateRange.high));
        points = i + 1;
    }
    // The count is trusted only as far as points were given.
    if (fields[0].present)
        gScriptingTables.curvePointCounts[curve] = std::clamp(fields[0].value, 0, points);
}

void DecodeRow(int32_t array, int32_t row, const char* text, const Range* ranges, int32_t columns) {
    Field fields[kScriptRangeColumns];
    const int count = SplitFields(text, fields, columns);
    for (int c = 0; c < count; ++c) {
        if (!fields[c].present) continue;
        const Range range = array == ARRAY_SELECTIVE_TABLE ? TableColumnRange(c) : ranges[c];
        PutChecked(array, row, c, 0, std::clamp(fields[c].value, range.low, range.high));
    }
}

void DecodeCentres(const char* text) {
    Field fields[2 * kScriptCentreCount];
    const int count = SplitFields(text, fields, 2 * kScriptCentreCount);
    for (int i = 0; i < count; ++i) {
        if (!fields[i].present) continue;
        int32_t* table = i % 2 == 0 ? gScriptingTables.centreX : gScriptingTables.centreY;
        table[i / 2] = std::clamp(fields[i].value, kCentreRange.low, kCentreRange.high);
    }
}

const DescriptorParameters* HostDescriptorParameters() {
    return gDataBlock && gStuff ? gStuff->descriptorParameters : nullptr;
}

void ReadDescriptorKeys(const ReadDescriptorProcs& procs, ReadDescriptorRef token) {
    DescriptorKeyID key = 0;
    DescriptorType type = 0;
    int32_t flags = 0;
    while (procs.getKeyProc(token, &key, &type, &flags)) {
        if (type == DESC_TYPE_INTEGER) {
            const int32_t n = ControlNumberOfKey(key);
            if (n < 0 || n >= kSettingsControlCount) continue;
            int32_t value = 0;
            if (procs.getIntegerProc(token, &value) != 0) break;
            ++gScripting.valueCount;
            gScripting.scriptedFlags[n] = 1;
            gScripting.scriptedValues[n] = ClampToControl(n, value);
        } else if (type == DESC_TYPE_TEXT && procs.getStringProc) {
            const int32_t slot = TextSlotOfKey(key);
            if (slot < 0) continue;
            uint8_t text[kScriptTextSlotBytes + 1] = {};
            if (procs.getStringProc(token, text) != 0) continue;
            char* target = gScripting.textSlots[slot];
            const size_t length = std::min<size_t>(text[0], kScriptTextSlotBytes - 1);
            memcpy(target, text + 1, length);
            target[length] = 0;
        }
    }
}
}  // namespace

ScriptingTables gScriptingTables = {gOwnPointCounts, gOwnCentreX, gOwnCentreY};

void ScriptingBindTables(int32_t* curvePointCounts, int32_t* centreX, int32_t* centreY) {
    gScriptingTables.curvePointCounts = curvePointCounts ? curvePointCounts : gOwnPointCounts;
    gScriptingTables.centreX = centreX ? centreX : gOwnCentreX;
    gScriptingTables.centreY = centreY ? centreY : gOwnCentreY;
}

ScriptingRanges gScriptingRanges = {nullptr, {-1, -1, -1, -1, -1}};

void ScriptingBindRanges(ScriptValueRangeProc controlRange, const int32_t* tableColumnControls) {
    gScriptingRanges.controlRange = controlRange;
    for (int c = 0; c < kScriptTableColumns; ++c)
        gScriptingRanges.tableColumnControls[c] = tableColumnControls ? tableColumnControls[c] : -1;
}

void ScriptingReset() {
    memset(&gScripting, 0, sizeof gScripting);
}

int16_t ReadScriptingParameters(uint8_t* dialogWanted) {
    if (!dialogWanted) return kNoValue;
    *dialogWanted = gParams ? uint8_t(gParams->queryForParameters & 0xFF) : 1;
    const DescriptorParameters* parameters = HostDescriptorParameters();
    const ReadDescriptorProcs* procs = parameters ? parameters->readDescriptorProcs : nullptr;
    if (!procs || !procs->openReadDescriptorProc || !procs->closeReadDescriptorProc ||
        !procs->getKeyProc || !procs->getIntegerProc)
        return 0;
    memset(gScripting.textSlots, 0, sizeof gScripting.textSlots);
    gScripting.haveTextSlots = true;
    int16_t result = 0;
    if (parameters->descriptor) {
        ReadDescriptorRef token =
            procs->openReadDescriptorProc(parameters->descriptor, gExpectedKeys);
        if (token) {
            ReadDescriptorKeys(*procs, token);
            DecodeScriptTextSlots();
            result = procs->closeReadDescriptorProc(token);
            HostDisposeHandle(gStuff->handleProcs, parameters->descriptor);
            gStuff->descriptorParameters->descriptor = nullptr;
        }
        *dialogWanted = parameters->playInfo == PLAY_DIALOG_REQUIRED;
    }
    if (gStuff->hostSig == 0) *dialogWanted = parameters->playInfo != PLAY_DIALOG_REQUIRED;
    return result;
}

int DecodeScriptTextSlots() {
    if (!gScripting.haveTextSlots) return 0;
    if (!EnsureArray(ARRAY_CURVES, kScriptCurvePointMax, 2, kScriptCurveCount) ||
        !EnsureArray(ARRAY_SELECTIVE_TABLE, kScriptSelectiveRows, kScriptTableColumns, 1) ||
        !EnsureArray(ARRAY_SELECTIVE_RANGES, kScriptSelectiveRows, kScriptRangeColumns, 1))
        return 0;
    const auto& slots = gScripting.textSlots;
    for (int32_t curve = 0; curve < kScriptCurveCount; ++curve)
        DecodeCurve(curve, slots[SCRIPT_SLOT_CURVES + curve]);
    for (int32_t row = 0; row < kScriptSelectiveRows; ++row) {
        DecodeRow(ARRAY_SELECTIVE_TABLE, row, slots[SCRIPT_SLOT_TABLE + row], kTableColumnRanges,
                  kScriptTableColumns);
        DecodeRow(ARRAY_SELECTIVE_RANGES, row, slots[SCRIPT_SLOT_RANGES + row], kRangeColumnRanges,
                  kScriptRangeColumns);
    }
    DecodeCentres(slots[SCRIPT_SLOT_CENTRES]);
    return 1;
}

int EncodeScriptTextSlots() {
    memset(gScripting.textSlots, 0, sizeof gScripting.textSlots);
    gScripting.haveTextSlots = true;
    auto writer = [](int32_t slot) { return SlotWriter{gScripting.textSlots[slot], 0}; };
    if (GetArrayBase(ARRAY_CURVES)) {
        for (int32_t curve = 0; curve < kScriptCurveCount; ++curve) {
            SlotWriter out = writer(SCRIPT_SLOT_CURVES + curve);
            const int32_t points =
                std::clamp(gScriptingTables.curvePointCounts[curve], 0, kScriptCurvePointMax);
            out.Add(points);
            for (int32_t i = 0; i < points; ++i) {
                out.Add(GetArrayElement(ARRAY_CURVES, i, 0, curve));
                out.Add(GetArrayElement(ARRAY_CURVES, i, 1, curve));
            }
        }
    }
    for (int32_t row = 0; row < kScriptSelectiveRows; ++row) {
        if (GetArrayBase(ARRAY_SELECTIVE_TABLE)) {
            SlotWriter out = writer(SCRIPT_SLOT_TABLE + row);
            for (int32_t c = 0; c < kScriptTableColumns; ++c)
                out.Add(GetArrayElement(ARRAY_SELECTIVE_TABLE, row, c, 0));
        }
        if (GetArrayBase(ARRAY_SELECTIVE_RANGES)) {
            SlotWriter out = writer(SCRIPT_SLOT_RANGES + row);
            for (int32_t c = 0; c < kScriptRangeColumns; ++c)
                out.Add(GetArrayElement(ARRAY_SELECTIVE_RANGES, row, c, 0));
        }
    }
    SlotWriter out = writer(SCRIPT_SLOT_CENTRES);
    for (int32_t i = 0; i < kScriptCentreCount; ++i) {
        out.Add(gScriptingTables.centreX[i]);
        out.Add(gScriptingTables.centreY[i]);
    }
    return 1;
}

int16_t WriteScriptingParameters() {
    DescriptorParameters* parameters =
        const_cast<DescriptorParameters*>(HostDescriptorParameters());
    const WriteDescriptorProcs* procs = parameters ? parameters->writeDescriptorProcs : nullptr;
    if (!procs || !procs->openWriteDescriptorProc || !procs->closeWriteDescriptorProc ||
        !procs->putIntegerProc)
        return 0;
    WriteDescriptorRef token = procs->openWriteDescriptorProc();
    if (!token) return kNoValue;
    procs->putIntegerProc(token, FourCC("xver"), kScriptVersion);
    procs->putIntegerProc(token, FourCC("xwid"), gStuff->imageSize.h);
    procs->putIntegerProc(token, FourCC("xhei"), gStuff->imageSize.v);
    for (int32_t n = 0; n < kSettingsControlCount; ++n)
        if (gScripting.scriptedFlags[n])
            procs->putIntegerProc(token, ControlKey(n), gScripting.scriptedValues[n]);
    if (procs->putStringProc && EncodeScriptTextSlots()) {
        for (const TextKey& key : kTextKeys)
            procs->putStringProc(token, TextKeyOf(key.number), gScripting.textSlots[key.slot]);
    }
    if (parameters->descriptor) HostDisposeHandle(gStuff->handleProcs, parameters->descriptor);
    parameters->descriptor = nullptr;
    procs->closeWriteDescriptorProc(token, &parameters->descriptor);
    parameters->recordInfo = RECORD_DIALOG_OPTIONAL;
    return 0;
}

void ScriptingRecordValue(int32_t n, int32_t value) {
    if (n < 0 || n >= kSettingsControlCount) return;
    gScripting.scriptedFlags[n] = 1;
    gScripting.scriptedValues[n] = value;
}

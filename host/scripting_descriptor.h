// The host's scripting descriptor: at the start of a run the recorded settings are read back
// into control values, curves and tables, and the dialog decision is made; at the finish the
// settings the effect marked are written for the host's recording.
#pragma once

#include <cstdint>

#include "dialog/control_record.h"

constexpr int kScriptTextSlotCount = 26;
constexpr int kScriptTextSlotBytes = 256;
constexpr int kScriptCurveCount = 7;
constexpr int kScriptCurvePointMax = 16;
constexpr int kScriptCurveCoordinateMax = 159;  // stored curves run 0..159
constexpr int kScriptCentreCount = 6;
constexpr int kScriptSelectiveRows = 9;
constexpr int kScriptTableColumns = 5;  // ARRAY_SELECTIVE_TABLE
constexpr int kScriptRangeColumns = 7;  // ARRAY_SELECTIVE_RANGES
constexpr int32_t kScriptVersion = 100;

// Text slots: 0..6 the curves, 7..15 the rows of the selective table, 16..24 the rows of the
// selective ranges, 25 the six effect centres as x, y pairs.
enum ScriptTextSlot : int32_t {
    SCRIPT_SLOT_CURVES = 0,
    SCRIPT_SLOT_TABLE = 7,
    SCRIPT_SLOT_RANGES = 16,
    SCRIPT_SLOT_CENTRES = 25,
};

// Controls 0..309 whose values the descriptor carries, and the text slots of the last read
// or encode. Written only in scripting_descriptor.cpp: cleared at every start
// (ScriptingReset), filled by the descriptor read, and by ScriptingRecordValue for each
// control the dialog's OK records.
struct ScriptingState {
    int32_t scriptedFlags[kSettingsControlCount];   // non-zero: the value is scripted
    int32_t scriptedValues[kSettingsControlCount];  // read from or written to the descriptor
    int32_t valueCount;                             // values read at this start
    bool haveTextSlots;                             // textSlots hold a read or an encode
    // Read: zero-terminated texts. Encoded: a length byte, the characters, a zero.
    char textSlots[kScriptTextSlotCount][kScriptTextSlotBytes];
};
extern ScriptingState gScripting;

// Where the descriptor's curve point counts and the effect centres live. The effect binds
// its own tables (ScriptingBindTables); until then the scripting keeps tables of its own so
// that nothing read is lost. Not cleared by ScriptingReset.
struct ScriptingTables {
    int32_t* curvePointCounts;  // kScriptCurveCount counts
    int32_t* centreX;           // kScriptCentreCount each
    int32_t* centreY;
};
extern ScriptingTables gScriptingTables;
void ScriptingBindTables(int32_t* curvePointCounts, int32_t* centreX, int32_t* centreY);

// The ranges replayed values are clamped to: those of the controls they stand for, which
// only the effect knows. The effect binds them when its module loads; until then (and in
// test plug-ins) a control's range is known once the control has been made, and the
// selective table keeps its own column ranges. Not cleared by ScriptingReset.
using ScriptValueRangeProc = bool (*)(int32_t n, int32_t* minValue, int32_t* maxValue);
struct ScriptingRanges {
    ScriptValueRangeProc controlRange;                 // null: the made controls' records
    int32_t tableColumnControls[kScriptTableColumns];  // control of each selective column; -1
};
extern ScriptingRanges gScriptingRanges;
void ScriptingBindRanges(ScriptValueRangeProc controlRange, const int32_t* tableColumnControls);

void ScriptingReset();
// Marks settings control n scripted with its value: what the host's script records for the
// run (the dialog's OK).
void ScriptingRecordValue(int32_t n, int32_t value);

// Decides whether the dialog is shown (queryForParameters, then the host's playInfo and
// signature) and reads the descriptor. Returns 0, the host's close result, or -1715 when
// dialogWanted is null.
int16_t ReadScriptingParameters(uint8_t* dialogWanted);
// Writes the scripted values and the text slots for the host's recording. Returns 0, or
// -1715 when the host gives no write descriptor.
int16_t WriteScriptingParameters();
// Fills the curves, tables and centres from the text slots; 1 when decoded, 0 when there are
// no slots or the arrays cannot be made. Values are clamped into their ranges; extra values,
// empty fields and non-numbers are ignored.
int DecodeScriptTextSlots();
// Builds the text slots from the curves, tables and centres; 1 when built.
int EncodeScriptTextSlots();

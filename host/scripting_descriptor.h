// The host's scripting descriptor: the settings read back at the start of a run, whether the
// dialog is shown, and the settings written for the host's recording at the finish.
#pragma once

#include <cstdint>

#include "dialog/control_record.h"

// Controls 0..309 whose values the descriptor carries. Cleared at every start.
struct ScriptingState {
    int32_t scriptedFlags[kSettingsControlCount];   // non-zero: the value is scripted
    int32_t scriptedValues[kSettingsControlCount];  // read from or written to the descriptor
    int32_t valueCount;                             // values read at this start
};
extern ScriptingState gScripting;

void ScriptingReset();
// Decides whether the dialog is shown (queryForParameters, then the host's playInfo) and
// reads the scripted values. Returns 0 or the host's error.
int16_t ReadScriptingParameters(uint8_t* dialogWanted);
// Writes the scripted values for the host's recording. Returns 0 or the host's error.
int16_t WriteScriptingParameters();

// Reading and writing the host's scripting descriptor.

#include "host/scripting_descriptor.h"

#include "host/parameter_block.h"
#include "host/plugin_data.h"

ScriptingState gScripting;

void ScriptingReset() {
    gScripting = ScriptingState{};
}

// The descriptor's keys are not read yet; only the dialog decision is made.
int16_t ReadScriptingParameters(uint8_t* dialogWanted) {
    *dialogWanted = gParams ? uint8_t(gParams->queryForParameters & 0xFF) : 1;
    const DescriptorParameters* descriptor = gStuff ? gStuff->descriptorParameters : nullptr;
    if (!descriptor || !descriptor->readDescriptorProcs) return 0;
    *dialogWanted = descriptor->playInfo == PLAY_DIALOG_REQUIRED;
    if (gStuff->hostSig == 0) *dialogWanted = descriptor->playInfo != PLAY_DIALOG_REQUIRED;
    return 0;
}

int16_t WriteScriptingParameters() {
    return 0;
}

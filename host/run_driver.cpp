// The run driver: parameters, prepare, start, continue and finish.

#include "host/run_driver.h"

#include <cstring>

#include "dialog/dialog_window.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"

RunState gRun;

void RunStateReset() {
    gRun = RunState{};
}

void HandleParametersSelector() {
    CreateParameterBlock();
    if (GetResult() == 0) gParams->queryForParameters = 1;
}

void DoPrepare() {
    CreateParameterBlock();
    if (GetResult() == 0) gStuff->bufferSpace = 0;
}

void DoStart() {
    CreateParameterBlock();
    if (GetResult() != 0) return;
    InitRunTables();
    HostRect empty = {0, 0, 0, 0};
    gStuff->inRect = gStuff->outRect = gStuff->maskRect = empty;
}

void DoContinue() {
    HostRect empty = {0, 0, 0, 0};
    gStuff->inRect = gStuff->outRect = gStuff->maskRect = empty;
}

void DoFinish() {}

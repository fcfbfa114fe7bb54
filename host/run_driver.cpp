// The run driver: parameters, prepare, start, continue and finish.

#include "host/run_driver.h"

#include "dialog/dialog_window.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "host/run_state.h"

bool IsDialogUp() { return gDialog != nullptr; }

void SetRecordedControlValue(int n, int32_t value) {
    if (ControlRecord* record = ControlRecordAt(n)) record->value = value;
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
    HostRect empty = {0, 0, 0, 0};
    gStuff->inRect = gStuff->outRect = gStuff->maskRect = empty;
}

void DoContinue() {
    HostRect empty = {0, 0, 0, 0};
    gStuff->inRect = gStuff->outRect = gStuff->maskRect = empty;
}

void DoFinish() {}

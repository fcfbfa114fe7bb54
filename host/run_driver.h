// The run driver: carries out the host's selectors 1 to 5.
#pragma once

void HandleParametersSelector();
void DoPrepare();
void DoStart();
void DoContinue();
void DoFinish();

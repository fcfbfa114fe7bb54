// Run state that host services read.
#pragma once

#include <cstdint>

// True while the filter dialog is up (its preview requests are being served).
bool IsDialogUp();

// Stores a value in control n's record and in the run's working values.
void SetRecordedControlValue(int n, int32_t value);

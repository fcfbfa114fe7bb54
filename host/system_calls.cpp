// The default system calls.

#include "host/system_calls.h"

#include <cstdlib>

SystemCalls gSystem = {calloc, realloc, free};

void SystemCallsReset() {
    gSystem = SystemCalls{calloc, realloc, free};
}

// Filter traces.

#include "host/filter_trace.h"

#include <windows.h>

#include "host/parameter_block.h"

void FilterTrace(const char* format, ...) {
    if (!gParams || !(gParams->flags & PFLAG_TRACE) || (gParams->flags & PFLAG_PREVIEW_DRAG))
        return;
    va_list args;
    va_start(args, format);
    ShowMessageV(MB_OK, "Filter trace", format, args);
    va_end(args);
}

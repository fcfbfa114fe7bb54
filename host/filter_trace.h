// Debug traces of the framework, shown only when the parameter block asks for them.
#pragma once

#include "host/message_boxes.h"

// Shows the formatted text in a box titled "Filter trace" when flag PFLAG_TRACE is set and
// PFLAG_PREVIEW_DRAG is clear.
void FilterTrace(const char* format, ...) GREYLOOM_PRINTF(1, 2);

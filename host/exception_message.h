// Turns processor exception codes into the messages the user sees.
#pragma once

#include <cstdint>

#include "host/fault_guard.h"

// The message shown for an exception code, or null when the code has none.
const char* ExceptionMessageText(uint32_t code);

// Filter of the hook guard: takes the faults that have a message (and the console break,
// silently); every other fault, breakpoints included, goes on to the outer guard.
FaultDecision FrameworkExceptionFilter(uint32_t code);

// Shows the code's message ("Error Message" box, hand icon) and says whether the fault is
// handled at this level.
bool ShowExceptionMessage(uint32_t code);

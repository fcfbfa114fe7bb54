// The dialog's side of message boxes. The formatting functions (ShowMessage, ShowErrorMessage
// and the rest) are the framework's, in host/message_boxes.h.
#pragma once

#include "host/message_boxes.h"

// The message box hook of the framework (DialogHooks::showMessage).
int MessageBoxShow(unsigned style, const char* caption, const char* text, bool expand);

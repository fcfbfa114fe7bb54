// What makes a dialog window a message box, and what the box shows: one reading shared by the
// test host's watcher (tools/testhost) and the watch for unanswered boxes in every test program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Whether the reader may send the box's windows a message. Only the icon needs one
// (STM_GETICON, bounded by a time-out); a watch that must never wait for a busy thread reads
// everything else from what the windows store.
enum MessageBoxReading { READ_WITHOUT_MESSAGES, READ_ICON_BY_MESSAGE };

struct MessageBoxButton {
    int id;          // its control id: IDOK .. IDCONTINUE in a message box
    HWND window;     // the button's window, for the WM_COMMAND that presses it
    bool visible;    // IsWindowVisible: false for a hidden button, and until the box is shown
    bool isDefault;  // BS_DEFPUSHBUTTON: the button Enter presses
};

// Filled by MessageBoxRead; texts are UTF-8.
struct MessageBoxContents {
    bool isDialog = false;      // a #32770 window; the rest is read only for those
    bool isMessageBox = false;  // a text, at least one button, and no other kind of child
    std::string caption;
    std::string text;
    UINT icon = 0;  // MB_ICONHAND, .._QUESTION, .._EXCLAMATION, .._ASTERISK; 0 when not read
    std::vector<MessageBoxButton> buttons;  // in the order of the box's children
};

// Reads any top-level window; only a dialog's children are looked at. The caption and the text
// are read from what the windows store, the icon only when `reading` allows a message.
MessageBoxContents MessageBoxRead(HWND window, MessageBoxReading reading);

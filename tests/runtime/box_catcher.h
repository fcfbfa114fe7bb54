// Catches the message boxes the plug-in code shows on this thread: records caption and text
// and presses the answer given (IDOK, IDRETRY, ...), so that tests run without a user.
// Catchers nest; the innermost one answers.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

struct CaughtBox {
    std::string caption;
    std::string text;
};

class BoxCatcher {
  public:
    BoxCatcher();
    ~BoxCatcher();
    BoxCatcher(const BoxCatcher&) = delete;
    BoxCatcher& operator=(const BoxCatcher&) = delete;

    std::vector<CaughtBox> boxes;
    std::deque<int> answers;  // used in order; then the box's default button

  private:
    BoxCatcher* outer_;  // catchers nest: the innermost one answers
};

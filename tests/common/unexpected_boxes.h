// Message boxes that no test answers: every test program watches for them (cmake/tests.cmake
// adds unexpected_boxes.cpp to each), fails the test under way naming the box's text and
// presses its default button, instead of sitting in the modal box until ctest's time-out.
#pragma once

// How long a message box of the program may stand unanswered before it fails the test. A test
// that expects a box answers it at once from a window hook (BoxCatcher, the test host's
// watcher), or from a driver thread after a screenshot of it on a loaded machine.
constexpr unsigned kUnexpectedBoxMs = 10000;

// Boxes the watcher reports in one program at the most; the program is stopped at the next,
// and when a box it answered still stands after another kUnexpectedBoxMs.
constexpr int kUnexpectedBoxesReported = 5;

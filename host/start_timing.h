// Timing of the dialog's start and of a run's steps (the run driver's, from the start selector
// to the end of the finish): moments and summed sections read from the performance counter
// while the environment variable GREYLOOM_START_LOG names a file, to which they are appended.
#pragma once

#include <cstdint>

// Whether the log is wanted; the environment is read once per process.
bool StartTimingOn();
// Starts a fresh log with its clock at zero (the host's call that opens the dialog).
void StartTimingBegin();
// Records a moment of the start ("dialog created", "shown", "painted") in milliseconds.
void StartTimingMark(const char* moment);
// Appends the moments and sections to the log file and starts over; nothing without a log.
void StartTimingWrite();

// Adds the time between its construction and its end to the section named name and detail
// (both kept by pointer: literals or table strings), counting the calls.
class StartTimingSection {
  public:
    explicit StartTimingSection(const char* name, const char* detail = nullptr);
    ~StartTimingSection();
    StartTimingSection(const StartTimingSection&) = delete;
    StartTimingSection& operator=(const StartTimingSection&) = delete;

  private:
    const char* name_;
    const char* detail_;
    int64_t startTicks_;  // 0 while the log is off
};

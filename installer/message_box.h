// Message boxes of the installer, the guard around every window handler, and the outcome
// of the run that the process exit code reports.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "installer/installer_error.h"

enum BoxKind : int32_t {
    BOX_PLAIN,        // OK, no icon
    BOX_INFORMATION,  // OK, information icon
    BOX_ERROR,        // OK, error icon, caption "Error"
    BOX_CONFIRM,      // Yes and No, question icon
};

// Written by MessageBoxSetUnattended, ReportFailure, ReportRefusal and ShowErrorBox.
struct RunOutcome {
    int32_t exitCode;  // 0, or 1 once a handler failed or an error ended an unattended run
    bool unattended;   // "Silent" was given: no box may wait for a person
};
extern RunOutcome gRun;

void RunOutcomeReset();
void MessageBoxSetUnattended(bool unattended);
// The window that owns the boxes while it is visible.
void MessageBoxSetOwner(HWND owner);

// Shows a box and returns the button pressed (IDOK, IDYES or IDNO).
int32_t ShowBox(BoxKind kind, const std::wstring& text);

// An error the user must see. In unattended runs no box is shown: the text goes to standard
// error, the exit code says so and the program ends.
void ShowErrorBox(const std::wstring& text);

// A handler failed: as ShowErrorBox, and the exit code says so in every run.
void ReportFailure(const std::wstring& text);

// Something was refused and the handler goes on without it: the user is told (a box, or
// standard error in unattended runs) and the exit code says so, but nothing ends.
void ReportRefusal(const std::wstring& text);

// Writes "Fitwright: " + text as a line to standard error, when the process has one.
void WriteStandardError(const std::wstring& text);

// Runs a handler; an error inside it ends only that handler and is reported. No exception
// crosses a window procedure. Returns false when the handler failed.
template <typename Handler>
bool RunGuarded(Handler&& handler) {
    try {
        handler();
        return true;
    } catch (const InstallerError& error) {
        ReportFailure(error.message);
    } catch (const std::bad_alloc&) {
        ReportFailure(L"Out of memory.");
    } catch (...) {
        ReportFailure(L"Unexpected internal error.");
    }
    return false;
}

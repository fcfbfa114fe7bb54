// Message boxes, unattended reporting and the run's outcome.
#include "installer/message_box.h"

#include <vector>

#include "installer/installer_state.h"

RunOutcome gRun;

static HWND gBoxOwner;

void RunOutcomeReset() {
    gRun = RunOutcome{};
}

void MessageBoxSetUnattended(bool unattended) {
    gRun.unattended = unattended;
}

void MessageBoxSetOwner(HWND owner) {
    gBoxOwner = owner;
}

// Standard error, when the process was given one, carries the message as UTF-8.
void WriteStandardError(const std::wstring& text) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    std::wstring line = L"Fitwright: " + text + L"\r\n";
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()),
                                    nullptr, 0, nullptr, nullptr);
    std::vector<char> utf8(bytes);
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    DWORD written = 0;
    WriteFile(error, utf8.data(), bytes, &written, nullptr);
}

int32_t ShowBox(BoxKind kind, const std::wstring& text) {
    static const UINT kStyles[] = {MB_OK, MB_OK | MB_ICONINFORMATION, MB_OK | MB_ICONERROR,
                                   MB_YESNO | MB_ICONQUESTION};
    HWND owner = (gBoxOwner && IsWindowVisible(gBoxOwner)) ? gBoxOwner : nullptr;
    UINT style = kStyles[kind] | (owner ? MB_APPLMODAL : MB_TASKMODAL);
    return MessageBoxW(owner, text.c_str(), kind == BOX_ERROR ? L"Error" : L"Fitwright", style);
}

void ShowErrorBox(const std::wstring& text) {
    if (!gRun.unattended) {
        ShowBox(BOX_ERROR, text);
        return;
    }
    WriteStandardError(text);
    gRun.exitCode = 1;
    gView.endProgram();
}

void ReportFailure(const std::wstring& text) {
    gRun.exitCode = 1;
    ShowErrorBox(text);
}

void ReportRefusal(const std::wstring& text) {
    gRun.exitCode = 1;
    if (gRun.unattended)
        WriteStandardError(text);
    else
        ShowBox(BOX_ERROR, text);
}

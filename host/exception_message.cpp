// Messages for the processor faults that the hook guard reports.

#include "host/exception_message.h"

#include <windows.h>

#include "host/message_boxes.h"

namespace {
struct ExceptionText {
    uint32_t code;
    const char* text;
};
constexpr ExceptionText kExceptionTexts[] = {
    {0xC0000005, "Memory access violation!"},
    {0xC000001D, "Illegal instruction!"},
    {0xC000008C, "Array bounds exceeded!"},
    {0xC000008D, "Floating-point denormal operand!"},
    {0xC000008E, "Floating-point divide by zero!"},
    {0xC000008F, "Floating-point inexact result!"},
    {0xC0000090, "Floating-point invalid operation!"},
    {0xC0000091, "Floating-point overflow!"},
    {0xC0000092, "Floating-point stack overflow!"},
    {0xC0000093, "Floating-point underflow!"},
    {0xC0000094, "Integer (zero-)divide error!"},
    {0xC0000095, "Integer overflow!"},
    {0xC0000096, "Privileged instruction!"},
    {0xC00000FD, "Stack overflow!"},
};
constexpr uint32_t kConsoleControlBreak = 0xC000013A;
}  // namespace

const char* ExceptionMessageText(uint32_t code) {
    for (const ExceptionText& entry : kExceptionTexts)
        if (entry.code == code) return entry.text;
    return nullptr;
}

FaultDecision FrameworkExceptionFilter(uint32_t code) {
    if (ExceptionMessageText(code) || code == kConsoleControlBreak) return FAULT_HANDLE;
    return FAULT_PASS_ON;
}

bool ShowExceptionMessage(uint32_t code) {
    const char* text = ExceptionMessageText(code);
    if (text) {
        ShowMessage(MB_ICONHAND, "Error Message", "%s\n\n", text);
        return true;
    }
    return code == kConsoleControlBreak;
}

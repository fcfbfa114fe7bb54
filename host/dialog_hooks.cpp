// The table of dialog hooks and its fallbacks for a framework without a dialog: plain message
// boxes, no progress, no preview.

#include "host/dialog_hooks.h"

#include "host/host_api.h"

namespace {

int PlainMessage(unsigned style, const char* caption, const char* text, bool) {
    return MessageBoxA(nullptr, text ? text : "", caption, style);
}

void NoAboutBox() {}

int32_t NoDialog(int32_t, void (*)()) {
    PlainMessage(MB_ICONERROR | MB_OK | MB_TASKMODAL, "Error",
                 "The filter dialog is not part of this plug-in.", false);
    return HOST_ERROR_REPORTED;
}

void NoProgress(int32_t) {}

int NoPreview() {
    return 0;
}

void NothingKept() {}

void NoControlText(int32_t, const char*) {}

void NoControlPaint(int32_t) {}

void NoHistogram(const HistogramShow&) {}

constexpr DialogHooks kFallbacks = {PlainMessage,   NoAboutBox,  NoDialog,    NoProgress,
                                    NoPreview,      NothingKept, NothingKept, NoControlText,
                                    NoControlPaint, NoHistogram};

}  // namespace

DialogHooks gDialogHooks = kFallbacks;

void DialogHooksReset() {
    gDialogHooks = kFallbacks;
}

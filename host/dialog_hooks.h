// What the framework asks of the dialog: message boxes, the filter dialog itself, its progress
// bar and preview, and the resources it keeps for a run, as one table of hooks.
#pragma once

#include <windows.h>

#include <cstdint>

// The histogram sheet's panel after a preview render: the bins of a numbered array drawn on a
// control in the colour of another, with the sheet's settings.
struct HistogramShow {
    int32_t array;         // numbered array that receives the bins
    int32_t control;       // the panel
    int32_t colorControl;  // the control whose colour the panel takes
    int32_t channel, style, zoom, noGaps;
};

// The dialog fills the table when the plug-in is loaded (dialog/framework_hooks.cpp); until
// then, and in programs built without the dialog, each entry is a plain fallback.
struct DialogHooks {
    // A message box; returns the button pressed. With expand, caption and text are expanded
    // ("!" escapes, entities) and a null caption is the filter's title. Owned by the dialog
    // while it is up. Fallback: a plain box of the text as given.
    int (*showMessage)(unsigned style, const char* caption, const char* text, bool expand);
    // The about box. Fallback: nothing.
    void (*showAboutBox)();
    // Runs the filter dialog until OK or cancel; renderProxy renders the preview's proxy
    // through the effect. Returns 0 after OK, else the result code for the host. Fallback: an
    // error box and HOST_ERROR_REPORTED.
    int32_t (*runDialog)(int32_t argument, void (*renderProxy)());
    // Shows a render's progress in percent on the dialog. Fallback: nothing.
    void (*showProgress)(int32_t percent);
    // Repaints the preview now; 0 when no dialog is up. A render hook calls it once the
    // preview's pixels are final, and the dialog then leaves out the paint that would follow
    // the rendering. Fallback: 0.
    int (*refreshPreview)();
    // A run starts: the dialog forgets what an earlier run left. Fallback: nothing.
    void (*startRun)();
    // A run ends: the dialog frees what it kept for the run (fonts, image lists). Fallback:
    // nothing.
    void (*releaseRun)();
    // Sets the text of control n (no control, no effect). Fallback: nothing.
    void (*setControlText)(int32_t n, const char* text);
    // Paints control n now rather than when the message loop next runs. Fallback: nothing.
    void (*paintControlNow)(int32_t n);
    // Counts the rendered preview into the histogram and draws it. Fallback: nothing.
    void (*showHistogram)(const HistogramShow& show);
};
// Written by DialogHooksReset and by the dialog's DialogHooksInstall, once at load.
extern DialogHooks gDialogHooks;

// Puts every entry back to its fallback.
void DialogHooksReset();

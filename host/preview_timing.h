// Timing of the preview's updates: the moments from a control's changed value to the painted
// preview, read from the performance counter while the environment variable
// GREYLOOM_PREVIEW_LOG names a file, to which one line is appended per painted rendering.
#pragma once

#include <cstdint>

// The moments of one update, in the order they happen.
enum PreviewMoment : int32_t {
    PREVIEW_MOMENT_VALUE_CHANGED,  // the dialog took a control's new value from the user
    PREVIEW_MOMENT_ACTION_ARMED,   // the one-shot timer of the control's action was set
    PREVIEW_MOMENT_ACTION_RUN,     // the action (the timer's, or one run at once) starts
    PREVIEW_MOMENT_RENDER_START,   // the effect's render hook starts
    PREVIEW_MOMENT_RENDER_END,     // its rows are done
    PREVIEW_MOMENT_PAINT_START,    // a paint of the dialog that shows the preview starts
    PREVIEW_MOMENT_DISPLAY_END,    // the host's display routine has drawn the picture
    PREVIEW_MOMENT_PAINTED,        // that paint has ended
    PREVIEW_MOMENT_COUNT
};

// The names the log gives the moments ("value-changed", "action-armed", ...).
const char* PreviewMomentName(PreviewMoment moment);

// Reads the environment: called when a dialog starts, so that a program can name the log
// before it opens the plug-in's dialog. Clears the moments.
void PreviewTimingBegin();
// Whether the log is wanted for the dialog under way.
bool PreviewTimingOn();
// Records a moment (the latest of each kind counts: a drag's last move starts the update that
// is shown). A paint that follows a rendering and drew the picture ends the update: its line
// "preview name=ms name=ms ..." (counter milliseconds, moments not seen left out) is appended
// and the moments start over.
void PreviewTimingMark(PreviewMoment moment);

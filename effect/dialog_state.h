// The dialog's remembered state at opening: "Greyloomdialog.ini" read and checked, the
// dialog's start size within the work area, the skin choice, and what the host can tell.
#pragma once

#include <cstdint>

#include "effect/settings_files.h"

constexpr int32_t kDialogStateMaximise = -2;  // LoadDialogState: the caller maximises

// Sizes in dialog units for the start size: the file's (or the default) client size, the
// restored size a maximised dialog had (0 x 0 when it was not), and the limits.
struct DialogSizeRules {
    int32_t width, height;                  // as read, or the default size
    int32_t restoredWidth, restoredHeight;  // 0 when the dialog was not maximised
    int32_t smallWidth, smallHeight;        // below these the small size is taken
    int32_t minWidth, minHeight;            // the small size (also the tracking minimum)
    int32_t maxWidth, maxHeight;            // the work area's client size and the size cap
};
struct DialogStartSize {
    int32_t width, height;  // client size, dialog units
    bool maximised;
};

// Pure: the dialog's start size. A restored size stands for a maximised dialog and becomes
// the size it restores to. Every size, the restored one too, is held to min..max, so that a
// damaged file can neither open the dialog past the work area nor give it no size.
DialogStartSize DialogStartSizeFrom(const DialogSizeRules& rules);

// Pure: the values of controls 310..399 held to what each control can show: ranges, and for
// tabs, page selectors and combo boxes their items (a sheet past the last would index past
// the page tables). Values of controls without a range stay as they are.
void DialogStateClampValues(DialogStateContents* contents);

// Pure: whether a host of this signature gives document titles the plug-in can name logged
// settings by.
int32_t HostGivesDocumentTitle(uint32_t hostSignature, bool hasTitle);
// The same, asking the host for the title.
int32_t HostHasDocumentTitle();

// Layouts switch redrawing off and on, which marks a window visible: a dialog that is not yet
// shown would then skip its first showing (and its first painting). This takes the mark back.
void DialogForgetEarlyShow();
// Lays the controls out for a client size (dialog units), also before the dialog is shown.
void LayOutDialogControls(int32_t width, int32_t height);

// Sets a control's value; a control the dialog has not made (a run without the dialog) has
// the value stored for the render.
void SetOrStoreControlValue(int32_t n, int32_t value);

// What LoadDialogState found.
struct DialogStateLoad {
    bool fileRead;
    DialogStateContents contents;  // the file's, checked; defaults when none was read
};

// Reads the dialog-state file, sets controls 310..399 from it (without one: the language
// from the user's locale), sizes the dialog and sets its tracking limits, and applies the
// skin choice. Returns 1, or kDialogStateMaximise when the dialog is to open maximised (it
// was closed so, or there was no file).
int32_t LoadDialogState(const char* path, DialogStateLoad* out);

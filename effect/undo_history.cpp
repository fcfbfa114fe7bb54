// Undo and redo over ARRAY_UNDO, and the state their two buttons show by their image names.

#include "effect/undo_history.h"

#include <cstring>
#include <vector>

#include "dialog/control_appearance.h"
#include "dialog/control_texts.h"
#include "dialog/filter_dialog.h"
#include "effect/settings_reaction_parts.h"
#include "effect/settings_rows.h"
#include "host/numbered_arrays.h"

int32_t gUndoInProgress;

namespace {
constexpr int32_t kButtonImageOption = 66;
constexpr int32_t kBeforeRow = 0, kCurrentRow = 1;

// Each preview rendering after a change records a step: a button that already shows its state
// is left alone, since loading its picture again and repainting the dialog under it would cost
// every rendering as much as the rendering itself.
void ShowButton(int32_t n, const char* image) {
    const char* shown = GetControlImageName(n);
    if (shown && strcmp(shown, image) == 0) return;
    SetControlImage(n, image, kButtonImageOption);
}

void ShowButtons(bool undoAvailable, bool redoAvailable) {
    ShowButton(kUndoButton, undoAvailable ? "undo_off.bmp" : "undo_grey.bmp");
    ShowButton(kRedoButton, redoAvailable ? "redo_off.bmp" : "redo_grey.bmp");
}

void SwapRows() {
    for (int32_t x = 0; x < GetArrayDimension(ARRAY_UNDO, 0); ++x) {
        const int32_t before = GetArrayElement(ARRAY_UNDO, x, kBeforeRow, 0);
        PutArrayElement(ARRAY_UNDO, x, kBeforeRow, 0,
                        GetArrayElement(ARRAY_UNDO, x, kCurrentRow, 0));
        PutArrayElement(ARRAY_UNDO, x, kCurrentRow, 0, before);
    }
}

bool SwapAndApply() {
    if (!GetArrayBase(ARRAY_UNDO)) return false;
    gUndoInProgress = 1;
    SwapRows();
    ApplySettingsRow(ARRAY_UNDO, kCurrentRow, 0);
    return true;
}
}  // namespace

void InitUndo() {
    if (!CreateArray(ARRAY_UNDO, kSettingsRowLength, 2, 1, 4)) return;
    SetAllArrayElements(ARRAY_UNDO, 0);
    StoreSettingsRow(ARRAY_UNDO, kBeforeRow);
    StoreSettingsRow(ARRAY_UNDO, kCurrentRow);
    ShowButtons(false, false);
}

void RecordUndo() {
    if (!GetArrayBase(ARRAY_UNDO)) return;
    if (gUndoInProgress) {
        gUndoInProgress = 0;
        return;
    }
    const int32_t width = GetArrayDimension(ARRAY_UNDO, 0);
    std::vector<int32_t> last(size_t(width > 0 ? width : 0));
    for (int32_t x = 0; x < width; ++x)
        last[size_t(x)] = GetArrayElement(ARRAY_UNDO, x, kCurrentRow, 0);
    StoreSettingsRow(ARRAY_UNDO, kCurrentRow);
    // A rendering that changed nothing (a zoom, a second pass over the same settings, the
    // settings set's tab) is no step: it would leave an undo that restores what is shown and
    // throw away the redo.
    bool changed = false;
    for (int32_t x = 0; x < width && !changed; ++x)
        changed = GetArrayElement(ARRAY_UNDO, x, kCurrentRow, 0) != last[size_t(x)];
    if (!changed) return;
    for (int32_t x = 0; x < width; ++x)
        PutArrayElement(ARRAY_UNDO, x, kBeforeRow, 0, last[size_t(x)]);
    ShowButtons(true, false);
}

void Undo() {
    if (!SwapAndApply()) return;
    ShowButtons(false, true);
}

void Redo() {
    if (!SwapAndApply()) return;
    PumpDialogMessages();
    ShowButtons(true, false);
}

int32_t ReactToUndoButton(const ReactionEvent& event) {
    const bool undo = event.control == kUndoButton;
    // The button's image is its state: a grey button has nothing to give back.
    const char* image = GetControlImageName(event.control);
    if (!image || strcmp(image, undo ? "undo_off.bmp" : "redo_off.bmp") != 0) return 1;
    if (undo)
        Undo();
    else
        Redo();
    return 0;  // the control's action renders the state given back
}

void UndoHistoryReset() {
    gUndoInProgress = 0;
}

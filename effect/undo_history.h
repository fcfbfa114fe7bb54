// The single undo/redo step: ARRAY_UNDO holds the state before the last change (row 0) and
// the current state (row 1); undo and redo swap them and apply row 1.
#pragma once

#include <cstdint>

constexpr int32_t kUndoButton = 294;
constexpr int32_t kRedoButton = 295;

// Set by Undo and Redo; the next RecordUndo clears it and records nothing, so that the
// rendering they cause does not count as a change. Written only by effect/undo_history.cpp.
extern int32_t gUndoInProgress;

void InitUndo();
// After a rendering (the left button up): the current state becomes a step.
void RecordUndo();
void Undo();
void Redo();
void UndoHistoryReset();

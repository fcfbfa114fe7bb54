// The effect dialog's keyboard: which key does what, decided from a snapshot of the keys and
// the dialog (pure), and what each reaction does.
#pragma once

#include <cstdint>

enum KeyReaction : int32_t {
    KEY_PASS = 0,  // not the effect's: the key goes on to the dialog (result 0)
    KEY_ZOOM_IN,
    KEY_ZOOM_OUT,
    KEY_UNDO,
    KEY_REDO,
    KEY_HAND,
    KEY_EYEDROPPER,
    KEY_CROSS,
    KEY_ERASER,
    KEY_BRUSH,
    KEY_SWAP_BRUSH,
    KEY_SPLIT_OFF,
    KEY_SPLIT_TOOL,
    KEY_RESET,
    KEY_PREVIEW_TOGGLE,
    KEY_MASK_HIDE,
    KEY_MASK_SHOW,
    KEY_FIRST_PRESET,
    KEY_DELETE_CURVE_POINT,
    KEY_HARDNESS_DOWN,
    KEY_HARDNESS_UP,
    KEY_SIZE_DOWN,
    KEY_SIZE_UP,
    KEY_REACTION_COUNT,
};

// What the keyboard map looks at when a key goes down.
struct KeyboardSnapshot {
    int32_t key;               // virtual key
    bool ctrlHeld, shiftHeld;  // the key's high bit (held now)
    bool altOrCtrlState;       // Alt or Ctrl held: the preset list's type-ahead is off
    bool presetListFocused;    // the preset list has the keyboard focus
    bool cursorOverPreview;    // the cursor lies over the preview's image
    bool splitViewOn;          // the split view is not "Off"
    int32_t currentTool;       // gCurrentTool
    bool maskShown;            // "show mask" and its option both on
    bool mainSheetShown;       // the main tab shows its Main sheet
    bool curveTargeted;        // the cursor is over the curve panel, or it has the focus
    int32_t brushSmallerKey;   // VkKeyScanA result of the first brush key (shift included)
    int32_t brushLargerKey;
};

// Pure: the first row of the keyboard map that matches.
KeyReaction KeyboardReactionFor(const KeyboardSnapshot& keys);

// Pure: the brush keys of a keyboard layout ("00000407" is German): the characters whose
// keys make the brush smaller and larger.
struct BrushKeyCharacters {
    char smaller, larger;
};
BrushKeyCharacters BrushKeysForLayout(const char* layoutName);

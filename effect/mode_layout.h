// The layout of the dialog's right-hand column for the five modes of the mode combo box.
#pragma once

#include <cstdint>

enum LayoutMode : int32_t {
    LAYOUT_EASY = 0,
    LAYOUT_QUICK_EDIT = 1,
    LAYOUT_PHOTOGRAPHY = 2,
    LAYOUT_ADVANCED = 3,  // the layout in which the dialog is built
    LAYOUT_ADVANCED_PLUS = 4,
};

// The mode whose layout the dialog has; 3 at load, written only by the mode reaction.
extern int32_t gLayoutMode;
void ModeLayoutReset();

// Colour picking: the host's picker when it offers one, else the system's colour dialog.
#pragma once

#include <windows.h>

#include <cstdint>

#ifndef GREYLOOM_PRINTF
#define GREYLOOM_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#endif

// The chosen colour (0x00BBGGRR), or -1 when the user cancelled.
int32_t PickColor(uint32_t initialColor, const char* promptFormat, ...) GREYLOOM_PRINTF(2, 3);

// The system's colour dialog, fully open, with the module's 16 custom colours.
int32_t PickSystemColor(uint32_t initialColor);

// The prompt as the host's picker takes it: a length byte, then at most 255 characters.
void MakeLengthPrefixedText(const char* text, uint8_t out[256]);

// The system's colour dialog in the user's language (0 English, 1 German) with a "Preview"
// check box that shows each colour typed into the red, green and blue fields live on the
// colour control and the preview (previewControl holds the box's state; -1: no box). The
// chosen colour, or -1 after Cancel, which puts the starting colour back.
int32_t PickColorWithPreview(int32_t colorControl, uint32_t color, int32_t previewControl,
                             int32_t language);
UINT_PTR CALLBACK ColorDialogHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The picker's own texts, in the order of the system's texts they replace.
constexpr int kColorDialogTextCount = 12;
// The system's English texts of the colour dialog, then the replacements for language.
const char* const* ColorDialogSystemTexts();
const char* const* ColorDialogTexts(int32_t language);
const char* ColorDialogTitle(int32_t language);
const char* ColorPreviewLabel(int32_t language);

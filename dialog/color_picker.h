// Colour picking: the host's picker when it offers one, else the system's colour dialog.
#pragma once

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

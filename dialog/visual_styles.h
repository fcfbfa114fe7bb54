// Visual styles: the optional theme library, loaded by name for each use, with a plain
// fallback whenever it or one of its functions is missing.
#pragma once

#include <windows.h>

#include <cstdint>

// SetWindowTheme through "uxtheme.dll"; -1 when the library or the function is missing.
int32_t ApplyWindowTheme(HWND window, const wchar_t* appName, const wchar_t* idList);

// The window's default visual style while the dialog is themed, else none.
void SetControlThemeDefault(HWND window);

// Switches visual styles on or off for the whole dialog (dialogThemed of gParams).
void SetDialogTheming(int32_t on);

// True when visual styles are in force for this module: computed once.
bool IsVisualStyleActive();

// Tests reach the themed branches through this: 1 or 0 forces the answer of
// IsVisualStyleActive, -1 goes back to measuring.
void SetVisualStyleOverride(int32_t active);

// Draws a theme part into control n's window (n of 400 or more: the dialog). 1 when drawn,
// 0 without the theme library.
int32_t DrawThemePart(int32_t n, const RECT& rect, const wchar_t* classList, int32_t part,
                      int32_t state);

// Reads a colour property of a theme part through the theme library: false when the library,
// the theme data or the property is missing.
bool ReadThemeColor(HWND window, const wchar_t* classList, int32_t part, int32_t state,
                    int32_t property, COLORREF* color);

// The skin engine: applying a skin to the dialog's controls (recolouring the plain ones and
// replacing the skinned classes by owner-drawn windows with the same ids), the skinned
// sliders' mouse, hit tests of skinned tab strips and menu bars, and the skin's getters.
#pragma once

#include <windows.h>

#include <cstdint>

#include "dialog/skin_file.h"
#include "dialog/skin_style.h"

// The engine's own state between the calls of one dialog. Written only by skin_engine.cpp
// and skin_painting.cpp (the paint DC and the progress fields).
struct SkinEngineState {
    bool windowsCreated;     // set by ApplySkin once the owner-drawn windows exist
    bool slidersSubclassed;  // set once skin 0 replaced the sliders
    bool sliderDrag;         // left button went down on a skinned slider and is still held
    HDC paintDc;             // DC of the WM_DRAWITEM under way (SetSkinPaintDc); null: none
    HWND paintWindow;        // the window that DC belongs to
    int32_t progressWidth;   // filled width of the last progress paint, pixels; -1 none
    DWORD progressPaintMs;   // clock of the last progress paint
};
extern SkinEngineState gSkinEngine;

// Clears the engine's flags and forgets the skin the parameter block remembers, so that a
// dialog with new windows is skinned again. Called when a new dialog is built.
void ResetSkinSubclassFlags();

// The skinActive field of the parameter block.
bool IsSkinActive();
// Whether the active skin draws control n itself.
bool IsControlSkinned(int32_t n);

// Fills the style record with skin 0..13 and stores the number as the parameter block's
// skinIndex; numbers above 13 leave only the defaults.
void LoadSkinStyle(int32_t skin);
// Applies the choice of the skin combo box: 1 replaces the sliders only, 2..14 skin every
// skinned class (first time) or restyle it (later). Choosing the skin in use does nothing;
// choice 0 (the standard look) needs a new dialog and is left to the caller. Returns 1 when
// something was applied, else 0.
int32_t ApplySkin(int32_t choice);
// Replaces control n's window by its owner-drawn window; 1 when replaced.
int32_t CreateSkinButtonWindows(int32_t n);
// Replaces every slider's window and follows its mouse.
void SubclassSkinnedControls();

// Paints control n: state 0 normal, 1 pressed, 2 into the owner-draw DC (SetSkinPaintDc),
// 3 mouse over.
void PaintSkinnedControl(int32_t n, int32_t state);
// The DC of a WM_DRAWITEM for window (a control's window or a tab's strip); null ends it.
void SetSkinPaintDc(HDC dc, HWND window = nullptr);
// The frame drawn around the preview by a skin.
void DrawPreviewFrame();

// Index of the tab under the mouse in a skinned tab control, -1 none.
int32_t GetTabAtMouse(int32_t n);
// Index of the menu-bar button under the mouse, -1 none.
int32_t GetToolbarButtonAtMouse(int32_t n);
// 1 when control n lies on a sheet of a tab control (through up to three value lists).
int32_t IsOnTabSheet(int32_t n);
// Sets slider n's value from the mouse; 0 when the mouse is outside it.
int32_t SkinSliderTrackClick(int32_t n);
// What a skinned control does when its owner-drawn window is clicked; true when handled.
bool SkinControlClicked(int32_t n, int code);
// Moves the strip of a skinned tab control n along with the control; false for any other.
bool PlaceSkinTabStrip(int32_t n);
// A click in the tab strip of a skinned tab control n; true when handled.
bool SkinTabStripClicked(int32_t n, int code);

// A new 32-bit picture of the bitmap's size with every channel inverted; null on failure.
HBITMAP InvertBitmapColors(HBITMAP bitmap, HDC dc);

// --- The loaded style -------------------------------------------------------------------------
int32_t GetSkinBackgroundColor();
int32_t GetSkinPanelColor();  // the sheet colour: panels mostly lie on sheets
int32_t GetSkinFaceColor();
int32_t GetSkinShadowColor();
int32_t GetSkinTextColor();
int32_t GetSkinListColor();
int32_t IsSkinDark();
int32_t GetSkinComboHeight();
int32_t GetSkinTabStripHeight();
int32_t GetSkinToolbarButtonWidth();
int32_t GetSkinThumbWidth();
// Width of one item of control n's strip for count items; a count of 0 or less counts the
// lines of n's text.
int32_t GetSkinItemWidth(int32_t n, int32_t count);
// Items of control n's strip: the lines of its text.
int32_t GetSkinItemCount(int32_t n);

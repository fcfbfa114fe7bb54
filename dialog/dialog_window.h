// The one filter dialog window as a whole: its handle, placement, size limits, style, title,
// colours, the size grip and the preview background.
#pragma once

#include <windows.h>

#include <cstdint>

#ifndef GREYLOOM_PRINTF
#define GREYLOOM_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#endif

// The dialog while it is up, else null; set and cleared by the dialog procedure.
extern HWND gDialog;

// Dialog-wide state beside the parameter block. Lives with the module (as the parameter
// block lives with the loaded plug-in), so a second run finds the first run's size and limits.
struct DialogFrameState {
    // Tracking limits of the window in pixels, 0 = none; SetDialogMinMaxSize.
    int32_t minTrackWidth, minTrackHeight, maxTrackWidth, maxTrackHeight;
    COLORREF previewBackground;  // -1 none; SetControlColor on the preview
    uint32_t style, exStyle;     // recorded by the dialog procedure at creation and at the end
    RECT windowRect;             // the last window rectangle; stored by the dialog procedure
    bool windowRectStored;
    RECT firstRect;  // the rectangle of the first dialog of the module
    bool firstRectStored;
    bool maximised;      // the dialog was last seen maximised
    bool minimised;      // SetDialogPlacement asked for a minimised dialog
    bool sizeGripShown;  // ShowSizeGrip
    bool keepPreviewFrame;
};
extern DialogFrameState gDialogFrame;

// Gives every field its first value.
void DialogFrameReset();

// --- Frame items of the template as pseudo controls -----------------------------------------
void RegisterFrameControls();
// Puts the preview's frame under every control and keeps it off them: the template made it
// first, on top of the controls made after it, where it covered the tabs above the preview.
void LowerPreviewFrame();

// --- Placement and size -----------------------------------------------------------------------
// Dialog units; -1 keeps. See the dialog procedure for the call at creation.
int32_t SetDialogPosition(int32_t relativeToDesktop, int32_t x, int32_t y, int32_t width,
                          int32_t height);
// Top left of a window of the given size centred horizontally in area and one third down
// its free height, then kept inside workArea (never left of or above it).
POINT CentreWindowPosition(const RECT& area, SIZE window, const RECT& workArea);
int32_t SetDialogMinMaxSize(int32_t minWidth, int32_t minHeight, int32_t maxWidth,
                            int32_t maxHeight);
// part 0..3: x, y, width, height of the window (client with clientFlag) in dialog units.
int32_t GetDialogCoord(int32_t part, int32_t clientFlag);
int32_t GetDialogClientWidth();
int32_t GetDialogClientHeight();
// Fills the tracking limits of WM_GETMINMAXINFO; false when none are set.
bool ApplyDialogSizeLimits(MINMAXINFO* info);

// --- Style, title and colours ---------------------------------------------------------------
int32_t AddDialogStyle(uint32_t bits);
int32_t SetDialogTitle(const char* text);
int32_t SetDialogTitleFormat(const char* format, ...) GREYLOOM_PRINTF(1, 2);
int32_t SetDialogColors(COLORREF first, COLORREF second, uint32_t third);
int32_t SetDialogColor(COLORREF color);
COLORREF GetDialogColor();
// The brush of the dialog colour, kept while the colour stays.
HBRUSH DialogBackgroundBrush();

// --- Painting helpers of the dialog procedure -------------------------------------------------
// dc, or (HDC)-1 for the dialog's own.
void FillPreviewBackground(HDC dc);
void DrawSizeGrip();
// The size grip's square in client coordinates.
RECT SizeGripRect();

// The about box: the modal dialog "ABOUT" over its picture, shown for the host's about
// selector and for the about action of the filter dialog.
#pragma once

#include <windows.h>

#include <cstdint>

// How the background picture covers the box.
enum AboutPictureMode : int32_t {
    ABOUT_PICTURE_ONCE = 0,       // once, at the top left
    ABOUT_PICTURE_TILED = 1,      // repeated over the whole box
    ABOUT_PICTURE_STRETCHED = 2,  // stretched to the box
};

constexpr int kAboutTextItem = 1044;
constexpr int kAboutPicture = 134;

// The four lines of the about text, separated by line feeds.
const char* AboutText();

// Places the picture for one paint: the destination rectangles of its copies in a client
// area of clientWidth x clientHeight. Pure; at most maxCount rectangles are written and the
// number needed is returned.
int32_t AboutPicturePlaces(int32_t mode, int32_t pictureWidth, int32_t pictureHeight,
                           int32_t clientWidth, int32_t clientHeight, RECT* places,
                           int32_t maxCount);

// Shows the box, owned by the filter dialog while it is up, else by the host's window (the
// about selector's record). Returns when the user closed it.
void ShowAboutBox(int32_t mode = ABOUT_PICTURE_ONCE);
INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

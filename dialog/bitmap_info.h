// The picture format the dialog paints into by hand: 32 bits per pixel (0x00RRGGBB), top row
// first, so that row y starts at y * width pixels.
#pragma once

#include <windows.h>

#include <cstdint>

inline BITMAPINFO TopDownBitmapInfo32(int32_t width, int32_t height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The dialog's eleven image lists and bitmaps made from numbered arrays.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>

constexpr int kImageListSlotCount = 11;
extern HIMAGELIST gImageLists[kImageListSlotCount];  // written only by the functions below

// 24-bit colour list (with a mask when withMask is 1); 0 for a slot above 10.
int32_t CreateImageList(int32_t slot, int32_t width, int32_t height, int32_t initialCount,
                        int32_t growth, int32_t withMask);
// Replaces image index, or appends when index is at or past the count.
int32_t SetImageListImage(int32_t slot, int32_t index, HBITMAP bitmap, HBITMAP mask);
int32_t DestroyImageList(int32_t slot);

// A 24-bit bottom-up DIB section from array n, whose elements hold red, green, blue; null for
// n above 99 or an array that does not exist.
HBITMAP CreateArrayBitmap(int32_t n);

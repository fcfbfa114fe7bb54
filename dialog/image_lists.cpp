// Image lists for list views and toolbars, and bitmaps built from numbered arrays.

#include "dialog/image_lists.h"

#include <cstring>

#include "dialog/control_record.h"
#include "host/numbered_arrays.h"

HIMAGELIST gImageLists[kImageListSlotCount];

namespace {

bool ValidSlot(int32_t slot) {
    return slot >= 0 && slot < kImageListSlotCount;
}

// The list views share the slots' lists (they never destroy one): a list that goes is first
// taken from every list view that shows it, which would otherwise draw from freed memory.
void DestroyShownList(HIMAGELIST list) {
    for (int32_t n = 0; n < kControlCount; ++n) {
        const ControlRecord* record = UsedControlRecord(n);
        if (!record || record->controlClass != CONTROL_LISTVIEW || !IsWindow(record->window))
            continue;
        if (HIMAGELIST(SendMessageA(record->window, LVM_GETIMAGELIST, LVSIL_NORMAL, 0)) == list)
            SendMessageA(record->window, LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
    }
    ImageList_Destroy(list);
}

}  // namespace

int32_t CreateImageList(int32_t slot, int32_t width, int32_t height, int32_t initialCount,
                        int32_t growth, int32_t withMask) {
    if (!ValidSlot(slot)) return 0;
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    if (gImageLists[slot]) DestroyShownList(gImageLists[slot]);
    UINT flags = ILC_COLOR24 | (withMask == 1 ? ILC_MASK : 0);
    gImageLists[slot] =
        ImageList_Create(width, height, flags, initialCount < 1 ? 1 : initialCount, growth);
    return gImageLists[slot] ? 1 : 0;
}

int32_t SetImageListImage(int32_t slot, int32_t index, HBITMAP bitmap, HBITMAP mask) {
    if (!ValidSlot(slot) || !gImageLists[slot]) return 0;
    if (index >= 0 && index < ImageList_GetImageCount(gImageLists[slot]))
        return ImageList_Replace(gImageLists[slot], index, bitmap, mask) ? 1 : 0;
    return ImageList_Add(gImageLists[slot], bitmap, mask) >= 0 ? 1 : 0;
}

int32_t DestroyImageList(int32_t slot) {
    if (!ValidSlot(slot) || !gImageLists[slot]) return 0;
    DestroyShownList(gImageLists[slot]);
    gImageLists[slot] = nullptr;
    return 1;
}

HBITMAP CreateArrayBitmap(int32_t n) {
    if (n < 0 || n >= kArrayCount || !GetArrayBase(n)) return nullptr;
    const NumberedArray& array = gArrays[n];
    int32_t width = array.xSize - 2 * array.border;
    int32_t height = array.ySize - 2 * array.border;
    if (width < 1 || height < 1) return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    const int32_t rowBytes = (width * 3 + 3) & ~3;
    auto* rows = static_cast<uint8_t*>(bits);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = rows + int64_t(height - 1 - y) * rowBytes;
        for (int32_t x = 0; x < width; ++x) {
            row[x * 3 + 0] = uint8_t(GetArrayElement(n, x, y, 2));
            row[x * 3 + 1] = uint8_t(GetArrayElement(n, x, y, 1));
            row[x * 3 + 2] = uint8_t(GetArrayElement(n, x, y, 0));
        }
    }
    GdiFlush();
    return bitmap;
}

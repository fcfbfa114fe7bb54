// Image lists of the dialog's controls.

#include "dialog/image_lists.h"

#include <windows.h>
#include <commctrl.h>

static HIMAGELIST gImageLists[kImageListSlotCount];

int32_t DestroyImageList(int32_t slot) {
    if (slot < 0 || slot >= kImageListSlotCount || !gImageLists[slot]) return 0;
    ImageList_Destroy(gImageLists[slot]);
    gImageLists[slot] = nullptr;
    return 1;
}

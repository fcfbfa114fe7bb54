// The about box: its text, the placing of its picture, and its dialog procedure.

#include "dialog/about_box.h"

#include "dialog/dialog_window.h"
#include "host/host_api.h"
#include "host/plugin_data.h"

namespace {

// What the box's procedure needs while it is up; only one box is ever open.
struct AboutBoxState {
    int32_t mode;
    HBITMAP picture;
};
AboutBoxState gAbout = {ABOUT_PICTURE_ONCE, nullptr};

HINSTANCE ResourceModule() {
    return gModule ? gModule : GetModuleHandleA(nullptr);
}

// The host's window during the about selector: the host passes its about record then.
HWND AboutOwner() {
    if (gDialog && IsWindow(gDialog)) return gDialog;
    if (!gDataBlock || !gStuff) return nullptr;
    const auto* record = reinterpret_cast<const AboutRecord*>(gStuff);
    if (!record->platformData) return nullptr;
    HWND host = reinterpret_cast<HWND>(record->platformData->hwnd);
    return IsWindow(host) ? host : nullptr;
}

// Centred over the owner's client area (or the screen), never leaving the screen.
void CentreAboutBox(HWND box) {
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const RECT screen = area;
    if (HWND owner = GetWindow(box, GW_OWNER)) {
        GetClientRect(owner, &area);
        MapWindowPoints(owner, nullptr, reinterpret_cast<POINT*>(&area), 2);
    }
    RECT rect;
    GetWindowRect(box, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int x = area.left + ((area.right - area.left) - width) / 2;
    int y = area.top + ((area.bottom - area.top) - height) / 2;
    if (x + width > screen.right) x = screen.right - width;
    if (y + height > screen.bottom) y = screen.bottom - height;
    if (x < screen.left) x = screen.left;
    if (y < screen.top) y = screen.top;
    SetWindowPos(box, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PaintAboutPicture(HWND box, HDC dc) {
    RECT client;
    GetClientRect(box, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    BITMAP info;
    if (!gAbout.picture || !GetObjectA(gAbout.picture, sizeof info, &info)) return;
    HDC source = CreateCompatibleDC(dc);
    if (!source) return;
    HGDIOBJ old = SelectObject(source, gAbout.picture);
    RECT places[64];
    const int32_t count = AboutPicturePlaces(gAbout.mode, info.bmWidth, info.bmHeight, client.right,
                                             client.bottom, places, 64);
    SetStretchBltMode(dc, HALFTONE);
    for (int32_t i = 0; i < count && i < 64; ++i) {
        const RECT& to = places[i];
        StretchBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, source, 0, 0,
                   info.bmWidth, info.bmHeight, SRCCOPY);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

void OnAboutInit(HWND box, int32_t mode) {
    gAbout.mode = mode;
    gAbout.picture = static_cast<HBITMAP>(
        LoadImageA(ResourceModule(), MAKEINTRESOURCEA(kAboutPicture), IMAGE_BITMAP, 0, 0, 0));
    CentreAboutBox(box);
    SetDlgItemTextA(box, kAboutTextItem, AboutText());
}

void CloseAboutBox(HWND box) {
    EndDialog(box, IDOK);
}

}  // namespace

const char* AboutText() {
    return "Quillmoor\nGreyloom 2.0\nB&W Effects\nwww.quillmoor.com";
}

int32_t AboutPicturePlaces(int32_t mode, int32_t pictureWidth, int32_t pictureHeight,
                           int32_t clientWidth, int32_t clientHeight, RECT* places,
                           int32_t maxCount) {
    if (pictureWidth < 1 || pictureHeight < 1) return 0;
    auto put = [&](int32_t index, RECT rect) {
        if (places && index < maxCount) places[index] = rect;
    };
    if (mode == ABOUT_PICTURE_STRETCHED) {
        put(0, {0, 0, clientWidth, clientHeight});
        return 1;
    }
    if (mode != ABOUT_PICTURE_TILED) {
        put(0, {0, 0, pictureWidth, pictureHeight});
        return 1;
    }
    int32_t count = 0;
    for (int32_t y = 0; y < clientHeight; y += pictureHeight)
        for (int32_t x = 0; x < clientWidth; x += pictureWidth)
            put(count++, {x, y, x + pictureWidth, y + pictureHeight});
    return count;
}

INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnAboutInit(window, int32_t(lParam));
            return TRUE;
        case WM_ERASEBKGND:
            PaintAboutPicture(window, reinterpret_cast<HDC>(wParam));
            SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_CTLCOLORSTATIC:
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetStockObject(HOLLOW_BRUSH));
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) CloseAboutBox(window);
            return TRUE;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            CloseAboutBox(window);
            return TRUE;
        case WM_DESTROY:
            if (gAbout.picture) DeleteObject(gAbout.picture);
            gAbout.picture = nullptr;
            return FALSE;
    }
    return FALSE;
}

void ShowAboutBox(int32_t mode) {
    DialogBoxParamA(ResourceModule(), "ABOUT", AboutOwner(), AboutDialogProc, LPARAM(mode));
}

// Dialog units: measured from the dialog's font once per dialog, converted with MulDiv rounding
// for units to pixels (as the system maps dialog templates) and truncation back.

#include "dialog/dialog_units.h"

#include "dialog/dialog_window.h"

namespace {

// Valid while cachedFor is the dialog it was measured for.
struct DialogMetricsCache {
    HWND cachedFor;
    bool valid;
    DialogFontMetrics metrics;
};
DialogMetricsCache gMetricsCache = {nullptr, false, {0, 0}};

DialogFontMetrics SystemMetrics() {
    LONG base = GetDialogBaseUnits();
    return {LOWORD(base), HIWORD(base)};
}

DialogFontMetrics MeasureDialogFont(HWND dialog) {
    DialogFontMetrics metrics = {0, 0};
    HDC dc = GetDC(dialog);
    if (!dc) return metrics;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size = {0, 0};
    TEXTMETRICA text = {};
    if (GetTextExtentPoint32A(dc, kLetters, 52, &size) && GetTextMetricsA(dc, &text))
        metrics = {AverageCharWidth(size.cx), text.tmHeight};
    if (old) SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    return metrics;
}

}  // namespace

int32_t AverageCharWidth(int32_t lettersWidth) {
    return (lettersWidth / 26 + 1) / 2;
}

int32_t UnitsToPixelsX(const DialogFontMetrics& metrics, int32_t units) {
    return metrics.averageWidth < 1 ? 0 : MulDiv(units, metrics.averageWidth, 4);
}

int32_t UnitsToPixelsY(const DialogFontMetrics& metrics, int32_t units) {
    return metrics.height < 1 ? 0 : MulDiv(units, metrics.height, 8);
}

int32_t PixelsToUnitsX(const DialogFontMetrics& metrics, int32_t pixels) {
    return metrics.averageWidth < 1 ? 0 : int32_t(int64_t(pixels) * 4 / metrics.averageWidth);
}

int32_t PixelsToUnitsY(const DialogFontMetrics& metrics, int32_t pixels) {
    return metrics.height < 1 ? 0 : int32_t(int64_t(pixels) * 8 / metrics.height);
}

DialogFontMetrics CurrentDialogMetrics() {
    if (!gDialog) return SystemMetrics();
    if (!gMetricsCache.valid || gMetricsCache.cachedFor != gDialog) {
        DialogFontMetrics measured = MeasureDialogFont(gDialog);
        // A font that measures nothing would make every control vanish: use the system's.
        if (measured.averageWidth < 1 || measured.height < 1) measured = SystemMetrics();
        gMetricsCache = {gDialog, true, measured};
    }
    return gMetricsCache.metrics;
}

void ForgetDialogMetrics() {
    gMetricsCache.valid = false;
}

int32_t DialogUnitsToPixelsX(int32_t dx) {
    return UnitsToPixelsX(CurrentDialogMetrics(), dx);
}
int32_t DialogUnitsToPixelsY(int32_t dy) {
    return UnitsToPixelsY(CurrentDialogMetrics(), dy);
}
int32_t PixelsToDialogUnitsX(int32_t px) {
    return PixelsToUnitsX(CurrentDialogMetrics(), px);
}
int32_t PixelsToDialogUnitsY(int32_t py) {
    return PixelsToUnitsY(CurrentDialogMetrics(), py);
}

int32_t PixelRectPartInDialogUnits(const RECT& rect, int32_t part) {
    switch (part) {
        case 0:
            return PixelsToDialogUnitsX(rect.left);
        case 1:
            return PixelsToDialogUnitsY(rect.top);
        case 2:
            return PixelsToDialogUnitsX(rect.right - rect.left);
        case 3:
            return PixelsToDialogUnitsY(rect.bottom - rect.top);
    }
    return 0;
}

RECT DialogUnitsToPixelRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    DialogFontMetrics metrics = CurrentDialogMetrics();
    RECT rect;
    rect.left = UnitsToPixelsX(metrics, x);
    rect.top = UnitsToPixelsY(metrics, y);
    rect.right = rect.left + UnitsToPixelsX(metrics, width);
    rect.bottom = rect.top + UnitsToPixelsY(metrics, height);
    return rect;
}

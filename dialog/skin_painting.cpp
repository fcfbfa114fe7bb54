// The skins' painters: faces, 3-D frames and arrows drawn from the loaded style, and one
// painter per skinned class, each drawing into a picture of its window that is then copied
// to the window (or to the DC of the owner-draw message under way).

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/control_classes.h"
#include "dialog/control_record.h"
#include "dialog/control_text_store.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/font_slots.h"
#include "dialog/skin_engine.h"
#include "dialog/slider_mapping.h"
#include "dialog/text_expansion.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"

namespace {

constexpr int32_t kSkinFontSlot = 30;
constexpr int32_t kPressedOffset = 0x202020;  // a pressed face is this much lighter
constexpr DWORD kPressShowMs = 100;           // an explicit press stays visible this long
constexpr DWORD kProgressPaintGapMs = 11;     // progress repaints no more often than this
constexpr int32_t kTrackHeight = 4;
constexpr int32_t kMinGroupHeight = 10;  // lower group boxes are separators
constexpr DWORD kPushLike = 0x1000;      // BS_PUSHLIKE
constexpr int32_t kBodyFrameUnits = 14;  // tab controls this high get a body frame

COLORREF Ref(int32_t color) {
    return COLORREF(color & 0xFFFFFF);
}

// A picture of a window's client area: painted in memory, copied out when it goes.
class SkinCanvas {
  public:
    SkinCanvas(HWND window, HDC given) : window_(window), given_(given) {
        RECT client = {};
        if (!window || !GetClientRect(window, &client)) return;
        width = std::max<int>(client.right, 1);
        height = std::max<int>(client.bottom, 1);
        target_ = given ? given : GetDC(window);
        if (!target_) return;
        dc = CreateCompatibleDC(target_);
        bitmap_ = CreateCompatibleBitmap(target_, width, height);
        if (!dc || !bitmap_) return;
        previous_ = SelectObject(dc, bitmap_);
        BitBlt(dc, 0, 0, width, height, target_, 0, 0, SRCCOPY);
        SetBkMode(dc, TRANSPARENT);
    }
    ~SkinCanvas() {
        if (dc && bitmap_) BitBlt(target_, 0, 0, width, height, dc, 0, 0, SRCCOPY);
        if (dc && previous_) SelectObject(dc, previous_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc) DeleteDC(dc);
        if (target_ && !given_) ReleaseDC(window_, target_);
    }
    SkinCanvas(const SkinCanvas&) = delete;
    SkinCanvas& operator=(const SkinCanvas&) = delete;

    bool Ready() const { return dc && bitmap_; }

    void Fill(int left, int top, int right, int bottom, int32_t color) {
        if (right <= left || bottom <= top) return;
        SetDCBrushColor(dc, Ref(color));
        RECT rect = {left, top, right, bottom};
        FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    // Lines include both ends.
    void HLine(int x1, int x2, int y, int32_t color) { Fill(x1, y, x2 + 1, y + 1, color); }
    void VLine(int x, int y1, int y2, int32_t color) { Fill(x, y1, x + 1, y2 + 1, color); }
    void Pixel(int x, int y, int32_t color) { SetPixel(dc, x, y, Ref(color)); }
    int32_t PixelAt(int x, int y) const {
        const COLORREF color = GetPixel(dc, x, y);
        return color == CLR_INVALID ? 0 : int32_t(color);
    }
    void Gradient(int left, int top, int right, int bottom, int32_t from, int32_t to) {
        if (right <= left || bottom <= top) return;
        TRIVERTEX vertices[2] = {{left, top, COLOR16((from & 0xFF) << 8), COLOR16(from & 0xFF00),
                                  COLOR16((from >> 8) & 0xFF00), 0},
                                 {right, bottom, COLOR16((to & 0xFF) << 8), COLOR16(to & 0xFF00),
                                  COLOR16((to >> 8) & 0xFF00), 0}};
        GRADIENT_RECT rect = {0, 1};
        if (!GdiGradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V))
            Fill(left, top, right, bottom, from);
    }
    void Ellipse(int left, int top, int right, int bottom, int32_t fill, int32_t outline) {
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(fill < 0 ? HOLLOW_BRUSH : DC_BRUSH));
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
        if (fill >= 0) SetDCBrushColor(dc, Ref(fill));
        SetDCPenColor(dc, Ref(outline));
        ::Ellipse(dc, left, top, right, bottom);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
    }
    void Polyline(const POINT* points, int count, int32_t color, int penWidth) {
        HPEN pen = CreatePen(PS_SOLID, penWidth, Ref(color));
        HGDIOBJ old = SelectObject(dc, pen);
        ::Polyline(dc, points, count);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    void Text(const std::string& text, RECT rect, UINT format, int32_t color, HFONT font) {
        HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        SetTextColor(dc, Ref(color));
        DrawTextA(dc, text.c_str(), int(text.size()), &rect, format | DT_NOPREFIX);
        SelectObject(dc, old);
    }
    int TextWidth(const std::string& text, HFONT font) {
        HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        SIZE size = {};
        GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
        SelectObject(dc, old);
        return size.cx;
    }

    HDC dc = nullptr;
    int width = 0, height = 0;

  private:
    HWND window_;
    HDC given_;
    HDC target_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

HWND PaintWindowFor(HWND window) {
    return gSkinEngine.paintDc && gSkinEngine.paintWindow == window ? window : nullptr;
}

// The canvas of a window: into the owner-draw DC when it is this window's, else its own DC.
HDC GivenDcFor(HWND window) {
    return PaintWindowFor(window) ? gSkinEngine.paintDc : nullptr;
}

HFONT SkinFont() {
    HFONT font = FontSlot(kSkinFontSlot);
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HFONT BoldSkinFont() {
    static HFONT bold = nullptr;
    static HFONT madeFrom = nullptr;
    HFONT regular = SkinFont();
    if (bold && madeFrom == regular) return bold;
    LOGFONTA font = {};
    if (!GetObjectA(regular, sizeof font, &font)) return regular;
    font.lfWeight = FW_BOLD;
    if (bold) DeleteObject(bold);
    bold = CreateFontIndirectA(&font);
    madeFrom = regular;
    return bold ? bold : regular;
}

std::string Caption(const ControlRecord& record) {
    return ExpandText(ControlWholeText(record).c_str());
}

std::vector<std::string> Items(const ControlRecord& record) {
    std::vector<std::string> items;
    std::string text = ExpandTextLines(ControlWholeText(record)), item;
    for (char c : text) {
        if (c == '\n') {
            items.push_back(item);
            item.clear();
        } else if (c != '\r') {
            item += c;
        }
    }
    if (!item.empty()) items.push_back(item);
    return items;
}

int32_t BackgroundOf(int32_t n) {
    return IsOnTabSheet(n) ? gSkinStyle.sheetColor : gSkinStyle.panelColor;
}

int32_t GradientBitOf(int32_t controlClass) {
    switch (controlClass) {
        case CONTROL_PUSHBUTTON:
            return SKINGRAD_PUSHBUTTON;
        case CONTROL_COMBOBOX:
            return SKINGRAD_COMBOBOX;
        case CONTROL_TAB:
            return SKINGRAD_TAB;
        case CONTROL_SLIDER:
            return SKINGRAD_SLIDER;
    }
    return 0;
}

int32_t TintModeOf(const ControlRecord& record, int32_t state) {
    if (record.window && GetFocus() == record.window) return 2;
    return state == 3 ? 1 : 0;
}

// The face of control n: the skin's gradient for its class, else the plain colour; tinted
// under the mouse and with the focus.
void FillSkinFace(SkinCanvas& canvas, const ControlRecord& record, int32_t state, int left, int top,
                  int right, int bottom, int32_t color) {
    const SkinStyle& s = gSkinStyle;
    const int32_t mode = TintModeOf(record, state);
    auto tint = [&](int32_t c) { return mode ? TintColor(s, c, mode) : c; };
    const int32_t bit = GradientBitOf(record.controlClass);
    int32_t top1 = -1, bottom1 = 0, top2 = -1, bottom2 = 0;
    if (s.gradientTop != -1 && (s.gradientClasses & bit)) {
        top1 = s.gradientTop, bottom1 = s.gradientBottom;
        top2 = s.gradientTop2, bottom2 = s.gradientBottom2;
    } else if (s.altGradientTop != -1 && (s.altGradientClasses & bit)) {
        top1 = s.altGradientTop, bottom1 = s.altGradientBottom;
        top2 = s.altGradientTop2, bottom2 = 0;
    }
    if (top1 == -1) {
        canvas.Fill(left, top, right, bottom, tint(color));
    } else if (top2 != -1) {
        const int middle = (top + bottom) / 2;
        canvas.Gradient(left, top, right, middle, tint(top1), tint(bottom1));
        canvas.Gradient(left, middle, right, bottom, tint(top2), tint(bottom2));
    } else {
        canvas.Gradient(left, top, right, bottom, tint(top1), tint(bottom1));
    }
}

enum SkinFrameKind { FRAME_RAISED = 0, FRAME_SUNKEN = 1, FRAME_ROUND = 2 };

void DrawSkinFrame(SkinCanvas& canvas, int32_t n, int kind, int left, int top, int right,
                   int bottom, int32_t extra, int round) {
    const SkinStyle& s = gSkinStyle;
    const int32_t back = BackgroundOf(n);
    const int32_t outline = AddColorOffset(back, s.outlineOffset);
    const int32_t highlight = AddColorOffset(AddColorOffset(s.faceColor, s.highlightOffset), extra);
    if (round < 0) round = s.roundCorners;
    if (kind == FRAME_ROUND) {
        canvas.Ellipse(left, top, right, bottom, -1, s.dark ? s.shadowColor : s.faceColor);
        return;
    }
    const int r = right - 1, b = bottom - 1;
    canvas.HLine(left, r, top, s.shadowColor);
    canvas.HLine(left, r, b, s.shadowColor);
    canvas.VLine(left, top, b, s.shadowColor);
    canvas.VLine(r, top, b, s.shadowColor);
    if (kind == FRAME_SUNKEN) {
        canvas.HLine(left + 1, r - 1, top + 1, outline);
        canvas.VLine(left + 1, top + 1, b - 1, outline);
        const int32_t light = AddColorOffset(s.sheetColor, s.highlightOffset);
        canvas.HLine(left, r, bottom, light);
        canvas.VLine(right, top, bottom, light);
        return;
    }
    canvas.HLine(left + 1, right - 3, top + 1, highlight);
    if (s.sideEdges) canvas.VLine(left + 1, top + 1, b - 1, highlight);
    if (s.flatBottomEdge) {
        const int32_t inner = AddColorOffset(s.sheetColor, s.outlineOffset);
        canvas.HLine(left + 1, r - 1, bottom - 3 + 1, inner);
        if (s.sideEdges) canvas.VLine(right - 3 + 1, top + 1, b - 1, inner);
    } else {
        canvas.HLine(left + 1, r, bottom - 1, outline);
        if (s.sideEdges) canvas.VLine(r, round ? top + 1 : top, round ? bottom - 3 : b, outline);
    }
    if (!round) return;
    const int32_t corner = BlendColors(back, s.shadowColor, 1);
    for (POINT p : {POINT{left, top}, POINT{r, top}, POINT{left, b}, POINT{r, b}})
        canvas.Pixel(p.x, p.y, corner);
    const int32_t upper = BlendColors(s.shadowColor, highlight, 5);
    canvas.Pixel(left + 1, top + 1, upper);
    canvas.Pixel(r - 1, top + 1, upper);
    const int32_t lower = BlendColors(s.shadowColor, canvas.PixelAt(3, 3), 5);
    canvas.Pixel(left + 1, b - 1, lower);
    canvas.Pixel(r - 1, b - 1, lower);
}

enum SkinArrowKind { ARROW_DOWN = 0, ARROW_SMALL_DOWN = 1, ARROW_SPIN = 2, ARROW_CHECK = 3 };

// Arrows centred on (x, y).
void DrawSkinArrow(SkinCanvas& canvas, int kind, int x, int y, int32_t color) {
    switch (kind) {
        case ARROW_DOWN:
            for (int i = 0; i < 4; ++i) canvas.HLine(x - 3 + i, x + 3 - i, y - 1 + i, color);
            break;
        case ARROW_SMALL_DOWN:
            for (int i = 0; i < 3; ++i) canvas.HLine(x - 2 + i, x + 2 - i, y - 1 + i, color);
            break;
        case ARROW_SPIN:
            for (int i = 0; i < 3; ++i) {
                canvas.HLine(x - i, x + i, y - 4 + i, color);
                canvas.HLine(x - 2 + i, x + 2 - i, y + 2 + i, color);
            }
            break;
        case ARROW_CHECK: {
            const POINT mark[3] = {{x - 4, y}, {x - 1, y + 3}, {x + 4, y - 3}};
            canvas.Polyline(mark, 3, color, 2);
            break;
        }
    }
}

// A press asked for by the engine (not an owner-draw paint) stays visible for a moment.
void ShowPress(int32_t state, HWND window) {
    if (state == 1 && !PaintWindowFor(window)) Sleep(kPressShowMs);
}

void PaintButtonFace(int32_t n, const ControlRecord& record, int32_t state, bool pressed,
                     const std::string& caption, bool arrow) {
    SkinCanvas canvas(record.window, GivenDcFor(record.window));
    if (!canvas.Ready()) return;
    const SkinStyle& s = gSkinStyle;
    canvas.Fill(0, 0, canvas.width, canvas.height, BackgroundOf(n));
    const int32_t face = pressed ? AddColorOffset(s.faceColor, kPressedOffset) : s.faceColor;
    if (pressed)
        canvas.Fill(1, 1, canvas.width - 1, canvas.height - 1, face);
    else
        FillSkinFace(canvas, record, state, 1, 1, canvas.width - 1, canvas.height - 1, face);
    DrawSkinFrame(canvas, n, FRAME_RAISED, 0, 0, canvas.width, canvas.height, 0, -1);
    const int shift = pressed ? 1 : 0;
    const int32_t ink = pressed ? s.selectedTextColor : s.controlTextColor;
    if (arrow) {
        DrawSkinArrow(canvas, ARROW_DOWN, canvas.width / 2 + shift, canvas.height / 2 + shift, ink);
    } else {
        RECT rect = {shift, shift, canvas.width + shift, canvas.height + shift};
        canvas.Text(caption, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE, ink, SkinFont());
    }
}

}  // namespace

// --- Entry points -----------------------------------------------------------------------------

void SetSkinPaintDc(HDC dc, HWND window) {
    gSkinEngine.paintDc = dc;
    gSkinEngine.paintWindow = dc ? window : nullptr;
}

void PaintSkinnedControl(int32_t n, int32_t state) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || gContext.imageWidth == 0) return;
    if (record->controlClass < CONTROL_SLIDER || record->controlClass > CONTROL_TOOLBAR) return;
    if (!IsControlSkinned(n)) return;
    if (const SkinPaintProc paint = ControlClassOf(record->controlClass).skin.paint)
        paint(n, state);
}

void DrawPreviewFrame() {
    if (!gDialog) return;
    HWND preview = GetDlgItem(gDialog, ITEM_PREVIEW);
    RECT rect;
    if (!preview || !GetWindowRect(preview, &rect)) return;
    MapWindowPoints(nullptr, gDialog, reinterpret_cast<POINT*>(&rect), 2);
    HDC dc = GetDC(gDialog);
    if (!dc) return;
    const SkinStyle& s = gSkinStyle;
    auto line = [dc](int x1, int y1, int x2, int y2, int32_t color) {
        RECT part = {x1, y1, x2 + 1, y2 + 1};
        SetDCBrushColor(dc, Ref(color));
        FillRect(dc, &part, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    };
    const int l = rect.left - 1, t = rect.top - 1, r = rect.right, b = rect.bottom;
    line(l, t, r, t, s.shadowColor);
    line(l, b, r, b, s.shadowColor);
    line(l, t, l, b, s.shadowColor);
    line(r, t, r, b, s.shadowColor);
    const int32_t light = AddColorOffset(s.previewColor, s.highlightOffset);
    const int32_t dark = AddColorOffset(s.panelColor, s.outlineOffset);
    line(l + 1, t + 1, r - 1, t + 1, light);
    if (s.sideEdges) line(l + 1, t + 1, l + 1, b - 1, light);
    line(l, b + 1, r + 1, b + 1, dark);
    if (s.sideEdges) line(r + 1, t, r + 1, b + 1, dark);
    ReleaseDC(gDialog, dc);
}

// --- Painters of the classes --------------------------------------------------------------------

void PaintSkinSlider(int32_t n, int32_t state) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record) return;
    SkinCanvas canvas(record->window, GivenDcFor(record->window));
    if (!canvas.Ready()) return;
    const SkinStyle& s = gSkinStyle;
    const int32_t t = s.thumbWidth;
    const SliderShape shape = {record->min, record->max, record->pageExtent, record->gamma};
    const int64_t span = std::abs(int64_t(record->max) - record->min);
    const int64_t position =
        std::abs(int64_t(GammaMapShape(shape, record->value, 0)) - record->min);
    const int centre = SkinThumbCentre(canvas.width, t, position, span);
    canvas.Fill(0, 0, canvas.width, canvas.height, BackgroundOf(n));
    const int middle = canvas.height / 2;
    DrawSkinFrame(canvas, n, FRAME_SUNKEN, t / 2, middle - kTrackHeight / 2, canvas.width - t / 2,
                  middle + kTrackHeight / 2, 0, 0);
    const int left = centre - t / 2, right = left + t;
    if (s.thumbStyle == 2) {
        const int32_t mode = TintModeOf(*record, state);
        canvas.Ellipse(left, 0, right, canvas.height,
                       mode ? TintColor(s, s.thumbColor, mode) : s.thumbColor, s.shadowColor);
        return;
    }
    FillSkinFace(canvas, *record, state, left + 1, 1, right - 1, canvas.height - 1, s.thumbColor);
    if (s.thumbStyle == 1)
        DrawSkinFrame(canvas, n, FRAME_RAISED, left, 0, right, canvas.height, 0, -1);
}

void PaintSkinButton(int32_t n, int32_t state) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !record->window) return;
    char windowText[8] = "";
    GetWindowTextA(record->window, windowText, sizeof windowText);
    // "6" is the down triangle of the symbol font (also the caption of a menu image button's
    // replacement): the skin draws the triangle itself.
    const bool menuButton = std::string(windowText) == "6" &&
                            std::string(record->imageName).find("buttonmenu") != std::string::npos;
    const bool arrow = menuButton || Caption(*record) == "6";
    PaintButtonFace(n, *record, state, state == 1, Caption(*record), arrow);
    ShowPress(state, record->window);
}

void PaintSkinCheckBox(int32_t n, int32_t state) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !record->window) return;
    const SkinStyle& s = gSkinStyle;
    const bool checked = record->value != 0;
    if (record->style & kPushLike) {
        SkinCanvas canvas(record->window, GivenDcFor(record->window));
        if (!canvas.Ready()) return;
        const int32_t face = !s.sideEdges && checked ? BackgroundOf(n) : s.faceColor;
        FillSkinFace(canvas, *record, state, 0, 0, canvas.width, canvas.height, face);
        DrawSkinFrame(canvas, n, checked ? FRAME_SUNKEN : FRAME_RAISED, 0, 0, canvas.width,
                      canvas.height, 0, -1);
        const int shift = checked ? 1 : 0;
        RECT rect = {shift, shift, canvas.width + shift, canvas.height + shift};
        canvas.Text(Caption(*record), rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                    s.selectedTextColor, SkinFont());
        return;
    }
    SkinCanvas canvas(record->window, GivenDcFor(record->window));
    if (!canvas.Ready()) return;
    canvas.Fill(0, 0, canvas.width, canvas.height, BackgroundOf(n));
    const int size = s.checkSize;
    const int top = std::max(0, (canvas.height - size) / 2);
    if (s.sideEdges) {
        FillSkinFace(canvas, *record, state, 1, top + 1, size - 1, top + size - 1, s.checkColor);
        DrawSkinFrame(canvas, n, FRAME_SUNKEN, 0, top, size, top + size, 0, 0);
    } else {
        FillSkinFace(canvas, *record, state, 1, top + 1, size - 1, top + size - 1, s.faceColor);
        DrawSkinFrame(canvas, n, FRAME_RAISED, 0, top, size, top + size, 0, -1);
    }
    if (checked) DrawSkinArrow(canvas, ARROW_CHECK, size / 2, top + size / 2, s.selectedTextColor);
    const int textTop = top + (size - s.fontSize) / 2 - (s.flatBottomEdge ? 0 : 1);
    RECT rect = {size + 4, textTop, canvas.width, canvas.height};
    canvas.Text(Caption(*record), rect, DT_LEFT | DT_TOP | DT_SINGLELINE, s.controlTextColor,
                SkinFont());
}

void PaintSkinGroupBox(int32_t n, int32_t) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !record->window) return;
    SkinCanvas canvas(record->window, GivenDcFor(record->window));
    if (!canvas.Ready()) return;
    const SkinStyle& s = gSkinStyle;
    canvas.Fill(0, 0, canvas.width, canvas.height, BackgroundOf(n));
    if (canvas.height < kMinGroupHeight) {
        const int middle = canvas.height / 2;
        canvas.HLine(0, canvas.width - 1, middle, s.shadowColor);
        canvas.HLine(0, canvas.width - 1, middle + 1,
                     AddColorOffset(s.faceColor, s.highlightOffset));
        return;
    }
    DrawSkinFrame(canvas, n, FRAME_RAISED, 0, s.fontSize / 2, canvas.width, canvas.height, 0, -1);
    const std::string caption = Caption(*record);
    if (caption.empty()) return;
    const int width = canvas.TextWidth(caption, SkinFont());
    canvas.Fill(7, 0, std::min(canvas.width, 11 + width + 7), s.fontSize + 1, s.sheetColor);
    RECT rect = {10, 0, canvas.width, canvas.height};
    canvas.Text(caption, rect, DT_LEFT | DT_TOP | DT_SINGLELINE, s.selectedTextColor, SkinFont());
}

void PaintSkinColorButton(int32_t n, int32_t) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !record->window) return;
    SkinCanvas canvas(record->window, GivenDcFor(record->window));
    if (!canvas.Ready()) return;
    if (gSkinStyle.sideEdges)
        DrawSkinFrame(canvas, n, FRAME_SUNKEN, 0, 0, canvas.width - 1, canvas.height - 1, 0, 0);
    else
        DrawSkinFrame(canvas, n, FRAME_RAISED, 0, 0, canvas.width, canvas.height, 0, -1);
}

namespace {
// The popup of a skinned combo box: its items, separators for items starting with "-".
int32_t ChooseComboItem(const ControlRecord& record) {
    const std::vector<std::string> items = Items(record);
    HMENU menu = CreatePopupMenu();
    if (!menu || items.empty()) {
        if (menu) DestroyMenu(menu);
        return -1;
    }
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].empty() && items[i][0] == '-') {
            AppendMenuA(menu, MF_SEPARATOR, 0, "---");
            continue;
        }
        const UINT checked = int32_t(i) == record.value ? MF_CHECKED : 0;
        AppendMenuA(menu, MF_STRING | checked, i + 1, items[i].c_str());
        if (checked) SetMenuDefaultItem(menu, UINT(i + 1), FALSE);
    }
    RECT rect;
    GetWindowRect(record.window, &rect);
    const int x = rect.left + DialogUnitsToPixelsX(2);
    const int y = rect.top + gSkinStyle.comboHeight + DialogUnitsToPixelsY(3);
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN, x, y, 0,
                                      gDialog, nullptr);
    DestroyMenu(menu);
    return chosen > 0 ? chosen - 1 : -1;
}
}  // namespace

void PaintSkinCombo(int32_t n, int32_t state) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record || !record->window) return;
    const SkinStyle& s = gSkinStyle;
    {
        SkinCanvas canvas(record->window, GivenDcFor(record->window));
        if (!canvas.Ready()) return;
        const int h = std::min(canvas.height, s.comboHeight);
        const int arrowLeft = s.sideEdges ? canvas.width - s.comboHeight + 5 : canvas.width;
        canvas.Fill(0, 0, canvas.width, canvas.height, BackgroundOf(n));
        FillSkinFace(canvas, *record, state, 1, 1, arrowLeft, h - 1, s.comboColor);
        if (s.sideEdges) canvas.Fill(arrowLeft, 1, canvas.width - 1, h - 1, s.faceColor);
        const std::vector<std::string> items = Items(*record);
        if (record->value >= 0 && size_t(record->value) < items.size()) {
            RECT rect = {4, (s.comboHeight - s.fontSize) / 2, arrowLeft - 2, h};
            canvas.Text(items[size_t(record->value)], rect,
                        DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS, s.selectedTextColor,
                        SkinFont());
        }
        DrawSkinFrame(canvas, n, FRAME_RAISED, 0, 0, canvas.width, h, 0, -1);
        const int arrowPart = s.sideEdges ? arrowLeft : canvas.width - s.comboHeight + 5;
        if (s.comboDivider) canvas.VLine(arrowPart - 4, 3, s.comboHeight - 4, s.shadowColor);
        DrawSkinArrow(canvas, s.comboArrow, (arrowPart + canvas.width) / 2, h / 2,
                      s.controlTextColor);
    }
    if (state != 1 || PaintWindowFor(record->window)) return;
    const int32_t chosen = ChooseComboItem(*record);
    if (chosen >= 0) {
        record->value = chosen;
        StoreControlValue(n, chosen);
    }
}

void PaintSkinProgress(int32_t n, int32_t state) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || !record->window) return;
    RECT client;
    GetClientRect(record->window, &client);
    const int filled = SkinProgressWidth(client.right, record->min, record->max, record->value);
    const DWORD now = GetTickCount();
    if (state == 1) {
        if (filled == gSkinEngine.progressWidth) {
            gSkinEngine.progressPaintMs = now;
            return;
        }
        if (filled != 0 && now - gSkinEngine.progressPaintMs < kProgressPaintGapMs) return;
    }
    gSkinEngine.progressWidth = filled;
    gSkinEngine.progressPaintMs = now;
    SkinCanvas canvas(record->window, GivenDcFor(record->window));
    if (!canvas.Ready()) return;
    const SkinStyle& s = gSkinStyle;
    FillSkinFace(canvas, *record, 0, 0, 0, filled, canvas.height,
                 int32_t(GetSysColor(COLOR_HIGHLIGHT)));
    FillSkinFace(canvas, *record, 0, filled, 0, canvas.width, canvas.height, s.faceColor);
    const int wider = (s.flatBottomEdge ? 1 : 0) + (s.sideEdges != 2 ? 1 : 0);
    DrawSkinFrame(canvas, n, FRAME_RAISED, 0, 0, canvas.width + wider,
                  canvas.height + (s.flatBottomEdge ? 1 : 0), 0, -1);
    const ControlRecord* buddy = record->buddy >= 0 ? UsedControlRecord(record->buddy) : nullptr;
    if (buddy && buddy->text[0]) {
        RECT rect = {0, s.flatBottomEdge ? 2 : 0, canvas.width, canvas.height};
        canvas.Text(ExpandText(ControlWholeText(*buddy).c_str()), rect,
                    DT_CENTER | DT_TOP | DT_SINGLELINE, s.controlTextColor, SkinFont());
    }
}

namespace {
void PaintTabStrip(int32_t n, const ControlRecord& record, int32_t state) {
    SkinCanvas canvas(record.editWindow, GivenDcFor(record.editWindow));
    if (!canvas.Ready()) return;
    const SkinStyle& s = gSkinStyle;
    const std::vector<std::string> tabs = Items(record);
    const int32_t width = GetSkinItemWidth(n, int32_t(tabs.size()));
    const int h = s.tabStripHeight;
    canvas.Fill(0, 0, canvas.width, canvas.height, s.panelColor);
    for (size_t i = 0; i < tabs.size(); ++i) {
        const int left = int(i) * width, right = left + width;
        if (int32_t(i) == record.value) continue;
        FillSkinFace(canvas, record, state == 3 ? 3 : 0, left + 1, 3, right - 1, h, s.tabColor);
        canvas.HLine(left, right - 1, 2, s.shadowColor);
        canvas.VLine(left, 2, h - 1, s.shadowColor);
        canvas.VLine(right - 1, 2, h - 1, s.shadowColor);
        canvas.HLine(left, right - 1, h - 1, s.shadowColor);
        RECT rect = {left, (h - s.fontSize) / 2 + 2, right, h};
        canvas.Text(tabs[i], rect, DT_CENTER | DT_TOP | DT_SINGLELINE, s.tabTextColor, SkinFont());
    }
    if (record.value < 0 || size_t(record.value) >= tabs.size()) return;
    // The selected tab last: it stands over its neighbours' edges and opens into the sheet.
    const int left = record.value * width, right = left + width;
    if (s.sheetColor != s.panelColor) canvas.Fill(left, 0, right, h, s.sheetColor);
    canvas.HLine(left, right - 1, 0, s.shadowColor);
    canvas.VLine(left, 0, h - 1, s.shadowColor);
    canvas.VLine(right - 1, 0, h - 1, s.shadowColor);
    const int32_t light = AddColorOffset(s.sheetColor, s.highlightOffset);
    canvas.HLine(left + 1, right - 2, 1, light);
    if (s.sideEdges) canvas.VLine(left + 1, 1, h - 1, light);
    const int textLeft = std::max(left + 1, left);
    RECT rect = {textLeft, (h - s.fontSize) / 2 + 1, right, h};
    canvas.Text(tabs[size_t(record.value)], rect, DT_CENTER | DT_TOP | DT_SINGLELINE,
                s.selectedTextColor, BoldSkinFont());
    // The strip's bottom line right of the tabs joins the body's frame.
    canvas.HLine(int(tabs.size()) * width, canvas.width - 1, h - 1, s.shadowColor);
}

void PaintTabBody(int32_t n, const ControlRecord& record) {
    SkinCanvas canvas(record.window, GivenDcFor(record.window));
    if (!canvas.Ready()) return;
    const SkinStyle& s = gSkinStyle;
    const int top = s.tabStripHeight - 1;
    canvas.Fill(0, 0, canvas.width, canvas.height, s.sheetColor);
    if (record.height < kBodyFrameUnits) return;
    const int r = canvas.width - 1, b = canvas.height - 1;
    canvas.HLine(0, r, top, s.shadowColor);
    canvas.VLine(0, top, b, s.shadowColor);
    canvas.VLine(r, top, b, s.shadowColor);
    canvas.HLine(0, r, b, s.shadowColor);
    if (s.sideEdges)
        canvas.VLine(1, top + 1, b - 1, AddColorOffset(s.sheetColor, s.highlightOffset));
    const int32_t outline = AddColorOffset(s.sheetColor, s.outlineOffset);
    canvas.HLine(1, r - 1, b - 1, outline);
    if (s.sideEdges) canvas.VLine(r - 1, top + 1, b - 1, outline);
    (void)n;
}
}  // namespace

void PaintSkinTab(int32_t n, int32_t state) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record) return;
    const bool intoStrip = PaintWindowFor(record->editWindow) != nullptr;
    const bool intoBody = PaintWindowFor(record->window) != nullptr;
    if (!intoStrip && record->window) PaintTabBody(n, *record);
    if (!intoBody && record->editWindow) PaintTabStrip(n, *record, state);
    if (state != 1) return;
    // The sheet's group boxes lie under the body: they are drawn again over it.
    for (int child = 0; child < kControlCount; ++child) {
        const ControlRecord* placed = UsedControlRecord(child);
        if (placed && placed->controlClass == CONTROL_GROUPBOX && placed->window &&
            GetEffectiveControlState(child) == CTLSTATE_FULL)
            InvalidateRect(placed->window, nullptr, FALSE);
    }
}

void PaintSkinToolbar(int32_t n, int32_t state) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record || !record->window) return;
    record->toolbarHotItem = GetToolbarButtonAtMouse(n);
    {
        SkinCanvas canvas(record->window, GivenDcFor(record->window));
        if (!canvas.Ready()) return;
        const SkinStyle& s = gSkinStyle;
        const int width = s.toolbarButtonWidth;
        canvas.Fill(0, 0, canvas.width, canvas.height, s.panelColor);
        const std::vector<std::string> buttons = Items(*record);
        for (size_t i = 0; i < buttons.size(); ++i) {
            const int left = int(i) * width;
            if (int32_t(i) == record->toolbarHotItem)
                canvas.Fill(left, 2, left + width, canvas.height, s.faceColor);
            RECT rect = {left, 0, left + width, canvas.height};
            canvas.Text(buttons[i], rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                        s.selectedTextColor, SkinFont());
        }
    }
    if (state == 1 && record->toolbarHotItem >= 0) {
        const int32_t hot = record->toolbarHotItem;
        StoreControlValue(n, hot);
        TriggerControlEvent(n, EVENT_CONTEXT_MENU, hot, WM_COMMAND, 0, 0, 0, 0);
    }
}

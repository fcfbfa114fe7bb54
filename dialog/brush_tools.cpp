// Serving the brush and eyedropper tools: pen property, brush cursor and its circle outline,
// and the averaged colour under the eyedropper.

#include "dialog/brush_tools.h"

#include <algorithm>
#include <vector>

#include "dialog/control_record.h"
#include "dialog/control_windows_on_demand.h"
#include "dialog/dialog_window.h"
#include "host/effect_context.h"
#include "host/plugin_data.h"

namespace {
constexpr char kPenPropertyName[] = "MicrosoftTabletPenServiceProperty";
constexpr intptr_t kPenFeedbackOff = 17;  // press-and-hold and barrel feedback off
constexpr int32_t kInnerCircleRadius = 4;
constexpr int32_t kInnerCircleFrom = 6;  // smaller brushes show only their outline

void SetMaskBit(uint8_t* bits, int32_t rowBytes, int32_t x, int32_t y) {
    const int32_t side = rowBytes * 8;
    if (x < 0 || y < 0 || x >= side || y >= side) return;
    bits[y * rowBytes + x / 8] |= uint8_t(0x80 >> (x % 8));
}

HWND PenPropertyWindow(int32_t n) {
    if (n < 0) return gDialog;
    static const struct {
        int32_t control, item;
    } kFrameItems[] = {{CTL_PREVIEW, ITEM_PREVIEW},
                       {CTL_ZOOM_TEXT, ITEM_ZOOM_IN},
                       {CTL_PREVIEW_FRAME, ITEM_PREVIEW_FRAME},
                       {CTL_PROGRESS, ITEM_PROGRESS}};
    for (const auto& f : kFrameItems)
        if (f.control == n) return gDialog ? GetDlgItem(gDialog, f.item) : nullptr;
    return ControlWindowNow(n);
}
}  // namespace

int32_t BrushCursorSide(int32_t radius) {
    const int32_t r = std::max(radius, 0);
    return 2 * r + 17 - (2 * r + 1) % 16;
}

void DrawCircleOutline(uint8_t* maskBits, int32_t radius, int32_t rowBytes, int32_t centreX,
                       int32_t centreY) {
    if (!maskBits || radius < 0 || rowBytes < 1) return;
    int32_t x = 0, y = radius, d = 1 - radius;
    auto plot8 = [&](int32_t px, int32_t py) {
        const int32_t points[8][2] = {{px, -py}, {-px, -py}, {px, py}, {-px, py},
                                      {py, -px}, {-py, -px}, {py, px}, {-py, px}};
        for (const auto& p : points) SetMaskBit(maskBits, rowBytes, centreX + p[0], centreY + p[1]);
    };
    while (x <= y) {
        plot8(x, y);
        ++x;
        if (d < 0) {
            d += 2 * x + 1;
        } else {
            --y;
            d += 2 * (x - y) + 1;
        }
    }
}

COLORREF SampleColorArea(int32_t x, int32_t y, int32_t radius) {
    const EffectContext& c = gContext;
    const GetPixelProc source = c.accessors.getSourcePixel;
    const int32_t r = std::max(radius, 0);
    if (!source || c.currentRight <= c.currentLeft || c.currentBottom <= c.currentTop) return 0;
    const bool sixteenBit = IsSixteenBitMode(c.imageMode);
    int64_t sums[3] = {0, 0, 0};
    for (int32_t dy = -r; dy <= r; ++dy) {
        const int32_t py = std::clamp(y + dy, c.currentTop, c.currentBottom - 1);
        for (int32_t dx = -r; dx <= r; ++dx) {
            const int32_t px = std::clamp(x + dx, c.currentLeft, c.currentRight - 1);
            for (int32_t channel = 0; channel < 3; ++channel) {
                const int32_t v = source(px, py, channel);
                sums[channel] += sixteenBit ? v / 128 : v;
            }
        }
    }
    const int64_t count = int64_t(2 * r + 1) * (2 * r + 1);
    // An all-white 16-bit area averages 256: kept at 255 rather than wrapping to 0.
    auto level = [&](int channel) { return BYTE(std::min<int64_t>(sums[channel] / count, 255)); };
    return RGB(level(0), level(1), level(2));
}

int32_t SetTabletPenProperty(int32_t n) {
    HWND window = PenPropertyWindow(n);
    if (!window) return 0;
    const ATOM atom = GlobalAddAtomA(kPenPropertyName);
    const BOOL done = SetPropA(window, kPenPropertyName, reinterpret_cast<HANDLE>(kPenFeedbackOff));
    if (atom) GlobalDeleteAtom(atom);
    return done ? 1 : 0;
}

HCURSOR MakeBrushCursor(int32_t radius) {
    const int32_t r = std::max(radius, 0);
    const int32_t side = BrushCursorSide(r);
    const int32_t rowBytes = side / 8;
    std::vector<uint8_t> andMask(size_t(rowBytes) * side, 0xFF);
    std::vector<uint8_t> xorMask(size_t(rowBytes) * side, 0);
    DrawCircleOutline(xorMask.data(), r, rowBytes, r, r);
    if (r >= kInnerCircleFrom)
        DrawCircleOutline(xorMask.data(), kInnerCircleRadius, rowBytes, r, r);
    return CreateCursor(gModule, r, r, side, side, andMask.data(), xorMask.data());
}

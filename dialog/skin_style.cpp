// The fourteen skins as one table of fields by skin number, the loader that lays a skin over
// the style record, and the colour and geometry arithmetic of the skinned painters.

#include "dialog/skin_style.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>

SkinStyle gSkinStyle;

namespace {

// "keep": the skin leaves the field as the previous skin left it.
constexpr int64_t K = INT64_MIN;
// "sys": skin 0 takes the field from the running system (SkinSystemColours).
constexpr int64_t S = INT64_MIN + 1;

struct SkinFieldRow {
    int32_t SkinStyle::*field;
    int64_t values[kSkinCount];
};

// clang-format off
// Columns are the skins 0..13: Sliders Only, Lightroom, Photoshop Dark, Photoshop Light,
// Photoshop Classic, Elements Light, Elements Dark, PaintShop Dark, PaintShop Medium,
// PaintShop Light, PaintShop Blue, Aero Dark, Aero Light, Lumenvale Medium.
const SkinFieldRow kSkinTable[] = {
    {&SkinStyle::previewColor,    {K, 0x7F7F7F, 0x282828, 0x939393, 0xBFBFBF, 0x6E6E6E, 0x808080, 0x292929, 0x3D3D3D, 0x292929, 0x292929, 0x202020, 0xF0F0F0, 0x808080}},
    {&SkinStyle::panelColor,      {S, 0x292929, 0x393939, 0xC6C6C6, 0xD6D6D6, 0xCCCCCC, 0x585858, 0x292929, 0x5C5C5C, 0xB8B8B8, 0xEBD1BE, 0x202020, 0xF0F0F0, 0x404040}},
    {&SkinStyle::sheetColor,      {S, 0x474747, 0x535353, 0xD6D6D6, 0xD6D6D6, 0xE0DEDC, 0x474747, 0x3D3D3D, 0x707070, 0xADADAD, 0xE0C6B4, 0x505050, 0xFFFFFF, 0x585858}},
    {&SkinStyle::tabColor,        {K, 0x292929, 0x464646, 0xA5A5A5, 0x909090, 0xDDDDDD, 0x2B2B2B, 0x292929, 0x606060, 0x999999, 0xCBB4A4, 0x404040, 0xE8E8E8, 0x505050}},
    {&SkinStyle::comboColor,      {K, 0x3A3A3A, 0x747474, 0xF6F6F6, 0xFFFFFF, 0xDEDEDE, 0x545454, 0x595959, 0x878787, 0xCBCBCB, 0xFBE8DA, 0x808080, 0xE8E8E8, 0x606060}},
    {&SkinStyle::checkColor,      {K, 0x333333, 0x747474, 0xF6F6F6, 0xF6F6F6, 0xEEEEEE, 0x505050, 0x595959, 0x878787, 0xCBCBCB, 0xFBE8DA, 0x404040, 0xE8E8E8, 0x606060}},
    {&SkinStyle::faceColor,       {S, 0x565656, 0x747474, 0xF6F6F6, 0xF6F6F6, 0xFFFFFF, 0x6D6D6D, 0x595959, 0x878787, 0xCBCBCB, 0xFBE8DA, 0x808080, 0xE8E8E8, 0x808080}},
    {&SkinStyle::shadowColor,     {S, 0x000000, 0x272727, 0x888888, 0x686868, 0x9B9A9A, 0x000000, 0x141414, 0x141414, 0x707070, 0x707070, 0x272727, 0x707070, 0x202020}},
    {&SkinStyle::thumbColor,      {S, 0x979797, 0xA0A0A0, 0xF6F6F6, 0xF6F6F6, 0xC0C0C0, 0x545454, 0x878787, 0x878787, 0x878787, 0x878787, 0xA0A0A0, 0xF0F0F0, 0x808080}},
    {&SkinStyle::outlineOffset,   {S, 0x101010, 0x101010, 0x101010, 0x101010, 0x101010, 0x101010, 0x101010, 0x101010, 0x101010, 0x101010, 0x141414, -0x0C0C0C, -0x101010}},
    {&SkinStyle::highlightOffset, {0x202020, 0x404040, 0x404040, 0x202020, 0x202020, 0x404040, 0x404040, 0x404040, 0x404040, 0x404040, 0x404040, 0x141414, -0x030303, 0x404040}},
    {&SkinStyle::gradientTop,     {-1, 0x626262, 0x606060, 0xFFFFFF, -1, 0xE6E3E2, 0x7D7D7D, 0x5A5A5A, 0x8D8D8D, 0xDEDEDE, 0xFDEBDE, 0x606060, 0xF4F4F4, 0x808080}},
    {&SkinStyle::gradientBottom,  {K, 0x565656, 0x787878, 0xE7E7E7, K, 0xD2D1D1, 0x595959, 0x3F3F3F, 0x696969, 0xBBBBBB, 0xE7CDBB, 0x585858, 0xEBEBEB, 0x303030}},
    {&SkinStyle::gradientTop2,    {K, 0x4E4E4E, -1, -1, K, -1, -1, -1, -1, -1, -1, 0x383838, 0xDDDDDD, -1}},
    {&SkinStyle::gradientBottom2, {K, 0x424242, K, K, K, K, K, K, K, K, K, 0x303030, 0xD1D1D1, K}},
    {&SkinStyle::gradientClasses, {15, 1, 11, 11, 15, 3, 3, 7, 7, 7, 7, 15, 15, 15}},
    {&SkinStyle::altGradientTop,  {-1, -1, 0x3D3D3D, 0x999999, 0x9A9A9A, 0xDEDEDE, 0x3E3E3E, -1, -1, -1, -1, -1, -1, -1}},
    {&SkinStyle::altGradientBottom, {K, K, 0x373737, 0x909090, 0x828282, 0xD9D9D9, 0x343434, K, K, K, K, K, K, K}},
    {&SkinStyle::altGradientTop2, {K, K, -1, -1, -1, -1, -1, K, K, K, K, K, K, K}},
    {&SkinStyle::altGradientClasses, {0, 0, 4, 4, 4, 4, 4, 0, 0, 0, 0, 0, 0, 0}},
    {&SkinStyle::hoverTintRed,    {-5, -10, -10, -10, -10, -5, -10, -10, -10, -5, -5, -10, -5, -10}},
    {&SkinStyle::hoverTintGreen,  {5, 10, 10, 0, 0, 5, 10, 10, 10, 5, 5, 10, 5, 10}},
    {&SkinStyle::hoverTintBlue,   {15, 30, 30, 10, 10, 15, 30, 30, 30, 15, 15, 30, 15, 30}},
    {&SkinStyle::focusTintRed,    {-10, -20, -20, -30, -30, -20, -20, -20, -20, -10, -10, -20, -10, -20}},
    {&SkinStyle::focusTintGreen,  {10, 20, 20, -10, -10, 0, 20, 20, 20, 10, 10, 20, 10, 20}},
    {&SkinStyle::focusTintBlue,   {30, 60, 60, 10, 10, 20, 60, 60, 60, 30, 30, 60, 30, 60}},
    {&SkinStyle::sideEdges,       {1, 1, 0, 0, 0, 1, 1, 2, 2, 2, 2, 2, 2, 1}},
    {&SkinStyle::roundCorners,    {0, 0, 1, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1}},
    {&SkinStyle::thumbStyle,      {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {&SkinStyle::flatBottomEdge,  {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0}},
    {&SkinStyle::comboDivider,    {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
    {&SkinStyle::comboArrow,      {2, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}},
    {&SkinStyle::listColor,       {K, 0x7F7F7F, 0x747474, 0xC6C6C6, 0xBFBFBF, 0xE0DEDC, 0x808080, 0x878787, 0x909090, 0xADADAD, 0xE0C6B4, 0x808080, 0xFFFFFF, 0x909090}},
    {&SkinStyle::listTextColor,   {K, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF}},
    {&SkinStyle::controlTextColor, {K, 0xC6C6C6, 0xFFFFFF, 0x000000, 0x000000, 0x000000, 0xFFFFFF, 0xCCCCCC, 0xF0F0F0, 0x1F1F1F, 0x1F1F1F, 0xFFFFFF, 0x000000, 0xF0F0F0}},
    {&SkinStyle::selectedTextColor, {K, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF}},
    {&SkinStyle::tabTextColor,    {K, 0xC6C6C6, 0xB5B5B5, 0x353535, 0x353535, 0x404040, 0xB5B5B5, 0xCCCCCC, 0xF0F0F0, 0x292929, 0x292929, 0xCFCFCF, 0x000000, 0xB0B0B0}},
    {&SkinStyle::fontSize,        {K, 13, 14, 14, 14, 13, 13, 13, 13, 13, 13, 12, 12, 13}},
    {&SkinStyle::editBoxColor,    {0xFFFFFF, 0x3A3A3A, 0x3A3A3A, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x2B2B2B, 0x292929, 0x5C5C5C, 0xE0E0E0, 0xFFEFE3, 0x404040, 0xFFFFFF, 0x404040}},
    {&SkinStyle::editBoxTextColor, {0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF}},
    {&SkinStyle::dark,            {0, 1, 1, 0, 0, 0, 1, 1, 1, 0, 0, 1, 0, 1}},
};
// clang-format on

// The skin font by skin number; null keeps the previous face.
const char* const kSkinFaces[kSkinCount] = {
    nullptr,  "Tahoma", "Arial",  "Arial",  "Arial",         "Tahoma",        "Tahoma",
    "Tahoma", "Tahoma", "Tahoma", "Tahoma", "MS Sans Serif", "MS Sans Serif", "Tahoma"};

// Skin 0's outline on a classic frame: a plain darker line, as the system draws it.
constexpr int32_t kClassicOutlineOffset = -0x202020;
// Under visual styles the system's frames are faint and rounded.
constexpr int32_t kThemedOutlineOffset = -0x030303;

// Every load starts from these, so that no skin inherits another's gradients or metrics.
void SetLoadDefaults(SkinStyle& style) {
    style.gradientTop = -1;
    style.gradientClasses = 15;
    style.altGradientTop = -1;
    style.altGradientClasses = 0;
    style.comboHeight = 21;
    const int32_t widths[kSkinTabWidthCount + 1] = {0, 59, 59, 59, 59, 48, 43};
    std::copy(std::begin(widths), std::end(widths), style.tabWidths);
    style.tabStripHeight = 20;
    style.toolbarButtonWidth = 39;
    style.thumbWidth = 12;
    style.checkSize = 13;
    style.roundCorners = 0;
    style.thumbStyle = 1;
    style.flatBottomEdge = 0;
    style.comboArrow = 2;
    style.comboDivider = 0;
    style.editBoxColor = 0xFFFFFF;
    style.editBoxTextColor = 0x000000;
    style.dark = 0;
}

void SetSystemValues(SkinStyle& style, const SkinSystemColours& system) {
    style.panelColor = system.dialogColor;
    style.sheetColor = system.firstTabColor;
    style.faceColor = style.thumbColor = system.buttonFace;
    style.shadowColor = system.darkShadow;
    style.outlineOffset = system.visualStyles ? kThemedOutlineOffset : kClassicOutlineOffset;
    if (system.visualStyles) style.roundCorners = 1;
}

int32_t Channel(int32_t color, int shift) {
    return (color >> shift) & 0xFF;
}

int32_t ClampByte(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, 0, 255));
}

// A colour whose red, green and blue are proc (channel index, channel of color), each held
// to 0..255.
template <typename ChannelProc>
int32_t MapChannels(int32_t color, ChannelProc proc) {
    int32_t result = 0;
    for (int i = 0; i < 3; ++i) result |= ClampByte(proc(i, Channel(color, 8 * i))) << (8 * i);
    return result;
}

}  // namespace

void SkinStyleReset() {
    gSkinStyle = SkinStyle{};
}

void LoadSkinStyleInto(SkinStyle& style, int32_t skin, const SkinSystemColours& system) {
    SetLoadDefaults(style);
    if (skin < 0 || skin >= kSkinCount) return;
    for (const SkinFieldRow& row : kSkinTable) {
        const int64_t value = row.values[skin];
        if (value != K && value != S) style.*row.field = int32_t(value);
    }
    if (skin == 0) SetSystemValues(style, system);
    if (kSkinFaces[skin]) {
        std::strncpy(style.faceName, kSkinFaces[skin], sizeof style.faceName - 1);
        style.faceName[sizeof style.faceName - 1] = '\0';
    }
}

int32_t AddColorOffset(int32_t color, int32_t offset) {
    return int32_t(std::clamp<int64_t>(int64_t(color & 0xFFFFFF) + offset, 0, 0xFFFFFF));
}

int32_t TintColor(const SkinStyle& style, int32_t color, int32_t mode) {
    const bool focus = mode == 2;
    const int32_t percents[3] = {focus ? style.focusTintRed : style.hoverTintRed,
                                 focus ? style.focusTintGreen : style.hoverTintGreen,
                                 focus ? style.focusTintBlue : style.hoverTintBlue};
    return MapChannels(color, [&](int i, int32_t c) { return c + c * percents[i] / 100; });
}

int32_t BlendColors(int32_t a, int32_t b, int32_t weightTenths) {
    return MapChannels(a, [&](int i, int32_t c) {
        return (c * (10 - weightTenths) + Channel(b, 8 * i) * weightTenths) / 10;
    });
}

int32_t SkinTabWidth(const SkinStyle& style, int32_t count) {
    if (count <= 0) return 0;
    return style.tabWidths[std::min(count, kSkinTabWidthCount)];
}

int32_t SkinThumbCentre(int32_t width, int32_t thumbWidth, int64_t position, int64_t span) {
    const int32_t room = std::max(width - thumbWidth, 0);
    if (span <= 0) return thumbWidth / 2;
    position = std::clamp<int64_t>(position, 0, span);
    return thumbWidth / 2 + int32_t(room * position / span);
}

int64_t SkinSliderPositionAt(int32_t x, int32_t width, int32_t thumbWidth, int64_t span) {
    const int32_t room = width - thumbWidth;
    if (room <= 0) return -1;
    // The thumb's grip point lies two pixels left of the cursor's hot spot; past either end
    // the slider rests at that end.
    const int32_t half = thumbWidth / 2;
    const int32_t pixel = x < half ? 0 : x > width - half ? room : std::min(x + 2 - half, room);
    return span * pixel / room;
}

int32_t SkinProgressWidth(int32_t width, int32_t min, int32_t max, int32_t value) {
    const int64_t span = int64_t(max) - min;
    if (span == 0 || width <= 0) return 0;
    const int64_t filled = int64_t(width) * (int64_t(value) - min) / span;
    return int32_t(std::clamp<int64_t>(filled, 0, width));
}

int32_t SkinItemAt(int32_t x, int32_t itemWidth, int32_t count) {
    if (x < 0 || itemWidth <= 0) return -1;
    const int32_t index = x / itemWidth;
    return index < count ? index : -1;
}

// The skin style: the colours, tints and metrics of the fourteen skins in one table, the one
// loaded style record, and the pure colour arithmetic the skinned painters share.
#pragma once

#include <cstdint>

constexpr int32_t kSkinCount = 14;         // skin numbers 0..13; item k of the choice is k - 1
constexpr int32_t kSkinTabWidthCount = 6;  // tab widths for 1..6 (and more) tabs
constexpr int32_t kSkinFaceNameBytes = 32;

// Face gradients are chosen per class by these bits.
enum SkinGradientClass : int32_t {
    SKINGRAD_PUSHBUTTON = 1,
    SKINGRAD_COMBOBOX = 2,
    SKINGRAD_TAB = 4,
    SKINGRAD_SLIDER = 8,
};

// Colours are 0x00BBGGRR; -1 means none. Offsets are signed numbers added to a colour as one
// 24-bit number. Tints are percentages per channel. Written only by LoadSkinStyle.
struct SkinStyle {
    int32_t previewColor;  // preview background
    int32_t panelColor;    // dialog background and panels off the tab sheets
    int32_t sheetColor;    // panels on a tab sheet
    int32_t tabColor;      // face of an unselected tab
    int32_t comboColor, checkColor, faceColor, shadowColor, thumbColor;
    int32_t outlineOffset, highlightOffset;
    int32_t gradientTop, gradientBottom, gradientTop2, gradientBottom2, gradientClasses;
    int32_t altGradientTop, altGradientBottom, altGradientTop2, altGradientClasses;
    int32_t hoverTintRed, hoverTintGreen, hoverTintBlue;
    int32_t focusTintRed, focusTintGreen, focusTintBlue;
    int32_t sideEdges;     // 0 top and bottom edges only; 1 all four; 2 also a narrower progress
    int32_t roundCorners;  // corner pixels of frames blended
    int32_t thumbStyle;    // 0, 1 rectangular (1 raised), 2 round
    int32_t flatBottomEdge;
    int32_t comboDivider;
    int32_t comboArrow;  // DrawSkinArrow kind
    int32_t listColor, listTextColor;
    int32_t controlTextColor, selectedTextColor, tabTextColor;
    char faceName[kSkinFaceNameBytes];
    int32_t fontSize;  // pixels
    int32_t editBoxColor, editBoxTextColor;
    int32_t dark;
    int32_t comboHeight;                        // pixels
    int32_t tabWidths[kSkinTabWidthCount + 1];  // pixels, by tab count 1..6 (entry 0 unused)
    int32_t tabStripHeight;                     // pixels
    int32_t toolbarButtonWidth;                 // pixels
    int32_t thumbWidth;                         // pixels
    int32_t checkSize;                          // pixels
};
extern SkinStyle gSkinStyle;  // written only by LoadSkinStyle and SkinStyleReset

// What skin 0 ("Sliders Only") takes from the running system.
struct SkinSystemColours {
    int32_t dialogColor;    // the dialog's background
    int32_t firstTabColor;  // sheet colour of the first tab control; -1 when there is none
    int32_t buttonFace;     // system button-face colour
    int32_t darkShadow;     // system 3-D dark shadow
    bool visualStyles;      // visual styles are active
};

// Zero before any skin: "keep" values of the first skin loaded stay zero.
void SkinStyleReset();
// Fills style with skin's values over what it held; numbers outside 0..13 leave only the
// defaults every load sets.
void LoadSkinStyleInto(SkinStyle& style, int32_t skin, const SkinSystemColours& system);

// A colour plus an offset, as one 24-bit number clamped to 0..0xFFFFFF.
int32_t AddColorOffset(int32_t color, int32_t offset);
// Each channel c becomes c + trunc(c * percent / 100), clamped to 0..255; mode 2 takes the
// focus tints, any other mode the hover tints.
int32_t TintColor(const SkinStyle& style, int32_t color, int32_t mode);
// The average of two colours per channel, truncated; weightTenths of b (0..10).
int32_t BlendColors(int32_t a, int32_t b, int32_t weightTenths);
// Width of one tab for a strip of count tabs: entry min(count, 6); 0 for no tabs.
int32_t SkinTabWidth(const SkinStyle& style, int32_t count);
// Thumb centre of a skinned slider w pixels wide for a position 0..span of the range.
int32_t SkinThumbCentre(int32_t width, int32_t thumbWidth, int64_t position, int64_t span);
// The slider position 0..span under the mouse x of a slider w pixels wide; -1 when the
// slider has no room for its thumb.
int64_t SkinSliderPositionAt(int32_t x, int32_t width, int32_t thumbWidth, int64_t span);
// Filled width of a progress bar w pixels wide showing value in min..max (either order).
int32_t SkinProgressWidth(int32_t width, int32_t min, int32_t max, int32_t value);
// Index of the item of width itemWidth under x in a strip of count items; -1 outside.
int32_t SkinItemAt(int32_t x, int32_t itemWidth, int32_t count);

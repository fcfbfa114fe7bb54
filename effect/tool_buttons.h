// The page tool buttons' on and off images, the Reset button's work, the curve and selective
// table resets, and the hue range bar's picture.
#pragma once

#include <cstdint>
#include <vector>

// The active tool (PreviewTool, effect/preview_tool_state.h). Written by the tool handlers and
// the session start.
extern int32_t gCurrentTool;

void UpdateToolButtonImages();
// Curves first..last (held to 0..6) back to the identity.
void ResetCurves(int32_t first, int32_t last);
void ResetSelectiveTables();
// The Reset button: settings to their defaults (mode, split view and zoom kept), the type
// combo boxes' dependants, curves, tables and centres; clearList also drops the preset choice.
void ResetAllControls(int32_t clearList);

// Pure: the image of button n ("_on" or "_off") for the tool state; null for other buttons.
struct ToolState {
    int32_t tool;  // PreviewTool
    int32_t eyedropperOption, crossOption, brushOption;
    int32_t currentCurve;
    int32_t selectPages, fx1Pages, maskType;
};
const char* ToolButtonImage(int32_t n, const ToolState& state);

// Pure: the hue range bar, width x height pixels (0x00BBGGRR, row by row). Its strip is
// s + 1 rows high; a and b are the marked range's ends on the hue circle 0..255. Every write
// is clipped to the bar and a and b are held to the circle, whatever a preset file gave.
std::vector<uint32_t> HueStripPixels(int32_t width, int32_t height, int32_t s, int32_t hueA,
                                     int32_t hueB, uint32_t background, uint32_t marker);

// The right-hand column of the effect dialog: the main tab's height and the side tab under
// it, the preset list's width beside the preview, and the effect panel below the list.
#pragma once

#include <cstdint>

// Pure: the main tab's height on the Presets sheet, down to the OK button (side tab moved out
// of the way) or down to the side tab; on the other sheets 5 units below the exposure slider.
struct TabAreaPlaces {
    int32_t mainY;                      // y of the main tab
    int32_t okY;                        // y of the OK button
    int32_t sideHeight;                 // height of the side tab
    int32_t exposureY, exposureHeight;  // the last slider of the Main sheet
};
int32_t MainTabHeight(const TabAreaPlaces& places, bool presetsSheet, bool sideTabMoved);

// Heights of the main tab and the side tab's place (relayout moves the side tab and its
// controls to just under the main tab). flag 0: also on the other sheets.
void LayoutTabArea(int32_t relayout, int32_t flag);
// Pure: the vertical shifts that put the main tab's area and the side tab's area in their
// order, both starting at the top of the two (side area above when sideAbove); a gap of 5
// dialog units lies between them.
struct TabAreaShifts {
    int32_t main, side;
};
TabAreaShifts TabAreaShiftsFor(int32_t mainY, int32_t mainHeight, int32_t sideY, int32_t sideHeight,
                               bool sideAbove);
// Puts the two areas in the order the value of the side tab's move button asks for (0: side
// tab below, 1: above), with the button's arrow and the side area's anchors to match.
void PlaceTabAreas();

// The preset list narrow (expand 1: half the dialog, the preview narrower) or across the main
// tab. flag 0xEEEE: after a resize, without re-rendering.
void TogglePresetPanel(int32_t expand, int32_t flag);

// The effect panel under the preset list: the group of a built-in preset with one group (the
// main intensity for others); -1 removes the panel.
void ShowPresetEffectPanel(int32_t preset);
void ShowPageInPanel(int32_t page, int32_t bottom);
void RemovePageFromPanel(int32_t page);

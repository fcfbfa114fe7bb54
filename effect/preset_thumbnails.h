// Thumbnails of the presets of one category: the current image scaled into a bevelled frame
// and rendered once per preset into the preset list's image list, with the settings put back
// afterwards.
#pragma once

#include <cstdint>

struct ThumbnailBevelShades {
    uint8_t outer, second, third;  // 241, 218, 185 unskinned
};
// A skin whose brightness is positive scales the three by its face colour's brightness / 255.
ThumbnailBevelShades ThumbnailBevelShadesFor(int32_t skinBrightness, int32_t faceBrightness);

// Pure: dst (width x height x 3 bytes) gets src ((width - 4) x (height - 4) x 3) at (1, 1);
// the outer ring of dst the outer shade, the second ring from the right and bottom edges the
// second, the third ring from those edges the third.
void ThumbnailBevel(uint8_t* dst, const uint8_t* src, int32_t width, int32_t height,
                    const ThumbnailBevelShades& shades = {241, 218, 185});

// What the last thumbnail run did; written only by FillPresetThumbnails.
struct ThumbnailRunFigures {
    int32_t rendered;       // thumbnails made
    double seconds;         // from the first thumbnail to the last
    double longestBlockMs;  // the longest stretch in which the dialog took no input
};
extern ThumbnailRunFigures gThumbnailFigures;

// Renders thumbnails of every preset of category (own files for 0) at width x height into
// image list slot imageList and fills list. Between two thumbnails the dialog takes its input
// with the user's settings in place; an OK or Cancel stops the run and then ends the dialog
// with them. Afterwards every setting is as it was (including changes made meanwhile).
// Returns the number of thumbnails rendered. force: render even when the list already holds
// thumbnails of this category at this size.
int32_t FillPresetThumbnails(int32_t list, int32_t width, int32_t height, int32_t imageList,
                             int32_t category, int32_t force);

// The thumbnails of the category the preset list shows (every category under "Show All") at
// the size of the list's view, with the busy cursor; 0 when the view shows no thumbnails.
int32_t ShowPresetThumbnails(int32_t force);

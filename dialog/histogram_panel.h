// The histogram panel: counts of the rendered rectangle per channel (luminance, colours, hue,
// saturation, lightness, mixed channels) with peak, mean and thirds, and their drawing.
#pragma once

#include <cstdint>

constexpr int32_t kHistogramColumns = 262;
constexpr int32_t kHistogramRows = 15;
constexpr int32_t kHistogramCountedRows = 13;  // rows 13 and 14 stay 0
constexpr int32_t kHistogramBins = 256;

// Columns after the 256 bins.
enum HistogramColumn : int32_t {
    HISTO_COLUMN_PEAK = 256,
    HISTO_COLUMN_PEAK_BIN = 257,
    HISTO_COLUMN_MEAN = 258,
    HISTO_COLUMN_SHADOWS = 259,
    HISTO_COLUMN_MIDTONES = 260,
    HISTO_COLUMN_HIGHLIGHTS = 261,
};

// The source's peaks, kept with the key they were counted for, and the options of the last
// count. Written only by ComputeHistogram and UpdateHistogram, on the host's thread.
struct HistogramCache {
    int32_t sourceMaxima[kHistogramRows];  // peak count of each row, at least 1
    bool valid;
    int32_t reduction;                 // preview reduction of the counted rectangle
    int32_t left, top, right, bottom;  // the counted rectangle
    int32_t computeCount;              // source histograms counted (tests see the cache work)
    int32_t lastWithSourceMaxima;      // UpdateHistogram's options at its last count
    int32_t lastRoundTrip;
};
extern HistogramCache gHistogramCache;
void HistogramCacheReset();

// Peak, mean and thirds of one row of 256 bins over pixelCount pixels.
struct HistogramStats {
    int32_t peak, peakBin, mean;
    int32_t shadows, midtones, highlights;  // counts of bins 0..84, 85..170, 171..255
};

// --- Pure ----------------------------------------------------------------------------------
// The bin of each of rows 0..12 for a pixel on 0..255 (clamped into 0..255).
void HistogramPixelBins(int32_t r, int32_t g, int32_t b, int32_t bins[kHistogramCountedRows]);
// The luma / colour-difference round trip, in integer thousandths, clamped to 0..255.
void HistogramRoundTrip(int32_t& r, int32_t& g, int32_t& b);
// Statistics of 256 bins; the mean is 0 when pixelCount is 0.
HistogramStats HistogramRowStats(const int32_t* bins, int64_t pixelCount);
// A level of either depth on 0..255: 16-bit values are divided by 128, 32768 gives 255.
int32_t HistogramLevel8(int32_t value, bool sixteenBit);
// Whether a printf format from a language row is safe for up to `count` int arguments: only
// %d and %%, at most `count` conversions.
bool HistogramFormatSafe(const char* format, int32_t count);
// Row of the array drawn for a display mode 1..16, or -1 for modes 0 and 9 and modes without
// a counted row.
int32_t HistogramRowForMode(int32_t mode);
// The bar colour of a display mode.
uint32_t HistogramModeColour(int32_t mode);
// The colour of the ramp under the base line at x (0..255) for a display mode.
uint32_t HistogramRampColour(int32_t mode, int32_t x);

// --- Framework ------------------------------------------------------------------------------
// Counts the source of the current rectangle for the source maxima; 0 when the cache key
// still holds, else 1.
int32_t ComputeHistogram(int32_t array);
// Counts the output of the current rectangle into array (262 x 15 int32). Returns 1, 0 when
// the array cannot be made.
int32_t UpdateHistogram(int32_t array, int32_t withSourceMaxima, int32_t roundTrip);
// Counts the current rectangle again with the options of the last count, when the array
// holds a count (a view that moved without a render, or rendered while the histogram was not
// shown, would leave it describing another part). 0 when it holds none.
int32_t RefreshHistogram(int32_t array);
int32_t DrawHistogram(int32_t array, int32_t control, int32_t mode, int32_t style,
                      int32_t statisticsControl, int32_t sharesControl, int32_t textArray,
                      int32_t sharesTextRow, int32_t statisticsTextRow, int32_t scaleToSource);

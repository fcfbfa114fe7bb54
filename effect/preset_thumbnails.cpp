// The thumbnail run of the preset list: the current image scaled into a work array, each preset
// of a category rendered on it through the render hook, bevelled into the list's image list,
// with the settings and the image geometry put back afterwards.

#include "effect/preset_thumbnails.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "dialog/control_appearance.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/image_lists.h"
#include "dialog/preview_window.h"
#include "dialog/visual_styles.h"
#include "dialog/windows_version.h"
#include "effect/builtin_presets.h"
#include "effect/control_ids.h"
#include "effect/preset_file.h"
#include "effect/preset_lists.h"
#include "effect/settings_rows.h"
#include "effect/thumbnail_snapshot.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/preview_request.h"
#include "render/session_state.h"

namespace {
constexpr int32_t kBevelMargin =
    4;  // the picture sits 1 pixel in, 3 pixels of bevel right and below
constexpr uint8_t kNoImageGrey = 128;
constexpr int32_t kMaxProxyScale = 16;
constexpr int32_t kImageListGrowth = 16;

// What the last run rendered, so that showing the same category again costs nothing.
// Written only by FillPresetThumbnails.
struct ThumbnailRunState {
    int32_t category = -2;
    int32_t width = 0, height = 0;
    int32_t ownCount = -1;
};
ThumbnailRunState gThumbnailRun;

// The geometry fields of gContext that a thumbnail render points at the work array.
struct GeometryCopy {
    int32_t X, Y, width, height, halfDiagonal, halfDiagonal2;
    int32_t currentLeft, currentRight, currentTop, currentBottom;
    int32_t imageWidth, imageHeight, zoomReduction, rectX, rectY;
};

GeometryCopy SaveGeometry(const EffectContext& c) {
    return {c.X,
            c.Y,
            c.width,
            c.height,
            c.halfDiagonal,
            c.halfDiagonal2,
            c.currentLeft,
            c.currentRight,
            c.currentTop,
            c.currentBottom,
            c.imageWidth,
            c.imageHeight,
            c.zoomReduction,
            c.rectX,
            c.rectY};
}

void PutGeometry(EffectContext& c, const GeometryCopy& g) {
    c.X = g.X;
    c.Y = g.Y;
    c.width = g.width;
    c.height = g.height;
    c.halfDiagonal = g.halfDiagonal;
    c.halfDiagonal2 = g.halfDiagonal2;
    c.currentLeft = g.currentLeft;
    c.currentRight = g.currentRight;
    c.currentTop = g.currentTop;
    c.currentBottom = g.currentBottom;
    c.imageWidth = g.imageWidth;
    c.imageHeight = g.imageHeight;
    c.zoomReduction = g.zoomReduction;
    c.rectX = g.rectX;
    c.rectY = g.rectY;
}

GeometryCopy ThumbnailGeometry(int32_t w, int32_t h) {
    int32_t half = 0;
    while (int64_t(half + 1) * (half + 1) * 4 <= int64_t(w) * w + int64_t(h) * h) ++half;
    return {w, h, w, h, half, half, 0, w, 0, h, w, h, 1, 0, 0};
}

// Box average of the current rectangle's source into w x h pixels of 8-bit RGB; false when
// there is no source to read.
bool ScaleSource(const EffectContext& c, int32_t w, int32_t h, std::vector<uint8_t>& out) {
    const uint8_t* data = c.adjustedInData ? c.adjustedInData : c.inData;
    if (!data || c.X <= 0 || c.Y <= 0 || c.inStep < 3) return false;
    const bool sixteen = IsSixteenBitMode(c.imageMode);
    out.assign(size_t(w) * h * 3, 0);
    for (int32_t y = 0; y < h; ++y) {
        const int32_t y0 = y * c.Y / h, y1 = std::max(y0 + 1, (y + 1) * c.Y / h);
        for (int32_t x = 0; x < w; ++x) {
            const int32_t x0 = x * c.X / w, x1 = std::max(x0 + 1, (x + 1) * c.X / w);
            int64_t sum[3] = {0, 0, 0};
            for (int32_t sy = y0; sy < y1; ++sy)
                for (int32_t sx = x0; sx < x1; ++sx)
                    for (int32_t ch = 0; ch < 3; ++ch) {
                        const size_t at = size_t(sy) * c.inRowBytes;
                        sum[ch] +=
                            sixteen
                                ? reinterpret_cast<const uint16_t*>(data + at)[sx * c.inStep + ch] *
                                      255 / 32768
                                : data[at + size_t(sx) * c.inStep + ch];
                    }
            const int64_t n = int64_t(y1 - y0) * (x1 - x0);
            for (int32_t ch = 0; ch < 3; ++ch)
                out[(size_t(y) * w + x) * 3 + ch] = uint8_t(std::min<int64_t>(sum[ch] / n, 255));
        }
    }
    return true;
}

// The whole filter rectangle fetched small enough, then scaled to w x h; grey when there is
// no picture at all.
std::vector<uint8_t> CurrentImageScaled(int32_t w, int32_t h) {
    const EffectContext& c = gContext;
    const int32_t fw = c.filterRight - c.filterLeft, fh = c.filterBottom - c.filterTop;
    std::vector<uint8_t> pixels;
    if (fw > 0 && fh > 0) {
        const int32_t scale =
            std::clamp(std::max(fw / std::max(w, 1), fh / std::max(h, 1)), 1, kMaxProxyScale);
        if (requestRect(c.filterLeft, c.filterTop, c.filterRight, c.filterBottom, scale) &&
            ScaleSource(c, w, h, pixels))
            return pixels;
    }
    // Without a host to ask, the rectangle at hand is the best picture of the image there is.
    if (ScaleSource(c, w, h, pixels)) return pixels;
    pixels.assign(size_t(w) * h * 3, kNoImageGrey);
    return pixels;
}

bool LoadWorkArray(const std::vector<uint8_t>& pixels, int32_t w, int32_t h, bool sixteen) {
    if (!GetArrayBase(ARRAY_THUMBNAIL) || GetArrayDimension(ARRAY_THUMBNAIL, 0) != w ||
        GetArrayDimension(ARRAY_THUMBNAIL, 1) != h ||
        GetArrayDimension(ARRAY_THUMBNAIL, 3) != (sixteen ? 2 : 1)) {
        if (!CreateArray(ARRAY_THUMBNAIL, w, h, 3, sixteen ? 2 : 1)) return false;
    }
    uint8_t* base = static_cast<uint8_t*>(GetArrayBase(ARRAY_THUMBNAIL));
    if (!sixteen) {
        std::memcpy(base, pixels.data(), pixels.size());
        return true;
    }
    uint16_t* words = reinterpret_cast<uint16_t*>(base);
    for (size_t i = 0; i < pixels.size(); ++i) words[i] = uint16_t(pixels[i] * 32768 / 255);
    return true;
}

std::vector<uint8_t> ReadWorkArray(int32_t w, int32_t h, bool sixteen) {
    std::vector<uint8_t> pixels(size_t(w) * h * 3);
    const uint8_t* base = static_cast<const uint8_t*>(GetArrayBase(ARRAY_THUMBNAIL));
    if (!base) return pixels;
    if (!sixteen) {
        std::memcpy(pixels.data(), base, pixels.size());
        return pixels;
    }
    const uint16_t* words = reinterpret_cast<const uint16_t*>(base);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t(std::min(int32_t(words[i]) * 255 / 32768, 255));
    return pixels;
}

// A framed thumbnail into the image list at index.
void AddThumbnail(int32_t slot, int32_t index, const std::vector<uint8_t>& picture, int32_t width,
                  int32_t height) {
    std::vector<uint8_t> framed(size_t(width) * height * 3);
    ThumbnailBevel(framed.data(), picture.data(), width, height);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return;
    const int32_t stride = (width * 3 + 3) & ~3;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = &framed[(size_t(y) * width + x) * 3];
            uint8_t* d = static_cast<uint8_t*>(bits) + size_t(y) * stride + size_t(x) * 3;
            d[0] = p[2];
            d[1] = p[1];
            d[2] = p[0];
        }
    SetImageListImage(slot, index, bitmap, nullptr);
    DeleteObject(bitmap);
}

// Between two thumbnails the dialog takes its input with the user's own settings, image
// geometry and threads in place, so that nothing it does can see or keep a thumbnail's
// settings (an OK or Cancel waits for the end of the run, held by the framework). Written only
// by FillPresetThumbnails and its helpers.
struct UserWorld {
    SettingsState settings;  // the user's working values and tables; taken at every resume
    GeometryCopy geometry;   // the dialog's image geometry; taken at every resume
    int32_t multiCpuOff;     // the user's CTL_MULTI_CPU_OFF
    LARGE_INTEGER resumed;   // when the run last took the dialog's thread
    double longestMs;        // the longest stretch without a pump so far
};
UserWorld gUserWorld;

double MillisecondsSince(const LARGE_INTEGER& then) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - then.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

void PutUserWorld() {
    std::copy(gUserWorld.settings.values, gUserWorld.settings.values + kSettingsValueCount,
              gContext.controlValues);
    SettingsStatePutTables(gUserWorld.settings, true);
    // A preset may place the aging's centre for its thumbnail; the snapshot leaves centres out.
    std::copy(std::begin(gUserWorld.settings.centreX), std::end(gUserWorld.settings.centreX),
              gSession.centrePointX);
    std::copy(std::begin(gUserWorld.settings.centreY), std::end(gUserWorld.settings.centreY),
              gSession.centrePointY);
    PutGeometry(gContext, gUserWorld.geometry);
    gContext.controlValues[CTL_MULTI_CPU_OFF] = gUserWorld.multiCpuOff;
    gSession.thumbnailRendering = 0;
}

// The settings as they are now become the ones the run puts back.
void TakeUserWorld() {
    SettingsStateCapture(gUserWorld.settings);
    SaveThumbnailSnapshot();
    gUserWorld.geometry = SaveGeometry(gContext);
    gUserWorld.multiCpuOff = gContext.controlValues[CTL_MULTI_CPU_OFF];
}

void NoteBlockedStretch() {
    gUserWorld.longestMs = std::max(gUserWorld.longestMs, MillisecondsSince(gUserWorld.resumed));
}

// Thumbnails asked for while a run goes on (a category or view chosen meanwhile): the run
// under way stops and starts again with what the list shows then. Written only by
// ShowPresetThumbnails.
struct ThumbnailAsks {
    bool running = false;  // ShowPresetThumbnails is under way
    bool again = false;    // asked again since the run began
    int32_t force = 0;     // any ask wanted the thumbnails made anew
};
ThumbnailAsks gThumbnailAsks;

// The preview's fetch of its rectangle, replaced by the thumbnails' fetch of the whole image
// until the preview renders again. Written only by FillPresetThumbnails and
// RenderPreviewAgain.
struct PreviewFetch {
    bool pending = false;  // the thumbnails fetched the image since the preview last rendered
    GeometryCopy kept;     // the geometry of the preview's own fetch
    GeometryCopy fetched;  // the geometry of the thumbnails' last fetch
};
PreviewFetch gPreviewFetch;

// The preview fetches its rectangle again, with its own geometry unless something fetched
// meanwhile (then the geometry in force describes that fetch), and renders.
void RenderPreviewAgain() {
    const GeometryCopy now = SaveGeometry(gContext);
    if (gPreviewFetch.pending && std::memcmp(&gPreviewFetch.fetched, &now, sizeof now) == 0)
        PutGeometry(gContext, gPreviewFetch.kept);
    gPreviewFetch = {};
    RunControlAction(RUN_ACTION_PREVIEW);
}

// The dialog's turn; false when the run should stop: OK or Cancel waits, the dialog has gone
// the list's images were replaced or other thumbnails were asked for meanwhile.
bool LetDialogRun(int32_t slot, HIMAGELIST images) {
    NoteBlockedStretch();
    PutUserWorld();
    PumpDialogEvents();
    NoteDialogStartProgress();
    QueryPerformanceCounter(&gUserWorld.resumed);
    TakeUserWorld();
    return !DialogEndWaiting() && gFilterDialog.endCommand == 0 && gImageLists[slot] == images &&
           !gThumbnailAsks.again;
}

bool PrepareImageList(int32_t slot, int32_t width, int32_t height, int32_t count) {
    if (!gImageLists[slot] && !CreateImageList(slot, width, height, count, kImageListGrowth, 0))
        return false;
    int cx = 0, cy = 0;
    ImageList_GetIconSize(gImageLists[slot], &cx, &cy);
    if ((cx != width || cy != height) &&
        !CreateImageList(slot, width, height, count, kImageListGrowth, 0))
        return false;
    // Images sit at the preset's own index, so the list is as long as the table from the start.
    if (ImageList_GetImageCount(gImageLists[slot]) < count)
        ImageList_SetImageCount(gImageLists[slot], UINT(count));
    return true;
}

bool FilledAfterRun() {
    return IsVisualStyleActive() && GetWindowsVersion() >= WINVER_VISTA;
}
}  // namespace

ThumbnailRunFigures gThumbnailFigures;

ThumbnailBevelShades ThumbnailBevelShadesFor(int32_t skinBrightness, int32_t faceBrightness) {
    ThumbnailBevelShades shades = {241, 218, 185};
    if (skinBrightness <= 0) return shades;
    const int32_t f = std::clamp(faceBrightness, 0, 255);
    return {uint8_t(241 * f / 255), uint8_t(218 * f / 255), uint8_t(185 * f / 255)};
}

void ThumbnailBevel(uint8_t* dst, const uint8_t* src, int32_t width, int32_t height,
                    const ThumbnailBevelShades& shades) {
    if (!dst || width <= 0 || height <= 0) return;
    auto put = [&](int32_t x, int32_t y, uint8_t v) {
        uint8_t* p = dst + (size_t(y) * width + x) * 3;
        p[0] = p[1] = p[2] = v;
    };
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) put(x, y, shades.outer);
    const uint8_t inner[2] = {shades.second, shades.third};
    for (int32_t ring = 0; ring < 2; ++ring) {
        const int32_t edgeX = width - 2 - ring, edgeY = height - 2 - ring;
        for (int32_t y = 1; y <= edgeY; ++y)
            if (edgeX >= 1) put(edgeX, y, inner[ring]);
        for (int32_t x = 1; x <= edgeX; ++x)
            if (edgeY >= 1) put(x, edgeY, inner[ring]);
    }
    const int32_t sw = width - kBevelMargin, sh = height - kBevelMargin;
    if (!src || sw <= 0 || sh <= 0) return;
    for (int32_t y = 0; y < sh; ++y)
        std::memcpy(dst + (size_t(y + 1) * width + 1) * 3, src + size_t(y) * sw * 3,
                    size_t(sw) * 3);
}

int32_t FillPresetThumbnails(int32_t list, int32_t width, int32_t height, int32_t imageList,
                             int32_t category, int32_t force) {
    if (category < 0 || category >= CATEGORY_COUNT || width <= kBevelMargin ||
        height <= kBevelMargin || imageList < 0 || imageList >= kImageListSlotCount)
        return 0;
    const std::vector<std::string> own = OwnPresetNames();
    const int32_t ownCount = int32_t(own.size());
    if (!force && gThumbnailRun.category == category && gThumbnailRun.width == width &&
        gThumbnailRun.height == height && gThumbnailRun.ownCount == ownCount &&
        gImageLists[imageList]) {
        FillPresetList(list);
        return 0;
    }
    QueryPerformanceCounter(&gUserWorld.resumed);
    gUserWorld.longestMs = 0;
    if (!PrepareImageList(imageList, width, height, kPresetImageOwnBase + ownCount)) return 0;

    const int32_t tw = width - kBevelMargin, th = height - kBevelMargin;
    // The whole image is fetched anew for the source: until the preview fetches its own
    // rectangle again, the image geometry in force is the one that describes that fetch.
    if (!gPreviewFetch.pending) gPreviewFetch = {true, SaveGeometry(gContext), {}};
    const std::vector<uint8_t> source = CurrentImageScaled(tw, th);
    // The picture was asked of the host at the thumbnails' scale: the preview asks for its own
    // part again, or it would render and show the thumbnails' between them.
    RefreshImageGeometry();
    gPreviewFetch.fetched = SaveGeometry(gContext);
    const bool sixteen = IsSixteenBitMode(gContext.imageMode);
    const int32_t heading = gCategoryStart[category];
    if (!FilledAfterRun()) FillPresetList(list);
    AddThumbnail(imageList, category == CATEGORY_OWN ? 0 : heading, source, width, height);

    HoldDialogEnd();
    TakeUserWorld();
    const DWORD startMs = GetTickCount();
    const HIMAGELIST images = gImageLists[imageList];
    const GeometryCopy thumbnail = ThumbnailGeometry(tw, th);
    int32_t rendered = 0;
    const int32_t first = category == CATEGORY_OWN ? 0 : heading + 1;
    const int32_t last = category == CATEGORY_OWN ? ownCount : gCategoryStart[category + 1];
    bool whole = true;
    for (int32_t n = first; n < last; ++n) {
        LoadControlDefaults();
        gSession.thumbnailRendering = 1;
        if (category == CATEGORY_OWN)
            LoadPresetFile(GetArrayString(ARRAY_PRESET_PATHS, n), 0);
        else
            ApplyBuiltinPreset(n, 0);
        PutGeometry(gContext, thumbnail);
        // A thumbnail is too small to share among threads: waking the pool for each of its
        // passes costs more than rendering it (0.7 s against 7.6 s for 89 thumbnails).
        gContext.controlValues[CTL_MULTI_CPU_OFF] = 1;
        if (!LoadWorkArray(source, tw, th, sixteen)) {
            whole = false;
            break;
        }
        DispatchEffectHook(HOOK_RENDER, &gContext);
        AddThumbnail(imageList, category == CATEGORY_OWN ? kPresetImageOwnBase + n : n,
                     ReadWorkArray(tw, th, sixteen), width, height);
        ++rendered;
        if (!LetDialogRun(imageList, images)) {
            whole = false;
            break;
        }
    }
    const double seconds = double(GetTickCount() - startMs) / 1000.0;
    char timing[128];
    std::snprintf(timing, sizeof timing, "%.0f ms/thumb\n%.3f s for %d thumbs",
                  rendered ? seconds * 1000.0 / rendered : 0.0, seconds, rendered);
    SetControlToolTip(CTL_PROGRESS, timing, 0);
    ReleaseArray(ARRAY_THUMBNAIL);
    PutUserWorld();
    RestoreThumbnailSnapshot();
    if (whole)
        gThumbnailRun = {category, width, height, ownCount};
    else
        gThumbnailRun = {};
    if (FilledAfterRun()) FillPresetList(list);
    NoteBlockedStretch();
    gThumbnailFigures = {rendered, seconds, gUserWorld.longestMs};
    // An OK or Cancel that came during the run ends the dialog now, with the settings back.
    ReleaseDialogEnd();
    if (gFilterDialog.endCommand != 0) {
        gPreviewFetch = {};
        return rendered;
    }
    // Every category of "Show All" is followed by the next: the preview renders once after
    // the last (a render takes Escape off the queue to stop itself).
    if (!gThumbnailAsks.running) RenderPreviewAgain();
    PumpDialogEvents();
    return rendered;
}

int32_t ShowPresetThumbnails(int32_t force) {
    if (gThumbnailAsks.running) {
        gThumbnailAsks.again = true;
        gThumbnailAsks.force |= force;
        return 0;
    }
    gThumbnailAsks = {true, false, force};
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_APPSTARTING));
    int32_t rendered = 0;
    do {
        gThumbnailAsks.again = false;
        const int32_t view = PresetListView(GetControlValue(CTL_PRESET_MENU));
        if (view < 0) break;
        const int32_t size = SetPresetListFont(0, view);
        const int32_t shown = PresetCategoryFromCombo();
        for (int32_t category = 0; category < CATEGORY_COUNT; ++category) {
            if (shown >= 0 && shown != category) continue;
            rendered += FillPresetThumbnails(CTL_PRESET_LIST, size, size, view, category,
                                             gThumbnailAsks.force);
            if (gThumbnailAsks.again || gFilterDialog.endCommand != 0) break;
        }
    } while (gThumbnailAsks.again && gFilterDialog.endCommand == 0);
    gThumbnailAsks = {};
    if (gFilterDialog.endCommand == 0) {
        RenderPreviewAgain();
        PumpDialogEvents();
    }
    gPreviewFetch = {};
    SetCursor(previous);
    return rendered;
}

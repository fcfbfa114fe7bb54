// The preview in the shipped plug-in's dialog: its window keeps its place and grows or shrinks
// by exactly what the dialog's client area does, never below 10 x 10 dialog units, with the
// proxy fitted to the new size painted in it; at 100 %, 200 % and 50 % it shows each image
// pixel where it belongs, and a drag pans by minus the drag times the reduction.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dialog/control_record.h"
#include "effect/control_ids.h"
#include "tests/common/real_input.h"
#include "tests/common/control_texts.h"
#include "tests/common/screen_capture.h"
#include "tests/common/thread_modes.h"
#include "tests/effect_dialog/effect_dialog_bed.h"
#include "tools/testhost/host_image.h"
#include "render_effects/effect_settings.h"
#include "render_effects/settings_script.h"

namespace {

constexpr int32_t kImageWidth = 2400, kImageHeight = 1600;
constexpr int kPictureTimeoutMs = 20000;  // a render of the fitted proxy on a busy machine
constexpr int kLeastPreviewUnits = 10;
// The proxy scales the preview asks for: 13 and 15 are asked as 14 and 16.
constexpr int32_t kProxyScales[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 16};

RECT InClient(HWND dialog, HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE ClientSize(HWND dialog) {
    RECT client = {};
    GetClientRect(dialog, &client);
    return {client.right, client.bottom};
}

// Dialog units in pixels, as the dialog maps its template.
SIZE UnitsInPixels(HWND dialog, int32_t x, int32_t y) {
    RECT rect = {0, 0, x, y};
    MapDialogRect(dialog, &rect);
    return {rect.right, rect.bottom};
}

// The dialog laid out and painted at its new size, and that size on the display. (Not the
// dialog's idle answer: a first start's thumbnails keep it busy for a minute or more.)
void WaitForNewSize(Driver& driver) {
    driver.Check(WaitUntilPainted(driver.dialog), "the dialog is painted at its new size");
    driver.Check(WaitForSteadyPicture(driver.dialog), "the display shows the dialog's new size");
}

// The dialog's window grown or shrunk by a number of pixels, as a program moves it.
void ResizeWindowBy(Driver& driver, int dx, int dy) {
    RECT window = {};
    GetWindowRect(driver.dialog, &window);
    SetWindowPos(driver.dialog, nullptr, 0, 0, window.right - window.left + dx,
                 window.bottom - window.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitForNewSize(driver);
}

// The part of the preview that differs from its corner's colour: the painted picture.
RECT PaintedPicture(HWND preview) {
    RECT screen = {};
    GetWindowRect(preview, &screen);
    const std::vector<COLORREF> pixels = ScreenPictureOf(screen).pixels;
    const int width = screen.right - screen.left, height = screen.bottom - screen.top;
    RECT found = {width, height, 0, 0};
    if (pixels.empty()) return {0, 0, 0, 0};
    const COLORREF background = pixels[size_t(2) * width + 2];
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (pixels[size_t(y) * width + x] == background) continue;
            found.left = std::min<LONG>(found.left, x);
            found.top = std::min<LONG>(found.top, y);
            found.right = std::max<LONG>(found.right, x + 1);
            found.bottom = std::max<LONG>(found.bottom, y + 1);
        }
    return found.right > found.left ? found : RECT{0, 0, 0, 0};
}

// Whether a picture of w x h is the whole image at the coarsest scale that still fits the
// preview's inside (one pixel of frame on each side), centred in it.
bool IsFittedImage(const RECT& picture, const RECT& preview, std::string* why) {
    const int w = picture.right - picture.left, h = picture.bottom - picture.top;
    const int room = preview.right - preview.left - 2, roomHigh = preview.bottom - preview.top - 2;
    for (size_t i = 0; i < std::size(kProxyScales); ++i) {
        const int32_t scale = kProxyScales[i];
        if (w != kImageWidth / scale || h != kImageHeight / scale) continue;
        const bool fits = w <= room && h <= roomHigh;
        const bool finerFits = i > 0 && kImageWidth / kProxyScales[i - 1] <= room &&
                               kImageHeight / kProxyScales[i - 1] <= roomHigh;
        const int offsetX = picture.left, offsetY = picture.top;
        const bool centred = std::abs(offsetX - (preview.right - preview.left - w) / 2) <= 1 &&
                             std::abs(offsetY - (preview.bottom - preview.top - h) / 2) <= 1;
        *why = "scale " + std::to_string(scale) + (fits ? "" : " does not fit") +
               (finerFits ? ", a finer scale fits" : "") + (centred ? "" : ", not centred");
        return fits && !finerFits && centred;
    }
    *why = "a picture of " + std::to_string(w) + " x " + std::to_string(h) +
           " is no scale of the image";
    return false;
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top);
}

// The size grip dragged with the mouse, as a user makes the dialog larger. The moves go out
// once the press has started the sizing loop: a press that the loop takes only after the
// moves sizes from where the pointer already is and moves nothing. A press lost on a busy
// machine is given again.
void DragSizeGripBy(Driver& driver, int dx, int dy) {
    constexpr int kAttempts = 3;
    constexpr int kLoopStartMs = 10000;  // the press reaching a dialog busy with a render
    const SIZE before = ClientSize(driver.dialog);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        RECT window = {};
        GetWindowRect(driver.dialog, &window);
        const POINT from = {window.right - 3, window.bottom - 3};
        SetForegroundWindow(driver.dialog);
        MoveCursorTo(from);
        SendMouse(MOUSEEVENTF_LEFTDOWN, from);
        const bool sizing =
            WaitFor([&] { return ThreadOfWindowIn(driver.dialog, GUI_INMOVESIZE); }, kLoopStartMs);
        for (int step = 1; step <= 4; ++step)
            MoveCursorTo({from.x + dx * step / 4, from.y + dy * step / 4});
        SendMouse(MOUSEEVENTF_LEFTUP, {from.x + dx, from.y + dy});
        WaitFor([&] { return !ThreadOfWindowIn(driver.dialog, GUI_INMOVESIZE); }, kLoopStartMs);
        if (sizing && WaitFor(
                          [&] {
                              const SIZE now = ClientSize(driver.dialog);
                              return now.cx != before.cx || now.cy != before.cy;
                          },
                          3000))
            break;
    }
    WaitForNewSize(driver);
}

// One step of the dialog's size and what must hold after it.
struct SizeStep {
    const char* name;
    std::function<void(Driver&)> act;
    bool exactGrowth;  // the preview grows by exactly the client area's growth
    int sameAsStep;    // the preview stands as after that step (-1: no such step, 0: the start)
    bool pictureFits;  // the whole image is shown fitted (false: the preview is too small)
};

}  // namespace

TEST(PreviewSize, FollowsTheDialogThroughMaximiseRestoreGrowAndShrink) {
    auto session = OpenEffectPlugin(kImageWidth, kImageHeight);
    HostImage image = HostImageMake(kImageWidth, kImageHeight, 3, 8);
    for (uint16_t& sample : image.samples) sample = 60;
    ASSERT_TRUE(HostSetImage(*session, image));
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        // Growth in whole dialog units both ways, so that the stretched preview's size in
        // pixels grows by exactly the same.
        const SIZE unit = UnitsInPixels(driver.dialog, 40, 80);
        const SIZE least = UnitsInPixels(driver.dialog, kLeastPreviewUnits, kLeastPreviewUnits);
        SIZE grownWindow = {};
        auto keepWindowSize = [&grownWindow](Driver& d) {
            RECT window = {};
            GetWindowRect(d.dialog, &window);
            grownWindow = {window.right - window.left, window.bottom - window.top};
        };
        const SizeStep steps[] = {
            {"opened maximised", [](Driver&) {}, false, -1, true},
            {"restored", [](Driver& d) { ShowDialogAs(d, SW_RESTORE); }, false, -1, true},
            {"grown",
             [&](Driver& d) {
                 ResizeWindowBy(d, unit.cx, unit.cy);
                 keepWindowSize(d);
             },
             true, -1, true},
            {"shrunk to nothing", [](Driver& d) { ResizeWindowBy(d, -5000, -5000); }, false, -1,
             false},
            {"grown back",
             [&](Driver& d) {
                 RECT window = {};
                 GetWindowRect(d.dialog, &window);
                 ResizeWindowBy(d, grownWindow.cx - (window.right - window.left),
                                grownWindow.cy - (window.bottom - window.top));
             },
             false, 2, true},
            {"maximised", [](Driver& d) { ShowDialogAs(d, SW_MAXIMIZE); }, false, 0, true},
            {"restored again", [](Driver& d) { ShowDialogAs(d, SW_RESTORE); }, false, 2, true},
            {"size grip dragged", [unit](Driver& d) { DragSizeGripBy(d, unit.cx, unit.cy); }, true,
             -1, true},
        };
        HWND preview = driver.Item(ITEM_PREVIEW);
        std::vector<RECT> places;
        SIZE clientBefore = ClientSize(driver.dialog);
        for (const SizeStep& step : steps) {
            step.act(driver);
            const SIZE client = ClientSize(driver.dialog);
            const RECT now = InClient(driver.dialog, preview);
            const std::string where = std::string(step.name) + ": preview " + Describe(now);
            if (!places.empty())
                driver.Check(now.left == places[0].left && now.top == places[0].top,
                             where + " keeps its place");
            const int width = now.right - now.left, height = now.bottom - now.top;
            driver.Check(width >= least.cx && height >= least.cy, where + " keeps 10 x 10 units");
            if (step.exactGrowth) {
                const RECT& before = places.back();
                driver.Check(
                    width - (before.right - before.left) == client.cx - clientBefore.cx &&
                        height - (before.bottom - before.top) == client.cy - clientBefore.cy &&
                        client.cx > clientBefore.cx && client.cy > clientBefore.cy,
                    where + " grows by exactly the dialog's growth");
            }
            if (step.sameAsStep >= 0)
                driver.Check(EqualRect(&now, &places[size_t(step.sameAsStep)]) != 0,
                             where + " stands as when " + steps[step.sameAsStep].name);
            if (step.pictureFits) {
                std::string why;
                const bool fitted =
                    WaitFor([&] { return IsFittedImage(PaintedPicture(preview), now, &why); },
                            kPictureTimeoutMs);
                driver.Check(fitted, where + ": the painted picture " +
                                         Describe(PaintedPicture(preview)) + ", " + why);
            }
            clientBefore = client;
            places.push_back(now);
        }
        ShootDialog(driver, "preview_size_grip_dragged");
        driver.End(IDCANCEL);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
}

namespace {

// A test pattern whose every pixel names its own place: red and green the low bytes of x and
// y, blue their high nibbles.
constexpr int32_t kPatternWidth = 3200, kPatternHeight = 2400;
// The screen pixels near the preview's edges may lie under other windows (the preview tabs).
constexpr int kEdgeMargin = 40;

HostImage PatternImage() {
    HostImage image = HostImageMake(kPatternWidth, kPatternHeight, 3, 8);
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            image.at(x, y, 0) = uint16_t(x & 255);
            image.at(x, y, 1) = uint16_t(y & 255);
            image.at(x, y, 2) = uint16_t((x >> 8) << 4 | (y >> 8));
        }
    return image;
}

// The image pixel a screen pixel of the pattern shows.
POINT PatternPlace(COLORREF pixel) {
    const int red = GetRValue(pixel), green = GetGValue(pixel), blue = GetBValue(pixel);
    return {(blue >> 4) << 8 | red, (blue & 15) << 8 | green};
}

// The preview's inside as the screen shows it, with its pixels' image places.
struct ShownPattern {
    RECT screen;
    std::vector<POINT> places;  // row by row
    POINT At(int x, int y) const {
        return places[size_t(y) * (screen.right - screen.left) + size_t(x)];
    }
    POINT Centre() const {
        return At((screen.right - screen.left) / 2, (screen.bottom - screen.top) / 2);
    }
};

ShownPattern ReadShownPattern(HWND preview) {
    ShownPattern shown;
    GetWindowRect(preview, &shown.screen);
    InflateRect(&shown.screen, -kEdgeMargin, -kEdgeMargin);
    for (COLORREF pixel : ScreenPictureOf(shown.screen).pixels)
        shown.places.push_back(PatternPlace(pixel));
    return shown;
}

// Whether each screen pixel shows the image pixel it must at reduction r and magnification m:
// along a row the places step by r after every m pixels and keep their y (columns likewise),
// every place lies on the proxy's grid (a multiple of r) inside the image, and the screen
// pixels at known offsets from the centre show the centre's place plus offset x r / m.
bool ShowsPatternAt(const ShownPattern& shown, int r, int m, std::string* why) {
    const int width = shown.screen.right - shown.screen.left;
    const int height = shown.screen.bottom - shown.screen.top;
    if (width <= 0 || height <= 0 || shown.places.size() != size_t(width) * height) {
        *why = "no picture";
        return false;
    }
    int wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const POINT here = shown.At(x, y);
            const bool inside = here.x >= 0 && here.x < kPatternWidth && here.y >= 0 &&
                                here.y < kPatternHeight && here.x % r == 0 && here.y % r == 0;
            bool steps = true;
            if (x > 0) {
                const POINT left = shown.At(x - 1, y);
                const int dx = here.x - left.x;
                steps = left.y == here.y && (dx == 0 || dx == r);
                // m equal places in a row, then a step: never more than m alike.
                if (dx == 0 && x >= m) steps = steps && shown.At(x - m, y).x != here.x;
                if (m == 1) steps = steps && dx == r;
            }
            if (y > 0) {
                const POINT up = shown.At(x, y - 1);
                const int dy = here.y - up.y;
                steps = steps && up.x == here.x && (dy == 0 || dy == r) && (m > 1 || dy == r);
            }
            if (!inside || !steps) ++wrong;
        }
    const int cx = width / 2, cy = height / 2;
    const POINT centre = shown.At(cx, cy);
    // Even offsets: with m = 2 they cross whole image pixels wherever the centre lies.
    const POINT offsets[] = {{-200, 0}, {0, -160}, {120, 80}, {-96, 142}, {300, -200}};
    for (const POINT& o : offsets) {
        const POINT at = shown.At(cx + o.x, cy + o.y);
        if (at.x - centre.x != o.x * r / m || at.y - centre.y != o.y * r / m) ++wrong;
    }
    *why = std::to_string(wrong) + " pixels out of place; the centre shows " +
           std::to_string(centre.x) + "," + std::to_string(centre.y);
    return wrong == 0;
}

void ClickControl(Driver& driver, int32_t n) {
    const POINT at = CentreOf(driver.ControlWindow(n));
    MoveCursorTo(at);
    SettleDialog(driver);
    ClickAt(at);
    SettleDialog(driver);
}

// A drag with the left button (the hand tool pans) from the preview's centre by (dx, dy).
void DragPreview(Driver& driver, int dx, int dy) {
    const POINT from = CentreOf(driver.Item(ITEM_PREVIEW));
    DragSettled(driver, from, {from.x + dx, from.y + dy}, 4);
}

}  // namespace

// The preview switched off shows the host's proxy of the source itself: the test pattern's
// pixels, chosen by the zoom buttons and panned by the hand, all by real input.
TEST(PreviewZoom, ShowsEachPixelInPlaceAtThreeZoomsAndPansByTheDrag) {
    auto session = OpenEffectPlugin(kPatternWidth, kPatternHeight);
    ASSERT_TRUE(HostSetImage(*session, PatternImage()));
    const int16_t result = RunEffectDialog(*session, [](Driver& driver) {
        SettleDialog(driver);
        SetForegroundWindow(driver.dialog);
        PressKey('P');
        SettleDialog(driver);
        driver.Check(SendMessageA(driver.ControlWindow(CTL_PREVIEW_ON), BM_GETCHECK, 0, 0) == 0,
                     "the preview is switched off");
        const struct {
            const char* name;
            int32_t button;  // clicked to get there from the zoom before
            int r, m;
        } zooms[] = {{"100%", CTL_ZOOM_100, 1, 1},
                     {"200%", CTL_ZOOM_IN, 1, 2},
                     {"100% again", CTL_ZOOM_OUT, 1, 1},
                     {"50%", CTL_ZOOM_OUT, 2, 1}};
        constexpr int kDragX = 60, kDragY = 40;
        HWND preview = driver.Item(ITEM_PREVIEW);
        for (const auto& zoom : zooms) {
            ClickControl(driver, zoom.button);
            const std::string name = zoom.name;
            const ShownPattern start = ReadShownPattern(preview);
            std::string why;
            driver.Check(ShowsPatternAt(start, zoom.r, zoom.m, &why), name + ": " + why);
            const POINT centre = start.Centre();
            driver.Check(std::abs(centre.x - kPatternWidth / 2) <= 2 * zoom.r &&
                             std::abs(centre.y - kPatternHeight / 2) <= 2 * zoom.r,
                         name + ": the image centre in the middle, " + why);
            ShootDialog(driver,
                        "preview_zoom_" + std::to_string(zoom.r) + "_" + std::to_string(zoom.m));
            DragPreview(driver, kDragX, kDragY);
            const ShownPattern panned = ReadShownPattern(preview);
            driver.Check(ShowsPatternAt(panned, zoom.r, zoom.m, &why), name + " panned: " + why);
            const POINT moved = panned.Centre();
            driver.Check(
                moved.x == centre.x - kDragX * zoom.r && moved.y == centre.y - kDragY * zoom.r,
                name + ": the drag pans by minus its length times the reduction; " + why);
            DragPreview(driver, -kDragX, -kDragY);
            const POINT back = ReadShownPattern(preview).Centre();
            driver.Check(back.x == centre.x && back.y == centre.y,
                         name + ": the drag back shows the start again, centre " +
                             std::to_string(back.x) + "," + std::to_string(back.y) + " for " +
                             std::to_string(centre.x) + "," + std::to_string(centre.y) +
                             ", panned " + std::to_string(moved.x) + "," + std::to_string(moved.y));
        }
        driver.End(IDCANCEL);
    });
    EXPECT_EQ(result, HOST_USER_CANCELLED);
}

namespace {

// A key pressed and released on a window, as the dialog's message loop takes it from its queue.
void PostKey(HWND window, WPARAM key) {
    const UINT scan = MapVirtualKeyA(UINT(key), MAPVK_VK_TO_VSC);
    PostMessageA(window, WM_KEYDOWN, key, LPARAM(1 | (scan << 16)));
    PostMessageA(window, WM_KEYUP, key, LPARAM(1 | (scan << 16) | (3u << 30)));
}

// The settings a slider move is timed with, given to the dialog by the host's script: every
// settings control at its start value, then the case's own, and the S-curve as tone curve 0.
struct LatencyCase {
    const char* name;
    const char* picture;  // the screenshot's name
    std::vector<ControlSetting> settings;
};

// The plug-in's own moments of the last update (GREYLOOM_PREVIEW_LOG), in counter
// milliseconds by name; empty when the log has no line.
std::map<std::string, double> LastPreviewMoments(const std::string& log) {
    std::ifstream in(log);
    std::string line, last;
    while (std::getline(in, line))
        if (line.rfind("preview ", 0) == 0) last = line;
    std::map<std::string, double> moments;
    std::istringstream words(last);
    std::string word;
    words >> word;
    while (words >> word) {
        const size_t equals = word.find('=');
        if (equals != std::string::npos)
            moments[word.substr(0, equals)] = atof(word.c_str() + equals + 1);
    }
    return moments;
}

double CounterMs(const LARGE_INTEGER& counter) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Where the time from the key to the screen went, from the plug-in's moments: its input
// (the key reaching the slider, the value and the effect's reaction to it, up to the timer
// being set), the wait for the action's timer, the rendering, the paint (of it the host's
// display routine) and the way to the screen. "?" for a moment the log lacks.
std::string SplitOfMove(const std::map<std::string, double>& at, double postedMs, double seenMs) {
    std::map<std::string, double> all = at;
    all["posted"] = postedMs;
    all["seen"] = seenMs;
    auto span = [&all](const char* from, const char* to) {
        const auto a = all.find(from), b = all.find(to);
        if (a == all.end() || b == all.end()) return std::string("?");
        char text[32];
        snprintf(text, sizeof text, "%.1f", b->second - a->second);
        return std::string(text);
    };
    return "input " + span("posted", "action-armed") + ", timer wait " +
           span("action-armed", "action-run") + ", render " + span("action-run", "render-end") +
           ", to paint " + span("render-end", "paint-start") + ", paint " +
           span("paint-start", "painted") + " (display " + span("paint-start", "display-end") +
           "), to screen " + span("painted", "seen");
}

// The sample photograph of the source tree (GREYLOOM_SOURCE_DIR) at 8 bits.
void ReadSamplePhotograph(HostImage* photo) {
    const char* root = getenv("GREYLOOM_SOURCE_DIR");
    ASSERT_NE(root, nullptr);
    std::string error;
    ASSERT_TRUE(HostImageReadPng(std::string(root) + "/samples/coffee.png", 8, 3, photo, &error))
        << error;
}

// Page steps of the exposure slider (a key to its own scroll bar, as a user presses it) until
// the preview shows the new rendering, read from the display: rounds moves, each printed with
// the render's own time that the timing text gives and with where the time went by the
// plug-in's log. What must hold is only that each move is seen.
void TimeSliderMoves(Driver& driver, const char* name, int rounds, const std::string& log) {
    HWND slider = driver.ControlWindow(CTL_TONE_EXPOSURE);
    HWND preview = driver.Item(ITEM_PREVIEW);
    driver.Check(slider != nullptr, "the exposure slider exists");
    RECT screen = {};
    GetWindowRect(preview, &screen);
    // A small square in the middle of the picture: reading the whole preview from the
    // display would take longer than the wait it measures.
    const POINT middle = {(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2};
    const RECT probe = {middle.x - 16, middle.y - 16, middle.x + 16, middle.y + 16};
    for (int round = 0; round < rounds && slider; ++round) {
        SettleDialog(driver);
        const std::vector<COLORREF> before = ScreenPictureOf(probe).pixels;
        const LARGE_INTEGER start = Now();
        PostKey(slider, round % 2 ? VK_PRIOR : VK_NEXT);
        const bool seen =
            WaitFor([&] { return ScreenPictureOf(probe).pixels != before; }, kPictureTimeoutMs);
        const LARGE_INTEGER end = Now();
        const double ms = MillisecondsSince(start);
        driver.Check(seen, std::string(name) + ": move " + std::to_string(round + 1) +
                               " shows in the preview");
        SettleDialog(driver);
        const std::string split =
            SplitOfMove(LastPreviewMoments(log), CounterMs(start), CounterMs(end));
        printf("slider to painted preview: %.1f ms (%s; render: %s, preview %ld x %ld; %s)\n", ms,
               name, WindowText(driver.ControlWindow(CTL_TIMING_TEXT)).c_str(),
               screen.right - screen.left, screen.bottom - screen.top, split.c_str());
        fflush(stdout);
    }
}

}  // namespace

// The time from a slider's page step to the moment the preview of the sample photograph shows
// the new rendering, with the conversion and a curve alone and with the whole effect chain;
// printed for tools/bench_dialog.sh, GREYLOOM_LATENCY_ROUNDS moves each (3 by default). The
// dialog opens maximised with its presets as a plain list, so that no thumbnails are made
// meanwhile.
TEST(PreviewLatency, SliderMoveRepaintsThePreviewOfTheSamplePhotograph) {
    HostImage photo;
    ASSERT_NO_FATAL_FAILURE(ReadSamplePhotograph(&photo));
    const char* roundsText = getenv("GREYLOOM_LATENCY_ROUNDS");
    const int rounds = roundsText ? std::max(atoi(roundsText), 1) : 3;
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    // The plug-in's log of its moments, named before its dialog opens.
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    const std::string log = std::string(folder) + "greyloom_preview_latency.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("GREYLOOM_PREVIEW_LOG", log.c_str());
    const LatencyCase cases[] = {
        {"conversion and curve", "preview_latency_conversion", SettingsA()},
        {"full chain", "preview_latency_full_chain", SettingsC()}};
    for (const LatencyCase& c : cases) {
        auto session = OpenEffectPlugin(photo.width, photo.height, false);
        ASSERT_TRUE(HostSetImage(*session, photo));
        // The host replays a recording with its dialog: the recorded settings stand.
        session->options.playInProgress = true;
        session->replayDescriptor = true;
        session->replay = SettingsScript(c.settings);
        const int16_t result = RunEffectDialog(*session, [&](Driver& driver) {
            ShowDialogAs(driver, SW_MAXIMIZE);
            TimeSliderMoves(driver, c.name, rounds, log);
            ShootDialog(driver, c.picture);
            driver.End(IDCANCEL);
        });
        EXPECT_EQ(result, HOST_USER_CANCELLED) << c.name;
    }
    SetEnvironmentVariableA("GREYLOOM_PREVIEW_LOG", nullptr);
    DeleteFileA(log.c_str());
}

namespace {

// The picture the host holds for the preview's last request: its output buffer as the display
// shows it, 0xRRGGBB per pixel, row by row.
struct RenderedProxy {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
};

RenderedProxy ReadRenderedProxy(const HostSession& session) {
    const DeliveredBuffer& out = session.outBuffer;
    RenderedProxy proxy;
    proxy.width = out.rect.right - out.rect.left;
    proxy.height = out.rect.bottom - out.rect.top;
    const int planes = out.hiPlane - out.loPlane + 1;
    if (proxy.width <= 0 || proxy.height <= 0 || planes < 3) return {};
    for (int y = 0; y < proxy.height; ++y)
        for (int x = 0; x < proxy.width; ++x) {
            const uint8_t* p = out.bytes.data() + size_t(y) * out.rowBytes + size_t(x) * planes;
            proxy.pixels.push_back(RGB(p[0], p[1], p[2]));
        }
    return proxy;
}

// Whether the preview shows the rendered proxy pixel for pixel, centred in it (the placement
// may round either way by a pixel).
bool ShowsRenderedProxy(HWND preview, const HostSession& session, std::string* why) {
    const RenderedProxy proxy = ReadRenderedProxy(session);
    RECT screen = {};
    GetWindowRect(preview, &screen);
    const std::vector<COLORREF> shown = ScreenPictureOf(screen).pixels;
    const int width = screen.right - screen.left, height = screen.bottom - screen.top;
    if (proxy.pixels.empty() || proxy.width > width || proxy.height > height) {
        *why = "no proxy that fits the preview";
        return false;
    }
    int fewestWrong = proxy.width * proxy.height;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int left = (width - proxy.width) / 2 + dx, top = (height - proxy.height) / 2 + dy;
            if (left < 0 || top < 0 || left + proxy.width > width || top + proxy.height > height)
                continue;
            int wrong = 0;
            for (int y = 0; y < proxy.height; ++y)
                for (int x = 0; x < proxy.width; ++x)
                    if (shown[size_t(top + y) * width + left + x] !=
                        proxy.pixels[size_t(y) * proxy.width + x])
                        ++wrong;
            fewestWrong = std::min(fewestWrong, wrong);
        }
    *why = std::to_string(fewestWrong) + " of " + std::to_string(proxy.width) + " x " +
           std::to_string(proxy.height) + " pixels differ from the rendering";
    return fewestWrong == 0;
}

// The host's display calls that drew the whole picture of a width x height proxy.
int WholePictureDisplays(const HostSession& session, size_t from, int width, int height) {
    int count = 0;
    for (size_t i = from; i < session.log.displays.size(); ++i) {
        const HostVRect& a = session.log.displays[i].area;
        if (a.top == 0 && a.left == 0 && a.right == width && a.bottom == height) ++count;
    }
    return count;
}

// Blown-highlight stripes in a picture: a white pixel in an even column beside a black one.
int StripePairs(const RenderedProxy& proxy) {
    int pairs = 0;
    for (int y = 0; y < proxy.height; ++y)
        for (int x = 0; x + 1 < proxy.width; x += 2)
            if (proxy.pixels[size_t(y) * proxy.width + x] == 0xFFFFFF &&
                proxy.pixels[size_t(y) * proxy.width + x + 1] == 0)
                ++pairs;
    return pairs;
}

// A case of the move below: its own settings after settings A, whether blown highlights are
// marked (the check box on the side tab's Info sheet, clicked), and the side tab's sheet shown
// at the move (the Info sheet gets the blown share, the histogram sheet counts the picture).
struct MoveCase {
    const char* name;
    const char* picture;  // the screenshot's name after the move
    std::vector<ControlSetting> settings;
    bool markBlown;
    int sheet;  // -1: as the dialog opens
};
constexpr int kHistogramSheet = 2, kInfoSheet = 3;

void ShowSideSheet(Driver& driver, int sheet) {
    HWND tab = driver.ControlWindow(CTL_SIDE_TAB);
    SetForegroundWindow(driver.dialog);
    ClickAt(TabItemPoint(tab, sheet));
    SettleDialog(driver);
    driver.Check(TabCtrl_GetCurSel(tab) == sheet, "side sheet " + std::to_string(sheet) + " shown");
}

}  // namespace

// After a page step of the exposure slider the preview shows exactly the new rendering: the
// blown-highlight stripes and the split line that the rendering draws into it among its
// pixels, with the side tab's histogram sheet shown or not; and the host draws the whole
// picture once per move.
TEST(PreviewAfterSliderMove, ShowsTheNewRenderingWithItsMarksOnce) {
    HostImage photo;
    ASSERT_NO_FATAL_FAILURE(ReadSamplePhotograph(&photo));
    ASSERT_NO_FATAL_FAILURE(RememberQuickDialog());
    const MoveCase cases[] = {
        {"conversion and curve", "plain", {}, false, -1},
        {"split view", "split", {{CTL_SPLIT_VIEW, 2}}, false, -1},
        {"blown highlights marked", "blown", {{CTL_TONE_EXPOSURE, 110}}, true, kInfoSheet},
        {"histogram sheet shown", "histogram", {{CTL_TONE_EXPOSURE, 110}}, true, kHistogramSheet},
    };
    for (const MoveCase& c : cases) {
        auto session = OpenEffectPlugin(photo.width, photo.height, false);
        ASSERT_TRUE(HostSetImage(*session, photo));
        session->options.playInProgress = true;
        session->replayDescriptor = true;
        std::vector<ControlSetting> settings = SettingsA();
        settings.insert(settings.end(), c.settings.begin(), c.settings.end());
        session->replay = SettingsScript(settings);
        HostSession* host = session.get();
        const int16_t result = RunEffectDialog(*session, [&](Driver& driver) {
            const std::string name = c.name;
            ShowDialogAs(driver, SW_MAXIMIZE);
            SettleDialog(driver);
            // The check box is remembered from the dialog before, not taken from the script.
            HWND blown = driver.ControlWindow(CTL_SHOW_BLOWN_HIGHLIGHTS);
            const bool checked = SendMessageA(blown, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (c.markBlown != checked) {
                ShowSideSheet(driver, kInfoSheet);
                ClickAt(CentreOf(blown));
                SettleDialog(driver);
            }
            driver.Check((SendMessageA(blown, BM_GETCHECK, 0, 0) == BST_CHECKED) == c.markBlown,
                         name + ": blown highlights marked as the case says");
            if (c.sheet >= 0) ShowSideSheet(driver, c.sheet);
            HWND preview = driver.Item(ITEM_PREVIEW);
            std::string why;
            const bool shownAtStart = ShowsRenderedProxy(preview, *host, &why);
            driver.Check(shownAtStart, name + " at the start: " + why);
            const RenderedProxy before = ReadRenderedProxy(*host);
            const size_t displaysBefore = host->log.displays.size();
            PostKey(driver.ControlWindow(CTL_TONE_EXPOSURE), VK_NEXT);
            SettleDialog(driver);
            const RenderedProxy after = ReadRenderedProxy(*host);
            // Counted first: a failed check's screenshot may have the dialog painted again.
            const int whole =
                WholePictureDisplays(*host, displaysBefore, after.width, after.height);
            const bool shows = ShowsRenderedProxy(preview, *host, &why);
            driver.Check(whole == 1, name + ": the host drew the whole picture " +
                                         std::to_string(whole) + " times");
            driver.Check(after.pixels != before.pixels, name + ": the move renders anew");
            if (c.markBlown)
                driver.Check(StripePairs(after) > 0, name + ": blown highlights are striped");
            driver.Check(shows, name + " after the move: " + why);
            ShootDialog(driver, std::string("preview_after_slider_move_") + c.picture);
            driver.End(IDCANCEL);
        });
        EXPECT_EQ(result, HOST_USER_CANCELLED) << c.name;
    }
}

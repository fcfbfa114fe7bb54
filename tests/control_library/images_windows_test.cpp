// Images in real windows: image buttons in their four looks (checked by known pixels of the
// picture), pictures and metafiles found as resources, along "PATH" and along "VESK_PATH",
// the messages of pictures that cannot be loaded, and the deletion of the frame items.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/control_library/library_test_bed.h"

namespace {

constexpr COLORREF kMark = RGB(200, 30, 40);
constexpr COLORREF kPressedMark = RGB(150, 22, 30);
constexpr COLORREF kGreyMark = RGB(168, 168, 168);
constexpr COLORREF kCorner = RGB(255, 0, 255);
constexpr int kPicture = 24;

// The picture's top left inside image button window (centred, one pixel on when pressed).
POINT PictureOrigin(HWND window, bool pressed) {
    RECT client;
    GetClientRect(window, &client);
    const int shift = pressed ? 1 : 0;
    return {(client.right - kPicture) / 2 + shift, (client.bottom - kPicture) / 2 + shift};
}

std::string Hex(COLORREF color) {
    char text[16];
    snprintf(text, sizeof text, "%06lX", static_cast<unsigned long>(color));
    return text;
}

// An enhanced metafile written by the system itself, for the file path of the loader.
std::string WriteEnhancedMetafile() {
    const std::string path = LibraryImagesFolder() + "drawn.emf";
    HDC dc = CreateEnhMetaFileA(nullptr, path.c_str(), nullptr, nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(40, 90, 160));
    HGDIOBJ old = SelectObject(dc, brush);
    Ellipse(dc, 0, 0, 40, 40);
    SelectObject(dc, old);
    DeleteObject(brush);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    return path;
}

}  // namespace

TEST(ControlLibraryImages, ImageButtonsPaintTheirLooksAndPicturesComeFromResourcesAndPaths) {
    const std::string folder = LibraryImagesFolder();
    const std::string emf = WriteEnhancedMetafile();
    SetEnvironmentVariableA("PATH", (std::string("C:\\nowhere;") + folder + "path_only").c_str());
    CreateDirectoryA((folder + "path_only").c_str(), nullptr);
    CopyFileA((folder + "onpath.bmp").c_str(), (folder + "path_only\\onpath.bmp").c_str(), FALSE);
    SetEnvironmentVariableA("VESK_PATH", folder.c_str());
    auto session = OpenLibraryPlugin();
    static std::map<int, int32_t> results;
    results.clear();
    TestScript script;
    script.build = [emf](const ScriptedPluginApi& api) {
        const LibraryApi& lib = Lib();
        const struct {
            int n;
            int32_t controlClass;
            const char* image;
        } controls[] = {
            {100, CONTROL_IMAGEBUTTON, "tool.bmp"},
            {101, CONTROL_IMAGEBUTTON, "tool_off.bmp"},
            {102, CONTROL_IMAGEBUTTON, "tool_grey.bmp"},
            {103, CONTROL_IMAGEBUTTON, "arrow_mark.bmp"},
            {104, CONTROL_BITMAP, "onpath.bmp"},
            {105, CONTROL_BITMAP, "onvesk.bmp"},
            {106, CONTROL_METAFILE, "placeable.wmf"},
            {107, CONTROL_METAFILE, "plain.wmf"},
            {108, CONTROL_METAFILE, emf.c_str()},
            {109, CONTROL_BITMAP, "missing.bmp"},
            {110, CONTROL_METAFILE, "short99.wmf"},
            {111, CONTROL_METAFILE, "short_res.wmf"},
            {112, CONTROL_METAFILE, "claims_too_much.wmf"},
        };
        for (const auto& c : controls) {
            api.createControl(c.n, c.controlClass, "", 10 + (c.n - 100) % 7 * 40,
                              10 + (c.n - 100) / 7 * 40, 32, 32, 0, 0, 0, -1);
            results[c.n] = lib.setControlImage(c.n, c.image, 0);
        }
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        for (int n = 100; n <= 108; ++n)
            driver.Check(results[n] == 1, "image of " + std::to_string(n) + " attached");
        for (int n = 109; n <= 112; ++n)
            driver.Check(results[n] == 0, "image of " + std::to_string(n) + " refused");
        driver.Send(WM_NULL);
        // Painted on the dialog's own thread: from here the call would return before the
        // buttons have drawn themselves.
        OnDialogThread([&] {
            for (int n = 100; n <= 103; ++n) UpdateWindow(driver.ControlWindow(n));
        });
        const COLORREF magentaGrey = RGB(180, 180, 180);
        const struct {
            int n;
            COLORREF inside, corner;
        } looks[] = {
            {100, kMark, kCorner},
            {101, kMark, kCorner},
            {102, kGreyMark, magentaGrey},
        };
        for (const auto& look : looks) {
            HWND window = driver.ControlWindow(look.n);
            const POINT at = PictureOrigin(window, false);
            const COLORREF inside = PixelOf(window, at.x + 5, at.y + 5);
            const COLORREF centre = PixelOf(window, at.x + 12, at.y + 12);
            const COLORREF corner = PixelOf(window, at.x + 1, at.y + 1);
            const std::string name = std::to_string(look.n);
            driver.Check(ColourNear(inside, look.inside, 2),
                         name + " shows its picture: " + Hex(inside));
            driver.Check(ColourNear(corner, look.corner, 2), name + " corner: " + Hex(corner));
            if (look.n != 102)
                driver.Check(ColourNear(centre, RGB(255, 255, 255), 2),
                             name + " centre: " + Hex(centre));
        }
        // The arrow look shows what lies behind where its picture has the corner colour.
        HWND arrow = driver.ControlWindow(103);
        const POINT at = PictureOrigin(arrow, false);
        const COLORREF behind = PixelOf(arrow, 0, 0);
        driver.Check(ColourNear(PixelOf(arrow, at.x + 1, at.y + 1), behind, 2),
                     "arrow corner is transparent: " + Hex(PixelOf(arrow, at.x + 1, at.y + 1)));
        driver.Check(ColourNear(PixelOf(arrow, at.x + 5, at.y + 5), kMark, 2),
                     "arrow shows its picture");
        KeepWindowPicture(driver.dialog, "control_library_image_buttons");

        // On (value 1): the plain and "_off" looks press in, darker and one pixel on; the grey
        // look never does.
        for (int n : {100, 101, 102}) gBed.api->setControlValue(n, 1);
        OnDialogThread([&] {
            for (int n : {100, 101, 102}) {
                HWND window = driver.ControlWindow(n);
                InvalidateRect(window, nullptr, TRUE);
                UpdateWindow(window);
            }
        });
        for (int n : {100, 101}) {
            HWND window = driver.ControlWindow(n);
            const POINT pressed = PictureOrigin(window, true);
            const COLORREF inside = PixelOf(window, pressed.x + 5, pressed.y + 5);
            driver.Check(ColourNear(inside, kPressedMark, 2),
                         std::to_string(n) + " pressed in: " + Hex(inside));
        }
        HWND grey = driver.ControlWindow(102);
        const POINT still = PictureOrigin(grey, false);
        driver.Check(ColourNear(PixelOf(grey, still.x + 5, still.y + 5), kGreyMark, 2),
                     "grey stays");
        KeepWindowPicture(driver.dialog, "control_library_image_buttons_pressed");

        driver.Check(driver.SendTo(driver.ControlWindow(104), STM_GETIMAGE, IMAGE_BITMAP) != 0,
                     "a picture found along PATH");
        driver.Check(driver.SendTo(driver.ControlWindow(105), STM_GETIMAGE, IMAGE_BITMAP) != 0,
                     "a picture found along VESK_PATH");
        for (int n : {106, 107, 108})
            driver.Check(
                driver.SendTo(driver.ControlWindow(n), STM_GETIMAGE, IMAGE_ENHMETAFILE) != 0,
                "metafile shown by " + std::to_string(n));
        driver.End(IDOK);
    });
    std::vector<std::string> texts;
    for (const MessageBoxRecord& box : session->log.messageBoxes) {
        EXPECT_EQ(box.caption, "Error");
        texts.push_back(box.text);
    }
    const std::vector<std::string> expected = {
        "Could not load bitmap missing.bmp",
        "Metafile is too short (99 bytes)",
        "Could not load metafile short99.wmf",
        "VESKMETAFILE resource is too short (99 bytes)",
        "Could not load metafile short_res.wmf",
        "Metafile is too small (150 instead of 230)",
        "Could not load metafile claims_too_much.wmf",
    };
    EXPECT_EQ(texts, expected);
}

TEST(ControlLibraryImages, DeletingFrameItemsKeepsTheirRecords) {
    auto session = OpenLibraryPlugin();
    TestScript script;
    script.build = [](const ScriptedPluginApi& api) {
        api.registerFrameControls();
        api.createControl(120, CONTROL_PUSHBUTTON, "Gone", -1, -1, -1, -1, 0, 0, 0, -1);
        for (int n : {391, 392, 394, 120}) api.deleteControl(n);
        api.deleteControl(121);  // never made: left alone
    };
    RunWithDriver(*session, script, [](Driver& driver) {
        for (int item : {497, 498, 1005, 1006, 1040})
            driver.Check(driver.Item(item) == nullptr, "item " + std::to_string(item) + " gone");
        driver.Check(driver.Item(101) != nullptr, "the preview stays");
        for (int n : {391, 392, 394}) {
            const ControlRecord* record = gBed.api->record(n);
            driver.Check(record->inUse == 1 && record->state == 0,
                         std::to_string(n) + " stays in use with state 0");
        }
        driver.Check(gBed.api->record(120)->inUse == 0 && driver.ControlWindow(120) == nullptr,
                     "an ordinary control goes with its window");
        driver.End(IDOK);
    });
}

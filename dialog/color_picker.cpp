// Colour picking through the host's colour services or the system's colour dialog.

#include "dialog/color_picker.h"

#include <windows.h>

#include <commdlg.h>

#include <colordlg.h>

#include <cstdarg>
#include <cstring>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/color_values.h"
#include "dialog/text_expansion.h"
#include "host/host_api.h"
#include "host/host_services.h"
#include "host/plugin_data.h"
#include "host/text_format.h"

namespace {
// Kept for the life of the module, so the user's custom colours come back next time.
COLORREF gCustomColors[16];

constexpr int kPreviewBoxItem = 740;
constexpr int kPreviewBoxWidthPx = 80;
constexpr int kPreviewBoxHeightPx = 20;
// The renderer needs a breath between two colours typed in quick succession.
constexpr DWORD kLiveColorPauseMs = 30;

const char* const kSystemTexts[kColorDialogTextCount] = {
    "&Basic colors:", "&Custom colors:", "Cancel", "Color",   "|S&olid", "Hu&e:",
    "&Sat:",          "&Lum:",           "&Red:",  "&Green:", "Bl&ue:",  "&Add to Custom Colors"};
const char* const kGermanTexts[kColorDialogTextCount] = {
    "&Grundfarben:", "Benut&zerdefinierte Farben:",
    "Abbruch",       "Farbe",
    "|&Basis",       "&Farbt.:",
    "&S\xE4tt.:",    "H&ell.:",
    "&Rot:",         "Gr\xFC&n:",
    "B&lau:",        "Farben hinzuf&\xFCgen"};

// The open picker's session: written by PickColorWithPreview and its hook only.
struct ColorPickerSession {
    int32_t colorControl;
    COLORREF startColor;
    int32_t previewControl;  // -1: no live preview
    int32_t language;
    COLORREF shownColor;  // the colour the control shows now
    bool changedControl;  // the live preview changed the colour control
    bool filling;         // the hook itself is writing the fields
};
ColorPickerSession gPicker = {-1, 0, -1, 0, 0, false, false};

bool LivePreviewOn() {
    const ControlRecord* preview = UsedControlRecord(gPicker.previewControl);
    return preview && preview->value != 0;
}

void ShowColorOnControl(COLORREF color, bool render) {
    if (color == gPicker.shownColor && gPicker.changedControl == (color != gPicker.startColor))
        return;
    gPicker.shownColor = color;
    gPicker.changedControl = color != gPicker.startColor;
    SetControlValue(gPicker.colorControl, int32_t(color));
    SetControlColor(gPicker.colorControl, int32_t(color));
    if (!render) return;
    Sleep(kLiveColorPauseMs);
    RunControlAction(RUN_ACTION_PREVIEW);
}

bool ReadFieldColor(HWND window, COLORREF* color) {
    BOOL ok[3] = {FALSE, FALSE, FALSE};
    const UINT red = GetDlgItemInt(window, COLOR_RED, &ok[0], FALSE);
    const UINT green = GetDlgItemInt(window, COLOR_GREEN, &ok[1], FALSE);
    const UINT blue = GetDlgItemInt(window, COLOR_BLUE, &ok[2], FALSE);
    if (!ok[0] || !ok[1] || !ok[2] || red > 255 || green > 255 || blue > 255) return false;
    *color = RGB(red, green, blue);
    return true;
}

struct TextReplacement {
    const char* systemText;
    const char* text;
};

// Systems differ in the capitals of their texts ("Basic Colors:"): matched without case.
BOOL CALLBACK ReplaceChildText(HWND child, LPARAM parameter) {
    const auto& replacement = *reinterpret_cast<const TextReplacement*>(parameter);
    char text[256] = "";
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(text, replacement.systemText) != 0) return TRUE;
    SetWindowTextA(child, replacement.text);
    return FALSE;
}

void TranslateColorDialog(HWND window) {
    SetWindowTextA(window, ColorDialogTitle(gPicker.language));
    const char* const* texts = ColorDialogTexts(gPicker.language);
    for (int i = 0; i < kColorDialogTextCount; ++i) {
        if (strcmp(texts[i], kSystemTexts[i]) == 0) continue;
        TextReplacement replacement = {kSystemTexts[i], texts[i]};
        EnumChildWindows(window, ReplaceChildText, reinterpret_cast<LPARAM>(&replacement));
    }
}

void AddPreviewBox(HWND window) {
    HWND mix = GetDlgItem(window, COLOR_MIX);
    RECT place = {0, 0, kPreviewBoxWidthPx, kPreviewBoxHeightPx};
    if (mix) {
        GetWindowRect(mix, &place);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        ShowWindow(mix, SW_HIDE);
    }
    if (gPicker.previewControl < 0) return;
    HWND box = CreateWindowExA(0, "BUTTON", ColorPreviewLabel(gPicker.language),
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, place.left,
                               place.top, kPreviewBoxWidthPx, kPreviewBoxHeightPx, window,
                               reinterpret_cast<HMENU>(intptr_t(kPreviewBoxItem)),
                               GetModuleHandleA(nullptr), nullptr);
    if (!box) return;
    SendMessageA(box, WM_SETFONT, SendMessageA(window, WM_GETFONT, 0, 0), FALSE);
    SendMessageA(box, BM_SETCHECK, LivePreviewOn() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OnPreviewBoxToggled(HWND window) {
    const bool on = IsDlgButtonChecked(window, kPreviewBoxItem) == BST_CHECKED;
    SetControlValue(gPicker.previewControl, on ? 1 : 0);
    if (!on) {
        ShowColorOnControl(gPicker.startColor, true);
        return;
    }
    COLORREF color;
    if (ReadFieldColor(window, &color)) ShowColorOnControl(color, true);
}

void OnColorFieldChanged(HWND window) {
    if (gPicker.filling || gPicker.previewControl < 0 || !LivePreviewOn()) return;
    COLORREF color;
    if (ReadFieldColor(window, &color) && color != gPicker.shownColor)
        ShowColorOnControl(color, true);
}

}  // namespace

void MakeLengthPrefixedText(const char* text, uint8_t out[256]) {
    size_t length = text ? strnlen(text, 255) : 0;
    out[0] = uint8_t(length);
    if (length) memcpy(out + 1, text, length);
}

int32_t PickSystemColor(uint32_t initialColor) {
    CHOOSECOLORA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = gDialog;
    request.rgbResult = initialColor;
    request.lpCustColors = gCustomColors;
    request.Flags = CC_RGBINIT | CC_FULLOPEN;
    return ChooseColorA(&request) ? int32_t(request.rgbResult) : -1;
}

int32_t PickColor(uint32_t initialColor, const char* promptFormat, ...) {
    ColorServicesProc hostPicker = gDataBlock && gStuff ? gStuff->colorServices : nullptr;
    if (!hostPicker) return PickSystemColor(initialColor);

    char prompt[1024];
    va_list args;
    va_start(args, promptFormat);
    FormatTextV(prompt, sizeof prompt, promptFormat, args);
    va_end(args);
    uint8_t hostPrompt[256];
    MakeLengthPrefixedText(ExpandText(prompt), hostPrompt);

    ColorServicesInfo info =
        ColorServicesRequest(COLOR_SERVICES_CHOOSE_COLOR, COLOR_SPACE_RGB, COLOR_SPACE_RGB);
    info.colorComponents[0] = int16_t(GetRedValue(initialColor));
    info.colorComponents[1] = int16_t(GetGreenValue(initialColor));
    info.colorComponents[2] = int16_t(GetBlueValue(initialColor));
    info.selectorParameter.pickerPrompt = hostPrompt;
    OSErr result = hostPicker(&info);
    if (result == 0)
        return int32_t(
            MakeRgb(info.colorComponents[0], info.colorComponents[1], info.colorComponents[2]));
    if (result == HOST_USER_CANCELLED) return -1;
    return PickSystemColor(initialColor);
}

const char* const* ColorDialogSystemTexts() {
    return kSystemTexts;
}

const char* const* ColorDialogTexts(int32_t language) {
    return language == 1 ? kGermanTexts : kSystemTexts;
}

const char* ColorDialogTitle(int32_t language) {
    return language == 1 ? "Bitte w\xE4hlen Sie eine Farbe:" : "Please choose a color:";
}

const char* ColorPreviewLabel(int32_t language) {
    return language == 1 ? "Vorschau" : "Preview";
}

UINT_PTR CALLBACK ColorDialogHookProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            TranslateColorDialog(window);
            AddPreviewBox(window);
            return TRUE;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == kPreviewBoxItem && HIWORD(wParam) == BN_CLICKED)
                OnPreviewBoxToggled(window);
            else if ((id == COLOR_RED || id == COLOR_GREEN || id == COLOR_BLUE) &&
                     HIWORD(wParam) == EN_CHANGE)
                OnColorFieldChanged(window);
            return FALSE;
        }
    }
    return FALSE;
}

int32_t PickColorWithPreview(int32_t colorControl, uint32_t color, int32_t previewControl,
                             int32_t language) {
    gPicker = {colorControl,    COLORREF(color), previewControl, language,
               COLORREF(color), false,           false};
    CHOOSECOLORA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = gDialog;
    request.rgbResult = color;
    request.lpCustColors = gCustomColors;
    request.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK;
    request.lpfnHook = ColorDialogHookProc;
    const bool chosen = ChooseColorA(&request) != FALSE;
    if (chosen) return int32_t(request.rgbResult);
    if (gPicker.changedControl) {
        SetControlValue(colorControl, int32_t(color));
        SetControlColor(colorControl, int32_t(color));
        RunControlAction(RUN_ACTION_PREVIEW);
    }
    return -1;
}

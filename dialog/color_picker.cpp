// Colour picking through the host's colour services or the system's colour dialog.

#include "dialog/color_picker.h"

#include <windows.h>

#include <commdlg.h>

#include <cstdarg>
#include <cstring>

#include "dialog/dialog_window.h"
#include "dialog/system_services.h"
#include "dialog/text_expansion.h"
#include "host/host_api.h"
#include "host/host_services.h"
#include "host/plugin_data.h"
#include "host/text_format.h"

namespace {
// Kept for the life of the module, so the user's custom colours come back next time.
COLORREF gCustomColors[16];
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

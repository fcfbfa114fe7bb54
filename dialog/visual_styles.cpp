// Visual styles: the theme library is loaded by name for every use and freed again, so the
// plug-in runs on systems without it and never keeps it loaded between calls.

#include "dialog/visual_styles.h"

#include <shlwapi.h>

#include "dialog/control_record.h"
#include "dialog/control_windows_on_demand.h"
#include "dialog/dialog_window.h"
#include "host/parameter_block.h"

namespace {

using SetWindowThemeProc = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
using BoolProc = BOOL(WINAPI*)();
using OpenThemeDataProc = HANDLE(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataProc = HRESULT(WINAPI*)(HANDLE);
using DrawThemeBackgroundProc = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
using GetThemeColorProc = HRESULT(WINAPI*)(HANDLE, int, int, int, COLORREF*);
using DllGetVersionProc = HRESULT(CALLBACK*)(DLLVERSIONINFO*);

int32_t gVisualStyleCache = -1;     // -1 until measured, then 0 or 1
int32_t gVisualStyleOverride = -1;  // set by tests only

// The theme library for the length of one operation.
struct ThemeLibrary {
    HMODULE module = LoadLibraryA("uxtheme.dll");
    ~ThemeLibrary() {
        if (module) FreeLibrary(module);
    }
    template <typename Proc>
    Proc Find(const char* name) const {
        return module
                   ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                   : nullptr;
    }
};

bool MeasureVisualStyles() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwMajorVersion < 5) return false;
    {
        ThemeLibrary theme;
        auto isAppThemed = theme.Find<BoolProc>("IsAppThemed");
        auto isThemeActive = theme.Find<BoolProc>("IsThemeActive");
        if (!isAppThemed || !isThemeActive || !isAppThemed() || !isThemeActive()) return false;
    }
    HMODULE controls = LoadLibraryA("comctl32.dll");
    if (!controls) return false;
    bool modern = false;
    auto getVersion = reinterpret_cast<DllGetVersionProc>(
        reinterpret_cast<void*>(GetProcAddress(controls, "DllGetVersion")));
    if (getVersion) {
        DLLVERSIONINFO info = {};
        info.cbSize = sizeof info;
        static_assert(sizeof(DLLVERSIONINFO) == 20, "the version record of 20 bytes");
        modern = SUCCEEDED(getVersion(&info)) && info.dwMajorVersion >= 6;
    }
    FreeLibrary(controls);
    return modern;
}

}  // namespace

int32_t ApplyWindowTheme(HWND window, const wchar_t* appName, const wchar_t* idList) {
    ThemeLibrary theme;
    auto setWindowTheme = theme.Find<SetWindowThemeProc>("SetWindowTheme");
    if (!setWindowTheme) return -1;
    return int32_t(setWindowTheme(window, appName, idList));
}

void SetControlThemeDefault(HWND window) {
    if (gParams && gParams->dialogThemed)
        ApplyWindowTheme(window, nullptr, nullptr);
    else
        ApplyWindowTheme(window, L"", L"");
}

void SetDialogTheming(int32_t on) {
    if (!gParams) return;
    if (on) {
        if (gDialog) SetWindowRgn(gDialog, nullptr, TRUE);
        // The system owns a region once it was given to a window; only forget the handle.
        gParams->dialogRegion = nullptr;
        gParams->dialogThemed = 1;
        ApplyWindowTheme(gDialog, nullptr, nullptr);
    } else {
        gParams->dialogThemed = 0;
        ApplyWindowTheme(gDialog, L"", L"");
    }
}

bool IsVisualStyleActive() {
    if (gVisualStyleOverride >= 0) return gVisualStyleOverride != 0;
    if (gVisualStyleCache < 0) gVisualStyleCache = MeasureVisualStyles() ? 1 : 0;
    return gVisualStyleCache != 0;
}

void SetVisualStyleOverride(int32_t active) {
    gVisualStyleOverride = active < 0 ? -1 : active;
}

int32_t DrawThemePart(int32_t n, const RECT& rect, const wchar_t* classList, int32_t part,
                      int32_t state) {
    HWND window = n >= kControlCount ? gDialog : ControlWindowNow(n);
    HDC dc = GetDC(window);
    ThemeLibrary theme;
    auto open = theme.Find<OpenThemeDataProc>("OpenThemeData");
    auto draw = theme.Find<DrawThemeBackgroundProc>("DrawThemeBackground");
    auto close = theme.Find<CloseThemeDataProc>("CloseThemeData");
    int32_t drawn = 0;
    if (open && draw && close) {
        if (HANDLE data = open(gDialog, classList)) {
            draw(data, dc, part, state, &rect, nullptr);
            close(data);
        }
        drawn = 1;
    }
    ReleaseDC(window, dc);
    return drawn;
}

bool ReadThemeColor(HWND window, const wchar_t* classList, int32_t part, int32_t state,
                    int32_t property, COLORREF* color) {
    ThemeLibrary theme;
    auto open = theme.Find<OpenThemeDataProc>("OpenThemeData");
    auto read = theme.Find<GetThemeColorProc>("GetThemeColor");
    auto close = theme.Find<CloseThemeDataProc>("CloseThemeData");
    if (!open || !read || !close) return false;
    HANDLE data = open(window, classList);
    if (!data) return false;
    bool ok = SUCCEEDED(read(data, part, state, property, color));
    close(data);
    return ok;
}

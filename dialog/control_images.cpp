// Control images: loading bitmaps, icons and metafiles by resource or file name, attaching
// them to buttons and picture controls, and drawing image buttons in their four looks.

#include "dialog/control_images.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "dialog/bitmap_info.h"
#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/dialog_window.h"
#include "dialog/message_boxes.h"
#include "host/plugin_data.h"
#include "host/system_calls.h"
#include "host/text_format.h"

namespace {

constexpr char kMetafileResourceType[] = "VESKMETAFILE";
constexpr size_t kMetaHeaderBytes = 18;  // the Windows metafile header proper

HINSTANCE ResourceModule() {
    return gModule ? gModule : GetModuleHandleA(nullptr);
}

uint32_t ReadU32(const uint8_t* data) {
    return uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
           uint32_t(data[3]) << 24;
}

bool EndsWithNoCase(const std::string& text, const char* tail) {
    const size_t length = strlen(tail);
    if (text.size() < length) return false;
    for (size_t i = 0; i < length; ++i)
        if (tolower(uint8_t(text[text.size() - length + i])) != tolower(uint8_t(tail[i])))
            return false;
    return true;
}

bool StartsWithNoCase(const std::string& text, const char* head) {
    const size_t length = strlen(head);
    if (text.size() < length) return false;
    for (size_t i = 0; i < length; ++i)
        if (tolower(uint8_t(text[i])) != tolower(uint8_t(head[i]))) return false;
    return true;
}

std::string EnvironmentText(const char* name) {
    char value[32768];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

bool FileIsThere(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// --- Loading ----------------------------------------------------------------------------------

HANDLE LoadPicture(const char* name, UINT type) {
    HANDLE picture = LoadImageA(ResourceModule(), name, type, 0, 0, LR_CREATEDIBSECTION);
    if (picture) return picture;
    return LoadImageA(nullptr, ResolveImagePath(name), type, 0, 0,
                      LR_LOADFROMFILE | LR_CREATEDIBSECTION);
}

HENHMETAFILE MetafileFromData(const uint8_t* data, size_t size, bool resource, const char* name) {
    const MetafileLayout layout = ReadMetafileLayout(data, size);
    switch (layout.kind) {
        case METAFILE_TOO_SHORT:
            ShowErrorMessage(resource ? "VESKMETAFILE resource is too short (%d bytes)"
                                      : "Metafile is too short (%d bytes)",
                             int(size));
            break;
        case METAFILE_TOO_SMALL:
            ShowErrorMessage(resource ? "VESKMETAFILE resource is too small (%d instead of %d)"
                                      : "Metafile is too small (%d instead of %d)",
                             int(layout.bytes), int(layout.claimedBytes));
            break;
        case METAFILE_ENHANCED:
            if (HENHMETAFILE file = SetEnhMetaFileBits(UINT(layout.bytes), data)) return file;
            break;
        case METAFILE_WINDOWS:
            if (HENHMETAFILE file =
                    SetWinMetaFileBits(UINT(layout.bytes), data + layout.offset, nullptr, nullptr))
                return file;
            break;
    }
    ShowErrorMessage("Could not load metafile %s", name);
    return nullptr;
}

HENHMETAFILE LoadMetafileResource(HRSRC found, const char* name) {
    const DWORD size = SizeofResource(ResourceModule(), found);
    if (size < kMinMetafileBytes) {
        ShowErrorMessage("VESKMETAFILE resource is too short (%d bytes)", int(size));
        ShowErrorMessage("Could not load metafile %s", name);
        return nullptr;
    }
    HGLOBAL loaded = LoadResource(ResourceModule(), found);
    if (!loaded) {
        ShowErrorMessage("%s", "Could not load VESKMETAFILE resource.");
        ShowErrorMessage("Could not load metafile %s", name);
        return nullptr;
    }
    const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
    if (!data) {
        ShowErrorMessage("%s", "Could not lock VESKMETAFILE resource.");
        ShowErrorMessage("Could not load metafile %s", name);
        return nullptr;
    }
    return MetafileFromData(data, size, true, name);
}

HENHMETAFILE LoadMetafileFile(const char* name) {
    HANDLE file = CreateFileA(ResolveImagePath(name), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ShowErrorMessage("Could not load metafile %s", name);
        return nullptr;
    }
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    const size_t bytes =
        size.QuadPart > 0 && size.QuadPart < 0x40000000 ? size_t(size.QuadPart) : 0;
    auto* data = static_cast<uint8_t*>(bytes ? gSystem.allocateZeroed(bytes, 1) : nullptr);
    if (bytes && !data) {
        CloseHandle(file);
        ShowErrorMessage("Could not allocate %d bytes for metafile", int(bytes));
        ShowErrorMessage("Could not load metafile %s", name);
        return nullptr;
    }
    DWORD read = 0;
    const bool whole =
        !bytes || (ReadFile(file, data, DWORD(bytes), &read, nullptr) && read == bytes);
    CloseHandle(file);
    HENHMETAFILE metafile = nullptr;
    if (!whole)
        ShowErrorMessage("Could not load metafile %s", name);
    else
        metafile = MetafileFromData(data, bytes, false, name);
    gSystem.release(data);
    return metafile;
}

HENHMETAFILE LoadMetafile(const char* name) {
    if (HRSRC found = FindResourceA(ResourceModule(), name, kMetafileResourceType))
        return LoadMetafileResource(found, name);
    return LoadMetafileFile(name);
}

// --- Image buttons ------------------------------------------------------------------------------

COLORREF PressedColor(COLORREF color) {
    return RGB(GetRValue(color) * 3 / 4, GetGValue(color) * 3 / 4, GetBValue(color) * 3 / 4);
}

// A 32-bit copy of the picture with every pixel passed through change, selected into a
// memory context of its own.
bool MakeButtonImage(HBITMAP picture, int32_t width, int32_t height, COLORREF (*change)(COLORREF),
                     HDC* dcOut, HBITMAP* bitmapOut, HGDIOBJ* oldOut) {
    BITMAPINFO info = TopDownBitmapInfo32(width, height);
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HDC source = CreateCompatibleDC(nullptr);
    if (!copy || !dc || !source) {
        if (copy) DeleteObject(copy);
        if (dc) DeleteDC(dc);
        if (source) DeleteDC(source);
        return false;
    }
    HGDIOBJ old = SelectObject(dc, copy);
    HGDIOBJ oldSource = SelectObject(source, picture);
    BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(source, oldSource);
    DeleteDC(source);
    GdiFlush();
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int32_t i = 0; change && i < width * height; ++i) {
        // DIB pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
        const uint32_t p = pixels[i];
        const COLORREF changed = change(RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF));
        pixels[i] = uint32_t(GetRValue(changed)) << 16 | uint32_t(GetGValue(changed)) << 8 |
                    GetBValue(changed);
    }
    *dcOut = dc;
    *bitmapOut = copy;
    *oldOut = old;
    return true;
}

bool AttachButtonImages(ControlRecord& record, HBITMAP picture) {
    BITMAP info;
    if (!GetObjectA(picture, sizeof info, &info)) return false;
    const bool grey = ImageButtonLookOf(record.imageName) == IMAGE_LOOK_GREY;
    const bool made =
        MakeButtonImage(picture, info.bmWidth, info.bmHeight, grey ? ImageButtonGrey : nullptr,
                        &record.imageDCs[0], &record.imageBitmaps[0], &record.imageOldObjects[0]) &&
        MakeButtonImage(picture, info.bmWidth, info.bmHeight, PressedColor, &record.imageDCs[1],
                        &record.imageBitmaps[1], &record.imageOldObjects[1]);
    if (!made) ReleaseControlImageObjects(record);
    return made;
}

// --- Attaching
// ------------------------------------------------------------------------------------

void DropImage(ControlRecord& record) {
    HWND window = record.window;
    switch (record.controlClass) {
        case CONTROL_PUSHBUTTON:
            if (window)
                if (HGDIOBJ old = reinterpret_cast<HGDIOBJ>(
                        SendMessageA(window, BM_SETIMAGE, IMAGE_BITMAP, 0)))
                    DeleteObject(old);
            break;
        case CONTROL_IMAGEBUTTON:
            ReleaseControlImageObjects(record);
            break;
        case CONTROL_BITMAP:
            if (window)
                if (HGDIOBJ old = reinterpret_cast<HGDIOBJ>(
                        SendMessageA(window, STM_SETIMAGE, IMAGE_BITMAP, 0)))
                    DeleteObject(old);
            break;
        case CONTROL_ICON:
            if (window)
                if (HICON old =
                        reinterpret_cast<HICON>(SendMessageA(window, STM_SETIMAGE, IMAGE_ICON, 0)))
                    DestroyIcon(old);
            break;
        case CONTROL_METAFILE:
            if (window)
                if (HENHMETAFILE old = reinterpret_cast<HENHMETAFILE>(
                        SendMessageA(window, STM_SETIMAGE, IMAGE_ENHMETAFILE, 0)))
                    DeleteEnhMetaFile(old);
            break;
    }
    record.imageName[0] = '\0';
}

// Loads the image for the record's class and hands it to the window; false after a reported
// failure.
bool AttachImage(ControlRecord& record, const char* name) {
    HWND window = record.window;
    switch (record.controlClass) {
        case CONTROL_PUSHBUTTON:
        case CONTROL_BITMAP:
        case CONTROL_IMAGEBUTTON: {
            auto* picture = static_cast<HBITMAP>(LoadPicture(name, IMAGE_BITMAP));
            if (!picture) {
                ShowErrorMessage("Could not load bitmap %s", name);
                return false;
            }
            if (record.controlClass == CONTROL_IMAGEBUTTON) {
                const bool attached = AttachButtonImages(record, picture);
                DeleteObject(picture);
                return attached;
            }
            const UINT message =
                record.controlClass == CONTROL_PUSHBUTTON ? BM_SETIMAGE : STM_SETIMAGE;
            if (!window) {
                DeleteObject(picture);
                return true;
            }
            SendMessageA(window, message, IMAGE_BITMAP, LPARAM(picture));
            return true;
        }
        case CONTROL_ICON: {
            auto* icon = static_cast<HICON>(LoadPicture(name, IMAGE_ICON));
            if (!icon) {
                ShowErrorMessage("Could not load icon %s", name);
                return false;
            }
            if (window)
                SendMessageA(window, STM_SETIMAGE, IMAGE_ICON, LPARAM(icon));
            else
                DestroyIcon(icon);
            return true;
        }
        case CONTROL_METAFILE: {
            HENHMETAFILE metafile = LoadMetafile(name);
            if (!metafile) return false;
            if (window)
                SendMessageA(window, STM_SETIMAGE, IMAGE_ENHMETAFILE, LPARAM(metafile));
            else
                DeleteEnhMetaFile(metafile);
            return true;
        }
    }
    return true;
}

}  // namespace

// --- Pure parts
// -----------------------------------------------------------------------------------

std::string FindImageFile(const std::string& name, const std::string& pathList,
                          const std::string& veskPathList,
                          const std::function<bool(const std::string&)>& exists) {
    if (name.empty()) return name;
    if (exists(name)) return name;
    for (const std::string* list : {&pathList, &veskPathList}) {
        size_t start = 0;
        while (start <= list->size()) {
            size_t end = list->find(';', start);
            if (end == std::string::npos) end = list->size();
            std::string folder = list->substr(start, end - start);
            if (!folder.empty()) {
                if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
                if (exists(folder + name)) return folder + name;
            }
            start = end + 1;
        }
    }
    return name;
}

MetafileLayout ReadMetafileLayout(const uint8_t* data, size_t size) {
    MetafileLayout layout = {METAFILE_TOO_SHORT, 0, size, 0};
    if (!data || size < kMinMetafileBytes) return layout;
    if (ReadU32(data) == 1 && ReadU32(data + 40) == kEnhancedMetafileSignature) {
        layout.kind = METAFILE_ENHANCED;
        return layout;
    }
    if (ReadU32(data) == kPlaceableMetafileKey) layout.offset = kPlaceableHeaderBytes;
    layout.bytes = size - layout.offset;
    // The size field of the header counts 16-bit words.
    layout.claimedBytes = size_t(ReadU32(data + layout.offset + 6)) * 2;
    if (layout.claimedBytes > layout.bytes || layout.claimedBytes < kMetaHeaderBytes) {
        layout.kind = METAFILE_TOO_SMALL;
        return layout;
    }
    layout.kind = METAFILE_WINDOWS;
    layout.bytes = layout.claimedBytes;
    return layout;
}

ImageButtonLook ImageButtonLookOf(const char* imageName) {
    std::string name = imageName ? imageName : "";
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name = name.substr(0, dot);
    if (StartsWithNoCase(name, "arrow_")) return IMAGE_LOOK_ARROW;
    if (EndsWithNoCase(name, "_off")) return IMAGE_LOOK_OFF;
    if (EndsWithNoCase(name, "_grey")) return IMAGE_LOOK_GREY;
    return IMAGE_LOOK_PLAIN;
}

RECT ImageButtonImageRect(ImageButtonLook look, const RECT& button, int32_t imageWidth,
                          int32_t imageHeight, bool pressed) {
    const int32_t shift = pressed && look != IMAGE_LOOK_GREY ? 1 : 0;
    const int32_t left = button.left + ((button.right - button.left) - imageWidth) / 2 + shift;
    const int32_t top = button.top + ((button.bottom - button.top) - imageHeight) / 2 + shift;
    return {left, top, left + imageWidth, top + imageHeight};
}

COLORREF ImageButtonGrey(COLORREF color) {
    const int luminance =
        (GetRValue(color) * 299 + GetGValue(color) * 587 + GetBValue(color) * 114) / 1000;
    const int lifted = (luminance + 255) / 2;
    return RGB(lifted, lifted, lifted);
}

// --- Win32 glue ---------------------------------------------------------------------------------

const char* ResolveImagePath(const char* name) {
    static char path[MAX_PATH * 4];
    const std::string found = FindImageFile(name ? name : "", EnvironmentText("PATH"),
                                            EnvironmentText("VESK_PATH"), FileIsThere);
    CopyText(path, sizeof path, found.c_str());
    return path;
}

int32_t SetControlImage(int32_t n, const char* name, int32_t option) {
    ControlRecord* record = UsedControlRecord(n);
    if (!record) return 0;
    if (record->imageName[0] || record->imageDCs[0]) DropImage(*record);
    if (!name) {
        RedrawDialogUnder(record->window);
        return 1;
    }
    CopyText(record->imageName, sizeof record->imageName, name);
    record->imageOption = option;
    // An image button draws its pictures only in its window: one without a window (a run
    // without the dialog, or windows still to be made) keeps the name, and its window takes
    // the pictures when it is made. The tool buttons change pictures at every session start.
    if (record->controlClass == CONTROL_IMAGEBUTTON && !record->window) return 1;
    if (!AttachImage(*record, name)) {
        record->imageName[0] = '\0';
        return 0;
    }
    // A picture may be smaller than the last: everything under it is painted again.
    RedrawDialogUnder(record->window);
    return 1;
}

bool DrawImageButton(int32_t n, const DRAWITEMSTRUCT& item) {
    const ControlRecord* record = UsedControlRecord(n);
    if (!record || record->controlClass != CONTROL_IMAGEBUTTON || !record->imageDCs[0])
        return false;
    BITMAP info;
    if (!GetObjectA(record->imageBitmaps[0], sizeof info, &info)) return false;
    const ImageButtonLook look = ImageButtonLookOf(record->imageName);
    const bool pressed =
        look != IMAGE_LOOK_GREY && (record->value != 0 || (item.itemState & ODS_SELECTED));
    HDC dc = item.hDC;
    const RECT& area = item.rcItem;
    const COLORREF background =
        record->backgroundColor != COLORREF(-1) ? record->backgroundColor : GetDialogColor();
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    const RECT place = ImageButtonImageRect(look, area, info.bmWidth, info.bmHeight, pressed);
    HDC source = record->imageDCs[pressed ? 1 : 0];
    if (look == IMAGE_LOOK_ARROW) {
        const COLORREF transparent = GetPixel(record->imageDCs[0], 0, 0);
        GdiTransparentBlt(dc, place.left, place.top, info.bmWidth, info.bmHeight, source, 0, 0,
                          info.bmWidth, info.bmHeight, transparent);
    } else {
        BitBlt(dc, place.left, place.top, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    }
    RECT frame = area;
    if (look == IMAGE_LOOK_PLAIN)
        DrawEdge(dc, &frame, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    else if (look == IMAGE_LOOK_OFF && pressed)
        DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);
    return true;
}

// Images of picture controls and buttons: bitmaps, icons and metafiles from the module's
// resources or from files found along "PATH" and "VESK_PATH", and the look of image buttons.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Attaches a picture or button image by resource or file name; a null name only removes the
// current one. 0 for a bad or unused n or an image that cannot be loaded (reported).
int32_t SetControlImage(int32_t n, const char* name, int32_t option);
// The path an image file is opened under: the name in the current folder or a folder of
// "PATH", else of "VESK_PATH", else the name itself. Static buffer, overwritten by the next call.
const char* ResolveImagePath(const char* name);

// --- Pure parts -------------------------------------------------------------------------------
// The search of ResolveImagePath over the two folder lists (separated by ';').
std::string FindImageFile(const std::string& name, const std::string& pathList,
                          const std::string& veskPathList,
                          const std::function<bool(const std::string&)>& exists);

constexpr size_t kMinMetafileBytes = 100;
constexpr uint32_t kPlaceableMetafileKey = 0x9AC6CDD7u;
constexpr size_t kPlaceableHeaderBytes = 22;
constexpr uint32_t kEnhancedMetafileSignature = 0x464D4520u;

enum MetafileKind : int32_t {
    METAFILE_TOO_SHORT,  // fewer than kMinMetafileBytes
    METAFILE_TOO_SMALL,  // a Windows metafile whose header claims more than the data holds
    METAFILE_ENHANCED,
    METAFILE_WINDOWS,
};
struct MetafileLayout {
    MetafileKind kind;
    size_t offset;        // start of the metafile proper (after a placeable header)
    size_t bytes;         // bytes of the metafile proper within the data
    size_t claimedBytes;  // Windows metafiles: the size their header gives
};
MetafileLayout ReadMetafileLayout(const uint8_t* data, size_t size);

// How an image button is drawn, chosen by its image name.
enum ImageButtonLook : int32_t {
    IMAGE_LOOK_PLAIN,  // raised button frame, sunken while pressed or on
    IMAGE_LOOK_OFF,    // "..._off": flat, framed only while pressed
    IMAGE_LOOK_GREY,   // "..._grey": the image in grey, flat, never pressed
    IMAGE_LOOK_ARROW,  // "arrow_...": no frame, the corner colour of the image transparent
};
ImageButtonLook ImageButtonLookOf(const char* imageName);

// The place of an image inside a button: centred, moved one pixel right and down while it is
// pressed (never for the grey look).
RECT ImageButtonImageRect(ImageButtonLook look, const RECT& button, int32_t imageWidth,
                          int32_t imageHeight, bool pressed);
// A grey of the colour for the grey look: its luminance, lifted halfway to white.
COLORREF ImageButtonGrey(COLORREF color);

// Draws image button n for WM_DRAWITEM; false when n has no image (the effect draws it).
bool DrawImageButton(int32_t n, const DRAWITEMSTRUCT& item);

// The parameter block (gParams): everything the plug-in remembers between runs while the
// host keeps it loaded. It lives behind the host's parameters handle.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "dialog/control_record.h"

// Framework switches of the flag word.
enum ParameterFlag : uint32_t {
    PFLAG_TRACE = 0x1,          // show debug traces (unless PFLAG_PREVIEW_DRAG)
    PFLAG_PREVIEW_DRAG = 0x8,   // a preview drag is running
    PFLAG_FULL_BORDER = 0x10,   // padding 0 and the full tile border; else -2 and clipped
    PFLAG_BIG_GULP = 0x40,      // after a proxy scale change, request the whole image once
    PFLAG_DRAG_RENDER = 0x80,   // re-render the preview while dragging
    PFLAG_FINAL_FLUSH = 0x100,  // one more advanceState with empty rectangles at the end
    PFLAG_DRAGGING = 0x200,     // set by the dialog procedure while dragging
    PFLAG_MODE_RGB = 0x400,
    PFLAG_MODE_GRAYSCALE = 0x800,
    PFLAG_MODE_CMYK = 0x1000,
    PFLAG_MODE_LAB = 0x2000,
    PFLAG_MODE_INDEXED = 0x4000,
    PFLAG_MODE_DUOTONE = 0x10000,
    PFLAG_MODE_MULTICHANNEL = 0x20000,
    PFLAG_STORED_TILE_SIZE = 0x1000000,  // use the stored tile height and width
};
constexpr uint32_t kDefaultParameterFlags = 0x840724;

constexpr int kFrameworkSettingCount = 9;
constexpr int kSavedContextBytes = 10600;
constexpr int kSavedEscapeStringCount = 9;
constexpr int kEscapeStringBytes = 256;

struct ParameterBlock {
    int16_t formatWord;          // 1
    int16_t secondWord;          // 0
    uint32_t flags;              // ParameterFlag bits
    int16_t queryForParameters;  // 1: show the dialog on the next start
    uint8_t headerReserved[6];   // the records start 16 bytes in on both architectures
    ControlRecord controls[kControlCount];
    uint32_t skinActive;  // 1 while a skin is applied
    int32_t skinIndex;    // selected skin; -1 none
    HRGN dialogRegion;    // window region of the dialog frame; owned by the dialog procedure
    int32_t dialogControlWord;
    COLORREF dialogColor;  // dialog background
    COLORREF secondDialogColor;
    uint32_t thirdDialogColor;
    char dialogTitle[1024];  // expanded before use; "!t" is the filter title
    uint32_t dialogThemed;   // 1 while visual styles are on for the dialog
    HKEY registryRoot;       // root of QueryRegistryString
    char registryPath[261];
    // Mirrored into gContext for each run; 4..7 ask for tile buffers 1..4, 9 is the tile
    // border with stored tile sizes (stored at index 8).
    uint32_t frameworkSettings[kFrameworkSettingCount];
    uint32_t tileHeight;  // final-run tiles with stored sizes; 0 = the whole filter rectangle
    uint32_t tileWidth;
    uint8_t savedContext[kSavedContextBytes];  // framework state of gContext between runs
    char savedEscapeStrings[kSavedEscapeStringCount][kEscapeStringBytes];
    char aboutEscapeText[kEscapeStringBytes];  // shown by the "!a" escape
    void* savedPointers[4];
    uint32_t savedWord;
    uint8_t savedByte;
    // Room kept so that the block has the size hosts have seen from earlier versions.
    uint8_t reserved[22776];
};
#if defined(_WIN64)
static_assert(sizeof(ParameterBlock) == 734976, "the 64-bit parameter block is 734,976 bytes");
#endif
static_assert(offsetof(ParameterBlock, controls) == 16, "16-byte header");

// The block of the call under way; null until CreateParameterBlock or AttachParameterBlock
// found or made it.
extern ParameterBlock* gParams;

// Creates the block when the host's parameters handle is empty (result -108 when memory
// runs out), else attaches the existing one. A handle that is not one of this plug-in's
// blocks is refused with result -30100.
void CreateParameterBlock();

// Points gParams at the block behind the host's parameters handle, if it is a valid one.
bool AttachParameterBlock();

// Gives every field its first value.
void InitParameterBlock(ParameterBlock& block);

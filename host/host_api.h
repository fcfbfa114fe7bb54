// The image-filter host interface as this project sees it: the filter record, the about
// record and the host's callback suites, with the layout a host expects on each architecture.
#pragma once

#include <cstddef>
#include <cstdint>

// Host callbacks and the entry point use the platform's default C calling convention.
#define HOSTAPI __cdecl

using OSErr = int16_t;
using OSType = uint32_t;
using Fixed = int32_t;  // 16.16 fixed point
using HostBoolean = uint8_t;
using HostHandle = void*;  // an opaque handle the host (or the plug-in's pseudo-handles) hands out

// Four-character codes are read as big-endian integers: 'abcd' == FourCC("abcd").
constexpr OSType FourCC(const char (&code)[5]) {
    return (OSType(uint8_t(code[0])) << 24) | (OSType(uint8_t(code[1])) << 16) |
           (OSType(uint8_t(code[2])) << 8) | OSType(uint8_t(code[3]));
}

enum HostResult : int16_t {
    HOST_NO_ERROR = 0,
    HOST_ERROR_REPORTED = 1,  // the plug-in told the user already; the host shows nothing more
    HOST_OUT_OF_MEMORY = -108,
    HOST_MISSING_HANDLE = -109,
    HOST_USER_CANCELLED = -128,
    HOST_BAD_PARAMETERS = -30100,
    HOST_BAD_MODE = -30101,
};

enum FilterSelector : int16_t {
    SELECTOR_ABOUT = 0,
    SELECTOR_PARAMETERS = 1,
    SELECTOR_PREPARE = 2,
    SELECTOR_START = 3,
    SELECTOR_CONTINUE = 4,
    SELECTOR_FINISH = 5,
};

enum HostImageMode : int16_t {
    IMAGE_MODE_RGB = 3,
    IMAGE_MODE_RGB48 = 11,
};

struct HostPoint {
    int16_t v, h;
};
struct HostRect {
    int16_t top, left, bottom, right;
};
struct HostRGBColor {
    uint16_t red, green, blue;
};

#pragma pack(push, 4)

struct HostMonitor {
    Fixed gamma, redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY, ambient;
};

struct HostPlatformData {
    intptr_t hwnd;  // the host's main window
};

// Buffer suite: memory the host lends for the run (counts against its own budget).
using AllocateBufferProc = OSErr(HOSTAPI*)(int32_t size, void** bufferID);
using LockBufferProc = void*(HOSTAPI*)(void* bufferID, HostBoolean moveHigh);
using UnlockBufferProc = void(HOSTAPI*)(void* bufferID);
using FreeBufferProc = void(HOSTAPI*)(void* bufferID);
using BufferSpaceProc = int32_t(HOSTAPI*)();

// Handle suite.
using NewHandleProc = HostHandle(HOSTAPI*)(int32_t size);
using DisposeHandleProc = void(HOSTAPI*)(HostHandle handle);
using GetHandleSizeProc = int32_t(HOSTAPI*)(HostHandle handle);
using SetHandleSizeProc = OSErr(HOSTAPI*)(HostHandle handle, int32_t newSize);
using LockHandleProc = void*(HOSTAPI*)(HostHandle handle, HostBoolean moveHigh);
using UnlockHandleProc = void(HOSTAPI*)(HostHandle handle);
using RecoverSpaceProc = void(HOSTAPI*)(int32_t size);
using DisposeRegularHandleProc = void(HOSTAPI*)(HostHandle handle);

// Property suite.
using GetPropertyProc = OSErr(HOSTAPI*)(OSType signature, OSType key, int32_t index,
                                        intptr_t* simpleProperty, HostHandle* complexProperty);
using SetPropertyProc = OSErr(HOSTAPI*)(OSType signature, OSType key, int32_t index,
                                        intptr_t simpleProperty, HostHandle complexProperty);

#pragma pack(pop)

// The suites are naturally aligned records, not packed.
struct BufferProcs {
    int16_t bufferProcsVersion;
    int16_t numBufferProcs;
    AllocateBufferProc allocateProc;
    LockBufferProc lockProc;
    UnlockBufferProc unlockProc;
    FreeBufferProc freeProc;
    BufferSpaceProc spaceProc;
};

struct HandleProcs {
    int16_t handleProcsVersion;
    int16_t numHandleProcs;
    NewHandleProc newProc;
    DisposeHandleProc disposeProc;
    GetHandleSizeProc getSizeProc;
    SetHandleSizeProc setSizeProc;
    LockHandleProc lockProc;
    UnlockHandleProc unlockProc;
    RecoverSpaceProc recoverSpaceProc;
    DisposeRegularHandleProc disposeRegularHandleProc;
};

struct PropertyProcs {
    int16_t propertyProcsVersion;
    int16_t numPropertyProcs;
    GetPropertyProc getPropertyProc;
    SetPropertyProc setPropertyProc;
};

// Colour services: one request record in, the converted colour out.
struct ColorServicesInfo {
    int32_t infoSize;
    int16_t selector;  // COLOR_SERVICES_*
    int16_t sourceSpace;
    int16_t resultSpace;
    HostBoolean resultGamutInfoValid;
    HostBoolean resultInGamut;
    void* reservedSourceSpaceInfo;
    void* reservedResultSpaceInfo;
    int16_t colorComponents[4];
    void* reserved;
    union {
        uint8_t* pickerPrompt;  // length-prefixed text
        HostPoint* globalSamplePoint;
        int32_t specialColorID;
    } selectorParameter;
};

enum ColorServicesSelector : int16_t {
    COLOR_SERVICES_CHOOSE_COLOR = 0,
    COLOR_SERVICES_CONVERT_COLOR = 1,
};
enum ColorSpace : int16_t {
    COLOR_SPACE_CHOSEN = -1,
    COLOR_SPACE_RGB = 0,
    COLOR_SPACE_HSB = 1,
    COLOR_SPACE_CMYK = 2,
    COLOR_SPACE_LAB = 3,
    COLOR_SPACE_GRAY = 4,
    COLOR_SPACE_HSL = 5,
    COLOR_SPACE_XYZ = 6,
};

// Scripting descriptors. Keys and types are four-character codes.
using DescriptorKeyID = OSType;
using DescriptorType = OSType;
using ReadDescriptorRef = void*;
using WriteDescriptorRef = void*;
using DescriptorKeyIDArray = DescriptorKeyID*;  // zero-terminated list of expected keys

using OpenReadDescriptorProc = ReadDescriptorRef(HOSTAPI*)(HostHandle descriptor,
                                                           DescriptorKeyIDArray keys);
using CloseReadDescriptorProc = OSErr(HOSTAPI*)(ReadDescriptorRef reader);
using GetKeyProc = HostBoolean(HOSTAPI*)(ReadDescriptorRef reader, DescriptorKeyID* key,
                                         DescriptorType* type, int32_t* flags);
using GetIntegerProc = OSErr(HOSTAPI*)(ReadDescriptorRef reader, int32_t* value);
using GetTextProc = OSErr(HOSTAPI*)(ReadDescriptorRef reader, HostHandle* text);
using UnusedReadProc = OSErr(HOSTAPI*)(ReadDescriptorRef reader, void* value);

using OpenWriteDescriptorProc = WriteDescriptorRef(HOSTAPI*)();
using CloseWriteDescriptorProc = OSErr(HOSTAPI*)(WriteDescriptorRef writer, HostHandle* descriptor);
using PutIntegerProc = OSErr(HOSTAPI*)(WriteDescriptorRef writer, DescriptorKeyID key,
                                       int32_t value);
using PutTextProc = OSErr(HOSTAPI*)(WriteDescriptorRef writer, DescriptorKeyID key,
                                    HostHandle text);
using UnusedWriteProc = OSErr(HOSTAPI*)(WriteDescriptorRef writer, DescriptorKeyID key,
                                        const void* value);

struct ReadDescriptorProcs {
    int16_t readDescriptorProcsVersion;
    int16_t numReadDescriptorProcs;
    OpenReadDescriptorProc openReadDescriptorProc;
    CloseReadDescriptorProc closeReadDescriptorProc;
    GetKeyProc getKeyProc;
    GetIntegerProc getIntegerProc;
    UnusedReadProc getFloatProc;
    UnusedReadProc getUnitFloatProc;
    UnusedReadProc getBooleanProc;
    GetTextProc getTextProc;
    UnusedReadProc getAliasProc;
    UnusedReadProc getEnumeratedProc;
    UnusedReadProc getClassProc;
    UnusedReadProc getSimpleReferenceProc;
    UnusedReadProc getObjectProc;
    UnusedReadProc getCountProc;
    UnusedReadProc getStringProc;
    UnusedReadProc getPinnedIntegerProc;
    UnusedReadProc getPinnedFloatProc;
    UnusedReadProc getPinnedUnitFloatProc;
};

struct WriteDescriptorProcs {
    int16_t writeDescriptorProcsVersion;
    int16_t numWriteDescriptorProcs;
    OpenWriteDescriptorProc openWriteDescriptorProc;
    CloseWriteDescriptorProc closeWriteDescriptorProc;
    PutIntegerProc putIntegerProc;
    UnusedWriteProc putFloatProc;
    UnusedWriteProc putUnitFloatProc;
    UnusedWriteProc putBooleanProc;
    PutTextProc putTextProc;
    UnusedWriteProc putAliasProc;
    UnusedWriteProc putEnumeratedProc;
    UnusedWriteProc putClassProc;
    UnusedWriteProc putSimpleReferenceProc;
    UnusedWriteProc putObjectProc;
    UnusedWriteProc putCountProc;
    UnusedWriteProc putStringProc;
    UnusedWriteProc putScopedClassProc;
    UnusedWriteProc putScopedObjectProc;
};

enum PlayInfo : int16_t {
    PLAY_DIALOG_OPTIONAL = 0,
    PLAY_DIALOG_REQUIRED = 1,
    PLAY_DIALOG_NONE = 2,
};
enum RecordInfo : int16_t {
    RECORD_DIALOG_OPTIONAL = 0,
    RECORD_DIALOG_REQUIRED = 1,
    RECORD_DIALOG_NONE = 2,
};

struct DescriptorParameters {
    int16_t descriptorParametersVersion;
    int16_t playInfo;
    int16_t recordInfo;
    HostHandle descriptor;
    WriteDescriptorProcs* writeDescriptorProcs;
    ReadDescriptorProcs* readDescriptorProcs;
};

// Descriptor value types.
constexpr DescriptorType DESC_TYPE_INTEGER = FourCC("long");
constexpr DescriptorType DESC_TYPE_TEXT = FourCC("TEXT");

struct FilterRecord;
using TestAbortProc = HostBoolean(HOSTAPI*)();
using ProgressProc = void(HOSTAPI*)(int32_t done, int32_t total);
using HostProc = void(HOSTAPI*)(int16_t selector, intptr_t* data);
using ProcessEventProc = void(HOSTAPI*)(void* event);
using AdvanceStateProc = OSErr(HOSTAPI*)();
using ColorServicesProc = OSErr(HOSTAPI*)(ColorServicesInfo* info);

struct PixelMemoryDesc {
    void* data;
    int32_t rowBits;
    int32_t colBits;
    int32_t bitOffset;
    int32_t depth;
};
struct HostVRect {
    int32_t top, left, bottom, right;
};
using DisplayPixelsProc = OSErr(HOSTAPI*)(const PixelMemoryDesc* source, const HostVRect* area,
                                          int32_t dstRow, int32_t dstCol, void* platformContext);

// The host's filter record ("gStuff"), packed to 4 bytes.
#pragma pack(push, 4)
struct FilterRecord {
    int32_t serialNumber;
    TestAbortProc abortProc;
    ProgressProc progressProc;
    HostHandle parameters;
    HostPoint imageSize;
    int16_t planes;
    HostRect filterRect;
    HostRGBColor background;
    HostRGBColor foreground;
    int32_t maxSpace;
    int32_t bufferSpace;
    HostRect inRect;
    int16_t inLoPlane;
    int16_t inHiPlane;
    HostRect outRect;
    int16_t outLoPlane;
    int16_t outHiPlane;
    void* inData;
    int32_t inRowBytes;
    void* outData;
    int32_t outRowBytes;
    HostBoolean isFloating;
    HostBoolean haveMask;
    HostBoolean autoMask;
    HostRect maskRect;
    void* maskData;
    int32_t maskRowBytes;
    uint8_t backColor[4];
    uint8_t foreColor[4];
    OSType hostSig;
    HostProc hostProc;
    int16_t imageMode;
    Fixed imageHRes;
    Fixed imageVRes;
    HostPoint floatCoord;
    HostPoint wholeSize;
    HostMonitor monitor;
    HostPlatformData* platformData;
    BufferProcs* bufferProcs;
    void* resourceProcs;
    ProcessEventProc processEvent;
    DisplayPixelsProc displayPixels;
    HandleProcs* handleProcs;
    HostBoolean supportsDummyChannels;
    HostBoolean supportsAlternateLayouts;
    int16_t wantLayout;
    int16_t filterCase;
    int16_t dummyPlaneValue;
    void* premiereHook;
    AdvanceStateProc advanceState;
    HostBoolean supportsAbsolute;
    HostBoolean wantsAbsolute;
    GetPropertyProc getPropertyObsolete;
    HostBoolean cannotUndo;
    HostBoolean supportsPadding;
    int16_t inputPadding;
    int16_t outputPadding;
    int16_t maskPadding;
    char samplingSupport;
    char reservedByte;
    Fixed inputRate;
    Fixed maskRate;
    ColorServicesProc colorServices;
    int16_t inLayerPlanes;
    int16_t inTransparencyMask;
    int16_t inLayerMasks;
    int16_t inInvertedLayerMasks;
    int16_t inNonLayerPlanes;
    int16_t outLayerPlanes;
    int16_t outTransparencyMask;
    int16_t outLayerMasks;
    int16_t outInvertedLayerMasks;
    int16_t outNonLayerPlanes;
    int16_t absLayerPlanes;
    int16_t absTransparencyMask;
    int16_t absLayerMasks;
    int16_t absInvertedLayerMasks;
    int16_t absNonLayerPlanes;
    int16_t inPreDummyPlanes;
    int16_t inPostDummyPlanes;
    int16_t outPreDummyPlanes;
    int16_t outPostDummyPlanes;
    int32_t inColumnBytes;
    int32_t inPlaneBytes;
    int32_t outColumnBytes;
    int32_t outPlaneBytes;
    void* imageServicesProcs;
    PropertyProcs* propertyProcs;
    int16_t inTileHeight;
    int16_t inTileWidth;
    HostPoint inTileOrigin;
    int16_t absTileHeight;
    int16_t absTileWidth;
    HostPoint absTileOrigin;
    int16_t outTileHeight;
    int16_t outTileWidth;
    HostPoint outTileOrigin;
    int16_t maskTileHeight;
    int16_t maskTileWidth;
    HostPoint maskTileOrigin;
    DescriptorParameters* descriptorParameters;
    uint8_t* errorString;  // length-prefixed text the host shows for a result of errReportString
    void* channelPortProcs;
    void* documentInfo;
    void* sSPBasic;
    void* plugInRef;
    int32_t depth;
    HostHandle iCCprofileData;
    int32_t iCCprofileSize;
    int32_t canUseICCProfiles;
    int32_t hasImageScrap;
    void* bigDocumentData;
    void* input3DScene;
    void* output3DScene;
    HostBoolean createNewLayer;
    char reserved[sizeof(void*) == 8 ? 27 : 39];
};
#pragma pack(pop)

// Passed with the about selector in place of a filter record.
struct AboutRecord {
    HostPlatformData* platformData;
    void* sSPBasic;
    void* plugInRef;
    char reserved[244];
};

#if defined(_WIN64)
static_assert(sizeof(FilterRecord) == 556, "filter record size");
static_assert(offsetof(FilterRecord, parameters) == 20);
static_assert(offsetof(FilterRecord, filterRect) == 34);
static_assert(offsetof(FilterRecord, inRect) == 64);
static_assert(offsetof(FilterRecord, inData) == 88);
static_assert(offsetof(FilterRecord, inRowBytes) == 96);
static_assert(offsetof(FilterRecord, haveMask) == 113);
static_assert(offsetof(FilterRecord, imageMode) == 156);
static_assert(offsetof(FilterRecord, advanceState) == 280);
static_assert(offsetof(FilterRecord, inputRate) == 312);
static_assert(offsetof(FilterRecord, descriptorParameters) == 432);
static_assert(offsetof(FilterRecord, depth) == 480);
static_assert(offsetof(BufferProcs, allocateProc) == 8);
static_assert(sizeof(BufferProcs) == 48);
static_assert(sizeof(HandleProcs) == 72);
static_assert(sizeof(AboutRecord) == 272);
#else
static_assert(sizeof(FilterRecord) == 452, "filter record size");
static_assert(offsetof(FilterRecord, parameters) == 12);
static_assert(offsetof(FilterRecord, filterRect) == 22);
static_assert(offsetof(FilterRecord, inRect) == 52);
static_assert(offsetof(FilterRecord, inData) == 76);
static_assert(offsetof(FilterRecord, inRowBytes) == 80);
static_assert(offsetof(FilterRecord, haveMask) == 93);
static_assert(offsetof(FilterRecord, imageMode) == 128);
static_assert(offsetof(FilterRecord, advanceState) == 224);
static_assert(offsetof(FilterRecord, inputRate) == 248);
static_assert(offsetof(FilterRecord, descriptorParameters) == 356);
static_assert(offsetof(FilterRecord, depth) == 380);
static_assert(offsetof(BufferProcs, allocateProc) == 4);
static_assert(sizeof(BufferProcs) == 24);
static_assert(sizeof(HandleProcs) == 36);
static_assert(sizeof(AboutRecord) == 256);
#endif

// The plug-in's one export.
using PluginEntryProc = void(HOSTAPI*)(int16_t selector, void* stuff, intptr_t* data,
                                       int16_t* result);

// The run-time record gContext that describes the run to the effect code, the effect's six
// hooks and their guarded dispatch.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "dialog/control_record.h"
#include "host/parameter_block.h"

// --- Pixel routines of one bit depth -------------------------------------------------------
// Coordinates are image coordinates of the filter rectangle at the current proxy scale.
using GetPixelProc = int32_t (*)(int32_t x, int32_t y, int32_t channel);
using PutPixelProc = int32_t (*)(int32_t x, int32_t y, int32_t channel, int32_t value);
using GetPolarPixelProc = int32_t (*)(int32_t angle, int32_t radius, int32_t channel);

// Chosen by InitRunTables from the image mode: the 8-bit set for modes 0..9, the 16-bit set
// for modes 10..15.
struct AccessorTable {
    GetPixelProc getSourcePixel;
    GetPixelProc getOutputPixel;
    GetPixelProc getTilePixel[4];  // tile buffers 1..4
    PutPixelProc putOutputPixel;
    PutPixelProc putTilePixel[4];
    GetPolarPixelProc getOutputPixelPolar;
};
static_assert(sizeof(AccessorTable) == 12 * sizeof(void*), "twelve pixel routines");

// The control event being handled. Filled by DispatchControlEvent (the dialog's delivery)
// and FireControlEvent, both in hook_dispatch.cpp; read by the effect's control-event handler.
struct ControlEventContext {
    int32_t control;       // control number
    int32_t event;         // ControlEvent code
    int32_t argument;      // previous value, or the event's argument
    int32_t message;       // window message that raised the event
    int32_t extra;         // further argument of the message
    int32_t controlClass;  // ControlClass of the control; 0 for EVENT_USER
};

constexpr int kEscapeSlotCount = 12;
constexpr int kEscapeSlotTitle = 2;       // the filter title ("!T")
constexpr int kEscapeSlotImageMode = 10;  // the image mode's name ("!M")
constexpr int kSineTableSize = 1024;      // one turn in angle units
constexpr int kTangentTableSize = 512;
constexpr int kScratchBytes = 4096;
constexpr int32_t kAngleUnitsPerTurn = 1024;

// The one run-time record. Rebuilt by InitRunTables at every start; the geometry of the
// current rectangle is written by the run driver for every tile and preview request. Hooks
// run on the host's thread; worker threads only read it during HOOK_RENDER.
//
// Writers, all on the host's thread. Every field not named below is written by
// host/effect_context.cpp (InitRunTables, the tables and constants) and host/run_driver.cpp
// (the filter record's copy at the start, the current rectangle for every request):
//   controlEvent          host/hook_dispatch.cpp (DispatchControlEvent, FireControlEvent)
//   controlValues         host/effect_context.cpp (StoreControlValue, LoadControlValues); the
//                         effect's hooks also change their own working values in place, as the
//                         record is handed to them for that
//   tileBuffers, tileBufferIds   host/tile_buffers.cpp
//   pluginFolder          host/plugin_folder.cpp (GetPluginFolder)
//   dialogWindow          dialog/filter_dialog.cpp, while the dialog is up
//   dialogUp, proxyScale  host/run_driver.cpp at the start; host/preview_request.cpp when a
//                         preview request sets up the proxy (the request is the run's state)
//   zoomReduction         host/run_driver.cpp for every rectangle; dialog/preview_window.cpp
//                         when the preview's scale changes, before its next rectangle
struct EffectContext {
    int64_t headerMark;        // 0x7FF7FFFFFFFFFFFF
    int32_t headerWord;        // 0
    int32_t headerVersion;     // 1
    int32_t recordSize;        // sizeof(EffectContext)
    int32_t colorDefaults[8];  // 255 each; set at run start and for every rectangle
    int32_t rectX, rectY;      // copies of the current rectangle's left and top
    int32_t X, Y, Z;       // width and height of the filter rectangle at the proxy scale; planes
    int32_t angleUnit;     // 1024
    int32_t halfDiagonal;  // sqrt(X*X + Y*Y) / 2, truncated
    int32_t colorDefaults2[16];     // eight 255, eight 0; set like colorDefaults
    int32_t width, height, planes;  // second copy of X, Y, Z
    int32_t clearedWords[3];
    int32_t angleUnit2;     // 1024
    int32_t halfDiagonal2;  // second copy
    int32_t clearedWords2[2];
    int32_t planes2;  // third copy of Z
    int32_t clearedWord;
    int32_t counters[4];               // 0, 0, 1, 1
    ControlEventContext controlEvent;  // the event under way (gControlEventContext)
    int32_t eventWords[2];             // 0 and 1
    int32_t zoomReduction;             // proxy scale of the current rectangle (integer inputRate)
    int32_t zoomMagnification;         // preview enlargement; 1 at run start
    int32_t runFlag;                   // 1 at run start
    // The current rectangle, written by the copy loop and read by the effect.
    int32_t rowCounter, rows, columnCounter, columns;
    int32_t inputPlanes;  // inHiPlane - inLoPlane + 1
    int32_t inRowBytes, outRowBytes, maskRowBytes;
    int32_t inStep, outStep, maskStep;  // samples from one pixel to the next
    int32_t maskFromTransparency;       // 1: no selection mask, the fourth plane serves as mask
    int32_t frameworkSettings[8];       // settings 1..8 of gParams; 4..7 ask for tile buffers 1..4
    int32_t storedTileSizeOn;           // flag PFLAG_STORED_TILE_SIZE of gParams
    int32_t tileBorder;                 // framework setting 9: tile border with stored tile sizes
    int32_t tileHeight, tileWidth;      // stored tile size of gParams
    int32_t dialogUp;                   // 1 while the dialog's previews run
    int32_t scriptedValueCount;         // values read from the host's script
    // Current rectangle in image coordinates at the proxy scale; right and bottom exclusive.
    int32_t currentLeft, currentRight, currentTop, currentBottom;
    void* tileBuffers[4];                      // tile buffers 1..4 during HOOK_RENDER, else null
    void* tileBufferIds[4];                    // host buffer ids; null for heap buffers
    uint8_t savedStretch[kSavedContextBytes];  // kept in gParams between runs
    HWND dialogWindow;                         // copy of gDialog; dialog/filter_dialog.cpp
    // First pixel of the current rectangle in the host's buffers (input without border).
    uint8_t* inData;
    uint8_t* outData;
    uint8_t* maskData;
    uint8_t* adjustedInData;    // input: first pixel of the rectangle inside the border
    uint8_t* adjustedMaskData;  // mask: likewise
    int32_t dialogWanted;       // the dialog is shown at this start
    int32_t imageWidth, imageHeight;
    int32_t filterLeft, filterTop, filterRight, filterBottom, filterWidth, filterHeight;
    int32_t imagePlanes;
    int32_t colorChannels;  // 4 (CMYK), 1 (grey-like modes) or 3
    int32_t maxSpace, bufferSpace;
    int32_t isFloating, haveMask, autoMask;
    uint32_t backColor, foreColor;    // the host's filter colours, first byte lowest
    uint32_t background, foreground;  // RGB, red lowest
    uint32_t hostSignature;
    void* platformData;
    double horizontalResolution, verticalResolution;  // pixels per inch
    int32_t imageMode;
    int32_t wholeWidth, wholeHeight;
    int32_t filterCase;
    int32_t samplingSupport;
    int32_t proxyScale;  // 0 at run start; the last scale of a preview request
    char escapeStrings[kEscapeSlotCount][kEscapeStringBytes];  // "!A" "!C" "!T" ... "!H"
    char pluginFolder[kEscapeStringBytes];  // with trailing backslash; GetPluginFolder
    void* savedPointers[4];                 // restored from gParams at every start
    uint32_t savedWord;
    uint8_t savedByte;
    double roundingConstant;  // 0.49999999999999
    double radianFactor;      // angle units per radian
    float one;
    int32_t roundingControlWords[4];  // x87: down, up, nearest, toward zero
    AccessorTable accessors;
    uint8_t scratch[kScratchBytes];           // cleared at every run start
    int32_t controlValues[kControlCount];     // working values; the render engine reads these
    int32_t sineTable[kSineTableSize];        // sin(2 pi i / 1024) * 512
    int32_t tangentTable[kTangentTableSize];  // tan(2 pi i / 1024) * 1024
    int32_t reserved[36];                     // room the effect's earlier builds kept; zero
};
#if defined(_WIN64)
static_assert(sizeof(EffectContext) == 26712, "the 64-bit run-time record is 26,712 bytes");
static_assert(offsetof(EffectContext, savedStretch) == 440);
static_assert(offsetof(EffectContext, controlValues) == 18824);
#endif
static_assert(sizeof(EffectContext::savedStretch) == sizeof(ParameterBlock::savedContext),
              "the saved stretch is what the parameter block keeps");

extern EffectContext gContext;
// The event fields of gContext under their shared name.
extern ControlEventContext& gControlEventContext;

// --- Effect hooks ---------------------------------------------------------------------------
enum EffectHook : int32_t {
    HOOK_BUILD_DIALOG = 0,
    HOOK_CONTROL_EVENT = 1,
    HOOK_SESSION_START = 2,
    HOOK_RUN_START = 3,
    HOOK_RENDER = 4,
    HOOK_AFTER_RUN = 5,
};

// The effect library defines these six procedures; the framework reaches them only through
// DispatchEffectHook (and FireControlEvent for OnControlEvent). The shipped plug-in links
// greyloom_effect (effect/, render/); a test plug-in links its own test effect instead. Each
// returns the hook's result: 0 is success for every hook except OnControlEvent, whose
// non-zero result means "handled".
int32_t OnBuildDialog(EffectContext* context);
int32_t OnControlEvent(EffectContext* context, int32_t control, int32_t event,
                       int32_t previousValue);
int32_t OnSessionStart(EffectContext* context);
int32_t OnRunStart(EffectContext* context);
int32_t OnRender(EffectContext* context);
int32_t OnAfterRun(EffectContext* context);

// Calls the hook under the hook guard. A processor fault that has a message is shown
// ("Error Message" box), stores -128 in the host result when the dialog is not up, and makes
// the call return -128; other faults (breakpoints among them) go on to ENTRYPOINT's guard.
// A hook number outside 0..5 returns 1 and calls nothing.
int32_t DispatchEffectHook(int32_t hook, EffectContext* context);
// Render hooks under way, the thumbnails' (called without the run driver) among them. A render
// lets the dialog's sent messages through in its abort check: the preview asks the host for
// no new buffers while one runs.
int32_t RenderHookDepth();

// The dialog's way to deliver a control event: fills the event fields and dispatches
// HOOK_CONTROL_EVENT; returns the hook's result.
int32_t DispatchControlEvent(const ControlEventContext& event);
// The effect's own way to raise a control event: saves the event fields, fills them (class
// of the control, or 0 for EVENT_USER), calls the effect's control-event handler, restores
// the fields and returns the handler's result. A control outside 0..399 is refused (0)
// unless the event is EVENT_USER.
int32_t FireControlEvent(int32_t control, int32_t event, int32_t argument);

// --- Run set-up -------------------------------------------------------------------------------
// Header, tables, constants, the accessor table for the image mode of gStuff (the 8-bit set
// when no filter record is there), cleared text slots, saved stretch and event fields, then
// the control values (as LoadControlValues, without the hook).
void InitRunTables();
// Seeds the host thread's random source with 1, clears the scratch area, copies every
// control record's value into controlValues, then fires HOOK_RUN_START.
void LoadControlValues();
// controlValues[n] for 0 <= n <= 399, else 0.
int32_t GetControlValue(int32_t n);
// Stores a value in control n's record and in controlValues (n in 0..399).
void StoreControlValue(int32_t n, int32_t value);
// Chooses the pixel routines of an image mode.
const AccessorTable& AccessorTableForMode(int32_t imageMode);
// True for the 16-bit image modes (10..15).
bool IsSixteenBitMode(int32_t imageMode);
// Sets the colour defaults of the context (done at run start and for every rectangle).
void ResetContextColorDefaults();
// Zeroes the whole record (tests start from a known state).
void EffectContextReset();

// The run driver: the host's selectors 1 to 5, the tile loop of the final run, the row-by-row
// path for hosts without advanceState, and the processing of one delivered rectangle.

#include "host/run_driver.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "host/dialog_hooks.h"
#include "host/filter_trace.h"
#include "host/message_boxes.h"
#include "host/plugin_folder.h"
#include "host/effect_context.h"
#include "host/host_services.h"
#include "host/numbered_arrays.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "host/rect16.h"
#include "host/scripting_descriptor.h"
#include "host/start_timing.h"
#include "host/text_format.h"
#include "host/tile_buffers.h"
#include "host/worker_threads.h"

RunState gRun;

namespace {
constexpr int32_t kUnclippedBorder = 20000;
constexpr int32_t kMaxPlanes = 64;

const char* const kImageModeNames[] = {
    "Bitmap",           "Grayscale",         "Indexed Color",     "RGB Color",
    "CMYK Color",       "HSL Color",         "HSB Color",         "Multichannel",
    "Duotone",          "Lab Color",         "16-bit Grayscale",  "48-bit RGB Color",
    "48-bit Lab Color", "64-bit CMYK Color", "Deep Multichannel", "16-bit Duotone",
};

unsigned TraceAddress(const void* pointer) {
    return unsigned(uintptr_t(pointer));
}

void EmptyRequestRects() {
    const HostRect empty = {0, 0, 0, 0};
    gStuff->inRect = gStuff->outRect = gStuff->maskRect = empty;
}

// The filter colours arrive as four bytes; only the bytes the image mode uses count.
uint32_t PackFilterColor(const uint8_t bytes[4], int16_t mode) {
    const uint32_t word = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                          uint32_t(bytes[3]) << 24;
    switch (mode) {
        case 0:
        case 1:
        case 2:
        case 10:
            return word & 0xFF;
        case 3:
        case 5:
        case 6:
        case 7:
        case 8:
        case 9:
        case 11:
        case 12:
        case 14:
        case 15:
            return word & 0xFFFFFF;
    }
    return word;
}

uint32_t PackRgbColor(const HostRGBColor& color) {
    return uint32_t(color.red >> 8) | uint32_t(color.green >> 8) << 8 |
           uint32_t(color.blue >> 8) << 16;
}

int32_t ColorChannelsOf(int16_t mode) {
    switch (mode) {
        case 4:
        case 13:
            return 4;
        case 0:
        case 1:
        case 2:
        case 8:
        case 10:
        case 15:
            return 1;
    }
    return 3;
}

// The image modes the property list offers the filter in. Every other mode is refused before
// anything is allocated: its samples would be sized by one rule and written by another.
bool ImageModeDeclared(int16_t mode) {
    return mode == IMAGE_MODE_RGB || mode == IMAGE_MODE_RGB48;
}

// A host that sends an undeclared mode anyway gets the interface's bad-mode answer.
bool RefuseUndeclaredMode() {
    if (!gStuff || ImageModeDeclared(gStuff->imageMode)) return false;
    SetResult(HOST_BAD_MODE);
    return true;
}

// A filter record whose planes or filter rectangle make no sense is refused before any
// buffer is asked for.
bool FilterRecordSound(const FilterRecord& r) {
    if (r.planes < 1 || r.planes > kMaxPlanes) return false;
    const HostRect& f = r.filterRect;
    if (f.left < 0 || f.top < 0 || f.right < f.left || f.bottom < f.top) return false;
    return f.right <= r.imageSize.h && f.bottom <= r.imageSize.v;
}

void CopyFilterRecordIntoContext() {
    const FilterRecord& r = *gStuff;
    EffectContext& c = gContext;
    c.storedTileSizeOn = (gParams->flags & PFLAG_STORED_TILE_SIZE) ? 1 : 0;
    c.dialogWanted = gParams->queryForParameters;
    c.scriptedValueCount = 0;
    c.imageWidth = r.imageSize.h;
    c.imageHeight = r.imageSize.v;
    c.filterLeft = r.filterRect.left;
    c.filterTop = r.filterRect.top;
    c.filterRight = r.filterRect.right;
    c.filterBottom = r.filterRect.bottom;
    c.filterWidth = RectWidth(r.filterRect);
    c.filterHeight = RectHeight(r.filterRect);
    c.imagePlanes = r.planes;
    c.X = c.width = c.filterWidth;
    c.Y = c.height = c.filterHeight;
    c.Z = c.planes = c.planes2 = r.planes;
    c.colorChannels = ColorChannelsOf(r.imageMode);
    c.maxSpace = r.maxSpace;
    c.bufferSpace = r.bufferSpace;
    c.isFloating = r.isFloating;
    c.haveMask = r.haveMask;
    c.autoMask = r.autoMask;
    c.backColor = PackFilterColor(r.backColor, r.imageMode);
    c.foreColor = PackFilterColor(r.foreColor, r.imageMode);
    c.background = PackRgbColor(r.background);
    c.foreground = PackRgbColor(r.foreground);
    c.hostSignature = r.hostSig;
    c.platformData = r.platformData;
    c.horizontalResolution = r.imageHRes / 65536.0;
    c.verticalResolution = r.imageVRes / 65536.0;
    c.imageMode = r.imageMode;
    c.wholeWidth = r.wholeSize.h;
    c.wholeHeight = r.wholeSize.v;
    c.filterCase = r.filterCase;
    c.samplingSupport = r.samplingSupport;
    c.proxyScale = 0;
    c.zoomMagnification = 1;
    c.runFlag = 1;
}

void RestoreSavedContext() {
    const ParameterBlock& p = *gParams;
    EffectContext& c = gContext;
    for (int i = 0; i < 8; ++i) c.frameworkSettings[i] = int32_t(p.frameworkSettings[i]);
    c.tileBorder = int32_t(p.frameworkSettings[8]);
    c.tileHeight = int32_t(p.tileHeight);
    c.tileWidth = int32_t(p.tileWidth);
    memcpy(c.savedStretch, p.savedContext, sizeof c.savedStretch);
    for (int i = 0; i < kSavedEscapeStringCount; ++i)
        CopyText(c.escapeStrings[i], sizeof c.escapeStrings[i], p.savedEscapeStrings[i]);
    memcpy(c.savedPointers, p.savedPointers, sizeof c.savedPointers);
    c.savedWord = p.savedWord;
    c.savedByte = p.savedByte;
}

void SaveContextStretch() {
    if (gParams) memcpy(gParams->savedContext, gContext.savedStretch, sizeof gContext.savedStretch);
}

void WriteImageModeName(int16_t mode) {
    const bool known = mode >= 0 && mode < int(std::size(kImageModeNames));
    CopyText(gContext.escapeStrings[kEscapeSlotImageMode], kEscapeStringBytes,
             known ? kImageModeNames[mode] : "Unknown Image Mode");
}

void ApplyScriptedValues() {
    for (int n = 0; n < kSettingsControlCount; ++n)
        if (gScripting.scriptedFlags[n]) StoreControlValue(n, gScripting.scriptedValues[n]);
}

// Tile size of the final run: the stored size when asked for and not 0, else the whole
// filter rectangle; at least one pixel so that the loop always advances.
int32_t TileExtent(int32_t stored, int32_t whole) {
    const int32_t extent = gContext.storedTileSizeOn && stored != 0 ? stored : whole;
    return std::clamp(extent, 1, int32_t(INT16_MAX));
}

// Copies one row's pixels: all planes of the filter record from each source pixel.
void CopyRowPixels(const uint8_t* source, uint8_t* output, int32_t columns, int32_t sampleBytes) {
    const FilterRecord& r = *gStuff;
    const size_t pixelBytes = size_t(r.planes) * sampleBytes;
    const size_t sourceStep = size_t(gContext.inStep) * sampleBytes;
    const size_t outputStep = size_t(gContext.outStep) * sampleBytes;
    if (sourceStep == pixelBytes && outputStep == pixelBytes) {
        memcpy(output, source, pixelBytes * columns);
        return;
    }
    for (int32_t column = 0; column < columns; ++column) {
        memcpy(output, source, pixelBytes);
        source += sourceStep;
        output += outputStep;
    }
}
}  // namespace

void RunStateReset() {
    gRun = RunState{};
}

void TraceRequestRects(const char* heading) {
    const FilterRecord& r = *gStuff;
    FilterTrace(
        "%s\n inRect = %d, %d, %d, %d\n outRect = %d, %d, %d, %d\n"
        " maskRect = %d, %d, %d, %d",
        heading, r.inRect.left, r.inRect.top, r.inRect.right, r.inRect.bottom, r.outRect.left,
        r.outRect.top, r.outRect.right, r.outRect.bottom, r.maskRect.left, r.maskRect.top,
        r.maskRect.right, r.maskRect.bottom);
}

void TraceAdvanceStateResult(int result) {
    const FilterRecord& r = *gStuff;
    FilterTrace("AdvanceState returned %d\n inData = %#x outData = %#x maskData = %#x", result,
                TraceAddress(r.inData), TraceAddress(r.outData), TraceAddress(r.maskData));
}

int16_t RequestPadding() {
    return gParams && (gParams->flags & PFLAG_FULL_BORDER) ? 0 : -2;
}

int32_t SampleBytes() {
    return gStuff && IsSixteenBitMode(gStuff->imageMode) ? 2 : 1;
}

HostRect ScaledFilterRect() {
    HostRect scaled = gStuff->filterRect;
    ScaleRect16(scaled, 1, std::max(1, gStuff->inputRate >> 16));
    return scaled;
}

bool CheckHostProcs(DisplayPixelsProc displayPixels) {
    if (displayPixels) return true;
    ShowStringTableError(16999);
    return false;
}

bool CheckAdvanceState(AdvanceStateProc advanceState) {
    if (advanceState) return true;
    ShowStringTableError(16996);
    return false;
}

// --- Selectors -------------------------------------------------------------------------------

void HandleParametersSelector() {
    if (RefuseUndeclaredMode()) return;
    CreateParameterBlock();
    if (GetResult() == 0) gParams->queryForParameters = 1;
}

void DoPrepare() {
    if (RefuseUndeclaredMode()) return;
    CreateParameterBlock();
    if (GetResult() != 0) return;
    FilterTrace("DoPrepare:\n gStuff->bufferSpace = %d\n (before setting it to 0)",
                gStuff->bufferSpace);
    gStuff->bufferSpace = 0;
}

void DoStart() {
    if (RefuseUndeclaredMode()) return;
    CreateParameterBlock();
    if (GetResult() != 0) return;
    FilterTrace("DoStart:\n gParams->queryForParameters = %#x", gParams->queryForParameters);
    if (!FilterRecordSound(*gStuff)) {
        SetResult(HOST_BAD_PARAMETERS);
        return;
    }
    StartTimingSection wholeStart("run", "start selector");
    // A fault that ended an earlier call skipped its clean-up.
    RunStateReset();
    ResetTileBuffers();
    InitRunTables();
    CopyFilterRecordIntoContext();
    RestoreSavedContext();
    GetPluginFolder();
    SetResult(HOST_NO_ERROR);
    WriteImageModeName(gStuff->imageMode);

    {
        // The last run's blocks may still be on their way back.
        StartTimingSection timing("run", "array releases");
        ResetArrayTables();
    }
    gDialogHooks.startRun();
    ScriptingReset();
    uint8_t dialogWanted = 0;
    ReadScriptingParameters(&dialogWanted);
    gContext.dialogWanted = dialogWanted;
    gContext.scriptedValueCount = gScripting.valueCount;

    if (dialogWanted) {
        CheckHostProcs(gStuff->displayPixels);
        const int result = gDialogHooks.runDialog(0, ProcessFilterRect);
        if (result != 0) {
            SetResult(int16_t(result));
            ReleaseRunResources();
            return;
        }
        gParams->queryForParameters = 0;
    } else if (gScripting.valueCount > 0) {
        ApplyScriptedValues();
    }

    gContext.dialogUp = 0;
    {
        StartTimingSection timing("run", "run start hook");
        LoadControlValues();
    }
    if (!CheckAdvanceState(gStuff->advanceState)) {
        gRun.advanceStateMissing = true;
        DoInitialRect();
    } else {
        StartWithAdvanceState();
    }
    {
        StartTimingSection timing("run", "after-run hook");
        DispatchEffectHook(HOOK_AFTER_RUN, &gContext);
    }
    SaveContextStretch();
}

void DoContinue() {
    if (RefuseUndeclaredMode()) return;
    AttachParameterBlock();
    FilterTrace("DoContinue:\n Didn't expect to come here!");
    if (gStuff->abortProc && gStuff->abortProc()) {
        SetResult(HOST_ERROR_REPORTED);
        return;
    }
    // Only a run that started row by row has rows to do; its start has told the user once
    // that advanceState is missing.
    if (!gRun.advanceStateMissing || gStuff->advanceState || !gParams) {
        EmptyRequestRects();
        return;
    }
    DoFilterRectNoAdvanceState();
    if (GetResult() == 0 && DoNextRect()) return;
    EmptyRequestRects();
    gRun.advanceStateMissing = false;
}

void DoFinish() {
    AttachParameterBlock();
    FilterTrace("DoFinish:\n Nothing much to do!");
    {
        StartTimingSection timing("run", "finish");
        WriteScriptingParameters();
        ReleaseRunResources();
    }
    StartTimingMark("finished");
    StartTimingWrite();
}

void ReleaseRunResources() {
    // The pool's threads stay, asleep, for the next run, or leave after an idle time if none
    // comes; their blocks go with this one.
    WorkerPoolHold(0);
    WorkerPoolKeep(false);
    WorkerPoolReleaseScratch();
    // The render's blocks handed to their own thread go on being freed after the run: the
    // next run's start waits for them (ResetArrayTables), not the host.
    FreeTileBuffers();
    ReleaseAllArrays();
    gDialogHooks.releaseRun();
}

// --- The tile loop -----------------------------------------------------------------------------

void StartWithAdvanceState() {
    FilterRecord& r = *gStuff;
    const HostRect filter = r.filterRect;
    const int32_t tileHeight = TileExtent(gContext.tileHeight, RectHeight(filter));
    const int32_t tileWidth = TileExtent(gContext.tileWidth, RectWidth(filter));
    r.inRect.left = r.outRect.left = filter.left;
    r.inRect.right = r.outRect.right = filter.right;
    r.maskRect = HostRect{0, 0, 0, 0};
    r.inLoPlane = r.outLoPlane = 0;
    r.inHiPlane = r.outHiPlane = int16_t(r.planes - 1);
    r.inputRate = r.maskRate = IntToFixed(1);
    r.inputPadding = r.outputPadding = r.maskPadding = RequestPadding();

    bool stopped = false;
    for (int32_t top = filter.top; top < filter.bottom && !stopped; top += tileHeight) {
        for (int32_t left = filter.left; left < filter.right; left += tileWidth) {
            if (GetResult() != 0 || CheckUserAbort() != 0) {
                stopped = true;
                break;
            }
            SetRect16(r.inRect, left, top, std::min<int32_t>(left + tileWidth, filter.right),
                      std::min<int32_t>(top + tileHeight, filter.bottom));
            r.outRect = r.inRect;
            r.maskRect = r.haveMask ? r.inRect : HostRect{0, 0, 0, 0};
            SetupTileRects();
            TraceRequestRects("Calling AdvanceState from StartWithAdvanceState...");
            StartTimingMark("advanceState asked");
            {
                StartTimingSection timing("run", "advanceState");
                SetResult(r.advanceState());
            }
            TraceAdvanceStateResult(GetResult());
            AdjustTileDataPointers();
            if (GetResult() == 0) ProcessFilterRect();
            if (GetResult() != 0) {
                stopped = true;
                break;
            }
        }
    }

    EmptyRequestRects();
    StartTimingMark("tiles done");
    WorkerPoolHold(0);
    {
        StartTimingSection timing("run", "work array release");
        ReleaseRenderWorkArraysInBackground();
    }
    if (gParams && (gParams->flags & PFLAG_FINAL_FLUSH) && GetResult() == 0) {
        TraceRequestRects("Flushing AdvanceState...");
        StartTimingSection timing("run", "final flush");
        SetResult(r.advanceState());
        TraceAdvanceStateResult(GetResult());
    }
}

void SetupTileRects() {
    FilterRecord& r = *gStuff;
    const int32_t size =
        std::max(gContext.storedTileSizeOn ? gContext.tileBorder : kUnclippedBorder, 0);
    gRun.borderOnMask = r.maskRect.right > r.maskRect.left;
    HostRect& target = gRun.borderOnMask ? r.maskRect : r.inRect;
    int32_t top = size, bottom = size, left = size, right = size;
    if (!gParams || !(gParams->flags & PFLAG_FULL_BORDER)) {
        const HostRect scaled = ScaledFilterRect();
        top = std::clamp(int32_t(target.top) - scaled.top, 0, size);
        bottom = std::clamp(int32_t(scaled.bottom) - target.bottom, 0, size);
        left = std::clamp(int32_t(target.left) - scaled.left, 0, size);
        right = std::clamp(int32_t(scaled.right) - target.right, 0, size);
    }
    const HostRect before = target;
    SetRect16(target, target.left - left, target.top - top, target.right + right,
              target.bottom + bottom);
    // What the int16 range let through is what has to come off again.
    gRun.borderTop = before.top - target.top;
    gRun.borderBottom = target.bottom - before.bottom;
    gRun.borderLeft = before.left - target.left;
    gRun.borderRight = target.right - before.right;
    if (gRun.borderOnMask)
        SetRect16(r.inRect, r.inRect.left - gRun.borderLeft, r.inRect.top - gRun.borderTop,
                  r.inRect.right + gRun.borderRight, r.inRect.bottom + gRun.borderBottom);
}

void AdjustTileDataPointers() {
    FilterRecord& r = *gStuff;
    const HostRect delivered = r.inRect;
    auto shrink = [](HostRect& rect) {
        SetRect16(rect, rect.left + gRun.borderLeft, rect.top + gRun.borderTop,
                  rect.right - gRun.borderRight, rect.bottom - gRun.borderBottom);
    };
    shrink(gRun.borderOnMask ? r.maskRect : r.inRect);
    if (gRun.borderOnMask) shrink(r.inRect);

    const int32_t inputPlanes = r.inHiPlane - r.inLoPlane + 1;
    r.inColumnBytes = inputPlanes * SampleBytes();
    auto* inData = static_cast<uint8_t*>(r.inData);
    gRun.MyAdjustedInData = inData ? inData + int64_t(r.inRowBytes) * gRun.borderTop +
                                         int64_t(r.inColumnBytes) * gRun.borderLeft
                                   : nullptr;
    FilterTrace("MyAdjustedInData = %#x\n inData = %#x", TraceAddress(gRun.MyAdjustedInData),
                TraceAddress(r.inData));
    auto* maskData = static_cast<uint8_t*>(r.maskData);
    gRun.MyAdjustedMaskData = maskData;
    if (gRun.borderOnMask) {
        gRun.MyAdjustedMaskData =
            maskData ? maskData + int64_t(r.maskRowBytes) * gRun.borderTop + gRun.borderLeft
                     : nullptr;
        FilterTrace("MyAdjustedMaskData = %#x\n maskData = %#x",
                    TraceAddress(gRun.MyAdjustedMaskData), TraceAddress(r.maskData));
    }
    gRun.source = {delivered.left, delivered.top, delivered.right, delivered.bottom};
}

// --- One delivered rectangle
// ----------------------------------------------------------------------

bool DeliveryConsistent(const HostRect& frame) {
    const FilterRecord& r = *gStuff;
    const int32_t sampleBytes = SampleBytes();
    const int32_t inputPlanes = r.inHiPlane - r.inLoPlane + 1;
    if (RectEmpty(r.outRect)) return true;
    if (r.outRect.left < frame.left || r.outRect.top < frame.top || r.outRect.right > frame.right ||
        r.outRect.bottom > frame.bottom)
        return false;
    // The source must cover the output with at least the planes that are copied.
    if (!r.inData || inputPlanes < r.planes || r.inRect.left > r.outRect.left ||
        r.inRect.top > r.outRect.top || r.inRect.right < r.outRect.right ||
        r.inRect.bottom < r.outRect.bottom)
        return false;
    const int64_t deliveredWidth = int64_t(gRun.source.right) - gRun.source.left;
    if (int64_t(r.inRowBytes) < deliveredWidth * inputPlanes * sampleBytes) return false;
    if (int64_t(r.outRowBytes) < int64_t(RectWidth(r.outRect)) * r.planes * sampleBytes)
        return false;
    const bool maskAsked = r.haveMask && !RectEmpty(r.maskRect);
    return !maskAsked || (r.maskData && int64_t(r.maskRowBytes) >= deliveredWidth);
}

void SetRectGeometry(const HostRect& frame) {
    const FilterRecord& r = *gStuff;
    EffectContext& c = gContext;
    c.zoomReduction = std::max(1, r.inputRate >> 16);
    c.X = c.width = RectWidth(frame);
    c.Y = c.height = RectHeight(frame);
    c.Z = c.planes = c.planes2 = r.planes;
    c.halfDiagonal = c.halfDiagonal2 =
        int32_t(std::sqrt(double(int64_t(c.X) * c.X + int64_t(c.Y) * c.Y)) / 2);
    c.inputPlanes = r.inHiPlane - r.inLoPlane + 1;
    c.inRowBytes = r.inRowBytes;
    c.outRowBytes = r.outRowBytes;
    c.maskRowBytes = r.maskRowBytes;
    c.inStep = c.inputPlanes;
    c.outStep = r.planes;
    c.maskStep = 1;
    c.adjustedInData = c.inData = gRun.MyAdjustedInData;
    c.outData = static_cast<uint8_t*>(r.outData);
    const bool maskDelivered = r.haveMask && !RectEmpty(r.maskRect);
    c.adjustedMaskData = c.maskData = maskDelivered ? gRun.MyAdjustedMaskData : nullptr;
    c.maskFromTransparency = 0;
    if (!r.haveMask && c.inputPlanes >= 4 && c.adjustedInData) {
        c.maskFromTransparency = 1;
        c.maskRowBytes = c.inRowBytes;
        c.maskStep = c.inputPlanes;
        c.adjustedMaskData = c.maskData = c.adjustedInData + 3;
    }
    c.rectX = c.currentLeft = r.outRect.left - frame.left;
    c.rectY = c.currentTop = r.outRect.top - frame.top;
    c.currentRight = r.outRect.right - frame.left;
    c.currentBottom = r.outRect.bottom - frame.top;
    c.rows = RectHeight(r.outRect);
    c.columns = RectWidth(r.outRect);
    c.rowCounter = c.columnCounter = 0;
    gRun.source = {gRun.source.left - frame.left, gRun.source.top - frame.top,
                   gRun.source.right - frame.left, gRun.source.bottom - frame.top};
    ResetContextColorDefaults();
}

// Rows first, first + step, ... of the source copy into the output. Thread 0, the host's
// thread, asks the host's abort before each of its rows and cancels the job on an abort; the
// other threads stop when it does. False when the copy stopped. The rows are dealt out by
// index, not claimed, so that the host is asked as often in every run.
namespace {
// One delivered source row into the output buffer.
void CopySourceRow(int32_t row) {
    const EffectContext& c = gContext;
    CopyRowPixels(c.adjustedInData + int64_t(row) * c.inRowBytes,
                  c.outData + int64_t(row) * c.outRowBytes, c.columns, SampleBytes());
}
}  // namespace

bool CopySourceRowsFrom(int32_t first, int32_t step) {
    const EffectContext& c = gContext;
    for (int32_t row = first; row < c.rows; row += step) {
        if (first == 0) {
            gContext.rowCounter = row;
            if (PollUserAbort() != 0) {
                if (step > 1) RequestJobCancel();
                return false;
            }
        } else if (JobCancelRequested()) {
            return false;
        }
        CopySourceRow(row);
    }
    return true;
}

void CopySourceShare(int32_t index) {
    CopySourceRowsFrom(index, std::max(gJob.threadCount, 1));
}

namespace {
// The host's thread's abort checks of a copy on step threads, without the copy: rows 0,
// step, 2 step, ..., so that the host is asked as often whether or not the source is copied.
// False when the user aborted.
bool PollSourceRows(int32_t step) {
    for (int32_t row = 0; row < gContext.rows; row += step) {
        gContext.rowCounter = row;
        if (PollUserAbort() != 0) return false;
    }
    return true;
}

// Whether the render writes every sample of this rectangle's output: a final run's, of
// the three colour planes the render writes (a fourth would keep the source only by the copy).
bool OutputLeftToRender() {
    const EffectContext& c = gContext;
    return gRun.renderWritesOutput && !c.dialogUp && c.outStep == 3 && c.planes == 3 &&
           gStuff->outLoPlane == 0;
}
}  // namespace

int CopySourceRows() {
    gRun.sourceCopyOwed = false;
    // A final run whose effect has started the worker pool copies on all of it: on one thread
    // the copy of a large image is a good part of everything outside the render.
    const int32_t threads = GetProcessorCount();
    const bool pooled = !gContext.dialogUp && WorkerPoolServes(threads);
    if (OutputLeftToRender()) {
        // The pool's threads, asleep while the host delivered, wake during the checks.
        if (pooled) WorkerPoolHold(kRunPoolHoldMs);
        if (!PollSourceRows(pooled ? threads : 1)) return 0;
        gRun.sourceCopyOwed = true;
        return 1;
    }
    if (pooled) {
        WorkerPoolHold(kRunPoolHoldMs);
        RunPoolRoutine(CopySourceShare, true, false);
        return JobCancelRequested() ? 0 : 1;
    }
    return CopySourceRowsFrom(0, 1) ? 1 : 0;
}

void RunSourceCopyDeferred() {
    gRun.renderWritesOutput = true;
}

void RunOutputRendered() {
    gRun.sourceCopyOwed = false;
}

namespace {
// A render that left the output unwritten (it could not make its tables, say) hands the
// host the source, as the copy before it would have.
void PayOwedSourceCopy() {
    if (!gRun.sourceCopyOwed) return;
    gRun.sourceCopyOwed = false;
    if (GetResult() != 0) return;
    for (int32_t row = 0; row < gContext.rows; ++row) CopySourceRow(row);
}
}  // namespace

void ProcessFilterRect() {
    if (GetResult() != 0) return;
    if (gRun.processDepth > 0) {
        ++gRun.refusedReentries;
        return;
    }
    FilterRecord& r = *gStuff;
    if (!r.outData) {
        ++gRun.nullOutDataCount;
        ShowInfoMessage("Unexpected NULL outData, count = %d", gRun.nullOutDataCount);
        // A final run cannot go on without somewhere to write; the user has been told.
        if (!gContext.dialogUp && !RectEmpty(r.outRect)) SetResult(HOST_ERROR_REPORTED);
        return;
    }
    const HostRect frame = ScaledFilterRect();
    if (!DeliveryConsistent(frame)) {
        SetResult(HOST_BAD_PARAMETERS);
        return;
    }
    ++gRun.processDepth;
    if (gContext.dialogUp) LoadControlValues();
    ProgressRenderStart();
    SetRectGeometry(frame);
    int copied = 0;
    {
        StartTimingSection timing("run", "source copy");
        copied = CopySourceRows();
    }
    if (copied) {
        gContext.rowCounter = gContext.columnCounter = 0;
        // Buffers a faulted rectangle of this run left behind go before new ones are made.
        FreeTileBuffers();
        StartTimingSection timing("run", "render hook");
        if (AllocateTileBuffers()) DispatchEffectHook(HOOK_RENDER, &gContext);
        PayOwedSourceCopy();
    }
    FreeTileBuffers();
    if (gContext.dialogUp) DispatchEffectHook(HOOK_AFTER_RUN, &gContext);
    --gRun.processDepth;
}

// --- Hosts without advanceState
// --------------------------------------------------------------------

void DoInitialRect() {
    FilterTrace("DoInitialRect:\n Didn't expect to come here!");
    FilterRecord& r = *gStuff;
    if (RectEmpty(r.filterRect)) {
        EmptyRequestRects();
        gRun.advanceStateMissing = false;
        return;
    }
    r.inRect = r.filterRect;
    r.inRect.bottom = int16_t(r.inRect.top + 1);
    r.outRect = r.inRect;
    // The selection mask comes row by row with the image, so that the effect never reads a
    // mask buffer of another request.
    r.maskRect = r.haveMask ? r.inRect : HostRect{0, 0, 0, 0};
    r.inLoPlane = r.outLoPlane = 0;
    r.inHiPlane = r.outHiPlane = int16_t(r.planes - 1);
}

void DoFilterRectNoAdvanceState() {
    FilterTrace("DoFilterRectNoAdvanceState:\n Didn't expect to come here!");
    const FilterRecord& r = *gStuff;
    gRun.borderTop = gRun.borderBottom = gRun.borderLeft = gRun.borderRight = 0;
    gRun.borderOnMask = false;
    gRun.MyAdjustedInData = static_cast<uint8_t*>(r.inData);
    gRun.MyAdjustedMaskData = static_cast<uint8_t*>(r.maskData);
    gRun.source = {r.inRect.left, r.inRect.top, r.inRect.right, r.inRect.bottom};
    ProcessFilterRect();
}

bool DoNextRect() {
    FilterTrace("DoNextRect:\n Didn't expect to come here!");
    FilterRecord& r = *gStuff;
    r.inRect.top = int16_t(r.inRect.top + 1);
    r.inRect.bottom = int16_t(r.inRect.bottom + 1);
    r.outRect = r.inRect;
    r.maskRect = r.haveMask ? r.inRect : HostRect{0, 0, 0, 0};
    return r.inRect.top < r.filterRect.bottom;
}

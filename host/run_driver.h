// The run driver: carries out the host's selectors 1 to 5, walks the image in tiles through
// the host's advanceState (or row by row through the continue selector), and turns each tile
// or preview request into one call of the render hook.
#pragma once

#include <cstdint>

#include "host/host_api.h"

// What the host delivered around the current rectangle, in image coordinates at the proxy
// scale (right and bottom exclusive): source reads are clamped into it.
struct SourceExtent {
    int32_t left, top, right, bottom;
};

// State of the run driver. Written only by the run driver and its preview requests.
struct RunState {
    // Border of the current request, added by SetupTileRects and removed by
    // AdjustTileDataPointers.
    int32_t borderTop, borderBottom, borderLeft, borderRight;
    bool borderOnMask;            // the border went on the mask rectangle (and the input with it)
    uint8_t* MyAdjustedInData;    // first pixel of the requested input inside the border
    uint8_t* MyAdjustedMaskData;  // likewise for the mask
    int32_t processDepth;         // ProcessFilterRect calls under way (0 or 1)
    int32_t refusedReentries;     // ProcessFilterRect calls refused while one ran
    int32_t nullOutDataCount;     // rectangles delivered without an output buffer
    int32_t lastProxyScale;       // scale of the last preview request
    bool proxyScaleChanged;
    HostRect scaledFilterRect;  // the filter rectangle at the last preview request's scale
    SourceExtent source;        // what the host delivered for the current rectangle
    bool advanceStateMissing;   // this run goes row by row through the continue selector
    // The effect's render writes every sample of a final run's output itself (see
    // RunSourceCopyDeferred): set by the effect's run start hook for the run.
    bool renderWritesOutput;
    // The current rectangle's source copy was left to the render, which has not yet said
    // that it wrote the output: set by CopySourceRows, cleared by RunOutputRendered.
    bool sourceCopyOwed;
};
extern RunState gRun;

void RunStateReset();

// --- Selectors ------------------------------------------------------------------------------
void HandleParametersSelector();
void DoPrepare();
void DoStart();
void DoContinue();
void DoFinish();

// --- Steps, also used by the dialog's preview code --------------------------------------------
void StartWithAdvanceState();
void SetupTileRects();
void AdjustTileDataPointers();
void ProcessFilterRect();
// Copies the delivered source rows into the output buffer: 1 when all rows were copied (or
// left to the render, see RunSourceCopyDeferred), 0 when the user aborted.
int CopySourceRows();
// Called by an effect's run start hook when its render of a final run writes every sample of
// the output rectangle: the run driver then leaves the source out of the output of a final
// run's rectangles of three planes, whose every sample the render overwrites, and asks the
// host about an abort as often as the copy would have. The render says it has written the
// output with RunOutputRendered; a rectangle the render left unsaid gets the source copied
// after it.
void RunSourceCopyDeferred();
void RunOutputRendered();
void DoInitialRect();
bool DoNextRect();
void DoFilterRectNoAdvanceState();
void ReleaseRunResources();
// True when the host offers the callback; otherwise the string-table message is shown.
bool CheckHostProcs(DisplayPixelsProc displayPixels);
bool CheckAdvanceState(AdvanceStateProc advanceState);

// Fills the geometry of gContext for the rectangle the host has just delivered (pointers,
// rows, columns, row bytes, planes, steps, mask from the transparency plane, the current
// rectangle), measured from the top-left of frame, whose size becomes X and Y.
void SetRectGeometry(const HostRect& frame);
// True when what the host delivered agrees with what was asked: data pointers present, row
// bytes that hold a row, the output inside the frame and covered by the input.
bool DeliveryConsistent(const HostRect& frame);
// The filter rectangle at the proxy scale of the filter record's inputRate.
HostRect ScaledFilterRect();
// Padding asked of the host: 0 with PFLAG_FULL_BORDER, else -2 (none).
int16_t RequestPadding();
// Debug traces of a request: its three rectangles under a heading, and what came back.
void TraceRequestRects(const char* heading);
void TraceAdvanceStateResult(int result);
// 2 for the 16-bit image modes, else 1.
int32_t SampleBytes();

// Wrappers around the host's callback suites, the plug-in's own pseudo-handles, progress and
// abort, and two registry helpers. Every wrapper checks what the host offers first.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "host/host_api.h"

// --- Pseudo-handles: the plug-in's own stand-ins for host handles -----------------------
HostHandle NewGlobalPseudoHandle(size_t size);
size_t GlobalPseudoHandleSize(HostHandle handle);
void DisposeGlobalPseudoHandle(HostHandle handle);
// The memory behind a pseudo-handle; null for a handle that is not a live pseudo-handle of
// this plug-in, or (when expectedSize is not 0) whose block has another size.
void* PseudoHandleBlock(HostHandle handle, size_t expectedSize = 0);
// 0, -108 (allocation failed) or -109 (null handle) after each pseudo-handle operation.
int16_t PseudoHandleLastError();

// --- Buffer suite ---------------------------------------------------------------------
bool BufferSuiteAvailable(const BufferProcs* suite, bool* tooNew);
OSErr HostAllocateBuffer(const BufferProcs* suite, int32_t size, void** bufferId);
void* HostLockBuffer(const BufferProcs* suite, void* bufferId, bool moveHigh);
void HostUnlockBuffer(const BufferProcs* suite, void* bufferId);
void HostFreeBuffer(const BufferProcs* suite, void* bufferId);

// --- Handle suite ---------------------------------------------------------------------
bool HandleSuiteAvailable(const HandleProcs* suite, bool* tooNew);
void HostDisposeHandle(const HandleProcs* suite, HostHandle handle);
int32_t HostGetHandleSize(const HandleProcs* suite, HostHandle handle);
void* HostLockHandle(const HandleProcs* suite, HostHandle handle, bool moveHigh);
void HostUnlockHandle(const HandleProcs* suite, HostHandle handle);

// --- Properties and colours -----------------------------------------------------------
intptr_t GetHostProperty(OSType key, intptr_t defaultValue);
// A colour services request of the given selector and spaces, every other field cleared.
ColorServicesInfo ColorServicesRequest(int16_t selector, int16_t sourceSpace, int16_t resultSpace);
int ConvertColorViaHost(int16_t sourceSpace, int16_t resultSpace, uint8_t color[4]);

// --- Progress and abort (host thread only) ------------------------------------------
int16_t SetCancelResult();
int16_t CheckUserAbort();
// CheckUserAbort for the row loops of a rendering: with the dialog up the queue is looked at
// every few milliseconds from the rendering's start (in between the result is returned);
// with the dialog down every call asks the host.
int16_t PollUserAbort();
// With the dialog up the bar moves at most every few milliseconds from the rendering's
// start and goes back to 0 at once; control 394 stores the percent of every new pair.
int16_t ReportProgress(int32_t done, int32_t total);
void SetProgressBar(int32_t percent);
int RefreshPreviewIfShown();
// A rendering starts: the clocks of PollUserAbort and of the bar start from now.
void ProgressRenderStart();
// Forgets the last progress pair and the bar's position, so that the next report is made
// and shown (start of a run).
void ResetProgress();

// --- Registry --------------------------------------------------------------------------
HKEY RegOpenKeyForRead(HKEY root, const char* path);
LONG RegReadString(HKEY key, const char* valueName, char* buffer, DWORD size);

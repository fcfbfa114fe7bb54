// Functions the test host's own files share; tests and programs use test_host.h.
#pragma once

#include <string>

#include "tools/testhost/test_host.h"

inline bool HostRectEmpty(const HostRect& rect) {
    return rect.bottom <= rect.top || rect.right <= rect.left;
}

// Callbacks and suites (host_suites.cpp).
void HostInstallCallbacks(HostSession& session);
void HostReleaseBuffersAndHandles(HostSession& session);
// Raises the configured fault when callback `where` is on its fatal call.
void HostMaybeFault(HostSession& session, HostCallback where, int32_t callNumber);
std::string HostFourCCText(OSType code);

// Pixel delivery (advance_state.cpp).
OSErr HOSTAPI HostAdvanceStateProc();
// Writes back the output buffer of the last request, then delivers buffers for the record's
// current rectangles. What advanceState does, and what the host does before "continue".
OSErr HostDeliverRects(HostSession& session);
// Writes the last output buffer back into the working image and takes all buffers away from
// the plug-in (their storage stays for the next run).
void HostCommitAndRelease(HostSession& session);
// The result of a successful run: the working image inside the filter rectangle (blended by
// the selection when the host masks), the source elsewhere.
HostImage HostComposeResult(const HostSession& session);

// Scripting descriptors (descriptor_suite.cpp).
void HostInstallDescriptorProcs(HostSession& session);
HostHandle DescriptorToHandle(HostSession& session, const Descriptor& descriptor);
bool DescriptorFromHandle(HostSession& session, HostHandle handle, Descriptor* descriptor);

// Message-box watcher (message_box_watcher.cpp).
void WatcherAttachThread(HostSession& session);
void WatcherStart(HostSession& session);
void WatcherStop(HostSession& session);

// Notes of the host's own complaints, kept in the log.
void HostNote(HostSession& session, const std::string& note);
std::string HostNativePath(const std::string& path);
// A wide text as UTF-8 (window texts, command-line arguments).
std::string HostNarrowText(const wchar_t* text);

// The per-call data block kept in the host's data word, and the module-wide globals that
// every call reaches through it (gDataBlock, gStuff, gModule).
#pragma once

#include <cstddef>
#include <cstdint>
#include <windows.h>

#include "host/host_api.h"

// Lives in a pseudo-handle stored in the host's data word from the first call until the host
// unloads the plug-in; each call works on a copy that is written back at its end.
struct PluginDataBlock {
    int16_t result;        // host result code of the call under way; reset to 0 by every call
    HostRect previewRect;  // image area of the preview control; written by the preview code
    FilterRecord* stuff;   // the filter record of the call under way
};
#if defined(_WIN64)
static_assert(sizeof(PluginDataBlock) == 24, "the data block is 24 bytes");
#endif
static_assert(offsetof(PluginDataBlock, previewRect) == 2);

// The working copy of the call under way; valid only inside an ENTRYPOINT call.
extern PluginDataBlock* gDataBlock;
// The DLL's module handle, kept by DllEntry: resources and the plug-in's own folder.
extern HMODULE gModule;

#define gStuff (gDataBlock->stuff)

inline int16_t GetResult() {
    return gDataBlock ? gDataBlock->result : 0;
}
inline void SetResult(int16_t result) {
    if (gDataBlock) gDataBlock->result = result;
}

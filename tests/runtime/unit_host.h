// A filter record, data block and parameter block set up in the test's own process, so that
// framework functions can be called directly.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "host/host_api.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "runtime/box_catcher.h"

struct UnitHost {
    UnitHost();
    ~UnitHost();
    UnitHost(const UnitHost&) = delete;
    UnitHost& operator=(const UnitHost&) = delete;

    FilterRecord record;
    PluginDataBlock block;
    ParameterBlock* params;      // behind record.parameters, a pseudo-handle of the plug-in
    BoxCatcher unexpectedBoxes;  // a box no test asked for never blocks the run

    // Offers a buffer suite; refuseBuffers makes it answer -108 to every allocation.
    void OfferBufferSuite();
    bool refuseBuffers = false;
    BufferProcs bufferProcs;
    std::map<void*, std::vector<uint8_t>> buffers;  // live host buffers by id
    int32_t buffersAllocated = 0;
};
extern UnitHost* gUnitHost;

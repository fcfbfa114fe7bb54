// The in-process stand-in for a host used by the unit tests.

#include "runtime/unit_host.h"

#include <cstring>

#include "host/effect_context.h"
#include "host/host_services.h"
#include "host/numbered_arrays.h"
#include "host/run_driver.h"
#include "host/system_calls.h"
#include "host/tile_buffers.h"
#include "runtime/unit_effect.h"

UnitHost* gUnitHost = nullptr;

namespace {
OSErr HOSTAPI AllocateBuffer(int32_t size, void** id) {
    if (gUnitHost->refuseBuffers || size <= 0) return HOST_OUT_OF_MEMORY;
    static uintptr_t nextId = 0x1000;
    *id = reinterpret_cast<void*>(nextId++);
    gUnitHost->buffers[*id].assign(size_t(size), 0xCD);
    ++gUnitHost->buffersAllocated;
    return 0;
}
void* HOSTAPI LockBuffer(void* id, HostBoolean) {
    auto found = gUnitHost->buffers.find(id);
    return found == gUnitHost->buffers.end() ? nullptr : found->second.data();
}
void HOSTAPI UnlockBuffer(void*) {}
void HOSTAPI FreeBuffer(void* id) {
    gUnitHost->buffers.erase(id);
}
int32_t HOSTAPI BufferSpace() {
    return 1 << 30;
}
}  // namespace

UnitHost::UnitHost() {
    memset(&record, 0, sizeof record);
    memset(&block, 0, sizeof block);
    memset(&bufferProcs, 0, sizeof bufferProcs);
    record.imageMode = IMAGE_MODE_RGB;
    record.planes = 3;
    record.inputRate = record.maskRate = 1 << 16;
    block.stuff = &record;
    gDataBlock = &block;
    record.parameters = NewGlobalPseudoHandle(sizeof(ParameterBlock));
    params = static_cast<ParameterBlock*>(PseudoHandleBlock(record.parameters));
    InitParameterBlock(*params);
    gParams = params;
    EffectContextReset();
    RunStateReset();
    UnitEffectReset();
    SystemCallsReset();
    ResetArrayTables();
    gUnitHost = this;
}

UnitHost::~UnitHost() {
    FreeTileBuffers();
    ReleaseAllArrays();
    ResetArrayTables();
    SystemCallsReset();
    DisposeGlobalPseudoHandle(record.parameters);
    gDataBlock = nullptr;
    gParams = nullptr;
    gUnitHost = nullptr;
}

void UnitHost::OfferBufferSuite() {
    bufferProcs = {2, 5, AllocateBuffer, LockBuffer, UnlockBuffer, FreeBuffer, BufferSpace};
    record.bufferProcs = &bufferProcs;
}

// The plug-in's entry point ENTRYPOINT, which answers every host call under the outer fault guard.

#include <windows.h>

#include <cstring>

#include "host/dialog_hooks.h"
#include "host/message_boxes.h"
#include "host/fault_guard.h"
#include "host/host_services.h"
#include "host/plugin_data.h"
#include "host/run_driver.h"
#include "host/start_timing.h"

namespace {
struct EntryCall {
    int16_t selector;
    FilterRecord* stuff;
    intptr_t* data;
    int16_t* result;
};

void DispatchSelector(int16_t selector) {
    switch (selector) {
        case SELECTOR_ABOUT:
            gDialogHooks.showAboutBox();
            break;
        case SELECTOR_PARAMETERS:
            HandleParametersSelector();
            break;
        case SELECTOR_PREPARE:
            DoPrepare();
            break;
        case SELECTOR_START:
            StartTimingBegin();
            DoStart();
            break;
        case SELECTOR_CONTINUE:
            DoContinue();
            break;
        case SELECTOR_FINISH:
            DoFinish();
            break;
        default:
            SetResult(HOST_BAD_PARAMETERS);
            break;
    }
}

void RunEntryCall(void* context) {
    EntryCall& call = *static_cast<EntryCall*>(context);
    if (*call.data == 0) {
        HostHandle block = NewGlobalPseudoHandle(sizeof(PluginDataBlock));
        if (!block) {
            *call.result = HOST_OUT_OF_MEMORY;
            return;
        }
        *call.data = reinterpret_cast<intptr_t>(block);
    }
    auto* stored = static_cast<PluginDataBlock*>(
        PseudoHandleBlock(reinterpret_cast<HostHandle>(*call.data), sizeof(PluginDataBlock)));
    if (!stored) {
        // The data word holds something that is not our block: never write through it, and
        // report it as every other interface problem is reported.
        ShowStringTableError(16502);
        *call.result = HOST_ERROR_REPORTED;
        return;
    }
    PluginDataBlock working = *stored;
    working.stuff = call.stuff;
    working.result = 0;
    gDataBlock = &working;

    DispatchSelector(call.selector);

    if (working.result == HOST_BAD_PARAMETERS) {
        ShowStringTableError(16502);
        working.result = HOST_ERROR_REPORTED;
    }
    *call.result = working.result;
    *stored = working;
    gDataBlock = nullptr;
}
}  // namespace

extern "C" void HOSTAPI ENTRYPOINT(int16_t selector, void* stuff, intptr_t* data, int16_t* result) {
    if (!data || !result) return;
    EntryCall call = {selector, static_cast<FilterRecord*>(stuff), data, result};
    FaultGuard guard;
    if (!RunGuarded(guard, nullptr, RunEntryCall, &call)) {
        gDataBlock = nullptr;
        ShowErrorMessage("%s", "Sorry, a framework error occured.");
        // The host must not read success after a fault: the user has been told already.
        *result = HOST_ERROR_REPORTED;
    }
}

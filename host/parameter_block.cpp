// Creating and finding the parameter block behind the host's parameters handle.

#include "host/parameter_block.h"

#include <cstring>
#include <initializer_list>

#include "host/host_services.h"
#include "host/plugin_data.h"
#include "host/text_format.h"

ParameterBlock* gParams = nullptr;

static void InitPseudoControl(ParameterBlock& block, int n) {
    ControlRecord& record = block.controls[n];
    record.inUse = 1;
    record.state = CTLSTATE_FULL;
    record.x = record.y = record.width = record.height = -1;
}

void InitParameterBlock(ParameterBlock& block) {
    memset(&block, 0, sizeof block);
    block.formatWord = 1;
    block.secondWord = 0;
    block.flags = kDefaultParameterFlags;
    block.queryForParameters = 1;
    block.tileHeight = 100;
    block.tileWidth = 0;
    for (ControlRecord& record : block.controls) ResetControlRecord(record);
    for (int n : {CTL_PREVIEW_FRAME, CTL_ZOOM_TEXT, CTL_PROGRESS, CTL_PREVIEW})
        InitPseudoControl(block, n);
    block.controls[CTL_PROGRESS].controlClass = CONTROL_PROGRESSBAR;
    block.controls[CTL_PROGRESS].style = 0;
    block.controls[CTL_PREVIEW].properties = CTLPROP_HOVER | CTLPROP_MOUSEMOVE | CTLPROP_PANEVENTS;
    block.controls[CTL_PREVIEW].backgroundColor = COLORREF(-1);

    block.skinActive = 0;
    block.skinIndex = -1;
    block.dialogColor = GetSysColor(COLOR_BTNFACE);
    block.secondDialogColor = GetSysColor(COLOR_BTNFACE);
    block.thirdDialogColor = 0;
    CopyText(block.dialogTitle, sizeof block.dialogTitle, "!t");
}

bool AttachParameterBlock() {
    gParams = nullptr;
    if (!gDataBlock || !gStuff || !gStuff->parameters) return false;
    void* block = PseudoHandleBlock(gStuff->parameters, sizeof(ParameterBlock));
    gParams = static_cast<ParameterBlock*>(block);
    return gParams != nullptr;
}

void CreateParameterBlock() {
    if (!gStuff) return;
    if (gStuff->parameters) {
        // A handle from another plug-in, an older version or the host itself is never read
        // as ours.
        if (!AttachParameterBlock()) SetResult(HOST_BAD_PARAMETERS);
        return;
    }
    HostHandle handle = NewGlobalPseudoHandle(sizeof(ParameterBlock));
    if (!handle) {
        SetResult(HOST_OUT_OF_MEMORY);
        return;
    }
    gStuff->parameters = handle;
    AttachParameterBlock();
    InitParameterBlock(*gParams);
}

// The scripted test effect: every hook asks the program that loaded the plug-in what to do,
// through the program's exported GreyloomDialogScript(). Loaded by another host it does
// nothing and the image passes through.

#include "tests/dialog/scripted_effect.h"

#include "dialog/control_texts.h"
#include "dialog/dialog_input.h"
#include "dialog/message_boxes.h"
#include "dialog/visual_styles.h"

namespace {

ControlRecord* RecordOf(int n) {
    return ControlRecordAt(n);
}

const ScriptedPluginApi& Api() {
    static const ScriptedPluginApi api = {
        RecordOf,
        &gContext,
        &gParams,
        &gFilterDialog,
        &gPreview,
        &gDialogFrame,
        &gAppearance,
        &gDialogShown,
        &gDialog,
        CreateControl,
        DeleteControl,
        SetControlValue,
        SetControlRange,
        SetControlDivisor,
        SetControlDefault,
        SetControlProperties,
        SetControlAction,
        SetControlLineSize,
        SetControlState,
        SetControlText,
        SetControlTab,
        SetControlPosition,
        SetControlAnchor,
        SetControlToolTip,
        GetControlColor,
        SetKeepEditText,
        SetDialogMinMaxSize,
        SetDialogTimer,
        PumpDialogMessages,
        SetDialogCursor,
        GetDialogCursor,
        SetVisualStyleOverride,
        DialogUnitsToPixelsX,
        DialogUnitsToPixelsY,
        RegisterFrameControls,
        ShowMessage,
        ShowInfoMessage,
        ShowRetryMessage,
        ShowErrorMessage,
        AskYesNo,
    };
    return api;
}

DialogScript* Script() {
    auto find = reinterpret_cast<DialogScriptProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), kDialogScriptExport)));
    return find ? find() : nullptr;
}

}  // namespace

int32_t OnBuildDialog(EffectContext*) {
    if (DialogScript* script = Script(); script && script->buildDialog) script->buildDialog(Api());
    return 0;
}

int32_t OnControlEvent(EffectContext*, int32_t control, int32_t event, int32_t previousValue) {
    DialogScript* script = Script();
    if (!script || !script->controlEvent) return 0;
    return script->controlEvent(Api(), control, event, previousValue);
}

int32_t OnSessionStart(EffectContext*) {
    return 0;
}
int32_t OnRunStart(EffectContext*) {
    return 0;
}

int32_t OnRender(EffectContext*) {
    if (DialogScript* script = Script(); script && script->render) script->render(Api());
    return 0;
}

int32_t OnAfterRun(EffectContext*) {
    return 0;
}

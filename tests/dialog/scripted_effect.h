// The link between the dialog test program and the scripted test plug-in it loads. The
// program exports GreyloomDialogScript(); the plug-in's effect calls it at every hook and
// hands the program a table of its own framework, so that a test builds the dialog and
// watches its events from inside the plug-in's copy of the framework.
#pragma once

#include <windows.h>

#include <cstdint>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/preview_window.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"

// The plug-in's framework as the test sees it. Every entry points into the plug-in.
struct ScriptedPluginApi {
    // Records and state.
    ControlRecord* (*record)(int n);
    EffectContext* context;
    ParameterBlock** params;
    FilterDialogState* dialogState;
    PreviewState* preview;
    DialogFrameState* frame;
    ControlAppearanceState* appearance;
    int32_t* dialogShown;
    HWND* dialog;
    // Controls.
    int32_t (*createControl)(int32_t n, int32_t controlClass, const char* text, int32_t x,
                             int32_t y, int32_t width, int32_t height, uint32_t style,
                             uint32_t exStyle, uint32_t properties, int32_t state);
    int32_t (*deleteControl)(int32_t n);
    int32_t (*setControlValue)(int32_t n, int32_t value);
    int32_t (*setControlRange)(int32_t n, int32_t min, int32_t max);
    int32_t (*setControlDivisor)(int32_t n, int32_t divisor);
    int32_t (*setControlDefault)(int32_t n, int32_t value);
    int32_t (*setControlProperties)(int32_t n, uint32_t bits);
    int32_t (*setControlAction)(int32_t n, int32_t action);
    int32_t (*setControlLineSize)(int32_t n, int32_t size);
    int32_t (*setControlState)(int n, int32_t state);
    int32_t (*setControlText)(int32_t n, const char* text);
    int32_t (*setControlTab)(int32_t n, int32_t tab, int32_t sheet);
    int32_t (*setControlPosition)(int32_t n, int32_t x, int32_t y, int32_t width, int32_t height);
    int32_t (*setControlAnchor)(int32_t n, int32_t flags);
    int32_t (*setControlToolTip)(int32_t n, const char* text, uint32_t flags);
    int32_t (*getControlColor)(int32_t n);
    int32_t (*setKeepEditText)(int32_t delayMs);
    // Dialog.
    int32_t (*setDialogMinMaxSize)(int32_t minWidth, int32_t minHeight, int32_t maxWidth,
                                   int32_t maxHeight);
    int32_t (*setDialogTimer)(int32_t timer, int32_t periodMs, int32_t on);
    int32_t (*pumpDialogMessages)();
    int32_t (*setDialogCursor)(intptr_t id);
    intptr_t (*getDialogCursor)();
    void (*setVisualStyleOverride)(int32_t active);
    int32_t (*dialogUnitsToPixelsX)(int32_t units);
    int32_t (*dialogUnitsToPixelsY)(int32_t units);
    void (*registerFrameControls)();
    // Message boxes.
    int (*showMessage)(unsigned style, const char* caption, const char* format, ...);
    void (*showInfoMessage)(const char* format, ...);
    int (*showRetryMessage)(const char* format, ...);
    int (*showErrorMessage)(const char* format, ...);
    int (*askYesNo)(const char* format, ...);
};

// What the test program does at each hook; null entries do nothing.
struct DialogScript {
    void (*buildDialog)(const ScriptedPluginApi& api);
    int32_t (*controlEvent)(const ScriptedPluginApi& api, int32_t control, int32_t event,
                            int32_t argument);
    void (*render)(const ScriptedPluginApi& api);
};

// Exported by the test program.
using DialogScriptProc = DialogScript* (*)();
constexpr char kDialogScriptExport[] = "GreyloomDialogScript";

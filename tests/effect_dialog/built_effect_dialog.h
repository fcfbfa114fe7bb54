// The effect dialog's controls built into a window of the test program, with the English
// texts and the session's tables, so that its reactions run on real controls in-process.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "dialog/control_record.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "effect/dialog_construction.h"
#include "effect/effect_pages.h"
#include "effect/language_files.h"
#include "effect/mode_layout.h"
#include "effect/session_hooks.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "render/session_state.h"
#include "tests/common/fresh_parameter_block.h"

class BuiltEffectDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        block = InstallFreshParameterBlock();
        gModule = GetModuleHandleA(nullptr);  // the plug-in's pictures and cursors are linked in
        DialogFrameReset();
        EffectPagesReset();
        ModeLayoutReset();
        SessionStateReset();
        gContext.dialogWanted = 1;
        ASSERT_TRUE(BuildInto(MakeDialogWindow(DIALOG_FROM_TEMPLATE)));
        LoadLanguage(LANGUAGE_ENGLISH, ARRAY_TEXTS, ARRAY_SHORT_TEXTS, ARRAY_LANGUAGE_RAW, -1,
                     kLanguageLastTextId, kLanguageLastShortTextId);
        ASSERT_EQ(SessionCreateTables(), 1);
    }
    void TearDown() override {
        DestroyWindow(window);
        gDialog = nullptr;
        gParams = nullptr;
        gDialogShown = 0;
        ReleaseAllArrays();
        EffectContextReset();
    }
    enum DialogWindowKind {
        DIALOG_FROM_TEMPLATE,  // the plug-in's own dialog template, with its font
        DIALOG_WITHOUT_FONT,   // a bare dialog window: the controls' own fonts hold
    };
    // A hidden dialog window of the given kind, kWidth x kHeight, with no procedure of the
    // plug-in's: the tests call the effect's reactions themselves.
    static HWND MakeDialogWindow(DialogWindowKind kind) {
        HWND made =
            kind == DIALOG_FROM_TEMPLATE
                ? CreateDialogParamA(GetModuleHandleA(nullptr), "FILTERPARAM", nullptr,
                                     PlainDialogProc, 0)
                : CreateWindowExA(0, "#32770", "Greyloom", WS_POPUP | WS_CAPTION, 0, 0, kWidth,
                                  kHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (made) SetWindowPos(made, nullptr, 0, 0, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        return made;
    }
    // The effect's controls built into a new dialog window, which replaces the current one.
    bool BuildInto(HWND made) {
        if (window) DestroyWindow(window);
        window = gDialog = gContext.dialogWindow = made;
        ForgetDialogMetrics();
        return made && BuildEffectDialog(&gContext) == 1;
    }
    static INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
    static const ControlRecord& Record(int32_t n) { return *ControlRecordAt(n); }
    static bool Shown(int32_t n) { return GetControlState(n) != 0; }
    static std::string Text(int32_t n) { return Record(n).text; }

    static constexpr int kWidth = 1200, kHeight = 720;
    std::unique_ptr<ParameterBlock> block;
    HWND window = nullptr;
};

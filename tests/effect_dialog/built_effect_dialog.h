// The effect dialog's controls built into a window of the test program, with the English
// texts and the session's tables, so that its reactions run on real controls in-process.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "dialog/control_record.h"
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
        window = CreateWindowExA(0, "#32770", "Greyloom", WS_POPUP | WS_CAPTION, 0, 0, kWidth,
                                 kHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        gDialog = window;
        gContext.dialogWindow = window;
        gContext.dialogWanted = 1;
        ASSERT_EQ(BuildEffectDialog(&gContext), 1);
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
    static const ControlRecord& Record(int32_t n) { return *ControlRecordAt(n); }
    static bool Shown(int32_t n) { return GetControlState(n) != 0; }
    static std::string Text(int32_t n) { return Record(n).text; }

    static constexpr int kWidth = 1200, kHeight = 720;
    std::unique_ptr<ParameterBlock> block;
    HWND window = nullptr;
};

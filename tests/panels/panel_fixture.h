// Real windows for the panel tests: a top-level window with child panels that stand as
// numbered controls of a fresh parameter block, and pictures of the display.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "dialog/control_record.h"
#include "dialog/dialog_window.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/parameter_block.h"
#include "tests/common/fresh_parameter_block.h"
#include "tests/common/screen_capture.h"

class PanelWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        block = InstallFreshParameterBlock();
        ResetArrayTables();
        gDialog = nullptr;
        WNDCLASSA frameClass = {};
        frameClass.lpfnWndProc = DefWindowProcA;
        frameClass.hInstance = GetModuleHandleA(nullptr);
        frameClass.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
        frameClass.lpszClassName = "GreyloomPanelFrame";
        RegisterClassA(&frameClass);
        frame = CreateWindowExA(0, "GreyloomPanelFrame", "Panels",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, 720,
                                420, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(frame, nullptr);
        SetForegroundWindow(frame);
        PumpMessages();
    }
    void TearDown() override {
        ReleaseAllArrays();
        if (frame) DestroyWindow(frame);
        gParams = nullptr;
        EffectContextReset();
    }
    // A child panel at (x, y) of width x height pixels standing as control n.
    HWND AddPanel(int32_t n, int x, int y, int width, int height) {
        HWND panel = CreateWindowExA(
            0, "GreyloomPanelFrame", "", WS_CHILD | WS_VISIBLE, x, y, width, height, frame,
            HMENU(intptr_t(kControlWindowIdBase + n)), GetModuleHandleA(nullptr), nullptr);
        ControlRecord* record = ControlRecordAt(n);
        record->inUse = 1;
        record->window = panel;
        record->controlClass = CONTROL_PICTURE;
        PumpMessages();
        return panel;
    }
    // What the screen shows at a point of a window's client area.
    static COLORREF ScreenPixel(HWND window, int x, int y) {
        HDC dc = GetDC(window);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return colour;
    }
    // A picture of the whole display into GREYLOOM_BIN_DIR/screenshots/<name>.png.
    static void Screenshot(const std::string& name) {
        PumpMessages(30);
        KeepScreenshot(WholeDisplayPicture(), name);
    }

    std::unique_ptr<ParameterBlock> block;
    HWND frame = nullptr;
};

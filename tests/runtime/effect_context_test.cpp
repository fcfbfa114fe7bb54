// The run-time record: its tables, accessor choice and control values, and the hook guard.

#include "host/effect_context.h"

#include <gtest/gtest.h>

#include <cmath>

#include "host/fault_guard.h"
#include "host/pixel_access.h"
#include "host/tile_buffers.h"
#include "runtime/box_catcher.h"
#include "runtime/unit_effect.h"
#include "runtime/unit_host.h"

namespace {
TEST(EffectContext, TablesAndConstantsAfterInit) {
    UnitHost host;
    InitRunTables();
    EXPECT_EQ(gContext.headerMark, 0x7FF7FFFFFFFFFFFF);
    EXPECT_EQ(gContext.headerVersion, 1);
    EXPECT_EQ(gContext.recordSize, int32_t(sizeof(EffectContext)));
#if defined(_WIN64)
    EXPECT_EQ(gContext.recordSize, 26712);
#endif
    EXPECT_EQ(gContext.sineTable[0], 0);
    EXPECT_EQ(gContext.sineTable[256], 512);
    EXPECT_EQ(gContext.sineTable[512], 0);
    EXPECT_EQ(gContext.sineTable[768], -512);
    EXPECT_EQ(gContext.sineTable[128], 362);  // 512 / sqrt(2) = 362.04
    EXPECT_EQ(gContext.sineTable[640], -362);
    EXPECT_EQ(gContext.tangentTable[0], 0);
    EXPECT_EQ(gContext.tangentTable[128], 1023);  // tan(pi/4) lands just below 1
    EXPECT_EQ(gContext.tangentTable[256], -333771);
    EXPECT_EQ(gContext.tangentTable[64], 424);  // tan(pi/8) = 0.41421
    const int32_t rounding[4] = {5951, 6975, 4927, 7999};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gContext.roundingControlWords[i], rounding[i]);
    EXPECT_DOUBLE_EQ(gContext.radianFactor * 2 * 3.14159265358979323846, 1024.0);
    EXPECT_EQ(gContext.angleUnit, 1024);
    EXPECT_EQ(gContext.counters[2], 1);
    EXPECT_EQ(gContext.eventWords[1], 1);
    EXPECT_EQ(gContext.colorDefaults[7], 255);
    EXPECT_EQ(gContext.colorDefaults2[7], 255);
    EXPECT_EQ(gContext.colorDefaults2[8], 0);
}

TEST(EffectContext, PixelRoutinesFollowTheBitDepth) {
    struct Case {
        int16_t mode;
        GetPixelProc source;
        PutPixelProc output;
        PutPixelProc tile3;
    };
    const Case cases[] = {
        {3, GetSourcePixel8, PutOutputPixel8, PutTile3Pixel8},
        {1, GetSourcePixel8, PutOutputPixel8, PutTile3Pixel8},
        {9, GetSourcePixel8, PutOutputPixel8, PutTile3Pixel8},
        {10, GetSourcePixel16, PutOutputPixel16, PutTile3Pixel16},
        {11, GetSourcePixel16, PutOutputPixel16, PutTile3Pixel16},
        {15, GetSourcePixel16, PutOutputPixel16, PutTile3Pixel16},
    };
    for (const Case& c : cases) {
        UnitHost host;
        host.record.imageMode = c.mode;
        InitRunTables();
        EXPECT_EQ(gContext.accessors.getSourcePixel, c.source) << c.mode;
        EXPECT_EQ(gContext.accessors.putOutputPixel, c.output) << c.mode;
        EXPECT_EQ(gContext.accessors.putTilePixel[2], c.tile3) << c.mode;
    }
}

TEST(EffectContext, ControlValuesComeFromTheRecords) {
    UnitHost host;
    host.params->controls[0].value = 17;
    host.params->controls[399].value = -4;
    InitRunTables();
    EXPECT_EQ(GetControlValue(0), 17);
    EXPECT_EQ(GetControlValue(399), -4);
    EXPECT_EQ(GetControlValue(400), 0);
    EXPECT_EQ(GetControlValue(-1), 0);
    EXPECT_EQ(gUnitEffect.calls[HOOK_RUN_START], 0);  // set-up fires no hook
    host.params->controls[5].value = 9;
    gContext.scratch[100] = 1;
    LoadControlValues();
    EXPECT_EQ(GetControlValue(5), 9);
    EXPECT_EQ(gContext.scratch[100], 0);
    EXPECT_EQ(gUnitEffect.calls[HOOK_RUN_START], 1);
    StoreControlValue(7, 70);
    EXPECT_EQ(host.params->controls[7].value, 70);
    EXPECT_EQ(GetControlValue(7), 70);
}

TEST(HookDispatch, EachHookReachesItsProcedure) {
    UnitHost host;
    for (int hook = HOOK_BUILD_DIALOG; hook <= HOOK_AFTER_RUN; ++hook) {
        gUnitEffect.hooks[hook] = [](EffectContext*) { return 40; };
        EXPECT_EQ(DispatchEffectHook(hook, &gContext), 40);
        EXPECT_EQ(gUnitEffect.calls[hook], 1);
    }
    gContext.controlEvent = {12, EVENT_VALUE_CHANGED, 33, 0, 0, CONTROL_SLIDER};
    DispatchEffectHook(HOOK_CONTROL_EVENT, &gContext);
    EXPECT_EQ(gUnitEffect.lastControl, 12);
    EXPECT_EQ(gUnitEffect.lastEvent, EVENT_VALUE_CHANGED);
    EXPECT_EQ(gUnitEffect.lastPrevious, 33);
    EXPECT_EQ(DispatchEffectHook(6, &gContext), 1);
    EXPECT_EQ(DispatchEffectHook(-1, &gContext), 1);
    for (int hook = HOOK_BUILD_DIALOG; hook <= HOOK_AFTER_RUN; ++hook)
        EXPECT_EQ(gUnitEffect.calls[hook], hook == HOOK_CONTROL_EVENT ? 2 : 1);
}

int32_t DivideByZero(EffectContext*) {
    volatile int32_t zero = 0;
    return 100 / zero;
}
int32_t ReadNull(EffectContext*) {
    volatile int32_t* nowhere = nullptr;
    return *nowhere;
}
int32_t Breakpoint(EffectContext*) {
    __debugbreak();
    return 0;
}

TEST(HookDispatch, FaultWithAMessageIsShownAndCancels) {
    struct Case {
        UnitHookProc hook;
        const char* text;
    };
    const Case cases[] = {{DivideByZero, "Integer (zero-)divide error!"},
                          {ReadNull, "Memory access violation!"}};
    for (const Case& c : cases) {
        for (int dialogUp = 0; dialogUp < 2; ++dialogUp) {
            SCOPED_TRACE(testing::Message() << c.text << " dialog " << dialogUp);
            UnitHost host;
            BoxCatcher catcher;
            gContext.dialogUp = dialogUp;
            gUnitEffect.hooks[HOOK_RENDER] = c.hook;
            EXPECT_EQ(DispatchEffectHook(HOOK_RENDER, &gContext), HOST_USER_CANCELLED);
            EXPECT_EQ(GetResult(), dialogUp ? 0 : HOST_USER_CANCELLED);
            ASSERT_EQ(catcher.boxes.size(), 1u);
            EXPECT_EQ(catcher.boxes[0].caption, "Error Message");
            EXPECT_EQ(catcher.boxes[0].text.rfind(c.text, 0), 0u) << catcher.boxes[0].text;
            // The guard is gone: the next hook runs normally.
            gUnitEffect.hooks[HOOK_RENDER] = nullptr;
            EXPECT_EQ(DispatchEffectHook(HOOK_RENDER, &gContext), 0);
        }
    }
}

TEST(HookDispatch, FaultWithoutAMessageGoesToTheOuterGuard) {
    UnitHost host;
    BoxCatcher catcher;
    gUnitEffect.hooks[HOOK_RUN_START] = Breakpoint;
    auto run = [] { DispatchEffectHook(HOOK_RUN_START, &gContext); };
    FaultGuard outer;
    EXPECT_FALSE(RunGuarded(outer, nullptr, run));
    EXPECT_EQ(outer.code, 0x80000003u);
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_EQ(GetResult(), 0);
}

TEST(HookDispatch, FireControlEventRestoresTheEventUnderWay) {
    UnitHost host;
    host.params->controls[20].inUse = 1;
    host.params->controls[20].controlClass = CONTROL_CHECKBOX;
    gContext.controlEvent = {3, EVENT_MOUSE_MOVE, 1, 2, 3, CONTROL_SLIDER};
    static ControlEventContext seen;
    gUnitEffect.hooks[HOOK_CONTROL_EVENT] = [](EffectContext* context) {
        seen = context->controlEvent;
        return 1;
    };
    EXPECT_EQ(FireControlEvent(20, EVENT_CLICKED, 5), 1);
    EXPECT_EQ(seen.control, 20);
    EXPECT_EQ(seen.event, EVENT_CLICKED);
    EXPECT_EQ(seen.argument, 5);
    EXPECT_EQ(seen.message, EVENT_CLICKED);
    EXPECT_EQ(seen.controlClass, CONTROL_CHECKBOX);
    EXPECT_EQ(gContext.controlEvent.control, 3);
    EXPECT_EQ(gContext.controlEvent.extra, 3);
    EXPECT_EQ(FireControlEvent(400, EVENT_CLICKED, 0), 0);
    EXPECT_EQ(gUnitEffect.calls[HOOK_CONTROL_EVENT], 1);
    EXPECT_EQ(FireControlEvent(1234, EVENT_USER, 0), 1);
    EXPECT_EQ(seen.controlClass, 0);
}
}  // namespace

// The settings fixture: control records in use without windows and the session tables.

#include "tests/settings_rows/settings_fixture.h"

#include <windows.h>

#include <vector>

#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/filter_dialog.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "effect/session_hooks.h"
#include "render/session_state.h"
#include "effect/setting_ranges.h"
#include "effect/settings_dialog_calls.h"
#include "effect/settings_rows.h"
#include "effect/undo_history.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "tests/common/fresh_parameter_block.h"

namespace {
constexpr int32_t kTabControls[] = {CTL_PREVIEW_TAB, CTL_MAIN_TAB, CTL_SIDE_TAB};

int32_t ClassOf(int32_t n) {
    if (const ControlTableRow* row = ControlTableRowOf(n)) return row->controlClass;
    for (int32_t tab : kTabControls)
        if (n == tab) return CONTROL_TAB;
    if (IsSettingColorButton(n)) return CONTROL_COLORBUTTON;
    if (n == CTL_PRESET_LIST) return CONTROL_LISTVIEW;
    return CONTROL_SLIDER;
}
}  // namespace

void SettingsFixture::SetUp() {
    block = InstallFreshParameterBlock();
    ResetArrayTables();
    SessionStateReset();
    SettingsDialogCallsReset();
    UndoHistoryReset();
    gDialogShown = 0;
    for (int32_t n = 0; n < kControlCount; ++n) {
        ControlRecord* record = ControlRecordAt(n);
        record->inUse = 1;
        record->controlClass = ClassOf(n);
        record->state = CTLSTATE_FULL;
    }
    ASSERT_EQ(SessionCreateTables(), 1);
    StartingState();
}

void SettingsFixture::TearDown() {
    ReleaseAllArrays();
    gParams = nullptr;
    EffectContextReset();
    SettingsDialogCallsReset();
}

void SettingsFixture::StartingState() {
    for (int32_t n = 0; n < kControlCount; ++n) SetControlValue(n, ControlTableStartValue(n));
    ResetCurvesToIdentity();
    ResetSelectiveTable();
    ResetSelectiveRanges();
}

void SettingsFixture::RandomState(std::mt19937& random) {
    auto between = [&random](int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(random);
    };
    for (int32_t n = 0; n < kSettingsValueCount; ++n) {
        const SettingRange range = SettingRangeOf(n);
        SetControlValue(n, range.bounded ? between(std::min(range.minValue, range.maxValue),
                                                   std::max(range.minValue, range.maxValue))
                                         : between(0, 3));
    }
    for (int32_t curve = 0; curve < kCurveCount; ++curve) {
        const int32_t count = between(2, kCurvePointMax);
        gSession.curvePointCount[curve] = count;
        for (int32_t i = 0; i < kCurvePointMax; ++i) {
            PutArrayElement(ARRAY_CURVES, i, 0, curve, i * 9 + between(0, 8));
            PutArrayElement(ARRAY_CURVES, i, 1, curve, between(0, kCurveCoordinateMax));
        }
    }
    for (int32_t a = 0; a < kSelectiveRows; ++a) {
        for (int32_t b = 0; b < kSelectiveTableColumns; ++b)
            PutArrayElement(ARRAY_SELECTIVE_TABLE, a, b, 0,
                            b == 2   ? between(0, 255)
                            : b == 4 ? between(0, 100)
                                     : between(-100, 100));
        // Hue points a < b and c < d: a degenerate range would bring the built-in ones back.
        const int32_t points[4] = {between(0, 60), between(61, 120), between(121, 180),
                                   between(181, 255)};
        for (int32_t b = 0; b < kSelectiveRangeColumns; ++b)
            PutArrayElement(ARRAY_SELECTIVE_RANGES, a, b, 0,
                            b < 4 ? points[b] : between(-100, 100));
    }
    for (int32_t m = 0; m < kEffectCentreCount; ++m) {
        gSession.centrePointX[m] = between(-50, 5000);
        gSession.centrePointY[m] = between(-50, 5000);
    }
    // The dialog keeps some values in step with others (a linked pair's partner, what a mode's
    // layout fixes): one apply through a spare row settles the state into one the dialog
    // could have stored, which a second apply must then leave alone.
    std::vector<int32_t> kept(kSettingsRowLength);
    ReadSettingsRow(ARRAY_SETTINGS_ROWS, 0, kept.data());
    StoreSettingsRow(ARRAY_SETTINGS_ROWS, 0);
    ApplySettingsRow(ARRAY_SETTINGS_ROWS, 0, 1);
    WriteSettingsRow(ARRAY_SETTINGS_ROWS, 0, kept.data());
    // A type combo's separator is never a value: clicking moves it to the item beyond.
    FireControlEvent(CTL_MASK_TYPE, EVENT_CLICKED, 0);
    FireControlEvent(CTL_CONVERSION_METHOD, EVENT_CLICKED, 0);
}

SettingsState SettingsFixture::Captured() const {
    SettingsState state;
    SettingsStateCapture(state);
    return state;
}

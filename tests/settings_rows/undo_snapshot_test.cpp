// Undo and redo over ARRAY_UNDO with the buttons' image names, the rendering after an undo
// that records nothing, and the thumbnail snapshot that leaves the centres out.

#include <gtest/gtest.h>

#include <string>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "effect/control_ids.h"
#include "render/session_state.h"
#include "effect/thumbnail_snapshot.h"
#include "effect/undo_history.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "tests/settings_rows/settings_fixture.h"

namespace {
std::string Images() {
    return std::string(GetControlImageName(kUndoButton)) + " " + GetControlImageName(kRedoButton);
}
}  // namespace

using UndoTest = SettingsFixture;

TEST_F(UndoTest, UndoAndRedoToggleBetweenTwoStates) {
    SetControlValue(CTL_GRAIN_INTENSITY, 10);
    InitUndo();
    EXPECT_EQ(Images(), "undo_grey.bmp redo_grey.bmp");
    SetControlValue(CTL_GRAIN_INTENSITY, 40);
    PutArrayElement(ARRAY_CURVES, 1, 1, 0, 120);
    RecordUndo();  // the rendering after the change
    EXPECT_EQ(Images(), "undo_off.bmp redo_grey.bmp");
    EXPECT_EQ(GetArrayElement(ARRAY_UNDO, CTL_GRAIN_INTENSITY, 0, 0), 10);
    EXPECT_EQ(GetArrayElement(ARRAY_UNDO, CTL_GRAIN_INTENSITY, 1, 0), 40);

    Undo();
    EXPECT_EQ(GetControlValue(CTL_GRAIN_INTENSITY), 10);
    EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 1, 0), 159);
    EXPECT_EQ(Images(), "undo_grey.bmp redo_off.bmp");
    EXPECT_EQ(gUndoInProgress, 1);
    RecordUndo();  // the rendering Undo asked for records nothing
    EXPECT_EQ(gUndoInProgress, 0);
    EXPECT_EQ(GetArrayElement(ARRAY_UNDO, CTL_GRAIN_INTENSITY, 0, 0), 40);
    EXPECT_EQ(GetArrayElement(ARRAY_UNDO, CTL_GRAIN_INTENSITY, 1, 0), 10);

    Redo();
    EXPECT_EQ(GetControlValue(CTL_GRAIN_INTENSITY), 40);
    EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 1, 0), 120);
    EXPECT_EQ(Images(), "undo_off.bmp redo_grey.bmp");
}

// A zoom, a settings set's tab or a second pass renders the same settings again: the step
// before it, and after an undo the redo, must stay.
TEST_F(UndoTest, ARenderingThatChangedNothingKeepsTheStep) {
    SetControlValue(CTL_GRAIN_INTENSITY, 10);
    InitUndo();
    RecordUndo();
    EXPECT_EQ(Images(), "undo_grey.bmp redo_grey.bmp") << "nothing changed since the start";
    SetControlValue(CTL_GRAIN_INTENSITY, 40);
    RecordUndo();
    RecordUndo();
    EXPECT_EQ(GetArrayElement(ARRAY_UNDO, CTL_GRAIN_INTENSITY, 0, 0), 10);
    Undo();
    EXPECT_EQ(GetControlValue(CTL_GRAIN_INTENSITY), 10);
    RecordUndo();  // the rendering Undo asked for
    RecordUndo();  // a zoom after it
    EXPECT_EQ(Images(), "undo_grey.bmp redo_off.bmp");
    Redo();
    EXPECT_EQ(GetControlValue(CTL_GRAIN_INTENSITY), 40);
}

TEST_F(UndoTest, UndoKeepsZoomAndSplitView) {
    InitUndo();
    SetControlValue(CTL_GRAIN_INTENSITY, 30);
    RecordUndo();
    SetControlValue(CTL_ZOOM, 3);
    SetControlValue(CTL_SPLIT_VIEW, 1);
    Undo();
    EXPECT_EQ(GetControlValue(CTL_GRAIN_INTENSITY), 0);
    EXPECT_EQ(GetControlValue(CTL_ZOOM), 3);
    EXPECT_EQ(GetControlValue(CTL_SPLIT_VIEW), 1);
}

TEST_F(UndoTest, WithoutTheUndoArrayNothingHappens) {
    SetControlValue(CTL_GRAIN_INTENSITY, 30);
    RecordUndo();
    Undo();
    Redo();
    EXPECT_EQ(GetArrayBase(ARRAY_UNDO), nullptr);
    EXPECT_EQ(GetControlValue(CTL_GRAIN_INTENSITY), 30);
}

using ThumbnailSnapshotTest = SettingsFixture;

TEST_F(ThumbnailSnapshotTest, SnapshotComesBackWithoutTheCentres) {
    std::mt19937 random(4);
    RandomState(random);
    const SettingsState saved = Captured();
    SaveThumbnailSnapshot();
    LoadControlDefaults();
    EXPECT_EQ(GetControlValue(CTL_DIFFUSION_RADIUS), 25);
    EXPECT_EQ(GetControlValue(CTL_MODE), -1);  // no default set
    for (int32_t k = 0; k < kCurveCount; ++k) {
        EXPECT_EQ(gSession.curvePointCount[k], 2);
        EXPECT_EQ(GetArrayElement(ARRAY_CURVES, 1, 0, k), 159);
    }
    EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, 3, 4, 0), 50);
    EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_TABLE, 3, 0, 0), 0);
    EXPECT_EQ(GetArrayElement(ARRAY_SELECTIVE_RANGES, 0, 0, 0), 225);
    gSession.centrePointX[2] = 17;  // a thumbnail preset moved a centre
    gSession.centrePointY[2] = 18;
    RestoreThumbnailSnapshot();
    const SettingsState restored = Captured();
    for (int32_t n = 0; n < kSettingsValueCount; ++n)
        EXPECT_EQ(restored.values[n], saved.values[n]) << n;
    for (int32_t k = 0; k < kCurveCount; ++k) {
        EXPECT_EQ(restored.curveCount[k], saved.curveCount[k]);
        for (int32_t i = 0; i < kCurvePointMax; ++i)
            EXPECT_EQ(restored.curvePoints[k][i][1], saved.curvePoints[k][i][1]);
    }
    EXPECT_EQ(restored.selectiveTable[5][2], saved.selectiveTable[5][2]);
    EXPECT_EQ(restored.selectiveRanges[8][6], saved.selectiveRanges[8][6]);
    EXPECT_EQ(gSession.centrePointX[2], 17);
    EXPECT_EQ(gSession.centrePointY[2], 18);
}

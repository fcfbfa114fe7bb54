// The effect dialog's timers: the one-shot render of the drags (0), the plain stop (2), the
// deferred preset thumbnails (3) and the first-run question (5).

#include <windows.h>

#include <commctrl.h>

#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_record.h"
#include "dialog/filter_dialog.h"
#include "dialog/visual_styles.h"
#include "effect/control_event_handler.h"
#include "effect/control_ids.h"
#include "effect/effect_session.h"
#include "effect/preset_thumbnails.h"
#include "host/effect_context.h"
#include "host/message_boxes.h"

namespace {

constexpr int32_t kDarkSkin = 3;
constexpr int32_t kWelcomeTextId = 405;
constexpr int32_t kListScrollPx = 30;

int32_t OnRenderTimer() {
    SetDialogTimer(0, 0, 0);
    RunControlAction(ACTION_PREVIEW);
    return 1;
}

int32_t OnPlainTimer() {
    SetDialogTimer(2, 0, 0);
    return 0;
}

// The thumbnails wait until the dialog stands, so that it opens without their delay; Quick
// Edit and Photography Mode show no preset list.
int32_t OnThumbnailTimer() {
    SetDialogTimer(3, 0, 0);
    const int32_t mode = ValueOf(CTL_MODE);
    if (mode == 1 || mode == 2) return 1;
    if (!gContext.dialogUp || GetListViewView(CTL_PRESET_LIST) != 0) return 0;
    PumpDialogMessages();
    ShowPresetThumbnails(0);
    // Without visual styles the list view lays its new pictures out only once it scrolled.
    if (!IsVisualStyleActive())
        if (const ControlRecord* list = UsedControlRecord(CTL_PRESET_LIST); list && list->window)
            SendMessageA(list->window, LVM_SCROLL, kListScrollPx, 0);
    if (gEffectSession.presetListTopItem > 0)
        ScrollToControlItem(CTL_PRESET_LIST, gEffectSession.presetListTopItem);
    return 0;
}

int32_t OnFirstRunTimer() {
    SetDialogTimer(5, 0, 0);
    const char* welcome = LanguageText(
        kWelcomeTextId, "Welcome to Greyloom!\n\nDo you want to use the dark interface skin?");
    if (AskYesNo("%s", welcome) == IDYES) {
        SetControlValue(CTL_SKIN, kDarkSkin);
        FireControlEvent(CTL_SKIN, EVENT_CLICKED, 0);
    }
    return 0;
}

using TimerProc = int32_t (*)();
struct TimerRow {
    int32_t timer;
    TimerProc react;
};
constexpr TimerRow kTimers[] = {
    {0, OnRenderTimer},
    {2, OnPlainTimer},
    {3, OnThumbnailTimer},
    {5, OnFirstRunTimer},
};

}  // namespace

int32_t HandleDialogTimer(int32_t timer, bool* known) {
    for (const TimerRow& row : kTimers)
        if (row.timer == timer) return row.react();
    *known = false;
    return 0;
}

// The dialog's side of the framework's hooks (host/dialog_hooks.h): filled once when the
// plug-in is loaded, so that the framework reaches the dialog only through the table.

#include "dialog/framework_hooks.h"

#include <windows.h>

#include <commctrl.h>

#include "dialog/about_box.h"
#include "dialog/control_appearance.h"
#include "dialog/control_items.h"
#include "dialog/control_record.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/font_slots.h"
#include "dialog/histogram_panel.h"
#include "dialog/image_lists.h"
#include "dialog/message_boxes.h"
#include "dialog/preview_window.h"
#include "dialog/skin_engine.h"
#include "host/dialog_hooks.h"
#include "host/effect_context.h"

namespace {

constexpr int kImageListsReleased = 10;  // slot 10 outlives the run

int32_t RunDialogForHost(int32_t argument, void (*renderProxy)()) {
    const int32_t result = RunFilterDialog(argument, renderProxy);
    RemoveDialogMessageHook();
    return result;
}

void ShowProgress(int32_t percent) {
    // A skin paints the bar itself from the control's value.
    if (IsSkinActive() && IsControlSkinned(CTL_PROGRESS)) {
        StoreControlValue(CTL_PROGRESS, percent);
        PaintSkinnedControl(CTL_PROGRESS, 0);
        return;
    }
    if (gDialog) SendDlgItemMessageA(gDialog, ITEM_PROGRESS, PBM_SETPOS, WPARAM(percent), 0);
}

int RefreshPreviewNow() {
    if (!gDialog) return 0;
    ShowPreviewNow(gDialog);
    return 1;
}

// The host's about selector shows the box as the dialog's own about button first does.
void ShowAboutForHost() {
    ShowAboutBox();
}

void SetTextForFramework(int32_t n, const char* text) {
    SetControlText(n, text);
}

void PaintControlNow(int32_t n) {
    if (const ControlRecord* record = UsedControlRecord(n))
        if (record->window) UpdateWindow(record->window);
}

void ShowHistogram(const HistogramShow& show) {
    UpdateHistogram(show.array, show.zoom, show.noGaps);
    SetControlColor(show.control, GetControlColor(show.colorControl));
    DrawHistogram(show.array, show.control, show.channel, show.style, -1, -1, 0, -1, 0, show.zoom);
}

void ReleaseRunObjects() {
    for (int slot = 0; slot < kImageListsReleased; ++slot) DestroyImageList(slot);
    DeleteFontSlots();
    ReleaseComboMeasuring();
}

}  // namespace

void DialogHooksInstall() {
    gDialogHooks = {MessageBoxShow,    ShowAboutForHost, RunDialogForHost,  ShowProgress,
                    RefreshPreviewNow, ResetFontSlots,   ReleaseRunObjects, SetTextForFramework,
                    PaintControlNow,   ShowHistogram};
}

// Plug-ins link the whole framework, so this runs in every plug-in with the dialog; programs
// that link only parts of it get the fallbacks unless they install the hooks themselves.
static const bool gHooksInstalled = (DialogHooksInstall(), true);

// The dialog's remembered state at opening: "Greyloomdialog.ini" checked and applied, the
// start size, the skin choice, and the host-title check.

#include "effect/dialog_state.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "dialog/control_layout.h"
#include "dialog/dialog_services.h"
#include "dialog/dialog_units.h"
#include "dialog/dialog_window.h"
#include "dialog/skin_engine.h"
#include "dialog/skin_file.h"
#include "effect/control_ids.h"
#include "effect/control_table.h"
#include "host/effect_context.h"
#include "host/host_api.h"

namespace {
// Pixel sizes of the client area: the size a first dialog opens with, the smallest a
// remembered size may be, and the cap of a remembered size.
constexpr int32_t kDefaultWidthPx = 1008, kDefaultHeightPx = 700;
constexpr int32_t kSmallWidthPx = 640, kSmallHeightPx = 455;
constexpr int32_t kCapWidthPx = 1024, kCapHeightPx = 768;
// The small size in dialog units, which is also the tracking minimum.
constexpr int32_t kMinWidthUnits = 529, kMinHeightUnits = 332;
constexpr const char* kGermanLanguageName = "German";
constexpr uint32_t kTitleHostSignatures[] = {FourCC("PSPI"), FourCC("DAD6"), FourCC("UP20"),
                                             0x0055098Cu};
constexpr uint32_t kPhotoshopSignature = FourCC("8BIM");

int32_t HeldSize(int32_t size, int32_t small, int32_t minimum, int32_t maximum) {
    if (size < small) size = minimum;
    return std::max(std::min(size, maximum), std::min(minimum, maximum));
}

// The language of a first dialog follows the user's locale: German for German, else English.
int32_t LanguageFromLocale() {
    char name[64] = {};
    if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE, name, int(sizeof name))) return 0;
    return std::strcmp(name, kGermanLanguageName) == 0 ? 1 : 0;
}

// The skin and the preview colour the user chose, from "skin.ini" (which the skin engine
// keeps beside the dialog state): the standard look takes the colour for the preview.
void RestoreSkinChoice() {
    ReadSkinFile(CTL_SKIN, CTL_SKIN_COLOR);
    const int32_t skin = GetControlValue(CTL_SKIN);
    if (skin > 0) {
        ApplySkin(skin);
        return;
    }
    const int32_t color = GetControlValue(CTL_SKIN_COLOR);
    SetControlColor(CTL_SKIN_COLOR, color);
    SetControlColor(CTL_PREVIEW, color);
}

DialogSizeRules SizeRules(const DialogStateLoad& load) {
    const DialogStateContents& file = load.contents;
    DialogSizeRules rules = {};
    rules.width = PixelsToDialogUnitsX(load.fileRead ? file.width : kDefaultWidthPx);
    rules.height = PixelsToDialogUnitsY(load.fileRead ? file.height : kDefaultHeightPx);
    if (load.fileRead && file.restoredWidth > 0 && file.restoredHeight > 0) {
        rules.restoredWidth = PixelsToDialogUnitsX(file.restoredWidth);
        rules.restoredHeight = PixelsToDialogUnitsY(file.restoredHeight);
    }
    rules.smallWidth = PixelsToDialogUnitsX(kSmallWidthPx);
    rules.smallHeight = PixelsToDialogUnitsY(kSmallHeightPx);
    rules.minWidth = kMinWidthUnits;
    rules.minHeight = kMinHeightUnits;
    rules.maxWidth = std::min(PixelsToDialogUnitsX(GetWorkAreaClientSize(0, 0)),
                              PixelsToDialogUnitsX(kCapWidthPx));
    rules.maxHeight = std::min(PixelsToDialogUnitsY(GetWorkAreaClientSize(1, 0)),
                               PixelsToDialogUnitsY(kCapHeightPx));
    return rules;
}
}  // namespace

DialogStartSize DialogStartSizeFrom(const DialogSizeRules& rules) {
    const bool maximised = rules.restoredWidth > 0 && rules.restoredHeight > 0;
    const int32_t width = maximised ? rules.restoredWidth : rules.width;
    const int32_t height = maximised ? rules.restoredHeight : rules.height;
    return {HeldSize(width, rules.smallWidth, rules.minWidth, rules.maxWidth),
            HeldSize(height, rules.smallHeight, rules.minHeight, rules.maxHeight), maximised};
}

void DialogStateClampValues(DialogStateContents* contents) {
    for (int32_t i = 0; i < kDialogStateControlCount; ++i) {
        const int32_t n = kDialogStateFirstControl + i;
        int32_t& value = contents->values[i];
        value = ControlTableClamp(n, value);
        const ControlTableRow* row = ControlTableRowOf(n);
        // Lists whose value the table does not give (the skin combo box) still show items.
        const int32_t items = row ? ControlTableItemCount(*row) : 0;
        const bool listed =
            row && (row->controlClass == CONTROL_COMBOBOX || row->controlClass == CONTROL_TAB) &&
            !(row->flags & ROW_ITEMS_AT_RUN_TIME);
        if (listed && items > 0) value = std::clamp(value, 0, items - 1);
    }
}

int32_t HostGivesDocumentTitle(uint32_t hostSignature, bool hasTitle) {
    for (uint32_t signature : kTitleHostSignatures)
        if (hostSignature == signature) return 1;
    return hostSignature == kPhotoshopSignature && hasTitle ? 1 : 0;
}

int32_t HostHasDocumentTitle() {
    char title[300] = {};
    const bool hasTitle = GetDocumentTitle(title) != 0 && title[0] != 0;
    return HostGivesDocumentTitle(gContext.hostSignature, hasTitle);
}

void DialogForgetEarlyShow() {
    if (!gDialog) return;
    const LONG_PTR style = GetWindowLongPtrA(gDialog, GWL_STYLE);
    SetWindowLongPtrA(gDialog, GWL_STYLE, style & ~LONG_PTR(WS_VISIBLE));
}

void LayOutDialogControls(int32_t width, int32_t height) {
    if (!gDialog) return;
    if (IsWindowVisible(gDialog)) {
        ApplyControlAnchors(width, height);
        return;
    }
    // Not shown yet: nothing to repaint, and no redraw switch that would mark it shown.
    PlaceAnchoredControls(width, height);
}

void SetOrStoreControlValue(int32_t n, int32_t value) {
    if (UsedControlRecord(n))
        SetControlValue(n, value);
    else
        StoreControlValue(n, value);
}

int32_t LoadDialogState(const char* path, DialogStateLoad* out) {
    out->contents = DialogStateContents{};
    out->fileRead = path && ReadDialogStateFile(path, &out->contents) == 1;
    if (out->fileRead) {
        DialogStateClampValues(&out->contents);
        for (int32_t i = 0; i < kDialogStateControlCount; ++i)
            SetOrStoreControlValue(kDialogStateFirstControl + i, out->contents.values[i]);
    } else {
        SetOrStoreControlValue(CTL_LANGUAGE, LanguageFromLocale());
    }
    if (!gDialog) return out->fileRead ? 1 : kDialogStateMaximise;
    const DialogStartSize size = DialogStartSizeFrom(SizeRules(*out));
    // The cap is the size the dialog starts with, not one it can be given: held to 1024 x 768
    // when tracked or maximised, it could never use a larger screen.
    SetDialogMinMaxSize(kMinWidthUnits, kMinHeightUnits, 0, 0);
    RestoreSkinChoice();
    SetDialogPosition(0, -1, -1, size.width, size.height);
    LayOutDialogControls(size.width, size.height);
    return size.maximised || !out->fileRead ? kDialogStateMaximise : 1;
}

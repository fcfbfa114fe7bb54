// The command buttons beside the settings: the random seeds of grain, aging and frame, the
// frame seed typed into its box, Reset, and the manual.

#include "effect/command_buttons.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "dialog/control_texts.h"
#include "dialog/dialog_window.h"
#include "dialog/filter_dialog.h"
#include "dialog/window_search.h"
#include "effect/control_ids.h"
#include "effect/data_folder.h"
#include "effect/settings_reaction_parts.h"
#include "effect/startup_settings.h"
#include "host/effect_context.h"
#include "host/message_boxes.h"
#include "host/numbered_arrays.h"
#include "host/plugin_folder.h"
#include "render/session_state.h"

namespace {
constexpr int32_t kFrameSeedSpan = 1000000;
constexpr int32_t kTextManualMissing = 407;
constexpr const char* kManualHtml = "ManualGreyloom2.htm";
constexpr const char* kManualPdf = "Greyloom2Manual.pdf";
constexpr const char* kFilterTitle = "Greyloom 2.0";

int32_t SecondsNow() {
    return int32_t(time(nullptr));
}

bool CanRead(const std::string& path) {
    FILE* file = fopen(path.c_str(), "r");
    if (!file) return false;
    fclose(file);
    return true;
}
}  // namespace

// --- Pure ----------------------------------------------------------------------------------------

int32_t FrameSeedFromRandom(int32_t randomValue) {
    return int32_t((randomValue & 0x7FFF) / 32767.0 * double(kFrameSeedSpan));
}

std::string ManualPath(const std::string& folder, const char* name) {
    std::string base = folder;
    while (!base.empty() && base.back() == '\\') base.pop_back();
    const std::string path = base + "\\" + name;
    return path.size() <= kManualPathMax ? path : std::string();
}

// --- Reactions -----------------------------------------------------------------------------------

int32_t ReactToRandomButton(const ReactionEvent& event) {
    switch (event.control) {
        case CTL_GRAIN_RANDOMIZE:
            gSession.grainSeed = SecondsNow();
            break;
        case CTL_AGING_RANDOMIZE:
            // The aging's seed is the button's own value: a button's range of 0..1 would
            // leave every seed 1.
            StoreControlValue(CTL_AGING_RANDOMIZE, SecondsNow());
            break;
        case CTL_FRAME_RANDOMIZE: {
            srand(unsigned(ValueOf(CTL_FRAME_SEED) + SecondsNow()));
            const int32_t seed = FrameSeedFromRandom(rand());
            SetControlValue(CTL_FRAME_SEED, seed);
            SetControlTextFormat(CTL_FRAME_SEED, "%d", seed);
            break;
        }
    }
    return 0;
}

int32_t ReactToFrameSeedTyped() {
    // The box is filled while the dialog is made; only typing counts.
    if (!gDialogShown) return 0;
    const char* text = GetControlText(CTL_FRAME_SEED);
    const int32_t seed = text ? int32_t(strtol(text, nullptr, 10)) : 0;
    if (seed != ValueOf(CTL_FRAME_SEED)) SetControlValue(CTL_FRAME_SEED, seed);
    RunControlAction(ACTION_PREVIEW);
    return 0;
}

int32_t ReactToReset(const ReactionEvent&) {
    SetDialogTitle(kFilterTitle);
    ApplyStartupSettings(ValueOf(CTL_RESET_MENU), 0, 0);
    return 0;
}

int32_t ReactToManual(const ReactionEvent& event) {
    const char* name = uint32_t(event.previous) == kPdfManualMarker ? kManualPdf : kManualHtml;
    std::string path = ManualPath(GetPluginFolder(), name);
    if (path.empty() || !CanRead(path)) {
        const DataFolderPlaces places = FindDataFolderPlaces(PluginRegistryKey());
        if (!places.installPath.empty()) path = ManualPath(places.installPath, name);
    }
    if (!path.empty() && ShellExecuteFile("open", path.c_str(), nullptr, SW_SHOWNORMAL)) return 0;
    ShowErrorMessage("%s", GetArrayString(ARRAY_TEXTS, kTextManualMissing));
    return 0;
}

// The built-in presets: their blocks read from the generated table, the categories and names
// of both languages, and applying a preset through one change record.

#include "effect/builtin_presets.h"

#include <algorithm>
#include <cstring>

#include "dialog/control_creation.h"
#include "dialog/control_items.h"
#include "effect/control_ids.h"
#include "effect/effect_pages.h"
#include "effect/preset_groups.h"
#include "effect/session_hooks.h"
#include "effect/settings_dialog_calls.h"
#include "dialog/dialog_window.h"
#include "host/effect_context.h"
#include "render/session_state.h"

const char* const kEffectNamesEnglish[kPresetGroupCount] = {
    "B&&W",       "Polarizer",  "Dynamic Contrast",
    "Tonal Look", "Lab FX",     "Aging",
    "ND-Grad",    "Brightness", "Contrast",
    "Colorkey",   "",           "Tone",
    "Color",      "Bicolor",    "Red",
    "Green",      "Blue",       "",
    "Diffusion",  "Glow",       "Vignette",
    "Paper",      "Grain",      "Frame",
    "Brush",      "Mask",       "Fade",
};
const char* const kEffectNamesGerman[kPresetGroupCount] = {
    "S/W",          "Polfilter",  "Dynamischer Kontrast",
    "Tonaler Look", "Labor",      "Alterung",
    "ND-Grad",      "Helligkeit", "Kontrast",
    "Colorkey",     "",           "Ton",
    "Farbe",        "Zweifarbig", "Rot",
    "Gr\xFCn",      "Blau",       "",
    "Diffusion",    "Gl\xFChen",  "Vignette",
    "Papier",       "Korn",       "Rahmen",
    "Pinsel",       "Maske",      "Verblassen",
};

const int32_t kCategorySeparators[CATEGORY_COUNT][kCategorySeparatorMax] = {
    {-1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1}, {0, 5, 66, -1, -1},
    {0, 7, -1, -1, -1},   {0, 3, 15, 18, -1},   {0, 3, 7, 17, -1},    {0, 12, 16, 22, -1},
    {0, 6, 12, 14, 20},   {0, -1, -1, -1, -1},  {0, 5, 13, -1, -1},   {0, 25, -1, -1, -1},
    {0, 4, 8, 15, -1},    {0, 3, 6, 14, 17},    {0, 6, 12, -1, -1},   {0, -1, -1, -1, -1},
    {0, -1, -1, -1, -1},  {0, 8, -1, -1, -1},   {0, -1, -1, -1, -1},  {0, 3, -1, -1, -1},
    {0, -1, -1, -1, -1},  {-1, -1, -1, -1, -1},
};

int32_t gCategoryStart[CATEGORY_COUNT + 1];
PresetCatalog gPresetCatalog;

namespace {
constexpr int32_t kModePhotography = 2;
constexpr int32_t kModeAdvancedPlus = 4;
constexpr int32_t kSheetMain = 3;
constexpr int32_t kFirstPresetCombo = 170;  // combos 170..181 serve categories 3..14
constexpr int32_t kComboCategoryOffset = 167;
constexpr int32_t kToneGroup = 11;
constexpr int32_t kToneOption = 27;  // off when a preset moves shadows and highlights apart
constexpr int32_t kSelectiveToleranceStart = 50;
constexpr int32_t kSelectiveSliderRows = 7;
constexpr int32_t kEllipticalControl = 13;  // its user event redraws the selective ranges
constexpr int32_t kCurveScaleMax = 159;     // the table's curve coordinates
constexpr int32_t kCurveGroupFirst = 11;

// Controls whose click makes the dialog follow the new value.
constexpr int32_t kClickedControls[] = {1, 270, 36, 125, 227, 75, 283};
constexpr int32_t kFrameSeed = 279;  // an edit box: its text shows the value

bool IsClickedControl(int32_t n) {
    return std::find(std::begin(kClickedControls), std::end(kClickedControls), n) !=
           std::end(kClickedControls);
}

bool IsSelectiveSliderGroup(int32_t group) {
    return group >= 7 && group <= 9;
}

void AddCurveLeftovers(const BuiltinBlock& block, int32_t used, PresetChanges& changes) {
    const int32_t curve = block.group - kCurveGroupFirst;
    const int32_t points = std::min((block.count - used) / 2, kBuiltinCurvePointMax);
    const int32_t curveMax = gSession.curveMax > 0 ? gSession.curveMax : kCurveCoordinateMax;
    changes.SetCurveCount(curve, points);
    for (int32_t i = 0; i < points; ++i)
        changes.SetCurvePoint(curve, i, block.values[used + 2 * i] * curveMax / kCurveScaleMax,
                              block.values[used + 2 * i + 1] * curveMax / kCurveScaleMax);
}

void AddLeftovers(const BuiltinBlock& block, int32_t used, PresetChanges& changes) {
    const PresetGroup& group = kPresetGroups[block.group];
    switch (group.kind) {
        case GROUP_CURVE:
            AddCurveLeftovers(block, used, changes);
            break;
        case GROUP_SELECTIVE:
            for (int32_t row = 0; used + row < block.count && row < kSelectiveRows; ++row)
                changes.SetSelective(row, 4, block.values[used + row]);
            break;
        case GROUP_AGING:
            if (block.count - used >= 2)
                changes.SetCentre(0, block.values[used], block.values[used + 1]);
            break;
        default:
            break;
    }
}

// What the dialog does before a selective group's sliders are set.
void AddSelectiveStart(PresetChanges& changes) {
    changes.Fire(kEllipticalControl, EVENT_USER, 0);
    for (int32_t row = 0; row < kSelectiveSliderRows; ++row)
        changes.SetSelective(row, 4, kSelectiveToleranceStart);
    changes.SetValue(CTL_SELECTIVE_INTENSITY, 0);
    changes.SetValue(CTL_SELECTIVE_TOLERANCE, 0);
}

void AddBlock(const BuiltinBlock& block, bool thumbnail, PresetChanges& changes) {
    const PresetGroup& group = kPresetGroups[block.group];
    const int32_t* v = block.values;
    if (!thumbnail && block.group == kToneGroup && block.count >= 5 && v[3] != v[4] &&
        changes.view[kToneOption] != 0) {
        changes.SetValue(kToneOption, 0);
        changes.Fire(kToneOption, EVENT_CLICKED, 0);
    }
    if (!thumbnail && group.kind == GROUP_SELECTIVE) AddSelectiveStart(changes);
    const int32_t used = std::min(group.count, block.count);
    for (int32_t i = 0; i < used; ++i) {
        const int32_t control = group.controls[i];
        if (v[i] == kBuiltinKeepValue) continue;
        if (control == kFrameSeed)
            changes.SetValueText(control, v[i]);
        else
            changes.SetValue(control, v[i]);
        if (IsSelectiveSliderGroup(block.group)) {
            // The table follows the slider; a thumbnail run raises no events to do it.
            if (i < kSelectiveRows && control != CTL_SELECTIVE_INTENSITY &&
                control != CTL_SELECTIVE_TOLERANCE)
                changes.SetSelective(i, group.column, v[i]);
            changes.Fire(control, EVENT_VALUE_CHANGED, 0);
        }
        if (!thumbnail && IsClickedControl(control)) changes.Fire(control, EVENT_CLICKED, 0);
    }
    AddLeftovers(block, used, changes);
}

bool InTable(int32_t n) {
    return n >= 0 && n < kBuiltinPresetCount;
}
}  // namespace

// --- Pure ------------------------------------------------------------------------------------

int32_t BuiltinPresetBlocks(int32_t n, BuiltinBlock out[kBuiltinBlockMax]) {
    if (!InTable(n)) return -1;
    const int32_t* record = kBuiltinPresets[n];
    const int32_t count = record[0];
    if (count < 1 || count > kBuiltinBlockMax) return -1;
    int32_t at = 1;
    for (int32_t b = 0; b < count; ++b) {
        // The table is generated and checked by its tests; a block that would run past the
        // record ends the preset rather than read outside it.
        if (at + 2 > kBuiltinPresetWords) return b;
        const int32_t group = record[at], values = record[at + 1];
        if (group < 0 || group >= kPresetGroupCount || values < 0 ||
            at + 2 + values > kBuiltinPresetWords)
            return b;
        out[b] = {group, values, record + at + 2};
        at += 2 + values;
    }
    return count;
}

int32_t PresetCategoryStarts(const char* const* names, int32_t count,
                             int32_t starts[CATEGORY_COUNT + 1]) {
    int32_t found = 0;
    for (int32_t n = 0; n < count && found < CATEGORY_COUNT; ++n)
        if (names[n] && std::strstr(names[n], "None")) starts[found++] = n;
    for (int32_t c = found; c <= CATEGORY_COUNT; ++c) starts[c] = count;
    return found;
}

int32_t CategoryOfPreset(int32_t n) {
    if (!InTable(n)) return -1;
    for (int32_t c = 0; c < CATEGORY_COUNT; ++c)
        if (gCategoryStart[c] <= n && n < gCategoryStart[c + 1]) return c;
    return -1;
}

bool BuiltinPresetChanges(int32_t n, bool thumbnail, bool keep, PresetChanges& changes) {
    if (!InTable(n)) return false;
    BuiltinBlock blocks[kBuiltinBlockMax];
    const int32_t count = BuiltinPresetBlocks(n, blocks);
    if (kBuiltinPresets[n][0] == kBuiltinHeading) {
        changes.Begin(!thumbnail);
        return true;
    }
    const bool adds = CategoryOfPreset(n) == CATEGORY_MASK;
    changes.Begin(!thumbnail && !keep && !adds);
    for (int32_t b = 0; b < count; ++b) AddBlock(blocks[b], thumbnail, changes);
    return true;
}

// --- The catalog -----------------------------------------------------------------------------

void PresetCatalogSetLanguage(int32_t german) {
    PresetCategoryStarts(kBuiltinPresetNamesEnglish, kBuiltinPresetCount, gCategoryStart);
    std::copy(gCategoryStart, gCategoryStart + CATEGORY_COUNT, gPresetCatalog.categoryCopy);
    gPresetCatalog.german = german ? 1 : 0;
    gPresetCatalog.presetNames = german ? kBuiltinPresetNamesGerman : kBuiltinPresetNamesEnglish;
    gPresetCatalog.categoryNames = german ? kCategoryNamesGerman : kCategoryNamesEnglish;
    gPresetCatalog.effectNames = german ? kEffectNamesGerman : kEffectNamesEnglish;
}

void PresetCatalogReset() {
    PresetCatalogSetLanguage(0);
}

void ClearCategoryCopy() {
    std::fill(std::begin(gPresetCatalog.categoryCopy), std::end(gPresetCatalog.categoryCopy), 0);
}

namespace {
// The tables are usable from the plug-in's load on, before any dialog switched a language.
const bool kCatalogReady = (PresetCatalogReset(), true);
}  // namespace

// --- Glue ------------------------------------------------------------------------------------

namespace {
void SelectInPresetCombo(int32_t category, const char* name) {
    const int32_t combo = kComboCategoryOffset + category;
    if (combo < kFirstPresetCombo || combo > CTL_BUILTIN_FRAME) return;
    const int32_t items = GetControlItemCount(combo);
    char text[256];
    for (int32_t i = 0; i < items; ++i)
        if (GetControlItemText(combo, i, text, sizeof text) && std::strcmp(text, name) == 0) {
            SetControlValue(combo, i);
            return;
        }
}

bool HasSelectiveBlock(const BuiltinBlock* blocks, int32_t count) {
    for (int32_t b = 0; b < count; ++b)
        if (kPresetGroups[blocks[b].group].kind == GROUP_SELECTIVE) return true;
    return false;
}
}  // namespace

int32_t ApplyBuiltinPreset(int32_t n, int32_t keep) {
    if (!InTable(n)) return 0;
    const bool thumbnail = gSession.thumbnailRendering != 0;
    // Local: an event the applier raises may apply another preset meanwhile.
    PresetChanges changes;
    BuiltinPresetChanges(n, thumbnail, keep != 0, changes);
    BuiltinBlock blocks[kBuiltinBlockMax];
    const int32_t count = BuiltinPresetBlocks(n, blocks);
    if (!thumbnail && HasSelectiveBlock(blocks, count)) ResetSelectiveRanges();
    PresetChangesApply(changes);
    if (thumbnail || count <= 0) return 1;

    if (GetControlValue(CTL_MAIN_TAB) == kSheetMain)
        FireControlEvent(CTL_CURVE, EVENT_DRAW_ITEM, 0);
    const char* name = gPresetCatalog.presetNames[n];
    const int32_t mode = GetControlValue(CTL_MODE);
    if (mode != kModePhotography) SelectInPresetCombo(CategoryOfPreset(n), name);
    SetDialogTitle(PresetTitle(name).c_str());
    if (mode == kModeAdvancedPlus)
        gSettingsDialogCalls.goToPage(blocks[0].group, 1);
    else
        SetControlValue(CTL_EFFECT_LIST, MapListIndex(blocks[count - 1].group, LIST_FROM_PAGE));
    return 1;
}

// The plug-in's 689 built-in presets in 22 categories: the generated table with its English and
// German names, the category starts, and applying one preset to the dialog or, while
// thumbnails render, to the working values alone.
#pragma once

#include <cstdint>

#include "effect/preset_changes.h"

constexpr int32_t kBuiltinPresetCount = 689;
constexpr int32_t kBuiltinPresetWords = 103;  // block count, then the blocks
constexpr int32_t kBuiltinBlockMax = 6;
constexpr int32_t kBuiltinHeading = -1;        // word 0 of a heading entry
constexpr int32_t kBuiltinKeepValue = -65535;  // a block value that leaves its control alone
constexpr int32_t kBuiltinCurvePointMax = 16;
constexpr int32_t kBuiltinSelectiveLeftoverMax = 9;  // column 4 of the selective table

enum PresetCategory : int32_t {
    CATEGORY_OWN = 0,  // the user's preset files behind the first heading
    CATEGORY_PHOTO_EFFECTS,
    CATEGORY_VINTAGE_TONING,
    CATEGORY_BW_FILM,
    CATEGORY_FILM_GRAIN,
    CATEGORY_BW_FILTER,
    CATEGORY_NEUTRAL,
    CATEGORY_DIFFUSION,
    CATEGORY_DEVELOPMENT,
    CATEGORY_DYNAMICS,
    CATEGORY_TONAL_FX,
    CATEGORY_COLOR_TONER,
    CATEGORY_PAPER,
    CATEGORY_VIGNETTE,
    CATEGORY_FRAME,
    CATEGORY_AGING,
    CATEGORY_COLORKEY,
    CATEGORY_PARTIAL_COLOR,
    CATEGORY_BICOLOR,
    CATEGORY_NIGHT_EFFECT,
    CATEGORY_GLOW,
    CATEGORY_MASK,  // these presets add to the current settings
    CATEGORY_COUNT,
};

// Generated into effect/builtin_preset_table.cpp by tools/make_builtin_presets.py from
// tools/builtin_presets.txt; never edited by hand.
extern const int32_t kBuiltinPresets[kBuiltinPresetCount][kBuiltinPresetWords];
extern const char* const kBuiltinPresetNamesEnglish[kBuiltinPresetCount];
extern const char* const kBuiltinPresetNamesGerman[kBuiltinPresetCount];

extern const char* const kCategoryNamesEnglish[CATEGORY_COUNT];
extern const char* const kCategoryNamesGerman[CATEGORY_COUNT];
// One per preset group; "" for the two groups without an effect.
extern const char* const kEffectNamesEnglish[27];
extern const char* const kEffectNamesGerman[27];

// Where a category shown alone gets separators: after the presets at these positions relative
// to its heading (0 = after the heading); -1 ends a row. Categories outside 3..20 have none.
constexpr int32_t kCategorySeparatorMax = 5;
extern const int32_t kCategorySeparators[CATEGORY_COUNT][kCategorySeparatorMax];

// Index of each category's heading, with entry 22 = 689. Written by PresetCatalogSetLanguage.
extern int32_t gCategoryStart[CATEGORY_COUNT + 1];

// The tables of the language in use. Written only by PresetCatalogSetLanguage (and
// PresetCatalogReset); read by the lists, combos and menus.
struct PresetCatalog {
    int32_t german;
    const char* const* presetNames;        // 689
    const char* const* categoryNames;      // 22
    const char* const* effectNames;        // 27
    int32_t categoryCopy[CATEGORY_COUNT];  // the starts as last computed; 0 after a clear
};
extern PresetCatalog gPresetCatalog;

// --- Pure ------------------------------------------------------------------------------------
struct BuiltinBlock {
    int32_t group;          // preset group 0..26
    int32_t count;          // values in the block
    const int32_t* values;  // into the table
};
// The blocks of preset n; -1 for a heading entry or an index outside 0..688 (nothing in out).
int32_t BuiltinPresetBlocks(int32_t n, BuiltinBlock out[kBuiltinBlockMax]);
// The category starts from a name table: the entries whose name holds "None" (22 of them in
// the English table), then the count. The number of headings found.
int32_t PresetCategoryStarts(const char* const* names, int32_t count,
                             int32_t starts[CATEGORY_COUNT + 1]);
// The category c with gCategoryStart[c] <= n < gCategoryStart[c + 1]; -1 outside the table.
int32_t CategoryOfPreset(int32_t n);
// What applying preset n does, as a change record (Begin included). thumbnail: only the
// working values, no events; keep: the current settings stay underneath. False for an index
// outside 0..688.
bool BuiltinPresetChanges(int32_t n, bool thumbnail, bool keep, PresetChanges& changes);

// --- The catalog -----------------------------------------------------------------------------
// English tables, starts from the English names.
void PresetCatalogReset();
// Starts from the English names (the headings lie in the same places in both), a copy of the
// first 22, and the name tables of the language.
void PresetCatalogSetLanguage(int32_t german);
void ClearCategoryCopy();

// --- Glue ------------------------------------------------------------------------------------
// Applies built-in preset n: 1, or 0 for an index outside 0..688. A heading resets every
// control; a Mask preset adds to the current settings; keep nonzero keeps the current
// settings under any preset. While thumbnails render only the working values change.
int32_t ApplyBuiltinPreset(int32_t n, int32_t keep);

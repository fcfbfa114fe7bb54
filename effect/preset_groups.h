// The 27 preset groups (a key and up to 20 controls each, by kind), the flags of the groups
// in use, and the test that sets them.
#pragma once

#include <cstdint>

#include "effect/settings_rows.h"

constexpr int32_t kPresetGroupCount = 27;
constexpr int32_t kPresetGroupControlMax = 20;
constexpr int32_t kPresetKeyMax = 255;  // characters of a key line that are read

enum PresetGroupKind : int32_t {
    GROUP_PLAIN = 0,
    GROUP_AGING,
    GROUP_SELECTIVE,  // column = selective table column
    GROUP_CURVE,      // curve = the curve the group's points belong to
    GROUP_KIND_COUNT,
};

struct PresetGroup {
    const char* key;  // "" for the two groups without a name (never written)
    PresetGroupKind kind;
    int32_t column;  // selective: table column; curve: curve number; else 0
    int32_t count;
    int32_t controls[kPresetGroupControlMax];
};
extern const PresetGroup kPresetGroups[kPresetGroupCount];

constexpr int32_t kGroupSelectMask = 25;      // "gSelMask"
constexpr int32_t kSelectiveValueCount = 83;  // 9 + 9 + 63 + 2
constexpr int32_t kAgingValueCount = 12;      // ten controls, centre 0's x and y

// Groups in use, set by MarkGroupsInUse and by the Save Preset dialog; the writer stores
// exactly these.
extern int32_t gGroupInUse[kPresetGroupCount];

// The group a key names: "g..." by exact comparison with the 27 keys, otherwise a decimal
// group number. -1 for an unknown name, a number outside 0..26 or a key past 255 characters.
int32_t PresetGroupFromKey(const char* key, size_t length);
// True for the groups whose key is empty: they have nothing to read or write.
bool PresetGroupIsEmpty(int32_t group);

// Pure: the flags of the groups whose settings differ from "off" in state.
int32_t PresetGroupsInUse(const SettingsState& state, int32_t flags[kPresetGroupCount]);
// Clears and sets gGroupInUse from the live state; returns the number set (at least 1).
int32_t MarkGroupsInUse();

// Settings given to the plug-in as a replayed host script.

#include "render_effects/settings_script.h"

#include <cstdio>

#include "effect/control_ids.h"
#include "effect/control_table.h"

Descriptor SettingsScript(const std::vector<ControlSetting>& settings) {
    std::vector<int32_t> values(kSettingsControlCount, 0);
    std::vector<bool> present(kSettingsControlCount, false);
    for (int32_t n = 0; n < kSettingsControlCount; ++n)
        if (ControlTableRowOf(n)) {
            values[size_t(n)] = ControlTableStartValue(n);
            present[size_t(n)] = true;
        }
    for (const ControlSetting& s : settings) {
        values[size_t(s.control)] = s.value;
        present[size_t(s.control)] = true;
    }
    Descriptor script;
    for (int32_t n = 0; n < kSettingsControlCount; ++n) {
        if (!present[size_t(n)]) continue;
        DescriptorItem item;
        char key[5];
        snprintf(key, sizeof key, "%04d", int(n));
        item.key = FourCC(key);
        item.type = DESC_TYPE_INTEGER;
        item.integer = values[size_t(n)];
        script.push_back(item);
    }
    DescriptorItem curve;
    curve.key = FourCC("t000");
    curve.type = DESC_TYPE_TEXT;
    curve.text = kSCurveText;
    script.push_back(curve);
    return script;
}

// Lookups in the effect dialog's control table by control number: the row, the range a stored
// value must lie in, the default and the starting value.

#include <windows.h>

#include <algorithm>
#include <array>

#include "dialog/control_record.h"
#include "effect/control_table.h"

namespace {
constexpr int32_t kColorMax = 0xFFFFFF;

const std::array<const ControlTableRow*, kControlCount>& RowIndex() {
    static const std::array<const ControlTableRow*, kControlCount> index = [] {
        std::array<const ControlTableRow*, kControlCount> rows{};
        for (int32_t i = 0; i < kControlTableSize; ++i)
            rows[size_t(kControlTable[i].number)] = &kControlTable[i];
        return rows;
    }();
    return index;
}
}  // namespace

const ControlTableRow* ControlTableRowOf(int32_t n) {
    if (n < 0 || n >= kControlCount) return nullptr;
    return RowIndex()[size_t(n)];
}

int32_t ControlTableItemCount(const ControlTableRow& row) {
    switch (row.controlClass) {
        case CONTROL_COMBOBOX:
        case CONTROL_VALUELIST:
        case CONTROL_TAB:
        case CONTROL_TOOLBAR:
            return row.text[0]
                       ? int32_t(std::count(row.text, row.text + strlen(row.text), '\n')) + 1
                       : 0;
        default:
            return 0;
    }
}

bool ControlTableRange(int32_t n, int32_t* minValue, int32_t* maxValue) {
    const ControlTableRow* row = ControlTableRowOf(n);
    if (!row) return false;
    int32_t low = 0, high = 0;
    if (row->flags & ROW_RANGED) {
        low = row->minValue;
        high = row->maxValue;
    } else if (row->controlClass == CONTROL_CHECKBOX) {
        high = 1;
    } else if (row->controlClass == CONTROL_COLORBUTTON) {
        high = kColorMax;
    } else if (row->controlClass == CONTROL_COMBOBOX || row->controlClass == CONTROL_TAB ||
               row->controlClass == CONTROL_VALUELIST) {
        if (!(row->flags & ROW_VALUE) || (row->flags & ROW_ITEMS_AT_RUN_TIME)) return false;
        if (row->controlClass == CONTROL_VALUELIST) low = -1;
        high = ControlTableItemCount(*row) - 1;
    } else {
        return false;
    }
    if (minValue) *minValue = low;
    if (maxValue) *maxValue = high;
    return true;
}

int32_t ControlTableClamp(int32_t n, int32_t value) {
    int32_t low = 0, high = 0;
    if (!ControlTableRange(n, &low, &high)) return value;
    return std::clamp(value, std::min(low, high), std::max(low, high));
}

int32_t ControlTableDefault(int32_t n) {
    const ControlTableRow* row = ControlTableRowOf(n);
    return row ? row->defaultValue : kNoDefault;
}

int32_t ControlTableStartValue(int32_t n) {
    const ControlTableRow* row = ControlTableRowOf(n);
    if (!row || !(row->flags & ROW_VALUE)) return 0;
    return (row->flags & ROW_VALUE_SYSCOLOR) ? int32_t(GetSysColor(row->value)) : row->value;
}

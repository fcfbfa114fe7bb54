// The working value of a control, as the effect's event handler and reactions read it.
#pragma once

#include <cstdint>

#include "host/effect_context.h"

inline int32_t ValueOf(int32_t n) {
    return GetControlValue(n);
}

// A fresh parameter block installed as gParams, with the run-time record reset: where every
// test starts that drives the framework without a host.
#pragma once

#include <memory>

#include "host/effect_context.h"
#include "host/parameter_block.h"

inline std::unique_ptr<ParameterBlock> InstallFreshParameterBlock() {
    auto block = std::make_unique<ParameterBlock>();
    InitParameterBlock(*block);
    gParams = block.get();
    EffectContextReset();
    return block;
}

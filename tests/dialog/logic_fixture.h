// A parameter block and run-time record for tests of the dialog framework's logic, without a
// host and without a dialog window.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "dialog/dialog_window.h"
#include "host/effect_context.h"
#include "host/parameter_block.h"
#include "tests/common/fresh_parameter_block.h"

class DialogLogic : public ::testing::Test {
  protected:
    void SetUp() override {
        block = InstallFreshParameterBlock();
        DialogFrameReset();
        gDialog = nullptr;
    }
    void TearDown() override {
        gParams = nullptr;
        EffectContextReset();
    }
    std::unique_ptr<ParameterBlock> block;
};

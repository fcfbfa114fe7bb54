// A parameter block whose 400 control records are in use (with the classes the settings code
// looks at), the session's tables, and no dialog window: the settings rows, presets and their
// files run here exactly as in the plug-in, without a host.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "effect/settings_rows.h"
#include "host/parameter_block.h"
#include "tests/common/scratch_folder.h"
#include "tests/common/test_files.h"

class SettingsFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Every control at its starting value, the curves the identity, the tables at their start.
    void StartingState();
    // A random state within every range (points sorted, counts 2..16, centres anywhere).
    void RandomState(std::mt19937& random);
    SettingsState Captured() const;

    std::unique_ptr<ParameterBlock> block;
};

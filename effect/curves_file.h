// Curves files of Adobe Photoshop (".acv", big-endian 16-bit): the first four curves become
// the Tone, Red, Green and Blue curves, scaled from 0..255 into 0..gSession.curveMax.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "effect/preset_changes.h"

constexpr int32_t kCurvesFileCurves = 4;
constexpr int32_t kCurvesFileTargets[kCurvesFileCurves] = {0, 3, 4, 5};
constexpr int32_t kCurvesFilePage = 14;

// Reads the curves into changes (after changes.Begin). Point counts above 16 keep the first
// 16 points, values are held to 0..255, each curve's points are sorted by input. False, with
// error, when the file ends inside a curve; a file of fewer than four curves sets those it has.
bool CurvesFileParse(std::string_view bytes, PresetChanges& changes, std::string& error);

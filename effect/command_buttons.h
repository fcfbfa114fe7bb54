// The arithmetic of the command buttons beside the settings, apart from the dialog.
#pragma once

#include <cstdint>
#include <string>

// The manual button's previous value that asks for the PDF manual instead of the HTML one.
constexpr uint32_t kPdfManualMarker = 0xF8A432EBu;
constexpr size_t kManualPathMax = 255;

// A frame seed 0..1000000 from a value of the C random generator.
int32_t FrameSeedFromRandom(int32_t randomValue);
// folder\name (one backslash between them); empty when it would pass kManualPathMax.
std::string ManualPath(const std::string& folder, const char* name);

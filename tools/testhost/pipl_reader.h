// Reading and checking a filter plug-in's property list ("PIPL" resource 16000), as an
// image editor does before it offers the filter in its menu.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_api.h"

struct PiplProperty {
    OSType vendor;
    OSType key;
    int32_t id;
    std::vector<uint8_t> data;  // as long as the stored length says
};

// Input and output handling of one filter case (in the order of the published cases 1..7).
struct FilterCaseInfo {
    uint8_t inputHandling;  // 0: cannot filter this case; 1: as is; 6..8, 10, 11: zap colours
    uint8_t outputHandling;
    uint8_t flags1;
    uint8_t flags2;
};

struct PiplInfo {
    std::vector<PiplProperty> properties;
    OSType kind = 0;
    std::string name;       // menu name
    std::string category;   // menu category
    uint32_t version = 0;   // interface version, major in the high 16 bits
    std::string entryName;  // entry point of this architecture
    uint16_t modeBits = 0;  // supported-modes flags, bit 15 = mode 0
    std::string enableCondition;
    uint32_t enabledModes = 0;  // bit n: image mode n may be filtered
    bool haveFilterCases = false;
    FilterCaseInfo filterCases[7] = {};
};

// The property key naming the entry point on this architecture ("8664" or "wx86").
OSType PiplEntryKey();

// Parses a property list. lengthsAsStored reads each property's length as already padded
// to four bytes (as some hosts do); otherwise the padding is added. Returns false with a
// reason when the list is malformed.
bool PiplParse(const uint8_t* data, size_t size, bool lengthsAsStored, PiplInfo* info,
               std::string* error);
// Checks what a host needs and fills the fields read from the properties: a filter, an entry
// point for this architecture, an interface version it speaks, readable modes and enable
// condition, seven filter cases if any.
bool PiplCheck(PiplInfo* info, std::string* error);
// Reads resource PIPL 16000 of a module loaded as data and parses it.
bool PiplReadModule(HMODULE module, bool lengthsAsStored, PiplInfo* info, std::string* error);
// Image modes named by an enable condition such as "in (PSHOP_ImageMode, RGBMode)"; false when
// the condition cannot be read.
bool PiplParseEnableCondition(const std::string& condition, uint32_t* modes);
const PiplProperty* PiplFind(const PiplInfo& info, OSType key);

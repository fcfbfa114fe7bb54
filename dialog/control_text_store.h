// The whole text of each control, item lists included: the record's text field in the
// parameter block keeps 1023 bytes at most, while a combo box's items may run far longer.
#pragma once

#include <cstdint>
#include <string>

struct ControlRecord;

// Keeps whole as the text of control n and writes recordText, cut to the record's field, into
// the record: the record's layout is the host's, the whole text the plug-in's.
void ControlTextStoreSet(int32_t n, const std::string& whole, const char* recordText);
// The whole text of control n ("" for a bad n). When the record's text was written elsewhere
// (a fresh parameter block, one kept from an earlier load of the module) the record's own
// text is the whole text.
std::string ControlWholeText(int32_t n);
// The same for a record of the parameter block; any other record gives its own text.
std::string ControlWholeText(const ControlRecord& record);
void ControlTextStoreReset();

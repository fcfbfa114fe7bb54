// The plug-in's own copy of every control's whole text, beside the cut copy in its record.

#include "dialog/control_text_store.h"

#include "dialog/control_record.h"
#include "host/text_format.h"

namespace {

// Written by ControlTextStoreSet and, when the record was written elsewhere, by
// ControlWholeText.
struct ControlTextStore {
    std::string whole[kControlCount];     // the control's whole text
    std::string recorded[kControlCount];  // what the store last wrote into the record's text
};
ControlTextStore gControlTexts;

}  // namespace

void ControlTextStoreSet(int32_t n, const std::string& whole, const char* recordText) {
    ControlRecord* record = ControlRecordAt(n);
    if (!record) return;
    CopyText(record->text, sizeof record->text, recordText ? recordText : "");
    gControlTexts.whole[n] = whole;
    gControlTexts.recorded[n] = record->text;
}

std::string ControlWholeText(int32_t n) {
    const ControlRecord* record = ControlRecordAt(n);
    if (!record) return std::string();
    // The whole text belongs to the record only while the record holds what the store put
    // there.
    if (gControlTexts.recorded[n] != record->text) {
        gControlTexts.whole[n] = record->text;
        gControlTexts.recorded[n] = record->text;
    }
    return gControlTexts.whole[n];
}

std::string ControlWholeText(const ControlRecord& record) {
    const int32_t n = ControlRecordNumber(record);
    return n >= 0 ? ControlWholeText(n) : std::string(record.text);
}

void ControlTextStoreReset() {
    for (int32_t n = 0; n < kControlCount; ++n) {
        gControlTexts.whole[n].clear();
        gControlTexts.recorded[n].clear();
    }
}

// The interface languages: recognising the entries of the six text resources and spreading
// them over the control texts and the two text arrays.

#include "effect/language_files.h"

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/control_creation.h"
#include "dialog/control_layout.h"
#include "dialog/control_record.h"
#include "dialog/control_text_store.h"
#include "dialog/control_texts.h"
#include "host/effect_context.h"
#include "host/numbered_arrays.h"
#include "host/worker_threads.h"

namespace {
constexpr const char* kResourceType = "RAWTEXT";
constexpr const char* kResourceNames[2][LANGUAGE_FILE_KIND_COUNT] = {
    {"ENGLISHCONTROLS.TXT", "ENGLISHTEXT.TXT", "ENGLISHTEXT2.TXT"},
    {"GERMANCONTROLS.TXT", "GERMANTEXT.TXT", "GERMANTEXT2.TXT"},
};
// The look-behind of an identifier: the place values of the digits one, two, three and four
// characters before the colon. A fourth digit counts as a digit seen but adds nothing, so
// "1234:" is entry 234.
constexpr int32_t kPlaceValues[4] = {1, 10, 100, 0};
constexpr int32_t kInterfaceIdOffset = 310;  // "x" marks the interface controls 310..399
// The German captions are longer; the preview tabs widen for them, to the tool buttons' edge:
// at 128 units the third tab scrolled out of the strip.
constexpr int32_t kWidthGermanDu = 133;
constexpr int32_t kWidthEnglishDu = 120;
// Control whose caption is completed with the processor count.
constexpr int32_t kCpuCountControl = 219;

bool IsLineEnd(uint8_t c) {
    return c == '\r' || c == '\n';
}

// Loads the resource into the raw array, recognises its entries and releases the array
// again. False when the resource is missing.
bool ReadLanguageFile(int32_t language, LanguageFileKind kind, int32_t rawArray, int32_t lastId,
                      int32_t maxTextChars, std::vector<LanguageEntry>* entries) {
    if (!LoadArrayFromResource(kResourceType, LanguageResourceName(language, kind), rawArray))
        return false;
    const auto* bytes = static_cast<const uint8_t*>(GetArrayBase(rawArray));
    // A byte array made from a resource is one row of its size: the resource carries no
    // terminator of its own, so the scan stops at that size.
    const size_t size = size_t(std::max(GetArrayDimension(rawArray, 0), 0));
    *entries = ParseLanguageEntries(bytes, size, lastId, maxTextChars);
    ReleaseArray(rawArray);
    return true;
}

// The text a control already holds need not reach its windows again: the English file
// repeats most of the table's texts, and each window's text costs the system a round trip.
// An edit box may hold what the user typed, and a text with "!" escapes is expanded anew.
bool TextAlreadyShown(int32_t n, const std::string& text) {
    return GetControlClass(n) != CONTROL_EDIT && text.find('!') == std::string::npos &&
           ControlWholeText(n) == text;
}

void ApplyControlText(int32_t n, const std::string& text) {
    if (TextAlreadyShown(n, text)) return;
    if (GetControlClass(n) == CONTROL_TAB) {
        // Loading a tab's captions selects its first sheet; the user's sheet stays.
        const int32_t sheet = GetControlValue(n);
        SetControlText(n, text.c_str());
        SetControlValue(n, sheet);
        return;
    }
    SetControlText(n, text.c_str());
    if (n == kCpuCountControl) {
        const int32_t cpus = GetProcessorCount();
        SetControlTextFormat(n, "%s (%d CPU%s)", text.c_str(), cpus, cpus > 1 ? "s" : "");
    }
}

// Byte rows of a text array; a new array starts cleared, an existing one keeps its rows.
bool MakeTextRows(int32_t n, int32_t rows, int32_t rowBytes, bool clear) {
    const bool existed = GetArrayBase(n) != nullptr;
    if (!CreateArray(n, rows, rowBytes, 1, 1)) return false;
    if (clear || !existed) SetAllArrayElements(n, 0);
    return true;
}
}  // namespace

const char* LanguageResourceName(int32_t language, LanguageFileKind kind) {
    const int32_t set = language == LANGUAGE_GERMAN ? 1 : 0;
    return kResourceNames[set][kind];
}

int32_t LanguageEntryId(const uint8_t* bytes, size_t colon) {
    int32_t id = 0;
    bool digitSeen = false;
    for (size_t back = 1; back <= 4 && back <= colon; ++back) {
        const uint8_t c = bytes[colon - back];
        if (IsLineEnd(c)) break;
        if (c >= '0' && c <= '9') {
            id += (c - '0') * kPlaceValues[back - 1];
            digitSeen = true;
        } else if (c == 'x') {
            id += kInterfaceIdOffset;
        }
    }
    return digitSeen ? id : -1;
}

std::vector<LanguageEntry> ParseLanguageEntries(const uint8_t* bytes, size_t size, int32_t lastId,
                                                int32_t maxTextChars) {
    std::vector<LanguageEntry> entries;
    if (!bytes) return entries;
    for (size_t at = 0; at < size; ++at) {
        if (bytes[at] != ':') continue;
        const int32_t id = LanguageEntryId(bytes, at);
        if (id < 0 || id > lastId) continue;
        size_t end = at + 1;
        while (end < size && !IsLineEnd(bytes[end])) ++end;
        const size_t length = std::min(end - (at + 1), size_t(std::max(maxTextChars, 0)));
        entries.push_back({id, std::string(reinterpret_cast<const char*>(bytes + at + 1), length)});
    }
    return entries;
}

std::string LanguageLineBreaks(std::string text) {
    std::replace(text.begin(), text.end(), '\\', '\n');
    return text;
}

int32_t LoadLanguage(int32_t language, int32_t textsArray, int32_t shortTextsArray,
                     int32_t rawArray, int32_t widthControl, int32_t lastTextId,
                     int32_t lastShortTextId) {
    std::vector<LanguageEntry> entries;
    if (ReadLanguageFile(language, LANGUAGE_FILE_CONTROLS, rawArray, kLanguageLastControlId,
                         kLanguageControlTextMax, &entries)) {
        for (const LanguageEntry& entry : entries)
            ApplyControlText(entry.id, LanguageLineBreaks(entry.text));
        if (widthControl >= 0) {
            const int32_t width = language == LANGUAGE_GERMAN ? kWidthGermanDu : kWidthEnglishDu;
            SetControlPosition(widthControl, -1, -1, width, -1);
        }
    }

    if (ReadLanguageFile(language, LANGUAGE_FILE_TEXT, rawArray, lastTextId, kLanguageTextMax,
                         &entries) &&
        MakeTextRows(textsArray, lastTextId + 1, kLanguageTextRowBytes, true)) {
        for (const LanguageEntry& entry : entries) {
            const std::string text =
                entry.id >= kLanguageFirstMessageId ? LanguageLineBreaks(entry.text) : entry.text;
            PutArrayString(textsArray, entry.id, text.c_str());
        }
    }

    if (shortTextsArray < 0) return 1;
    if (ReadLanguageFile(language, LANGUAGE_FILE_TEXT2, rawArray, lastShortTextId, kLanguageTextMax,
                         &entries) &&
        MakeTextRows(shortTextsArray, lastShortTextId + 1, kLanguageShortRowBytes, false)) {
        for (const LanguageEntry& entry : entries) {
            // A longer text would run on into the rows after its own.
            const std::string text =
                LanguageLineBreaks(entry.text).substr(0, kLanguageShortRowBytes - 1);
            PutArrayString(shortTextsArray, entry.id, text.c_str());
        }
    }
    return 1;
}

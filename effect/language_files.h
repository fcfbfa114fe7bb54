// The interface languages: the six text resources (controls, texts and short texts of English
// and German), how their entries are recognised, and LoadLanguage, which spreads them out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum LanguageFileKind : int32_t {
    LANGUAGE_FILE_CONTROLS = 0,  // captions and item lists, by control number
    LANGUAGE_FILE_TEXT = 1,      // help texts and messages, rows of ARRAY_TEXTS
    LANGUAGE_FILE_TEXT2 = 2,     // short labels and menu texts, rows of ARRAY_SHORT_TEXTS
    LANGUAGE_FILE_KIND_COUNT = 3,
};

enum LanguageId : int32_t {
    LANGUAGE_ENGLISH = 0,
    LANGUAGE_GERMAN = 1,  // any other value selects English
};

constexpr int32_t kLanguageControlTextMax = 1023;  // characters of a CONTROLS text
constexpr int32_t kLanguageTextMax = 511;          // characters of a TEXT or TEXT2 text as read
constexpr int32_t kLanguageTextRowBytes = 512;     // one row of ARRAY_TEXTS
constexpr int32_t kLanguageShortRowBytes = 80;     // one row of ARRAY_SHORT_TEXTS
constexpr int32_t kLanguageLastControlId = 399;
constexpr int32_t kLanguageLastTextId = 415;       // what the language switch passes
constexpr int32_t kLanguageLastShortTextId = 175;  // what the language switch passes
// TEXT entries from this identifier on are messages whose backslashes break lines; below it
// they are help texts whose backslashes stay characters.
constexpr int32_t kLanguageFirstMessageId = 257;

// One recognised entry: its identifier and its text as it stands in the file (bytes of the
// file's code page, backslashes untouched).
struct LanguageEntry {
    int32_t id;
    std::string text;
};

// "ENGLISHCONTROLS.TXT" and the like: the resource of a language and kind.
const char* LanguageResourceName(int32_t language, LanguageFileKind kind);

// The identifier that the up to four characters before the colon at bytes[colon] spell, or -1
// when no digit stands there. Never looks before bytes[0] or across a line end.
int32_t LanguageEntryId(const uint8_t* bytes, size_t colon);

// Every entry of a file with an identifier in 0..lastId, in file order; each text runs from
// after its colon to the line end, cut to maxTextChars. Reads only bytes[0..size).
std::vector<LanguageEntry> ParseLanguageEntries(const uint8_t* bytes, size_t size, int32_t lastId,
                                                int32_t maxTextChars);

// A backslash stands for a line break (a doubled one for an empty line).
std::string LanguageLineBreaks(std::string text);

// Loads the language's CONTROLS file into the control texts (tab controls keep their sheet),
// sets the width control to 128 (German) or 120 (English) dialog units when that file was
// there and widthControl >= 0, then the TEXT file into rows 0..lastTextId of textsArray and,
// unless shortTextsArray < 0, the TEXT2 file into rows 0..lastShortTextId of shortTextsArray.
// rawArray holds each resource while it is read. A missing resource skips its step.
// Returns 1.
int32_t LoadLanguage(int32_t language, int32_t textsArray, int32_t shortTextsArray,
                     int32_t rawArray, int32_t widthControl, int32_t lastTextId,
                     int32_t lastShortTextId);

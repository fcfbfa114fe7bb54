// Expansion of the texts the plug-in shows: character entities, doubled ampersands and the
// "!" escapes that insert facts about the filter, the image and the run.
#pragma once

#include <cstddef>
#include <string>

constexpr size_t kExpandedTextBytes = 1024;  // 1023 bytes of text and a terminator
constexpr size_t kTrimmedTitleBytes = 512;

// Returns the expanded text in a static buffer that the next call overwrites, so callers
// copy it before they expand another text. A null text gives an empty one.
const char* ExpandText(const char* text);

// Each line expanded on its own and the lines joined again: the lines of an item list are
// items, which together may run far past the buffer of one expansion.
std::string ExpandTextLines(const std::string& text);

// The text without a trailing "...", cut to 511 characters, in a static buffer of its own.
const char* TrimEllipsis(const char* text);

// The filter title (text slot 2), or the product name while the effect has not named it.
const char* FilterTitle();

// Expansion of the texts the plug-in shows: entities, doubled ampersands, "!" escapes.
#pragma once

// Returns the expanded text in a static 1024-byte buffer that the next call overwrites.
const char* ExpandText(const char* text);

// The filter title (text slot 2).
const char* FilterTitle();

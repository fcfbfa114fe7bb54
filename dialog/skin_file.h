// "skin.ini": the user's skin choice and dialog colour, kept in the maker's folder under the
// user's application data so that every plug-in of the maker shares one look.
#pragma once

#include <cstdint>
#include <string>

constexpr const char* kSkinFileName = "skin.ini";
constexpr const char* kSkinFileTag = "Skin1.1";
constexpr const char* kOldSkinFileTag = "Skin1.0";  // before "Elements Light" was inserted at 6
constexpr int32_t kSkinChoiceCount = 15;            // items of the skin combo box

// What a skin file holds; a field is false when its line is missing or no number.
struct SkinFileValues {
    bool hasChoice = false;
    int32_t choice = 0;  // skin combo item 0..14
    bool hasColor = false;
    int32_t color = 0;  // COLORREF of the dialog colour control
};

// Reads the file's text: the tag line, then the choice and the colour one a line. A file of
// the old tag gets choices of 6 and up moved one on. Choices outside 0..14 are refused.
SkinFileValues SkinFileParse(const std::string& text);
// The text WriteSkinFile writes: always the current tag.
std::string SkinFileFormat(int32_t choice, int32_t color);
// The file's full path under the given application-data folder.
std::string SkinFilePath(const std::string& appData);

// Sets the skin control and the colour control (value and colour) from "skin.ini"; returns
// the colour, 0 when the file cannot be read. Controls whose line is unusable keep their
// values.
int32_t ReadSkinFile(int32_t skinControl, int32_t colorControl);
// Writes the two controls' values to "skin.ini", making the maker's folder when it is
// missing; 1 when written, 0 when not (the old file then stays as it was).
int32_t WriteSkinFile(int32_t skinControl, int32_t colorControl);

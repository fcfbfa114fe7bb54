// "skin.ini": parsing and formatting its three lines, and reading and writing it in the
// maker's folder under the user's application data.

#include "dialog/skin_file.h"

#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dialog/control_appearance.h"
#include "dialog/control_creation.h"
#include "dialog/control_record.h"
#include "host/effect_context.h"
#include "host/system_calls.h"
#include "host/whole_files.h"

namespace {

constexpr const char* kMakerFolder = "Quillmoor";
// A skin file is three short lines; anything much longer is no file of ours.
constexpr size_t kSkinFileMaxBytes = 4096;
// The tag line is read up to this many characters.
constexpr size_t kTagLineMax = 255;
// The item "Elements Light" was inserted here: old files count the later skins one lower.
constexpr int32_t kInsertedChoice = 6;

// Lines ending in LF, CR LF or CR; only those end characters are removed, so a last line
// without a line end keeps all of its text.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// A whole line read as a decimal int32 (surrounding blanks allowed).
bool ReadNumber(const std::string& line, int32_t* out) {
    const char* start = line.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, 10);
    if (end == start || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end) return false;
    *out = int32_t(value);
    return true;
}

std::string AppDataFolder() {
    char folder[MAX_PATH] = "";
    if (gSystem.appDataFolder(folder) != S_OK || !folder[0]) return {};
    return folder;
}

}  // namespace

SkinFileValues SkinFileParse(const std::string& text) {
    SkinFileValues values;
    const std::vector<std::string> lines = SplitLines(text);
    if (lines.empty()) return values;
    const bool oldFile = lines[0].substr(0, kTagLineMax) == kOldSkinFileTag;
    int32_t number = 0;
    if (lines.size() > 1 && ReadNumber(lines[1], &number)) {
        if (oldFile && number >= kInsertedChoice) ++number;
        if (number >= 0 && number < kSkinChoiceCount) {
            values.hasChoice = true;
            values.choice = number;
        }
    }
    if (lines.size() > 2 && ReadNumber(lines[2], &number)) {
        values.hasColor = true;
        values.color = number;
    }
    return values;
}

std::string SkinFileFormat(int32_t choice, int32_t color) {
    char text[64];
    std::snprintf(text, sizeof text, "%s\n%d\n%d\n", kSkinFileTag, int(choice), int(color));
    return text;
}

std::string SkinFilePath(const std::string& appData) {
    return appData + "\\" + kMakerFolder + "\\" + kSkinFileName;
}

// --- Files ------------------------------------------------------------------------------------

int32_t ReadSkinFile(int32_t skinControl, int32_t colorControl) {
    const std::string appData = AppDataFolder();
    if (appData.empty()) return 0;
    std::string text;
    if (ReadWholeFile(SkinFilePath(appData).c_str(), kSkinFileMaxBytes, &text) != WHOLE_FILE_READ)
        return 0;
    const SkinFileValues values = SkinFileParse(text);
    if (values.hasChoice) SetControlValue(skinControl, values.choice);
    if (!values.hasColor) return 0;
    SetControlValue(colorControl, values.color);
    SetControlColor(colorControl, values.color);
    return values.color;
}

int32_t WriteSkinFile(int32_t skinControl, int32_t colorControl) {
    const std::string appData = AppDataFolder();
    if (appData.empty()) return 0;
    const std::string folder = appData + "\\" + kMakerFolder;
    // The maker's folder is missing on a computer where no plug-in of ours saved data yet.
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return 0;
    const std::string text =
        SkinFileFormat(GetControlValue(skinControl), GetControlValue(colorControl));
    return ReplaceWholeFile(SkinFilePath(appData).c_str(), text) ? 1 : 0;
}

// Property lists: little-endian integers, four-character codes stored as integers, each
// property's data padded to four bytes.

#include "tools/testhost/pipl_reader.h"

#include <cstring>

namespace {
constexpr OSType kVendor = FourCC("8BIM");

const char* const kModeNames[16] = {
    "BitmapMode",    "GrayScaleMode", "IndexedColorMode", "RGBMode",     "CMYKMode",
    "HSLMode",       "HSBMode",       "MultichannelMode", "DuotoneMode", "LabMode",
    "Gray16Mode",    "RGB48Mode",     "Lab48Mode",        "CMYK64Mode",  "DeepMultichannelMode",
    "Duotone16Mode",
};

int32_t ReadInt32(const uint8_t* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                   uint32_t(p[3]) << 24);
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool Fail(std::string* error, const std::string& reason) {
    if (error) *error = reason;
    return false;
}

// A length-prefixed string that must lie inside the property's data.
bool ReadPascal(const std::vector<uint8_t>& data, std::string* text) {
    if (data.empty() || size_t(data[0]) + 1 > data.size()) return false;
    text->assign(reinterpret_cast<const char*>(data.data()) + 1, data[0]);
    return true;
}

// A zero-terminated string that must end inside the property's data.
bool ReadCString(const std::vector<uint8_t>& data, std::string* text) {
    const void* end = memchr(data.data(), 0, data.size());
    if (!end) return false;
    text->assign(reinterpret_cast<const char*>(data.data()),
                 static_cast<const uint8_t*>(end) - data.data());
    return true;
}
}  // namespace

OSType PiplEntryKey() {
#if defined(_WIN64)
    return FourCC("8664");
#else
    return FourCC("wx86");
#endif
}

const PiplProperty* PiplFind(const PiplInfo& info, OSType key) {
    for (const PiplProperty& property : info.properties)
        if (property.vendor == kVendor && property.key == key) return &property;
    return nullptr;
}

bool PiplParseEnableCondition(const std::string& condition, uint32_t* modes) {
    std::string text = Trim(condition);
    if (text == "true") {
        *modes = 0xFFFF;
        return true;
    }
    if (text.compare(0, 2, "in") != 0) return false;
    text = Trim(text.substr(2));
    if (text.size() < 2 || text.front() != '(' || text.back() != ')') return false;
    text = text.substr(1, text.size() - 2);
    std::vector<std::string> words;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        words.push_back(Trim(text.substr(start, comma - start)));
        start = comma + 1;
    }
    if (words.size() < 2 || words[0] != "PSHOP_ImageMode") return false;
    uint32_t result = 0;
    for (size_t i = 1; i < words.size(); ++i) {
        int mode = -1;
        for (int m = 0; m < 16; ++m)
            if (words[i] == kModeNames[m]) mode = m;
        if (mode < 0) return false;
        result |= 1u << mode;
    }
    *modes = result;
    return true;
}

bool PiplParse(const uint8_t* data, size_t size, bool lengthsAsStored, PiplInfo* info,
               std::string* error) {
    *info = PiplInfo();
    if (!data || size < 10) return Fail(error, "property list shorter than its header");
    const int16_t resourceWord = int16_t(data[0] | data[1] << 8);
    const int32_t version = ReadInt32(data + 2);
    const int32_t count = ReadInt32(data + 6);
    if (resourceWord != 1 || version != 0)
        return Fail(error, "property list of an unknown version");
    if (count < 1 || count > 1000) return Fail(error, "property count out of range");
    size_t offset = 10;
    for (int32_t i = 0; i < count; ++i) {
        if (size - offset < 16) return Fail(error, "property header past the end of the list");
        PiplProperty property;
        property.vendor = OSType(ReadInt32(data + offset));
        property.key = OSType(ReadInt32(data + offset + 4));
        property.id = ReadInt32(data + offset + 8);
        const int32_t length = ReadInt32(data + offset + 12);
        offset += 16;
        if (length < 0 || size_t(length) > size - offset)
            return Fail(error, "property data past the end of the list");
        property.data.assign(data + offset, data + offset + length);
        size_t step = lengthsAsStored ? size_t(length) : (size_t(length) + 3) & ~size_t(3);
        if (step > size - offset) step = size - offset;
        offset += step;
        info->properties.push_back(std::move(property));
    }
    return true;
}

bool PiplCheck(PiplInfo* checked, std::string* error) {
    PiplInfo& info = *checked;
    const PiplProperty* kind = PiplFind(info, FourCC("kind"));
    if (!kind || kind->data.size() < 4) return Fail(error, "no plug-in kind");
    info.kind = OSType(ReadInt32(kind->data.data()));
    if (info.kind != FourCC("8BFM")) return Fail(error, "not a filter plug-in");

    const PiplProperty* name = PiplFind(info, FourCC("name"));
    if (!name || !ReadPascal(name->data, &info.name) || info.name.empty())
        return Fail(error, "no menu name");
    const PiplProperty* category = PiplFind(info, FourCC("catg"));
    if (category && !ReadPascal(category->data, &info.category))
        return Fail(error, "unreadable category");

    const PiplProperty* version = PiplFind(info, FourCC("vers"));
    if (version) {
        if (version->data.size() < 4) return Fail(error, "unreadable interface version");
        info.version = uint32_t(ReadInt32(version->data.data()));
        if ((info.version >> 16) > 4) return Fail(error, "interface version newer than 4");
    }

    const PiplProperty* entry = PiplFind(info, PiplEntryKey());
    if (!entry) return Fail(error, "no entry point for this architecture");
    if (!ReadCString(entry->data, &info.entryName) || info.entryName.empty())
        return Fail(error, "unreadable entry point name");

    const PiplProperty* mode = PiplFind(info, FourCC("mode"));
    if (mode) {
        if (mode->data.size() < 2) return Fail(error, "unreadable supported modes");
        info.modeBits = uint16_t(mode->data[0] << 8 | mode->data[1]);
    }
    const PiplProperty* enable = PiplFind(info, FourCC("enbl"));
    if (enable) {
        if (!ReadCString(enable->data, &info.enableCondition) ||
            !PiplParseEnableCondition(info.enableCondition, &info.enabledModes))
            return Fail(error, "unreadable enable condition");
    } else {
        for (int m = 0; m < 16; ++m)
            if (info.modeBits & (0x8000u >> m)) info.enabledModes |= 1u << m;
    }
    if (!info.enabledModes) return Fail(error, "no image mode enabled");

    const PiplProperty* cases = PiplFind(info, FourCC("fici"));
    if (cases) {
        if (cases->data.size() != 28) return Fail(error, "filter case list of the wrong size");
        for (int i = 0; i < 7; ++i) {
            const uint8_t* c = cases->data.data() + 4 * i;
            info.filterCases[i] = {c[0], c[1], c[2], c[3]};
        }
        info.haveFilterCases = true;
    }
    return true;
}

bool PiplReadModule(HMODULE module, bool lengthsAsStored, PiplInfo* info, std::string* error) {
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(16000), "PIPL");
    if (!resource) return Fail(error, "no property list (PIPL 16000)");
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return Fail(error, "property list cannot be loaded");
    if (!PiplParse(static_cast<const uint8_t*>(data), SizeofResource(module, resource),
                   lengthsAsStored, info, error))
        return false;
    return PiplCheck(info, error);
}

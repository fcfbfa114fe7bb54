// What a host reads from the plug-in file before it runs any of its code: the property list,
// the scripting terminology, the string table and the export table; and that the test host
// refuses plug-ins whose property list is wrong.

#include <windows.h>

#include <cstring>
#include <fstream>

#include "foundation/plugin_session.h"
#include "tests/common/test_files.h"

namespace {
// Property data as stored: integers little-endian, four-character codes as integers.
std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    return std::vector<uint8_t>(values.begin(), values.end());
}
std::vector<uint8_t> Code(const char* code) {  // "8BFM" is stored as 'M' 'F' 'B' '8'
    return {uint8_t(code[3]), uint8_t(code[2]), uint8_t(code[1]), uint8_t(code[0])};
}
std::vector<uint8_t> Text(const std::string& text, bool lengthByte, bool terminator) {
    std::vector<uint8_t> bytes;
    if (lengthByte) bytes.push_back(uint8_t(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    if (terminator) bytes.push_back(0);
    return bytes;
}
std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> bytes;
    for (const auto& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}
std::vector<uint8_t> Padded(std::vector<uint8_t> bytes) {
    bytes.resize((bytes.size() + 3) & ~size_t(3), 0);
    return bytes;
}

void PutInt32(std::vector<uint8_t>& out, int32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(value) >> (8 * i)));
}

// A property list as a host reads it. padLengths false stores the unpadded data length.
std::vector<uint8_t> BuildPipl(const std::vector<PiplProperty>& properties, bool padLengths) {
    std::vector<uint8_t> out = {1, 0};
    PutInt32(out, 0);
    PutInt32(out, int32_t(properties.size()));
    for (const PiplProperty& property : properties) {
        PutInt32(out, int32_t(property.vendor));
        PutInt32(out, int32_t(property.key));
        PutInt32(out, property.id);
        std::vector<uint8_t> data = Padded(property.data);
        PutInt32(out, int32_t(padLengths ? data.size() : property.data.size()));
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

std::vector<uint8_t> ResourceBytes(HMODULE module, const char* type, int id) {
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!resource) return {};
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, resource)));
    return std::vector<uint8_t>(data, data + SizeofResource(module, resource));
}

struct DataModule {
    explicit DataModule(const std::string& path) {
        std::string native = path[0] == '/' ? "Z:" + path : path;
        module = LoadLibraryExA(native.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~DataModule() {
        if (module) FreeLibrary(module);
    }
    HMODULE module;
};

TEST(PluginResources, PropertyListHasTheTenPropertiesOfAFilter) {
    DataModule plugin(HostDefaultPluginPath());
    ASSERT_NE(plugin.module, nullptr);
    const std::vector<uint8_t> blob = ResourceBytes(plugin.module, "PIPL", 16000);
    PiplInfo info;
    std::string error;
    ASSERT_TRUE(PiplParse(blob.data(), blob.size(), false, &info, &error)) << error;
#if defined(_WIN64)
    const char* entryKey = "8664";
#else
    const char* entryKey = "wx86";
#endif
    struct Expected {
        const char* key;
        std::vector<uint8_t> data;
    };
    const Expected expected[] = {
        {"kind", Code("8BFM")},
        {"name", Text("Greyloom 2.0...", true, false)},
        {"catg", Text(" Quillmoor", true, false)},
        {"vers", Bytes({0x00, 0x00, 0x04, 0x00})},
        {entryKey, Text("ENTRYPOINT", false, true)},
        {"mode", Bytes({0x10, 0x00, 0x00, 0x00})},
        {"hstm", Join({Bytes({0, 0, 0, 0}), Code("Grlm"), Code("Grlm"), Bytes({0x80, 0x3E}),
                       Text("Quillmoor Lumenvale Greyloom", false, true)})},
        {"flly", Bytes({0x80, 0x00, 0x00, 0x00})},
        {"enbl", Text("in (PSHOP_ImageMode, RGBMode, RGB48Mode)", false, true)},
        {"fici", Bytes({1, 1, 1,  0, 1, 1, 1,  0, 10, 1, 1,  0, 10, 1,
                        3, 0, 10, 1, 3, 0, 10, 1, 1,  0, 10, 1, 1,  0})},
    };
    ASSERT_EQ(info.properties.size(), 10u);
    for (size_t i = 0; i < 10; ++i) {
        const PiplProperty& property = info.properties[i];
        SCOPED_TRACE(expected[i].key);
        EXPECT_EQ(property.vendor, FourCC("8BIM"));
        const std::vector<uint8_t> key = Code(expected[i].key);
        EXPECT_EQ(property.key,
                  OSType(key[0] | key[1] << 8 | key[2] << 16 | uint32_t(key[3]) << 24));
        EXPECT_EQ(property.id, 0);
        // Stored lengths are padded, so hosts that read them as padded agree.
        EXPECT_EQ(property.data, Padded(expected[i].data));
    }
    PiplInfo readAsStored;
    ASSERT_TRUE(PiplParse(blob.data(), blob.size(), true, &readAsStored, &error)) << error;
    ASSERT_TRUE(PiplCheck(&readAsStored, &error)) << error;
    ASSERT_TRUE(PiplCheck(&info, &error)) << error;
    EXPECT_EQ(info.entryName, "ENTRYPOINT");
    EXPECT_EQ(info.enabledModes, (1u << 3) | (1u << 11));
    EXPECT_EQ(readAsStored.enabledModes, info.enabledModes);
}

struct AeteReader {
    const std::vector<uint8_t>& data;
    size_t at = 0;
    bool ok = true;
    int Word() {
        if (at + 2 > data.size()) return ok = false, 0;
        int value = int16_t(data[at] | data[at + 1] << 8);
        at += 2;
        return value;
    }
    std::string Code() {
        if (at + 4 > data.size()) return ok = false, "";
        std::string code = {char(data[at + 3]), char(data[at + 2]), char(data[at + 1]),
                            char(data[at])};
        at += 4;
        return code;
    }
    std::string Pascal() {
        if (at >= data.size() || at + 1 + data[at] > data.size()) return ok = false, "";
        std::string text(reinterpret_cast<const char*>(data.data()) + at + 1, data[at]);
        at += 1 + data[at];
        return text;
    }
    void Align() { at += at & 1; }
};

TEST(PluginResources, TerminologyNamesTheEventAnd256IntegerParameters) {
    DataModule plugin(HostDefaultPluginPath());
    ASSERT_NE(plugin.module, nullptr);
    const std::vector<uint8_t> blob = ResourceBytes(plugin.module, "AETE", 16000);
    ASSERT_FALSE(blob.empty());
    AeteReader r{blob};
    EXPECT_EQ(r.Word(), 1);
    EXPECT_EQ(r.Word(), 0x0001);  // version 1.0: major byte 1, minor byte 0
    r.Word();                     // language
    r.Word();                     // script
    ASSERT_EQ(r.Word(), 1);       // suites
    EXPECT_EQ(r.Pascal(), " Quillmoor");
    EXPECT_EQ(r.Pascal(), "B&W Effects");
    r.Align();
    EXPECT_EQ(r.Code(), "Grlm");
    EXPECT_EQ(r.Word(), 1);  // level
    EXPECT_EQ(r.Word(), 1);  // version
    ASSERT_EQ(r.Word(), 1);  // events
    EXPECT_EQ(r.Pascal(), "Greyloom 2.0");
    EXPECT_EQ(r.Pascal(), "B&W Effects");
    r.Align();
    EXPECT_EQ(r.Code(), "Grlm");  // class
    EXPECT_EQ(r.Code(), "Grlm");  // id
    EXPECT_EQ(r.Code(), "null");  // no reply
    r.Pascal();
    r.Align();
    r.Word();
    EXPECT_EQ(r.Code(), "#ImR");  // direct parameter: an image reference
    r.Pascal();
    r.Align();
    r.Word();
    ASSERT_EQ(r.Word(), 256);
    for (int n = 0; n < 256 && r.ok; ++n) {
        char name[8], key[8];
        snprintf(name, sizeof name, "ctl%03d", n);
        snprintf(key, sizeof key, "0%03d", n);
        EXPECT_EQ(r.Pascal(), name);
        r.Align();
        EXPECT_EQ(r.Code(), key);
        EXPECT_EQ(r.Code(), "long");
        r.Pascal();
        r.Align();
        r.Word();
    }
    EXPECT_EQ(r.Word(), 0);  // classes
    EXPECT_EQ(r.Word(), 0);  // comparison operators
    EXPECT_EQ(r.Word(), 0);  // enumerations
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.at, blob.size());
}

TEST(PluginResources, StringTableHoldsTheHostMessages) {
    DataModule plugin(HostDefaultPluginPath());
    ASSERT_NE(plugin.module, nullptr);
    struct Case {
        UINT id;
        const char* text;
    };
    const Case cases[] = {
        {2, "Quillmoor"},
        {16502,
         "Could not complete your request because of a problem with the filter module interface."},
        {16999, "This plug-in requires Adobe Photoshop 2.5.2 or later functionality"},
    };
    for (const Case& c : cases) {
        char text[256] = "";
        EXPECT_GT(LoadStringA(plugin.module, c.id, text, sizeof text), 0) << c.id;
        EXPECT_STREQ(text, c.text);
    }
    for (UINT id : {16500u, 16501u, 16996u}) {
        char text[256] = "";
        EXPECT_GT(LoadStringA(plugin.module, id, text, sizeof text), 0) << id;
    }
}

TEST(PluginResources, ExportsOnlyEntrypointAtOrdinalOne) {
    auto session = OpenShippedPlugin();
    ASSERT_NE(session->module, nullptr);
    const auto* base = reinterpret_cast<const uint8_t*>(session->module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(directory.VirtualAddress, 0u);
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    EXPECT_EQ(exports->Base, 1u);
    EXPECT_EQ(exports->NumberOfFunctions, 1u);
    ASSERT_EQ(exports->NumberOfNames, 1u);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    EXPECT_STREQ(reinterpret_cast<const char*>(base + names[0]), "ENTRYPOINT");
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(session->module, MAKEINTRESOURCEA(1))),
              reinterpret_cast<void*>(session->entry));
}

// The shipped plug-in's property list, parsed (and its bytes when asked); false when it
// cannot be read.
bool ShippedPipl(PiplInfo* info, std::vector<uint8_t>* bytes = nullptr) {
    DataModule plugin(HostDefaultPluginPath());
    if (!plugin.module) return false;
    const std::vector<uint8_t> shipped = ResourceBytes(plugin.module, "PIPL", 16000);
    if (bytes) *bytes = shipped;
    std::string error;
    return PiplParse(shipped.data(), shipped.size(), false, info, &error);
}

// The properties of a list with one property's data replaced.
std::vector<PiplProperty> WithProperty(const PiplInfo& original, OSType key,
                                       const std::vector<uint8_t>& data) {
    std::vector<PiplProperty> properties = original.properties;
    for (PiplProperty& property : properties)
        if (property.key == key) property.data = data;
    return properties;
}

TEST(PiplReader, RefusesPropertyListsAHostCannotUse) {
    PiplInfo original;
    std::vector<uint8_t> shipped;
    ASSERT_TRUE(ShippedPipl(&original, &shipped));
    std::string error;
    auto replace = [&](OSType key, std::vector<uint8_t> data) {
        return WithProperty(original, key, data);
    };
    auto without = [&](OSType key) {
        std::vector<PiplProperty> properties;
        for (const PiplProperty& property : original.properties)
            if (property.key != key) properties.push_back(property);
        return properties;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> blob;
        bool readAsStored;
        const char* reason;  // null: accepted
    };
    // A list whose writer stored the unpadded lengths of odd-sized data.
    auto property = [](const char* key, std::vector<uint8_t> data) {
        const std::vector<uint8_t> code = Code(key);
        return PiplProperty{
            FourCC("8BIM"),
            OSType(code[0] | code[1] << 8 | code[2] << 16 | uint32_t(code[3]) << 24), 0,
            std::move(data)};
    };
#if defined(_WIN64)
    const char* entryKey = "8664";
#else
    const char* entryKey = "wx86";
#endif
    const std::vector<PiplProperty> oddSized = {
        property("kind", Code("8BFM")), property("name", Text("Odd", true, false)),
        property(entryKey, Text("ENTRYPOINT", false, true)), property("mode", Bytes({0x10, 0}))};
    std::vector<uint8_t> truncated = shipped;
    truncated.resize(shipped.size() - 8);
    std::vector<uint8_t> wrongCount = shipped;
    wrongCount[6] = 11;
    const Case cases[] = {
        {"as built", BuildPipl(original.properties, true), false, nullptr},
        {"as built, read as stored", BuildPipl(original.properties, true), true, nullptr},
        {"unpadded lengths", BuildPipl(oddSized, false), false, nullptr},
        {"unpadded lengths, read as stored", BuildPipl(oddSized, false), true, ""},
        {"padded lengths, read as stored", BuildPipl(oddSized, true), true, nullptr},
        {"not a filter", BuildPipl(replace(FourCC("kind"), Code("8BIF")), true), false,
         "not a filter plug-in"},
        {"no entry point here", BuildPipl(without(PiplEntryKey()), true), false,
         "no entry point for this architecture"},
        {"no name", BuildPipl(without(FourCC("name")), true), false, "no menu name"},
        {"newer interface", BuildPipl(replace(FourCC("vers"), Bytes({0, 0, 5, 0})), true), false,
         "interface version newer than 4"},
        {"garbled enable condition",
         BuildPipl(replace(FourCC("enbl"), Text("in (RGB", false, true)), true), false,
         "unreadable enable condition"},
        {"six filter cases", BuildPipl(replace(FourCC("fici"), std::vector<uint8_t>(24, 1)), true),
         false, "filter case list of the wrong size"},
        {"truncated", truncated, false, "past the end"},
        {"count too high", wrongCount, false, "past the end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PiplInfo info;
        error.clear();
        const bool accepted =
            PiplParse(c.blob.data(), c.blob.size(), c.readAsStored, &info, &error) &&
            PiplCheck(&info, &error);
        EXPECT_EQ(accepted, c.reason == nullptr) << error;
        if (c.reason) {
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        }
    }
}

BOOL CALLBACK FirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR out) {
    *reinterpret_cast<WORD*>(out) = language;
    return FALSE;
}

// A copy of the shipped plug-in with another property list, made with the system's own
// resource updater.
std::string PatchedPluginCopy(const std::vector<uint8_t>& pipl, const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + name;
    std::string source = HostDefaultPluginPath();
    if (source[0] == '/') source = "Z:" + source;
    if (!CopyFileA(source.c_str(), path.c_str(), FALSE)) return "";
    WORD language = 0;
    {
        DataModule plugin(path);
        EnumResourceLanguagesA(plugin.module, "PIPL", MAKEINTRESOURCEA(16000), FirstLanguage,
                               reinterpret_cast<LONG_PTR>(&language));
    }
    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    if (!update) return "";
    UpdateResourceA(update, "PIPL", MAKEINTRESOURCEA(16000), language,
                    const_cast<uint8_t*>(pipl.data()), DWORD(pipl.size()));
    return EndUpdateResourceA(update, FALSE) ? path : "";
}

TEST(PiplReader, HostRefusesToLoadOrRunPluginsWithWrongLists) {
    PiplInfo original;
    ASSERT_TRUE(ShippedPipl(&original));
    std::string error;
    auto with = [&](OSType key, std::vector<uint8_t> data) {
        return BuildPipl(WithProperty(original, key, data), true);
    };
    struct Case {
        const char* file;
        std::vector<uint8_t> pipl;
        bool loads;
        const char* reason;
    };
    std::vector<uint8_t> cannotFilterCase1(28, 1);
    cannotFilterCase1[0] = 0;
    const Case cases[] = {
        {"gl-kind.8bf", with(FourCC("kind"), Code("8BIF")), false, "not a filter plug-in"},
        {"gl-entry.8bf", with(PiplEntryKey(), Text("NoSuchEntry", false, true)), false,
         "entry point NoSuchEntry not exported"},
        {"gl-cmyk.8bf", with(FourCC("enbl"), Text("in (PSHOP_ImageMode, CMYKMode)", false, true)),
         true, "not enabled in image mode 3"},
        {"gl-case.8bf", with(FourCC("fici"), cannotFilterCase1), true, "cannot filter case 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string path = PatchedPluginCopy(c.pipl, c.file);
        ASSERT_FALSE(path.empty());
        {
            HostSession session;
            EXPECT_EQ(HostLoadPlugin(session, path), c.loads);
            if (c.loads) {
                ASSERT_TRUE(HostSetImage(session, GradientImage(8, 8, 3, 8)));
                EXPECT_EQ(HostRunFilter(session, false), HOST_BAD_MODE);
                EXPECT_TRUE(session.log.selectors.empty());
            }
            ASSERT_FALSE(session.log.notes.empty());
            EXPECT_NE(session.log.notes.back().find(c.reason), std::string::npos)
                << session.log.notes.back();
        }
        DeleteFileA(path.c_str());
    }
}

TEST(PiplReader, HostRefusesThePluginOfTheOtherArchitecture) {
#if defined(_WIN64)
    const std::string other = BinFile("../../x86/bin/Greyloom32.8bf");
#else
    const std::string other = BinFile("../../x64/bin/Greyloom64.8bf");
#endif
    if (!std::ifstream(other[0] == '/' ? "Z:" + other : other))
        GTEST_SKIP() << "the other architecture is not built";
    HostSession session;
    EXPECT_FALSE(HostLoadPlugin(session, other));
    ASSERT_FALSE(session.log.notes.empty());
    EXPECT_NE(session.log.notes.back().find("no entry point for this architecture"),
              std::string::npos)
        << session.log.notes.back();
    EXPECT_EQ(session.module, nullptr);
}
}  // namespace

// Scripting descriptors: the read and write procedures the plug-in uses to replay and record
// its settings, descriptors kept in host handles, and descriptor files.
//
// A descriptor file has one item per line: KEY TYPE VALUE, where KEY is the four-character
// key (or 0xXXXXXXXX when it is not printable), TYPE is long, doub, bool or TEXT, and a
// text VALUE is quoted with \\, \" and \xHH escapes. Lines starting with # are comments.

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tools/testhost/host_internal.h"

namespace {
constexpr uint32_t kHandleFormat = 0x53444C47;  // "GLDS"
constexpr OSErr kWrongType = -1703;
constexpr OSErr kNoValue = -1715;
constexpr OSErr kUnsupported = -30900;

struct DescriptorReader {
    Descriptor items;
    size_t next = 0;
    const DescriptorItem* current = nullptr;
    OSErr error = 0;
};
struct DescriptorWriter {
    Descriptor items;
};

DescriptorItem MakeItem(DescriptorKeyID key, DescriptorType type) {
    DescriptorItem item;
    item.key = key;
    item.type = type;
    return item;
}

void Append(std::string& out, const void* data, size_t size) {
    out.append(static_cast<const char*>(data), size);
}

template <typename T>
bool Take(const char*& at, const char* end, T* value) {
    if (size_t(end - at) < sizeof(T)) return false;
    memcpy(value, at, sizeof(T));
    at += sizeof(T);
    return true;
}

// Reads need the current item to have the expected type; a failure sticks to the reader.
const DescriptorItem* Current(ReadDescriptorRef token, DescriptorType type) {
    auto* reader = static_cast<DescriptorReader*>(token);
    if (!reader) return nullptr;
    if (!reader->current) {
        reader->error = kNoValue;
        return nullptr;
    }
    if (reader->current->type != type) {
        reader->error = kWrongType;
        return nullptr;
    }
    return reader->current;
}

ReadDescriptorRef HOSTAPI OpenRead(HostHandle descriptor, DescriptorKeyIDArray) {
    HostSession* session = gHostSession;
    if (!session || !descriptor) return nullptr;
    auto* reader = new DescriptorReader;
    if (!DescriptorFromHandle(*session, descriptor, &reader->items)) {
        delete reader;
        return nullptr;
    }
    return reader;
}

OSErr HOSTAPI CloseRead(ReadDescriptorRef token) {
    auto* reader = static_cast<DescriptorReader*>(token);
    if (!reader) return HOST_BAD_PARAMETERS;
    OSErr error = reader->error;
    delete reader;
    return error;
}

HostBoolean HOSTAPI GetKey(ReadDescriptorRef token, DescriptorKeyID* key, DescriptorType* type,
                           int32_t* flags) {
    auto* reader = static_cast<DescriptorReader*>(token);
    if (!reader || reader->next >= reader->items.size()) return 0;
    reader->current = &reader->items[reader->next++];
    if (key) *key = reader->current->key;
    if (type) *type = reader->current->type;
    if (flags) *flags = 0;
    return 1;
}

OSErr HOSTAPI GetInteger(ReadDescriptorRef token, int32_t* value) {
    const DescriptorItem* item = Current(token, DESC_TYPE_INTEGER);
    if (!item)
        return token ? static_cast<DescriptorReader*>(token)->error : OSErr(HOST_BAD_PARAMETERS);
    if (value) *value = item->integer;
    return 0;
}

OSErr HOSTAPI GetFloat(ReadDescriptorRef token, void* value) {
    const DescriptorItem* item = Current(token, DESC_TYPE_FLOAT);
    if (!item)
        return token ? static_cast<DescriptorReader*>(token)->error : OSErr(HOST_BAD_PARAMETERS);
    if (value) *static_cast<double*>(value) = item->number;
    return 0;
}

OSErr HOSTAPI GetBoolean(ReadDescriptorRef token, void* value) {
    const DescriptorItem* item = Current(token, DESC_TYPE_BOOLEAN);
    if (!item)
        return token ? static_cast<DescriptorReader*>(token)->error : OSErr(HOST_BAD_PARAMETERS);
    if (value) *static_cast<HostBoolean*>(value) = item->integer ? 1 : 0;
    return 0;
}

OSErr HOSTAPI GetText(ReadDescriptorRef token, HostHandle* text) {
    const DescriptorItem* item = Current(token, DESC_TYPE_TEXT);
    if (!item)
        return token ? static_cast<DescriptorReader*>(token)->error : OSErr(HOST_BAD_PARAMETERS);
    if (!text || !gHostSession) return HOST_BAD_PARAMETERS;
    *text = HostNewHandle(*gHostSession, int32_t(item->text.size()));
    memcpy(static_cast<HostHandleRecord*>(*text)->data, item->text.data(), item->text.size());
    return 0;
}

// Into a length-prefixed string of at most 255 characters.
OSErr HOSTAPI GetString(ReadDescriptorRef token, void* value) {
    const DescriptorItem* item = Current(token, DESC_TYPE_TEXT);
    if (!item)
        return token ? static_cast<DescriptorReader*>(token)->error : OSErr(HOST_BAD_PARAMETERS);
    if (!value) return HOST_BAD_PARAMETERS;
    auto* out = static_cast<uint8_t*>(value);
    size_t length = item->text.size() > 255 ? 255 : item->text.size();
    out[0] = uint8_t(length);
    memcpy(out + 1, item->text.data(), length);
    return 0;
}

OSErr HOSTAPI UnsupportedRead(ReadDescriptorRef token, void*) {
    if (auto* reader = static_cast<DescriptorReader*>(token)) reader->error = kUnsupported;
    return kUnsupported;
}

WriteDescriptorRef HOSTAPI OpenWrite() {
    return new DescriptorWriter;
}

OSErr HOSTAPI CloseWrite(WriteDescriptorRef token, HostHandle* descriptor) {
    auto* writer = static_cast<DescriptorWriter*>(token);
    if (!writer) return HOST_BAD_PARAMETERS;
    OSErr result = 0;
    if (descriptor && gHostSession)
        *descriptor = DescriptorToHandle(*gHostSession, writer->items);
    else
        result = HOST_BAD_PARAMETERS;
    delete writer;
    return result;
}

OSErr Put(WriteDescriptorRef token, DescriptorItem item) {
    auto* writer = static_cast<DescriptorWriter*>(token);
    if (!writer) return HOST_BAD_PARAMETERS;
    writer->items.push_back(std::move(item));
    return 0;
}

OSErr HOSTAPI PutInteger(WriteDescriptorRef token, DescriptorKeyID key, int32_t value) {
    DescriptorItem item = MakeItem(key, DESC_TYPE_INTEGER);
    item.integer = value;
    return Put(token, item);
}

OSErr HOSTAPI PutFloat(WriteDescriptorRef token, DescriptorKeyID key, const void* value) {
    if (!value) return HOST_BAD_PARAMETERS;
    DescriptorItem item = MakeItem(key, DESC_TYPE_FLOAT);
    item.number = *static_cast<const double*>(value);
    return Put(token, item);
}

OSErr HOSTAPI PutBoolean(WriteDescriptorRef token, DescriptorKeyID key, HostBoolean value) {
    DescriptorItem item = MakeItem(key, DESC_TYPE_BOOLEAN);
    item.integer = value ? 1 : 0;
    return Put(token, item);
}

OSErr HOSTAPI PutText(WriteDescriptorRef token, DescriptorKeyID key, HostHandle text) {
    HostHandleRecord* record = gHostSession ? HostHandleLookup(*gHostSession, text) : nullptr;
    if (!record) return HOST_MISSING_HANDLE;
    DescriptorItem item = MakeItem(key, DESC_TYPE_TEXT);
    item.text.assign(record->data, size_t(record->size));
    return Put(token, item);
}

OSErr HOSTAPI PutString(WriteDescriptorRef token, DescriptorKeyID key, const void* value) {
    if (!value) return HOST_BAD_PARAMETERS;
    const auto* text = static_cast<const uint8_t*>(value);
    DescriptorItem item = MakeItem(key, DESC_TYPE_TEXT);
    item.text.assign(reinterpret_cast<const char*>(text) + 1, text[0]);
    return Put(token, item);
}

OSErr HOSTAPI UnsupportedWrite(WriteDescriptorRef, DescriptorKeyID, const void*) {
    return kUnsupported;
}

std::string QuoteText(const std::string& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\x%02X", c);
            quoted += escape;
        } else {
            quoted += char(c);
        }
    }
    return quoted + "\"";
}

bool UnquoteText(const std::string& quoted, std::string* text) {
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return false;
    const std::string body = quoted.substr(1, quoted.size() - 2);
    text->clear();
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '"') return false;
        if (body[i] != '\\') {
            *text += body[i];
            continue;
        }
        if (++i >= body.size()) return false;
        if (body[i] != 'x') {
            *text += body[i];
            continue;
        }
        if (i + 2 >= body.size() || !isxdigit(uint8_t(body[i + 1])) ||
            !isxdigit(uint8_t(body[i + 2])))
            return false;
        *text += char(strtoul(body.substr(i + 1, 2).c_str(), nullptr, 16));
        i += 2;
    }
    return true;
}

bool ParseKey(const std::string& word, DescriptorKeyID* key) {
    if (word.size() == 10 && word.compare(0, 2, "0x") == 0) {
        unsigned long value = 0;
        char* end = nullptr;
        value = strtoul(word.c_str() + 2, &end, 16);
        if (*end) return false;
        *key = DescriptorKeyID(value);
        return true;
    }
    if (word.size() != 4) return false;
    *key = 0;
    for (char c : word) *key = *key << 8 | uint8_t(c);
    return true;
}
}  // namespace

std::string DescriptorKeyText(DescriptorKeyID key) {
    std::string text = HostFourCCText(key);
    for (char c : text)
        if (c <= ' ' || c >= 0x7F || c == '#' || c == '"') {
            char hex[12];
            snprintf(hex, sizeof hex, "0x%08X", unsigned(key));
            return hex;
        }
    return text;
}

void HostInstallDescriptorProcs(HostSession& session) {
    ReadDescriptorProcs& read = session.readProcs;
    memset(&read, 0, sizeof read);
    read.readDescriptorProcsVersion = 0;
    read.numReadDescriptorProcs = 18;
    read.openReadDescriptorProc = OpenRead;
    read.closeReadDescriptorProc = CloseRead;
    read.getKeyProc = GetKey;
    read.getIntegerProc = GetInteger;
    read.getFloatProc = GetFloat;
    read.getUnitFloatProc = UnsupportedRead;
    read.getBooleanProc = GetBoolean;
    read.getTextProc = GetText;
    read.getAliasProc = UnsupportedRead;
    read.getEnumeratedProc = UnsupportedRead;
    read.getClassProc = UnsupportedRead;
    read.getSimpleReferenceProc = UnsupportedRead;
    read.getObjectProc = UnsupportedRead;
    read.getCountProc = UnsupportedRead;
    read.getStringProc = GetString;
    read.getPinnedIntegerProc = UnsupportedRead;
    read.getPinnedFloatProc = UnsupportedRead;
    read.getPinnedUnitFloatProc = UnsupportedRead;

    WriteDescriptorProcs& write = session.writeProcs;
    memset(&write, 0, sizeof write);
    write.writeDescriptorProcsVersion = 0;
    write.numWriteDescriptorProcs = 16;
    write.openWriteDescriptorProc = OpenWrite;
    write.closeWriteDescriptorProc = CloseWrite;
    write.putIntegerProc = PutInteger;
    write.putFloatProc = PutFloat;
    write.putUnitFloatProc = UnsupportedWrite;
    write.putBooleanProc = reinterpret_cast<UnusedWriteProc>(reinterpret_cast<void*>(PutBoolean));
    write.putTextProc = PutText;
    write.putAliasProc = UnsupportedWrite;
    write.putEnumeratedProc = UnsupportedWrite;
    write.putClassProc = UnsupportedWrite;
    write.putSimpleReferenceProc = UnsupportedWrite;
    write.putObjectProc = UnsupportedWrite;
    write.putCountProc = UnsupportedWrite;
    write.putStringProc = PutString;
    write.putScopedClassProc = UnsupportedWrite;
    write.putScopedObjectProc = UnsupportedWrite;

    const HostOptions& options = session.options;
    DescriptorParameters& parameters = session.descriptorParameters;
    parameters.descriptorParametersVersion = 0;
    parameters.playInfo = options.playInfo;
    parameters.recordInfo = options.recordInfo;
    parameters.descriptor = nullptr;
    parameters.readDescriptorProcs = options.noReadDescriptorProcs ? nullptr : &read;
    parameters.writeDescriptorProcs = options.noWriteDescriptorProcs ? nullptr : &write;
    session.record.descriptorParameters = options.noDescriptorParameters ? nullptr : &parameters;
}

HostHandle DescriptorToHandle(HostSession& session, const Descriptor& descriptor) {
    std::string bytes;
    const uint32_t header[2] = {kHandleFormat, uint32_t(descriptor.size())};
    Append(bytes, header, sizeof header);
    for (const DescriptorItem& item : descriptor) {
        const uint32_t length = uint32_t(item.text.size());
        Append(bytes, &item.key, 4);
        Append(bytes, &item.type, 4);
        Append(bytes, &item.integer, 4);
        Append(bytes, &item.number, 8);
        Append(bytes, &length, 4);
        Append(bytes, item.text.data(), length);
    }
    HostHandle handle = HostNewHandle(session, int32_t(bytes.size()));
    memcpy(static_cast<HostHandleRecord*>(handle)->data, bytes.data(), bytes.size());
    return handle;
}

bool DescriptorFromHandle(HostSession& session, HostHandle handle, Descriptor* descriptor) {
    HostHandleRecord* record = HostHandleLookup(session, handle);
    if (!record) {
        HostNote(session, "the descriptor is not a handle of this host");
        return false;
    }
    const char* at = record->data;
    const char* end = at + record->size;
    uint32_t header[2];
    if (!Take(at, end, &header) || header[0] != kHandleFormat) return false;
    descriptor->clear();
    for (uint32_t i = 0; i < header[1]; ++i) {
        DescriptorItem item = MakeItem(0, 0);
        uint32_t length = 0;
        if (!Take(at, end, &item.key) || !Take(at, end, &item.type) ||
            !Take(at, end, &item.integer) || !Take(at, end, &item.number) ||
            !Take(at, end, &length) || length > size_t(end - at))
            return false;
        item.text.assign(at, length);
        at += length;
        descriptor->push_back(std::move(item));
    }
    return true;
}

bool DescriptorSaveFile(const Descriptor& descriptor, const std::string& path) {
    std::ofstream file(HostNativePath(path), std::ios::binary | std::ios::trunc);
    file << "# Greyloom test host descriptor: key type value\n";
    for (const DescriptorItem& item : descriptor) {
        file << DescriptorKeyText(item.key) << ' ';
        if (item.type == DESC_TYPE_INTEGER) {
            file << "long " << item.integer;
        } else if (item.type == DESC_TYPE_FLOAT) {
            char number[40];
            snprintf(number, sizeof number, "%.17g", item.number);
            file << "doub " << number;
        } else if (item.type == DESC_TYPE_BOOLEAN) {
            file << "bool " << (item.integer ? 1 : 0);
        } else {
            file << "TEXT " << QuoteText(item.text);
        }
        file << '\n';
    }
    return bool(file);
}

bool DescriptorLoadFile(const std::string& path, Descriptor* descriptor, std::string* error) {
    std::ifstream file(HostNativePath(path), std::ios::binary);
    if (!file) {
        if (error) *error = "cannot open " + path;
        return false;
    }
    descriptor->clear();
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string keyWord, typeWord;
        words >> keyWord >> typeWord;
        std::string rest;
        std::getline(words, rest);
        rest.erase(0, rest.find_first_not_of(' '));
        DescriptorItem item = MakeItem(0, 0);
        bool valid = ParseKey(keyWord, &item.key);
        char* end = nullptr;
        if (typeWord == "long") {
            item.type = DESC_TYPE_INTEGER;
            long value = strtol(rest.c_str(), &end, 10);
            valid = valid && !rest.empty() && !*end;
            item.integer = int32_t(value);
        } else if (typeWord == "doub") {
            item.type = DESC_TYPE_FLOAT;
            item.number = strtod(rest.c_str(), &end);
            valid = valid && !rest.empty() && !*end;
        } else if (typeWord == "bool") {
            item.type = DESC_TYPE_BOOLEAN;
            valid = valid && (rest == "0" || rest == "1");
            item.integer = rest == "1";
        } else if (typeWord == "TEXT") {
            item.type = DESC_TYPE_TEXT;
            valid = valid && UnquoteText(rest, &item.text);
        } else {
            valid = false;
        }
        if (!valid) {
            if (error) *error = path + ":" + std::to_string(number) + ": unreadable item";
            return false;
        }
        descriptor->push_back(std::move(item));
    }
    return true;
}

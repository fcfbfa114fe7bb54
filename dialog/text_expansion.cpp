// Text expansion: one walk over the text that turns named and numeric character entities into
// Windows-1252 bytes, "&&" into "&" and the "!" escapes into facts about the filter and run.

#include "dialog/text_expansion.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "host/effect_context.h"
#include "host/parameter_block.h"
#include "host/plugin_data.h"
#include "host/text_format.h"

namespace {

// Named entities: the name after "&" with its closing ";", and the bytes it stands for
// (an empty text for the entities that vanish).
struct NamedEntity {
    const char* name;
    const char* bytes;
};

const NamedEntity kNamedEntities[] = {
    {"AElig;", "\xC6"},
    {"Aacute;", "\xC1"},
    {"Acirc;", "\xC2"},
    {"Agrave;", "\xC0"},
    {"Alpha;", "\x41"},
    {"Aring;", "\xC5"},
    {"Atilde;", "\xC3"},
    {"Auml;", "\xC4"},
    {"BEL;", "\x07"},
    {"BS;", "\x08"},
    {"Beta;", "\x42"},
    {"CR;", "\x0D"},
    {"CRLF;", "\x0D\x0A"},
    {"Ccedil;", "\xC7"},
    {"Chi;", "\x58"},
    {"Colon;", "\x3A\x3A"},
    {"Dagger;", "\x87"},
    {"ESC;", "\x1B"},
    {"ETH;", "\xD0"},
    {"Eacute;", "\xC9"},
    {"Ecirc;", "\xCA"},
    {"Egrave;", "\xC8"},
    {"Epsilon;", "\x45"},
    {"Eta;", "\x48"},
    {"Euml;", "\xCB"},
    {"Exclam;", "\x13"},
    {"FF;", "\x0C"},
    {"HT;", "\x09"},
    {"Iacute;", "\xCD"},
    {"Icirc;", "\xCE"},
    {"Igrave;", "\xCC"},
    {"Iota;", "\x49"},
    {"Iuml;", "\xCF"},
    {"Kappa;", "\x4B"},
    {"LF;", "\x0A"},
    {"Mu;", "\x4D"},
    {"Ntilde;", "\xD1"},
    {"Nu;", "\x4E"},
    {"OElig;", "\x8C"},
    {"Oacute;", "\xD3"},
    {"Ocirc;", "\xD4"},
    {"Ograve;", "\xD2"},
    {"Omicron;", "\x4F"},
    {"Oslash;", "\xD8"},
    {"Otilde;", "\xD5"},
    {"Ouml;", "\xD6"},
    {"Prime;", "\x22"},
    {"Rho;", "\x50"},
    {"Scaron;", "\x8A"},
    {"THORN;", "\xDE"},
    {"Tau;", "\x54"},
    {"Uacute;", "\xDA"},
    {"Ucirc;", "\xDB"},
    {"Ugrave;", "\xD9"},
    {"Upsilon;", "\x59"},
    {"Uuml;", "\xDC"},
    {"VT;", "\x0B"},
    {"Yacute;", "\xDD"},
    {"Yuml;", "\x9F"},
    {"Zcaron;", "\x8E"},
    {"Zeta;", "\x5A"},
    {"aacute;", "\xE1"},
    {"acirc;", "\xE2"},
    {"acute;", "\xB4"},
    {"aelig;", "\xE6"},
    {"agrave;", "\xE0"},
    {"amp;", "\x26"},
    {"apos;", "\x27"},
    {"aring;", "\xE5"},
    {"atilde;", "\xE3"},
    {"auml;", "\xE4"},
    {"bdquo;", "\x84"},
    {"beta;", "\xDF"},
    {"blk14;", "\x0F"},
    {"boxdl;", "\x02"},
    {"boxdr;", "\x01"},
    {"boxh;", "\x06"},
    {"boxhd;", "\x16"},
    {"boxhu;", "\x15"},
    {"boxul;", "\x04"},
    {"boxur;", "\x03"},
    {"boxv;", "\x05"},
    {"boxvh;", "\x10"},
    {"boxvl;", "\x17"},
    {"boxvr;", "\x19"},
    {"brvbar;", "\xA6"},
    {"bull;", "\x95"},
    {"bull2;", "\x07"},
    {"bull3;", "\x7F"},
    {"bull4;", "\x81"},
    {"ccedil;", "\xE7"},
    {"cedil;", "\xB8"},
    {"cent;", "\xA2"},
    {"circ;", "\x88"},
    {"colone;", "\x3A\x3D"},
    {"copy;", "\xA9"},
    {"crarr;", "\x11\x04"},
    {"curren;", "\xA4"},
    {"dagger;", "\x86"},
    {"deg;", "\xB0"},
    {"divide;", "\xF7"},
    {"eacute;", "\xE9"},
    {"ecirc;", "\xEA"},
    {"egrave;", "\xE8"},
    {"empty;", "\xD8"},
    {"emsp;", "\x20"},
    {"ensp;", "\x20"},
    {"eth;", "\xF0"},
    {"euml;", "\xEB"},
    {"euro;", "\x80"},
    {"female;", "\x0C"},
    {"fnof;", "\x83"},
    {"frac12;", "\xBD"},
    {"frac14;", "\xBC"},
    {"frac34;", "\xBE"},
    {"frasl;", "\x2F"},
    {"ge;", "\x3E\x3D"},
    {"gt;", "\x3E"},
    {"hellip;", "\x85"},
    {"iacute;", "\xED"},
    {"ibull2;", "\x08"},
    {"icirc;", "\xEE"},
    {"iexcl;", "\xA1"},
    {"igrave;", "\xEC"},
    {"image;", "\x49"},
    {"iquest;", "\xBF"},
    {"iuml;", "\xEF"},
    {"laquo;", "\xAB"},
    {"larr;", "\x1B"},
    {"ldquo;", "\x93"},
    {"le;", "\x3C\x3D"},
    {"lowast;", "\x2A"},
    {"lsaquo;", "\x8B"},
    {"lsquo;", "\x91"},
    {"lt;", "\x3C"},
    {"ltrif;", "\x11"},
    {"macr;", "\xAF"},
    {"male;", "\x0B"},
    {"mdash;", "\x97"},
    {"micro;", "\xB5"},
    {"middot;", "\xB7"},
    {"minus;", "\x96"},
    {"mu;", "\xB5"},
    {"nbsp;", "\xA0"},
    {"ndash;", "\x96"},
    {"ne;", "\x21\x3D"},
    {"not;", "\xAC"},
    {"ntilde;", "\xF1"},
    {"oacute;", "\xF3"},
    {"ocirc;", "\xF4"},
    {"oelig;", "\x9C"},
    {"ograve;", "\xF2"},
    {"oline;", "\xAF"},
    {"omicron;", "\x6F"},
    {"ordf;", "\xAA"},
    {"ordm;", "\xBA"},
    {"oslash;", "\xF8"},
    {"otilde;", "\xF5"},
    {"ouml;", "\xF6"},
    {"para;", "\xB6"},
    {"permil;", "\x89"},
    {"pilcrow;", "\x14"},
    {"plusmn;", "\xB1"},
    {"pound;", "\xA3"},
    {"prime;", "\x27"},
    {"quot;", "\x22"},
    {"raquo;", "\xBB"},
    {"rarr;", "\x1A"},
    {"rdquo;", "\x94"},
    {"real;", "\x52"},
    {"reg;", "\xAE"},
    {"rsaquo;", "\x9B"},
    {"rsquo;", "\x92"},
    {"sbquo;", "\x82"},
    {"scaron;", "\x9A"},
    {"sdot;", "\xB7"},
    {"sect;", "\xA7"},
    {"shy;", ""},
    {"sim;", "\x7E"},
    {"sup0;", "\xBA"},
    {"sup1;", "\xB9"},
    {"sup2;", "\xB2"},
    {"sup3;", "\xB3"},
    {"szlig;", "\xDF"},
    {"thinsp;", "\x20"},
    {"thorn;", "\xFE"},
    {"tilde;", "\x98"},
    {"times;", "\xD7"},
    {"trade;", "\x99"},
    {"twonotes;", "\x0E"},
    {"uacute;", "\xFA"},
    {"uarr;", "\x18"},
    {"ucirc;", "\xFB"},
    {"ugrave;", "\xF9"},
    {"uml;", "\xA8"},
    {"uuml;", "\xFC"},
    {"varr;", "\x12"},
    {"weierp;", "\x50"},
    {"yacute;", "\xFD"},
    {"yen;", "\xA5"},
    {"yuml;", "\xFF"},
    {"zcaron;", "\x9E"},
    {"zwj;", ""},
    {"zwnj;", ""},
};
static_assert(sizeof kNamedEntities / sizeof kNamedEntities[0] == 204, "204 named entities");

// The text slots of gContext in the order of their escape letters.
constexpr char kSlotEscapes[kEscapeSlotCount + 1] = "ACTFcDOUVfMH";

// Output of one expansion; bytes past the limit are dropped, never written.
struct ExpandedText {
    char* data;
    size_t length;
    size_t limit;  // 1023: room for the terminator stays
};

void Append(ExpandedText& out, const char* bytes, size_t count) {
    size_t room = out.limit - out.length;
    if (count > room) count = room;
    memcpy(out.data + out.length, bytes, count);
    out.length += count;
}

void AppendByte(ExpandedText& out, char byte) {
    Append(out, &byte, 1);
}

void AppendText(ExpandedText& out, const char* text) {
    // Slots are fixed-size records filled by the effect: never read past their end.
    Append(out, text, strnlen(text, kEscapeStringBytes));
}

void AppendNumber(ExpandedText& out, long long value) {
    char digits[24];
    int length = snprintf(digits, sizeof digits, "%lld", value);
    if (length > 0) Append(out, digits, size_t(length));
}

int CurrentYear() {
    time_t now = time(nullptr);
    const tm* local = localtime(&now);
    return local ? local->tm_year + 1900 : 1970;
}

// Appends escape "!c"; false when c is not an escape letter.
bool AppendEscape(ExpandedText& out, char c) {
    if (c == '!') {
        AppendByte(out, '!');
        return true;
    }
    if (c != '\0') {
        if (const char* slot = strchr(kSlotEscapes, c)) {
            AppendText(out, gContext.escapeStrings[slot - kSlotEscapes]);
            return true;
        }
    }
    switch (c) {
        case 't': {
            char title[kEscapeStringBytes + 1];
            CopyText(title, sizeof title, gContext.escapeStrings[kEscapeSlotTitle]);
            AppendText(out, TrimEllipsis(title));
            break;
        }
        case 'a':
            AppendText(out, gParams ? gParams->aboutEscapeText : "");
            break;
        case 'Y':
            AppendNumber(out, CurrentYear());
            break;
        case 'w':
            AppendNumber(out, gContext.imageWidth);
            break;
        case 'h':
            AppendNumber(out, gContext.imageHeight);
            break;
        case 'm':
            AppendNumber(out, gContext.imageMode);
            break;
        case 'z':
            AppendNumber(out, gContext.zoomReduction);
            break;
        default:
            return false;
    }
    return true;
}

int DecimalDigit(char c) {
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A numeric entity starting at text ("&#..."): its length, or 0 when it is not one. The
// value is accumulated digit by digit and given up as soon as it passes 255.
size_t ParseNumericEntity(const char* text, int* value) {
    size_t i = 2;
    int base = 10;
    if (text[i] == 'x' || text[i] == 'X') {
        base = 16;
        ++i;
    }
    size_t firstDigit = i;
    int accumulated = 0;
    for (;; ++i) {
        int digit = base == 16 ? HexDigit(text[i]) : DecimalDigit(text[i]);
        if (digit < 0) break;
        accumulated = accumulated * base + digit;
        if (accumulated > 255) return 0;
    }
    if (i == firstDigit || text[i] != ';') return 0;
    *value = accumulated;
    return i + 1;
}

const NamedEntity* FindNamedEntity(const char* name) {
    for (const NamedEntity& entity : kNamedEntities) {
        size_t length = strlen(entity.name);
        if (strncmp(name, entity.name, length) == 0) return &entity;
    }
    return nullptr;
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Expands the "&" at text; returns the bytes consumed.
size_t ExpandAmpersand(ExpandedText& out, const char* text) {
    if (text[1] == '#') {
        int value = 0;
        if (size_t length = ParseNumericEntity(text, &value)) {
            AppendByte(out, char(value == 127 || value == 129 ? 0x81 : value));
            return length;
        }
    } else if (text[1] == '&') {
        AppendByte(out, '&');
        return 2;
    } else if (IsLetter(text[1])) {
        if (const NamedEntity* entity = FindNamedEntity(text + 1)) {
            Append(out, entity->bytes, strlen(entity->bytes));
            return 1 + strlen(entity->name);
        }
    }
    AppendByte(out, '&');
    return 1;
}

}  // namespace

const char* ExpandText(const char* text) {
    static char buffer[kExpandedTextBytes];
    ExpandedText out = {buffer, 0, sizeof buffer - 1};
    if (!text) text = "";
    // Escapes insert texts that the effect writes; they are copied, never walked again.
    while (*text) {
        if (*text == '!') {
            if (AppendEscape(out, text[1])) {
                text += 2;
            } else {
                AppendByte(out, '!');
                text += 1;
            }
        } else if (*text == '&') {
            text += ExpandAmpersand(out, text);
        } else {
            AppendByte(out, *text++);
        }
    }
    buffer[out.length] = '\0';
    return buffer;
}

std::string ExpandTextLines(const std::string& text) {
    std::string expanded;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        expanded += ExpandText(line.c_str());
        if (end == std::string::npos) return expanded;
        expanded += '\n';
        start = end + 1;
    }
}

const char* TrimEllipsis(const char* text) {
    static char buffer[kTrimmedTitleBytes];
    if (!text) text = "";
    size_t length = strlen(text);
    if (length >= 3 && strcmp(text + length - 3, "...") == 0) length -= 3;
    if (length > sizeof buffer - 1) length = sizeof buffer - 1;
    memcpy(buffer, text, length);
    buffer[length] = '\0';
    return buffer;
}

const char* FilterTitle() {
    const char* title = gContext.escapeStrings[kEscapeSlotTitle];
    return title[0] ? title : "Greyloom 2.0";
}

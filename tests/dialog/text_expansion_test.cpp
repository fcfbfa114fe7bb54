// Text expansion: every named entity of the table, numeric entities, doubled ampersands, the
// "!" escapes, and texts that do not fit.

#include <windows.h>

#include <cstring>
#include <string>

#include "host/plugin_folder.h"
#include "dialog/text_expansion.h"
#include "tests/dialog/logic_fixture.h"

namespace {

// The named entities and their bytes, written out from the table of entities (hexadecimal,
// empty for the entities that vanish).
struct EntityCase {
    const char* entity;
    const char* hexBytes;
};
const EntityCase kEntities[] = {
    {"&AElig;", "C6"},    {"&Aacute;", "C1"},   {"&Acirc;", "C2"},     {"&Agrave;", "C0"},
    {"&Alpha;", "41"},    {"&Aring;", "C5"},    {"&Atilde;", "C3"},    {"&Auml;", "C4"},
    {"&BEL;", "07"},      {"&BS;", "08"},       {"&Beta;", "42"},      {"&CR;", "0D"},
    {"&CRLF;", "0D 0A"},  {"&Ccedil;", "C7"},   {"&Chi;", "58"},       {"&Colon;", "3A 3A"},
    {"&Dagger;", "87"},   {"&ESC;", "1B"},      {"&ETH;", "D0"},       {"&Eacute;", "C9"},
    {"&Ecirc;", "CA"},    {"&Egrave;", "C8"},   {"&Epsilon;", "45"},   {"&Eta;", "48"},
    {"&Euml;", "CB"},     {"&Exclam;", "13"},   {"&FF;", "0C"},        {"&HT;", "09"},
    {"&Iacute;", "CD"},   {"&Icirc;", "CE"},    {"&Igrave;", "CC"},    {"&Iota;", "49"},
    {"&Iuml;", "CF"},     {"&Kappa;", "4B"},    {"&LF;", "0A"},        {"&Mu;", "4D"},
    {"&Ntilde;", "D1"},   {"&Nu;", "4E"},       {"&OElig;", "8C"},     {"&Oacute;", "D3"},
    {"&Ocirc;", "D4"},    {"&Ograve;", "D2"},   {"&Omicron;", "4F"},   {"&Oslash;", "D8"},
    {"&Otilde;", "D5"},   {"&Ouml;", "D6"},     {"&Prime;", "22"},     {"&Rho;", "50"},
    {"&Scaron;", "8A"},   {"&THORN;", "DE"},    {"&Tau;", "54"},       {"&Uacute;", "DA"},
    {"&Ucirc;", "DB"},    {"&Ugrave;", "D9"},   {"&Upsilon;", "59"},   {"&Uuml;", "DC"},
    {"&VT;", "0B"},       {"&Yacute;", "DD"},   {"&Yuml;", "9F"},      {"&Zcaron;", "8E"},
    {"&Zeta;", "5A"},     {"&aacute;", "E1"},   {"&acirc;", "E2"},     {"&acute;", "B4"},
    {"&aelig;", "E6"},    {"&agrave;", "E0"},   {"&amp;", "26"},       {"&apos;", "27"},
    {"&aring;", "E5"},    {"&atilde;", "E3"},   {"&auml;", "E4"},      {"&bdquo;", "84"},
    {"&beta;", "DF"},     {"&blk14;", "0F"},    {"&boxdl;", "02"},     {"&boxdr;", "01"},
    {"&boxh;", "06"},     {"&boxhd;", "16"},    {"&boxhu;", "15"},     {"&boxul;", "04"},
    {"&boxur;", "03"},    {"&boxv;", "05"},     {"&boxvh;", "10"},     {"&boxvl;", "17"},
    {"&boxvr;", "19"},    {"&brvbar;", "A6"},   {"&bull;", "95"},      {"&bull2;", "07"},
    {"&bull3;", "7F"},    {"&bull4;", "81"},    {"&ccedil;", "E7"},    {"&cedil;", "B8"},
    {"&cent;", "A2"},     {"&circ;", "88"},     {"&colone;", "3A 3D"}, {"&copy;", "A9"},
    {"&crarr;", "11 04"}, {"&curren;", "A4"},   {"&dagger;", "86"},    {"&deg;", "B0"},
    {"&divide;", "F7"},   {"&eacute;", "E9"},   {"&ecirc;", "EA"},     {"&egrave;", "E8"},
    {"&empty;", "D8"},    {"&emsp;", "20"},     {"&ensp;", "20"},      {"&eth;", "F0"},
    {"&euml;", "EB"},     {"&euro;", "80"},     {"&female;", "0C"},    {"&fnof;", "83"},
    {"&frac12;", "BD"},   {"&frac14;", "BC"},   {"&frac34;", "BE"},    {"&frasl;", "2F"},
    {"&ge;", "3E 3D"},    {"&gt;", "3E"},       {"&hellip;", "85"},    {"&iacute;", "ED"},
    {"&ibull2;", "08"},   {"&icirc;", "EE"},    {"&iexcl;", "A1"},     {"&igrave;", "EC"},
    {"&image;", "49"},    {"&iquest;", "BF"},   {"&iuml;", "EF"},      {"&laquo;", "AB"},
    {"&larr;", "1B"},     {"&ldquo;", "93"},    {"&le;", "3C 3D"},     {"&lowast;", "2A"},
    {"&lsaquo;", "8B"},   {"&lsquo;", "91"},    {"&lt;", "3C"},        {"&ltrif;", "11"},
    {"&macr;", "AF"},     {"&male;", "0B"},     {"&mdash;", "97"},     {"&micro;", "B5"},
    {"&middot;", "B7"},   {"&minus;", "96"},    {"&mu;", "B5"},        {"&nbsp;", "A0"},
    {"&ndash;", "96"},    {"&ne;", "21 3D"},    {"&not;", "AC"},       {"&ntilde;", "F1"},
    {"&oacute;", "F3"},   {"&ocirc;", "F4"},    {"&oelig;", "9C"},     {"&ograve;", "F2"},
    {"&oline;", "AF"},    {"&omicron;", "6F"},  {"&ordf;", "AA"},      {"&ordm;", "BA"},
    {"&oslash;", "F8"},   {"&otilde;", "F5"},   {"&ouml;", "F6"},      {"&para;", "B6"},
    {"&permil;", "89"},   {"&pilcrow;", "14"},  {"&plusmn;", "B1"},    {"&pound;", "A3"},
    {"&prime;", "27"},    {"&quot;", "22"},     {"&raquo;", "BB"},     {"&rarr;", "1A"},
    {"&rdquo;", "94"},    {"&real;", "52"},     {"&reg;", "AE"},       {"&rsaquo;", "9B"},
    {"&rsquo;", "92"},    {"&sbquo;", "82"},    {"&scaron;", "9A"},    {"&sdot;", "B7"},
    {"&sect;", "A7"},     {"&shy;", ""},        {"&sim;", "7E"},       {"&sup0;", "BA"},
    {"&sup1;", "B9"},     {"&sup2;", "B2"},     {"&sup3;", "B3"},      {"&szlig;", "DF"},
    {"&thinsp;", "20"},   {"&thorn;", "FE"},    {"&tilde;", "98"},     {"&times;", "D7"},
    {"&trade;", "99"},    {"&twonotes;", "0E"}, {"&uacute;", "FA"},    {"&uarr;", "18"},
    {"&ucirc;", "FB"},    {"&ugrave;", "F9"},   {"&uml;", "A8"},       {"&uuml;", "FC"},
    {"&varr;", "12"},     {"&weierp;", "50"},   {"&yacute;", "FD"},    {"&yen;", "A5"},
    {"&yuml;", "FF"},     {"&zcaron;", "9E"},   {"&zwj;", ""},         {"&zwnj;", ""},
};

std::string FromHex(const char* hex) {
    std::string bytes;
    for (const char* p = hex; *p; p += (p[2] == ' ' ? 3 : 2))
        bytes += char(std::stoi(std::string(p, 2), nullptr, 16));
    return bytes;
}

class TextExpansion : public DialogLogic {};

}  // namespace

TEST_F(TextExpansion, EveryNamedEntityGivesItsBytes) {
    ASSERT_EQ(std::size(kEntities), 204u);
    for (const EntityCase& c : kEntities) {
        const std::string text = std::string("[") + c.entity + "]";
        EXPECT_EQ(std::string(ExpandText(text.c_str())), "[" + FromHex(c.hexBytes) + "]")
            << c.entity;
    }
}

TEST_F(TextExpansion, EntitiesEscapesAndAmpersands) {
    struct Case {
        const char* text;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"ends with !", "ends with !"},
        {"ends with &", "ends with &"},
        {"&#65;", "A"},
        {"&#x41;", "A"},
        {"&#X41;", "A"},
        {"&#x4a;&#x4A;", "JJ"},
        {"&#127;", "\x81"},
        {"&#129;", "\x81"},
        {"&#255;", "\xFF"},
        {"&#256;", "&#256;"},
        {"&#99999999999;", "&#99999999999;"},
        {"&#;", "&#;"},
        {"&#x;", "&#x;"},
        {"&#65", "&#65"},
        {"&#65 ;", "&#65 ;"},
        {"&amp;", "&"},
        {"&&", "&"},
        {"&&&", "&&"},
        {"&AMP;", "&AMP;"},
        {"&Amp;", "&Amp;"},
        {"&nosuch;", "&nosuch;"},
        {"&amp", "&amp"},
        {"& amp;", "& amp;"},
        {"&CRLF;", "\r\n"},
        {"&Colon;", "::"},
        {"a&shy;b&zwj;c&zwnj;d", "abcd"},
        {"&Exclam;", "\x13"},
        {"!!", "!"},
        {"!q", "!q"},
        {"!&amp;", "!&"},
        {"!!A", "!A"},
        {"&lt;b&gt;", "<b>"},
    };
    for (const Case& c : cases) EXPECT_EQ(std::string(ExpandText(c.text)), c.expected) << c.text;
    EXPECT_EQ(std::string(ExpandText(nullptr)), "");
}

TEST_F(TextExpansion, ZeroEntityEndsTheText) {
    EXPECT_EQ(std::string(ExpandText("ab&#0;cd")), "ab");
}

TEST_F(TextExpansion, EscapesInsertSlotsAndFactsWithoutExpandingThem) {
    const char* letters = "ACTFcDOUVfMH";
    for (int slot = 0; slot < 12; ++slot)
        snprintf(gContext.escapeStrings[slot], 256, "slot%d&amp;", slot);
    for (int slot = 0; slot < 12; ++slot) {
        const char text[3] = {'!', letters[slot], 0};
        EXPECT_EQ(std::string(ExpandText(text)), "slot" + std::to_string(slot) + "&amp;") << text;
    }
    strcpy(gContext.escapeStrings[2], "Greyloom B&W...");
    EXPECT_EQ(std::string(ExpandText("[!T]")), "[Greyloom B&W...]");
    EXPECT_EQ(std::string(ExpandText("[!t]")), "[Greyloom B&W]");
    strcpy(gParams->aboutEscapeText, "about");
    gContext.imageWidth = 640;
    gContext.imageHeight = 480;
    gContext.imageMode = 11;
    gContext.zoomReduction = 4;
    EXPECT_EQ(std::string(ExpandText("!a !w x !h, mode !m at 1:!z")),
              "about 640 x 480, mode 11 at 1:4");
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(std::string(ExpandText("(c) !Y")), "(c) " + std::to_string(now.wYear));
}

TEST_F(TextExpansion, LongTextsAreCutAt1023BytesEvenInsideAnEntity) {
    const std::string filler(1022, 'x');
    EXPECT_EQ(std::string(ExpandText((filler + "&CRLF;tail").c_str())), filler + "\r");
    EXPECT_EQ(std::string(ExpandText((filler + "yz").c_str())), filler + "y");
    EXPECT_EQ(strlen(ExpandText(std::string(5000, 'a').c_str())), 1023u);
    // An escape's text is cut at the limit as well.
    strcpy(gContext.escapeStrings[0], "0123456789");
    EXPECT_EQ(std::string(ExpandText((std::string(1020, '-') + "!A").c_str())),
              std::string(1020, '-') + "012");
    // Entities count by the bytes they give, not by their length: 1023 of them fit.
    std::string many;
    for (int i = 0; i < 1100; ++i) many += "&gt;";
    EXPECT_EQ(std::string(ExpandText(many.c_str())), std::string(1023, '>'));
}

TEST_F(TextExpansion, TrimEllipsisOnlyRemovesThreeTrailingDots) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"Title...", "Title"},
        {"...", ""},
        {"..", ".."},
        {"Title..", "Title.."},
        {"Ti...tle", "Ti...tle"},
        {"Title....", "Title."},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(TrimEllipsis(c.text), c.expected) << c.text;
    EXPECT_EQ(strlen(TrimEllipsis(std::string(700, 'a').c_str())), 511u);
}

TEST_F(TextExpansion, PluginFolderKeepsItsBackslashAndNeedsOne) {
    struct Case {
        const char* path;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\Plug-ins\\Greyloom64.8bf", "C:\\Plug-ins\\"},
        {"C:\\Greyloom64.8bf", "C:\\"},
        {"Greyloom64.8bf", ""},
        {"", ""},
        {"\\\\server\\share\\x.8bf", "\\\\server\\share\\"},
    };
    for (const Case& c : cases) {
        char folder[256] = "junk";
        CopyPathFolder(folder, sizeof folder, c.path);
        EXPECT_STREQ(folder, c.folder) << c.path;
    }
    char small[4] = "abc";
    CopyPathFolder(small, sizeof small, "C:\\long\\name");
    EXPECT_STREQ(small, "") << "a folder that does not fit is none";
    const std::string folder = GetPluginFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
}

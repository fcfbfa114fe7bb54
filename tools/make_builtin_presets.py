#!/usr/bin/env python3
"""Generates effect/builtin_preset_table.cpp, the built-in presets as a table of 689 records
of 103 int32 and their English and German names, from tools/builtin_presets.txt.

The data file, one item per line (a line beginning with '#' is a comment):
  category English | German            starts a category (22 of them, in order)
  heading English | German             the category's heading entry (names hold "None"/"Aus")
  English | German :: block ; block    a preset of one to six blocks
A block is an effect keyword and settings, "grain intensity=40 size=8". Settings left out take
the control's default; "keep" leaves the control as it is. Colours are written #RRGGBB,
curve points "points=0:0/80:90/159:159" (0..159), per-colour tolerances of the selective
groups "tol=50/50/..." and the aging centre "centre=x:y".

A record is: block count (-1 for a heading), then per block the group, the value count and
the values: the group's controls in table order, then points, tolerances or the centre.

Usage: make_builtin_presets.py [--check] [data file] [output file]
  --check  exits with 1 when the output file differs from what would be generated.
"""
import os
import sys

RECORD_WORDS = 103
PRESET_COUNT = 689
CATEGORY_COUNT = 22
KEEP = -65535
BLOCK_MAX = 6
POINT_MAX = 16
CURVE_MAX = 159

# keyword: group, kind, [(setting, control, default)] in the group's control order.
# A default of None leaves the control as it is (displays and buttons without a value).
GROUPS = {
    "bw": (0, "plain", [("method", 270, 0), ("hue", 50, 75), ("hhue", 51, 25),
                        ("threshold", 52, 128), ("transition", 53, 64), ("strip", 231, None),
                        ("saturation", 232, 0), ("lightness", 233, 0)]),
    "polarizer": (1, "plain", [("sky", 24, 0), ("foliage", 42, 0), ("skin", 286, 0),
                               ("contrast", 56, 0)]),
    "dynamic": (2, "plain", [("intensity", 76, 0), ("detail", 77, 80), ("shadows", 291, 0),
                             ("midtones", 292, 0), ("highlights", 293, 0)]),
    "tonallook": (3, "plain", [("type", 208, 1), ("intensity", 137, 0)]),
    "lab": (4, "plain", [("type", 36, 0), ("double", 125, 0), ("intensity", 140, 0),
                         ("amount", 132, 64), ("amountb", 47, 64), ("threshold", 34, 64),
                         ("shadows", 207, 32), ("highlights", 54, 32)]),
    "aging": (5, "aging", [("type", 298, 0), ("hard", 302, 0), ("invert", 299, 0),
                           ("intensity", 166, 0), ("size", 167, 100), ("softness", 242, 50),
                           ("details", 55, 4), ("reduction", 263, 0), ("randomize", 300, None),
                           ("color", 301, 0x808080)]),
    "ndgrad": (6, "plain", [("shape", 227, 0), ("invert", 228, 0), ("brightness", 184, 0),
                            ("contrast", 185, 0), ("shadows", 229, 0), ("highlights", 230, 0),
                            ("offset", 186, 128), ("density", 187, 128), ("rotation", 188, 0),
                            ("elliptical", 234, 0)]),
    "selbright": (7, "selective", [(c, 142 + i, 0) for i, c in enumerate(
        ["red", "orange", "yellow", "green", "cyan", "blue", "magenta", "gray"])] +
        [("intensity", 97, 0), ("tolerance", 40, 0)]),
    "selcontrast": (8, "selective", [(c, 211 + i, 0) for i, c in enumerate(
        ["red", "orange", "yellow", "green", "cyan", "blue", "magenta", "gray"])] +
        [("intensity", 97, 0), ("tolerance", 40, 0)]),
    "colorkey": (9, "selective", [(c, 111 + i, 0) for i, c in enumerate(
        ["red", "orange", "yellow", "green", "cyan", "blue", "magenta"])] +
        [("intensity", 97, 0), ("tolerance", 40, 0)]),
    "tone": (11, "curve", [("intensity", 19, 0), ("brightness", 20, 0), ("shadows", 25, 0),
                           ("highlights", 26, 0), ("exposure", 22, 0), ("zones", 38, 0)]),
    "color": (12, "curve", [("intensity", 44, 0), ("color", 45, 0), ("shadows", 46, 0),
                            ("highlights", 48, 0), ("amplify", 79, 0),
                            ("swatch", 128, 0x0080FF), ("partial", 135, 0)]),
    "bicolor": (13, "curve", [("intensity", 43, 0), ("color", 59, 0), ("shadows", 80, 0),
                              ("highlights", 88, 0), ("amplify", 130, 0),
                              ("swatch1", 123, 0x0080FF), ("swatch2", 131, 0xFF8000)]),
    "red": (14, "curve", [("intensity", 245, 0), ("color", 246, 0), ("shadows", 247, 0),
                          ("highlights", 248, 0), ("amplify", 250, 0)]),
    "green": (15, "curve", [("intensity", 251, 0), ("color", 252, 0), ("shadows", 253, 0),
                            ("highlights", 254, 0), ("amplify", 256, 0)]),
    "blue": (16, "curve", [("intensity", 257, 0), ("color", 258, 0), ("shadows", 259, 0),
                           ("highlights", 260, 0), ("amplify", 262, 0)]),
    "diffusion": (18, "plain", [("intensity", 30, 0), ("radius", 31, 25), ("opacity", 3, 50),
                                ("brightness", 243, 0), ("contrast", 244, 0), ("shape", 75, 0),
                                ("invert", 280, 0), ("offset", 274, 128), ("density", 275, 128),
                                ("rotation", 277, 0), ("elliptical", 276, 0)]),
    "glow": (19, "plain", [("intensity", 121, 0), ("radius", 122, 50), ("limit", 32, 48),
                           ("tone", 33, 255), ("exposure", 235, 0), ("color", 120, 0xFFFFFF)]),
    "vignette": (20, "plain", [("intensity", 28, 0), ("size", 93, 128), ("density", 94, 128),
                               ("shape", 95, -100), ("rotation", 96, 0), ("color", 119, 0),
                               ("invert", 236, 0)]),
    "paper": (21, "plain", [("intensity", 21, 0), ("gloss", 23, 0), ("highlights", 41, 64)]),
    "grain": (22, "plain", [("intensity", 70, 0), ("size", 71, 0), ("color", 134, 0),
                            ("highlights", 72, 0), ("midtones", 74, 0), ("shadows", 73, 0),
                            ("scale", 304, 0)]),
    "frame": (23, "plain", [("intensity", 110, 0), ("outside", 66, 250), ("inside", 65, 80),
                            ("border", 69, 20), ("color1", 29, 0xFFFFFF), ("color2", 68, 0),
                            ("borderonly", 285, 0), ("edge", 283, 0), ("rectangular", 284, 0),
                            ("outer", 264, 0), ("middle", 271, 0), ("inner", 272, 0),
                            ("size", 273, 160), ("roundness", 281, 10), ("softness", 282, 0),
                            ("seed", 279, 0)]),
    "mask": (25, "plain", [("type", 1, 0), ("invert", 2, 0), ("offset", 11, 128),
                           ("density", 12, 128), ("elliptical", 13, 0), ("rotation", 14, 0),
                           ("colorinvert", 4, 0), ("colorlimit", 18, 0),
                           ("color", 15, 0xFF8000), ("satinvert", 5, 0), ("satlimit", 7, 0),
                           ("sattone", 10, 0), ("brightmode", 159, 0), ("brightinvert", 6, 0),
                           ("brightlimit", 9, 0), ("brighttone", 8, 0), ("shadows", 85, 0),
                           ("midtones", 86, 0), ("highlights", 87, 0), ("showcolor", 58, 1)]),
    "fade": (26, "plain", [("intensity", 101, 0), ("luminance", 203, 0), ("color", 204, 0),
                           ("lightness", 241, 0), ("saturation", 205, 0)]),
}
COLOR_SETTINGS = {("bw", "strip"), ("aging", "color"), ("color", "swatch"),
                  ("bicolor", "swatch1"), ("bicolor", "swatch2"), ("glow", "color"),
                  ("vignette", "color"), ("frame", "color1"), ("frame", "color2"),
                  ("mask", "color")}


class DataError(Exception):
    pass


def parse_number(text, colour):
    if text == "keep":
        return KEEP
    if colour and text.startswith("#") and len(text) == 7:
        rgb = int(text[1:], 16)
        return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16)  # 0x00BBGGRR
    try:
        return int(text, 0)
    except ValueError:
        raise DataError("not a number: " + text)


def parse_pairs(text):
    pairs = []
    for item in text.split("/"):
        a, sep, b = item.partition(":")
        if not sep:
            raise DataError("a point is written x:y, not " + item)
        pairs.append((int(a), int(b)))
    return pairs


def parse_block(text):
    words = text.split()
    if not words or words[0] not in GROUPS:
        raise DataError("unknown effect: " + (words[0] if words else "(empty block)"))
    keyword = words[0]
    group, kind, controls = GROUPS[keyword]
    names = [c[0] for c in controls]
    values = [KEEP if c[2] is None else c[2] for c in controls]
    extra = []
    for word in words[1:]:
        key, sep, value = word.partition("=")
        if not sep:
            raise DataError("a setting is written key=value, not " + word)
        if key == "points" and kind == "curve":
            points = parse_pairs(value)
            if not 2 <= len(points) <= POINT_MAX:
                raise DataError("a curve has 2 to 16 points")
            for x, y in points:
                if not (0 <= x <= CURVE_MAX and 0 <= y <= CURVE_MAX):
                    raise DataError("curve points lie in 0..159")
            extra = [v for p in points for v in p]
        elif key == "tol" and kind == "selective":
            extra = [int(v) for v in value.split("/")]
            if len(extra) > 9:
                raise DataError("at most nine tolerances")
        elif key == "centre" and kind == "aging":
            extra = list(parse_pairs(value)[0])
        elif key in names:
            values[names.index(key)] = parse_number(value, (keyword, key) in COLOR_SETTINGS)
        else:
            raise DataError("%s has no setting %s" % (keyword, key))
    if kind == "curve" and not extra:
        extra = [0, 0, CURVE_MAX, CURVE_MAX]  # the identity: a curve needs its two ends
    values += extra
    return [group, len(values)] + values


def parse(lines):
    """Records, English names, German names, category names (English, German)."""
    records, english, german, categories = [], [], [], []
    for number, raw in enumerate(lines, 1):
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        try:
            if line.startswith("category "):
                en, _, de = line[len("category "):].partition("|")
                categories.append((en.strip(), de.strip()))
                continue
            heading = line.startswith("heading ")
            if heading:
                line = line[len("heading "):]
            names, sep, blocks = line.partition("::")
            en, bar, de = names.partition("|")
            if not bar:
                raise DataError("a preset needs an English and a German name")
            en, de = en.strip(), de.strip()
            if heading:
                if sep or "None" not in en or "Aus" not in de:
                    raise DataError("a heading has no settings and is named None / Aus")
                if len(categories) != sum(1 for n in english if "None" in n) + 1:
                    raise DataError("each category has one heading, after its name")
                record = [-1]
            else:
                if "None" in en or not sep:
                    raise DataError("a preset has settings and never names None")
                parts = [b.strip() for b in blocks.split(";") if b.strip()]
                if not 1 <= len(parts) <= BLOCK_MAX:
                    raise DataError("a preset has one to six blocks")
                record = [len(parts)]
                for part in parts:
                    record += parse_block(part)
                if len(record) > RECORD_WORDS:
                    raise DataError("the preset needs %d words, more than %d"
                                    % (len(record), RECORD_WORDS))
            records.append(record)
            english.append(en)
            german.append(de)
        except DataError as error:
            sys.exit("make_builtin_presets: line %d: %s" % (number, error))
    if len(records) != PRESET_COUNT or len(categories) != CATEGORY_COUNT:
        sys.exit("make_builtin_presets: %d presets in %d categories, not %d in %d"
                 % (len(records), len(categories), PRESET_COUNT, CATEGORY_COUNT))
    return records, english, german, categories


def c_string(text):
    """A C string literal in the Windows Western code page; hex escapes end their piece."""
    out, pieces = "", []
    for ch in text:
        code = ord(ch.encode("cp1252")) if ord(ch) > 127 else ord(ch)
        if code > 127:
            out += "\\x%02X" % code
            pieces.append(out)
            out = ""
        elif ch in "\\\"":
            out += "\\" + ch
        else:
            out += ch
    pieces.append(out)
    return " ".join('"%s"' % p for p in pieces if p or len(pieces) == 1)


def generate(data_path):
    with open(data_path, encoding="utf-8") as f:
        records, english, german, categories = parse(f.readlines())
    out = ["// Generated by tools/make_builtin_presets.py from tools/builtin_presets.txt: edit",
           "// those and regenerate. The built-in presets as records and their names.",
           "",
           '#include "effect/builtin_presets.h"',
           "",
           "// clang-format off",
           "const int32_t kBuiltinPresets[kBuiltinPresetCount][kBuiltinPresetWords] = {"]
    for record in records:
        out.append("    {" + ", ".join(str(v) for v in record) + "},")
    out.append("};")
    for label, names in (("English", english), ("German", german)):
        out.append("")
        out.append("const char* const kBuiltinPresetNames%s[kBuiltinPresetCount] = {" % label)
        for name in names:
            out.append("    %s," % c_string(name))
        out.append("};")
    for index, label in ((0, "English"), (1, "German")):
        out.append("")
        out.append("const char* const kCategoryNames%s[CATEGORY_COUNT] = {" % label)
        for names in categories:
            out.append("    %s," % c_string(names[index]))
        out.append("};")
    out.append("// clang-format on")
    return "\n".join(out) + "\n"


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    data = args[0] if args else os.path.join(root, "tools", "builtin_presets.txt")
    target = args[1] if len(args) > 1 else os.path.join(root, "effect",
                                                         "builtin_preset_table.cpp")
    text = generate(data)
    if check:
        with open(target, encoding="ascii") as f:
            if f.read() != text:
                print("make_builtin_presets: %s is not what %s makes" % (target, data))
                return 1
        return 0
    with open(target, "w", encoding="ascii", newline="\n") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

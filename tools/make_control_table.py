#!/usr/bin/env python3
"""Writes effect/control_table.cpp, the effect dialog's control table as data, from the
markdown design notes that describe the dialog.

    tools/make_control_table.py <notes.md> effect/control_table.cpp

The notes hold the control table (one row per control), the table of sheet hosts, the
creation order and the per-control settings as bullet lists. Every rule is parsed from the
text; a sentence that no longer reads as expected stops the script instead of being skipped,
so a changed note can never silently drop a setting.
"""
import re
import sys

CLASS_NAMES = {
    "slider": "CONTROL_SLIDER",
    "check box": "CONTROL_CHECKBOX",
    "combo box": "CONTROL_COMBOBOX",
    "colour button": "CONTROL_COLORBUTTON",
    "group box": "CONTROL_GROUPBOX",
    "text": "CONTROL_TEXT",
    "button": "CONTROL_PUSHBUTTON",
    "image button": "CONTROL_IMAGEBUTTON",
    "value list": "CONTROL_VALUELIST",
    "tab": "CONTROL_TAB",
    "list view": "CONTROL_LISTVIEW",
    "toolbar": "CONTROL_TOOLBAR",
    "edit": "CONTROL_EDIT",
}
ITEM_CLASSES = {"combo box", "value list", "tab", "toolbar", "list view"}
NUMBER_WORDS = {"one": 1, "two": 2, "three": 3, "four": 4, "five": 5, "six": 6, "seven": 7,
                "eight": 8}
# The template's own windows that the dialog configures but does not create.
PSEUDO = {395: ("CTL_PREVIEW", "CONTROL_PREVIEW"), 394: ("CTL_PROGRESS", "CONTROL_PROGRESSBAR"),
          392: ("CTL_ZOOM_TEXT", "CONTROL_ZOOMTEXT")}

# Places that differ from the notes' table, as x, y, width, height in dialog units: where a
# text did not fit in English or German, or a control covered a neighbour's text. The notes
# give the first layout; these rows are what the dialog shows. Each entry names why.
LAYOUT_MOVES = {
    # combo boxes widened within their rows so that every item shows whole
    0: (404, 4, 76, 323),      # mode
    349: (369, 36, 74, 300),   # preset group, with the collapse button beside it
    126: (446, 37, 12, 12),
    36: (400, 61, 77, 400),    # Lab FX type
    298: (401, 137, 44, 400),  # aging type
    75: (405, 110, 57, 200),   # diffusion mask shape
    1: (405, 51, 52, 400),     # mask type
    312: (357, 293, 50, 200),  # histogram channel and style, the check boxes between them
    314: (482, 293, 42, 200),
    334: (409, 296, 29, 8),
    330: (439, 296, 42, 8),
    322: (397, 234, 86, 200),  # start-up, language and skin, the preview colour beside them
    338: (397, 248, 86, 200),
    381: (397, 262, 86, 200),
    321: (488, 234, 34, 10),
    323: (498, 244, 15, 15),
    39: (121, 315, 79, 200),   # split view, and the bottom bar's controls after it
    136: (203, 317, 33, 8),
    138: (236, 315, 23, 13),
    139: (263, 315, 23, 13),
    91: (289, 315, 11, 13),
    129: (301, 315, 36, 200),
    # the aging sliders start further right and the Rand button stands inside the group's frame
    # and above the next row, so that the button covers none of the sliders' labels ("Größe",
    # "Weichheit")
    300: (359, 163, 23, 10),
    166: (410, 154, 87, 8),
    167: (410, 164, 87, 8),
    242: (410, 174, 87, 8),
    55: (410, 184, 87, 8),
    263: (410, 194, 87, 8),
    # the Select sheet's eyedropper stands beside the Red row, clear of "Orange" below it, with
    # the presets menu button above moved up to keep it apart; the hue strip clear of the
    # "Saturation" label below it
    360: (356, 49, 13, 12),
    161: (356, 37, 11, 11),
    231: (360, 72, 14, 14),
    # the Polarizer sliders start further right, so that the English "Color Contrast" stands
    # inside the group's frame
    24: (412, 162, 85, 8),
    42: (412, 172, 85, 8),
    286: (412, 182, 85, 8),
    56: (412, 192, 85, 8),
    # Advanced+ Mode's effect list gives room to its Prev and Next buttons, widened so that the
    # German "Zurück" and "Weiter" show whole
    303: (398, 36, 70, 400),
    305: (472, 36, 26, 12),
    306: (498, 36, 26, 12),
    # the grain's Rand button stands inside the group's frame, not on its left line, in the
    # free room left of "Scale to Image Size" below the Size label ("Größe")
    90: (359, 136, 25, 12),
    # the help text ends above the "keep updating" check box at the panel's right bottom,
    # which stood in the text box's corner
    326: (357, 232, 165, 65),
}

# The value box of a slider whose widest value has five characters ("-3.00", "128.0"): the
# standard box holds four. The slider gives up the difference, so the box keeps its right edge.
VALUE_BOX_STANDARD = 18  # dialog units
VALUE_BOX_WIDE = 23


def fail(message):
    sys.exit("make_control_table: " + message)


def expect(match, what):
    if not match:
        fail("cannot read " + what)
    return match


def numbers_in(text):
    """Control numbers and ranges a..b in order, ignoring anything inside backticks."""
    text = re.sub(r"`[^`]*`", " ", text)
    result = []
    for first, last in re.findall(r"(?<![\w.])(\d+)(?:\.\.(\d+))?(?![\w.])", text):
        if last:
            result.extend(range(int(first), int(last) + 1))
        else:
            result.append(int(first))
    return result


def parse_int(text):
    text = text.strip()
    return int(text, 16) if text.lower().startswith("0x") else int(text)


class Row:
    def __init__(self, number):
        self.number = number
        self.name = ""
        self.cls = ""
        self.text = ""
        self.label = None
        self.ranged = False
        self.min_value = self.max_value = 0
        self.has_value = False
        self.value_syscolor = False
        self.value = 0
        self.default = None
        self.divisor = 1
        self.gamma = 100
        self.sheet_name = ""
        self.tab = self.sheet = -1
        self.x = self.y = self.width = self.height = -1
        self.unthemed_y = self.unthemed_height = -1
        self.pixel_size = False
        self.default_position = False
        self.hidden = False
        self.pseudo = False
        self.filled_later = False
        self.style = []
        self.ex_style = []
        self.properties = ["CTLPROP_HOVER"]
        self.action = -1
        self.anchor = ["ANCHOR_RIGHT"]
        self.background_kind = "BACKGROUND_NONE"
        self.background = 0
        self.text_color = -1
        self.theme = "THEME_FOLLOW"
        self.font_slot = -1
        self.image = None
        self.image_option = 0
        self.column_width = 0
        self.scripted = True
        self.home_sheet = False
        self.alt_position = False
        self.alt_width = self.alt_height = -1
        self.edit_width = 0


def section(lines, start_pattern):
    for index, line in enumerate(lines):
        if re.match(start_pattern, line):
            return index
    fail("no line matching " + start_pattern)


def parse_sheet_hosts(lines):
    """Sheet names (as the control table writes them) -> (host, sheet index)."""
    start = section(lines, r"\| host \| where \| sheets")
    sheets = {}
    hosts = []
    for line in lines[start + 2:]:
        if not line.startswith("|"):
            break
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        host = int(expect(re.search(r"` (\d+)$", cells[0]), "sheet host " + cells[0]).group(1))
        names = re.sub(r"\(.*\)", "", cells[2]).split(",")
        prefix = "" if host in (310, 311) else cells[1].split("/")[-1] + "/"
        for index, name in enumerate(names):
            sheets[prefix + name.strip()] = (host, index)
        hosts.append(host)
    sheets["Presets"] = sheets.get("Presets", (310, 0))
    return sheets, hosts


def parse_at(row, text):
    text = text.strip()
    if text == "default":
        row.default_position = True
        return
    match = expect(re.match(r"(\d+),(\d+) (-|\d+)x(-|\d+)( pixels)?(?: \(unthemed: (.*)\))?$",
                            text), "position " + text)
    row.x, row.y = int(match.group(1)), int(match.group(2))
    row.width = -1 if match.group(3) == "-" else int(match.group(3))
    row.height = -1 if match.group(4) == "-" else int(match.group(4))
    # "pixels" after the size: the width and height are pixels (a panel drawn at a fixed size);
    # its place stays in dialog units like every other control's.
    row.pixel_size = bool(match.group(5))
    unthemed = match.group(6)
    if unthemed:
        full = re.match(r"(\d+),(\d+) (\d+)x(\d+)$", unthemed)
        only_y = re.match(r"y (\d+)$", unthemed)
        if full:
            if int(full.group(1)) != row.x or int(full.group(3)) != row.width:
                fail("unthemed position moves x or width of %d" % row.number)
            row.unthemed_y, row.unthemed_height = int(full.group(2)), int(full.group(4))
        else:
            row.unthemed_y = int(expect(only_y, "unthemed " + unthemed).group(1))


def parse_value(row, text):
    text = text.strip()
    if not text:
        return
    match = expect(re.match(r"(.+?)( / -)?$", text), "value " + text)
    value = match.group(1)
    row.has_value = True
    if value == "system button-face colour":
        row.value_syscolor = True
        row.value = "COLOR_BTNFACE"
    else:
        row.value = parse_int(value)
    if not match.group(2):
        if row.value_syscolor:
            fail("a system colour as default of %d" % row.number)
        row.default = row.value


def parse_text(row, text, separators):
    text = text.strip()
    if row.cls not in ITEM_CLASSES:
        row.text = text
        return
    match = re.match(r'label "([^"]*)": (.*)$', text)
    if match:
        row.label, text = match.group(1), match.group(2)
    items = [item.strip() for item in text.split(";")] if text else []
    items = [("-" * separators if item == "----" else item) for item in items]
    row.text = "\n".join(items)


def parse_table(lines):
    start = section(lines, r"\| n \| name \| class \| text")
    rows = {}
    for line in lines[start + 2:]:
        if not line.startswith("|"):
            break
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if len(cells) != 11:
            fail("control row with %d cells: %s" % (len(cells), line))
        row = Row(int(cells[0]))
        if row.number in rows:
            fail("control %d listed twice" % row.number)
        row.name = cells[1].strip("`")
        if cells[2] not in CLASS_NAMES:
            fail("unknown class " + cells[2])
        row.cls = cells[2]
        separators = {39: 30, 129: 15, 303: 38}.get(row.number, 52)
        parse_text(row, cells[3], separators)
        if cells[4]:
            low, high = expect(re.match(r"(-?\w+)\.\.(-?\w+)$", cells[4]), "range " + cells[4]).groups()
            row.ranged, row.min_value, row.max_value = True, parse_int(low), parse_int(high)
        parse_value(row, cells[5])
        row.divisor = int(cells[6]) if cells[6] else 1
        row.gamma = int(cells[7]) if cells[7] else 100
        row.sheet_name = cells[8]
        parse_at(row, cells[9])
        if cells[10] not in ("", "hidden"):
            fail("start column " + cells[10])
        row.hidden = cells[10] == "hidden"
        rows[row.number] = row
    return rows


def parse_blanks(text, rows, page_selectors):
    """Leading blanks of the page selectors' items and trailing blanks of selective sliders."""
    match = expect(re.search(r"which the table leaves out: (.*?)\. The selective", text),
                   "leading blanks")
    for clause in match.group(1).split(";"):
        clause = clause.strip()
        number = int(expect(re.match(r"(\d+) ", clause), "blanks " + clause).group(1))
        items = rows[number].text.split("\n")
        each = re.match(r"\d+ (\w+) before each( item)?$", clause)
        off = re.match(r'\d+ (\w+) before "Off" and (\w+) before each number$', clause)
        listed = re.match(r"\d+ ([\w, ]+)$", clause)
        if each:
            counts = [NUMBER_WORDS[each.group(1)]] * len(items)
        elif off:
            counts = [NUMBER_WORDS[off.group(1)]] + [NUMBER_WORDS[off.group(2)]] * (len(items) - 1)
        else:
            words = re.split(r",\s*|\s+and\s+", expect(listed, "blanks " + clause).group(1))
            counts = [NUMBER_WORDS[word] for word in words]
            if len(counts) != len(items):
                fail("blank counts of %d" % number)
        rows[number].text = "\n".join(" " * count + item for count, item in zip(counts, items))
    trailing = expect(re.search(r'The selective sliders\' texts \("\w+( +)" and so on\)', text),
                      "selective slider blanks").group(1)
    for row in rows.values():
        if row.cls == "slider" and row.sheet_name.startswith("Select/"):
            row.text += trailing


def parse_creation_order(text):
    order = expect(re.search(r"Create the controls in this order, each completely before the "
                             r"next: (.*?)\. The creation order", text), "creation order").group(1)
    pairs = expect(re.search(r"in pairs \((\d+), (\d+)\), \((\d+), (\d+)\) \.\.\. "
                             r"\((\d+), (\d+)\)", order), "pairs")
    first, partner, _, _, last, _ = (int(value) for value in pairs.groups())
    paired = []
    for number in range(first, last + 1):
        paired += [number, number - first + partner]
    order = order[:pairs.start()] + " PAIRS " + order[pairs.end():]
    order = re.sub(r"then fill \d+\.\.\d+", "", order)
    order = re.sub(r"\([^)]*\)", "", order)
    result = []
    for part in order.split("PAIRS"):
        result.append(numbers_in(part))
    return result[0] + paired + result[1]


def bullet(text, start):
    return expect(re.search(r"^- " + re.escape(start) + r"(.*)$", text, re.M),
                  "bullet " + start).group(1)


def parse_settings(text, rows, page_selectors):
    by_class = lambda name: [row for row in rows.values() if row.cls == name]

    # common settings
    common = bullet(text, "combo boxes:")
    scrolled = expect(re.search(r"combo boxes (\d+)\.\.(\d+) other than ([\d, and]+) also", common),
                      "scrolled combos")
    skip = numbers_in(scrolled.group(3))
    for row in by_class("combo box"):
        row.style.append("CBS_DROPDOWNLIST")
        if int(scrolled.group(1)) <= row.number <= int(scrolled.group(2)) and row.number not in skip:
            row.style.append("WS_VSCROLL")
    common = bullet(text, "check boxes:")
    expect("automatic check box style" in common and "owner-drawn static with the notify" in common
           and "image option 66" in common, "check box line")
    more = expect(re.search(r'the "More\.\.\." texts (\d+)\.\.(\d+): notify style and text colour '
                            r"(0x\w+)", common), "More texts")
    for row in by_class("check box"):
        row.style.append("BS_AUTOCHECKBOX")
    for row in by_class("group box"):
        row.style.append("BS_GROUPBOX")
    for row in by_class("colour button"):
        row.style.append("BS_OWNERDRAW")
    for row in by_class("image button"):
        row.style += ["SS_OWNERDRAW", "SS_NOTIFY"]
        row.image_option = 66
    for number in range(int(more.group(1)), int(more.group(2)) + 1):
        rows[number].style.append("SS_NOTIFY")
        rows[number].text_color = parse_int(more.group(3))
    common = bullet(text, "value lists used as page selectors:")
    bordered = expect(re.search(r"value list (\d+) is bordered", common), "bordered list")
    for number in page_selectors + [int(bordered.group(1))]:
        rows[number].style.append("WS_BORDER")
        rows[number].background_kind, rows[number].background = "BACKGROUND_SYSCOLOR", "COLOR_WINDOW"
    for number in page_selectors:
        rows[number].action = 0

    for number in numbers_in(bullet(text, "Not recorded for scripting").split(":", 1)[1]):
        if number in rows:
            rows[number].scripted = False

    # properties
    line = bullet(text, "Properties other than `CTLPROP_HOVER` alone:")
    for clause in line.split(";"):
        clause = clause.strip().rstrip(".")
        if clause.startswith("no properties:"):
            rest = clause.split(":", 1)[1]
            targets = numbers_in(rest)
            if "all group boxes" in rest:
                targets += [row.number for row in by_class("group box")]
            for number in targets:
                rows[number].properties = []
            continue
        flags = re.findall(r"`(CTLPROP_\w+)`", clause)
        for number in numbers_in(clause):
            rows[number].properties = flags

    # action codes
    line = bullet(text, "Action codes set explicitly").split("): ", 1)[1]
    for code, targets in re.findall(r"(?:^|; )(\d) for (.*?)(?=; \d for |\. All others)", line):
        for number in numbers_in(targets):
            rows[number].action = int(code)
        if "the page selectors" in targets:
            for number in page_selectors:
                rows[number].action = int(code)

    # anchors
    line = bullet(text, "Anchors (default `ANCHOR_RIGHT`):")
    for clause in line.rstrip(".").split(";"):
        flags = re.findall(r"`(ANCHOR_\w+)`", clause)
        targets = numbers_in(clause)
        if "every control of its sheets" in clause:
            targets += [row.number for row in rows.values() if row.tab == targets[0]]
        for number in targets:
            rows[number].anchor = flags

    # background colours
    line = bullet(text, "Background colours:")
    expect("each colour button's background is its value" in line, "colour button backgrounds")
    for row in by_class("colour button"):
        if row.has_value:
            row.background_kind = "BACKGROUND_VALUE"
    swatches = expect(re.search(r"the swatches ([\d.]+) and the colour boxes ([\d.]+) have, in "
                                r"order, ([0-9xA-Fa-f, ]+?) \(", line), "swatch colours")
    colours = [parse_int(value) for value in swatches.group(3).split(",")]
    for group in (swatches.group(1), swatches.group(2)):
        for number, colour in zip(numbers_in(group), colours):
            rows[number].background_kind, rows[number].background = "BACKGROUND_COLOR", colour
    for number, colour in re.findall(r"(\d+) has (0x\w+|\d+)", line):
        rows[int(number)].background_kind = "BACKGROUND_COLOR"
        rows[int(number)].background = parse_int(colour)
    white = expect(re.search(r"([\d and]+) white with black text", line), "white texts")
    for number in numbers_in(white.group(1)):
        rows[number].background_kind, rows[number].background = "BACKGROUND_COLOR", 0xFFFFFF
        rows[number].text_color = 0
    tabs = expect(re.search(r"([\d, and]+) take the colour of the main tab's sheets, ([\d, and]+) "
                            r"that of the side tab's sheets", line), "tab colours")
    for group, tab in ((tabs.group(1), 310), (tabs.group(2), 311)):
        for number in numbers_in(group):
            rows[number].background_kind, rows[number].background = "BACKGROUND_TAB", tab
    face = expect(re.search(r"([\d, and]+) the system button-face colour", line), "face colour")
    for number in numbers_in(face.group(1)):
        rows[number].background_kind, rows[number].background = "BACKGROUND_SYSCOLOR", "COLOR_BTNFACE"

    # extended styles and styles
    line = bullet(text, "Extended styles:")
    for words, style in (("client edge on", "WS_EX_CLIENTEDGE"), ("static edge on", "WS_EX_STATICEDGE"),
                         ("modal frame on", "WS_EX_DLGMODALFRAME")):
        group = expect(re.search(words + r" ([\d, and]+)[;.]", line), words).group(1)
        for number in numbers_in(group):
            rows[number].ex_style.append(style)
    for words, style in (("push-like check boxes", "BS_PUSHLIKE"), ("centred text", "SS_CENTER"),
                         ("right-aligned text", "SS_RIGHT")):
        group = expect(re.search(r"([\d, and]+) " + words, line), words).group(1)
        for number in numbers_in(group):
            rows[number].style.append(style)

    line = bullet(text, "Visual style:")
    explorer = expect(re.search(r'([\d, and]+) the "explorer" style', line), "explorer").group(1)
    plain = expect(re.search(r"([\d, and]+) none", line), "no style").group(1)
    for number in numbers_in(explorer):
        rows[number].theme = "THEME_EXPLORER"
    for number in numbers_in(plain):
        rows[number].theme = "THEME_OFF"

    font = expect(re.search(r"(\d+) uses font slot (\d+)", bullet(text, "Font:")), "font")
    rows[int(font.group(1))].font_slot = int(font.group(2))

    line = bullet(text, "Images (option 66):")
    for targets, name in re.findall(r'([\d, and.]+) "([\w.]+)"', line):
        for number in numbers_in(targets):
            if number in rows:
                rows[number].image = name

    line = bullet(text, "Column width of the multi-column value lists:")
    for number, width in re.findall(r"(\d+) gets (\d+)", line):
        rows[int(number)].column_width = int(width)

    line = bullet(text, "Pseudo controls:")
    preview = expect(re.search(r"(\d+) at (\d+),(\d+), (\d+) x (\d+); (\d+) at (\d+),(\d+), "
                               r"(\d+) x (\d+); (\d+) hidden", line), "pseudo controls")
    values = [int(value) for value in preview.groups()]
    for number, x, y, width, height in (values[0:5], values[5:10]):
        rows[number].x, rows[number].y, rows[number].width, rows[number].height = x, y, width, height
    rows[values[10]].hidden = True
    configure = expect(re.search(r"Configure the preview (\d+) \(properties, position (\d+),(\d+), "
                                 r"size (\d+) x (\d+), not scripted\)", text), "preview step")
    if [int(value) for value in configure.groups()] != values[0:5]:
        fail("preview position differs between its two sentences")


def parse_home_sheets(text, rows, hosts, page_selectors):
    rule = expect(re.search(r"except that (.*?) record no alternate position, and the conversion "
                            r"group box (\d+) records only an alternate size, (\d+) x (\d+)\.", text),
                  "alternate position exceptions")
    no_alt = numbers_in(re.sub(r"the page selectors|the group boxes|the menu button|the controls",
                               "", rule.group(1)))
    sized = int(rule.group(2))
    for row in rows.values():
        on_main = row.tab == 310 and row.sheet != 0
        if not (on_main or row.tab in page_selectors):
            continue
        row.home_sheet = True
        if row.number == sized:
            row.alt_width, row.alt_height = int(rule.group(3)), int(rule.group(4))
        elif row.number not in no_alt:
            row.alt_position = True


def apply_layout(rows):
    for number, (x, y, width, height) in LAYOUT_MOVES.items():
        row = rows[number]
        row.x, row.y, row.width, row.height = x, y, width, height
    for row in rows.values():
        if row.cls != "slider" or row.divisor == 1 or not row.ranged:
            continue
        places = 1 if row.divisor <= 10 else 2 if row.divisor <= 100 else 3
        widest = max(len("%.*f" % (places, value / row.divisor))
                     for value in (row.min_value, row.max_value))
        if widest >= 5:
            row.edit_width = VALUE_BOX_WIDE
            row.width -= VALUE_BOX_WIDE - VALUE_BOX_STANDARD


def c_string(text):
    if text is None:
        return "nullptr"
    escaped = text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n")
    return '"' + escaped + '"'


def c_bits(names):
    return " | ".join(names) if names else "0"


def c_value(value):
    if isinstance(value, str):
        return value
    return c_colour(value) if value > 255 else str(value)


def c_colour(value):
    return "0x%06X" % value if value >= 0 else str(value)


def emit(rows, order, out):
    out.write("// The effect dialog's control table as data, in creation order. Generated by\n"
              "// tools/make_control_table.py; edit the script's source notes, not this file.\n\n"
              "#include \"effect/control_table.h\"\n\n"
              "#include \"effect/control_ids.h\"\n\n")
    for number in order:
        row = rows[number]
        out.write("static_assert(%s == %d);\n" % (row.name, number))
    out.write("\n// clang-format off\n"
              "const ControlTableRow kControlTable[] = {\n")
    for number in order:
        row = rows[number]
        flags = []
        for present, flag in ((row.ranged, "ROW_RANGED"), (row.has_value, "ROW_VALUE"),
                              (row.value_syscolor, "ROW_VALUE_SYSCOLOR"), (row.hidden, "ROW_HIDDEN"),
                              (not row.scripted, "ROW_NOT_SCRIPTED"), (row.pixel_size, "ROW_PIXEL_SIZE"),
                              (row.default_position, "ROW_DEFAULT_POSITION"),
                              (row.home_sheet, "ROW_HOME_SHEET"), (row.alt_position, "ROW_ALT_POSITION"),
                              (row.pseudo, "ROW_PSEUDO"),
                              (row.filled_later, "ROW_ITEMS_AT_RUN_TIME")):
            if present:
                flags.append(flag)
        default = "kNoDefault" if row.default is None else str(row.default)
        background = row.background
        if row.background_kind == "BACKGROUND_COLOR":
            background = c_colour(row.background)
        out.write("    {%s, %s, %s, %s,\n" % (row.name, CLASS_NAMES.get(row.cls, row.cls),
                                             c_string(row.text), c_string(row.label)))
        out.write("     %s, %s, %s, %s, %d, %d,\n" % (row.min_value, row.max_value,
                                                   c_value(row.value),
                                                   default, row.divisor, row.gamma))
        out.write("     %d, %d, %d, %d, %d, %d, %d, %d,\n" % (row.tab, row.sheet, row.x, row.y,
                                                         row.width, row.height, row.unthemed_y,
                                                         row.unthemed_height))
        out.write("     %s, %s, %s, %d, %s,\n" % (c_bits(row.style), c_bits(row.ex_style),
                                                c_bits(row.properties), row.action, c_bits(row.anchor)))
        out.write("     %s, %s, %s, %s, %d, %s, %d, %d, %d, %d, %d,\n" % (
            row.background_kind, background, c_colour(row.text_color), row.theme, row.font_slot,
            c_string(row.image), row.image_option, row.column_width, row.alt_width, row.alt_height,
            row.edit_width))
        out.write("     %s},\n" % c_bits(flags))
    out.write("};\n// clang-format on\n\n"
              "const int32_t kControlTableSize = sizeof(kControlTable) / sizeof(kControlTable[0]);\n")


def main():
    if len(sys.argv) != 3:
        fail("usage: make_control_table.py <notes.md> <output.cpp>")
    text = open(sys.argv[1], encoding="utf-8").read()
    lines = text.split("\n")
    sheets, hosts = parse_sheet_hosts(lines)
    rows = parse_table(lines)
    for number, (name, cls) in PSEUDO.items():
        row = Row(number)
        row.name, row.cls, row.pseudo = name, cls, True
        row.properties = []
        row.anchor = []  # the template windows keep the framework's anchors unless listed
        rows[number] = row
    for row in rows.values():
        if row.sheet_name:
            if row.sheet_name not in sheets:
                fail("unknown sheet %s of %d" % (row.sheet_name, row.number))
            row.tab, row.sheet = sheets[row.sheet_name]
    page_selectors = [host for host in hosts if rows[host].cls == "value list"]
    parse_blanks(text, rows, page_selectors)
    parse_settings(text, rows, page_selectors)
    parse_home_sheets(text, rows, hosts, page_selectors)
    apply_layout(rows)
    later = expect(re.search(r"^- The items of (.*?) come from the preset tables", text, re.M),
                   "items filled at run time")
    for number in numbers_in(later.group(1)):
        rows[number].filled_later = True
    order = [395] + parse_creation_order(text)
    if len(order) != len(set(order)):
        fail("creation order names a control twice: %s" %
             sorted({n for n in order if order.count(n) > 1}))
    missing = sorted(set(rows) - set(order))
    unknown = [number for number in order if number not in rows]
    if missing or unknown:
        fail("creation order misses %s, names unknown %s" % (missing, unknown))
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as out:
        emit(rows, order, out)


if __name__ == "__main__":
    main()

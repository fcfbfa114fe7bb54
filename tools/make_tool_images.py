#!/usr/bin/env python3
"""Draws the effect dialog's tool-button bitmaps and tool cursors, and writes the resource
script that names them.

    tools/make_tool_images.py resources

Every glyph is a few strokes on a small grid, drawn in one of three looks: "_off" (dark glyph
on the button face), "_on" (white glyph on a blue field) and "_grey" (light glyph, not
available). Bitmaps are 24-bit BMP files, cursors 32 x 32 monochrome CUR files.
"""
import struct
import sys
from pathlib import Path

FACE = (240, 240, 240)
DARK = (48, 48, 48)
LIGHT = (170, 170, 170)
BLUE = (51, 122, 204)
WHITE = (255, 255, 255)
LOOKS = {"off": (FACE, DARK), "on": (BLUE, WHITE), "grey": (FACE, LIGHT)}


def line(points, x0, y0, x1, y1):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        points.add((round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps)))


def box(points, x0, y0, x1, y1):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            points.add((x, y))


def ring(points, cx, cy, r):
    for i in range(64):
        import math
        a = 2 * math.pi * i / 64
        points.add((round(cx + r * math.cos(a)), round(cy + r * math.sin(a))))


def triangle(points, cx, cy, size, direction):
    for i in range(size):
        for j in range(-i, i + 1):
            # Row i is 2i + 1 wide: the apex points the given way.
            dx, dy = {"down": (j, -i), "up": (j, i), "left": (i, j), "right": (-i, j)}[direction]
            off = {"down": (0, size // 2), "up": (0, -size // 2), "left": (-size // 2, 0),
                   "right": (size // 2, 0)}[direction]
            points.add((cx + dx + off[0], cy + dy + off[1]))


# Glyphs on a 20 x 20 grid.
def hand(p):
    box(p, 6, 9, 13, 15)
    for x in (6, 8, 10, 12):
        line(p, x, 4, x, 9)
    line(p, 4, 9, 6, 12)
    line(p, 7, 16, 12, 16)


def eyedropper(p):
    line(p, 4, 15, 11, 8)
    line(p, 5, 15, 12, 8)
    box(p, 11, 4, 15, 8)
    line(p, 3, 16, 4, 15)


def cross(p):
    line(p, 10, 3, 10, 16)
    line(p, 3, 10, 16, 10)
    ring(p, 10, 10, 4)


def brush(p):
    line(p, 9, 10, 15, 4)
    line(p, 10, 10, 16, 4)
    box(p, 5, 11, 9, 14)
    line(p, 4, 15, 6, 15)


def eraser(p):
    for i in range(6):
        line(p, 4 + i, 12 - i, 9 + i, 17 - i)
    line(p, 9, 7, 14, 12)
    line(p, 10, 6, 15, 11)
    line(p, 14, 12, 9, 17)


def splitdrag(p):
    line(p, 10, 3, 10, 16)
    triangle(p, 6, 10, 3, "left")
    triangle(p, 14, 10, 3, "right")


def undo(p):
    line(p, 7, 7, 13, 7)
    line(p, 13, 7, 15, 9)
    line(p, 15, 9, 15, 12)
    line(p, 15, 12, 13, 14)
    line(p, 13, 14, 8, 14)
    triangle(p, 6, 7, 4, "left")


def redo(p):
    undo_points = set()
    undo(undo_points)
    p.update((19 - x, y) for x, y in undo_points)


def menu(p):
    triangle(p, 10, 10, 4, "down")


GLYPHS = {"hand": hand, "eyedropper": eyedropper, "cross": cross, "brush": brush,
          "eraser": eraser, "splitdrag": splitdrag, "undo": undo, "redo": redo}
# (file stem, glyph, look, size)
BITMAPS = []
for stem in ("hand", "eyedropper", "cross", "brush", "splitdrag"):
    for look in ("on", "off", "grey"):
        BITMAPS.append((f"{stem}2_{look}" if stem not in ("hand", "splitdrag") else f"{stem}_{look}",
                        stem, look, 20))
for stem in ("eyedropper", "cross", "brush", "eraser"):
    for look in ("on", "off"):
        BITMAPS.append((f"{stem}_{look}", stem, look, 20))
for stem in ("undo", "redo"):
    for look in ("off", "grey"):
        BITMAPS.append((f"{stem}_{look}", stem, look, 20))
BITMAPS += [("buttonmenu_simple2", "menu", "off", 16), ("buttonmenu_simple3", "menu", "off", 16)]
for direction in ("left", "right", "up", "down"):
    BITMAPS.append((f"arrow_{direction}", direction, "off", 14))

# Cursor id, glyph, hot spot on the 20 x 20 grid.
CURSORS = [(105, "eyedropper", (3, 16)), (106, "ring", (10, 10)), (107, "splitv", (10, 10)),
           (108, "splith", (10, 10)), (110, "cross", (10, 10)), (113, "eyedrag", (3, 16)),
           (114, "eyedragv", (3, 16))]


def glyph_points(name, size):
    points = set()
    if name == "menu":
        triangle(points, size // 2, size // 2, 4, "down")
    elif name in ("left", "right", "up", "down"):
        triangle(points, size // 2, size // 2, 4, name)
    elif name == "ring":
        ring(points, 10, 10, 7)
    elif name == "splitv":
        splitdrag(points)
    elif name == "splith":
        splitdrag(points)
        points = {(y, x) for x, y in points}
    elif name in ("eyedrag", "eyedragv"):
        eyedropper(points)
        triangle(points, 15, 15, 3, "right" if name == "eyedrag" else "down")
    else:
        GLYPHS[name](points)
    return points


def write_bmp(path, size, field, ink, points):
    row_bytes = (size * 3 + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(size)):
        row = bytearray()
        for x in range(size):
            r, g, b = ink if (x, y) in points else field
            row += bytes((b, g, r))
        pixels += row + bytes(row_bytes - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    path.write_bytes(header + info + pixels)


def write_cur(path, points, hot):
    # 32 x 32 monochrome: XOR mask (1 = white) then AND mask (1 = transparent), bottom-up.
    scaled = {(x + 6, y + 6) for x, y in points}
    outline = {(x + dx, y + dy) for x, y in scaled for dx in (-1, 0, 1) for dy in (-1, 0, 1)}
    xor, and_ = bytearray(), bytearray()
    for y in reversed(range(32)):
        for byte in range(4):
            xbits = abits = 0
            for bit in range(8):
                x = byte * 8 + bit
                if (x, y) not in outline:
                    abits |= 0x80 >> bit
                elif (x, y) not in scaled:
                    xbits |= 0x80 >> bit
            xor.append(xbits)
            and_.append(abits)
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + palette + xor + and_
    directory = struct.pack("<HHH", 0, 2, 1) + struct.pack(
        "<BBBBHHII", 32, 32, 0, 0, hot[0] + 6, hot[1] + 6, len(image), 22)
    path.write_bytes(directory + image)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_tool_images.py <resources folder>")
    root = Path(sys.argv[1])
    images = root / "images"
    images.mkdir(exist_ok=True)
    lines = ["// The tool-button bitmaps and tool cursors. Generated by tools/make_tool_images.py.", ""]
    for stem, glyph, look, size in BITMAPS:
        field, ink = LOOKS[look]
        write_bmp(images / f"{stem}.bmp", size, field, ink, glyph_points(glyph, size))
        # windres joins a quoted file name to the quoted name on the next line: leave it bare.
        lines.append(f'"{stem.upper()}.BMP" BITMAP images/{stem}.bmp')
    lines.append("")
    for number, glyph, hot in CURSORS:
        write_cur(images / f"cursor{number}.cur", glyph_points(glyph, 20), hot)
        lines.append(f'{number} CURSOR "images/cursor{number}.cur"')
    (root / "tool_images.rc").write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()

"""Pictures and metafiles with known contents for the control-library tests.

Every button picture is 24 x 24 pixels: a 3-pixel border of the corner colour (magenta, the
transparent colour of the "arrow_" look) around a block of the mark colour, with one white
pixel at (12, 12). The metafiles draw filled rectangles; their sizes are chosen around the
100-byte minimum."""
import os
import struct
import sys

SIZE = 24
CORNER = (255, 0, 255)
MARK = (200, 30, 40)
CENTRE = (255, 255, 255)


def bitmap(path, colour_at):
    row_bytes = (SIZE * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in range(SIZE - 1, -1, -1):
        row = bytearray()
        for x in range(SIZE):
            r, g, b = colour_at(x, y)
            row += bytes((b, g, r))
        pixels += row + b"\0" * (row_bytes - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as out:
        out.write(head + info + pixels)


def button(x, y):
    if x < 3 or y < 3 or x >= SIZE - 3 or y >= SIZE - 3:
        return CORNER
    return CENTRE if (x, y) == (12, 12) else MARK


def record(function, *words):
    return struct.pack("<IH", 3 + len(words), function) + struct.pack("<%dH" % len(words), *words)


def windows_metafile(rectangles, claim_extra_words=0):
    body = record(0x020B, 0, 0) + record(0x020C, 32, 32)
    body += struct.pack("<IHHIH", 7, 0x02FC, 0, 0x00204060, 0)  # solid brush
    body += record(0x012D, 0)
    for i in range(rectangles):
        body += record(0x041B, 30 - i, 30 - i, 2 + i, 2 + i)
    body += record(0x0000)
    words = (18 + len(body)) // 2 + claim_extra_words
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, words, 1, 7, 0)
    return header + body


def placeable(metafile):
    key = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 32, 32, 96, 0)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", key):
        checksum ^= word
    return key + struct.pack("<H", checksum) + metafile


def main(folder):
    os.makedirs(folder, exist_ok=True)
    for name in ("tool.bmp", "tool_off.bmp", "tool_grey.bmp", "arrow_left.bmp",
                 "onpath.bmp", "onvesk.bmp"):
        bitmap(os.path.join(folder, name), button)
    files = {
        "placeable.wmf": placeable(windows_metafile(6)),
        "plain.wmf": windows_metafile(6),
        "short99.wmf": (placeable(windows_metafile(6)) * 2)[:99],
        "claims_too_much.wmf": windows_metafile(6, claim_extra_words=40),
        "short_res.wmf": windows_metafile(6)[:99],
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)
    with open(os.path.join(folder, "images.stamp"), "w") as out:
        out.write("\n".join(sorted(files)) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])

"""Writes the about box's background picture (bitmap 134): a 24-bit BMP of soft grey
tones, light at the top where the texts stand, with a darker band across the foot."""
import struct
import sys

WIDTH, HEIGHT = 160, 100


def pixel(x, y):
    # A vertical fall from near white to mid grey, a faint diagonal sheen, and a dark foot band.
    tone = 236 - (y * 70) // HEIGHT
    tone += ((x + y) // 24 % 2) * 6
    if y > HEIGHT - 16:
        tone = 60 + (x * 40) // WIDTH
    tone = max(0, min(255, tone))
    return tone, tone, tone


def main(path):
    row_bytes = (WIDTH * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up rows
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        pixels += row
    header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
    with open(path, "wb") as out:
        out.write(file_header + header + pixels)


if __name__ == "__main__":
    main(sys.argv[1])

#!/usr/bin/env python3
"""Writes the plug-in's property list (PIPL) and scripting terminology (AETE) resources.

Both are binary records that resource compilers for Windows cannot produce, so they are
generated here from one description and included by greyloom.rc as custom resources.
Integers are little-endian; four-character codes are stored as little-endian integers of
their big-endian value, the way hosts on Windows read them.

usage: plugin_resources.py ARCH OUTDIR    (ARCH is x64 or x86)
"""
import struct
import sys
from pathlib import Path

VENDOR = "8BIM"
MENU_NAME = "Greyloom 2.0..."
CATEGORY = " Quillmoor"
SUITE_CODE = "Grlm"
SCOPE = "Quillmoor Lumenvale Greyloom"
EVENT_NAME = "Greyloom 2.0"
DESCRIPTION = "B&W Effects"
ENTRY_KEY = {"x64": "8664", "x86": "wx86"}
FILTER_CASES = [(1, 1, 1, 0), (1, 1, 1, 0), (10, 1, 1, 0), (10, 1, 3, 0),
                (10, 1, 3, 0), (10, 1, 1, 0), (10, 1, 1, 0)]
SCRIPTED_CONTROLS = 256
TERMINOLOGY_ID = 16000


def fourcc(code: str) -> bytes:
    assert len(code) == 4
    return struct.pack("<I", int.from_bytes(code.encode("latin-1"), "big"))


def pascal(text: str) -> bytes:
    data = text.encode("latin-1")
    return bytes([len(data)]) + data


def pad4(data: bytes) -> bytes:
    return data + b"\0" * (-len(data) % 4)


def prop(key: str, data: bytes) -> bytes:
    # Lengths are stored padded to a multiple of four, as hosts expect.
    data = pad4(data)
    return fourcc(VENDOR) + fourcc(key) + struct.pack("<ii", 0, len(data)) + data


def pipl(arch: str) -> bytes:
    props = [
        prop("kind", fourcc("8BFM")),
        prop("name", pascal(MENU_NAME)),
        prop("catg", pascal(CATEGORY)),
        prop("vers", struct.pack("<I", 0x00040000)),
        prop(ENTRY_KEY[arch], b"ENTRYPOINT\0"),
        prop("mode", bytes([0x10, 0, 0, 0])),
        prop("hstm", struct.pack("<i", 0) + fourcc(SUITE_CODE) + fourcc(SUITE_CODE)
             + struct.pack("<h", TERMINOLOGY_ID) + SCOPE.encode("latin-1") + b"\0"),
        prop("flly", bytes([0x80, 0, 0, 0])),
        prop("enbl", b"in (PSHOP_ImageMode, RGBMode, RGB48Mode)\0"),
        prop("fici", b"".join(bytes(case) for case in FILTER_CASES)),
    ]
    # Resource word 1, property-list version 0, count, properties.
    return struct.pack("<hii", 1, 0, len(props)) + b"".join(props)


class Terminology:
    def __init__(self):
        self.data = bytearray()

    def word(self, value):
        self.data += struct.pack("<h", value)

    def code(self, text):
        self.data += fourcc(text)

    def text(self, value):
        self.data += pascal(value)

    def align(self):
        if len(self.data) % 2:
            self.data += b"\0"


def aete() -> bytes:
    t = Terminology()
    t.word(1)  # resource word
    t.data += bytes([1, 0])  # version 1.0
    t.word(0)  # language
    t.word(0)  # script
    t.word(1)  # one suite
    t.text(CATEGORY)
    t.text(DESCRIPTION)
    t.align()
    t.code(SUITE_CODE)
    t.word(1)  # level
    t.word(1)  # version
    t.word(1)  # one event
    t.text(EVENT_NAME)
    t.text(DESCRIPTION)
    t.align()
    t.code(SUITE_CODE)  # class
    t.code(SUITE_CODE)  # id
    t.code("null")  # no reply
    t.text("")
    t.align()
    t.word(0)
    t.code("#ImR")  # direct parameter: image reference
    t.text("")
    t.align()
    t.word(0)
    t.word(SCRIPTED_CONTROLS)
    for n in range(SCRIPTED_CONTROLS):
        t.text(f"ctl{n:03d}")
        t.align()
        t.code(f"0{n:03d}")
        t.code("long")
        t.text("")
        t.align()
        t.word(0)
    t.word(0)  # classes
    t.word(0)  # comparison operators
    t.word(0)  # enumerations
    return bytes(t.data)


def main():
    arch, outdir = sys.argv[1], Path(sys.argv[2])
    outdir.mkdir(parents=True, exist_ok=True)
    (outdir / "pipl.bin").write_bytes(pipl(arch))
    (outdir / "aete.bin").write_bytes(aete())


if __name__ == "__main__":
    main()

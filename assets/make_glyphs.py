#!/usr/bin/env python3
"""Draws the Lookup button's picture and writes lookup_glyph.bmp.

A 16 x 16 sheet of paper with a folded top-right corner and five short lines of
"text", black on white, beside its greyed twin: one 32 x 16 bitmap of 16
colours (4 bits per pixel). The bottom-left pixel's colour, purple, is the
transparent one. Standard library only; the output is a pure function of this
file.
"""
import struct
import sys
from pathlib import Path

# The classic 16-colour palette; index 5 is purple (128, 0, 128).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, PURPLE, SILVER, GREY, WHITE = 0, 5, 7, 8, 15

# Rows top-down. '#' outline and text, '.' paper, ' ' transparent.
SHEET = [
    "                ",
    "   #######      ",
    "   #.....##     ",
    "   #.....#.#    ",
    "   #.###.#..#   ",
    "   #.....####   ",
    "   #.######.#   ",
    "   #........#   ",
    "   #.######.#   ",
    "   #........#   ",
    "   #.#####..#   ",
    "   #........#   ",
    "   #.######.#   ",
    "   #........#   ",
    "   ##########   ",
    "                ",
]


def pixels():
    """32 x 16 colour indices, top-down: the normal image, then the greyed twin."""
    normal = {"#": BLACK, ".": WHITE, " ": PURPLE}
    greyed = {"#": GREY, ".": SILVER, " ": PURPLE}
    return [[normal[c] for c in row] + [greyed[c] for c in row] for row in SHEET]


def bmp(rows):
    width, height = len(rows[0]), len(rows)
    stride = ((width * 4 + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):  # bottom-up
        packed = bytearray(stride)
        for x, index in enumerate(row):
            packed[x // 2] |= index << (4 if x % 2 == 0 else 0)
        data += packed
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(data), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return header + info + palette + bytes(data)


def main():
    rows = pixels()
    assert rows[-1][0] == PURPLE, "the bottom-left pixel names the transparent colour"
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("lookup_glyph.bmp")
    out.write_bytes(bmp(rows))


if __name__ == "__main__":
    main()

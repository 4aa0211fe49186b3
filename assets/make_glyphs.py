#!/usr/bin/env python3
"""Draws the buttons' pictures and writes them beside this file.

Each is a 16 x 16 picture beside its greyed twin: one 32 x 16 bitmap of 16
colours (4 bits per pixel). The bottom-left pixel's colour, purple, is the
transparent one. Standard library only; the output is a pure function of this
file.

- lookup_glyph.bmp: a sheet of paper with a folded top-right corner and five
  short lines of "text", black on white (the Lookup button).
- bulk_glyph.bmp: four such sheets fanned from the top left to the bottom
  right, the front one with its fold and lines (the Bulk Lookup button).
- The About window's buttons, transparent where olive: exit_glyph.bmp, a raised
  button face with a black stop square, outlined in black, then aqua;
  close_glyph.bmp, a maroon door outlined in black with an aqua pane and a
  yellow knob; update_glyph.bmp, a compact disc outlined in black with lime,
  yellow, aqua and fuchsia reflections and a silver-and-black hole.
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
BLACK, MAROON, OLIVE, PURPLE, SILVER, GREY = 0, 1, 3, 5, 7, 8
LIME, YELLOW, FUCHSIA, AQUA, WHITE = 10, 11, 13, 14, 15

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


# The front sheet of the fanned pile; ' ' leaves what is behind it.
FRONT_SHEET = [
    "######   ",
    "#....##  ",
    "#....#.# ",
    "#....####",
    "#.......#",
    "#.#####.#",
    "#.......#",
    "#.####..#",
    "#.......#",
    "#.#####.#",
    "#########",
]


def fanned_sheets():
    """Three plain 9 x 11 sheets and the front one, each two right and one down
    from the one behind it."""
    grid = [[" "] * 16 for _ in range(16)]
    for k in range(3):
        left, top = 2 * k, 1 + k
        for y in range(top, top + 11):
            for x in range(left, left + 9):
                grid[y][x] = "#" if y in (top, top + 10) or x in (left, left + 8) else "."
    for y, row in enumerate(FRONT_SHEET):
        for x, c in enumerate(row):
            if c != " ":
                grid[4 + y][6 + x] = c
    return ["".join(row) for row in grid]


# The About window's pictures. ' ' is the transparent olive; the other
# letters name colours of the palette below.
EXIT = [
    "                ",
    " aaaaaaaaaaaaaa ",
    " a############a ",
    " a#wwwwwwwwwwg#a",
    " a#wssssssssgg#a",
    " a#ws######sgg#a",
    " a#ws######sgg#a",
    " a#ws######sgg#a",
    " a#ws######sgg#a",
    " a#ws######sgg#a",
    " a#ws######sgg#a",
    " a#wssssssssgg#a",
    " a#wggggggggggg#",
    " a##############",
    " aaaaaaaaaaaaaaa",
    "                ",
]
CLOSE = [
    "                ",
    "    ########    ",
    "    #mmmmmm#    ",
    "    #m####m#    ",
    "    #m#aa#m#    ",
    "    #m#aa#m#    ",
    "    #m####m#    ",
    "    #mmmmmm#    ",
    "    #mmmmmm#    ",
    "    #mmmmyy#    ",
    "    #mmmmyy#    ",
    "    #mmmmmm#    ",
    "    #mmmmmm#    ",
    "    #mmmmmm#    ",
    "    ########    ",
    "                ",
]
UPDATE = [
    "                ",
    "     ######     ",
    "   ##wwwwww##   ",
    "  #wwlllwwwaa#  ",
    " #wwwwlllwaaww# ",
    " #wwwwwllaawww# ",
    "#wwwwww##wwwwww#",
    "#wwwww#ss#wwwww#",
    "#wwwww#ss#wwwww#",
    "#wwwwww##wwwwww#",
    " #wwwffyywwwww# ",
    " #wwffyywwwwww# ",
    "  #wffyywwwww#  ",
    "   ##wwwwww##   ",
    "     ######     ",
    "                ",
]

GLYPHS = {
    "lookup_glyph.bmp": (SHEET, PURPLE),
    "bulk_glyph.bmp": (fanned_sheets(), PURPLE),
    "exit_glyph.bmp": (EXIT, OLIVE),
    "close_glyph.bmp": (CLOSE, OLIVE),
    "update_glyph.bmp": (UPDATE, OLIVE),
}

# The greyed twin keeps black and white apart and turns every colour grey.
NORMAL = {"#": BLACK, ".": WHITE, "w": WHITE, "s": SILVER, "g": GREY, "m": MAROON, "a": AQUA,
          "y": YELLOW, "l": LIME, "f": FUCHSIA}
GREYED = {"#": GREY, ".": SILVER, "w": SILVER, "s": SILVER, "g": GREY, "m": GREY, "a": SILVER,
          "y": SILVER, "l": SILVER, "f": SILVER}


def pixels(picture, transparent):
    """32 x 16 colour indices, top-down: the normal image, then the greyed twin."""
    normal = dict(NORMAL, **{" ": transparent})
    greyed = dict(GREYED, **{" ": transparent})
    return [[normal[c] for c in row] + [greyed[c] for c in row] for row in picture]


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
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    for name, (picture, transparent) in GLYPHS.items():
        rows = pixels(picture, transparent)
        assert len(rows) == 16 and all(len(row) == 32 for row in rows)
        assert rows[-1][0] == transparent, "the bottom-left pixel names the transparent colour"
        (folder / name).write_bytes(bmp(rows))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws the program icon, a magnifier over a globe, and writes quorvane.ico.

Standard library only; the output is a pure function of this file, so running it
again reproduces the committed icon byte for byte. Shapes are signed-distance
functions in unit coordinates (0..1, y down), painted back to front; coverage
of a pixel is its distance clamped to one pixel, which anti-aliases edges
without supersampling. Sizes 16 to 32 are stored as 32-bit bitmaps, 48 to
256 as PNG, which every supported system reads and which keeps the file small.
"""
import math
import struct
import sys
import zlib
from pathlib import Path

# 20 and 24: the small icon (title bars, the notification area) at 125 and
# 150 % display scale, drawn for their size rather than scaled from another.
# No 128: the shell never asks for it (its views take 16, 32, 48, 96 and 256
# at 100 %), and scales 256 down as well as it would 128.
SIZES = (16, 20, 24, 32, 48, 64, 256)
PNG_FROM = 48

# Colours, straight RGB.
OCEAN_LIGHT = (72, 152, 232)
OCEAN_DARK = (22, 84, 168)
GRID = (200, 232, 255)
GLOBE_RIM = (14, 52, 112)
GLASS = (225, 245, 255)
LENS_RIM = (52, 58, 68)
HANDLE = (34, 36, 40)

GLOBE_C, GLOBE_R = (0.42, 0.42), 0.38
LENS_C, LENS_R = (0.62, 0.62), 0.215
HANDLE_A, HANDLE_B = (0.78, 0.78), (0.93, 0.93)


def circle(p, c, r):
    return math.hypot(p[0] - c[0], p[1] - c[1]) - r


def ellipse(p, c, rx, ry):
    # First-order distance: f / |grad f| of the implicit form.
    x, y = p[0] - c[0], p[1] - c[1]
    f = (x / rx) ** 2 + (y / ry) ** 2 - 1.0
    g = math.hypot(2 * x / rx ** 2, 2 * y / ry ** 2)
    return f / g if g > 1e-9 else -min(rx, ry)


def segment(p, a, b):
    ax, ay = p[0] - a[0], p[1] - a[1]
    bx, by = b[0] - a[0], b[1] - a[1]
    t = max(0.0, min(1.0, (ax * bx + ay * by) / (bx * bx + by * by)))
    return math.hypot(ax - t * bx, ay - t * by)


def coverage(distance, pixel):
    """Fraction of a pixel inside a shape whose signed distance is given."""
    return max(0.0, min(1.0, 0.5 - distance / pixel))


def over(dst, colour, alpha):
    """Source-over compositing on premultiplied RGBA floats."""
    if alpha <= 0.0:
        return dst
    r, g, b, a = dst
    k = 1.0 - alpha
    return (colour[0] * alpha + r * k, colour[1] * alpha + g * k,
            colour[2] * alpha + b * k, alpha + a * k)


def mix(c0, c1, t):
    return tuple(c0[i] + (c1[i] - c0[i]) * t for i in range(3))


def shade(size, px, py):
    pixel = 1.0 / size
    stroke = max(0.03, 1.1 * pixel)  # lines never thinner than a pixel
    p = ((px + 0.5) * pixel, (py + 0.5) * pixel)
    out = (0.0, 0.0, 0.0, 0.0)

    d_globe = circle(p, GLOBE_C, GLOBE_R)
    inside_globe = coverage(d_globe, pixel)
    if inside_globe > 0:
        # Lit from the top left.
        t = min(1.0, math.hypot(p[0] - 0.28, p[1] - 0.26) / (1.5 * GLOBE_R))
        out = over(out, mix(OCEAN_LIGHT, OCEAN_DARK, t), inside_globe)
        d_grid = min(
            abs(ellipse(p, GLOBE_C, GLOBE_R * 0.45, GLOBE_R)),
            abs(p[0] - GLOBE_C[0]),
            abs(p[1] - GLOBE_C[1]),
            abs(p[1] - (GLOBE_C[1] - GLOBE_R * 0.52)),
            abs(p[1] - (GLOBE_C[1] + GLOBE_R * 0.52)),
        )
        out = over(out, GRID, coverage(d_grid - stroke / 2, pixel) * inside_globe * 0.85)
    out = over(out, GLOBE_RIM, coverage(abs(d_globe) - stroke / 2, pixel))

    d_lens = circle(p, LENS_C, LENS_R)
    out = over(out, GLASS, coverage(d_lens, pixel) * 0.55)
    out = over(out, HANDLE, coverage(segment(p, HANDLE_A, HANDLE_B) - max(0.055, pixel), pixel))
    ring = max(0.045, 1.5 * pixel)
    out = over(out, LENS_RIM, coverage(abs(d_lens) - ring / 2, pixel))
    return out


def render(size):
    """Rows top-down of straight (unpremultiplied) RGBA bytes."""
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            r, g, b, a = shade(size, x, y)
            if a > 0:
                r, g, b = r / a, g / a, b / a
            row += bytes(max(0, min(255, round(v))) for v in (r, g, b, a * 255))
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(size, rows):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):  # bottom-up
        bits = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = row[4 * x:4 * x + 4]
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("quorvane.ico")
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png(size, rows) if size >= PNG_FROM else dib(size, rows)))
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, blob in images:
        side = 0 if size == 256 else size
        data += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    data += b"".join(blob for _, blob in images)
    out.write_bytes(data)


if __name__ == "__main__":
    main()

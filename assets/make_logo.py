#!/usr/bin/env python3
"""Draws the About logo and writes it as a PNG and as the stored picture the
About window carries (the class name as a length-prefixed string, then the PNG).

The picture: 400 x 400, 8 bits per channel, RGB + alpha, not interlaced, every
row filtered Sub; chunks IHDR, pHYs (2835 pixels per metre), iCCP (an embedded
sRGB profile), IDAT chunks of at most 65535 data bytes, IEND. A blue disc with
a white magnifying glass and a soft shadow, anti-aliased over transparency.
Standard library only; the output is the same on every run.

    python3 assets/make_logo.py [OUT_DIR]
"""
import math
import struct
import sys
import zlib
from pathlib import Path

SIZE = 400
IDAT_LIMIT = 65535


def chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


# --- the embedded sRGB profile (ICC version 2, display class) ---------------

def s15f16(v):
    return struct.pack(">i", round(v * 65536))


def xyz_tag(x, y, z):
    return b"XYZ " + bytes(4) + s15f16(x) + s15f16(y) + s15f16(z)


def srgb_profile():
    description = b"sRGB IEC61966-2.1\0"
    desc = (b"desc" + bytes(4) + struct.pack(">I", len(description)) + description
            + bytes(4) + bytes(4) + bytes(2) + bytes(1) + bytes(67))
    cprt = b"text" + bytes(4) + b"No copyright, use freely\0"
    curve = []
    for i in range(1024):
        x = i / 1023
        v = x / 12.92 if x <= 0.04045 else ((x + 0.055) / 1.055) ** 2.4
        curve.append(round(v * 65535))
    curv = b"curv" + bytes(4) + struct.pack(">I", len(curve)) + struct.pack(">%dH" % len(curve), *curve)
    tags = [
        (b"desc", desc), (b"cprt", cprt),
        (b"wtpt", xyz_tag(0.9505, 1.0, 1.0891)),
        (b"rXYZ", xyz_tag(0.4361, 0.2225, 0.0139)),
        (b"gXYZ", xyz_tag(0.3851, 0.7169, 0.0971)),
        (b"bXYZ", xyz_tag(0.1431, 0.0606, 0.7141)),
        (b"rTRC", curv), (b"gTRC", None), (b"bTRC", None),  # the three share one curve
    ]
    table_size = 4 + 12 * len(tags)
    offset = 128 + table_size
    body = b""
    entries = []
    curve_at = None
    for sig, data in tags:
        if data is None:
            entries.append((sig, curve_at, len(curv)))
            continue
        if sig == b"rTRC":
            curve_at = offset + len(body)
        entries.append((sig, offset + len(body), len(data)))
        body += data + bytes(-len(data) % 4)
    table = struct.pack(">I", len(tags)) + b"".join(struct.pack(">4sII", *e) for e in entries)
    size = 128 + len(table) + len(body)
    header = (struct.pack(">I", size) + bytes(4) + bytes([2, 0x10, 0, 0]) + b"mntr" + b"RGB " + b"XYZ "
              + struct.pack(">6H", 2026, 12, 7, 0, 0, 0) + b"acsp" + bytes(4) + bytes(4)
              + bytes(4) + bytes(4) + bytes(8) + struct.pack(">I", 0)
              + s15f16(0.9642) + s15f16(1.0) + s15f16(0.8249) + bytes(4) + bytes(16))
    header += bytes(128 - len(header))
    return header + table + body


# --- the drawing --------------------------------------------------------------

def coverage(distance):
    """Area of a pixel inside a shape whose edge is `distance` away (negative inside)."""
    return min(1.0, max(0.0, 0.5 - distance))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def over(dst, colour, alpha):
    """Porter-Duff source-over of a straight-alpha colour onto dst (r, g, b, a)."""
    r, g, b, a = dst
    out_a = alpha + a * (1 - alpha)
    if out_a <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    mix = [(c * alpha + d * a * (1 - alpha)) / out_a for c, d in zip(colour, (r, g, b))]
    return (mix[0], mix[1], mix[2], out_a)


def pixel(x, y):
    px, py = x + 0.5, y + 0.5
    cx = cy = 196.0
    radius = 176.0
    rgba = (0.0, 0.0, 0.0, 0.0)
    # Soft shadow below and right of the disc.
    shadow = math.hypot(px - cx - 6, py - cy - 9) - radius
    if shadow < 22:
        fall = max(0.0, min(1.0, (22 - shadow) / 30))
        rgba = over(rgba, (0.0, 0.05, 0.15), 0.45 * fall * fall)
    # The disc: deep blue at the bottom, teal at the top.
    disc = coverage(math.hypot(px - cx, py - cy) - radius)
    if disc > 0:
        t = (py - (cy - radius)) / (2 * radius)
        top, bottom = (40, 190, 200), (20, 60, 150)
        colour = tuple((a + (b - a) * t) / 255 for a, b in zip(top, bottom))
        rgba = over(rgba, colour, disc)
    # The magnifying glass: a ring and a handle, white.
    gx, gy = 170.0, 168.0
    ring = abs(math.hypot(px - gx, py - gy) - 70) - 13
    handle = segment_distance(px, py, gx + 62, gy + 62, 292, 290) - 17
    glass = coverage(min(ring, handle))
    if glass > 0:
        rgba = over(rgba, (1.0, 1.0, 1.0), glass)
    # A faint highlight inside the lens.
    lens = coverage(math.hypot(px - gx + 18, py - gy + 20) - 26)
    if lens > 0:
        rgba = over(rgba, (1.0, 1.0, 1.0), 0.35 * lens)
    return tuple(round(c * 255) for c in rgba[:3]) + (round(rgba[3] * 255),)


def png_bytes():
    raw = bytearray()
    bpp = 4
    for y in range(SIZE):
        row = bytearray()
        for x in range(SIZE):
            row += bytes(pixel(x, y))
        # Sub: each byte minus the byte of the pixel to its left.
        filtered = bytearray(row[:bpp]) + bytearray((row[i] - row[i - bpp]) & 0xFF for i in range(bpp, len(row)))
        raw += b"\x01" + filtered
    data = zlib.compress(bytes(raw), 9)
    out = b"\x89PNG\r\n\x1a\n"
    out += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    out += chunk(b"pHYs", struct.pack(">IIB", 2835, 2835, 1))
    out += chunk(b"iCCP", b"sRGB\0\0" + zlib.compress(srgb_profile(), 9))
    for start in range(0, len(data), IDAT_LIMIT):
        out += chunk(b"IDAT", data[start:start + IDAT_LIMIT])
    out += chunk(b"IEND", b"")
    return out


def main():
    out_dir = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent
    png = png_bytes()
    (out_dir / "logo.png").write_bytes(png)
    name = b"TPngPicture"
    (out_dir / "logo_picture.bin").write_bytes(bytes([len(name)]) + name + png)


if __name__ == "__main__":
    main()

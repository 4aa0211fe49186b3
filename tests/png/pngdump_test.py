#!/usr/bin/env python3
"""The pngdump command line: plain decode, drawing, and failures.

    pngdump_test.py PNGDUMP LOGO.png SUITE_DIR
"""
import subprocess
import sys
import tempfile
from pathlib import Path

PNGDUMP, LOGO, SUITE = sys.argv[1], sys.argv[2], Path(sys.argv[3])
failures = []
checks = 0


def check(ok, what):
    global checks
    checks += 1
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def run(*args):
    return subprocess.run([PNGDUMP, *map(str, args)], capture_output=True)


def read_pam(path):
    data = Path(path).read_bytes()
    header, _, body = data.partition(b"ENDHDR\n")
    fields = dict(line.split(b" ", 1) for line in header.split(b"\n")[1:] if b" " in line)
    return header, {k.decode(): v.decode() for k, v in fields.items()}, body


with tempfile.TemporaryDirectory() as tmp:
    out = Path(tmp) / "out.pam"

    result = run(LOGO, out)
    check(result.returncode == 0 and not result.stderr, "the logo decodes")
    header, fields, body = read_pam(out)
    check(header.startswith(b"P7\n"), "PAM signature")
    check(fields == {"WIDTH": "400", "HEIGHT": "400", "DEPTH": "4", "MAXVAL": "255", "TUPLTYPE": "RGB_ALPHA"},
          "PAM fields %r" % fields)
    check(len(body) == 400 * 400 * 4, "one RGBA tuple per pixel")
    check(body[3] == 0, "the logo's corner is transparent")
    centre = (200 * 400 + 300) * 4
    check(body[centre + 3] == 255, "inside the disc is opaque")

    # Bit mode: the tRNS colour gets alpha 0, the rest 255.
    result = run(SUITE / "tbrn2c08.png", out)
    _, fields, body = read_pam(out)
    alphas = set(body[3::4])
    check(result.returncode == 0 and alphas == {0, 255}, "bit mode alpha %r" % alphas)

    result = run("--draw", 65, 65, "D4D0C8", LOGO, out)
    check(result.returncode == 0, "the logo draws")
    _, fields, body = read_pam(out)
    check(fields["WIDTH"] == "65" and fields["HEIGHT"] == "65", "drawn at the asked size")
    check(set(body[3::4]) == {255}, "drawn pixels are opaque")
    check(body[0:3] == bytes([0xD4, 0xD0, 0xC8]), "the background shows through the corner")
    check(body[(32 * 65 + 32) * 4:(32 * 65 + 32) * 4 + 3] != bytes([0xD4, 0xD0, 0xC8]), "the logo covers the centre")

    # None mode stretch: basn2c08 (32 x 32) into 8 x 8 takes every fourth pixel.
    run(SUITE / "basn2c08.png", out)
    _, _, full = read_pam(out)
    run("--draw", 8, 8, "000000", SUITE / "basn2c08.png", out)
    _, _, small = read_pam(out)
    check(all(small[(r * 8 + c) * 4:(r * 8 + c) * 4 + 3] == full[(r * 4 * 32 + c * 4) * 4:(r * 4 * 32 + c * 4) * 4 + 3]
              for r in range(8) for c in range(8)), "nearest-neighbour stretch drops surplus pixels")

    result = run(SUITE / "xc1n0g08.png", out)
    expected = ('EPngInvalidIHDR: The "Portable Network Graphics" image could not be loaded because one of '
                'its main piece of data (ihdr) might be corrupted\n')
    check(result.returncode == 1 and result.stderr.decode() == expected, "a failure: %r" % result.stderr)
    result = run(SUITE / "xs1n0g01.png", out)
    check(result.returncode == 1 and result.stderr.startswith(b"EPngInvalidFileHeader: "), "signature failure")

    check(run("--draw", 0, 5, "000000", LOGO, out).returncode == 2, "a zero size is a usage error")
    check(run(LOGO).returncode == 2, "missing output is a usage error")
    check(run("--draw", 65535, 65535, "000000", LOGO, out).returncode == 2, "an oversized drawing is refused")

print("pngdump: %d checks, %d failed" % (checks, len(failures)))
sys.exit(1 if failures else 0)

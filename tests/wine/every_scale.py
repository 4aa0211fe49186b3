#!/usr/bin/env python3
"""Runs the window tests' display cases at 100, 125, 150 and 200 % display
scale (96, 120, 144 and 192 DPI), each in a fresh start of the tests, and
keeps the picture of every window at every scale for a look (PNG). The case
of a DPI change runs at each scale too: the system's is the windows' own.

The scale lives in a Wine prefix of its own, so the other tests never see it.

  every_scale.py --prefix P --tests quorvane_window_tests.exe --shots DIR
"""
import argparse
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
import winebench  # noqa: E402

DPIS = (96, 120, 144, 192)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--tests", required=True)
    parser.add_argument("--shots", required=True)
    args = parser.parse_args()
    winebench.setup_prefix(args.prefix)
    failed = []
    for dpi in DPIS:
        folder = Path(args.shots).resolve() / str(dpi)
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        extra = {"QUORVANE_SCALE_DPI": str(dpi), "QUORVANE_SCALE_SHOTS": winebench.windows_path(folder)}
        with winebench.session(args.prefix, extra) as env, winebench.display_scale(env, dpi):
            print(f"--- {dpi} DPI", flush=True)
            cases = "--gtest_filter=DisplayTest.*OnTheScreen*:DisplayTest.*DpiChanges"
            result = winebench.run_wine(env, [args.tests, cases], timeout=240)
        if result.returncode != 0:
            failed.append(dpi)
        if shutil.which("convert"):
            for bitmap in folder.glob("*.bmp"):
                subprocess.run(["convert", str(bitmap), str(bitmap.with_suffix(".png"))], check=True)
                bitmap.unlink()
    if failed:
        print("failed at " + ", ".join(f"{dpi} DPI" for dpi in failed), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

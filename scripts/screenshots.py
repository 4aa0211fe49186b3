#!/usr/bin/env python3
"""Takes the pictures of every window for the docs: each pose of the pose
program (tests/e2e/screenshot_poses.cpp) starts Quorvane.exe in a fresh folder
on a private X screen, brings it to one state (the search box's list open, the
settings, the bulk window after a run, About, the notification-area menu) and
names the screen area to keep. About is taken again at 150 % display scale
(144 DPI), in a prefix of its own that carries the scale.

  scripts/screenshots.py [--build build/win64] [--out docs/screenshots]
"""
import argparse
import contextlib
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

root = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(root / "scripts"))
import winebench  # noqa: E402

# Pose, display scale (DPI), picture.
POSES = [("main", 96, "main"), ("settings", 96, "settings"), ("bulk", 96, "bulk"), ("about", 96, "about"),
         ("tray_menu", 96, "tray_menu"), ("about", 144, "about_150")]


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=str(root / "build" / "win64"))
    parser.add_argument("--out", default=str(root / "docs" / "screenshots"))
    args = parser.parse_args()
    build, out = Path(args.build).resolve(), Path(args.out).resolve()
    out.mkdir(parents=True, exist_ok=True)
    # The tests' prefix: its recorder stands in for the browser.
    prefix = build / "wineprefix"
    winebench.setup_prefix(prefix, build / "tests" / "url_recorder.exe")
    # The display-scale tests' prefix: no pose at another scale opens an address.
    scaled_prefix = build / "wineprefix-scales"
    winebench.setup_prefix(scaled_prefix)
    for pose, dpi, name in POSES:
        folder = Path(tempfile.mkdtemp(prefix=f"quorvane-pose-{pose}-"))
        try:
            shutil.copy2(build / "Quorvane.exe", folder / "Quorvane.exe")
            extra = {"QUORVANE_RECORDER_LOG": winebench.windows_path(folder / "opened.log")}
            with contextlib.ExitStack() as stack:
                env = stack.enter_context(winebench.session(prefix if dpi == 96 else scaled_prefix, extra))
                if dpi != 96:
                    stack.enter_context(winebench.display_scale(env, dpi))
                result = winebench.run_wine(env, [build / "tests" / "screenshot_poses.exe", pose,
                                                  winebench.windows_path(folder)], timeout=120)
                if result.returncode != 0:
                    print(f"screenshots: pose {pose} at {dpi} DPI failed", file=sys.stderr)
                    return 1
                x, y, w, h = (int(v) for v in (folder / "pose.txt").read_text().split())
                target = out / f"{name}.png"
                subprocess.run(["import", "-display", env["DISPLAY"], "-window", "root",
                                "-crop", f"{w}x{h}+{max(x, 0)}+{max(y, 0)}", "+repage",
                                "-define", "png:exclude-chunks=date,time", str(target)], check=True)
                print(target)
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

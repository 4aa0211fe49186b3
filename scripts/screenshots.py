#!/usr/bin/env python3
"""Takes the pictures of every window for the docs: each pose of the pose
program (tests/e2e/screenshot_poses.cpp) starts Quorvane.exe in a fresh folder
on a private X screen, brings it to one state (the search box's list open, the
settings, the bulk window after a run, About, the notification-area menu) and
names the screen area to keep.

  scripts/screenshots.py [--build build/win64] [--out docs/screenshots]
"""
import argparse
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

root = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(root / "scripts"))
import winebench  # noqa: E402

POSES = ["main", "settings", "bulk", "about", "tray_menu"]


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
    for pose in POSES:
        folder = Path(tempfile.mkdtemp(prefix=f"quorvane-pose-{pose}-"))
        try:
            shutil.copy2(build / "Quorvane.exe", folder / "Quorvane.exe")
            extra = {"QUORVANE_RECORDER_LOG": winebench.windows_path(folder / "opened.log")}
            with winebench.session(prefix, extra) as env:
                result = winebench.run_wine(env, [build / "tests" / "screenshot_poses.exe", pose,
                                                  winebench.windows_path(folder)], timeout=120)
                if result.returncode != 0:
                    print(f"screenshots: pose {pose} failed", file=sys.stderr)
                    return 1
                x, y, w, h = (int(v) for v in (folder / "pose.txt").read_text().split())
                target = out / f"{pose}.png"
                subprocess.run(["import", "-display", env["DISPLAY"], "-window", "root",
                                "-crop", f"{w}x{h}+{max(x, 0)}+{max(y, 0)}", "+repage",
                                "-define", "png:exclude-chunks=date,time", str(target)], check=True)
                print(target)
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

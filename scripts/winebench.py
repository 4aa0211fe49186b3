#!/usr/bin/env python3
"""Runs the project's Windows programs under Wine: tests, benchmarks and the
run command all go through here.

Every run owns its environment: a private X screen (Xvfb -displayfd), the
project's Wine prefix (created once with wineboot, then reused) and a
persistent wineserver while it runs. Both are stopped at the end, also when
the run fails or times out.

  winebench.py setup --prefix P [--recorder EXE]   create or update a prefix
  winebench.py run [--prefix P] [--timeout S] PROGRAM [ARGS...]
                                                   run one program, pass its exit code on
  winebench.py start --prefix P PROGRAM            run a program on $DISPLAY
  winebench.py screenshot --prefix P --poses POSES --out PNG PROGRAM
                                                   start it on a private screen, save a
                                                   screenshot once its main window shows
"""
import argparse
import contextlib
import fcntl
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import time
from pathlib import Path

# Bumped when the prefix's settings below change, so old prefixes are updated.
PREFIX_SETTINGS_VERSION = "2"

# Wine's own fonts (Debian's fonts-wine): this Wine looks for them only in the
# prefix's Fonts folder, and without them "MS Sans Serif" falls back to a wider
# host font and the frame buttons lose their symbols.
WINE_FONTS = Path("/usr/share/wine/fonts")


def is_32_bit_program(path):
    """Whether the file is a 32-bit x86 Windows program (PE machine 0x14c)."""
    try:
        with open(path, "rb") as f:
            head = f.read(4096)
        (pe,) = struct.unpack_from("<I", head, 0x3C)
        return head[pe:pe + 4] == b"PE\0\0" and struct.unpack_from("<H", head, pe + 4)[0] == 0x14C
    except (OSError, struct.error):
        return False


def wine_loader(program=None):
    """The loader of the program's bitness itself: Debian's `wine` script always
    starts the 32-bit one, which hands a 64-bit program on to the 64-bit one.
    The prefix is a 64-bit one either way; its 32-bit side runs 32-bit programs."""
    if program is not None and is_32_bit_program(program):
        if os.access("/usr/lib/wine/wine", os.X_OK):
            return "/usr/lib/wine/wine"
        sys.exit("winebench: no 32-bit Wine for " + str(program) + "; run scripts/install-deps.sh")
    for candidate in ("/usr/lib/wine/wine64", shutil.which("wine64"), shutil.which("wine")):
        if candidate and os.access(candidate, os.X_OK):
            return candidate
    sys.exit("winebench: Wine not found; run scripts/install-deps.sh")


def wineserver_program():
    for candidate in ("/usr/lib/wine/wineserver64", "/usr/lib/wine/wineserver",
                      shutil.which("wineserver")):
        if candidate and os.access(candidate, os.X_OK):
            return candidate
    sys.exit("winebench: wineserver not found; run scripts/install-deps.sh")


def windows_path(path):
    """Wine maps the Unix root to drive Z:."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def wine_env(prefix, display=None, extra=None):
    env = dict(os.environ)
    env["WINEPREFIX"] = str(Path(prefix).resolve())
    env["WINELOADER"] = wine_loader()
    env.setdefault("WINEDEBUG", "-all")
    # No Mono or Gecko installers, no menu entries or file associations on the host.
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml=;winemenubuilder.exe=d"
    if display is not None:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    env.update(extra or {})
    return env


@contextlib.contextmanager
def xvfb(width=1280, height=800, timeout=20):
    """A private X screen; yields its DISPLAY value."""
    if not shutil.which("Xvfb"):
        sys.exit("winebench: Xvfb not found; run scripts/install-deps.sh")
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    try:
        number = b""
        deadline = time.monotonic() + timeout
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([read_end], [], [], left)[0]:
                raise RuntimeError("Xvfb did not report a display within %d s" % timeout)
            chunk = os.read(read_end, 16)
            if not chunk:
                raise RuntimeError("Xvfb ended before it reported a display")
            number += chunk
        yield ":" + number.decode().strip()
    finally:
        os.close(read_end)
        proc.terminate()
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


@contextlib.contextmanager
def wineserver(env):
    """A persistent wineserver for the prefix, so consecutive programs share it;
    killed at the end with every Wine process of the prefix."""
    server = wineserver_program()
    subprocess.run([server, "-p"], env=env, check=True)
    try:
        yield
    finally:
        subprocess.run([server, "-k"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run([server, "-w"], env=env, timeout=30)


@contextlib.contextmanager
def session(prefix, extra_env=None):
    """X screen + wineserver for the prefix; yields the environment to run with."""
    with xvfb() as display:
        env = wine_env(prefix, display, extra_env)
        with wineserver(env):
            yield env


def run_wine(env, args, timeout, **kwargs):
    return subprocess.run([wine_loader(args[0]), *map(str, args)], env=env, timeout=timeout, **kwargs)


@contextlib.contextmanager
def display_scale(env, dpi):
    """Wine's display scale for the programs started inside: the user's
    LogPixels (HKCU\\Control Panel\\Desktop), which each program reads as it
    starts. Removed again at the end; give it a prefix of its own, so that a
    run killed halfway leaves no other test at another scale."""
    key = ["HKCU\\Control Panel\\Desktop", "/v", "LogPixels"]
    quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    run_wine(env, ["reg", "add", *key, "/t", "REG_DWORD", "/d", str(dpi), "/f"], timeout=60, check=True,
             **quiet)
    try:
        yield
    finally:
        run_wine(env, ["reg", "delete", *key, "/f"], timeout=60, **quiet)


def setup_prefix(prefix, recorder=None):
    """Creates the prefix once; settings are applied again only when they change.
    Safe to call from concurrent tests: the first one does the work."""
    prefix = Path(prefix).resolve()
    prefix.parent.mkdir(parents=True, exist_ok=True)
    stamp_text = PREFIX_SETTINGS_VERSION + "\n" + (windows_path(recorder) if recorder else "") + "\n"
    with open(str(prefix) + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        stamp = prefix / "quorvane-settings"
        if stamp.exists() and stamp.read_text() == stamp_text:
            return
        prefix.mkdir(exist_ok=True)
        env = wine_env(prefix)
        with wineserver(env):
            run_wine(env, ["wineboot", "-i"], timeout=300, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, check=True)
            fonts = prefix / "drive_c" / "windows" / "Fonts"
            for font in sorted(WINE_FONTS.glob("*")):
                shutil.copyfile(font, fonts / font.name)
            settings = [
                # Without a window manager Wine makes every window close wait
                # about two seconds unless its windows are unmanaged.
                ["HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d", "N"],
            ]
            if recorder:
                # The recorder receives exactly the command line a browser would.
                command = '"%s" "%%1"' % windows_path(recorder)
                settings.append(["HKCR\\http\\shell\\open\\command", "/ve", "/d", command])
            for setting in settings:
                run_wine(env, ["reg", "add", *setting, "/f"], timeout=60,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        stamp.write_text(stamp_text)


def screenshot(args):
    out = Path(args.out).resolve()
    folder = Path(args.program).resolve().parent
    with session(args.prefix) as env:
        shown = run_wine(env, [args.poses, "show", windows_path(folder)], timeout=120)
        if shown.returncode != 0:
            print("winebench: the program's main window did not show", file=sys.stderr)
            return 1
        subprocess.run(["import", "-display", env["DISPLAY"], "-window", "root", str(out)],
                       check=True)
    print(f"Quorvane ran on a virtual screen; screenshot: {out}")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    setup = sub.add_parser("setup")
    setup.add_argument("--prefix", required=True)
    setup.add_argument("--recorder")
    run = sub.add_parser("run")
    run.add_argument("--prefix", default=os.environ.get("QUORVANE_WINEPREFIX"))
    run.add_argument("--timeout", type=float, default=240)
    run.add_argument("program")
    run.add_argument("args", nargs=argparse.REMAINDER)
    start = sub.add_parser("start")
    start.add_argument("--prefix", required=True)
    start.add_argument("program")
    shot = sub.add_parser("screenshot")
    shot.add_argument("--prefix", required=True)
    shot.add_argument("--poses", required=True)
    shot.add_argument("--out", required=True)
    shot.add_argument("program")
    args = parser.parse_args()

    if args.command == "setup":
        setup_prefix(args.prefix, args.recorder)
        return 0
    if not args.prefix:
        sys.exit("winebench: no prefix (--prefix or QUORVANE_WINEPREFIX)")
    if not (Path(args.prefix) / "quorvane-settings").exists():
        setup_prefix(args.prefix)
    if args.command == "start":
        env = wine_env(args.prefix, os.environ["DISPLAY"])
        return subprocess.run([wine_loader(args.program), args.program], env=env).returncode
    if args.command == "screenshot":
        return screenshot(args)
    with session(args.prefix) as env:
        try:
            return run_wine(env, [args.program, *args.args], timeout=args.timeout).returncode
        except subprocess.TimeoutExpired:
            print(f"winebench: {args.program} did not end within {args.timeout:.0f} s",
                  file=sys.stderr)
            return 124


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    sys.exit(main())

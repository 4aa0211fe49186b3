#!/usr/bin/env python3
"""Runs one end-to-end case: a fresh folder with a copy of Quorvane.exe, its
own X screen, the shared prefix with a persistent wineserver, and the driver
program that plays the user. Afterwards no process of the run may be left.

  run_case.py --prefix P --exe Quorvane.exe --driver e2e_driver.exe [--installer SETUP]
              [--non-ansi-folder] CASE

An installer given is copied beside the program as setup.exe. With
--non-ansi-folder the folder's name ends in characters that the ANSI code
pages under test lack, as a user's folder may. With
--small-disk the folder is a tmpfs of a few MiB of its own. Mounting needs
root (CI has it); where it is not allowed the case is skipped (exit status 77)
and says so. With --read-only-folder the folder, with the program and a
History.txt holding "beside", is mounted read-only over itself (root too), and
the recorder's log goes to a folder of its own.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
import winebench  # noqa: E402


SKIPPED = 77
# Chinese, Cyrillic and Korean: code page 1252 holds none of them, 932 no
# Korean.
NON_ANSI_NAME = "-\u4f8b\u5b50-\u041f\u0440\u0438\u043c\u0435\u0440-\uc608\uc2dc"


def leftover_processes(marker):
    """Host processes whose command line names the case's folder."""
    out = subprocess.run(["pgrep", "-af", marker], capture_output=True, text=True).stdout
    return [line for line in out.splitlines() if "pgrep" not in line]


# Wine itself failing to start a process of the run (an address-space clash
# of its loader that comes and goes): not a failure of the case.
WINE_START_FAILURES = ("failed to map the shared user data",)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--installer")
    parser.add_argument("--timeout", type=float, default=120)
    parser.add_argument("--long-timeout", type=float,
                        help="the timeout when QUORVANE_STRESS=long asks for the long mode")
    parser.add_argument("--small-disk", action="store_true")
    parser.add_argument("--read-only-folder", action="store_true")
    parser.add_argument("--non-ansi-folder", action="store_true")
    parser.add_argument("--env", action="append", default=[], metavar="NAME=VALUE",
                        help="environment of the whole run (Wine included)")
    parser.add_argument("case")
    args = parser.parse_args()
    status, wine_failed = run_case(args)
    if status == 1 and wine_failed:
        print("Wine failed to start a process of the run; the case runs once more", file=sys.stderr)
        status, _ = run_case(args)
    return status


def run_case(args):
    """Runs the case once: its exit status, and whether Wine failed to start a
    process of the run."""
    winebench.setup_prefix(args.prefix) if not (Path(args.prefix) / "quorvane-settings").exists() else None
    if args.long_timeout and os.environ.get("QUORVANE_STRESS") == "long":
        args.timeout = args.long_timeout
    folder = Path(tempfile.mkdtemp(prefix=f"quorvane-e2e-{args.case}-",
                                   suffix=NON_ANSI_NAME if args.non_ansi_folder else None))
    extra = dict(item.split("=", 1) for item in args.env)
    log = folder / "opened.log"
    mounted = ok = wine_failed = False
    if args.small_disk:
        size = Path(args.exe).stat().st_size + (4 << 20)
        mount = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", str(folder)],
                               capture_output=True, text=True)
        if mount.returncode != 0:
            print(f"skipped: no small disk of its own ({mount.stderr.strip()})")
            folder.rmdir()
            return SKIPPED, False
        mounted = True
    log_folder = None
    try:
        shutil.copy2(args.exe, folder / "Quorvane.exe")
        if args.installer:
            shutil.copy2(args.installer, folder / "setup.exe")
        if args.read_only_folder:
            (folder / "History.txt").write_bytes(b"beside\r\n")
            log_folder = Path(tempfile.mkdtemp(prefix=f"quorvane-e2e-{args.case}-log-"))
            log = log_folder / "opened.log"
            for step in (["mount", "--bind", str(folder), str(folder)],
                         ["mount", "-o", "remount,bind,ro", str(folder)]):
                mount = subprocess.run(step, capture_output=True, text=True)
                if mount.returncode != 0:
                    if mounted:
                        subprocess.run(["umount", "-l", str(folder)], check=False)
                    print(f"skipped: no read-only folder here ({mount.stderr.strip()})")
                    shutil.rmtree(folder, ignore_errors=True)
                    shutil.rmtree(log_folder, ignore_errors=True)
                    return SKIPPED, False
                mounted = True
        extra["QUORVANE_RECORDER_LOG"] = winebench.windows_path(log)
        # Wine's own error reports, so that a failure of Wine itself is told
        # apart from a failure of the case (CTest shows them only on failure).
        extra.setdefault("WINEDEBUG", "err+all,fixme-all")
        # Into a file rather than a pipe: a process left running would hold
        # a pipe open past the driver's end.
        with winebench.session(args.prefix, extra) as env, tempfile.TemporaryFile() as errors:
            try:
                result = winebench.run_wine(
                    env, [args.driver, args.case, winebench.windows_path(folder)],
                    timeout=args.timeout, stderr=errors)
                ok = result.returncode == 0
                if not ok:
                    print(f"driver exited with {result.returncode} ({result.returncode & 0xFFFFFFFF:#x})",
                          file=sys.stderr)
            except subprocess.TimeoutExpired:
                print(f"case did not end within {args.timeout:.0f} s", file=sys.stderr)
            errors.seek(0)
            output = errors.read().decode(errors="replace")
            sys.stderr.write(output)
            wine_failed = any(text in output for text in WINE_START_FAILURES)
        left = leftover_processes(str(folder))
        if left:
            ok = False
            print("processes left after the run:\n  " + "\n  ".join(left), file=sys.stderr)
    finally:
        if log_folder:
            shutil.rmtree(log_folder, ignore_errors=True)
        if mounted and args.read_only_folder:
            subprocess.run(["umount", "-l", str(folder)], check=False)
        elif mounted:
            if not ok:  # kept for a look on the real disk
                kept = Path(tempfile.mkdtemp(prefix=f"quorvane-e2e-{args.case}-kept-"))
                shutil.copytree(folder, kept, dirs_exist_ok=True, symlinks=True,
                                ignore=shutil.ignore_patterns("filler.bin"))
            subprocess.run(["umount", "-l", str(folder)], check=False)
            if not ok:
                folder.rmdir()
                folder = kept
        if ok:
            shutil.rmtree(folder, ignore_errors=True)
        else:
            print(f"case folder kept: {folder}", file=sys.stderr)
    return (0 if ok else 1), wine_failed


if __name__ == "__main__":
    sys.exit(main())

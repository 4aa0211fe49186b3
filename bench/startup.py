#!/usr/bin/env python3
"""Start-up time and peak memory of Quorvane.exe against the minimal peer (with
the program's manifest, and plain), interleaved, under Wine on a private X
screen. Prints medians and ratios.

  bench/startup.py [RUNS]            (after: cmake --build --preset win64)
  bench/startup.py --before EXE [RUNS]
  bench/startup.py --history [RUNS]
  bench/startup.py --reach [--before EXE] [RUNS]

With --before, a build of Quorvane.exe from before a change (copied aside,
e.g. to build/win64/bench-before/) joins the run, just before the current one,
so that both are measured in the same interleaved runs against the peers.

With --history, copies of Quorvane.exe beside different History.txt files
instead, each against the copy without one: a normal file of 200 entries, and
the worst a load meets: 16 MiB and more of line breaks, of CR LF, of one-byte
entries; the whole 4 MiB read in the 10,000 lines a load takes; 16 MiB in
10,000 long lines, of which the read takes the first 4 MiB.
"""
import shutil
import sys
from pathlib import Path

root = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(root / "scripts"))
import winebench  # noqa: E402

MIB = 1 << 20


def history_files():
    """Folder name and History.txt bytes (None: no file), the base first."""
    normal = b"".join(b"host%d.example-%d.com\r\n" % (i, i * 7919 % 1000) for i in range(200))
    return [
        ("no-history", None),
        ("200-entries", normal),
        ("16MiB-of-LF", b"\n" * (16 * MIB + 1)),
        ("16MiB-of-CRLF", b"\r\n" * (8 * MIB + 1)),
        ("16MiB-of-1-byte-entries", b"a\r\n" * (16 * MIB // 3 + 1)),
        ("4MiB-in-10000-lines", (b"x" * 417 + b"\r\n") * 10000),
        ("16MiB-in-10000-lines", (b"x" * 1675 + b"\r\n") * 10000),
    ]


def history_programs(build):
    """A copy of the program per History.txt, each in a folder of its own."""
    programs = []
    for name, content in history_files():
        folder = build / "bench-history" / name
        folder.mkdir(parents=True, exist_ok=True)
        shutil.copy2(build / "Quorvane.exe", folder / "Quorvane.exe")
        history = folder / "History.txt"
        if content is None:
            history.unlink(missing_ok=True)
        else:
            history.write_bytes(content)
        programs += [winebench.windows_path(folder / "Quorvane.exe"), "WHOIS Lookup"]
    return ["--base-first"], programs


def peer_programs(build, before=None):
    earlier = [winebench.windows_path(before), "WHOIS Lookup"] if before else []
    return [], [
        winebench.windows_path(build / "bench" / "minimal_peer_plain.exe"), "Minimal Peer",
        winebench.windows_path(build / "bench" / "minimal_peer.exe"), "Minimal Peer",
        winebench.windows_path(build / "bench" / "minimal_peer_windows.exe"), "Minimal Peer",
        *earlier,
        winebench.windows_path(build / "Quorvane.exe"), "WHOIS Lookup"]


def reach(build, runs, program):
    """Runs the --reach bench for the program; its exit status."""
    folder = build / "bench-reach"
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy2(program, folder / "Quorvane.exe")  # its History.txt there
    prefix = build / "wineprefix-reach"
    winebench.setup_prefix(prefix, build / "tests" / "url_recorder.exe")
    extra = {"QUORVANE_RECORDER_LOG": winebench.windows_path(folder / "opened.log")}
    with winebench.session(prefix, extra) as env:
        result = winebench.run_wine(
            env, [build / "bench" / "startup_bench.exe", "--reach", runs,
                  winebench.windows_path(build / "bench" / "minimal_peer_windows.exe"), "Minimal Peer",
                  "Software\\MinimalPeer",
                  winebench.windows_path(folder / "Quorvane.exe"), "WHOIS Lookup", "Software\\Quorvane"],
            timeout=3600)
    return result.returncode


def main():
    args = sys.argv[1:]
    reaching = "--reach" in args
    if reaching:
        args.remove("--reach")
    history = "--history" in args
    args = [a for a in args if a != "--history"]
    before = None
    if "--before" in args:
        at = args.index("--before")
        if at + 1 >= len(args):
            sys.exit("startup.py: --before needs the path of an earlier Quorvane.exe")
        before = Path(args[at + 1])
        del args[at:at + 2]
        if not before.is_file():
            sys.exit(f"startup.py: no program at {before}")
    runs = args[0] if args else "25"
    build = root / "build" / "win64"
    if reaching:
        return reach(build, runs, before or build / "Quorvane.exe")
    prefix = build / "wineprefix-bench"
    options, programs = history_programs(build) if history else peer_programs(build, before)
    winebench.setup_prefix(prefix)
    with winebench.session(prefix) as env:
        # Output goes straight to the terminal: Wine's long-lived processes
        # would hold a captured pipe open.
        result = winebench.run_wine(
            env, [build / "bench" / "startup_bench.exe", *options, runs, *programs], timeout=1200)
    return result.returncode


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Start-up time and peak memory of Quorvane.exe against the minimal peer (with
the program's manifest, and plain), interleaved, under Wine on a private X
screen. Prints medians and ratios.

  bench/startup.py [RUNS]      (after: cmake --build --preset win64)
"""
import sys
from pathlib import Path

root = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(root / "scripts"))
import winebench  # noqa: E402

build = root / "build" / "win64"
prefix = build / "wineprefix-bench"
runs = sys.argv[1] if len(sys.argv) > 1 else "25"
winebench.setup_prefix(prefix)
with winebench.session(prefix) as env:
    # Output goes straight to the terminal: Wine's long-lived processes would
    # hold a captured pipe open.
    result = winebench.run_wine(env, [
        build / "bench" / "startup_bench.exe", runs,
        winebench.windows_path(build / "bench" / "minimal_peer_plain.exe"), "Minimal Peer",
        winebench.windows_path(build / "bench" / "minimal_peer.exe"), "Minimal Peer",
        winebench.windows_path(build / "bench" / "minimal_peer_windows.exe"), "Minimal Peer",
        winebench.windows_path(build / "Quorvane.exe"), "WHOIS Lookup"], timeout=1200)
sys.exit(result.returncode)

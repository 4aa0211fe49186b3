#!/usr/bin/env bash
# Builds Quorvane.exe and starts it under Wine: on $DISPLAY when one is set,
# otherwise on a private virtual screen, where it saves a screenshot of the
# running program, prints its path and ends the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
mkdir -p build
if ! cmake --preset win64 >build/configure-win64.log 2>&1; then
  cat build/configure-win64.log
  exit 1
fi
cmake --build --preset win64 --target Quorvane screenshot_poses

# Its own prefix, apart from the tests' (there, a recorder stands in for the browser).
prefix=build/win64/wineprefix-run
if [ -n "${DISPLAY:-}" ]; then
  exec scripts/winebench.py start --prefix "$prefix" build/win64/Quorvane.exe
fi
exec scripts/winebench.py screenshot --prefix "$prefix" --poses build/win64/tests/screenshot_poses.exe \
  --out build/screenshot.png build/win64/Quorvane.exe

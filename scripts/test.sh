#!/usr/bin/env bash
# Builds everything and runs every test: the core's unit tests on this machine
# (plain and with AddressSanitizer/UndefinedBehaviorSanitizer), the same tests
# and the window tests cross-built for 64-bit and for 32-bit Windows and run
# under Wine, and the end-to-end cases against the real Quorvane.exe of each.
# Ends with CTest's summary over all of them.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

mkdir -p build
for preset in native native-asan win64 win32 fuzz; do
  if ! cmake --preset "$preset" >"build/configure-$preset.log" 2>&1; then
    cat "build/configure-$preset.log"
    exit 1
  fi
  cmake --build --preset "$preset"
done

# The bounded fuzz run (about a minute shared by the four targets, ASan and
# UBSan) when the whole suite runs; scripts/fuzz.sh runs them longer.
if [ $# -eq 0 ]; then
  ctest --preset fuzz
fi

# One CTest run over the four build trees, so one summary covers every label.
cat >build/CTestTestfile.cmake <<'TESTS'
subdirs("native")
subdirs("native-asan")
subdirs("win64")
subdirs("win32")
TESTS
ctest --test-dir build --parallel 2 --output-on-failure "$@"

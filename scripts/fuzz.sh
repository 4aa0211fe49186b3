#!/usr/bin/env bash
# The long fuzz run: every fuzz target (or those named) for an hour each with
# --long, or for SECONDS each, in a build tree of its own (build/fuzz-long),
# whose corpora grow from run to run. Targets run side by side, one per core.
# A failing input is written to build/fuzz-long/fuzz/ as crash-*, leak-* or
# timeout-*: fix the fault, then keep the input in fuzz/corpus/<target>/.
#   scripts/fuzz.sh --long [TARGET...]        TARGET: png, history, bulk, completion
#   scripts/fuzz.sh SECONDS [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  --long) seconds=3600 ;;
  '' | *[!0-9]*)
    echo "usage: scripts/fuzz.sh --long | SECONDS [TARGET...]" >&2
    exit 2
    ;;
  *) seconds=$1 ;;
esac
shift
filter=$(IFS='|'; echo "${*:-.}")

scripts/install-deps.sh
mkdir -p build
tree=build/fuzz-long
if ! cmake --preset fuzz -B "$tree" -DQUORVANE_FUZZ_SECONDS_EACH="$seconds" >build/configure-fuzz-long.log 2>&1; then
  cat build/configure-fuzz-long.log
  exit 1
fi
cmake --build "$tree" --target png_fuzz history_fuzz bulk_fuzz completion_fuzz
ctest --test-dir "$tree" -L fuzz -R "fuzz\.($filter)" --parallel "$(nproc)" --output-on-failure

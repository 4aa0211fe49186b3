#!/usr/bin/env bash
# Builds the release artefacts of every Windows build into dist/: per build the
# portable zip and the per-user installer, named Quorvane-<version>-<build>,
# and SHA256SUMS over them. The same commit gives the same zips, byte for byte
# (their entries carry the commit's time).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# The Windows builds released, by preset.
presets=(win64 win32)

SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null || echo 315532800)"
export SOURCE_DATE_EPOCH
rm -rf dist
mkdir -p build dist
for preset in "${presets[@]}"; do
  if ! cmake --preset "$preset" >"build/configure-$preset.log" 2>&1; then
    cat "build/configure-$preset.log"
    exit 1
  fi
  rm -rf "build/$preset/dist"  # nothing of an earlier version
  cmake --build --preset "$preset" --target quorvane_dist
  cp "build/$preset"/dist/Quorvane-* dist/
done
(cd dist && sha256sum Quorvane-* >SHA256SUMS)
echo "Release artefacts in dist/:"
cat dist/SHA256SUMS

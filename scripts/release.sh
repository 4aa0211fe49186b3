#!/usr/bin/env bash
# Builds the release artefacts of every Windows build into dist/: per build the
# portable zip and the per-user installer, named Quorvane-<version>-<build>,
# BUILDINFO.txt (the commit, whether the tests ran, the tools and their
# versions) and SHA256SUMS over all of them. The same commit with the same
# tools gives the same zips and BUILDINFO.txt, byte for byte (the zip entries
# carry the commit's time).
#
#   scripts/release.sh [--force-dirty] [--skip-tests]
#
# It refuses a tree with uncommitted changes (--force-dirty builds anyway and
# marks the output as such), runs the tests of both Windows builds first
# (--skip-tests leaves them out, as BUILDINFO.txt then says), and refuses an
# NSIS without the fix for CVE-2023-37378 (the access list of the folder the
# uninstaller copies itself to, which let another local user change it).
set -euo pipefail
cd "$(dirname "$0")/.."

force_dirty=0
skip_tests=0
for argument in "$@"; do
  case "$argument" in
    --force-dirty) force_dirty=1 ;;
    --skip-tests) skip_tests=1 ;;
    *) echo "usage: scripts/release.sh [--force-dirty] [--skip-tests]" >&2; exit 2 ;;
  esac
done

# The Windows builds released, by preset.
presets=(win64 win32)
# The first Debian build of NSIS 3.08 with the fix for CVE-2023-37378.
nsis_fixed="3.08-3+deb12u1"

# Anything not committed, untracked files included: a release must be the commit.
if ! changes="$(git status --porcelain 2>/dev/null)"; then
  changes="(not a git checkout: the sources cannot be matched with a commit)"
fi
if [ -n "$changes" ]; then
  if [ "$force_dirty" -eq 0 ]; then
    echo "The tree has uncommitted changes; commit them, or pass --force-dirty:" >&2
    echo "$changes" >&2
    exit 1
  fi
  echo "!!! WARNING: building from UNCOMMITTED changes (--force-dirty); dist/ is NOT a release of a commit !!!"
fi

scripts/install-deps.sh

# The Debian package a file belongs to, with its version.
package_of() {
  local package
  package="$(dpkg -S "$(readlink -f "$1")" 2>/dev/null | head -n1 | cut -d: -f1)" || true
  if [ -z "$package" ]; then
    echo "(no package)"
  else
    echo "$package $(dpkg-query -W -f='${Version}' "$package")"
  fi
}

makensis="$(command -v makensis || true)"
if [ -z "$makensis" ]; then
  echo "makensis not found: the installers cannot be made" >&2
  exit 1
fi
nsis_package="$(package_of "$makensis")"
nsis_version="${nsis_package##* }"
if [ "$nsis_package" = "(no package)" ] || ! dpkg --compare-versions "$nsis_version" ge "$nsis_fixed"; then
  echo "NSIS $nsis_package ($makensis) may lack the fix for CVE-2023-37378;" \
       "the installers need the Debian package nsis $nsis_fixed or later" >&2
  exit 1
fi

SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null || echo 315532800)"
export SOURCE_DATE_EPOCH
rm -rf dist
mkdir -p build dist
for preset in "${presets[@]}"; do
  if ! cmake --preset "$preset" >"build/configure-$preset.log" 2>&1; then
    cat "build/configure-$preset.log"
    exit 1
  fi
done

if [ "$skip_tests" -eq 0 ]; then
  for preset in "${presets[@]}"; do
    cmake --build --preset "$preset"
    ctest --preset "$preset"
  done
  tests="passed in ${presets[*]}"
else
  echo "!!! Tests skipped (--skip-tests) !!!"
  tests="SKIPPED (--skip-tests)"
fi

for preset in "${presets[@]}"; do
  rm -rf "build/$preset/dist"  # nothing of an earlier version
  cmake --build --preset "$preset" --target quorvane_dist
  cp "build/$preset"/dist/Quorvane-* dist/
done

# The cached value of a build tree's CMake variable.
cached() { sed -n "s/^$2:[A-Z]*=//p" "build/$1/CMakeCache.txt"; }

{
  if [ -n "$changes" ]; then
    echo "WARNING: built with --force-dirty from UNCOMMITTED changes: NOT a release of the commit below."
    echo "$changes" | sed 's/^/  /'
    echo
  fi
  echo "commit: $(git rev-parse HEAD 2>/dev/null || echo none)"
  echo "commit time: $SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC'))"
  echo "tests: $tests"
  for preset in "${presets[@]}"; do
    cxx="$(cached "$preset" _mingw_cxx)"
    echo "$preset compiler: $cxx, $(package_of "$cxx")"
    echo "$preset linker: $(package_of "$("$cxx" -print-prog-name=ld)")"
    echo "$preset C runtime: $(package_of "$("$cxx" -print-file-name=libmsvcrt.a)")"
    zlib="$(cached "$preset" ZLIB_LIBRARY_RELEASE)"
    echo "$preset zlib: $zlib, $(package_of "$zlib")"
  done
  echo "NSIS: $makensis, $nsis_package"
  echo "CMake: $(command -v cmake), $(package_of "$(command -v cmake)")"
  echo "Ninja: $(command -v ninja), $(package_of "$(command -v ninja)")"
  python="$(cached win64 _Python3_EXECUTABLE)"
  echo "Python (packs the zips): $("$python" -c 'import sys, zlib; print(sys.version.split()[0] + ", zlib " + zlib.ZLIB_RUNTIME_VERSION)')"
} >dist/BUILDINFO.txt

(cd dist && sha256sum Quorvane-* BUILDINFO.txt >SHA256SUMS)
echo "Release artefacts in dist/:"
cat dist/BUILDINFO.txt dist/SHA256SUMS
if [ -n "$changes" ]; then
  echo "!!! WARNING: built from UNCOMMITTED changes (--force-dirty): dist/ is NOT a release of a commit !!!"
fi

#!/usr/bin/env bash
# Builds the release artefacts of every Windows build into dist/: per build the
# portable zip and the per-user installer, named Quorvane-<version>-<build>,
# BUILDINFO.txt (the commit, whether the tests ran, the tools and their
# versions, each tree's cached build options) and SHA256SUMS over all of them.
# The same commit with the same tools gives the same zips and BUILDINFO.txt,
# byte for byte (the zip entries carry the commit's time).
#
#   scripts/release.sh [--force-dirty] [--skip-tests]
#
# It refuses a tree with uncommitted changes (--force-dirty builds anyway and
# marks the output as such), runs the tests of both Windows builds first
# (--skip-tests leaves them out, as BUILDINFO.txt then says), and refuses an
# NSIS without the fix for CVE-2023-37378 (the access list of the folder the
# uninstaller copies itself to, which let another local user change it).
#
# Every run configures its trees afresh under build/release/ (the test trees
# build/win64 and build/win32 stay as they are): a cache reused from an earlier
# run would keep the tools and options found then, which nothing here checks.
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

# The Windows builds released, by preset, each in a tree of its own that
# every run makes anew.
presets=(win64 win32)
release_trees=build/release
tree() { echo "$release_trees/$1"; }
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
rm -rf dist "$release_trees"
mkdir -p "$release_trees" dist
# The preset's settings in a new tree, with the makensis checked above.
for preset in "${presets[@]}"; do
  log="$release_trees/configure-$preset.log"
  if ! cmake --preset "$preset" -B "$(tree "$preset")" -DQUORVANE_MAKENSIS:FILEPATH="$makensis" >"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
done

# The cached value of a release tree's CMake variable.
cached() { sed -n "s/^$2:[A-Z]*=//p" "$(tree "$1")/CMakeCache.txt"; }

for preset in "${presets[@]}"; do
  if [ "$(cached "$preset" QUORVANE_MAKENSIS)" != "$makensis" ]; then
    echo "The $preset tree makes its installer with \"$(cached "$preset" QUORVANE_MAKENSIS)\"," \
         "not the checked $makensis" >&2
    exit 1
  fi
done

if [ "$skip_tests" -eq 0 ]; then
  for preset in "${presets[@]}"; do
    cmake --build "$(tree "$preset")"
    ctest --test-dir "$(tree "$preset")" --output-on-failure
  done
  tests="passed in ${presets[*]}"
else
  echo "!!! Tests skipped (--skip-tests) !!!"
  tests="SKIPPED (--skip-tests)"
fi

for preset in "${presets[@]}"; do
  cmake --build "$(tree "$preset")" --target quorvane_dist
  cp "$(tree "$preset")"/dist/Quorvane-* dist/
done

# The options a tree was built with, as its cache holds them, one NAME=VALUE
# a line: the build type, the toolchain file, the compilers, the flags (the
# build type's too), and every QUORVANE_ option, the makensis among them.
# Paths inside the sources are written as <source>/..., so that another
# checkout of the commit writes the same lines.
build_options() {
  local type name line
  type="$(cached "$1" CMAKE_BUILD_TYPE)"
  for name in CMAKE_BUILD_TYPE CMAKE_TOOLCHAIN_FILE _mingw_cc _mingw_cxx _mingw_rc \
              CMAKE_C_FLAGS CMAKE_C_FLAGS_"${type^^}" CMAKE_CXX_FLAGS CMAKE_CXX_FLAGS_"${type^^}" \
              CMAKE_RC_FLAGS CMAKE_RC_FLAGS_"${type^^}" CMAKE_EXE_LINKER_FLAGS \
              CMAKE_EXE_LINKER_FLAGS_"${type^^}" \
              $(sed -n 's/^\(QUORVANE_[A-Za-z0-9_]*\):.*/\1/p' "$(tree "$1")/CMakeCache.txt" | LC_ALL=C sort); do
    line="$name=$(cached "$1" "$name")"
    line="${line//"$PWD/"/<source>/}"
    echo "${line//"$(pwd -P)/"/<source>/}"
  done
}

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
    echo "$preset build options (CMakeCache.txt):"
    build_options "$preset" | sed 's/^/  /'
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

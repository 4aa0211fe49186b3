#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the run command need.
# This list is the only place they are named. Quiet and quick when all are present.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3
  googletest                      # sources, also cross-built for the Windows tests
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686   # the 32-bit build
  libz-mingw-w64-dev              # zlib for both, linked statically into Quorvane.exe
  wine wine64                     # runs the Windows program and its tests
  wine32:i386                     # runs the 32-bit ones (needs the i386 architecture)
  fonts-wine                      # the dialog font and frame-button symbols the windows use
  xvfb xauth                      # a private X screen for every test case
  imagemagick                     # screenshots (import)
  nsis                            # the per-user installer (makensis)
  hyperfine                       # benchmarks
  zlib1g-dev libpng-dev           # picture decoding; libpng is the tests' oracle
  clang libclang-rt-14-dev        # fuzz targets (libFuzzer, sanitizers)
  libspng-dev libstb-dev liblodepng-dev valgrind  # decoding benchmark peers, callgrind
  locales                         # the Japanese locale below
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# The 32-bit Wine comes from Debian's i386 architecture; once it is added,
# wine32:i386 is missing below, so the package lists are updated.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Locales the Wine tests start programs under: Japanese gives the double-byte
# ANSI code page 932, Hindi (which has no ANSI code page of its own) gives
# UTF-8, code page 65001.
for locale in ja_JP hi_IN; do
  if ! locale -a 2>/dev/null | grep -qi "^${locale}\.utf-\?8$"; then
    $sudo localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
  fi
done

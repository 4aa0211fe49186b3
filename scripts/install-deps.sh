#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the run command need.
# This list is the only place they are named. Quiet and quick when all are present.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3
  googletest                      # sources, also cross-built for the Windows tests
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  libz-mingw-w64-dev              # zlib, linked statically into Quorvane.exe
  wine wine64                     # runs the Windows program and its tests
  xvfb xauth                      # a private X screen for every test case
  imagemagick                     # screenshots (import)
  hyperfine                       # benchmarks
  zlib1g-dev libpng-dev           # picture decoding; libpng is the tests' oracle
  clang libclang-rt-14-dev        # fuzz targets (libFuzzer, sanitizers)
  libspng-dev libstb-dev liblodepng-dev valgrind  # decoding benchmark peers, callgrind
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

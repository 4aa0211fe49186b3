#!/usr/bin/env bash
# The PNG decoding benchmark: medians and ratios to the zlib-alone floor for
# every image, then callgrind's instruction counts for one decode of the logo
# by each decoder (only the bench's own Decode* functions and what they call
# are counted; the pattern names them exactly, as a decoder's own function of
# a like name would turn the count off inside it).
#   bench/png/run_bench.sh [BUILD_DIR]        (default build/native)
set -euo pipefail
cd "$(dirname "$0")/../.."
bench=${1:-build/native}/bench/png/png_bench

"$bench" assets/logo.png
echo
echo "| decoder | instructions, one logo decode | x zlib alone |"
echo "|---|---:|---:|"
floor=""
for decoder in "zlib alone" Quorvane libpng libspng stb_image lodepng; do
  count=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect='(anonymous namespace)::Decode*' \
            "$bench" --once "$decoder" assets/logo.png 2>&1 | sed -n 's/.*Collected : //p')
  floor=${floor:-$count}
  awk -v d="$decoder" -v c="$count" -v f="$floor" 'BEGIN { printf "| %s | %d | %.2f |\n", d, c, c / f }'
done

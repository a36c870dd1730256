#!/usr/bin/env bash
# Effect pass benchmarks on one 12-megapixel picture: in-process medians of
# every pass, the whole pipeline and a memcpy floor (Google Benchmark), then
# the net times of libvips and ImageMagick doing the nearest operations on the
# same picture. Run through ./lumora.sh bench; expects the Release build with
# benchmarks in build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
BIN=${1:-build/bench}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 4000x3000 -seed 7 plasma:fractal -blur 0x1 -depth 8 -compress none BMP3:"$work/p.bmp"

echo "== Effect passes in-process (12 MP, median of 5)"
LUMORA_BENCH_PICTURE="$work/p.bmp" "$BIN/bench/bench_effects" --benchmark_repetitions=5 \
  --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true 2>/dev/null | grep -E "median|^Benchmark|^---"
echo
echo "== Reference tools on the same picture, net of reading and writing (median of 5)"
if command -v vips >/dev/null; then
  python3 bench/bench_effects_reference.py --runs 5 --picture "$work/p.bmp"
else
  echo "(needs vips from libvips-tools)"
fi

#!/usr/bin/env bash
# Effect pass benchmarks on a 12-megapixel picture: in-process medians of every
# pass, the whole pipeline and a memcpy floor (Google Benchmark), then the net
# times of libvips and ImageMagick doing the nearest operations. Run through
# ./lumora.sh bench; expects the Release build with benchmarks in build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
BIN=${1:-build/bench}

echo "== Effect passes in-process (12 MP, median of 5)"
"$BIN/bench/bench_effects" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
  grep -E "median|^Benchmark|^---"
echo
echo "== Reference tools, net of reading and writing (median of 5)"
if command -v vips >/dev/null && command -v convert >/dev/null; then
  python3 bench/bench_effects_reference.py --runs 5
else
  echo "(needs vips from libvips-tools and convert from imagemagick)"
fi

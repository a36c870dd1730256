#!/usr/bin/env bash
# The picture view's paint: a 12-megapixel picture into a 1280 x 800 view at
# four zoom steps through the renderer, beside Qt's nearest drawing of the
# same part and a fill floor (medians of 5). Run through ./lumora.sh bench;
# expects the Release build with benchmarks in build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
BIN=${1:-build/bench}

echo "== Picture view paint (4000 x 3000 into 1280 x 800, median of 5)"
"$BIN/bench/bench_view" --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true 2>/dev/null | grep -E "median|^Benchmark|^---"

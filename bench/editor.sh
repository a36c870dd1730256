#!/usr/bin/env bash
# The photo editor on one 12-megapixel JPEG: in-process medians of the JPEG's
# full decode, entering the editor up to the first complete paint, one level
# click (alone and with every level on) up to the repainted view, and a
# repaint of a 1280 x 800 view per zoom step (bench_editor, offscreen); then,
# when eog is installed, eog's whole process from start to the first paint of
# the same file under Xvfb, as a reference viewer. Run through
# ./lumora.sh bench; expects the Release build with benchmarks in build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
BIN=${1:-build/bench}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A photo-like picture with a magenta block in its middle, for spotting the
# reference viewer's first paint of it.
convert -size 4000x3000 -seed 7 plasma:fractal -blur 0x1 -fill magenta -draw "rectangle 1000,750 3000,2250" \
  -quality 90 "$work/photo.jpg"

echo "== Photo editor in-process (12 MP JPEG, 1280 x 800 view, median of 5)"
LUMORA_BENCH_PICTURE="$work/photo.jpg" QT_QPA_PLATFORM=offscreen "$BIN/bench/bench_editor" \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null | grep -E "median|^Benchmark|^---"

echo
echo "== Reference viewer: eog from start to the first paint of the photo (median of 5)"
if ! command -v eog >/dev/null || ! command -v xdotool >/dev/null; then
  echo "(needs eog and xdotool)"
  exit 0
fi
# The first paint of the photo is the first screenshot of eog's window that
# holds the photo's magenta block.
xvfb-run -a -s "-screen 0 1480x1000x24" bash -s "$work/photo.jpg" <<'INNER'
set -euo pipefail
photo=$1
times=()
for run in 1 2 3 4 5; do
  start=$(date +%s%N)
  eog --new-instance --disable-gallery "$photo" >/dev/null 2>&1 &
  pid=$!
  window=$(xdotool search --sync --onlyvisible --name "photo.jpg" | head -1)
  deadline=$((start + 20000000000))
  magenta() {
    import -window "$window" miff:- 2>/dev/null | convert miff:- -sample 96x96! txt:- 2>/dev/null |
      grep -cE 'srgb\(2[3-5][0-9],[0-2]?[0-9],2[3-5][0-9]\)' || true
  }
  until [ "$(magenta)" -gt 0 ]; do
    [ "$(date +%s%N)" -gt "$deadline" ] && { echo "eog: no picture after 20 s"; break; }
  done
  end=$(date +%s%N)
  kill "$pid"; wait "$pid" 2>/dev/null || true
  times+=($(( (end - start) / 1000000 )))
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "eog start to first paint: median %d ms (runs: %d to %d ms)\n", a[int((NR+1)/2)], a[1], a[NR]}'
INNER

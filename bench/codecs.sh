#!/usr/bin/env bash
# Codec benchmarks on a 12-megapixel photo-like picture: in-process timings
# (Google Benchmark, medians of 5 repetitions) and whole-process timings of
# lumora-cli convert beside the reference tools doing the same work
# (hyperfine medians). Run through ./lumora.sh bench; expects the Release
# build with benchmarks in build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
BIN=${1:-build/bench}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 4000x3000 -seed 7 plasma:fractal -blur 0x1 -depth 8 "$work/src.ppm"
convert "$work/src.ppm" -quality 90 "$work/p.jpg"
convert "$work/src.ppm" -compress none BMP3:"$work/p.bmp"
convert "$work/src.ppm" -colorspace gray -depth 8 -type Palette -compress none BMP3:"$work/g.bmp"
convert "$work/g.bmp" "$work/p.gif"
convert "$work/src.ppm" -compress lzw "$work/p.tif"

echo "== In-process (12 MP, median of 5)"
LUMORA_BENCH_PICTURE="$work/p.jpg" "$BIN/bench/bench_codecs" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true 2>/dev/null | grep -E "median|^Benchmark|^---"

cli=$BIN/cli/lumora-cli
o=$work/out
echo
echo "== Whole process, same work (hyperfine medians)"
table() { # label, reference command, our command
  hyperfine -N --warmup 2 --runs 10 --export-json "$work/h.json" "$2" "$3" >/dev/null 2>&1
  python3 - "$1" "$work/h.json" <<'PY'
import json, sys
r = json.load(open(sys.argv[2]))["results"]
ref, ours = r[0]["median"] * 1000, r[1]["median"] * 1000
print(f"{sys.argv[1]:<28} reference {ref:8.1f} ms   lumora {ours:8.1f} ms   ratio {ours / ref:5.2f}")
PY
}
table "JPEG decode -> BMP"  "djpeg -bmp -outfile $o.bmp $work/p.jpg"        "$cli convert $work/p.jpg $o.bmp"
table "BMP -> JPEG encode"  "cjpeg -outfile $o.jpg $work/p.bmp"             "$cli convert $work/p.bmp $o.jpg"
table "BMP read + write"    "cp $work/p.bmp $o.bmp"                         "$cli convert $work/p.bmp $o.bmp"
table "GIF decode -> BMP"   "convert $work/p.gif BMP3:$o.bmp"               "$cli convert $work/p.gif $o.bmp"
table "BMP -> GIF encode"   "convert $work/g.bmp $o.gif"                    "$cli convert $work/g.bmp $o.gif"
table "TIFF decode -> BMP"  "convert $work/p.tif BMP3:$o.bmp"               "$cli convert $work/p.tif $o.bmp"
table "BMP -> TIFF (LZW)"   "convert $work/p.bmp -compress lzw $o.tif"      "$cli convert $work/p.bmp $o.tif"

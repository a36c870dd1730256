#!/usr/bin/env bash
# The album load: 200 twelve-megapixel JPEGs loaded into the item list's
# 107 x 86 cells by the same code as the list (bench_album_load, the whole
# process) on one thread and on one worker per core, beside vipsthumbnail
# making 107 x 86 thumbnails of the same files on one thread and
# libjpeg-turbo's 1/8-scale decode alone, the floor (hyperfine medians, same
# run); the same album through the thumbnail cache, first (cold) and again
# (warm); an album of 10,000 small JPEGs in the whole program
# (bench_item_list: the first screen of thumbnails after the click, the whole
# load beside the per-file cost times the count, the peak resident memory);
# then the cost per file of each other kind: 12 MP BMP, TIFF and GIF
# pictures, MPEG-1, MPEG-2, .erm and AVI clips.
#   bench/albums.sh [BUILD_DIR]   (a Release build with benchmarks)
# ALBUM_BENCH_FILES (200) and ALBUM_BENCH_BIG (10000) shrink a trial run.
set -euo pipefail
BUILD=${1:-build/bench}
LOAD=$BUILD/bench/bench_album_load
LIST=$BUILD/bench/bench_item_list
WORK=$(mktemp -d)
# The big album lives beside bench_item_list, where the program looks for albums.
ALBUMS=$(dirname "$LIST")/Albums
[ -e "$ALBUMS" ] && { echo "albums.sh: $ALBUMS is in the way" >&2; exit 1; }
trap 'rm -rf "$WORK" "$ALBUMS"' EXIT
for tool in convert ffmpeg hyperfine vipsthumbnail djpeg; do
  command -v $tool >/dev/null || { echo "albums.sh: $tool is needed" >&2; exit 1; }
done
FILES=${ALBUM_BENCH_FILES:-200}
BIG=${ALBUM_BENCH_BIG:-10000}
KIND_FILES=8

mkdir -p "$WORK"/{jpg,bmp,tif,gif,mpg,mpeg,erm,avi,vips}
convert -size 4000x3000 -seed 11 plasma:steelblue-orange -blur 0x1 -depth 8 "$WORK/src.ppm"
# Four different photos, copied round to make the album.
for v in 0 1 2 3; do
  convert "$WORK/src.ppm" -roll +$((v * 700))+$((v * 500)) -quality 90 "$WORK/v$v.jpg"
done
for i in $(seq 1 "$FILES"); do cp "$WORK/v$((i % 4)).jpg" "$WORK/jpg/photo$i.jpg"; done
convert "$WORK/src.ppm" BMP3:"$WORK/src.bmp"
convert "$WORK/src.ppm" -compress lzw "$WORK/src.tif"
convert "$WORK/src.ppm" -colors 256 "$WORK/src.gif"
clip() { # source, options..., output
  ffmpeg -nostdin -loglevel error -f lavfi -i "$1" -t 2 "${@:2}"
}
clip "testsrc2=size=352x288:rate=25" -c:v mpeg1video -b:v 1500k -f mpeg "$WORK/src.mpg"
clip "testsrc2=size=720x576:rate=25" -c:v mpeg2video -b:v 6M -f vob "$WORK/src.mpeg"
clip "testsrc2=size=720x576:rate=25" -c:v mjpeg -q:v 4 "$WORK/src.avi"
{ cat "$WORK/src.mpeg"; printf '\001\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000'; } >"$WORK/src.erm"
for kind in bmp tif gif mpg mpeg erm avi; do
  for i in $(seq 1 $KIND_FILES); do cp "$WORK/src.$kind" "$WORK/$kind/item$i.$kind"; done
done

echo "== $FILES JPEGs of 4000 x 3000 to 107 x 86 (hyperfine medians, whole processes)"
# The floor: libjpeg-turbo's 1/8-scale decode alone, one process a file.
hyperfine --warmup 1 --runs 5 --export-json "$WORK/h.json" \
  "VIPS_CONCURRENCY=1 vipsthumbnail $WORK/jpg/*.jpg -s 107x86 -o $WORK/vips/%s.v" \
  "$LOAD --runs 1 --threads 1 $WORK/jpg" \
  "$LOAD --runs 1 --threads 0 $WORK/jpg" \
  "for f in $WORK/jpg/*.jpg; do djpeg -scale 1/8 -outfile /dev/null \$f; done" >/dev/null
python3 - "$WORK/h.json" "$FILES" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
n = int(sys.argv[2])
vips, one, all_, floor = (x["median"] * 1000 for x in r)
print(f"vipsthumbnail (1 thread)     {vips:9.1f} ms  {vips / n:6.2f} ms a file")
print(f"album load, 1 thread         {one:9.1f} ms  {one / n:6.2f} ms a file")
print(f"album load, 1 thread a core  {all_:9.1f} ms  {all_ / n:6.2f} ms a file")
print(f"djpeg -scale 1/8 (floor)     {floor:9.1f} ms  {floor / n:6.2f} ms a file")
print(f"ratio parallel / 1 thread     {all_ / one:5.2f}  (target <= 0.55)")
print(f"ratio parallel / vipsthumbnail {all_ / vips:5.2f}  (target <= 0.50)")
PY
echo
echo "== The same album through the thumbnail cache (in process, every core; cold = first load, then median of 5)"
"$LOAD" --threads 0 --cache "$WORK/cache" "$WORK/jpg" | tee "$WORK/cache.txt"
python3 - "$WORK/cache.txt" <<'PY'
import sys
rows = [l.split() for l in open(sys.argv[1]) if l.strip() and not l.startswith("folder")]
cold = float(rows[0][-2]); warm = float(rows[1][-2]); per = float(rows[1][-1])
print(f"second load {per:.3f} ms an item (target < 2), first / second {cold / warm:.1f}x (target >= 10)")
PY

echo
echo "== An album of $BIG small JPEGs (640 x 480) in the whole program, full layout, offscreen"
mkdir -p "$ALBUMS/Aaa" "$ALBUMS/Big" "$WORK/small"
convert -size 640x480 -seed 3 plasma:steelblue-orange -quality 85 "$WORK/s0.jpg"
for v in 1 2 3; do convert "$WORK/s0.jpg" -roll +$((v * 150))+$((v * 100)) -quality 85 "$WORK/s$v.jpg"; done
cp "$WORK/s0.jpg" "$ALBUMS/Aaa/first.jpg"
for i in $(seq 1 "$BIG"); do cp "$WORK/s$((i % 4)).jpg" "$ALBUMS/Big/p$i.jpg"; done
for i in $(seq 1 200); do cp "$WORK/s$((i % 4)).jpg" "$WORK/small/p$i.jpg"; done
# The per-file cost: 200 of the same files, cold cache, every core, as the program loads them.
"$LOAD" --runs 1 --threads 0 --cache "$WORK/small-cache" "$WORK/small" | tee "$WORK/small.txt"
for run in cold warm; do
  echo "-- $run cache"
  XDG_CACHE_HOME="$WORK/xdg" QT_QPA_PLATFORM=offscreen /usr/bin/time -f "process peak resident %M KB" \
    "$LIST" Big 2>&1 | grep -v -e '^QStandardPaths' -e 'album background' -e 'This plugin' | tee "$WORK/big-$run.txt"
done
python3 - "$WORK/small.txt" "$WORK/big-cold.txt" "$BIG" <<'PY'
import sys
rows = [l.split() for l in open(sys.argv[1]) if "(cold)" in l]
per = float(rows[0][-1])
whole = next(float(l.split()[-2]) for l in open(sys.argv[2]) if l.startswith("whole load"))
n = int(sys.argv[3])
print(f"whole load {whole:.0f} ms vs {per:.3f} ms a file x {n} = {per * n:.0f} ms: {whole / (per * n):.2f}x (target <= 1.2)")
PY
echo
echo "== Cost per file of each kind, in process (median of 5 loads; $KIND_FILES files a kind)"
"$LOAD" "$WORK/jpg" "$WORK/bmp" "$WORK/tif" "$WORK/gif" "$WORK/mpg" "$WORK/mpeg" "$WORK/erm" "$WORK/avi"

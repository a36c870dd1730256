#!/usr/bin/env bash
# The album load: 200 twelve-megapixel JPEGs loaded into the item list's
# 107 x 86 cells by the same code as the list (bench_album_load, the whole
# process) beside vipsthumbnail making 107 x 86 thumbnails of the same files
# on one thread and libjpeg-turbo's 1/8-scale decode alone, the floor
# (hyperfine medians, same run); then the cost per file of
# each other kind: 12 MP BMP, TIFF and GIF pictures, MPEG-1, MPEG-2, .erm and
# AVI clips.
#   bench/albums.sh [BUILD_DIR]   (a Release build with benchmarks)
set -euo pipefail
BUILD=${1:-build/bench}
LOAD=$BUILD/bench/bench_album_load
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
for tool in convert ffmpeg hyperfine vipsthumbnail djpeg; do
  command -v $tool >/dev/null || { echo "albums.sh: $tool is needed" >&2; exit 1; }
done
FILES=${ALBUM_BENCH_FILES:-200}
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
  "$LOAD --runs 1 $WORK/jpg" \
  "for f in $WORK/jpg/*.jpg; do djpeg -scale 1/8 -outfile /dev/null \$f; done" >/dev/null
python3 - "$WORK/h.json" "$FILES" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
n = int(sys.argv[2])
vips, ours, floor = (x["median"] * 1000 for x in r)
print(f"vipsthumbnail (1 thread) {vips:9.1f} ms  {vips / n:6.2f} ms a file")
print(f"album load               {ours:9.1f} ms  {ours / n:6.2f} ms a file")
print(f"djpeg -scale 1/8 (floor) {floor:9.1f} ms  {floor / n:6.2f} ms a file")
print(f"ratio album load / vipsthumbnail  {ours / vips:5.2f}")
PY
echo
echo "== Cost per file of each kind, in process (median of 5 loads; $KIND_FILES files a kind)"
"$LOAD" "$WORK/jpg" "$WORK/bmp" "$WORK/tif" "$WORK/gif" "$WORK/mpg" "$WORK/mpeg" "$WORK/erm" "$WORK/avi"

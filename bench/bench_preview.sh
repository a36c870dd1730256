#!/usr/bin/env bash
# Times the video previews, whole process: `lumora-cli preview IN OUT.bmp`
# beside `ffmpeg -threads 1 [-ss 1] -i IN -frames:v 1 OUT.bmp` (the MPEG
# files at one second, as the still capture takes them; the AVI files at
# their first frame) and `ffmpegthumbnailer` at the same position, on the
# same files in the same run (hyperfine). Prints each median (ms) and the
# ratios lumora / ffmpeg and lumora / ffmpegthumbnailer.
#   bench/bench_preview.sh [BUILD_DIR]   (a Release build with lumora-cli)
set -euo pipefail
BUILD=${1:-build/release}
CLI=$BUILD/cli/lumora-cli
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
for tool in ffmpeg ffmpegthumbnailer hyperfine python3; do
  command -v $tool > /dev/null || { echo "bench_preview.sh: $tool is needed" >&2; exit 1; }
done

make_clip() { # name size rate seconds options...
  local name=$1 size=$2 rate=$3 seconds=$4; shift 4
  ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "testsrc2=size=$size:rate=$rate" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000" -t "$seconds" "$@" "$WORK/$name"
}
make_clip sif.mpg 352x240 30000/1001 3 -c:v mpeg1video -b:v 1150k -g 15 -bf 2 -c:a mp2 -f mpeg
make_clip sd.mpg 720x480 30000/1001 3 -c:v mpeg2video -b:v 6M -g 15 -bf 2 -flags +ilme+ildct -c:a mp2 -f vob
make_clip hd.mpg 1920x1080 30000/1001 3 -c:v mpeg2video -b:v 20M -g 15 -bf 2 -flags +ilme+ildct -c:a mp2 -f vob
make_clip mjpeg.avi 720x480 30000/1001 3 -c:v mjpeg -q:v 3 -c:a pcm_s16le
make_clip raw.avi 720x480 30000/1001 1 -c:v rawvideo -pix_fmt bgr24 -c:a pcm_s16le
make_clip dv.avi 720x480 30000/1001 3 -c:v dvvideo -pix_fmt yuv411p -c:a pcm_s16le
make_clip mp42.avi 720x480 30000/1001 3 -c:v msmpeg4v2 -q:v 3 -c:a pcm_s16le

# Wall-clock medians, their ratios, and the mean CPU time (user + system) of
# each command, which a busy machine disturbs less.
printf "%-10s %10s %10s %10s %9s %9s   %s\n" file lumora ffmpeg thumbnlr "/ffmpeg" "/thumbnlr" "cpu ms: lumora ffmpeg thumbnlr"
for clip in sif.mpg sd.mpg hd.mpg mjpeg.avi raw.avi dv.avi mp42.avi; do
  in=$WORK/$clip
  case $clip in
    *.mpg) seek=(-ss 1); at=00:00:01 ;;
    *) seek=(); at=0 ;;
  esac
  hyperfine -N --warmup 3 --runs 20 --style none --export-json "$WORK/$clip.json" \
    "$CLI preview $in $WORK/lumora.bmp" \
    "ffmpeg -hide_banner -loglevel error -nostdin -threads 1 ${seek[*]} -i $in -frames:v 1 -y $WORK/ffmpeg.bmp" \
    "ffmpegthumbnailer -i $in -o $WORK/thumb.png -t $at" > /dev/null
  python3 - "$clip" "$WORK/$clip.json" <<'PY'
import json, statistics, sys
name, path = sys.argv[1], sys.argv[2]
results = json.load(open(path))["results"]
m = [statistics.median(r["times"]) * 1000 for r in results]
cpu = [(r["user"] + r["system"]) * 1000 for r in results]
print(f"{name:<10} {m[0]:10.1f} {m[1]:10.1f} {m[2]:10.1f} {m[0] / m[1]:9.2f} {m[0] / m[2]:9.2f}   "
      f"{cpu[0]:.1f} {cpu[1]:.1f} {cpu[2]:.1f}")
PY
done

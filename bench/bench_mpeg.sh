#!/usr/bin/env bash
# Times the first picture of an MPEG-1 SIF stream and of SD and HD MPEG-2
# streams: the whole process of `lumora-cli mpeg-still IN OUT.ppm --format 8`
# beside `ffmpeg -threads 1 -i IN -frames:v 1 -y OUT.ppm` (hyperfine, same
# run), then the in-process benchmark of the decode alone.
#   bench/bench_mpeg.sh [BUILD_DIR]   (a Release build with lumora-cli and bench_mpeg)
set -euo pipefail
BUILD=${1:-build/release}
CLI=$BUILD/cli/lumora-cli
BENCH=$BUILD/bench/bench_mpeg
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
command -v ffmpeg > /dev/null || { echo "bench_mpeg.sh: ffmpeg is needed" >&2; exit 1; }
command -v hyperfine > /dev/null || { echo "bench_mpeg.sh: hyperfine is needed" >&2; exit 1; }

make_stream() { # name size rate extra...
  local name=$1 size=$2 rate=$3; shift 3
  ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "testsrc2=size=$size:rate=$rate" \
    -frames:v 30 "$@" "$WORK/$name"
}
make_stream sif.mpg 352x240 30000/1001 -c:v mpeg1video -b:v 1150k -g 15 -bf 2 -f mpeg
make_stream sd.mpg 720x480 30000/1001 -c:v mpeg2video -b:v 6M -g 15 -bf 2 -flags +ilme+ildct -f vob
make_stream hd.m2v 1920x1080 30000/1001 -c:v mpeg2video -b:v 20M -g 15 -bf 2 -f mpeg2video

for s in sif.mpg sd.mpg hd.m2v; do
  hyperfine -N --warmup 3 --runs 30 \
    "$CLI mpeg-still $WORK/$s $WORK/lumora.ppm --format 8" \
    "ffmpeg -threads 1 -i $WORK/$s -frames:v 1 -y $WORK/ffmpeg.ppm"
done
# ffmpeg's start-up alone, to tell its decode time from the whole.
hyperfine -N --warmup 3 --runs 30 "ffmpeg -hide_banner -version"
LUMORA_BENCH_MPEG_DIR=$WORK "$BENCH" --benchmark_min_time=0.5

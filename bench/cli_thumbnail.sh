#!/usr/bin/env bash
# The start-up of `lumora-cli thumbnail`, whole process, on a 12-megapixel
# JPEG: lumora-cli (the still cell made in its own process) beside
# lumora-cli-media (Qt's resources and FFmpeg loaded, as for a video item's
# cell), optionally an older build's lumora-cli, and libjpeg-turbo's
# `djpeg -scale 1/8` (hyperfine medians, same run, with the ratios); the
# shared libraries each program loads for it (the dynamic loader's log);
# then --out-dir over many files beside one process a file.
#   bench/cli_thumbnail.sh [BUILD_DIR [BEFORE_BUILD_DIR]]   (Release builds with lumora-cli)
set -euo pipefail
BUILD=${1:-build/release}
CLI=$BUILD/cli/lumora-cli
BEFORE=${2:+$2/cli/lumora-cli}
MEDIA=$BUILD/cli/lumora-cli-media
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
for tool in convert djpeg hyperfine python3; do
  command -v $tool > /dev/null || { echo "cli_thumbnail.sh: $tool is needed" >&2; exit 1; }
done
FILES=${CLI_BENCH_FILES:-40}

convert -size 4000x3000 -seed 11 plasma:steelblue-orange -blur 0x1 -depth 8 -quality 90 "$WORK/photo.jpg"
mkdir -p "$WORK"/{many,out,one}
for i in $(seq 1 "$FILES"); do cp "$WORK/photo.jpg" "$WORK/many/photo$i.jpg"; done

echo "== One 4000 x 3000 JPEG to its 58 x 42 cell (hyperfine medians, whole processes)"
commands=("$CLI thumbnail $WORK/photo.jpg $WORK/cli.bmp"
          "$MEDIA thumbnail $WORK/photo.jpg $WORK/media.bmp"
          "djpeg -scale 1/8 -outfile /dev/null $WORK/photo.jpg")
[ -n "$BEFORE" ] && commands+=("$BEFORE thumbnail $WORK/photo.jpg $WORK/before.bmp")
hyperfine -N --warmup 5 --runs 40 --style none --export-json "$WORK/one.json" "${commands[@]}" > /dev/null
cmp "$WORK/cli.bmp" "$WORK/media.bmp"
python3 - "$WORK/one.json" <<'PY'
import json, statistics, sys
r = json.load(open(sys.argv[1]))["results"]
m = [statistics.median(x["times"]) * 1000 for x in r]
cpu = [(x["user"] + x["system"]) * 1000 for x in r]
names = ["lumora-cli thumbnail", "lumora-cli-media thumbnail", "djpeg -scale 1/8", "before: lumora-cli thumbnail"]
for name, ms, c in zip(names, m, cpu):
    print(f"{name:<30} {ms:7.1f} ms  {ms / m[2]:5.2f} x djpeg   cpu {c:6.1f} ms")
PY
echo
echo "== Shared libraries loaded (the dynamic loader's log of one run)"
for program in "$CLI" "$MEDIA" $BEFORE; do
  rm -f "$WORK"/ld.*
  LD_DEBUG=libs LD_DEBUG_OUTPUT=$WORK/ld "$program" thumbnail "$WORK/photo.jpg" "$WORK/x.bmp"
  printf "%-40s %4d\n" "$program" "$(cat "$WORK"/ld.* | grep -c 'calling init:')"
done

echo
echo "== $FILES such JPEGs (hyperfine medians)"
hyperfine -N --warmup 1 --runs 5 --style none --export-json "$WORK/many.json" \
  "$CLI thumbnail --out-dir $WORK/out $(echo "$WORK"/many/*.jpg)" > /dev/null
hyperfine --warmup 1 --runs 5 --style none --export-json "$WORK/each.json" \
  "for f in $WORK/many/*.jpg; do $CLI thumbnail \$f $WORK/one/x.bmp; done" \
  "for f in $WORK/many/*.jpg; do djpeg -scale 1/8 -outfile /dev/null \$f; done" > /dev/null
python3 - "$WORK/many.json" "$WORK/each.json" "$FILES" "$(nproc)" <<'PY'
import json, statistics, sys
n, cores = int(sys.argv[3]), int(sys.argv[4])
many = statistics.median(json.load(open(sys.argv[1]))["results"][0]["times"]) * 1000
each, djpeg = (statistics.median(x["times"]) * 1000 for x in json.load(open(sys.argv[2]))["results"])
print(f"--out-dir, one process ({cores} threads)  {many:8.1f} ms  {many / n:6.2f} ms a file")
print(f"lumora-cli, a process a file          {each:8.1f} ms  {each / n:6.2f} ms a file")
print(f"djpeg -scale 1/8, a process a file    {djpeg:8.1f} ms  {djpeg / n:6.2f} ms a file")
print(f"ratio --out-dir / a process a file    {many / each:5.2f}")
PY

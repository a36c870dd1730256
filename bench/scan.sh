#!/usr/bin/env bash
# A 300 dpi colour scan from SANE's test backend saved by our acquisition
# (bench_scan: link, source manager, 24-bit BMP through the atomic writer)
# beside scanimage writing the same frame as PNM to a file, in the same run
# (hyperfine medians); and beside scanimage followed by `sync -f`, which
# leaves its file on the disk as our atomic writer does. The backend's bed is square: its size is set to 297 mm
# so the frame (3508 x 3508 pixels) holds a whole A4 page. Expects the
# Release build with benchmarks in build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
BIN=${1:-build/bench}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/sane" "$work/album"
echo test > "$work/sane/dll.conf"
cat > "$work/sane/test.conf" <<'CONF'
number_of_devices 1
mode Color
depth 8
test-picture "Color pattern"
geometry_min 0.0
geometry_max 297.0
CONF
export SANE_CONFIG_DIR=$work/sane

ours="$BIN/bench/bench_scan $work/album Color 300 Flatbed"
theirs="scanimage -d test:0 --format=pnm --mode Color --resolution 300 -l 0 -t 0 -x 297 -y 297 -o $work/album/scan.pnm"
synced="sh -c '$theirs && sync -f $work/album/scan.pnm'"
hyperfine -N --warmup 2 --runs 15 --prepare "rm -f $work/album/PIC0.bmp $work/album/scan.pnm" \
  --export-json "$work/h.json" "$theirs" "$synced" "$ours" >/dev/null 2>&1
python3 - "$work/h.json" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
ref, synced, ours = (x["median"] * 1000 for x in r)
print(f"300 dpi colour scan -> file   scanimage {ref:7.1f} ms   lumora {ours:7.1f} ms   ratio {ours / ref:5.2f}")
print(f"  with the file on the disk   scanimage + sync {synced:7.1f} ms   ratio {ours / synced:5.2f}")
PY

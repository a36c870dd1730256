#!/usr/bin/env bash
# The album's copies and drops: 1 GiB of album files (64 files of 16 MiB)
# copied into an empty folder file by file with CopyNoReplace (bench_copy
# copy: a temporary, copy_file_range, fsync, a no-replace rename) and through
# one CopyBatch (bench_copy batch: the same, the fsyncs overlapped), beside cp
# of the same files followed by sync -f, the data on the disk at the end on
# every side (hyperfine medians, same run); then 1,000 same-file-system drops
# into an album, each one rename.
#   bench/copy.sh [BUILD_DIR]   (a Release build with benchmarks)
set -euo pipefail
BUILD=${1:-build/bench}
COPY=$BUILD/bench/bench_copy
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
command -v hyperfine >/dev/null || { echo "copy.sh: hyperfine is needed" >&2; exit 1; }
FILES=${COPY_BENCH_FILES:-64}
SIZE_MIB=${COPY_BENCH_MIB:-16}

mkdir -p "$WORK/album"
for i in $(seq 1 "$FILES"); do
  head -c $((SIZE_MIB << 20)) /dev/urandom >"$WORK/album/clip$i.mpg"
done
sync -f "$WORK/album"

echo "== $FILES files of $SIZE_MIB MiB into an empty folder, fsync included (hyperfine medians)"
hyperfine --warmup 1 --runs "${COPY_BENCH_RUNS:-5}" --export-json "$WORK/h.json" \
  --prepare "rm -rf $WORK/out && mkdir $WORK/out && sync -f $WORK" \
  "$COPY copy $WORK/album $WORK/out" \
  "$COPY batch $WORK/album $WORK/out" \
  "cp $WORK/album/* $WORK/out/ && sync -f $WORK/out" >/dev/null
python3 - "$WORK/h.json" "$FILES" "$SIZE_MIB" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
mib = int(sys.argv[2]) * int(sys.argv[3])
single, batch, cp = (x["median"] for x in r)
print(f"CopyNoReplace each  {single * 1000:9.1f} ms  {mib / single:7.0f} MiB/s")
print(f"CopyBatch           {batch * 1000:9.1f} ms  {mib / batch:7.0f} MiB/s")
print(f"cp + sync -f        {cp * 1000:9.1f} ms  {mib / cp:7.0f} MiB/s")
print(f"ratio CopyNoReplace each / cp  {single / cp:5.2f}")
print(f"ratio CopyBatch / cp           {batch / cp:5.2f}")
PY
echo
echo "== Drops on one file system"
"$COPY" drop 1000 "$WORK/drops"

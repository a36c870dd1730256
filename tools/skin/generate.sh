#!/usr/bin/env bash
# Builds the skin generator on its own and redraws the skin into resources/.
#   tools/skin/generate.sh [preview folder]
# With a preview folder it also writes the preview sheet and the window mock-ups
# there. The output is deterministic: running it again changes no file.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$root/build/skin-tool"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2
if [ $# -ge 1 ]; then
  QT_QPA_PLATFORM=offscreen "$build/lumora-skin" "$root/resources" --preview "$1"
else
  QT_QPA_PLATFORM=offscreen "$build/lumora-skin" "$root/resources"
fi

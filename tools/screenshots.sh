#!/usr/bin/env bash
# Pictures of the main window for the documentation, docs/screenshots/compact.png
# (the compact panel) and docs/screenshots/max.png (the full-screen layout on a
# 1280 x 800 screen). The program takes them itself on Qt's offscreen platform:
# its --screenshot options render the window with QWidget::grab once it is up.
# It runs with a registry and a runtime folder of its own, so it neither reads
# nor changes the user's settings and finds no running copy.
#   tools/screenshots.sh [BUILD_DIR]     (default build/release, configured when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
out=docs/screenshots

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target Lumora
# The window shows the albums beside the program: the demo album when there are none.
tools/demo-album/make-demo-album.sh "$build/app"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
cat > "$work/screen.json" <<'JSON'
{"screens": [{"name": "docs", "x": 0, "y": 0, "width": 1280, "height": 800,
              "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}
JSON

mkdir -p "$out"
QT_QPA_PLATFORM="offscreen:configfile=$work/screen.json" \
QUORVIX_REGISTRY_DIR="$work/registry" XDG_RUNTIME_DIR="$work/runtime" \
  "$build/app/Lumora" --screenshot "$out/compact.png" --screenshot-max "$out/max.png" 2>"$work/stderr" ||
  { cat "$work/stderr" >&2; exit 1; }
echo "Wrote $out/compact.png and $out/max.png"

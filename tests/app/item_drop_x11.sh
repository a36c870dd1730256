#!/usr/bin/env bash
# A file dragged by another program onto Lumora's item list with the X drag
# and drop protocol, driven by pointer events of the X test extension: the
# file moves into the current album. Run under xvfb-run.
#   item_drop_x11.sh LUMORA DRAG_SOURCE PICTURE
set -euo pipefail
lumora=$1 source=$2 picture=$3

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# The program looks for its albums beside itself: a link of it in a folder of
# ours, with the list backgrounds it draws.
program=$work/program
mkdir -p "$program/Albums/Trip" "$work/outside" "$work/registry" "$work/data"
ln "$lumora" "$program/Lumora" 2>/dev/null || cp "$lumora" "$program/Lumora"
cp "$(dirname "$lumora")"/*.bmp "$program/"
cp "$picture" "$work/outside/beach.jpg"

# Waits (up to a bound that only a broken run reaches) until a command succeeds.
wait_for() {
  for _ in $(seq 300); do "$@" && return 0; sleep 0.1; done
  echo "gave up waiting for: $*" >&2
  return 1
}

QUORVIX_REGISTRY_DIR=$work/registry XDG_DATA_HOME=$work/data "$program/Lumora" &
pids+=($!)
window=$(xdotool search --sync --onlyvisible --name '^Lumora$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
# The item list of the compact layout lies below the window's title strip.
target_x=$((X + 50)) target_y=$((Y + 100))

"$source" "$work/outside/beach.jpg" > "$work/source.out" &
pids+=($!)
xdotool search --sync --onlyvisible --name '^xdnd-source$' > /dev/null

xdotool mousemove 60 60 mousedown 1
# The drag starts after the pointer has moved a few pixels; each move is
# waited for by xdotool, each step gives the two programs their XDND round.
for step in 1 2 3 4 5 6 7 8; do
  xdotool mousemove $((60 + (target_x - 60) * step / 8)) $((60 + (target_y - 60) * step / 8))
  sleep 0.2
done
xdotool mousemove $((target_x + 2)) $((target_y + 2))
sleep 0.2
xdotool mouseup 1

wait_for test -f "$program/Albums/Trip/beach.jpg"
wait_for test ! -e "$work/outside/beach.jpg"  # one file system: moved
wait_for grep -qx dropped "$work/source.out"
echo "beach.jpg moved into the album by a drop from another program"

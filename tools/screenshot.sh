#!/usr/bin/env bash
# Makes the README's screenshot again: starts the desktop program under Xvfb
# on the sample theater with a tile open, makes the window larger, zooms in
# on the tile with the mouse wheel and captures the window.
#
# usage: tools/screenshot.sh [BUILD_FOLDER] [OUTPUT.png]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
output=$(realpath -m "${2:-docs/screenshot.png}")
sample="$build/sample"
[ -x "$build/lorvane" ] || { echo "no $build/lorvane: build first (make run or make build)"; exit 1; }
[ -f "$sample/Texture.bin" ] || { echo "no sample in $sample"; exit 1; }

mkdir -p "$(dirname "$output")"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cd "$sample"   # Quistral.ini is read from the start-up folder
HOME="$home" XDG_CONFIG_HOME="$home/.config" xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$1" "$2" "$3" &
  app=$!
  sleep 3
  # Dismiss the "Texture.bin loaded" report; the tile then loads.
  xdotool key Return
  sleep 2
  window=$(xdotool search --onlyvisible --class lorvane | head -n 1)
  if [ -n "$window" ]; then
    xdotool windowmove "$window" 20 20 windowsize "$window" 1000 900
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # The viewer takes the extra room: zoom in twice about a point on the tile.
    xdotool mousemove --sync $((X + WIDTH * 2 / 5)) $((Y + HEIGHT * 2 / 5))
    xdotool click 4; sleep 0.3; xdotool click 4
    sleep 1
  fi
  import -window "${window:-root}" "$4"
  kill $app 2>/dev/null || true
  wait $app 2>/dev/null || true
' _ "$build/lorvane" "$sample/Texture.bin" "$sample/tiles/H042.PCX" "$output"
echo "wrote $output"

#!/usr/bin/env bash
# Makes the README's screenshot again: starts the desktop program under Xvfb
# on the sample theater with a tile open and captures the screen.
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
HOME="$home" XDG_CONFIG_HOME="$home/.config" xvfb-run -a -s "-screen 0 1100x900x24" bash -c '
  "$1" "$2" "$3" &
  app=$!
  sleep 3
  # Dismiss the "Texture.bin loaded" report; the tile then loads.
  xdotool key Return
  sleep 2
  window=$(xdotool search --onlyvisible --class lorvane | head -n 1)
  import -window "${window:-root}" "$4"
  kill $app 2>/dev/null || true
  wait $app 2>/dev/null || true
' _ "$build/lorvane" "$sample/Texture.bin" "$sample/tiles/H042.PCX" "$output"
echo "wrote $output"

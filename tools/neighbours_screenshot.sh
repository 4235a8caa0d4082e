#!/usr/bin/env bash
# Makes the README's picture of the neighbours again: starts the desktop
# program under Xvfb on the sample theater with its terrain and a tile open,
# zooms out until the half-tile margins all round show the tiles beside it,
# and captures the window once the picture has settled.
#
# usage: tools/neighbours_screenshot.sh [BUILD_FOLDER] [OUTPUT.png] [TILE]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
output=$(realpath -m "${2:-docs/neighbours.png}")
tile=${3:-H022.PCX}
sample="$build/sample"
[ -x "$build/lorvane" ] || { echo "no $build/lorvane: build first (make run or make build)"; exit 1; }
[ -f "$sample/Texture.bin" ] && [ -f "$sample/Theater.L2" ] || { echo "no sample in $sample"; exit 1; }

mkdir -p "$(dirname "$output")"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cd "$sample"   # Quistral.ini is read from the start-up folder
HOME="$home" XDG_CONFIG_HOME="$home/.config" xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -u
  "$1" "$2" "$3" "$4" &
  app=$!
  trap "kill $app 2>/dev/null" EXIT
  window=$(timeout 60 xdotool search --sync --onlyvisible --name "Texture.bin\$" | head -n 1)
  [ -n "$window" ] || { echo "no main window"; exit 1; }
  xdotool windowmove --sync "$window" 0 0 2>/dev/null || true
  xdotool windowsize --sync "$window" 1000 900 2>/dev/null || xdotool windowsize "$window" 1000 900
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  # The files load meanwhile. Zoomed out all the way (again after a tile
  # loaded, which fits the view): the tile and half a tile all round; the
  # picture is taken once two captures a second apart agree (within a
  # minute).
  previous=""
  for ((i = 0; i < 60; ++i)); do
    for ((step = 0; step < 6; ++step)); do xdotool key ctrl+minus; done
    sleep 1
    import -window "$window" "$5.tmp.png"
    sum=$(md5sum <"$5.tmp.png")
    [ "$sum" = "$previous" ] && break
    previous=$sum
  done
  mv "$5.tmp.png" "$5"
' _ "$build/lorvane" "$sample/Texture.bin" "$sample/tiles/$tile" "$sample/Theater.L2" "$output"
echo "wrote $output"

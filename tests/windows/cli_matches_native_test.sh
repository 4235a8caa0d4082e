#!/usr/bin/env bash
# lorvane-cli.exe under Wine and the native lorvane-cli run the same script of
# commands on copies of the native build's sample theater: every file they
# write, everything they print and every exit status are the same, byte for
# byte. The script builds a database, grows and exchanges tiles, converts the
# terrain, writes the theater files, edits Theater.map, draws the sample tile
# and the theater as PNG pictures (through the image writer module beside
# each tool), works in a folder named in other scripts, and fails where it
# should.
#
# Environment: LORVANE_CLI (the .exe), LORVANE_NATIVE_CLI, LORVANE_NATIVE_SAMPLE,
# LORVANE_WINE_RUN and LORVANE_WINE_PREFIX (tools/wine_run.sh and its prefix).
set -euo pipefail

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for side in native windows; do
  mkdir -p "$work/$side"
  cp -r "$LORVANE_NATIVE_SAMPLE"/tiles "$LORVANE_NATIVE_SAMPLE"/Texture.bin \
    "$LORVANE_NATIVE_SAMPLE"/Theater.L2 "$LORVANE_NATIVE_SAMPLE"/Theater.O2 \
    "$LORVANE_NATIVE_SAMPLE"/Theater.map "$LORVANE_NATIVE_SAMPLE"/Quistral.ini "$work/$side/"
done

step=0
status=0
# run SIDE ARGUMENTS...: one command in the side's folder; its status, output
# and messages go to the side's transcript, the status also into $status.
run() {
  local side=$1
  shift
  status=0
  if [ "$side" = native ]; then
    (cd "$work/$side" && "$LORVANE_NATIVE_CLI" "$@") >"$work/$side.out" 2>"$work/$side.err" || status=$?
  else
    (cd "$work/$side" && "$LORVANE_WINE_RUN" "$LORVANE_WINE_PREFIX" "$LORVANE_CLI" "$@") \
      >"$work/$side.out" 2>"$work/$side.err" || status=$?
  fi
  {
    echo "== step $step: $* -> $status"
    cat "$work/$side.out"
    echo "-- messages"
    cat "$work/$side.err"
  } >>"$work/$side.transcript"
}

# both EXPECTED_STATUS ARGUMENTS...: runs the command on both sides.
both() {
  local expected=$1
  shift
  step=$((step + 1))
  run windows "$@"
  run native "$@"
  if [ "$status" != "$expected" ]; then
    echo "step $step ($*): the native build exits with $status, not $expected" >&2
    cat "$work/native.err" >&2
    exit 1
  fi
}

theatre=$(printf 'Th\xc3\xa9\xc3\xa2tre \xd0\x9a\xd0\xb0\xd0\xb2\xd0\xba\xd0\xb0\xd0\xb7')
for side in native windows; do
  cp "$work/$side/Theater.map" "$work/$side/Edited.map"
  cp "$work/$side/Texture.bin" "$work/$side/InPlace.bin"
  mkdir "$work/$side/$theatre"
done

both 0 build-texture tiles -o Built.bin
both 0 info Built.bin
both 0 info Texture.bin --json
both 0 resave Texture.bin -o Resaved.bin
both 2 resave Texture.bin -o Resaved.bin
both 0 set-type Texture.bin --set 1 --type Urban -o Typed.bin
both 0 add-set Typed.bin --type "Thin Forest" tiles/H000.PCX tiles/H001.PCX -o Grown.bin
both 0 add-tiles Grown.bin --set 8 tiles/H002.PCX -o Grown2.bin
both 0 set-type InPlace.bin --set 2 --type Water --in-place
both 0 export Texture.bin --tile H000.PCX --tile 1 -o changed.exp
both 0 import Built.bin changed.exp -o Imported.bin
both 0 l2m Theater.L2 -o Theater.L2M --quiet
both 0 thr --texture Texture.bin --terrain Theater.L2 -o Theater.thr --quiet
both 0 thr --texture Texture.bin --terrain Theater.L2M -o FromL2M.thr --quiet
both 0 mea --terrain Theater.L2M -o Theater.mea --quiet
both 0 theater-map show Theater.map --json
both 0 theater-map show Theater.map --ini Quistral.ini --theater Sample
both 0 theater-map set Edited.map levelWidth2=64 maxTheaterElevation=15000
both 0 render tiles/H000.PCX --texture Texture.bin -o H000.png
both 0 render tiles/H000.PCX --texture Texture.bin --size 512 -o H000-512.png
both 0 render-theater --terrain Theater.L2 --texture Texture.bin --tiles tiles --quiet -o Theater.png
both 0 build-texture tiles -o "$theatre/Texture.bin"
both 0 info "$theatre/Texture.bin"
both 0 l2m Theater.L2 -o "$theatre/Theater.L2M" --quiet
both 1 info Missing.bin
both 1 mea --terrain Texture.bin -o Broken.mea --quiet
both 2 info

# The same transcripts, and the same files with the same bytes.
if ! cmp -s "$work/native.transcript" "$work/windows.transcript"; then
  echo "lorvane-cli.exe printed or exited differently:" >&2
  diff "$work/native.transcript" "$work/windows.transcript" >&2 || true
  exit 1
fi
(cd "$work/native" && find . -type f | sort) >"$work/native.files"
(cd "$work/windows" && find . -type f | sort) >"$work/windows.files"
if ! cmp -s "$work/native.files" "$work/windows.files"; then
  echo "lorvane-cli.exe wrote other files:" >&2
  diff "$work/native.files" "$work/windows.files" >&2 || true
  exit 1
fi
different=0
while IFS= read -r file; do
  if ! cmp "$work/native/$file" "$work/windows/$file" >&2; then different=1; fi
done <"$work/native.files"
[ "$different" -eq 0 ] || exit 1

written=$(wc -l <"$work/native.files")
echo "$step commands, $written files: the same bytes from both builds"

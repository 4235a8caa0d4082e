#!/usr/bin/env bash
# The main job end to end, with real input on a virtual display: start
# lorvane with a Texture.bin and a tile, draw a path of three segments with
# the mouse, undo twice (Ctrl+Z) and redo once (Ctrl+Shift+Z), draw an area,
# save by accepting the name the save dialog proposes (the opened file), and
# check that file with lorvane-cli info --json: the first two segments and
# the area, nothing else.
#
# Needs xvfb-run, xdotool, ImageMagick and python3 (tools/install_deps.sh
# installs them); without them the test is skipped. LORVANE_SCREENSHOT_DIR,
# when set, receives screenshots of the steps.
set -euo pipefail

source "$(dirname "$(readlink -f "$0")")/e2e_inputs.sh"
e2e_setup
make_texture "$work/Texture.bin"
make_tile "$work/H000.PCX"

original=$(cksum <"$work/Texture.bin")
saved="$work/Texture.bin"

cat >"$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
# Runs inside the virtual display.
set -uo pipefail
work=$1
source "$2"
drive_setup
"$LORVANE_APP" "$work/Texture.bin" "$work/H000.PCX" >"$work/app.log" 2>&1 &
app=$!
trap 'kill $app 2>/dev/null' EXIT

wait_loaded
tile_origin "Texture.bin$"
shot 1-loaded

# New Path (Alt+P) with the proposed type and width: Road, 50. Three
# segments: up and to the right twice, then back down to the left.
start_road "Texture.bin$" three
click $((left + 40)) $((top + 160)) 3
shot 2-path
# Undo twice, redo once: the first two segments are left.
keys_to "Texture.bin$" ctrl+z ctrl+z ctrl+shift+z
shot 2-undone

# New Area (Alt+A): Water; centre, then radius 30 pixels to the right.
keys_to "Texture.bin$" alt+a
keys_to "^New Area$" Return
click $((left + 60)) $((top + 50))
xdotool mousemove --sync $((left + 80)) $((top + 50)); sleep 0.2
click $((left + 90)) $((top + 50))
shot 3-area

# Save (Alt+S): the first save proposes the opened file; accept it and wait
# until the file holds the drawing.
save_proposed
shot 4-saved
DRIVE
run_drive 300

fail() { echo "FAIL: $*"; exit 1; }
[ "$(cksum <"$saved")" != "$original" ] || { cat "$work/app.log" 2>/dev/null; fail "the opened Texture.bin was not saved"; }
[ ! -e "$work/texture.bin" ] || fail "a second file texture.bin was written beside Texture.bin"

json=$("$LORVANE_CLI" info --json "$saved")
echo "$json"
# The values of one field, in file order.
values() { grep -o "\"$1\":[-0-9.e+]*" <<<"$json" | cut -d: -f2; }
mapfile -t types < <(values type)
mapfile -t startX < <(values startX)
mapfile -t startY < <(values startY)
mapfile -t endX < <(values endX)
mapfile -t endY < <(values endY)
mapfile -t radius < <(values radius)

[ "${#startX[@]}" -eq 2 ] || fail "expected the first 2 path segments, found ${#startX[@]}"
[ "${#radius[@]}" -eq 1 ] || fail "expected 1 area, found ${#radius[@]}"
# Two Road segments, then one Water area.
[ "${types[*]}" = "10 10 1" ] || fail "types ${types[*]}, expected 10 10 1"
grep -q '"width":50' <<<"$json" || fail "the segments are not 50 feet wide"
# The second segment continues the first.
[ "${startX[1]}" = "${endX[0]}" ] && [ "${startY[1]}" = "${endY[0]}" ] ||
    fail "segment 2 does not start where segment 1 ends"
# The path runs up and to the right; the area has a radius.
awk -v a="${startX[0]}" -v b="${endX[1]}" 'BEGIN { exit !(b > a) }' || fail "the path does not run up the tile"
awk -v a="${startY[0]}" -v b="${endY[1]}" 'BEGIN { exit !(b > a) }' || fail "the path does not run to the right"
awk -v r="${radius[0]}" 'BEGIN { exit !(r > 100 && r < 3280) }' || fail "radius ${radius[0]}"
echo "PASS"

#!/usr/bin/env bash
# The clipboard and the selection end to end, with real input on a virtual
# display: draw a road of two segments on H000, select both (a click and a
# Shift+click), copy them (Ctrl+C), load H001, paste (Ctrl+V), save; then
# lorvane-cli info --json shows the two segments on both tiles, the same.
#
# Needs xvfb-run, xdotool, ImageMagick and python3 (tools/install_deps.sh
# installs them); without them the test is skipped. LORVANE_SCREENSHOT_DIR,
# when set, receives screenshots of the steps.
set -euo pipefail

source "$(dirname "$(readlink -f "$0")")/e2e_inputs.sh"
e2e_setup
# One set (Plains) of two tiles without paths or areas.
{
    i32 1; i32 2                          # setCount, tileCount
    i32 2; printf '\x04'                  # the set: tileCount, terrainType
    for name in H000.PCX H001.PCX; do
        printf '%s' "$name"; head -c 12 /dev/zero
        i32 0; i32 0                      # areaCount, pathCount
    done
} >"$work/Texture.bin"
make_tile "$work/H000.PCX"
cp "$work/H000.PCX" "$work/H001.PCX"
original=$(cksum <"$work/Texture.bin")

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
# A road of two segments, ended with Enter; Esc leaves drawing.
start_road "Texture.bin$"
keys_to "Texture.bin$" Return Escape
shot 1-drawn
# The first segment clicked, the second added with Shift, both copied.
click $((left + 50)) $((top + 145))
xdotool keydown shift; sleep 0.2
click $((left + 130)) $((top + 60))
xdotool keyup shift; sleep 0.2
shot 2-selected
keys_to "Texture.bin$" ctrl+c
# H001 through the tile dialog, and the two pasted in place.
keys_to "Texture.bin$" alt+l
keys_to "^Select a Tile or Enter Tile Offset Number$" ctrl+a
xdotool type --delay 40 "$work/H001.PCX"
sleep 0.3
xdotool key Return
sleep 1
keys_to "Texture.bin$" ctrl+v
shot 3-pasted
# Save (Alt+S), accepting the proposed file, and wait for it to change.
save_proposed
shot 4-saved
DRIVE
run_drive 300

fail() { echo "FAIL: $*"; cat "$work/app.log" 2>/dev/null; exit 1; }
[ "$(cksum <"$work/Texture.bin")" != "$original" ] || fail "the Texture.bin was not saved"
json=$("$LORVANE_CLI" info --json "$work/Texture.bin")
echo "$json"
# The paths of each tile, one line a tile.
tiles=$(sed 's/{"id":/\n/g' <<<"$json" | grep '"name":"H00')
first=$(grep '"name":"H000.PCX"' <<<"$tiles" | grep -o '"paths":\[[^]]*\]')
second=$(grep '"name":"H001.PCX"' <<<"$tiles" | grep -o '"paths":\[[^]]*\]')
count() { grep -o '"startX"' <<<"$1" | wc -l; }
[ "$(count "$first")" -eq 2 ] || fail "H000 does not hold the 2 segments drawn: $first"
[ "$(count "$second")" -eq 2 ] || fail "H001 does not hold the 2 segments pasted: $second"
[ "$first" = "$second" ] || fail "the pasted segments differ from the copied ones"
echo "PASS"

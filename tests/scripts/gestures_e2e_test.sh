#!/usr/bin/env bash
# The editor's gestures end to end, with real input on a virtual display:
# draw a path of two segments ended by a double click, right-click its row
# in the path list (a menu appears; Escape closes it), save, and check the
# file with lorvane-cli info --json: both segments are there, the double
# click undid nothing and the right click deleted nothing.
#
# Needs xvfb-run, xdotool, ImageMagick and python3 (tools/install_deps.sh
# installs them); without them the test is skipped. LORVANE_SCREENSHOT_DIR, when set, receives
# screenshots of the steps.
set -euo pipefail

source "$(dirname "$(readlink -f "$0")")/e2e_inputs.sh"
e2e_setup
make_texture "$work/Texture.bin"
make_tile "$work/H000.PCX"
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
main=$(timeout 60 xdotool search --sync --onlyvisible --name "Texture.bin$" | head -1)

# New Path (Alt+P), Road 50: two points clicked, the third double clicked.
keys_to "Texture.bin$" alt+p
keys_to "^New Path$" Return
click $((left + 10)) $((top + 190))
click $((left + 90)) $((top + 100))
xdotool mousemove --sync $((left + 170)) $((top + 20)); sleep 0.3
xdotool click --repeat 2 --delay 80 1; sleep 0.5
shot 1-double-clicked
# After the double click the path is ended: this click opens a new one,
# which Esc cancels before anything of it is stored.
click $((left + 150)) $((top + 150))
keys_to "Texture.bin$" Escape Escape

# The path list lies at the bottom left of the window, above the status
# bar: its two rows about 140 to 155 pixels above the window's bottom, over
# its number column (clear of the list's scroll bar).
eval "$(xdotool getwindowgeometry --shell "$main")"
echo "window $X $Y $WIDTH $HEIGHT" >"$work/geometry"
popups() { xdotool search --onlyvisible --class "" 2>/dev/null | wc -l; }
before=$(popups)
row_x=$((X + 25))
for row_y in $((Y + HEIGHT - 154)) $((Y + HEIGHT - 141)) $((Y + HEIGHT - 166)); do
    click "$row_x" "$row_y" 3
    # A menu is a new visible window; wait for it (up to 20 s).
    for ((i = 0; i < 40; ++i)); do [ "$(popups)" -gt "$before" ] && break; sleep 0.5; done
    if [ "$(popups)" -gt "$before" ]; then echo "menu shown" >"$work/menu"; break; fi
done
shot 2-menu
xdotool key Escape; sleep 0.5
for ((i = 0; i < 40; ++i)); do [ "$(popups)" -le "$before" ] && break; sleep 0.5; done
[ "$(popups)" -le "$before" ] && echo "menu closed" >>"$work/menu"

# Save (Alt+S), accepting the proposed file, and wait for it to change.
save_proposed
shot 3-saved
DRIVE
run_drive 300

fail() { echo "FAIL: $*"; cat "$work/app.log" 2>/dev/null; exit 1; }
grep -q "menu shown" "$work/menu" 2>/dev/null || fail "no menu appeared on a right click on the path list"
grep -q "menu closed" "$work/menu" || fail "Escape did not close the menu"
[ "$(cksum <"$work/Texture.bin")" != "$original" ] || fail "the Texture.bin was not saved"

json=$("$LORVANE_CLI" info --json "$work/Texture.bin")
echo "$json"
values() { grep -o "\"$1\":[-0-9.e+]*" <<<"$json" | cut -d: -f2; }
mapfile -t startX < <(values startX)
mapfile -t startY < <(values startY)
mapfile -t endX < <(values endX)
mapfile -t endY < <(values endY)
[ "${#startX[@]}" -eq 2 ] || fail "expected 2 path segments (nothing undone or deleted), found ${#startX[@]}"
[ "${startX[1]}" = "${endX[0]}" ] && [ "${startY[1]}" = "${endY[0]}" ] ||
    fail "segment 2 does not start where segment 1 ends"
for i in 0 1; do
    [ "${startX[i]}" != "${endX[i]}" ] || [ "${startY[i]}" != "${endY[i]}" ] ||
        fail "segment $((i + 1)) has no length"
done
echo "PASS"

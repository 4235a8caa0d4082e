#!/usr/bin/env bash
# Precise placement with the zoomable viewer, end to end with real input on
# a virtual display: a tile whose image has one magenta pixel; the window
# made 1400 x 1100, find it on the screen, zoom in on it with the mouse
# wheel (after eight notches it is still under the pointer), find it again at the
# deepest zoom, start a road exactly on its middle, save, and check with
# lorvane-cli info --json that the stored start point lies within 2 feet of
# the pixel's middle (at the whole-tile zoom one screen pixel is about ten
# feet, so this needs the zoom).
#
# Needs xvfb-run, xdotool and ImageMagick (tools/install_deps.sh installs
# them); without them the test is skipped.
set -euo pipefail

if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null ||
    ! command -v import >/dev/null || ! command -v convert >/dev/null; then
    echo "SKIPPED: xvfb-run, xdotool or ImageMagick is missing (tools/install_deps.sh installs them)"
    exit 0
fi
: "${LORVANE_APP:?LORVANE_APP is not set}"
: "${LORVANE_CLI:?LORVANE_CLI is not set}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

byte() { for value; do printf "\\$(printf '%03o' "$value")"; done; }
i32() { byte $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
i16() { byte $(($1 & 255)) $(($1 >> 8 & 255)); }

# Texture.bin: one set (Plains) of one tile H000.PCX without paths or areas.
{
    i32 1; i32 1
    i32 1; printf '\x04'
    printf 'H000.PCX'; head -c 12 /dev/zero
    i32 0; i32 0
} >"$work/Texture.bin"

# H000.PCX: 128 x 128 grey pixels in bands, but the pixel at column 80 of
# line 40 has colour 255, which the palette makes magenta (250, 0, 250).
{
    printf '\x0a\x05\x01\x08'; i16 0; i16 0; i16 127; i16 127
    head -c 53 /dev/zero
    printf '\x01'; i16 128
    head -c 60 /dev/zero
    for ((y = 0; y < 128; ++y)); do
        value=$((40 + (y / 16) * 10))
        if ((y == 40)); then
            byte 255 "$value" 209 "$value" 193 255 239 "$value"   # 63 + 17, the pixel, 47
        else
            byte 255 "$value" 255 "$value" 194 "$value"           # 63 + 63 + 2
        fi
    done
    printf '\x0c'
    for ((i = 0; i < 255; ++i)); do byte "$i" "$i" "$i"; done
    byte 250 0 250
} >"$work/H000.PCX"

cat >"$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
# Runs inside the virtual display.
set -uo pipefail
work=$1
shot() { [ -n "${LORVANE_SCREENSHOT_DIR:-}" ] && import -window root "$LORVANE_SCREENSHOT_DIR/$1.png" 2>/dev/null; return 0; }
keys_to() {
    local title=$1; shift
    local id
    id=$(timeout 60 xdotool search --sync --onlyvisible --name "$title" | tail -1)
    [ -n "$id" ] || { echo "no window \"$title\""; shot "missing"; exit 1; }
    xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
    sleep 0.3
    xdotool key --delay 80 "$@"
    sleep 0.5
}
click() { xdotool mousemove --sync "$1" "$2"; sleep 0.3; xdotool click "${3:-1}"; sleep 0.5; }
# The middle of the magenta pixels on the screen, as "x y" (whole pixels);
# waits up to a minute for them to show.
magenta() {
    local box
    for ((try = 0; try < 120; ++try)); do
        import -window root "$work/screen.png" 2>/dev/null
        box=$(convert "$work/screen.png" -fill black +opaque '#FA00FA' -format '%@' info: 2>/dev/null)
        # WxH+X+Y; the whole screen when no pixel is magenta.
        if [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && ((BASH_REMATCH[1] < 200)); then
            echo "$((BASH_REMATCH[3] + BASH_REMATCH[1] / 2)) $((BASH_REMATCH[4] + BASH_REMATCH[2] / 2)) ${BASH_REMATCH[1]}"
            return 0
        fi
        sleep 0.5
    done
    echo "no magenta pixel on the screen" >&2
    shot "missing"
    exit 1
}

cd "$work"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
"$LORVANE_APP" "$work/Texture.bin" "$work/H000.PCX" >"$work/app.log" 2>&1 &
app=$!
trap 'kill $app 2>/dev/null' EXIT

wait_loaded
main=$(timeout 60 xdotool search --sync --onlyvisible --name "Texture.bin$" | head -1)
[ -n "$main" ] || { echo "no main window"; shot "missing"; exit 1; }
sleep 1
# A window of 1400 x 1100: the viewer is wider than the square tile. Eight
# notches of the wheel over the pixel leave it under the pointer.
xdotool windowsize --sync "$main" 1400 1100 2>/dev/null || xdotool windowsize "$main" 1400 1100
sleep 2
read -r x y size < <(magenta)
echo "at the whole-tile zoom the pixel is $size screen pixels wide, at $x $y"
xdotool mousemove --sync "$x" "$y"; sleep 0.3
for ((i = 0; i < 8; ++i)); do xdotool click 4; sleep 0.1; done
sleep 1
read -r x2 y2 size < <(magenta)
echo "after eight notches it is at $x2 $y2"
if (((x2 - x) * (x2 - x) + (y2 - y) * (y2 - y) > 144)); then
    echo "the pixel moved away from the pointer: from $x $y to $x2 $y2"; shot "zoom-moved"; exit 1
fi
shot 0-eight-notches
x=$x2; y=$y2
xdotool mousemove --sync "$x" "$y"; sleep 0.3
for ((i = 0; i < 22; ++i)); do xdotool click 4; sleep 0.05; done
sleep 1
read -r x y size < <(magenta)
echo "zoomed in it is $size screen pixels wide, at $x $y"
[ "$size" -ge 16 ] || { echo "the wheel did not zoom in"; shot "not-zoomed"; exit 1; }
shot 1-zoomed

# New Path (Alt+P) as proposed (Road, 50 feet); start on the pixel's middle,
# end 120 screen pixels to the right, right-click to end the path.
keys_to "Texture.bin$" alt+p
keys_to "^New Path$" Return
click "$x" "$y"
xdotool mousemove --sync $((x + 60)) "$y"; sleep 0.2
click $((x + 120)) "$y"
click $((x + 120)) "$y" 3
shot 2-drawn

keys_to "Texture.bin$" alt+s
keys_to "^Save Texture.bin File$" ctrl+a
xdotool type --delay 40 "$work/Saved.bin"
sleep 0.3
xdotool key Return
for ((i = 0; i < 120; ++i)); do [ -s "$work/Saved.bin" ] && break; sleep 0.5; done
sleep 1
DRIVE
chmod +x "$work/drive.sh"

timeout 300 "$(dirname "$(readlink -f "$0")")/own_display.sh" 1600x1200x24 "$work/drive.sh" "$work" || {
    echo "the drive script failed"; cat "$work/app.log" 2>/dev/null; exit 1; }

fail() { echo "FAIL: $*"; exit 1; }
[ -f "$work/Saved.bin" ] || { cat "$work/app.log" 2>/dev/null; fail "nothing was saved"; }
json=$("$LORVANE_CLI" info --json "$work/Saved.bin")
echo "$json"
value() { grep -o "\"$1\":[-0-9.e+]*" <<<"$json" | head -1 | cut -d: -f2; }
startX=$(value startX)
startY=$(value startY)
[ -n "$startX" ] && [ -n "$startY" ] || fail "no segment was stored"
# The middle of the pixel: Y across = 80.5 / 128 × 3280, X up = 3280 − 40.5 / 128 × 3280.
awk -v x="$startX" -v y="$startY" 'BEGIN {
    tx = 3280 - 40.5 / 128 * 3280; ty = 80.5 / 128 * 3280
    dx = x - tx; dy = y - ty
    printf "start (%s, %s), target (%.2f, %.2f), off by %.2f feet\n", x, y, tx, ty, sqrt(dx * dx + dy * dy)
    exit !(dx * dx + dy * dy <= 4)
}' || fail "the start point is more than 2 feet from the target"
echo "PASS"

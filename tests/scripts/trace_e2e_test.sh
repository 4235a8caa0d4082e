#!/usr/bin/env bash
# Tracing a painted road end to end, with real input on a virtual display:
# a sample tile whose road is painted into the image but not drawn (H024,
# plains), the Trace tool (T), a click near each end of the road, Enter,
# Save. lorvane-cli info --json must show Road segments along the road's
# painted centre line, within its width; then Ctrl+Z and Save again: the
# whole trace is gone in that one step.
#
# The tile's place on the screen is found from a screenshot (tile_origin):
# the plains' yellow-green ground is the only colour of its kind there, and
# the tile fills its bounding box.
#
# Needs xvfb-run, xdotool, ImageMagick and python3 (tools/install_deps.sh
# installs them); without them the test is skipped. LORVANE_SCREENSHOT_DIR,
# when set, receives screenshots of the steps.
set -euo pipefail

source "$(dirname "$(readlink -f "$0")")/e2e_inputs.sh"
e2e_setup
sample=$(dirname "$LORVANE_CLI")/sample
[ -f "$sample/Texture.bin" ] || { echo "FAIL: no sample in $sample"; exit 1; }
cp -r "$sample/Texture.bin" "$sample/tiles" "$work/"
tile=H024.PCX

cat >"$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
# Runs inside the virtual display.
set -uo pipefail
work=$1
source "$2"
tile=$3

drive_setup
"$LORVANE_APP" "$work/Texture.bin" "$work/tiles/$tile" >"$work/app.log" 2>&1 &
app=$!
trap 'kill $app 2>/dev/null' EXIT

wait_loaded
main=$(timeout 60 xdotool search --sync --onlyvisible --name "Texture.bin$" | head -1)
[ -n "$main" ] || { echo "no main window"; shot "missing"; exit 1; }
xdotool windowmove "$main" 0 0 windowsize "$main" 1100 950 2>/dev/null || true
tile_origin "Texture.bin$"
echo "the tile lies at $tile_left,$tile_top, $tile_width x $tile_height pixels"
shot 1-loaded

# The road runs from (1400, 0) over (1500, 1097) and (2200, 1450) to
# (3280, 1500): a click a little inside each end, none at the bends.
keys_to "Texture.bin$" t
read -r x y < <(at_feet 1410 100)
click "$x" "$y"
read -r x y < <(at_feet 2200 1450)
xdotool mousemove --sync "$x" "$y"; sleep 0.5
read -r x y < <(at_feet 3200 1497)
xdotool mousemove --sync "$x" "$y"; sleep 0.5
click "$x" "$y"
shot 2-traced
keys_to "Texture.bin$" Return
shot 3-accepted

save() {
    local before
    before=$(cksum <"$work/Texture.bin")
    keys_to "Texture.bin$" alt+s
    # The first save asks where, proposing the opened file: accepted.
    for ((i = 0; i < 120; ++i)); do
        [ "$(cksum <"$work/Texture.bin")" != "$before" ] && break
        if xdotool search --onlyvisible --name "^Save Texture.bin File$" >/dev/null 2>&1; then
            keys_to "^Save Texture.bin File$" Return
        fi
        sleep 0.5
    done
    cp "$work/Texture.bin" "$work/$1"
}
save traced.bin
# One Ctrl+Z takes the whole trace back.
keys_to "Texture.bin$" ctrl+z
save undone.bin
shot 4-undone
DRIVE
run_drive 300 "$tile"

fail() { echo "FAIL: $*"; cat "$work/app.log" 2>/dev/null; exit 1; }
[ -f "$work/traced.bin" ] && [ -f "$work/undone.bin" ] || fail "the drive did not save twice"

# The tile's segments, one "type width startX startY endX endY" a line.
segments() {
    "$LORVANE_CLI" info --json "$1" | python3 -c '
import json, sys
for s in json.load(sys.stdin)["sets"]:
    for t in s["tiles"]:
        if t["name"] == sys.argv[1]:
            for p in t["paths"]:
                print(p["type"], p["width"], p["startX"], p["startY"], p["endX"], p["endY"])
' "$tile"
}
traced=$(segments "$work/traced.bin")
echo "traced:"; echo "$traced"
[ -n "$traced" ] || fail "the trace stored no segment"
python3 - "$traced" <<'PY' || fail "the trace does not follow the road"
import math, sys
road = [(1400, 0), (1500, 1097), (2200, 1450), (3280, 1500)]
width = 60.0  # the road's painted width, feet
def off(p):
    best = 1e9
    for (ax, ay), (bx, by) in zip(road, road[1:]):
        dx, dy = bx - ax, by - ay
        t = max(0, min(1, ((p[0] - ax) * dx + (p[1] - ay) * dy) / (dx * dx + dy * dy)))
        best = min(best, math.hypot(p[0] - ax - t * dx, p[1] - ay - t * dy))
    return best
rows = [list(map(float, line.split())) for line in sys.argv[1].splitlines()]
length = 0
for i, (kind, w, sx, sy, ex, ey) in enumerate(rows):
    assert kind == 10, f"segment {i + 1} is of type {kind}, not Road"
    assert abs(w - width) <= 2 * 3280 / 256, f"segment {i + 1} is {w} feet wide"
    for k in range(11):
        p = (sx + (ex - sx) * k / 10, sy + (ey - sy) * k / 10)
        assert off(p) <= width, f"segment {i + 1} passes {off(p):.0f} feet off the road at {p}"
    if i > 0:
        assert (sx, sy) == tuple(rows[i - 1][4:6]), f"segment {i + 1} does not start where {i} ends"
    length += math.hypot(ex - sx, ey - sy)
road_length = sum(math.hypot(bx - ax, by - ay) for (ax, ay), (bx, by) in zip(road, road[1:]))
assert length > 0.85 * road_length, f"the trace is {length:.0f} feet long"
print(f"{len(rows)} segments, {length:.0f} feet, all within {width:.0f} feet of the road")
PY
undone=$(segments "$work/undone.bin")
[ -z "$undone" ] || fail "one Ctrl+Z left segments of the trace: $undone"
echo "PASS"

#!/usr/bin/env bash
# Work that survives a killed program, end to end with real input on a
# virtual display: draw a path of two segments, kill the program with
# SIGKILL, start it again, answer Recover, save accepting the proposed name,
# and check with lorvane-cli info --json that the file holds the two segments.
# Then, with the database on the command line (as a double click starts the
# program): draw a branch from the joint, drag the joint with the select
# tool (all three ends follow), kill,
# start again with the database on the command line, Recover: the database
# opens once, nothing asks to save it first, and one Save writes both moved
# segment ends and the branch's start.
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
journals="$XDG_CONFIG_HOME/Hollin/Recovery"
# Waits up to a minute for the journal to hold $want bytes.
wait_for_journal() {
    local size=0
    for ((i = 0; i < 120; ++i)); do
        size=$(cat "$journals"/*.journal 2>/dev/null | wc -c)
        [ "$size" -ge "$want" ] && return 0
        sleep 0.5
    done
    echo "the journal$1 holds $size bytes, not $want"
    exit 1
}
# Waits up to a minute for Texture.bin to differ from the checksum given.
wait_for_save() {
    for ((i = 0; i < 120; ++i)); do
        [ "$(cksum <"$work/Texture.bin")" != "$1" ] && return 0
        sleep 0.5
    done
}

"$LORVANE_APP" "$work/Texture.bin" "$work/H000.PCX" >"$work/app.log" 2>&1 &
app=$!
trap 'kill -9 $app 2>/dev/null' EXIT
wait_loaded
tile_origin "Texture.bin$"
shot 1-loaded

# New Path (Alt+P) with the proposed type and width: Road, 50; two segments.
start_road "Texture.bin$"
shot 2-drawn

# The journal holds both segments: its header (8 + 4 + 8 + 4 + the path +
# 24 + 1 bytes) and two records of 46 bytes.
path="$work/Texture.bin"
want=$((49 + ${#path} + 2 * 46))
wait_for_journal ""

# Killed: nothing is saved, nothing asked.
kill -9 "$app"
wait "$app" 2>/dev/null

# Started again: the question comes first; Recover is its default button.
"$LORVANE_APP" >"$work/app2.log" 2>&1 &
app=$!
keys_to "^Recovery$" Return
wait_loaded
shot 3-recovered

# Save (Alt+S) accepting the proposed name, the opened file; wait until the
# file holds the drawing.
keys_to "Texture.bin$" alt+s
keys_to "^Save Texture.bin File$" Return
wait_for_save "$(cat "$work/original")"
shot 4-saved
"$LORVANE_CLI" info --json "$work/Texture.bin" >"$work/before.json"

# The database on the command line; the joint (left + 90, top + 100) dragged
# with the select tool to (left + 120, top + 150).
"$LORVANE_APP" "$work/Texture.bin" "$work/H000.PCX" >"$work/app3.log" 2>&1 &
app=$!
wait_loaded
tile_origin "Texture.bin$"
saved=$(cksum <"$work/Texture.bin")
# A branch drawn from the joint (the click snaps to it), then Esc (to the
# viewer, which has the keyboard) back to the select tool.
keys_to "Texture.bin$" alt+p
keys_to "^New Path$" Return
click $((left + 90)) $((top + 100))
xdotool mousemove --sync $((left + 130)) $((top + 120)); sleep 0.2
click $((left + 160)) $((top + 130))
shot 5a-branch
click $((left + 160)) $((top + 130)) 3
xdotool key Escape; sleep 0.5
shot 5b-select
xdotool mousemove --sync $((left + 90)) $((top + 100)); sleep 0.3
xdotool mousedown 1; sleep 0.3
for step in 1 2 3 4 5 6; do
    xdotool mousemove --sync $((left + 90 + 5 * step)) $((top + 100 + 25 * step / 3)); sleep 0.1
done
xdotool mousemove --sync $((left + 120)) $((top + 150)); sleep 0.3
xdotool mouseup 1; sleep 0.5
shot 5-dragged
# The journal: its header and one record for each moved end.
wait_for_journal " of the drag"
kill -9 "$app"
wait "$app" 2>/dev/null

"$LORVANE_APP" "$work/Texture.bin" "$work/H000.PCX" >"$work/app4.log" 2>&1 &
app=$!
wait_loaded
keys_to "^Recovery$" Return
shot 6-recovered
sleep 1
if xdotool search --onlyvisible --name "^Save Changes" >/dev/null 2>&1 ||
    xdotool search --onlyvisible --name "^Open Texture.bin" >/dev/null 2>&1; then
    echo "the database was asked about or opened again after the recovery"; exit 1
fi
keys_to "Texture.bin" alt+s
keys_to "^Save Texture.bin File$" Return
wait_for_save "$saved"
shot 7-saved
DRIVE
echo "$original" >"$work/original"
run_drive 300

fail() { echo "FAIL: $*"; exit 1; }
[ "$(cksum <"$work/Texture.bin")" != "$original" ] || fail "the recovered drawing was not saved"
# The first save: the two recovered segments.
first=$(cat "$work/before.json")
echo "$first"
mapfile -t startX < <(grep -o '"startX":[-0-9.e+]*' <<<"$first" | cut -d: -f2)
mapfile -t types < <(grep -o '"type":[-0-9.e+]*' <<<"$first" | cut -d: -f2)
[ "${#startX[@]}" -eq 2 ] || fail "expected 2 path segments, found ${#startX[@]}"
[ "${types[*]}" = "10 10" ] || fail "types ${types[*]}, expected two roads (10 10)"
# The second: the branch too.
json=$("$LORVANE_CLI" info --json "$work/Texture.bin")
echo "$json"
mapfile -t types < <(grep -o '"type":[-0-9.e+]*' <<<"$json" | cut -d: -f2)
[ "${#types[@]}" -eq 3 ] || fail "expected 3 path segments, found ${#types[@]}"
[ -z "$(ls -A "$work/home/.config/Hollin/Recovery" 2>/dev/null)" ] || fail "a journal is left after the save"
# Both ends at the joint moved, to the same place.
field() { grep -o "\"$1\":[-0-9.e+]*" | cut -d: -f2 | sed -n "$2p"; }
before="$(field endX 1 <"$work/before.json") $(field endY 1 <"$work/before.json")"
after="$(field endX 1 <<<"$json") $(field endY 1 <<<"$json")"
next="$(field startX 2 <<<"$json") $(field startY 2 <<<"$json")"
branch="$(field startX 3 <<<"$json") $(field startY 3 <<<"$json")"
[ "$after" != "$before" ] || fail "the dragged joint did not move: $after"
[ "$after" = "$next" ] || fail "the joint came apart: end $after, start $next"
[ "$after" = "$branch" ] || fail "the branch stayed behind: joint $after, branch start $branch"
echo PASS

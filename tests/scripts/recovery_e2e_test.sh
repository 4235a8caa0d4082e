#!/usr/bin/env bash
# Work that survives a killed program, end to end with real input on a
# virtual display: draw a path of two segments, kill the program with
# SIGKILL, start it again, answer Recover, save accepting the proposed name,
# and check with lorvane-cli info --json that the file holds the two segments.
#
# Needs xvfb-run and xdotool (tools/install_deps.sh installs them); without
# them the test is skipped. LORVANE_SCREENSHOT_DIR, when set, receives
# screenshots of the steps.
set -euo pipefail

if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null; then
    echo "SKIPPED: xvfb-run or xdotool is missing (tools/install_deps.sh installs them)"
    exit 0
fi
: "${LORVANE_APP:?LORVANE_APP is not set}"
: "${LORVANE_CLI:?LORVANE_CLI is not set}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
inputs="$(dirname "$(readlink -f "$0")")/e2e_inputs.sh"
source "$inputs"
make_texture "$work/Texture.bin"
make_tile "$work/H000.PCX"
original=$(cksum <"$work/Texture.bin")

cat >"$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
# Runs inside the virtual display.
set -uo pipefail
work=$1
source "$2"
cd "$work"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
journals="$XDG_CONFIG_HOME/Hollin/Recovery"

"$LORVANE_APP" "$work/Texture.bin" "$work/H000.PCX" >"$work/app.log" 2>&1 &
app=$!
trap 'kill -9 $app 2>/dev/null' EXIT
keys_to "Texture.bin Succesfully Loaded" Return
viewer_origin "Texture.bin$"
shot 1-loaded

# New Path (Alt+P) with the proposed type and width: Road, 50; two segments.
start_road "Texture.bin$"
shot 2-drawn

# The journal holds both segments: its header (8 + 4 + 8 + 4 + the path +
# 24 + 1 bytes) and two records of 46 bytes.
path="$work/Texture.bin"
want=$((49 + ${#path} + 2 * 46))
for ((i = 0; i < 120; ++i)); do
    size=$(cat "$journals"/*.journal 2>/dev/null | wc -c)
    [ "$size" -ge "$want" ] && break
    sleep 0.5
done
[ "$size" -ge "$want" ] || { echo "the journal holds $size bytes, not $want"; exit 1; }

# Killed: nothing is saved, nothing asked.
kill -9 "$app"
wait "$app" 2>/dev/null

# Started again: the question comes first; Recover is its default button.
"$LORVANE_APP" >"$work/app2.log" 2>&1 &
app=$!
keys_to "^Recovery$" Return
keys_to "Texture.bin Succesfully Loaded" Return
shot 3-recovered

# Save (Alt+S) accepting the proposed name, the opened file; wait until the
# file holds the drawing.
keys_to "Texture.bin$" alt+s
keys_to "^Save Texture.bin File$" Return
for ((i = 0; i < 120; ++i)); do
    [ "$(cksum <"$work/Texture.bin")" != "$(cat "$work/original")" ] && break
    sleep 0.5
done
shot 4-saved
DRIVE
chmod +x "$work/drive.sh"
echo "$original" >"$work/original"

timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24" "$work/drive.sh" "$work" "$inputs" || {
    echo "the drive script failed"; cat "$work"/app*.log 2>/dev/null; exit 1; }

fail() { echo "FAIL: $*"; exit 1; }
[ "$(cksum <"$work/Texture.bin")" != "$original" ] || fail "the recovered drawing was not saved"
json=$("$LORVANE_CLI" info --json "$work/Texture.bin")
echo "$json"
mapfile -t startX < <(grep -o '"startX":[-0-9.e+]*' <<<"$json" | cut -d: -f2)
mapfile -t types < <(grep -o '"type":[-0-9.e+]*' <<<"$json" | cut -d: -f2)
[ "${#startX[@]}" -eq 2 ] || fail "expected 2 path segments, found ${#startX[@]}"
[ "${types[*]}" = "10 10" ] || fail "types ${types[*]}, expected two roads (10 10)"
[ -z "$(ls -A "$work/home/.config/Hollin/Recovery" 2>/dev/null)" ] || fail "a journal is left after the save"
echo "PASS"

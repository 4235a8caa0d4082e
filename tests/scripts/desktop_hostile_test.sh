#!/usr/bin/env bash
# What the desktop program does with what could hurt it, with real input on a
# virtual display:
# - work recovered in one folder is never put in place of the database of
#   another: draw in folder A, kill, recover, kill again (the journal now
#   starts from a recovery copy), then start in folder B, which holds a
#   Texture.bin of its own: the recovery opens A's file by its full path and
#   B's file stays byte for byte as it was;
# - a stored window geometry far larger than the screen: the window opens on
#   the screen, at most its size;
# - a database larger than the memory the program may take: refused with its
#   message, and the program goes on.
#
# Needs xvfb-run, xdotool, ImageMagick and python3 (tools/install_deps.sh
# installs them); without them the test is skipped. LORVANE_SCREENSHOT_DIR, when set, receives
# screenshots of the steps.
set -euo pipefail

source "$(dirname "$(readlink -f "$0")")/e2e_inputs.sh"
e2e_setup
mkdir -p "$work/A" "$work/B"
make_texture "$work/A/Texture.bin"
make_tile "$work/A/H000.PCX"
# B's database: the same shape, another terrain type, another size.
make_texture "$work/B/Texture.bin"
printf '\x09' | dd of="$work/B/Texture.bin" bs=1 seek=12 conv=notrunc status=none
head -c 7 /dev/zero >>"$work/B/Texture.bin"
cksum <"$work/A/Texture.bin" >"$work/A.sum"
cksum <"$work/B/Texture.bin" >"$work/B.sum"

cat >"$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
# Runs inside the virtual display.
set -uo pipefail
work=$1
source "$2"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
journals="$XDG_CONFIG_HOME/Hollin/Recovery"
app=
trap '[ -n "$app" ] && kill -9 $app 2>/dev/null' EXIT
# wait_for TEST: up to a minute.
wait_for() {
    for ((i = 0; i < 120; ++i)); do
        eval "$1" && return 0
        sleep 0.5
    done
    echo "waited in vain for: $1"; shot "waited"; exit 1
}
killed() { kill -9 "$app"; wait "$app" 2>/dev/null; app=; }

# In A, by relative names: one segment drawn, then killed.
cd "$work/A"
"$LORVANE_APP" Texture.bin H000.PCX >"$work/app1.log" 2>&1 &
app=$!
wait_loaded
tile_origin "Texture.bin$"
keys_to "Texture.bin$" alt+p
keys_to "^New Path$" Return
click $((left + 10)) $((top + 190))
click $((left + 90)) $((top + 100))
shot 1-drawn
# The journal's header (49 bytes and the path) and the segment's record.
path="$work/A/Texture.bin"
want=$((49 + ${#path} + 46))
wait_for '[ "$(cat "$journals"/*.journal 2>/dev/null | wc -c)" -ge "$want" ]'
killed

# In A again: recovered (the journal starts again from a recovery copy),
# then killed before saving.
"$LORVANE_APP" >"$work/app2.log" 2>&1 &
app=$!
keys_to "^Recovery$" Return
wait_loaded
wait_for '[ -n "$(find "$journals" -name "*.recovery?.bin" 2>/dev/null)" ]'
shot 2-recovered
killed

# In B, with no arguments: the journal names A's file by its full path;
# recovered, it is A's database that is open.
cd "$work/B"
"$LORVANE_APP" >"$work/app3.log" 2>&1 &
app=$!
keys_to "^Recovery$" Return
wait_loaded
wait_for 'xdotool search --onlyvisible --name "^[*]?$work/A/Texture.bin$" >/dev/null'
shot 3-recovered-in-b
killed
# The journals of A are done with: no question before the next cases.
rm -rf "$journals"

# A stored window far larger than the screen opens on the screen.
settings="$XDG_CONFIG_HOME/Hollin/Quistral.conf"
grep -v '^Geometry=' "$settings" >"$settings.new" 2>/dev/null || true
mv "$settings.new" "$settings"
if grep -q '^\[Window\]' "$settings"; then
    sed -i 's/^\[Window\]$/[Window]\nGeometry="0,0,100000,100000"/' "$settings"
else
    printf '\n[Window]\nGeometry="0,0,100000,100000"\n' >>"$settings"
fi
"$LORVANE_APP" >"$work/app4.log" 2>&1 &
app=$!
id=$(timeout 60 xdotool search --sync --onlyvisible --name "^Lorvane$" | head -1)
[ -n "$id" ] || { echo "no main window"; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$id")"
echo "$WIDTH $HEIGHT" >"$work/geometry"
shot 4-geometry
kill -0 "$app" || { echo "the program ended"; exit 1; }
killed

# A valid database of 159 MB under a memory limit the program itself fits
# in: the load is refused with its message, and the program goes on. (The
# address sanitizer reserves more address space than the limit. grep reads
# all of ldd's output: under pipefail, grep -q may close the pipe first, ldd
# then dies of SIGPIPE and the check reads as no sanitizer.)
if ! ldd "$LORVANE_APP" 2>/dev/null | grep -c libasan >/dev/null; then
    cd "$work"
    {
        i32 1; i32 1; i32 1; printf '\x04'
        printf 'H000.PCX'; head -c 12 /dev/zero
        i32 0; i32 6600000
        head -c $((6600000 * 24)) /dev/zero
    } >large.bin
    (ulimit -v 400000 && exec "$LORVANE_APP" large.bin) >"$work/app5.log" 2>&1 &
    app=$!
    # Refused with a message box, or (with memory enough after all) loaded:
    # the main window then names the file.
    refusal="^(Memory Allocation Error|File Open Error)$"
    wait_for 'xdotool search --onlyvisible --name "$refusal" >/dev/null || xdotool search --onlyvisible --name "large[.]bin$" >/dev/null'
    shot 5-out-of-memory
    if xdotool search --onlyvisible --name "$refusal" getwindowname %@ >"$work/oom"; then
        keys_to "$refusal" Return
    fi
    sleep 1
    kill -0 "$app" || { echo "the program ended out of memory"; exit 1; }
    xdotool search --onlyvisible --name "^(Lorvane|[*]?.*large[.]bin)$" >/dev/null || { echo "no main window after the large load"; exit 1; }
    killed
fi
DRIVE
run_drive 400

fail() { echo "FAIL: $*"; exit 1; }
[ "$(cksum <"$work/B/Texture.bin")" = "$(cat "$work/B.sum")" ] || fail "B's database was changed"
[ "$(cksum <"$work/A/Texture.bin")" = "$(cat "$work/A.sum")" ] || fail "A's database was saved unasked"
read -r width height <"$work/geometry"
[ "$width" -le 1280 ] && [ "$height" -le 1024 ] || fail "the window opened ${width} x ${height}"
[ ! -s "$work/oom" ] || echo "out of memory, the program said: $(sort -u "$work/oom" | tr '\n' ' ')"
echo "PASS"

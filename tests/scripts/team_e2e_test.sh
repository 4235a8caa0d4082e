#!/usr/bin/env bash
# Team work end to end, with real input on a virtual display: a copy of a
# database is edited and saved in lorvane, the program ends and starts again,
# and File > Export "since a database" with the original as base writes
# exactly the tile changed in the first run, the same bytes as
# lorvane-cli export --since. Then an import of another change is previewed,
# accepted and undone in one step; saved again, the file holds the same
# bytes as before the import.
#
# Needs xvfb-run, xdotool, ImageMagick and python3 (tools/install_deps.sh
# installs them); without them the test is skipped.
set -euo pipefail

source "$(dirname "$(readlink -f "$0")")/e2e_inputs.sh"
e2e_setup
make_texture "$work/Original.bin"
cp "$work/Original.bin" "$work/Texture.bin"
make_tile "$work/H000.PCX"

cat >"$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
# Runs inside the virtual display.
set -uo pipefail
work=$1
source "$2"
drive_setup
# Waits until the file's modification time is no longer $2.
wait_written() {
    for ((i = 0; i < 120; ++i)); do
        [ "$(stat -c %y "$1")" != "$2" ] && return 0
        sleep 0.5
    done
    echo "$1 was not written"; exit 1
}
# Types a path into the file dialog with that title and accepts it.
choose_file() {
    keys_to "$1" ctrl+a
    xdotool type --delay 40 "$2"
    sleep 0.3
    xdotool key Return
    sleep 0.5
}

# The first run: a road of two segments on H000, saved.
"$LORVANE_APP" "$work/Texture.bin" "$work/H000.PCX" >"$work/app1.log" 2>&1 &
app=$!
wait_loaded
tile_origin "Texture.bin$"
start_road "Texture.bin$"
click $((left + 170)) $((top + 20)) 3
before=$(stat -c %y Texture.bin)
keys_to "Texture.bin$" alt+s
keys_to "^Save Texture.bin File$" Return
wait_written Texture.bin "$before"
kill $app; wait $app 2>/dev/null

# The second run: export since the original.
"$LORVANE_APP" "$work/Texture.bin" "$work/H000.PCX" >"$work/app2.log" 2>&1 &
app=$!
trap 'kill $app 2>/dev/null' EXIT
wait_loaded
keys_to "Texture.bin$" alt+f x
keys_to "^Export Tiles$" alt+d
choose_file "^Choose the Database to Export Changes Since$" "$work/Original.bin"
choose_file "^Save Tile Export File$" "$work/desktop.exp"
# Exported: said in the status bar; the file is there.
wait_file "$work/desktop.exp"

# An import of a wider road, previewed and accepted, then undone.
for ((i = 0; i < 240; ++i)); do [ -s wider.exp ] && [ -s before-import.bin ] && break; sleep 0.5; done
before=$(stat -c %y Texture.bin)
keys_to "Texture.bin$" alt+f i
choose_file "^Open Tile Import File$" "$work/wider.exp"
keys_to "^Import Tiles$" Return
# Imported: the title marks the unsaved change.
wait_window "^[*].*Texture.bin$"
keys_to "Texture.bin$" ctrl+z
keys_to "Texture.bin$" ctrl+shift+s
keys_to "^Save Texture.bin File$" Return
wait_written Texture.bin "$before"
DRIVE

fail() { echo "FAIL: $*"; cat "$work"/app*.log 2>/dev/null; exit 1; }

# The import file: the saved road 80 feet wide instead of 50, made from the
# database's text form. It is written once the first run has saved, so the
# drive script waits for it.
(
    for ((i = 0; i < 600; ++i)); do
        [ "$(cksum <"$work/Texture.bin")" != "$(cksum <"$work/Original.bin")" ] && break
        sleep 0.2
    done
    sleep 1
    "$LORVANE_CLI" dump "$work/Texture.bin" >"$work/saved.txt"
    sed -E 's/^(path [0-9]+) 50 /\1 80 /' "$work/saved.txt" >"$work/wider.txt"
    "$LORVANE_CLI" undump "$work/wider.txt" -o "$work/Wider.bin"
    "$LORVANE_CLI" export "$work/Wider.bin" --since "$work/Texture.bin" -o "$work/wider.exp"
    cp "$work/Texture.bin" "$work/before-import.bin"
) >"$work/prepare.log" 2>&1 &
prepare=$!

run_drive 400
wait $prepare || { cat "$work/prepare.log"; fail "the import file could not be made"; }
cmp -s "$work/saved.txt" "$work/wider.txt" && fail "the text form has no width 50 to change"

# The export holds the one tile changed in the first run, byte for byte as
# the command line writes it.
"$LORVANE_CLI" export "$work/Texture.bin" --since "$work/Original.bin" -o "$work/cli.exp"
cmp "$work/desktop.exp" "$work/cli.exp" || fail "the desktop export differs from lorvane-cli export --since"
records=$(od -An -tu4 -N4 "$work/desktop.exp" | tr -d ' ')
[ "$records" = 1 ] || fail "the export holds $records tiles, expected 1"
# Imported, undone and saved: the same bytes as before the import.
cmp "$work/Texture.bin" "$work/before-import.bin" || fail "the file changed after the import was undone"
echo "PASS"

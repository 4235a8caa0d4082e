# Shared by the end-to-end scripts: their input files, built byte by byte,
# and the helpers that drive the program's windows with xdotool.

# Bytes, and little-endian 32-bit and 16-bit integers as bytes.
byte() { for value; do printf "\\$(printf '%03o' "$value")"; done; }
i32() { byte $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
i16() { byte $(($1 & 255)) $(($1 >> 8 & 255)); }

# Texture.bin: one set (Plains) of one tile H000.PCX without paths or areas.
make_texture() {
    {
        i32 1; i32 1                      # setCount, tileCount
        i32 1; printf '\x04'              # the set: tileCount, terrainType
        printf 'H000.PCX'; head -c 12 /dev/zero   # name, 20 bytes
        i32 0; i32 0                      # areaCount, pathCount
    } >"$1"
}

# H000.PCX: 64 x 64 pixels, each line one run of 63 and one literal pixel,
# a grey palette.
make_tile() {
    {
        printf '\x0a\x05\x01\x08'; i16 0; i16 0; i16 63; i16 63
        head -c 53 /dev/zero              # up to offset 65
        printf '\x01'; i16 64             # planes, bytes per line
        head -c 60 /dev/zero              # the rest of the 128-byte header
        for ((y = 0; y < 64; ++y)); do
            value=$((40 + (y / 8) * 10))
            byte 255 "$value" "$value"
        done
        printf '\x0c'
        for ((i = 0; i < 256; ++i)); do byte "$i" "$i" "$i"; done
    } >"$1"
}

shot() { [ -n "${LORVANE_SCREENSHOT_DIR:-}" ] && import -window root "$LORVANE_SCREENSHOT_DIR/$1.png" 2>/dev/null; return 0; }
# Focus a top-level window by its title (waiting up to a minute for it),
# then press keys in it.
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
# Waits up to a minute for a visible top-level window whose title matches.
# A Texture.bin opened names the main window after its file (the success
# itself is said in the status bar, which no script can read).
wait_window() {
    timeout 60 xdotool search --sync --onlyvisible --name "$1" >/dev/null ||
        { echo "no window \"$1\""; shot "missing"; exit 1; }
}
# Waits until the database named (by the end of its path) is open.
wait_loaded() { wait_window "${1:-Texture.bin}\$"; }
# Waits up to a minute for a file that is not empty.
wait_file() {
    local i
    for ((i = 0; i < 120; ++i)); do [ -s "$1" ] && return 0; sleep 0.5; done
    echo "no file $1"; shot "missing"; exit 1
}
click() { xdotool mousemove --sync "$1" "$2"; sleep 0.2; xdotool click "${3:-1}"; sleep 0.3; }
# Sets left and top to a point well inside the viewer of the main window
# with that title: the viewer lies inside (60..240, 130..330) of the window
# for any ordinary font (its frame is 200 dialog units square at (8, 37)).
viewer_origin() {
    local main
    main=$(timeout 60 xdotool search --sync --onlyvisible --name "$1" | head -1)
    [ -n "$main" ] || { echo "no main window"; shot "missing"; exit 1; }
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$main")"
    left=$((X + 60)); top=$((Y + 130))
}
# New Path (Alt+P) with the proposed type and width, Road 50, in the main
# window with that title; then the points of the path clicked from the
# viewer origin (viewer_origin): up and to the right twice, 80 and 80
# pixels, and, with "three", back down to the left. The path stays open.
start_road() {
    keys_to "$1" alt+p
    keys_to "^New Path$" Return
    click $((left + 10)) $((top + 190))
    xdotool mousemove --sync $((left + 60)) $((top + 120)); sleep 0.2
    click $((left + 90)) $((top + 100))
    xdotool mousemove --sync $((left + 140)) $((top + 60)); sleep 0.2
    click $((left + 170)) $((top + 20))
    if [ "${2:-}" = three ]; then click $((left + 40)) $((top + 160)); fi
}

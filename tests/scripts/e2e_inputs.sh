# Shared by the end-to-end scripts: their frame (e2e_setup, drive_setup,
# run_drive), their input files, built byte by byte, and the helpers that
# drive the program's windows with xdotool and find the tile on the screen.

# This file and its folder, for the drive scripts and own_display.sh.
e2e_inputs=$(readlink -f "${BASH_SOURCE[0]}")
e2e_scripts=$(dirname "$e2e_inputs")

# The start of a test script: skips the test (status 0) when a tool it
# needs is missing (those of every script, and the ones named), stops when
# the programs are not named, and makes the work folder $work, removed when
# the script ends.
e2e_setup() {
    local tool
    for tool in xvfb-run xdotool import python3 "$@"; do
        command -v "$tool" >/dev/null ||
            { echo "SKIPPED: $tool is missing (tools/install_deps.sh installs it)"; exit 0; }
    done
    : "${LORVANE_APP:?LORVANE_APP is not set}"
    : "${LORVANE_CLI:?LORVANE_CLI is not set}"
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
}
# The start of a drive script, on the virtual display: in the work folder,
# with a home of its own, where the program keeps its settings and journals.
drive_setup() {
    cd "$work" || exit 1
    export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
    mkdir -p "$HOME"
}
# Runs $work/drive.sh WORK INPUTS [ARGUMENT...] on a virtual display of its
# own, 1280 x 1024, for at most SECONDS; when it fails, shows the program's
# logs ($work/app*.log) and stops.
#   run_drive SECONDS [ARGUMENT...]
run_drive() {
    local seconds=$1
    shift
    chmod +x "$work/drive.sh"
    timeout "$seconds" "$e2e_scripts/own_display.sh" 1280x1024x24 "$work/drive.sh" "$work" "$e2e_inputs" "$@" || {
        echo "the drive script failed"; cat "$work"/app*.log 2>/dev/null; exit 1; }
}

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
# in bands of eight lines; a green palette (index i is i / 2, i + 100 at
# most 255, i / 4), of the kind tile_box finds on the screen.
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
        for ((i = 0; i < 256; ++i)); do byte $((i / 2)) $((i < 155 ? i + 100 : 255)) $((i / 4)); done
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
# Save (Alt+S) in the main window, accepting the proposed file, the one
# opened, and wait up to a minute for $work/Texture.bin to change.
save_proposed() {
    local before i
    before=$(cksum <"$work/Texture.bin")
    keys_to "Texture.bin$" alt+s
    keys_to "^Save Texture.bin File$" Return
    for ((i = 0; i < 120; ++i)); do
        [ "$(cksum <"$work/Texture.bin")" != "$before" ] && return 0
        sleep 0.5
    done
}
click() { xdotool mousemove --sync "$1" "$2"; sleep 0.2; xdotool click "${3:-1}"; sleep 0.3; }
# Sets X, Y, WIDTH and HEIGHT to the geometry of the main window with that
# title, and left and top to a fixed point of it, (60, 130), where the viewer
# lay in the smallest window. The scripts that click on the tile take its
# place on the screen from tile_origin; the Windows test finds the viewer's
# corner itself.
viewer_origin() {
    local main
    main=$(timeout 60 xdotool search --sync --onlyvisible --name "$1" | head -1)
    [ -n "$main" ] || { echo "no main window"; shot "missing"; exit 1; }
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$main")"
    left=$((X + 60)); top=$((Y + 130))
}
# The tile's rectangle on the screen as "left top width height": the
# bounding box of its ground, the only colour of its kind on the screen:
# green (make_tile's palette, the sample's plains) or, with "water", the
# sample's water blue (darker than the blue of the window's focus frames).
# Fails while fewer than 1000 pixels show it.
#   tile_box [green|water]
tile_box() {
    import -window root -depth 8 ppm:- 2>/dev/null | python3 -c '
import sys
water = sys.argv[1] == "water"
data = sys.stdin.buffer.read()
# P6 header: magic, width, height, maximum, then the pixels.
fields, at = [], 0
while len(fields) < 4:
    while data[at:at + 1].isspace(): at += 1
    start = at
    while at < len(data) and not data[at:at + 1].isspace(): at += 1
    fields.append(data[start:at])
width, height = int(fields[1]), int(fields[2])
pixels = data[at + 1:]
left, right, top, bottom, count = width, -1, height, -1, 0
for y in range(height):
    row = pixels[y * width * 3:(y + 1) * width * 3]
    if water:
        xs = [x for x in range(width)
              if row[3 * x + 2] > row[3 * x + 1] + 40 and row[3 * x + 2] > row[3 * x] + 80
              and row[3 * x + 2] < 170 and row[3 * x + 1] < 110]
    else:
        xs = [x for x in range(width)
              if row[3 * x + 1] > row[3 * x + 2] + 40 and row[3 * x + 1] + 10 >= row[3 * x]]
    if xs:
        count += len(xs)
        left, right = min(left, xs[0]), max(right, xs[-1])
        top, bottom = min(top, y), y
if count < 1000:
    sys.exit(1)
print(left, top, right - left + 1, bottom - top + 1)
' "${1:-green}"
}
# Waits up to a minute for the tile, of the ground named (tile_box), to show
# in the main window with that title (viewer_origin: X, Y, WIDTH, HEIGHT),
# and for its place to hold still between two looks; sets tile_left,
# tile_top, tile_width and tile_height to it, and left and top to a point an eighth of the tile
# inside its top left corner. The clicks of the scripts, at most 200 pixels
# right of and below that point, fall on the tile, which must be at least
# 240 pixels on a side. A tile drawn larger makes the same pixels other
# feet: the scripts check the drawing by its counts and the relations of its
# points, not by its feet.
#   tile_origin TITLE [green|water]
tile_origin() {
    viewer_origin "$1"
    local box="" last="" i
    for ((i = 0; i < 120; ++i)); do
        box=$(tile_box "${2:-green}") || box=""
        [ -n "$box" ] && [ "$box" = "$last" ] && break
        last=$box
        sleep 0.5
    done
    [ -n "$box" ] && [ "$box" = "$last" ] || { echo "the tile is not on the screen"; shot "missing"; exit 1; }
    read -r tile_left tile_top tile_width tile_height <<<"$box"
    if ((tile_width < 240 || tile_height < 240)); then
        echo "the tile is $tile_width x $tile_height pixels on the screen, too small for the clicks"
        shot "small"; exit 1
    fi
    left=$((tile_left + tile_width / 8)) top=$((tile_top + tile_height / 8))
}
# The screen pixel "x y" of a point of the tile in feet (x up from its
# bottom edge, y across from its left edge), from tile_origin.
at_feet() {
    awk -v l="$tile_left" -v t="$tile_top" -v w="$tile_width" -v h="$tile_height" -v x="$1" -v y="$2" \
        'BEGIN { printf "%d %d", l + y / 3280 * w, t + (1 - x / 3280) * h }'
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

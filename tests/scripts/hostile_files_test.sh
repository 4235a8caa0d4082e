#!/usr/bin/env bash
# What lorvane-cli does with files that could hurt: outputs that are devices,
# FIFOs or links, private modes, two runs on one file, standard output that
# cannot be written, values beyond a field's range, FIFOs as inputs, PCX
# headers that claim more than their data holds, pictures larger than the
# memory, names in the Windows-1252 code page, O2 files too short to hold an
# offset, O2 files whose every entry names the one section of a tiny L2, a
# Theater.map level that cannot be stored, a large database under a memory
# limit and an output past the file size limit.
set -u

cli=${LORVANE_CLI:?LORVANE_CLI is not set}
sample="$(dirname "$cli")/sample"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# expect STATUS COMMAND...: runs the command and checks its exit status.
expect() {
    local want=$1
    shift
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$want" ] || fail "$* exited $got, not $want: $(cat "$work/err")"
}

# expect_err TEXT: standard error of the last command holds TEXT.
expect_err() {
    grep -qF -- "$1" "$work/err" || fail "stderr lacks: $1
got: $(cat "$work/err")"
}

cp "$sample/Texture.bin" db.bin
mkdir tiles
printf 'H0A3.PCX\nH0A4.PCX\n' >tiles/Tiles.txt

# Outputs that exist and are not regular files: refused with or without
# --overwrite, and left as they were.
mkfifo pipe
for overwrite in "" --overwrite; do
    expect 2 "$cli" resave db.bin -o /dev/null $overwrite
    expect_err "/dev/null exists and is not a regular file"
    expect 2 "$cli" build-texture tiles -o pipe $overwrite
    expect_err "pipe exists and is not a regular file"
done
[ -p pipe ] || fail "the FIFO was replaced"
[ -c /dev/null ] || fail "/dev/null was replaced"

# "-o -" writes to standard output; the report goes to standard error.
"$cli" build-texture tiles -o - >stdout.bin 2>report || fail "build-texture -o - failed"
expect 0 "$cli" build-texture tiles -o file.bin
cmp -s stdout.bin file.bin || fail "-o - wrote other bytes than -o FILE"
grep -qF "Texture.bin built: 1 Set  2 Tiles" report || fail "the report of -o - is not on stderr"

# A link keeps its place; the file it points to is replaced, mode kept.
mkdir real
cp db.bin real/private.bin
chmod 600 real/private.bin
ln -s real/private.bin link.bin
expect 0 "$cli" set-type link.bin --set 0 --type Water --in-place
[ -L link.bin ] || fail "--in-place replaced the link by a file"
[ "$(stat -c %a real/private.bin)" = 600 ] || fail "mode 0600 became $(stat -c %a real/private.bin)"
"$cli" info real/private.bin --json | jq -e '.sets[0].terrainType == 1' >/dev/null ||
    fail "the file behind the link was not changed"
ln -s real/nothing.bin dangling.bin
expect 2 "$cli" resave db.bin -o dangling.bin
expect 0 "$cli" resave db.bin -o dangling.bin --overwrite
[ -L dangling.bin ] && cmp -s real/nothing.bin db.bin || fail "a dangling link was not followed"

# Two runs writing one new output: exactly one wins, every time.
for round in 1 2 3 4 5; do
    "$cli" build-texture tiles -o race$round.bin >/dev/null 2>&1 &
    first=$!
    "$cli" resave db.bin -o race$round.bin >/dev/null 2>&1 &
    second=$!
    wait $first
    a=$?
    wait $second
    b=$?
    if [ $((a == 0)) -eq $((b == 0)) ]; then fail "round $round: exit $a and $b"; fi
done
[ -z "$(ls -A | grep '^\.')" ] || fail "temporary files were left: $(ls -A)"

# Two in-place runs on one database: both changes are kept.
cp db.bin both.bin
"$cli" set-type both.bin --set 0 --type Urban --in-place >/dev/null 2>&1 &
one=$!
"$cli" set-type both.bin --set 2 --type Water --in-place >/dev/null 2>&1 &
two=$!
wait $one && wait $two || fail "an in-place run failed"
"$cli" info both.bin --json | jq -e '.sets[0].terrainType == 9 and .sets[2].terrainType == 1' >/dev/null ||
    fail "an in-place change was lost"

# Standard output that cannot be written is a failure with a message.
for command in "info db.bin --json" "info db.bin" "theater-map show $sample/Theater.map"; do
    # shellcheck disable=SC2086
    "$cli" $command >/dev/full 2>err
    status=$?
    [ "$status" -eq 1 ] || fail "$command > /dev/full exited $status"
    grep -qF "cannot write to standard output: No space left on device" err ||
        fail "$command > /dev/full said: $(cat err)"
done

# Values beyond a field's range are refused and nothing is written.
cp "$sample/Theater.map" T.map
cp T.map T.before
expect 2 "$cli" theater-map set T.map feetBetweenL0Tiles=1e999
expect_err "feetBetweenL0Tiles must be a number from -3.40282e+38 to 3.40282e+38"
expect 2 "$cli" theater-map set T.map maxTheaterElevation=4294967296
expect_err "maxTheaterElevation must be a whole number from -2147483648 to 2147483647"
expect 2 "$cli" theater-map set T.map meaMapWidth=-2147483649
cmp -s T.map T.before || fail "a refused value changed the file"
expect 0 "$cli" theater-map set T.map maxTheaterElevation=2147483647
# Coordinates that are not finite keep their value by name.
expect 0 "$cli" theater-map set T.map swLongitude=nan swLatitude=-inf
expect 0 "$cli" theater-map show T.map --json
jq -e '.swLongitude == "NaN" and .swLatitude == "-Infinity"' out >/dev/null ||
    fail "coordinates that are not finite read: $(cat out)"
expect 0 "$cli" theater-map show T.map
grep -qx "swLongitude: NaN" out || fail "the text shows: $(grep swLongitude out)"

# A FIFO as any input is refused within a second.
cp "$sample/Theater.L2" fifo.L2
mkfifo fifo.O2 in.pcx in.exp in.map in.ini
mkdir fifotiles && mkfifo fifotiles/Tiles.txt
fifo_inputs=(
    "info pipe"
    "render in.pcx -o a.png"
    "import db.bin in.exp -o b.bin"
    "theater-map show in.map"
    "theater-map show T.map --ini in.ini"
    "build-texture fifotiles -o c.bin"
    "mea --terrain fifo.L2 -o d.mea"
)
for command in "${fifo_inputs[@]}"; do
    start=$(date +%s%N)
    # shellcheck disable=SC2086
    timeout 20 "$cli" $command >/dev/null 2>err
    status=$?
    elapsed=$((($(date +%s%N) - start) / 1000000))
    [ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "$command exited $status"
    [ "$elapsed" -lt 1000 ] || fail "$command took $elapsed ms"
    grep -qF "not a regular file" err || fail "$command said: $(cat err)"
done

# PCX headers that claim more than their data can expand to, and a picture
# too large for the memory there is: refused as damaged (or with the memory
# message) at once, exit 1, no PNG, within a small share of the memory. The
# files: 16384 x 16384 x 4 planes over no data; the same over 4.3 MB of the
# longest runs, enough for one plane only; one plane over 4.3 MB of literal
# bytes; and 16384 x 16384 shown from lines of 2 bytes.
python3 -c '
import struct, sys
def header(planes, line):
    h = bytearray(128)
    h[0], h[1], h[2], h[3] = 10, 5, 1, 8
    h[4:12] = struct.pack("<4h", 0, 0, 16383, 16383)
    h[65] = planes
    h[66:68] = struct.pack("<h", line)
    return bytes(h)
for name, planes, line, data in [
        ("big", 4, 16384, b""),
        ("planes", 4, 16384, b"\xff\x00" * (16384 * 261 // 2)),
        ("literals", 1, 16384, b"\x07" * (16384 * 261)),
        ("narrow", 1, 2, b"\xc2\x03" * 16384)]:
    open(name + ".pcx", "wb").write(header(planes, line) + data)'
asan=false
ldd "$cli" 2>/dev/null | grep -c libasan >/dev/null && asan=true
# refused LIMIT TEXT ARGS...: render refuses within LIMIT KiB of address
# space (none under the address sanitizer), in under a second (five under the
# sanitizer), at a peak of under 64 MiB when /usr/bin/time can tell.
refused() {
    local limit=$1 text=$2 status elapsed peak
    shift 2
    $asan && limit=unlimited
    rm -f picture.png
    local start
    start=$(date +%s%N)
    if [ -x /usr/bin/time ]; then
        (ulimit -v "$limit" && exec /usr/bin/time -o peak -f %M "$cli" render "$@" -o picture.png) \
            >/dev/null 2>err
    else
        (ulimit -v "$limit" && exec "$cli" render "$@" -o picture.png) >/dev/null 2>err
    fi
    status=$?
    elapsed=$((($(date +%s%N) - start) / 1000000))
    [ "$status" -eq 1 ] || fail "render $* exited $status: $(cat err)"
    grep -qF "$text" err || fail "render $* said: $(cat err)"
    if $asan; then
        [ "$elapsed" -lt 5000 ] || fail "render $* took $elapsed ms"
    else
        [ "$elapsed" -lt 1000 ] || fail "render $* took $elapsed ms"
        if [ -s peak ]; then
            peak=$(tail -n 1 peak)
            [ "$peak" -lt 65536 ] || fail "render $* peaked at $peak KiB"
        fi
    fi
    [ ! -e picture.png ] || fail "render $* wrote a PNG"
}
for file in big planes literals narrow; do
    refused 2000000 "damaged PCX" $file.pcx
    refused 65536 "damaged PCX" $file.pcx
done
if ! $asan; then
    refused 65536 "Memory Allocation Error: Failed to allocate memory for the picture." \
        "$sample/tiles/H000.PCX" --size 16384
fi

# Names are bytes of the Windows-1252 code page: 0xE9 is e acute, 0x80 the
# euro sign; JSON and text show them in UTF-8.
cp db.bin names.bin
printf '\xe9\x80' | dd of=names.bin bs=1 seek=14 conv=notrunc status=none
expect 0 "$cli" info names.bin --json
jq -e '.sets[0].tiles[0].name == "H\u00e9\u20ac0.PCX"' out >/dev/null ||
    fail "the Windows-1252 name reads: $(jq -c '.sets[0].tiles[0].name' out)"
expect 0 "$cli" info names.bin
grep -qF "Hé€0.PCX" out || fail "the text output lacks the name"

# An O2 file shorter than one offset is damaged.
cp "$sample/Theater.L2" short.L2
printf '\1\2' >short.O2
expect 1 "$cli" l2m short.L2 -o short.L2M
[ ! -e short.L2M ] || fail "an O2 file of 2 bytes made an output"

# A level past the levels the file holds cannot be stored: refused with exit
# 2, nothing written.
cp "$sample/Theater.map" L.map
cp L.map L.before
"$cli" theater-map show L.map --json >levels.json
levels=$(jq '.levelCount' levels.json)
expect 2 "$cli" theater-map set L.map "levelWidth$levels=64"
expect_err "levelWidth$levels is not stored"
cmp -s L.map L.before || fail "a level that cannot be stored changed the file"

# A valid database of 159 MB (one tile of 6.6 million zero segments) under a
# memory limit below what its model takes: every command that reads it is
# refused with the memory message and exit 1, never aborted; nothing is
# written. Under a limit it fits in, it works. (The address sanitizer
# reserves far more address space than any limit here.)
byte() { for value; do printf "\\$(printf '%03o' "$value")"; done; }
i32() { byte $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
segments=6600000
{
    i32 1; i32 1; i32 1; printf '\x04'
    printf 'H000.PCX'; head -c 12 /dev/zero
    i32 0; i32 $segments
    head -c $((segments * 24)) /dev/zero
} >large.bin
if ! ldd "$cli" 2>/dev/null | grep -c libasan >/dev/null; then
    for command in "info large.bin" "info large.bin --json" "resave large.bin -o r.bin" \
        "set-type large.bin --set 0 --type Urban -o s.bin" "export large.bin --tile 0 -o e.exp"; do
        # shellcheck disable=SC2086
        (ulimit -v 120000 && exec "$cli" $command) >/dev/null 2>err
        status=$?
        [ "$status" -eq 1 ] || fail "$command under a memory limit exited $status: $(cat err)"
        grep -qE "Memory Allocation Error|Cannot allocate memory" err ||
            fail "$command under a memory limit said: $(cat err)"
    done
    for output in r.bin s.bin e.exp; do
        [ ! -e "$output" ] || fail "a command out of memory wrote $output"
    done
    (ulimit -v 250000 && exec "$cli" info large.bin) >/dev/null 2>err
    status=$?
    [ "$status" -eq 0 ] || [ "$status" -eq 1 ] || fail "info of 159 MB under 250 MB exited $status"
    [ "$status" -eq 0 ] || grep -qE "Memory Allocation Error|Cannot allocate memory" err ||
        fail "info of 159 MB said: $(cat err)"
fi

# TileInfo.dat follows only a database that was written: a save that fails
# leaves it as it was.
printf 'old' >ti.dat
expect 1 "$cli" resave db.bin -o nofolder/x.bin --tileinfo ti.dat
[ "$(cat ti.dat)" = old ] || fail "a failed save replaced TileInfo.dat"

# A file grown past ulimit -f is a failed write with its message, not a
# signal; the old output stays.
cp db.bin keep.bin
(ulimit -f 1 && exec "$cli" resave large.bin -o keep.bin --overwrite) >/dev/null 2>err
status=$?
[ "$status" -eq 1 ] || fail "resave past ulimit -f exited $status"
grep -qF "File too large" err || fail "resave past ulimit -f said: $(cat err)"
cmp -s keep.bin db.bin || fail "a write past ulimit -f changed the old file"

# An O2 whose every entry names the one section of a 1792-byte L2: seams over
# 16384 x 16384 posts (3 GiB as a whole matrix) and render-theater over
# 2048 x 2048 posts keep the section once and stay under 64 MiB.
python3 -c '
import struct
section = b"".join(struct.pack("<HHBBB", i % 4, 3 * i, 0, 0, i % 70) for i in range(256))
for name, n in (("wide", 1024), ("small", 128)):
    open(name + ".L2", "wb").write(section)
    open(name + ".O2", "wb").write(bytes(4 * n * n))'
peak_kib() { # peak_kib COMMAND...: runs it and prints its peak resident memory in KiB
    /usr/bin/time -f %M -o peak.txt "$@" >/dev/null 2>err || echo "failed: $(cat err)" >&2
    cat peak.txt
}
if ldd "$cli" 2>/dev/null | grep -c libasan >/dev/null || [ ! -x /usr/bin/time ]; then
    echo "peak memory of aliased O2 files not measured here"
else
    for command in "seams --terrain wide.L2 --texture db.bin --quiet" \
        "render-theater --terrain small.L2 --texture db.bin -o small.png --quiet"; do
        # shellcheck disable=SC2086
        peak=$(peak_kib "$cli" $command)
        [ "$peak" -lt 65536 ] 2>/dev/null || fail "$command took $peak KiB"
    done
    [ -s small.png ] || fail "render-theater of the aliased O2 wrote no picture"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failures" >&2
    exit 1
fi
echo "hostile files handled"

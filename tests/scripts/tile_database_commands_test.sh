#!/usr/bin/env bash
# Builds a database with build-texture, grows it with add-set and add-tiles,
# changes a set's type, and carries tiles over with export and import; checks
# the result through info --json and every command's exit status.
set -u

cli=${LORVANE_CLI:?LORVANE_CLI is not set}
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
    if [ "$got" -ne "$want" ]; then
        fail "$* exited $got, not $want: $(cat "$work/err")"
    fi
}

# expect_text FILE TEXT: the file holds exactly TEXT (one line).
expect_text() {
    local got
    got=$(cat "$1")
    [ "$got" = "$2" ] || fail "expected: $2
got:      $got"
}

mkdir tiles
# Written on another system: CR LF line ends, a heading, a blank line, a
# name with a comment after it (cut at 12 characters).
printf 'New tiles of the north\r\n\r\nH0A3.PCX\r\nh0a4.pcx\r\nH0B1.PCX  spare tile\r\n' >tiles/Tiles.txt

expect 0 "$cli" build-texture tiles -o Texture.bin
expect_text out "Texture.bin built: 2 Sets  3 Tiles"
expect 2 "$cli" build-texture tiles -o Texture.bin
expect 0 "$cli" build-texture tiles -o Texture.bin --overwrite
expect 1 "$cli" build-texture "$work" -o Other.bin
expect_text err "File Error: Could not find the Tiles.txt file in this folder. ($work/Tiles.txt: No such file or directory)"
[ -e Other.bin ] && fail "a failed build wrote its output"

expect 0 "$cli" info Texture.bin --json
expect_text out '{"setCount":2,"tileCount":3,"sets":[{"terrainType":0,"tiles":[{"id":0,"name":"H0A3.PCX","paths":[],"areas":[]},{"id":1,"name":"h0a4.pcx","paths":[],"areas":[]}]},{"terrainType":0,"tiles":[{"id":16,"name":"H0B1.PCX  sp","paths":[],"areas":[]}]}]}'

# A new set of Thin Forest tiles; the folder part is dropped, other files left out.
expect 0 "$cli" add-set Texture.bin --type "Thin Forest" /somewhere/H0C1.PCX 'C:\tiles\H0C2.PCX' notes.txt -o Grown.bin
expect_text out "Set 2: Thin Forest, 2 tiles"
# Set 0 has tiles: the dialog's warning, nothing written.
expect 1 "$cli" add-set Grown.bin --type Water --set 0 H0D1.PCX --in-place
expect_text err "Set is used: The Set# 0 has tiles. Select another Set"
expect 1 "$cli" add-tiles Grown.bin --set 7 H0A5.PCX --in-place
expect_text err "Set Not Found: The Set# 7 does not exist. Select another Set"
expect 0 "$cli" add-tiles Grown.bin --set 0 H0A5.PCX --in-place
expect 0 "$cli" set-type Grown.bin --set 1 --type 9 --in-place
expect 0 "$cli" set-type Grown.bin --set 0 --type rocky --in-place
expect 2 "$cli" set-type Grown.bin --set 0 --type Road --in-place
expect 2 "$cli" set-type Grown.bin --set 0 --type Water
expect 2 "$cli" set-type Grown.bin --set 0 --type Water --in-place -o X.bin

expect 0 "$cli" info Grown.bin --json
expect_text out '{"setCount":3,"tileCount":6,"sets":[{"terrainType":8,"tiles":[{"id":0,"name":"H0A3.PCX","paths":[],"areas":[]},{"id":1,"name":"h0a4.pcx","paths":[],"areas":[]},{"id":2,"name":"H0A5.PCX","paths":[],"areas":[]}]},{"terrainType":9,"tiles":[{"id":16,"name":"H0B1.PCX  sp","paths":[],"areas":[]}]},{"terrainType":6,"tiles":[{"id":32,"name":"H0C1.PCX","paths":[],"areas":[]},{"id":33,"name":"H0C2.PCX","paths":[],"areas":[]}]}]}'

# 17 tiles for one set are refused before anything changes.
many=()
for k in 0 1 2 3 4 5 6 7 8 9 A B C D E F; do many+=("H0E$k.PCX"); done
expect 1 "$cli" add-set Grown.bin --type Water "${many[@]}" H0F0.PCX --in-place
expect_text err "Too many Tiles: A Set can only hold 16 tiles."
expect 0 "$cli" add-set Grown.bin --type Water "${many[@]}" -o Full.bin
expect 1 "$cli" add-tiles Full.bin --set 3 H0F0.PCX --in-place
expect_text err "Set is Full: The Set# 3 has 16 tiles. Select another Set"

# Export tiles of the sample database and import them into a database of
# the same layout built from a Tiles.txt.
sample="$(dirname "$cli")/sample/Texture.bin"
if [ ! -f "$sample" ]; then
    fail "no sample database at $sample"
else
    mkdir same
    printf 'H000.PCX\nH001.PCX\nH002.PCX\nH003.PCX\nH010.PCX\nH011.PCX\nH012.PCX\nH020.PCX\nH021.PCX\nH022.PCX\nH023.PCX\nH024.PCX\nH030.PCX\nH031.PCX\n' >same/Tiles.txt
    expect 0 "$cli" build-texture same -o Same.bin
    expect 0 "$cli" export "$sample" --tile 0 --tile h020.pcx --tile 48 -o tiles.exp
    expect_text err "Export Completed: 3 tiles exported: H000.PCX, H020.PCX and H030.PCX."
    expect 1 "$cli" export "$sample" --tile H999.PCX -o other.exp
    expect_text err "Tile Not Found: There is no tile H999.PCX in this Texture.bin."
    expect 0 "$cli" import Same.bin tiles.exp -o Imported.bin
    expect_text err "Import Completed: 3 tiles imported."
    expect 0 "$cli" info "$sample" --json
    jq -c '[.sets[].tiles[] | select(.id == 0 or .id == 32 or .id == 48)]' out >want.json
    expect 0 "$cli" info Imported.bin --json
    jq -c '[.sets[].tiles[] | select(.id == 0 or .id == 32 or .id == 48)]' out >got.json
    cmp -s want.json got.json || fail "imported tiles differ: $(cat got.json)"
    jq -e '[.sets[].tiles[] | select(.id == 16) | .paths | length] == [0]' out >/dev/null ||
        fail "a tile that was not exported changed"

    # A truncated export file changes nothing.
    head -c 60 tiles.exp >short.exp
    cp Same.bin Before.bin
    expect 1 "$cli" import Same.bin short.exp --in-place
    expect_text err "Read Error: Could not read import paths. Record 1 of 3."
    cmp -s Same.bin Before.bin || fail "a failed import changed the database"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failures" >&2
    exit 1
fi
echo "all tile database commands behaved"

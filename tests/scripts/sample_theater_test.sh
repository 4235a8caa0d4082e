#!/usr/bin/env bash
# The sample theater that the build makes: the database loads, and the .thr
# and .mea files made from it have the sizes and first bytes their headers
# and the theater's 8 × 8 sections give.
set -euo pipefail
cli=${LORVANE_CLI:?}
sample=$(dirname "$cli")/sample
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "FAIL: $*"; exit 1; }

"$cli" info "$sample/Texture.bin" --json > info.json
grep -q '"setCount":8,"tileCount":64' info.json || fail "sample database is not 8 sets of 64 tiles"
[ "$(ls "$sample"/tiles/*.PCX | wc -l)" -eq 64 ] || fail "sample tiles folder does not hold 64 tiles"
grep -c '^H' "$sample/tiles/Tiles.txt" | grep -qx 64 || fail "Tiles.txt does not list 64 tiles"

# Its roads and rivers run on across posts under one orientation.
"$cli" seams --quiet --terrain "$sample/Theater.L2" --texture "$sample/Texture.bin" --json > seams.json
grep -qx '{"orientation":5,"seams":\[\]}' seams.json || fail "the sample has seams: $(cat seams.json)"
"$cli" seams --quiet --terrain "$sample/Theater.L2" --texture "$sample/Texture.bin" --fail-on-seams \
    > /dev/null || fail "--fail-on-seams fails on the sample"

"$cli" thr --quiet --texture "$sample/Texture.bin" --terrain "$sample/Theater.L2" -o sample.thr
"$cli" mea --quiet --terrain "$sample/Theater.L2" -o sample.mea
# .thr: two 16-bit extents (128 posts) then one byte a post.
[ "$(stat -c %s sample.thr)" -eq $((4 + 128 * 128)) ] || fail ".thr size"
[ "$(head -c 4 sample.thr | od -An -tx1 | tr -d ' \n')" = "80008000" ] || fail ".thr header"
# .mea: one 16-bit value per block of 8 × 8 posts, no header.
[ "$(stat -c %s sample.mea)" -eq $(((128 / 8) * (128 / 8) * 2)) ] || fail ".mea size"

# The L2M round trip gives the same .mea.
"$cli" l2m --quiet "$sample/Theater.L2" -o sample.L2M
[ "$(stat -c %s sample.L2M)" -eq $((9 + 9 * 128 * 128)) ] || fail ".L2M size"
"$cli" mea --quiet --terrain sample.L2M -o again.mea
cmp -s sample.mea again.mea || fail ".mea from the L2M differs"

"$cli" theater-map show "$sample/Theater.map" --json | grep -q '"levelCount":4' || fail "Theater.map levels"
echo "sample theater ok"

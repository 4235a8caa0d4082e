#!/usr/bin/env bash
# Makes the README's theater map image again: the sample theater drawn by
# lorvane-cli render-theater, 8 pixels a post, with its paths.
#
# usage: tools/theater_map_image.sh [BUILD_FOLDER] [OUTPUT.png]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
output=$(realpath -m "${2:-docs/theater-map.png}")
sample="$build/sample"
[ -x "$build/lorvane-cli" ] || { echo "no $build/lorvane-cli: build first (make run or make build)"; exit 1; }
[ -f "$sample/Theater.L2" ] || { echo "no sample in $sample"; exit 1; }
mkdir -p "$(dirname "$output")"
"$build/lorvane-cli" render-theater --quiet --overwrite --terrain "$sample/Theater.L2" \
    --texture "$sample/Texture.bin" --post-size 8 -o "$output"
echo "wrote $output"

#!/usr/bin/env bash
# Makes the real pictures of the scored tracing benchmark (trace_score_bench)
# from Debian's grass-doc (Landsat and orthophoto figures) and opencv-doc
# (aerial photos): a fixed crop of each, resized to a tile's size and
# reduced to 256 colours without dithering, written as PCX into the given
# folder (default build-bench/bench-imagery), with a PNG beside each for
# looking at. The road labels of bench/data/real_roads.json are in the
# pixels of these PCX images. Pictures whose source is not installed are
# left out; the benchmark says which it skipped.
#   tools/bench_imagery.sh [folder]
set -euo pipefail

out=${1:-build-bench/bench-imagery}
mkdir -p "$out"
grass=/usr/share/doc/grass-doc/html
opencv=/usr/share/doc/opencv-doc/examples/data

# name source crop size
pictures=(
  "landsat_ihs542 $grass/i_pansharpen_rgb_ihs542.jpg 622x622+100+0 1024"
  "ortho_2001 $grass/i_segment_ortho_segs_final.jpg 320x320+0+60 512"
  "aero1 $opencv/aero1.jpg 480x480+100+0 512"
  "aero3 $opencv/aero3.jpg 480x480+160+0 512"
)

for picture in "${pictures[@]}"; do
  read -r name source crop size <<<"$picture"
  if [ ! -f "$source" ]; then
    echo "bench_imagery: $source is missing (apt-get install grass-doc opencv-doc): $name left out" >&2
    rm -f "$out/$name.pcx" "$out/$name.png"
    continue
  fi
  target="$out/$name.pcx"
  # Made again only when the source is newer: the conversion is the same
  # every time (no dither, a fixed crop), so a kept file is the same file.
  if [ ! -f "$target" ] || [ "$source" -nt "$target" ] || [ "$0" -nt "$target" ]; then
    convert "$source" -crop "$crop" +repage -resize "${size}x${size}!" \
      -dither None -colors 256 -type Palette "PCX:$target.part"
    mv "$target.part" "$target"
    convert "$target" "PNG:$out/$name.png"
  fi
done

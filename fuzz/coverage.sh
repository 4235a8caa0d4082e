#!/usr/bin/env bash
# Line and region coverage of each fuzz target's corpus replay, measured by
# hand (not part of the tests): builds the replay programs with clang's
# source-based coverage in COVERAGE_BUILD and prints, for each target, the
# coverage of its reader's source file and of all of src/ it links.
#
# usage: fuzz/coverage.sh [COVERAGE_BUILD]   (default build-coverage)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$source_dir/build-coverage}
CC=clang CXX=clang++ cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DLORVANE_BUILD_UI=OFF -DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" \
  -DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate >/dev/null
targets=()
for source in "$source_dir"/fuzz/*_fuzz.cpp; do targets+=("replay_$(basename "$source" .cpp)"); done
cmake --build "$build" --target "${targets[@]}" >/dev/null

# The reader each target is written for.
declare -A reader=(
  [database_json]=src/tiledb/database_json.cpp [l2m]=src/terrain/terrain_files.cpp
  [pcx]=src/image/pcx.cpp [quistral_ini]=src/shell/theaters.cpp
  [recovery_journal]=src/shell/recovery_journal.cpp [terrain_l2]=src/terrain/terrain_files.cpp
  [texture_bin]=src/tiledb/texture_bin.cpp [theater_map]=src/terrain/theater_header.cpp
  [tile_export]=src/tiledb/tile_exchange.cpp [tiles_txt]=src/tiledb/tiles_txt.cpp
)
# Region and line coverage of the report's rows for files whose name (below
# the source folder, the files' common folder) starts with PREFIX (columns: file, regions, missed, cover, functions, missed,
# executed, lines, missed, ...).
coverage() {
  llvm-cov report "$1" -instr-profile="$2" | awk -v prefix="$3" '
    index($1, prefix) == 1 { r += $2; mr += $3; l += $8; ml += $9 }
    END { printf "%.1f%% %.1f%%\n", r ? 100 * (r - mr) / r : 0, l ? 100 * (l - ml) / l : 0 }'
}
printf '%-18s %7s %-40s %s\n' target inputs "reader: regions lines" "src/: regions lines"
mkdir -p "$build/coverage"
for target in "${targets[@]}"; do
  name=${target#replay_}
  name=${name%_fuzz}
  corpus=$source_dir/fuzz/corpus/$name
  program=$build/tests/$target
  rm -f "$build/coverage/$name".*
  LLVM_PROFILE_FILE="$build/coverage/$name.profraw" "$program" "$corpus" >/dev/null
  llvm-profdata merge -o "$build/coverage/$name.profdata" "$build/coverage/$name.profraw"
  read -r own_regions own_lines < <(coverage "$program" "$build/coverage/$name.profdata" \
    "${reader[$name]}")
  read -r all_regions all_lines < <(coverage "$program" "$build/coverage/$name.profdata" src/)
  printf '%-18s %7s %-40s %s\n' "$name" "$(find "$corpus" -type f | wc -l)" \
    "$(basename "${reader[$name]}"): $own_regions $own_lines" "$all_regions $all_lines"
done

#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a few seconds from its seed
# corpus, with its dictionary fuzz/<name>.dict when there is one. New inputs
# go to a working corpus inside the build folder; a crash fails the run and
# leaves its input in BUILD/fuzz-artifacts/ (copy it into fuzz/corpus/<name>/
# so the replay test keeps it fixed).
#
# usage: run_fuzzers.sh BUILD_FOLDER SECONDS
set -euo pipefail
build=$1
seconds=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$build/fuzz-artifacts"
status=0
for target in "$build"/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target" _fuzz)
  work="$build/fuzz-corpus/$name"
  mkdir -p "$work"
  dict=()
  [ -f "$source_dir/fuzz/$name.dict" ] && dict=(-dict="$source_dir/fuzz/$name.dict")
  echo "== fuzzing $name for ${seconds}s"
  if ! "$target" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
       -artifact_prefix="$build/fuzz-artifacts/${name}-" "$work" "$source_dir/fuzz/corpus/$name" \
       > "$build/fuzz-$name.log" 2>&1; then
    echo "fuzz target $name failed; see $build/fuzz-$name.log"
    tail -n 40 "$build/fuzz-$name.log"
    status=1
  else
    grep -E '^#[0-9]+.*DONE' "$build/fuzz-$name.log" | tail -n 1 || true
  fi
done
exit $status

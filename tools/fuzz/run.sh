#!/usr/bin/env bash
# Runs every fuzz target of BUILD_DIR for SECONDS each, one after the other,
# growing its corpus in BUILD_DIR/fuzz/<target>/ from the seeds in
# tools/fuzz/seeds/. A finding stops the run with its input saved beside the
# corpus (crash-*, leak-*, timeout-*) and a non-zero status.
set -euo pipefail
build=${1:?build dir}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
# Every input becomes a file: in memory, runs are ten times as many.
[ -w /dev/shm ] && export TMPDIR=${TMPDIR:-/dev/shm}

for name in library image-header dates cache previews; do
  work=$build/fuzz/$name
  mkdir -p "$work/corpus"
  dict=()
  [ -f "$here/$name.dict" ] && dict=(-dict="$here/$name.dict")
  echo "Fuzzing $name for $seconds s"
  # The reader prints a line for every discarded image: keep stdout closed.
  "$build/tools/zv-fuzz-$name" -max_total_time="$seconds" -close_fd_mask=1 \
    -timeout=30 -print_final_stats=1 -artifact_prefix="$work/" "${dict[@]}" \
    "$work/corpus" "$here/seeds/$name"
done

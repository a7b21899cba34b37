#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60),
# starting from the seeds in fuzz/corpus/<target>/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CXX=clang++ bash scripts/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVI_FUZZ=ON -DORVI_WERROR=ON \
  -DCMAKE_CXX_COMPILER=clang++
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work="fuzz-out/$name"
  mkdir -p "$work"
  seeds="fuzz/corpus/$name"
  echo "--- Fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
    -artifact_prefix="$work/" "$work" ${seeds:+$( [ -d "$seeds" ] && echo "$seeds")} 2>"$work/log" ||
    { tail -40 "$work/log"; echo "fuzz target $name failed"; exit 1; }
  grep -E '^#[0-9]+.*DONE' "$work/log" | tail -1 || true
done
echo "fuzz: all targets ran clean"

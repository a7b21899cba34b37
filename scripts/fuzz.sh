#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan+UBSan) and runs them.
#   scripts/fuzz.sh [SECONDS]   explore: each target for SECONDS (default 60)
#                               with a random seed, from its committed corpus;
#                               what it finds is left in fuzz-out/<target>/
#   scripts/fuzz.sh --check     what the test command runs: each target replays
#                               its committed corpus, then a fixed number of
#                               inputs from a fixed seed, so that the same tree
#                               gives the same answer on every machine
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
mode=explore
seconds=60
case "${1:-}" in
  --check) mode=check ;;
  "") ;;
  *) seconds=$1 ;;
esac
# Inputs per target in the check, after its corpus; a few seconds each.
check_runs=${FUZZ_RUNS:-20000}
check_seed=1
failed=()
fixed_layout="setarch $(uname -m) -R"
$fixed_layout true 2>/dev/null || fixed_layout=""

CXX=clang++ bash scripts/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVI_FUZZ=ON -DORVI_WERROR=ON \
  -DCMAKE_CXX_COMPILER=clang++
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work="fuzz-out/$name"
  mkdir -p "$work"
  seeds="fuzz/corpus/$name"
  [ -d "$seeds" ] || { echo "fuzz target $name has no corpus in $seeds"; exit 1; }
  if [ "$mode" = check ]; then
    # libFuzzer writes new inputs into its first corpus folder: a fresh copy
    # keeps the committed corpus, and the next check, as they were.
    rm -rf "$work/corpus"
    cp -r "$seeds" "$work/corpus"
    echo "--- Fuzzing $name: its corpus, then $check_runs inputs from seed $check_seed"
    # Two things would make a fixed seed give another series: libFuzzer
    # reloading its corpus folder every second (a slow machine reloads at
    # other points), and the addresses that address-space randomisation puts
    # into the comparisons it learns from.
    $fixed_layout "$target" -seed="$check_seed" -runs="$check_runs" -reload=0 -rss_limit_mb=2048 \
      -timeout=10 -print_final_stats=0 -artifact_prefix="$work/" "$work/corpus" 2>"$work/log" ||
      { tail -40 "$work/log"; echo "fuzz target $name failed"; exit 1; }
  else
    echo "--- Fuzzing $name for ${seconds}s"
    mkdir -p "$work/found"
    # Exploring goes on to the next target after a finding; all are listed at the end.
    "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
      -artifact_prefix="$work/" "$work/found" "$seeds" 2>"$work/log" ||
      { tail -40 "$work/log"; echo "fuzz target $name failed: the input is in $work/"; failed+=("$name"); }
  fi
  grep -E '^#[0-9]+.*DONE' "$work/log" | tail -1 || true
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}"
  exit 1
fi
echo "fuzz: all targets ran clean"

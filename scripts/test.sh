#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the plain build, then
# the whole suite again under AddressSanitizer+UndefinedBehaviorSanitizer and
# under ThreadSanitizer, then a short run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test

run_suite() {
  local dir=$1
  shift
  echo "=== $dir: build"
  bash scripts/build.sh "$dir" "$@"
  echo "=== $dir: tests"
  (cd "$dir" && ctest --output-on-failure -j "$(nproc)" --timeout 300)
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "=== build: Debian package"
bash scripts/package.sh build
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DORVI_ASAN=ON -DORVI_BENCH=OFF
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  run_suite build-tsan -DCMAKE_BUILD_TYPE=Debug -DORVI_TSAN=ON -DORVI_BENCH=OFF

echo "=== fuzz"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-10}"

#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the plain build, the
# configuration that the run command builds, then the whole suite again under
# AddressSanitizer+UndefinedBehaviorSanitizer and under ThreadSanitizer, then
# each fuzz target on its corpus and a fixed series of inputs. Warnings are
# errors in every build here.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
bash scripts/install-deps.sh test

# Every option a folder relies on is given, so that a folder configured
# otherwise before (by hand, or by the run command) cannot skip anything.
run_suite() {
  local dir=$1 what=$2
  shift 2
  bash scripts/build.sh "$dir" -DORVI_WERROR=ON -DORVI_TESTS=ON "$@"
  # A folder that holds no test is a failure, never a silent pass.
  step "$dir/ctest.log" "Running $what ($dir)" \
    ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$(nproc)" --timeout 300
  grep -E '^[0-9]+% tests passed' "$dir/ctest.log" || true
}

run_suite build "the suite" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVI_BENCH=ON \
  -DORVI_ASAN=OFF -DORVI_TSAN=OFF
# What scripts/run.sh builds, with warnings as errors.
bash scripts/build.sh build-release-check -DCMAKE_BUILD_TYPE=Release -DORVI_TESTS=OFF \
  -DORVI_BENCH=OFF -DORVI_WERROR=ON
# The core and orvilane-cli without Qt: nothing below the windows needs it.
bash scripts/build.sh build-nogui -DCMAKE_BUILD_TYPE=Release -DORVI_GUI=OFF -DORVI_TESTS=OFF \
  -DORVI_BENCH=OFF -DORVI_WERROR=ON
# The Debian package, built and checked with lintian.
bash scripts/package.sh build
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan "the suite under ASan+UBSan" -DCMAKE_BUILD_TYPE=Debug -DORVI_ASAN=ON \
  -DORVI_TSAN=OFF -DORVI_BENCH=OFF
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  run_suite build-tsan "the suite under ThreadSanitizer" -DCMAKE_BUILD_TYPE=Debug -DORVI_TSAN=ON \
  -DORVI_ASAN=OFF -DORVI_BENCH=OFF

bash scripts/fuzz.sh --check

#!/usr/bin/env bash
# Configures and builds one configuration into its own folder; CMake's and
# the compiler's output is shown only when a step fails (it stays in
# DIR/configure.log and DIR/build.log).
#   scripts/build.sh DIR [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
dir=$1
shift
# Paths relative to the checkout, so that ccache serves a fresh clone in
# another folder (CI's) from what an earlier build compiled.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
step "$dir/configure.log" "Configuring $dir ${*:-}" cmake -S . -B "$dir" -G Ninja "$@"
step "$dir/build.log" "Building $dir" cmake --build "$dir" -j "$(nproc)"

#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
#   scripts/run.sh [orvilane options...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
# A folder of its own, with every option it relies on, so that the test
# command's build and this one never share a cache.
bash scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release -DORVI_TESTS=OFF -DORVI_BENCH=OFF \
  -DORVI_WERROR=OFF -DORVI_GUI=ON
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display here: try the program with build-release/bin/orvilane-cli --help (e.g. 'orvilane-cli scan URL', or a search against the sandbox web: see docs/sandbox.md), or run scripts/screenshots.sh to see the windows."
  exit 0
fi
exec build-release/bin/orvilane "$@"

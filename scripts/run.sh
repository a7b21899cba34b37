#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
#   scripts/run.sh [orvilane options...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=Release -DORVI_TESTS=OFF -DORVI_BENCH=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display here: try the program with build/bin/orvilane-cli --help (e.g. 'orvilane-cli scan URL', or a search against the sandbox web: build/bin/orvilane-sandbox), or run QT_QPA_PLATFORM=offscreen scripts/screenshots.sh to see the windows."
  exit 0
fi
exec build/bin/orvilane "$@"

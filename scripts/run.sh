#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
# The windows are not there yet: this runs the command-line front end's help.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
# A folder of its own, with every option it relies on, so that the test
# command's build and this one never share a cache.
bash scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release -DORVI_TESTS=OFF -DORVI_BENCH=OFF \
  -DORVI_WERROR=OFF
exec build-release/bin/orvilane-cli "${@:---help}"

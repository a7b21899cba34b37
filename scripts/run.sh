#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
# The windows are not there yet: this runs the command-line front end's help.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=Release -DORVI_TESTS=OFF -DORVI_BENCH=OFF
exec build/bin/orvilane-cli "${@:---help}"

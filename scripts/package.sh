#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it: dpkg-deb --info and
# lintian without errors.
#   scripts/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
dir=${1:-build}
if [ ! -f "$dir/build.ninja" ]; then
  bash scripts/build.sh "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
step "$dir/package.log" "Building the Debian package ($dir)" \
  bash -c 'cmake --build "$1" && cd "$1" && cpack -G DEB' _ "$dir"
deb=$(ls "$dir"/orvilane_*.deb | head -n 1)
step "$dir/package-check.log" "Checking $deb (dpkg-deb --info, lintian)" \
  bash -c 'dpkg-deb --info "$1" && dpkg-deb --contents "$1" && lintian --fail-on error "$1"' _ "$deb"

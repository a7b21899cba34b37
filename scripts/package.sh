#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it: dpkg-deb --info and
# lintian without errors.
#   scripts/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
if [ ! -f "$dir/build.ninja" ]; then
  bash scripts/build.sh "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$dir"
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/orvilane_*.deb | head -n 1)
echo "=== $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb" | awk '{print $6}'
lintian --fail-on error "$deb"
echo "package ok: $deb"

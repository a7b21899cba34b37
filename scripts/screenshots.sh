#!/usr/bin/env bash
# Renders every window of the program on Qt's offscreen platform to PNG files
# under build/screenshots/ (the frame at 800x600 and 1600x1000 with its menus
# open, the dialogs, the preparation window, the profile editor's five pages,
# the boxes, the save note, frames of the clip, the results window filled
# with both context menus open, both option pages, the statistics, the news
# and the about box).
#   scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
bash scripts/install-deps.sh run
if [ ! -f "$dir/build.ninja" ]; then
  bash scripts/build.sh "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$dir" --target ui_screenshots
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp -r "$dir/bin/." "$home/"
QT_QPA_PLATFORM=offscreen "$dir/tools/ui_screenshots" "$dir/screenshots" "$home"

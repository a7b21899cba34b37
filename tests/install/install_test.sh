#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the installed
# command line the way a user would: no --home, an empty HOME. The first run
# creates and seeds ~/.local/share/orvilane; a second run keeps a profile the
# user changed.
#   install_test.sh BUILD_DIR WITH_GUI(0|1)
set -euo pipefail
build=$1
gui=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/usr" >/dev/null
shipped=(bin/orvilane-cli share/orvilane/ORVI.ini share/orvilane/Moteurs.ini share/orvilane/help/index.html
  share/orvilane/help/recherche.html share/doc/orvilane/copyright share/man/man1/orvilane.1.gz)
if [ "$gui" = 1 ]; then
  shipped+=(bin/orvilane share/orvilane/ORVI.avi share/applications/org.orvilane.Orvilane.desktop
    share/metainfo/org.orvilane.Orvilane.metainfo.xml share/icons/hicolor/scalable/apps/orvilane.svg)
  for size in 16 32 48 64 128 256; do shipped+=(share/icons/hicolor/${size}x${size}/apps/orvilane.png); done
fi
for f in "${shipped[@]}"; do [ -e "$tmp/usr/$f" ] || fail "$f not installed"; done
ls "$tmp/usr/share/orvilane/Profils"/*.ini >/dev/null 2>&1 || ls "$tmp/usr/share/orvilane/Profils"/*/*.ini >/dev/null \
  || fail "no profile installed"
if [ "$gui" = 1 ] && command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$tmp/usr/share/applications/org.orvilane.Orvilane.desktop"
fi

export HOME=$tmp/home
unset XDG_DATA_HOME
mkdir -p "$HOME"
folder=$HOME/.local/share/orvilane
"$tmp/usr/bin/orvilane-cli" config >"$tmp/first.txt" || fail "first run"
grep -q '^MaxConnect=14$' "$tmp/first.txt" || fail "settings not read: $(cat "$tmp/first.txt")"
# Today's sites are https: the program a user installs takes them.
grep -q '^Https=1$' "$tmp/first.txt" || fail "the shipped settings leave https off"
[ -f "$folder/ORVI.ini" ] || fail "the user's folder was not seeded"
[ -w "$folder/ORVI.ini" ] || fail "the seeded settings cannot be written"
profile=$(find "$folder/Profils" -name '*.ini' | sort | head -n 1)
[ -n "$profile" ] || fail "no profile seeded"
[ ! -e "$folder/help" ] || fail "the help was copied"
printf '; changed by the user\r\n' >>"$profile"
cp "$profile" "$tmp/expected"
"$tmp/usr/bin/orvilane-cli" config --save >/dev/null || fail "second run"
cmp -s "$profile" "$tmp/expected" || fail "the user's profile was overwritten"
# --home still wins.
mkdir -p "$tmp/elsewhere"
"$tmp/usr/bin/orvilane-cli" --home "$tmp/elsewhere" config --save >/dev/null || fail "--home run"
[ -f "$tmp/elsewhere/ORVI.ini" ] || fail "--home was not used"
if [ "$gui" = 1 ]; then
  "$tmp/usr/bin/orvilane" --help | grep -q -- '--home' || fail "orvilane --help"
fi
echo "install ok"

#!/usr/bin/env bash
# Installs the Debian packages the project needs, those that are missing only.
#   scripts/install-deps.sh [run|test]
# run: what building and starting the program needs; test: that, and what the
# tests, benchmarks and fuzz targets need.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

# One list per purpose.
build_packages=(g++ cmake ninja-build ccache pkg-config libssl-dev nlohmann-json3-dev)
# The windows: Qt 6 Widgets, its French texts, and a font for the offscreen
# platform that the GUI tests and the screenshots use.
gui_packages=(qt6-base-dev qt6-translations-l10n fonts-dejavu-core)
test_packages=(libgtest-dev libgmock-dev)
# Real peers of the tests: each test starts its own copy on a free port.
peer_packages=(nginx-light tinyproxy python3-pyftpdlib)
# The benchmarks' reference clients and parser, and libFuzzer.
bench_packages=(libxml2-dev curl wget)
fuzz_packages=(clang libclang-rt-14-dev)
# The Debian package and its checks.
package_packages=(dpkg-dev lintian file desktop-file-utils)
# Services that the peers' packages would start at every boot.
peer_services=(nginx tinyproxy)

packages=("${build_packages[@]}" "${gui_packages[@]}")
case "${1:-run}" in
  run | build) ;;
  test) packages+=("${test_packages[@]}" "${peer_packages[@]}" "${bench_packages[@]}" "${fuzz_packages[@]}"
    "${package_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${packages[@]}"; do
  # Any nginx flavour serves the tests; never replace the one the user has.
  if [ "$p" = nginx-light ] && { [ -x /usr/sbin/nginx ] || command -v nginx >/dev/null 2>&1; }; then continue; fi
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "--- Debian packages: all there"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
log_dir=$(mktemp -d)
export DEBIAN_FRONTEND=noninteractive

# A service that exists before the install is the user's: left as it is.
service_known() { [ -e "/lib/systemd/system/$1.service" ] || [ -e "/etc/init.d/$1" ]; }
new_services=()
for s in "${peer_services[@]}"; do
  service_known "$s" || new_services+=("$s")
done

# While apt-get runs, policy-rc.d forbids every service start (exit 101), so
# the peers' packages install without starting a server; a policy the
# machine already has is put back afterwards.
policy=/usr/sbin/policy-rc.d
kept=""
restore_policy() {
  if [ -n "$kept" ]; then $sudo mv -f "$kept" "$policy"; else $sudo rm -f "$policy"; fi
}
if [ -e "$policy" ]; then
  kept="$policy.orvi-kept"
  $sudo cp -p "$policy" "$kept"
fi
trap restore_policy EXIT
printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
$sudo chmod 755 "$policy"

step "$log_dir/apt-update.log" "Updating the package lists" $sudo apt-get update
step "$log_dir/apt-install.log" "Installing ${missing[*]}" \
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
restore_policy
trap - EXIT

# The packages enabled their services for the next boot: the tests never use
# them, so a service that this install brought is stopped and disabled.
for s in "${new_services[@]}"; do
  service_known "$s" || continue
  echo "--- Disabling the $s service (the tests start their own $s)"
  if command -v systemctl >/dev/null 2>&1; then
    # Works without a running systemd: it only removes the boot links.
    $sudo systemctl disable --quiet "$s.service" >/dev/null 2>&1 || true
    if [ -d /run/systemd/system ]; then $sudo systemctl stop "$s.service" >/dev/null 2>&1 || true; fi
  fi
  if [ -e "/etc/init.d/$s" ] && command -v update-rc.d >/dev/null 2>&1; then
    $sudo update-rc.d "$s" disable >/dev/null 2>&1 || true
  fi
done
rm -rf "$log_dir"

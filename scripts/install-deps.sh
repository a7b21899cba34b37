#!/usr/bin/env bash
# Installs the Debian packages the project needs, those that are missing only.
#   scripts/install-deps.sh [build|test]
set -euo pipefail

packages=(g++ cmake ninja-build ccache pkg-config qt6-base-dev qt6-translations-l10n fonts-dejavu-core)
if [ "${1:-build}" = test ]; then
  # Real peers of the tests, the benchmark's reference client, and libFuzzer.
  packages+=(libgtest-dev libgmock-dev libxml2-dev nginx-light tinyproxy python3-pyftpdlib curl wget clang
    libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# Some server packages start their own service at install; the tests never use
# those, they start their own copies on free ports.
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

#!/usr/bin/env bash
# Installs what the build and the tests need (only what is missing), then
# configures and builds everything into build/. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ccache pkg-config
  qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins
  qt6-translations-l10n
  libsqlite3-dev
  fonts-ipafont-gothic fonts-noto-cjk
  poppler-utils
  dpkg-dev desktop-file-utils file
  e2fsprogs
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVINTA_WERROR=ON
cmake --build build -j2

#!/usr/bin/env bash
# Pictures of a sales slip in entry, the customer lookup, the customer ledger,
# the receivable balance list, the bills, the stock list, the sales detail list and
# the monthly sales summary at their default sizes, taken under Xvfb with
# openbox as the window manager, over a filled ten-year database.
#   scripts/screenshots.sh [output folder]   (default: build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/screenshots}"

packages=(xvfb openbox)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --build build -j2 --target corvinta-screenshots corvinta-gen
data="$(mktemp -d)"
trap 'kill "${wm:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$data"' EXIT
build/bin/corvinta-gen "$data/BaseDB.mdb" >/dev/null
mkdir -p "$out"

display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp &
xvfb=$!
sleep 1
DISPLAY="$display" openbox &
wm=$!
sleep 1
DISPLAY="$display" QT_QPA_PLATFORM=xcb build/bin/corvinta-screenshots "$data" "$out"
# The first page of the bills, as it goes to the customer.
if [ -f "$out/bills.pdf" ]; then
  pdftoppm -png -r 80 -f 1 -l 1 "$out/bills.pdf" "$out/bill-page"
fi
ls -1 "$out"

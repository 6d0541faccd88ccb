#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it without
# installing it: the files land where a desktop expects them, the menu entry
# validates, the package names what it needs, and the program as packaged starts
# (offscreen) on a book in the user's data folder of a scratch home.
#
#   scripts/package-check.sh [build folder]    (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"

cmake --build "$build" -j2 --target corvinta corvinta-report basedb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls -t "$build"/corvinta_*.deb | head -1)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

dpkg-deb -x "$deb" "$scratch/root"
for f in usr/bin/corvinta usr/bin/corvinta-report usr/share/corvinta/BaseDB.mdb usr/share/applications/corvinta.desktop \
         usr/share/icons/hicolor/scalable/apps/corvinta.svg; do
  [ -f "$scratch/root/$f" ] || { echo "missing from the package: $f" >&2; exit 1; }
done
desktop-file-validate "$scratch/root/usr/share/applications/corvinta.desktop"
depends="$(dpkg-deb -f "$deb" Depends)"
for need in libqt6widgets6 libqt6svg6 libsqlite3-0 fonts-ipafont-gothic fonts-noto-cjk qt6-translations-l10n; do
  case "$depends" in *"$need"*) ;; *) echo "Depends lacks $need: $depends" >&2; exit 1 ;; esac
done

run_packaged() {  # HOME, then the exit status of 8 s of the packaged program
  set +e
  HOME="$1" XDG_DATA_HOME="$1/.local/share" QT_QPA_PLATFORM=offscreen \
    timeout 8 "$scratch/root/usr/bin/corvinta" >"$scratch/out.txt" 2>&1
  status=$?
  set -e
}

# Without a book the program asks before making one: it waits on the question
# and nothing is written.
run_packaged "$scratch/empty-home"
if [ "$status" -ne 124 ] || [ -e "$scratch/empty-home/.local/share/Corvinta/BaseDB.mdb" ]; then
  echo "without a book the packaged program did not ask first (status $status)" >&2
  exit 1
fi

# The book a user already has in their data folder is the one opened: the
# program's daily backup of it appears beside it.
home="$scratch/home"
mkdir -p "$home/.local/share/Corvinta"
cp "$scratch/root/usr/share/corvinta/BaseDB.mdb" "$home/.local/share/Corvinta/BaseDB.mdb"
run_packaged "$home"
if [ "$status" -ne 124 ]; then
  echo "the packaged program stopped (status $status):" >&2
  cat "$scratch/out.txt" >&2
  exit 1
fi
ls "$home/.local/share/Corvinta/backup/"BaseDB.mdb.*.bak >/dev/null \
  || { echo "the packaged program did not open the book in the user's folder" >&2; exit 1; }

# The command line as packaged: its help, and a CSV of the stock list from the
# book in the user's data folder, with no display (it sets offscreen itself).
report() {
  HOME="$home" XDG_DATA_HOME="$home/.local/share" QT_QPA_PLATFORM= \
    "$scratch/root/usr/bin/corvinta-report" "$@"
}
report --help >"$scratch/help.txt" 2>&1 \
  || { echo "corvinta-report --help failed:" >&2; cat "$scratch/help.txt" >&2; exit 1; }
grep -q customer-ledger "$scratch/help.txt" \
  || { echo "corvinta-report --help lists no documents" >&2; exit 1; }
report stock-list --from 2024-01-01 --to 2024-01-31 --csv "$scratch/stock.csv" 2>"$scratch/report.txt" \
  || { echo "corvinta-report made no CSV:" >&2; cat "$scratch/report.txt" >&2; exit 1; }
[ "$(head -c 3 "$scratch/stock.csv" | od -An -tx1 | tr -d ' ')" = efbbbf ] \
  && grep -q "商品コード,商品名" "$scratch/stock.csv" \
  || { echo "corvinta-report wrote an unexpected CSV:" >&2; cat "$scratch/stock.csv" >&2; exit 1; }
echo "package ok: $(basename "$deb")"

#!/usr/bin/env bash
# Installs the built Debian package on a clean Debian 12 system and shows the
# first start as a user meets it: the question before a new book is made, then
# the main window on the new book in the user's data folder. The clean system
# is a minimal Debian 12 root made with debootstrap in a folder; the package is
# installed there with apt exactly as a user would, then the program runs under
# Xvfb with openbox as an ordinary user with an empty home.
#
#   sudo scripts/clean-install-demo.sh PACKAGE.deb [root folder] [picture folder]
#
# Needs root (debootstrap, chroot) and Debian's mirror. Leaves the root folder
# for a second run (a new package is installed over the old one) and writes
#   1-question.png  the question on first start
#   2-main.png      the main window after "はい", the book named in its status bar
#   install.log     what apt did, installing and then removing the package, and
#                   the first line of a CSV corvinta-report made from the new book
set -euo pipefail
deb="$(realpath "$1")"
root="$(realpath -m "${2:-/tmp/corvinta-debian12}")"
out="$(realpath -m "${3:-clean-install}")"
mkdir -p "$out"

if [ ! -x "$root/usr/bin/apt" ]; then
  command -v debootstrap >/dev/null || apt-get install -y -q debootstrap
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
fi
cleanup() {
  for m in proc sys dev; do umount -l "$root/$m" 2>/dev/null || true; done
}
trap cleanup EXIT
for m in proc sys dev; do mountpoint -q "$root/$m" || mount --rbind "/$m" "$root/$m"; done
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"

in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 bash -c "$1"; }

# The package alone brings everything the program needs: nothing else is installed first.
in_root "apt-get update -q && cd /tmp && apt install -y ./$(basename "$deb")" >"$out/install.log" 2>&1
in_root "dpkg -s corvinta | sed -n '/^Version/p;/^Depends/p'" | tee -a "$out/install.log"
# Only to look at it: a display, a window manager, a keyboard and a camera.
in_root "apt-get install -y -q xvfb openbox xdotool imagemagick" >>"$out/install.log" 2>&1
in_root "id clerk >/dev/null 2>&1 || useradd -m clerk; rm -rf /home/clerk/.local /home/clerk/.config"

as_clerk() {
  chroot "$root" su clerk -c "env -i PATH=/usr/bin:/bin HOME=/home/clerk LANG=C.UTF-8 DISPLAY=:57 $1"
}
in_root "Xvfb :57 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &"
sleep 2
as_clerk "openbox >/dev/null 2>&1 &"
sleep 1
# The program as the desktop's menu entry starts it.
exec_line="$(sed -n 's/^Exec=//p' "$root/usr/share/applications/corvinta.desktop" | sed 's/ *%[fFuU]//')"
as_clerk "$exec_line >/tmp/corvinta.out 2>&1 &"
sleep 4
as_clerk "import -window root /tmp/1-question.png"
as_clerk "xdotool key Return"
sleep 4
as_clerk "import -window root /tmp/2-main.png"
cp "$root/tmp/1-question.png" "$root/tmp/2-main.png" "$out/"
book=/home/clerk/.local/share/Corvinta/BaseDB.mdb
if [ -f "$root$book" ]; then
  echo "new book: $book ($(stat -c %s "$root$book") bytes)" | tee -a "$out/install.log"
else
  echo "no book was made at $book" >&2
  cat "$root/tmp/corvinta.out" >&2
  status=1
fi
in_root "pkill -x corvinta; pkill -x openbox; pkill -x Xvfb" || true
# The command line reads the same book without a display.
as_clerk "corvinta-report receivable-list --csv /tmp/receivables.csv" \
  && echo "corvinta-report: $(head -c 120 "$root/tmp/receivables.csv" | tr '\r\n' '  ')" | tee -a "$out/install.log" \
  || { echo "corvinta-report failed on the new book" >&2; status=1; }
# Removing the package takes every file it brought and leaves the user's book.
in_root "apt-get purge -y -q corvinta" >>"$out/install.log" 2>&1
for f in usr/bin/corvinta usr/share/corvinta usr/share/applications/corvinta.desktop \
         usr/share/icons/hicolor/scalable/apps/corvinta.svg; do
  [ ! -e "$root/$f" ] || { echo "left after removal: /$f" >&2; status=1; }
done
[ -f "$root$book" ] || { echo "removal took the user's book" >&2; status=1; }
echo "removed; the user's book stays" | tee -a "$out/install.log"
exit "${status:-0}"

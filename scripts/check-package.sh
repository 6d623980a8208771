#!/usr/bin/env bash
# Installs the Debian package into a clean Debian system (a debootstrap
# chroot, made once and copied for every check) and tries it there: the
# programs run, the organizer starts and lists the extension it registered on
# its first start, `man quillet` shows the page, and removing the package
# leaves no file of it behind.  Needs root and the Debian mirror.
#   scripts/check-package.sh [PACKAGE.deb]   (default: the one scripts/package.sh made)
set -euo pipefail
cd "$(dirname "$0")/.."
package=${1:-$(ls build-package/quillet_*.deb 2>/dev/null | head -1)}
[ -f "$package" ] || { echo "no package: run scripts/package.sh first" >&2; exit 2; }
scripts/install-deps.sh debootstrap
base=${QUILLET_CHROOT_BASE:-/var/tmp/quillet-bookworm}
if [ ! -x "$base/bin/bash" ]; then
  debootstrap --variant=minbase bookworm "$base" http://deb.debian.org/debian
fi
root=$(mktemp -d /var/tmp/quillet-check.XXXXXX)
cleanup() {
  umount "$root/proc" 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT
cp -a "$base/." "$root/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
cp "$package" "$root/tmp/quillet.deb"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

echo "== installing $(basename "$package") with its dependencies"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends /tmp/quillet.deb fonts-ipafont-gothic man-db >/dev/null
echo "== the programs"
for program in quillet quillet-handheld quillet-hotsync quillet-viewer quillet-organizer quillet-regsvr; do
  in_root "$program" --help >/dev/null && echo "$program --help: ok"
done
echo "== a handheld, a HotSync and the memos on the desktop"
in_root sh -ec '
  export QUILLET_HOME=/root/quillet
  quillet-handheld init --user Ann >/dev/null
  quillet-handheld add --text "first memo" >/dev/null
  quillet-hotsync sync >/dev/null
  quillet list /root/quillet/HotSync/Ann/Quillet/record.dat'
echo "== the organizer on its first start (offscreen)"
in_root sh -ec '
  export QUILLET_HOME=/root/quillet QT_QPA_PLATFORM=offscreen
  quillet-organizer --screenshot /root/organizer.png
  grep -q "InstallPath" /root/.config/quillet/registry.ini
  grep -q "Organizer\\\\Extensions\\\\Quillet" /root/.config/quillet/registry.ini
  echo "the extension is registered"'
cp "$root/root/organizer.png" "${QUILLET_CHECK_SHOT:-/tmp/quillet-installed-organizer.png}"
echo "== man quillet"
in_root sh -c 'MANWIDTH=80 man quillet 2>/dev/null | head -5'
echo "== removing the package"
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq quillet >/dev/null
left=$(in_root dpkg -L quillet 2>/dev/null || true)
[ -z "$left" ] || { echo "dpkg still lists files of quillet" >&2; exit 1; }
for path in /usr/bin/quillet /usr/lib/x86_64-linux-gnu/quillet /usr/share/quillet /usr/share/man/man1/quillet.1.gz \
            /usr/share/applications/quillet-organizer.desktop /usr/share/bash-completion/completions/quillet; do
  [ ! -e "$root$path" ] || { echo "left behind: $path" >&2; exit 1; }
done
echo "removed: no file of the package is left"

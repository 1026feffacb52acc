#!/usr/bin/env bash
# Installs kavrin-chart's Debian package into a fresh minimal Debian root with the README's
# own command, as a new user would, and checks it there: apt brings what the program needs,
# kavrin-chart runs from PATH and draws, its log tools read the log back, `man kavrin-chart`
# shows its page, and removing the package (with what apt brought for it) leaves no file
# behind that no installed package owns.
#   bash tools/check-package.sh [PACKAGE.deb]     (as root: debootstrap and chroot need it)
# The package defaults to the one tools/demo.sh makes. The base system is debootstrap's minbase,
# made once into build/fresh-root/base.tar (KAVRIN_BASE_TAR names another one to reuse).
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" = 0 ] || { echo "check-package: run as root (debootstrap and chroot need it)"; exit 2; }
source tools/require.sh
require debootstrap chroot

deb=${1:-$(ls build/demo/kavrin-line-chart_*.deb 2>/dev/null | head -n 1)}
[ -f "$deb" ] || { echo "check-package: no package: bash tools/demo.sh makes one"; exit 2; }
work=$PWD/build/fresh-root
mkdir -p "$work"
base=${KAVRIN_BASE_TAR:-$work/base.tar}
if [ ! -s "$base" ]; then
  echo "== base system (debootstrap minbase, once: $base)"
  # The Debian mirrors this machine's apt is set up with (not those in comments), in order.
  mirrors=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/* 2>/dev/null | grep -v '^[[:space:]]*#' |
    grep -oE 'https?://[^ ]+/debian/?' | awk '!seen[$0]++' || true)
  [ -n "$mirrors" ] || { echo "check-package: no Debian mirror in this machine's apt sources"; exit 2; }
  made=""
  for mirror in $mirrors; do
    rm -rf "$work/boot"
    if debootstrap --variant=minbase bookworm "$work/boot" "$mirror" >"$work/debootstrap.log" 2>&1; then made=1; break; fi
  done
  [ -n "$made" ] || { tail -n 5 "$work/debootstrap.log"; echo "check-package: debootstrap failed with every mirror"; exit 1; }
  tar -C "$work/boot" -cf "$base.part" . && mv "$base.part" "$base" && rm -rf "$work/boot"
fi

root=$work/root
unmount() {
  for m in dev proc; do
    if mountpoint -q "$root/$m"; then umount -l "$root/$m"; fi
  done
}
trap unmount EXIT
unmount
rm -rf "$root" && mkdir -p "$root"
tar -C "$root" -xf "$base"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
# The README's install command runs in the project's folder, where tools/demo.sh left the package.
mkdir -p "$root/work/project/build/demo"
cp "$deb" "$root/work/project/build/demo/"
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"  # unmounting the copy must never reach the machine's own /dev

echo "== installing, running and removing $(basename "$deb") in a fresh root"
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive /bin/bash -s <<'IN_ROOT'
set -euo pipefail
fail() { echo "check-package: FAILED: $*"; exit 1; }
# The system's files, less the caches and logs that installing and removing leave in /var.
files() { find /usr /etc /opt -xdev -path /etc/ld.so.cache -prune -o -print | sort; }
apt-get update -qq
# What the README's set-up installs before it: sudo, for its install command.
apt-get install -y -qq --no-install-recommends sudo >/dev/null 2>&1
files >/tmp/before

cd /work/project
# The README's command as written; apt asks before it adds the packages the program needs
# (yes ends on a broken pipe once apt is done: only apt's status counts).
(set +o pipefail; yes | sudo apt install ./build/demo/kavrin-line-chart_*.deb >/tmp/apt.log 2>&1) ||
  { tail -n 20 /tmp/apt.log; fail "apt install"; }

cd /tmp
[ "$(command -v kavrin-chart)" = /usr/bin/kavrin-chart ] || fail "kavrin-chart is not on PATH"
kavrin-chart --version
seq 1 300 | kavrin-chart --headless --set Min=0 --set Max=300 --out run/ 2>run.err ||
  { cat run.err; fail "kavrin-chart could not chart a stream"; }
# A run's files stand in a folder of their own; the log tools take the folder.
run=$(ls -d run/kavrin-chart-*/)
log=$(ls "$run"kavrin-chart-*.log)
[ -s "${log%.log}.png" ] || fail "no picture"
# The first tick: its number, the clock time it was drawn at, its value.
kavrin-chart log2csv "$run" | sed -n 2p | grep -qE '^1,[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]+,1$' ||
  fail "log2csv does not give the first tick as 1, its time, 1"
kavrin-chart replay "$run" --out again/ >/dev/null 2>&1 || fail "replay"
ls again/*-replay.png >/dev/null || fail "replay wrote no picture"
man kavrin-chart 2>&1 | grep -q 'log2csv' || fail "man kavrin-chart does not show the page of the program and its log tools"
for f in bin/kavrin-chart share/man/man1/kavrin-chart.1.gz include/kavrin/host/form.h lib/libkavrin_host.a \
  lib/cmake/KavrinLineChart/KavrinLineChartConfig.cmake lib/pkgconfig/kavrin-line-chart.pc; do
  [ -f "/usr/$f" ] || fail "the package has no /usr/$f"
done
dpkg -L kavrin-line-chart >/tmp/package-files

sudo apt-get purge -y -qq --autoremove kavrin-line-chart >/dev/null 2>&1 || fail "removing the package"
while read -r f; do
  [ -f "$f" ] && fail "$f is still there after the package was removed"
done </tmp/package-files
files >/tmp/after
# What apt keeps of the packages it brought is its own (man-db's bsdextrautils stays): every new
# file must belong to a package still installed, and nothing that was there may be gone.
comm -23 /tmp/before /tmp/after | head -n 5 | grep . && fail "removing the package removed the files above"
while read -r f; do
  [ -d "$f" ] || dpkg-query -S "$f" >/dev/null 2>&1 || fail "$f was left behind, by no installed package"
done < <(comm -13 /tmp/before /tmp/after)
echo "check-package: installed, ran, read its man page and removed it without a trace"
IN_ROOT

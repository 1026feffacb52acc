#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, the ASan+UBSan build of the same
# tests, the Windows controls (built with MinGW, checked under wine64), short fuzz runs of
# the file readers, the stream parsing and the automation calls, and (as root) the Debian
# package installed, run and removed in a fresh Debian root. Installs what a fresh Debian
# lacks first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
source tools/require.sh
require cmake ninja ctest c++

jobs=$(nproc)
# CI fails on any compiler warning, so that the builds stay free of them.
werror=(-DCMAKE_COMPILE_WARNING_AS_ERROR=OFF)
[ "${CI:-}" = true ] && werror=(-DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
export KAVRIN_CMAKE_EXTRA="${werror[*]}"
echo "== Normal build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${werror[@]}" >/dev/null
ninja -C build/release -j"$jobs"
(cd build/release && ctest --output-on-failure -j"$jobs")

echo "== ASan + UBSan build"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKAVRIN_SANITIZE=ON \
  -DKAVRIN_BENCH=OFF -DKAVRIN_DIFFERENTIAL=OFF "${werror[@]}" >/dev/null
ninja -C build/sanitize -j"$jobs"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
(cd build/sanitize && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j"$jobs")

echo "== Windows build: both .ocx files, checked under wine64"
KAVRIN_HOST_BUILD=build/release bash tools/test-windows.sh

echo "== Short fuzz runs"
for f in fuzz/run_short.sh; do
  [ -f "$f" ] && bash "$f" "${KAVRIN_FUZZ_SECONDS:-30}"
done
echo "== The Debian package in a fresh Debian root"
if [ "$(id -u)" = 0 ] && [ "${KAVRIN_PACKAGE_CHECK:-1}" != 0 ]; then
  rm -f build/release/kavrin-line-chart_*.deb
  (cd build/release && cpack -G DEB >/dev/null)
  # The base system is kept across runs: the one the fresh-machine check keeps, else our own.
  base=/var/tmp/fresh-machine/base.tar
  [ -s "$base" ] || base=/var/tmp/kavrin-package-check/base.tar
  mkdir -p "$(dirname "$base")"
  KAVRIN_BASE_TAR=$base bash tools/check-package.sh build/release/kavrin-line-chart_*.deb
else
  echo "(skipped: debootstrap and chroot need root)"
fi
echo "All tests passed."

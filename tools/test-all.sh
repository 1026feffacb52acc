#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, the ASan+UBSan build of the same
# tests, the Windows controls (built with MinGW, checked under wine64), and short fuzz runs of
# the file readers, the stream parsing and the automation calls. Installs what a fresh Debian
# lacks first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

jobs=$(nproc)
echo "== Normal build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build/release -j"$jobs"
(cd build/release && ctest --output-on-failure -j"$jobs")

echo "== ASan + UBSan build"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKAVRIN_SANITIZE=ON \
  -DKAVRIN_BENCH=OFF -DKAVRIN_DIFFERENTIAL=OFF >/dev/null
ninja -C build/sanitize -j"$jobs"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
(cd build/sanitize && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j"$jobs")

echo "== Windows build: both .ocx files, checked under wine64"
KAVRIN_HOST_BUILD=build/release bash tools/test-windows.sh

echo "== Short fuzz runs"
for f in fuzz/run_short.sh; do
  [ -f "$f" ] && bash "$f" "${KAVRIN_FUZZ_SECONDS:-30}"
done
echo "All tests passed."

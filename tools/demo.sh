#!/usr/bin/env bash
# Shows kavrin-chart's built-in demo on this machine: installs the few Debian packages the
# build needs, builds a Release kavrin-chart and its Debian package, then shows the demo in a
# window when there is a display, or else runs it headless and says where its pictures and
# data log are. It ends by saying where the program is and how to install it.
#   bash tools/demo.sh            (KAVRIN_JOBS=N limits the build's parallel jobs)
set -euo pipefail
cd "$(dirname "$0")/.."
KAVRIN_MINIMAL_DEPS=1 bash tools/install-deps.sh
source tools/require.sh
require cmake ninja c++ cpack dpkg-deb dpkg-shlibdeps gzip

build=build/demo
echo "== Building kavrin-chart (Release) and its Debian package"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAVRIN_TESTS=OFF -DKAVRIN_BENCH=OFF >/dev/null
ninja -C "$build" ${KAVRIN_JOBS:+-j"$KAVRIN_JOBS"}
rm -f "$build"/kavrin-line-chart_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/kavrin-line-chart_*.deb)
chart=$build/apps/kavrin-chart
out=build/demo-out
where() {
  echo "kavrin-chart is $(cd "$(dirname "$chart")" && pwd)/kavrin-chart; to put it on PATH with its man page:"
  echo "    sudo apt install ./$package"
}
trap 'where' EXIT

if [ -n "${DISPLAY:-}" ]; then
  echo "== The demo in a window: close it (or press Ctrl-C) to end; pictures and log go to $out/"
  status=0
  "$chart" demo --window --out "$out" || status=$?
  [ "$status" -ne 4 ] && exit "$status"
  echo "(the display $DISPLAY cannot be used; running headless instead)"
fi
echo "== The demo without a window: 200 ticks, a snapshot every 50"
"$chart" demo --headless --ticks 200 --rate 0 --snapshot-every 50 --out "$out"
echo "Pictures and the data log are in $(cd "$out" && pwd)/ (open the .png files to see the chart)."

#!/usr/bin/env bash
# Builds the Windows control from Linux: build/windows/x86/KavrinLineChart.ocx (32-bit,
# i686-w64-mingw32) and build/windows/x64/KavrinLineChart.ocx (its 64-bit twin, which is
# what runs under wine64 here). Installs what a fresh Debian lacks first.
#
# Steps: the host tools are built for Linux (make_idl writes the type library's IDL from the
# automation table), then win32/ is configured once per architecture with its MinGW
# toolchain file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
source tools/require.sh
require cmake ninja c++ i686-w64-mingw32-g++ x86_64-w64-mingw32-g++ widl-stable

root=$PWD
out=build/windows
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# KAVRIN_CMAKE_EXTRA: further cache settings for every configure (test-all.sh's -Werror in CI).
read -r -a extra <<<"${KAVRIN_CMAKE_EXTRA:-}"
jobs=${KAVRIN_JOBS:-$(nproc)}

echo "== Host tools: make_idl, tlb_byref_text"
# KAVRIN_HOST_BUILD may name a configured Linux build to build them in (test-all.sh passes
# its own, so the Linux libraries are not compiled twice).
host=${KAVRIN_HOST_BUILD:-$out/host}
if [ -z "${KAVRIN_HOST_BUILD:-}" ]; then
  cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAVRIN_TESTS=OFF -DKAVRIN_BENCH=OFF \
    "${launcher[@]}" "${extra[@]}" >/dev/null
fi
ninja -C "$host" -j"$jobs" make_idl tlb_byref_text
host=$(cd "$host" && pwd)

for arch in x86:i686 x64:x86_64; do
  name=${arch%%:*}
  triple=${arch##*:}
  echo "== KavrinLineChart.ocx, $name ($triple-w64-mingw32)"
  cmake -S win32 -B "$out/$name-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$triple.cmake" \
    -DKAVRIN_HOST_TOOLS="$host/tools" -DKAVRIN_OCX_DIR="$root/$out/$name" \
    "${launcher[@]}" "${extra[@]}" >/dev/null
  ninja -C "$out/$name-build" -j"$jobs"
done
ls -l "$out/x86/KavrinLineChart.ocx" "$out/x64/KavrinLineChart.ocx"

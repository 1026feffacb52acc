#!/usr/bin/env bash
# Builds both Windows controls and checks them: the 32-bit file is inspected (it cannot run
# here: wine64 given a 32-bit program exits 0 without running it, so nothing 32-bit is ever
# run), the 64-bit twin registers and unregisters under wine64 in a fresh prefix, and
# programs built with MinGW check its type library and entry points, once in the default
# locale and once with the ANSI code page 936; on a private X display the control is placed
# on forms (Wine's ATL container, compared pixel for pixel with the Linux form, and a
# container of our own) and the README's Windows examples run as shown.
set -euo pipefail
cd "$(dirname "$0")/.."
# The Linux build that holds the host tools and the Linux half of the form comparison: the
# one KAVRIN_HOST_BUILD names (test-all.sh passes its own), else one of our own with tests.
if [ -z "${KAVRIN_HOST_BUILD:-}" ]; then
  bash tools/install-deps.sh
  export KAVRIN_HOST_BUILD=build/windows/host-tests
  cmake -S . -B "$KAVRIN_HOST_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAVRIN_BENCH=OFF -DKAVRIN_DIFFERENTIAL=OFF \
    >/dev/null
fi
bash tools/build-windows.sh
source tools/require.sh
require i686-w64-mingw32-objdump wrestool /usr/lib/wine/wine64 /usr/lib/wine/wineserver Xvfb localedef iconv od
host=$(cd "$KAVRIN_HOST_BUILD" && pwd)
ninja -C "$host" -j"${KAVRIN_JOBS:-$(nproc)}" win32_form_pixels_tests

out=$PWD/build/windows
ocx32=$out/x86/KavrinLineChart.ocx
ocx64=$out/x64/KavrinLineChart.ocx
tests=$out/x64-build/tests
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

echo "== The 32-bit control, inspected"
dump=$(i686-w64-mingw32-objdump -p "$ocx32")
grep -q 'file format pei-i386' <<<"$dump" || fail "not a PE32 i386 file"
grep -qP '^Magic\s+010b\s+\(PE32\)' <<<"$dump" || fail "no PE32 optional header"
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | grep -oP '^\s+\[\s*\d+\]\s+\K\S+' | sort | tr '\n' ' ')
[ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ] ||
  fail "exports are '$exports'"
imports=$(grep -oP 'DLL Name: \K\S+' <<<"$dump" | tr '[:upper:]' '[:lower:]' | sort | tr '\n' ' ')
for dll in $imports; do
  case $dll in
    kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | ole32.dll | oleaut32.dll | shlwapi.dll | msvcrt.dll) ;;
    *) fail "imports $dll, which is not a Windows system DLL" ;;
  esac
done
resources=$(wrestool -l "$ocx32")
grep -q -- "--type='TYPELIB' --name=1 " <<<"$resources" || fail "no TYPELIB 1"
grep -q -- "--type=2 --name=30000 " <<<"$resources" || fail "no BITMAP 30000"
grep -q -- "--type=16 --name=1 " <<<"$resources" || fail "no VERSIONINFO"
# Resources go through files: a reader that stops early must not break the pipe.
inspect=$out/inspect
mkdir -p "$inspect"
# The library's header word at offset 20 carries its system kind: 1 is Win32, 3 is Win64.
for pair in "$ocx32:1" "$ocx64:3"; do
  file=${pair%:*}
  wrestool -x --raw --type=TYPELIB --name=1 "$file" >"$inspect/typelib.tlb"
  kind=$(od -An -tu4 -j20 -N4 "$inspect/typelib.tlb" | tr -d ' ')
  [ $((kind & 15)) = "${pair##*:}" ] || fail "$file: type library system kind $((kind & 15))"
done
# The bitmap's header: width and height at 18 and 22, bits per pixel at 28.
wrestool -x --type=2 --name=30000 "$ocx32" >"$inspect/toolbox.bmp"
bitmap="$(od -An -td4 -j18 -N8 "$inspect/toolbox.bmp" | xargs) $(od -An -tu2 -j28 -N2 "$inspect/toolbox.bmp" | xargs)"
[ "$bitmap" = "16 15 24" ] || fail "toolbox bitmap is $bitmap (width height bits), expected 16 15 24"
wrestool -x --raw --type=16 --name=1 "$ocx32" >"$inspect/version.bin"
iconv -f UTF-16LE -t UTF-8 "$inspect/version.bin" 2>/dev/null | tr -d '\0' >"$inspect/version.txt" || true
grep -q OLESelfRegister "$inspect/version.txt" || fail "version information without OLESelfRegister"
# Floating point in SSE2 registers, as the 64-bit twin computes: the code of the pixel row
# (cLineChart::SetValue) and of the number rules holds no x87 arithmetic.
for src in chart/series.cpp common/numbers.cpp; do
  obj=$(find "$out/x86-build" -path "*/kavrin_core.dir/*" -name "${src##*/}.obj" | grep -F "/${src%/*}/" | head -n 1)
  if [ -z "$obj" ]; then
    fail "no 32-bit object file of $src"
    continue
  fi
  x87=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$obj" |
    grep -cP '\tf(i?(add|sub|subr|mul|div|divr)p?|rndint|istp?|isttp|ild|sqrt|prem1?|scale|chs|abs)\b' || true)
  [ "$x87" = 0 ] || fail "$src: $x87 x87 arithmetic instructions in the 32-bit control"
done

echo "== The 64-bit control under wine64"
wine=/usr/lib/wine/wine64
export WINEPREFIX=$out/wine-test WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
# Windows get a private X display, started before the prefix so that Wine's desktop uses it.
rm -f "$out/xvfb.display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$out/xvfb.display" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$out/xvfb.display" ] && break; sleep 0.1; done
[ -s "$out/xvfb.display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -n 1 "$out/xvfb.display")
"$wine" wineboot -i >/dev/null 2>&1
winpath() { echo "Z:$(tr / '\\' <<<"$1")"; }
ocx=$(winpath "$ocx64")

clsid='HKCR\CLSID\{BA8CA522-7C56-4AE2-95BF-65B847FF0DEF}'
progid='HKCR\KavrinLineChartProj.KavrinLineChart'
typelib='HKCR\TypeLib\{8027108C-6957-4C3E-A3EB-C5D72D4BCA1F}'
# key | value name ("" for the default) | data
expected=(
  "$clsid||KavrinLineChart"
  "$clsid\\InprocServer32||$ocx"
  "$clsid\\InprocServer32|ThreadingModel|Apartment"
  "$clsid\\ProgID||KavrinLineChartProj.KavrinLineChart"
  "$clsid\\Control||"
  "$clsid\\MiscStatus||197009"
  "$clsid\\MiscStatus\\1||197009"
  "$clsid\\ToolboxBitmap32||$ocx, 30000"
  "$clsid\\TypeLib||{8027108C-6957-4C3E-A3EB-C5D72D4BCA1F}"
  "$clsid\\Version||1.0"
  "$progid||KavrinLineChart"
  "$progid\\CLSID||{BA8CA522-7C56-4AE2-95BF-65B847FF0DEF}"
  "$typelib\\1.0||Kavrin Line Chart 2010.1.0"
  "$typelib\\1.0\\409\\win64||$ocx"
)
roots=("$clsid" "$progid" "$typelib" 'HKCR\Interface\{C91A5707-DA25-4521-AAFC-C7A5C8D18D6A}')

"$wine" regsvr32 /s "$ocx" || fail "regsvr32 could not register the control"
for e in "${expected[@]}"; do
  IFS='|' read -r key name data <<<"$e"
  if [ -z "$name" ]; then flag=(/ve); else flag=(/v "$name"); fi
  line=$("$wine" reg query "$key" "${flag[@]}" 2>/dev/null | tr -d '\r' | grep REG_SZ || true)
  got=$(sed -E 's/^ +[^ ].*REG_SZ {4}//' <<<"$line")
  [ -n "$line" ] && [ "$got" = "$data" ] || fail "after registering, $key ${name:-(default)} is '$got', expected '$data'"
done
"$wine" reg query "${roots[3]}" >/dev/null 2>&1 || fail "the dual interface is not registered"

echo "-- type library, default locale"
"$wine" "$tests/typelib_test.exe" "$ocx" | tr -d '\r' | tee "$out/typelib_test.log" | tail -n 3 || true
grep -q '^typelib_test: ALL [0-9]* CHECKS PASSED$' "$out/typelib_test.log" || fail "typelib_test"

echo "-- type library, code page 936"
locale_dir=$out/locale
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  # Compiled into the build folder (no root needed); LOCPATH points Wine's C library at it.
  mkdir -p "$locale_dir"
  [ -f "$locale_dir/zh_CN.UTF-8/LC_CTYPE" ] || localedef -i zh_CN -f UTF-8 "$locale_dir/zh_CN.UTF-8" ||
    [ -f "$locale_dir/zh_CN.UTF-8/LC_CTYPE" ]
  export LOCPATH=$locale_dir
fi
LC_ALL=zh_CN.UTF-8 "$wine" "$tests/typelib_test.exe" "$ocx" --acp 936 | tr -d '\r' | tee "$out/typelib_test_936.log" |
  tail -n 3 || true
unset LOCPATH
grep -q '^typelib_test: ALL [0-9]* CHECKS PASSED$' "$out/typelib_test_936.log" || fail "typelib_test under code page 936"

echo "-- clients of the control: a script (cscript) and a C++ program"
bash tests/win32/run_wine_client_tests.sh "$WINEPREFIX" "$tests" || fail "client tests"

echo "-- the control on forms: Wine's ATL container, our own container, the README's examples"
KAVRIN_PRIVATE_DISPLAY=$DISPLAY bash tests/win32/run_wine_form_tests.sh "$WINEPREFIX" "$tests" "$host" "$out/forms" ||
  fail "form tests"

echo "-- a hostile caller (KAVRIN_HOSTILE_SEED repeats a run; KAVRIN_HOSTILE_NAMED=0 passes arguments by position only)"
hostile=$out/hostile
rm -rf "$hostile"
mkdir -p "$hostile"
timeout 240 "$wine" "$tests/kavrin_hostile_caller.exe" "$(winpath "$hostile")" --seconds "${KAVRIN_HOSTILE_SECONDS:-100}" \
  ${KAVRIN_HOSTILE_SEED:+--seed "$KAVRIN_HOSTILE_SEED"} $([ "${KAVRIN_HOSTILE_NAMED:-1}" = 0 ] && echo --positional) 2>&1 | tr -d '\r' |
  tee "$out/hostile_caller.log" | grep -v '^hostile: FINDING' | tail -n 3 || true
grep "^hostile: FINDING" "$out/hostile_caller.log" | head -n 20 || true
grep -q '^hostile: done, 0 findings$' "$out/hostile_caller.log" ||
  fail "hostile caller ($(head -n 1 "$out/hostile_caller.log"))"

"$wine" regsvr32 /s /u "$ocx" || fail "regsvr32 could not unregister the control"
for key in "${roots[@]}"; do
  "$wine" reg query "$key" >/dev/null 2>&1 && fail "after unregistering, $key is still there"
done

echo "-- entry points"
"$wine" "$tests/server_test.exe" "$ocx" | tr -d '\r' | tee "$out/server_test.log" | tail -n 3 || true
grep -q '^server_test: ALL [0-9]* CHECKS PASSED$' "$out/server_test.log" || fail "server_test"

echo "-- the control on a form in Wine's ATL container"
"$wine" "$tests/activation_test.exe" "$ocx" | tr -d '\r' | tee "$out/activation_test.log" | tail -n 3 || true
grep -q '^activation_test: ALL [0-9]* CHECKS PASSED$' "$out/activation_test.log" || fail "activation_test"

/usr/lib/wine/wineserver -k || true
if [ "$failures" -ne 0 ]; then
  echo "Windows checks: $failures FAILED"
  exit 1
fi
echo "Windows checks passed."

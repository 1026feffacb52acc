#!/usr/bin/env bash
# Runs the control on forms under wine64, on a private X display, against a prefix in which
# the x64 KavrinLineChart.ocx is registered:
#   run_wine_form_tests.sh <wine prefix> <folder of the Windows test programs> <Linux build> <work folder> [cycles]
# - Wine's ATL container runs the form scenarios (atl_host.exe); the Linux form runs the same
#   ones and compares (win32_form_pixels_tests in the Linux build);
# - our own container (own_container.exe): ambient font, site order, change notifications,
#   Close in every state, About, and place / resize / tick / remove cycles;
# - the README's Windows examples: its VBScript under cscript and its C++ host, built with
#   MinGW, under wine64.
# Each passes only when it printed its final marker line: a program that did not run (wine64
# exits 0 for a program it cannot load) cannot pass.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
prefix=${1:?wine prefix}
bin=${2:?folder of the Windows test programs}
linux=${3:?Linux build folder}
work=${4:?work folder}
cycles=${5:-1000}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
status=0
rm -rf "$work"
mkdir -p "$work"

# A private X server: the caller's (KAVRIN_PRIVATE_DISPLAY, which tools/test-windows.sh
# starts before the prefix), else one of our own, which picks a free display itself and
# writes its number once it is ready; Wine's desktop process then starts again with it.
if [ -n "${KAVRIN_PRIVATE_DISPLAY:-}" ]; then
  export DISPLAY=$KAVRIN_PRIVATE_DISPLAY
else
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  trap '"$server" -k 2>/dev/null; kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null' EXIT
  for _ in $(seq 200); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.05
  done
  [ -s "$work/display" ] || { echo "FAILED: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
  "$server" -k 2>/dev/null
  "$server" -w 2>/dev/null
  export DISPLAY=:$(head -n 1 "$work/display")
fi
echo "private X display $DISPLAY"

# The faces the control asks for: their metric twins stand in for them, as they do on Linux.
for pair in "MS Sans Serif:Liberation Sans" "Arial:Liberation Sans" "Times New Roman:Liberation Serif"; do
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%:*}" /t REG_SZ /d "${pair#*:}" /f >/dev/null 2>&1
done

run() {  # name, marker, command...
  local name=$1 marker=$2
  shift 2
  local out rc
  out=$("$@" 2>&1 | tr -d '\r')
  rc=$?
  last=$out
  printf '%s\n' "$out" | tail -n 40
  if [ $rc -ne 0 ] || ! grep -qxF -- "$marker" <<<"$out"; then
    echo "FAILED: $name (exit $rc)"
    status=1
  else
    echo "passed: $name"
  fi
}
winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

mkdir -p "$work/atl"
run "Wine's ATL container" "atl_host: done, 0 failures" \
  timeout 300 "$wine" "$bin/kavrin_atl_host.exe" "$(winpath "$work/atl")"
run "the same pixels, log and bitmap file as the Linux form" \
  "form_pixels: 15 pictures and files compared, 0 differ" \
  env KAVRIN_WIN_FORM_DIR="$work/atl" "$linux/tests/win32/win32_form_pixels_tests"
run "our own container" "own_container: done, 0 failures" \
  timeout 600 "$wine" "$bin/kavrin_own_container.exe" "$cycles"

# The README's examples and its commands, exactly as it shows them, run from a folder that
# sees this checkout's build/.
readme=$root/README.md
example=$work/readme
mkdir -p "$example"
ln -s "$root/build" "$example/build"
for lang in vbscript:chart.vbs cpp:host.cpp sh:commands.sh; do
  awk -v fence="\`\`\`${lang%%:*}" '/^## / {windows = ($0 == "## On Windows")}
    windows && $0 == fence {on = 1; next} /^```$/ {on = 0} on' "$readme" >"$example/${lang#*:}"
done
if [ -s "$example/chart.vbs" ] && [ -s "$example/host.cpp" ] && [ -s "$example/commands.sh" ]; then
  run "the README's commands: registration, script, C++ host" "host: done" \
    bash -c 'cd "$1" && timeout 300 bash -e commands.sh' _ "$example"
  grep -qxF "Movie without a form: error 91" <<<"$last" || { echo "FAILED: the README's script"; status=1; }
  # The commands registered the control through this folder: register it where it lies again.
  "$wine" regsvr32 /s "$(winpath "$root/build/windows/x64/KavrinLineChart.ocx")" || status=1
else
  echo "FAILED: the README shows no vbscript, cpp and sh examples"
  status=1
fi
exit $status

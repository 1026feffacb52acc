#!/usr/bin/env bash
# Runs the Windows clients of the control under wine64 against a prefix in which the x64
# KavrinLineChart.ocx is already registered:
#   run_wine_client_tests.sh <wine prefix> <folder holding kavrin_client_test.exe> [cycles]
# A client passes only when it printed its final line with 0 failures and exited 0: Wine's
# cscript exits 0 after an unhandled script error, and wine64 exits 0 without running a
# program it cannot load.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=${1:?wine prefix}
bin=${2:?folder of kavrin_client_test.exe}
cycles=${3:-10000}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
status=0

run() {  # name, marker, command...
  local name=$1 marker=$2
  shift 2
  local out rc
  out=$("$@" 2>&1 | tr -d '\r')
  rc=$?
  printf '%s\n' "$out"
  if [ $rc -ne 0 ] || [ "$(printf '%s\n' "$out" | tail -n 1)" != "$marker" ]; then
    echo "FAILED: $name (exit $rc)"
    status=1
  else
    echo "passed: $name"
  fi
}

scratch=$(mktemp -d)
# A disk too small for the chart's picture (a 64 KiB tmpfs) where one may be mounted (as
# root): the client saves a picture there and expects a full disk.
small=$scratch/small
mkdir -p "$small"
small_disk=()
if mount -t tmpfs -o size=64k kavrin-small-disk "$small" 2>/dev/null; then
  small_disk=("$("$wine" winepath -w "$small" 2>/dev/null)")
else
  echo "note: no small disk could be mounted (that needs root): the full-disk check is skipped"
fi
trap 'umount "$small" 2>/dev/null; rm -rf "$scratch"' EXIT

run "new instance script" "new_instance.vbs: done, 0 failures" \
  "$wine" cscript //nologo "$("$wine" winepath -w "$here/new_instance.vbs" 2>/dev/null)"
run "C++ client" "client: done, 0 failures" \
  "$wine" "$bin/kavrin_client_test.exe" "$("$wine" winepath -w "$here/saved_settings.txt" 2>/dev/null)" \
  "$("$wine" winepath -w "$scratch" 2>/dev/null)" "$cycles" "${small_disk[@]}"
exit $status

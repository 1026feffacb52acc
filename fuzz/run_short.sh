#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer, ASan, UBSan) and runs each for N seconds (default
# 60): the picture decoder and the form text reader for N, the late-bound calls, the row
# splitter, the data-log reader and the settings record for two thirds of N each.
# Usage: run_short.sh [N]
# A finding stops the run with a non-zero status and leaves the input in the build folder.
set -euo pipefail
seconds=${1:-60}
short=$(( seconds * 2 / 3 > 0 ? seconds * 2 / 3 : 1 ))
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KAVRIN_FUZZ_BUILD:-$root/build/fuzz}
cc=${KAVRIN_FUZZ_CC:-clang-14}
cxx=${KAVRIN_FUZZ_CXX:-clang++-14}
command -v "$cxx" >/dev/null || { cc=clang; cxx=clang++; }
source "$root/tools/require.sh"
KAVRIN_FUZZ_CXX=$cxx require "$cxx" libFuzzer

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DKAVRIN_FUZZ=ON -DKAVRIN_TESTS=OFF -DKAVRIN_BENCH=OFF >/dev/null
ninja -C "$build" -j"${KAVRIN_FUZZ_JOBS:-2}" picture_fuzz make_picture_seeds form_fuzz automation_fuzz rows_fuzz \
  log_fuzz settings_record_fuzz
# Fonts and locales that system libraries load once and keep until exit are no leaks.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tools/lsan.supp:print_suppressions=0}

seeds=$build/picture_seeds
corpus=$build/picture_corpus
mkdir -p "$seeds" "$corpus"
"$build/fuzz/make_picture_seeds" "$seeds"
echo "== Fuzzing the picture decoder for ${seconds} s"
"$build/fuzz/picture_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/" "$corpus" "$seeds"

form_seeds=$build/form_seeds
form_corpus=$build/form_corpus
mkdir -p "$form_seeds" "$form_corpus"
cat > "$form_seeds/chart.frm" <<'FORM'
Begin Form Form1
   Begin KavrinLineChart KavrinLineChart1
      _Width = 320&
      _Height = 240&
      Title = "Pressure \"A\"\n2nd line"
      Zoom = 1.5#
      TitlePos = 2%
      bValueLineDisp = True
      Dist = "20,20,20,30"
      BeginProperty Font TitleFont
         Name = "Arial"
         Size = 8.25#
         Bold = True
         Weight = 700%
      EndProperty
   End
End
FORM
echo "== Fuzzing the form text reader for ${seconds} s"
"$build/host/form_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=16384 -print_final_stats=1 -artifact_prefix="$build/form-" "$form_corpus" "$form_seeds"

# Every byte sequence is a call sequence; the seed is a typical session: a 320 x 240 chart,
# AddLine "a", a log opened in the scratch folder, SetValue 1 and 12 ticks, the log stopped,
# a resize to 200 x 100 and one more tick. The target works in a scratch folder of its own,
# so its folders are given as full paths.
automation_seeds=$build/automation_seeds
automation_corpus=$build/automation_corpus
mkdir -p "$automation_seeds" "$automation_corpus"
{
  printf '\000\100\001\360\000'
  printf '\000\004\000\002\013\001a\004\377\000\000\000'
  printf '\000\005\000\003\007\001\013\001\007\013\003log'
  printf '\000\002\000\002\003\001\000\006\004'
  for _ in 1 2 3 4 5 6 7 8 9 10 11 12; do printf '\000\003\000\000'; done
  printf '\000\005\000\001\007\000'
  printf '\377\310\000\144\000\000\003\000\000'
} > "$automation_seeds/session"
echo "== Fuzzing late-bound calls on the control for ${short} s"
"$build/fuzz/automation_fuzz" -max_total_time="$short" -timeout=10 -rss_limit_mb=2048 \
  -max_len=4096 -print_final_stats=1 -artifact_prefix="$build/automation-" "$automation_corpus" \
  "$automation_seeds"

rows_seeds=$build/rows_seeds
rows_corpus=$build/rows_corpus
mkdir -p "$rows_seeds" "$rows_corpus"
printf '\003procs memory\n r  b   free\n 1  0 1234\n 2  0 1200\n' > "$rows_seeds/vmstat"
printf '\001time,temp;flow\r\n12:00,21.5;3\r\n12:01,,4e1\r\n' > "$rows_seeds/csv"
echo "== Fuzzing the row splitter and column plan for ${short} s"
"$build/fuzz/rows_fuzz" -max_total_time="$short" -timeout=10 -rss_limit_mb=2048 \
  -max_len=4096 -print_final_stats=1 -artifact_prefix="$build/rows-" "$rows_corpus" "$rows_seeds"

log_seeds=$build/log_seeds
log_corpus=$build/log_corpus
mkdir -p "$log_seeds" "$log_corpus"
header() {  # the 21 header lines with the given title
  printf '[Time]12/7/2026 8:52:10 PM\r\n[Title]%b\r\n[Min]-50\r\n[Max]50\r\n[Zoom]1\r\n' "$1"
  printf '[VerValueSpace]10\r\n[BkGndColor]0\r\n[ValueLineColor]8000\r\n[TimeLineColor]8000\r\n'
  printf '[bValueLineDsip]-1\r\n[bTimeLineDsip]-1\r\n[TitleFont]Arial:True:10\r\n[TitleColor]0\r\n'
  printf '[TitlePos]3\r\n[CutLineFont]MS Sans Serif:False:8.25\r\n[MeasureColor]C0\r\n'
  printf '[MeasureFont]MS Sans Serif:False:8.25\r\n[MeasurePos]0\r\n[MeasureWidth]3\r\n'
  printf '[BorderColor]808080\r\n[BorderWidth]1\r\n'
}
{ header 'Boiler'; printf '[1]3,[2]4/[1]2/[1]1,[2]0.5/\r\n/[2]1E+15/\r\n'; } > "$log_seeds/log"
{ header 'Rig\r\n7'; printf '[1]1,5,[3]-0,25/\r\n'; } > "$log_seeds/old-title"
echo "== Fuzzing the data-log reader for ${short} s"
"$build/fuzz/log_fuzz" -max_total_time="$short" -timeout=10 -rss_limit_mb=2048 \
  -max_len=8192 -print_final_stats=1 -artifact_prefix="$build/log-" "$log_corpus" "$log_seeds"

# The seed: an entry count, then a Title "Δp" (two UTF-16 units), a Long, a Boolean and a
# font (name "A", 8.25 points, weight 700, charset 1, italic).
record_seeds=$build/record_seeds
record_corpus=$build/record_corpus
mkdir -p "$record_seeds" "$record_corpus"
{
  printf '\004\000'
  printf '\005Title\010\000\002\000\000\000\224\003p\000'
  printf '\003Min\003\000\366\377\377\377'
  printf '\016bValueLineDisp\013\000\377\377'
  printf '\011TitleFont\177\000\001\000\000\000A\000\104\102\001\000\000\000\000\000\274\002\001\000\001'
} > "$record_seeds/settings"
echo "== Fuzzing the settings record for ${short} s"
"$build/fuzz/settings_record_fuzz" -max_total_time="$short" -timeout=10 -rss_limit_mb=2048 \
  -max_len=8192 -print_final_stats=1 -artifact_prefix="$build/record-" "$record_corpus" "$record_seeds"

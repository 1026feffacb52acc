#!/usr/bin/env bash
# Builds the picture decoder and form text fuzzers with clang (libFuzzer, ASan, UBSan) and runs it for
# N seconds (default 60), starting from generated seed pictures. Usage: run_short.sh [N]
# A finding stops the run with a non-zero status and leaves the input in the build folder.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KAVRIN_FUZZ_BUILD:-$root/build/fuzz}
cc=${KAVRIN_FUZZ_CC:-clang-14}
cxx=${KAVRIN_FUZZ_CXX:-clang++-14}
command -v "$cxx" >/dev/null || { cc=clang; cxx=clang++; }

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DKAVRIN_FUZZ=ON -DKAVRIN_TESTS=OFF -DKAVRIN_BENCH=OFF >/dev/null
ninja -C "$build" -j"${KAVRIN_FUZZ_JOBS:-2}" picture_fuzz make_picture_seeds form_fuzz

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

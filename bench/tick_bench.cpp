// Cost of the chart's tick against the block copy it is built around, ticks per second for
// small and large charts with 1, 16 and 256 lines, the full repaint, and adding lines.
// The tick of a 1920 x 1080 chart with 16 lines should cost at most twice a plain memmove
// of the plot's bytes measured in the same run; the ratio is printed at the end.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "chart/line_chart.h"
#include "tests/chart/chart_harness.h"

namespace {

using kavrin::cLineChart;
using kavrin::Integer;
using kavrin::Long;
using kavrin::test::ChartSettings;
using kavrin::test::ChartSurface;
using kavrin::test::Configure;

struct Scene {
  Scene(int w, int h, int lines) : surf(w, h), set(ChartSettings::ForSize(w, h)) {
    Configure(chart, surf, set);
    chart.Start();
    for (int i = 0; i < lines; ++i) chart.AddLine("line " + std::to_string(i + 1), RGB(40 + i * 13 % 200, 255 - i * 7 % 200, 90));
  }
  void Tick() {
    const Integer n = chart.LineCount();
    for (Integer i = 1; i <= n; ++i) chart.SetValue(i, 45 * std::sin(t * 0.05 + i * 0.4));
    chart.Movie();
    surf.sink.calls.clear();
    ++t;
  }
  ChartSurface surf;
  ChartSettings set;
  cLineChart chart;
  long t = 0;
};

void BM_Tick(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
  for (int i = 0; i < 3; ++i) scene.Tick();
  for (auto _ : state) scene.Tick();
  state.counters["ticks/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Tick)
    ->ArgNames({"w", "h", "lines"})
    ->Args({320, 240, 1})
    ->Args({320, 240, 16})
    ->Args({320, 240, 256})
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 16})
    ->Args({1920, 1080, 256});

// The baseline: one memmove of the plot's bytes (its width x height 32-bit pixels) by
// nine pixels within one buffer, as the scroll of an ordinary tick moves them.
void BM_MemmovePlot(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)) - 40;
  const int h = static_cast<int>(state.range(1)) - 50;
  const size_t bytes = static_cast<size_t>(w + 1) * (h + 1) * 4;
  std::vector<unsigned char> buf(bytes + 64, 1);
  for (auto _ : state) {
    std::memmove(buf.data(), buf.data() + 36, bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_MemmovePlot)->ArgNames({"w", "h"})->Args({1920, 1080});

void BM_ReDraw(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 16);
  for (auto _ : state) scene.chart.ReDraw();
}
BENCHMARK(BM_ReDraw)->ArgNames({"w", "h"})->Args({320, 240})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);

// Every AddLine repaints the whole legend, so adding N lines draws N (N + 1) / 2 entries.
void BM_AddThousandLines(benchmark::State& state) {
  for (auto _ : state) {
    Scene scene(1920, 1080, 0);
    for (int i = 0; i < 1000; ++i) scene.chart.AddLine("line " + std::to_string(i + 1), RGB(i % 256, 128, 64));
    benchmark::DoNotOptimize(scene.chart.LineCount());
  }
}
BENCHMARK(BM_AddThousandLines)->Unit(benchmark::kMillisecond)->Iterations(3);

// Keeps the per-iteration real time of every run, to print the tick/memmove ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& r : runs) {
      const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      if (r.run_type != Run::RT_Iteration && !median) continue;
      // With repetitions the fastest run counts: on a shared machine the others mostly
      // measure the neighbours.
      const std::string name = r.run_name.function_name + (r.run_name.args.empty() ? "" : "/" + r.run_name.args);
      Keep(real, name, r.GetAdjustedRealTime());
      Keep(cpu, name, r.GetAdjustedCPUTime());
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> real;
  std::map<std::string, double> cpu;

 private:
  static void Keep(std::map<std::string, double>& m, const std::string& name, double t) {
    auto it = m.find(name);
    if (it == m.end() || t < it->second) m[name] = t;
  }
};

void PrintRatio(const char* what, const std::map<std::string, double>& times) {
  const auto tick = times.find("BM_Tick/w:1920/h:1080/lines:16");
  const auto copy = times.find("BM_MemmovePlot/w:1920/h:1080");
  if (tick == times.end() || copy == times.end() || copy->second <= 0) return;
  const double ratio = tick->second / copy->second;
  std::printf("tick (1920x1080, 16 lines) / memmove of the plot, %s time: %.2f (limit 2.00) %s\n", what, ratio,
              ratio <= 2.0 ? "ok" : "TOO SLOW");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatio("CPU", reporter.cpu);
  PrintRatio("real", reporter.real);
  benchmark::Shutdown();
  return 0;
}

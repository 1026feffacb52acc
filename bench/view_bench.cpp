// Cost of what a window shows around the chart, as ratios to the tick measured alongside in
// the same run: a tick with the time strip drawn and shown against a tick alone, and a
// paused view drawn anew (a plot's ticks replayed on a chart of its own) against one tick.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <string>

#include "host/chart_view.h"
#include "host/form.h"
#include "host/standard_controls.h"

namespace {

using namespace kavrin;
using Clock = std::chrono::steady_clock;

struct Scene {
  Scene(int w, int h, int lines)
      : site((host::RegisterStandardControls(form), form.Add("KavrinLineChart", "", w, h))),
        chart(*site.ControlAs<KavrinLineChart>()),
        history(site, chart),
        view(site, chart, history) {
    for (int i = 0; i < lines; ++i) history.AddLine("line " + std::to_string(i + 1), RGB(40 + i * 13 % 200, 90, 200));
    for (int i = 0; i < 3 * history.PlotTicks(); ++i) Tick(true);
  }
  // One tick, a quarter second after the one before, and the view shown.
  void Tick(bool update) {
    for (size_t i = 1; i <= history.Lines(); ++i)
      history.SetValue(static_cast<Integer>(i), 45 * std::sin(static_cast<double>(t) * 0.05 + static_cast<double>(i) * 0.4));
    history.Movie(host::TickTime::DateTime(t * 250000));
    if (update) view.Update();
    ++t;
  }
  host::Form form;
  host::ControlSite& site;
  KavrinLineChart& chart;
  host::ChartHistory history;
  host::ChartView view;
  int64_t t = 0;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_TickWithStrip(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 16);
  double alone = 0, viewed = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    scene.Tick(false);
    const auto t1 = Clock::now();
    scene.Tick(true);
    viewed += Seconds(Clock::now() - t1);
    alone += Seconds(t1 - t0);
  }
  state.counters["with strip / tick"] = viewed / alone;
}
BENCHMARK(BM_TickWithStrip)->ArgNames({"w", "h"})->Args({320, 240})->Args({1920, 1080});

void BM_PausedPicture(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 16);
  scene.view.Handle(host::WindowInput{host::WindowInput::Kind::kKey, host::WindowInput::Key::kSpace, 0, 0, 0});
  double tick = 0, paused = 0;
  int64_t step = -2;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    scene.Tick(false);
    const auto t1 = Clock::now();
    // Back and forth by a grid line: every picture is drawn anew.
    scene.view.Handle(host::WindowInput{host::WindowInput::Kind::kWheel, host::WindowInput::Key::kOther,
                                        step < 0 ? 1 : -1, 0, 0});
    step = -step;
    paused += Seconds(Clock::now() - t1);
    tick += Seconds(t1 - t0);
  }
  state.counters["paused picture / tick"] = paused / tick;
}
BENCHMARK(BM_PausedPicture)->ArgNames({"w", "h"})->Args({320, 240})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Scrolling cost: the chart moves its whole plot left by half a grid step every tick with
// one BitBlt within the surface. Compared with the floor, a memmove of the same rows, the
// ratio of the two mean times is printed at the end (it should stay at or below 1.5).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "draw/gdi_host.h"
#include "draw/win32.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kShift = 9;

void BM_BitBltScroll(benchmark::State& state) {
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, kWidth, kHeight);
  HGDIOBJ old = SelectObject(dc, bmp);
  for (auto _ : state) {
    BitBlt(dc, 0, 0, kWidth - kShift, kHeight, dc, kShift, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth - kShift} * kHeight * 4);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  DeleteDC(screen);
}
BENCHMARK(BM_BitBltScroll)->Unit(benchmark::kMicrosecond);

void BM_MemmoveScroll(benchmark::State& state) {
  std::vector<uint32_t> px(static_cast<size_t>(kWidth) * kHeight, 0);
  for (auto _ : state) {
    for (int y = 0; y < kHeight; ++y) {
      uint32_t* row = px.data() + static_cast<size_t>(y) * kWidth;
      std::memmove(row, row + kShift, static_cast<size_t>(kWidth - kShift) * 4);
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth - kShift} * kHeight * 4);
}
BENCHMARK(BM_MemmoveScroll)->Unit(benchmark::kMicrosecond);

// The chart's other per-tick work: short line segments, each its own MoveToEx / LineTo.
void BM_ShortSegments(benchmark::State& state) {
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 640, 480);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  HPEN pen = CreatePen(PS_SOLID, static_cast<int>(state.range(0)), RGB(200, 30, 30));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  int y = 240;
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      // A tick's segment: half a grid step across, a few rows up or down.
      const int x = (i * 7) % 600, ny = std::clamp(y + (i * 37) % 41 - 20, 20, 460);
      MoveToEx(dc, x, y, nullptr);
      LineTo(dc, x + 9, ny);
      y = ny;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 1000);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  SelectObject(dc, oldBmp);
  DeleteObject(bmp);
  DeleteDC(dc);
  DeleteDC(screen);
}
BENCHMARK(BM_ShortSegments)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

// Keeps the console output and remembers each run's mean CPU time per iteration (CPU
// time is steadier than wall time on a shared machine).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0)
        seconds_[r.run_name.function_name] = r.cpu_accumulated_time / static_cast<double>(r.iterations);
    ConsoleReporter::ReportRuns(runs);
  }
  double Get(const std::string& name) const {
    const auto it = seconds_.find(name);
    return it == seconds_.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double blt = reporter.Get("BM_BitBltScroll"), move = reporter.Get("BM_MemmoveScroll");
  if (blt > 0 && move > 0)
    std::printf("BitBlt scroll / memmove scroll = %.3f (limit 1.5)\n", blt / move);
  benchmark::Shutdown();
  return 0;
}

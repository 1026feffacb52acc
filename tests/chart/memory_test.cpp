// A long run holds no more memory and no more drawing objects than a short one: the
// history lives only as pixels, and every tick releases what it creates.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "chart/line_chart.h"
#include "common/image_decode.h"
#include "draw/gdi_host.h"
#include "draw/std_picture.h"
#include "tests/chart/chart_harness.h"
#include "tests/support/pixels.h"

#if defined(__SANITIZE_ADDRESS__)
#define KAVRIN_HEAP_COUNTS_MEANINGFUL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KAVRIN_HEAP_COUNTS_MEANINGFUL 0
#endif
#endif
#ifndef KAVRIN_HEAP_COUNTS_MEANINGFUL
#define KAVRIN_HEAP_COUNTS_MEANINGFUL 1
#endif

#if KAVRIN_HEAP_COUNTS_MEANINGFUL
namespace {
constexpr size_t kHeader = alignof(std::max_align_t);
void* CountedNew(size_t n);
void CountedDelete(void* p) noexcept;
}  // namespace
void* operator new(size_t n) { return CountedNew(n); }
void* operator new[](size_t n) { return CountedNew(n); }
void operator delete(void* p) noexcept { CountedDelete(p); }
void operator delete[](void* p) noexcept { CountedDelete(p); }
void operator delete(void* p, size_t) noexcept { CountedDelete(p); }
void operator delete[](void* p, size_t) noexcept { CountedDelete(p); }
#endif

namespace kavrin {
namespace {

using test::ChartSettings;
using test::ChartSurface;
using test::Configure;

PictureRef SmallPicture() {
  DecodedImage img;
  img.width = 5;
  img.height = 5;
  img.pixels.assign(25, 0xFF00FF);
  img.pixels[12] = 0xFFFFFF;
  return StdPicture::FromImage(img);
}

// Ten values whose texts together use every glyph a tip can show, so that whatever the
// text layer caches is complete after the first ten ticks.
constexpr double kValues[] = {-12.5, 3.25, 40, 0.5, -0.75, 17.125, 6, 9.5, -38, 21.0625};

// Bytes held through operator new (every container of the engine and of the drawing
// layer), counted exactly; malloc statistics would also count the allocator's caches.
std::atomic<long long> g_liveBytes{0};

long long HeapInUse() { return g_liveBytes.load(); }

class ChartLongRun : public ::testing::Test {
 protected:
  void SetUp() override {
    Configure(chart, surf, set);
    chart.Start();
    chart.AddLine("pic", 0x0000FF, SmallPicture());
    chart.AddLine("tips", 0x00FF00, nullptr, True, 0x00FFFF);
    chart.AddLine("plain", 0xFF0000);
  }
  void Run(int ticks) {
    for (int i = 0; i < ticks; ++i, ++n) {
      chart.SetValue(1, kValues[n % 10]);
      chart.SetValue(2, kValues[(n + 3) % 10]);
      if (n % 5 != 0) chart.SetValue(3, kValues[(n + 7) % 10]);
      chart.Movie();
      // The test window's own record of invalidations is not the chart's memory.
      surf.sink.calls.clear();
      surf.sink.calls.shrink_to_fit();
    }
  }
  ChartSurface surf{320, 240};
  ChartSettings set;
  cLineChart chart;
  long n = 0;
};

TEST_F(ChartLongRun, HundredThousandTicksHoldWhatTenTicksHold) {
  Run(10);
  const auto objects = gdi::CountLiveObjects();
  const size_t heap = HeapInUse();
  Run(100000 - 10);
  EXPECT_EQ(gdi::CountLiveObjects(), objects);
  if (KAVRIN_HEAP_COUNTS_MEANINGFUL) {
    EXPECT_EQ(HeapInUse(), heap);
  }
}

TEST_F(ChartLongRun, AnOpenLogKeepsAtMostElevenRowsInMemory) {
  const auto dir = std::filesystem::path(test::OutputDir()) / "long_run";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::string path = dir.string();
  chart.StartExport(True, path, "long.txt");
  ASSERT_EQ(chart.bExport(), True);
  Run(11);
  const auto objects = gdi::CountLiveObjects();
  const size_t heap = HeapInUse();
  size_t longest = 0;
  for (int batch = 0; batch < 2000; ++batch) {
    Run(11);
    EXPECT_EQ(chart.iExportTicks(), 0);
    longest = std::max(longest, chart.sExportBuf().size());
  }
  EXPECT_EQ(longest, 0u);
  EXPECT_EQ(gdi::CountLiveObjects(), objects);
  if (KAVRIN_HEAP_COUNTS_MEANINGFUL) {
    EXPECT_EQ(HeapInUse(), heap);
  }
  std::string none;
  chart.StartExport(False, none, none);
}

}  // namespace
}  // namespace kavrin

#if KAVRIN_HEAP_COUNTS_MEANINGFUL
namespace {
void* CountedNew(size_t n) {
  auto* raw = static_cast<unsigned char*>(std::malloc(n + kHeader));
  if (!raw) throw std::bad_alloc();
  *reinterpret_cast<size_t*>(raw) = n;
  kavrin::g_liveBytes.fetch_add(static_cast<long long>(n), std::memory_order_relaxed);
  return raw + kHeader;
}
void CountedDelete(void* p) noexcept {
  if (!p) return;
  auto* raw = static_cast<unsigned char*>(p) - kHeader;
  kavrin::g_liveBytes.fetch_sub(static_cast<long long>(*reinterpret_cast<size_t*>(raw)), std::memory_order_relaxed);
  std::free(raw);
}
}  // namespace
#endif

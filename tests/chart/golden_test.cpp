// A reference picture of the default chart after 40 ticks with three lines: one with a
// point picture, one with value tips, one with gaps. Compared exactly outside text; text
// regions (scale labels, title, legend keys, tips) are compared by their ink boxes, since
// glyph shapes may differ with the installed faces.
// KAVRIN_UPDATE_REFERENCE=1 rewrites the reference picture instead of comparing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "chart/line_chart.h"
#include "common/image_decode.h"
#include "draw/std_picture.h"
#include "tests/chart/chart_harness.h"
#include "tests/support/pixels.h"

namespace kavrin {
namespace {

using test::ChartSettings;
using test::ChartSurface;
using test::Configure;
using test::Image;

constexpr COLORREF kTipColor = RGB(255, 255, 0);

// 7 x 7 white diamond with a red centre on magenta (the transparent key).
PictureRef DiamondPicture() {
  DecodedImage img;
  img.width = 7;
  img.height = 7;
  img.pixels.assign(49, 0xFF00FF);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) {
      const int d = std::abs(x - 3) + std::abs(y - 3);
      if (d <= 3) img.pixels[y * 7 + x] = d == 0 ? 0xFF0000 : 0xFFFFFF;  // 0x00RRGGBB
    }
  }
  return StdPicture::FromImage(img);
}

struct TextRegion {
  const char* name;
  RECT rc;  // exclusive right and bottom
  COLORREF ink;
};

// Rows of the tip line: 25 lands on row 67; its tips stand above that row, and the first
// one (for the start at the bottom row) just above the bottom edge.
std::vector<TextRegion> TextRegions(int ch) {
  return {{"scale labels", RECT{0, 1, 17, 239}, 192},
          {"title", RECT{1, 211, 319, 239}, 0},
          {"legend keys", RECT{314, 1, 319, 211}, 0},
          {"tips", RECT{20, 67 - ch - 1, 301, 67}, kTipColor},
          {"first tip", RECT{20, 209 - ch - 1, 301, 210}, kTipColor}};
}

Image DrawScene(int* charH) {
  ChartSurface surf(320, 240);
  ChartSettings set;
  cLineChart chart;
  Configure(chart, surf, set);
  chart.Start();
  chart.AddLine("wave", RGB(255, 64, 64), DiamondPicture());
  chart.AddLine("level", RGB(0, 200, 255), nullptr, True, static_cast<Long>(kTipColor));
  chart.AddLine("ramp", RGB(255, 160, 0));
  for (int i = 0; i < 40; ++i) {
    chart.SetValue(1, 40 * std::sin(i * 0.3));
    chart.SetValue(2, 25);
    if (i % 7 != 3) chart.SetValue(3, -45 + i * 2.25);
    chart.Movie();
  }
  *charH = chart.iMeasureCharH();
  return test::Capture(surf.dc, 320, 240);
}

test::Box InkOf(const Image& img, const RECT& rc, COLORREF ink) {
  test::Box b;
  for (int y = rc.top; y < rc.bottom; ++y) {
    for (int x = rc.left; x < rc.right; ++x) {
      if (img.at(x, y) != ink) continue;
      b.left = std::min(b.left, x);
      b.top = std::min(b.top, y);
      b.right = std::max(b.right, x);
      b.bottom = std::max(b.bottom, y);
    }
  }
  return b;
}

Image WithoutText(const Image& img, const std::vector<TextRegion>& regions) {
  Image out = img;
  for (const auto& r : regions) {
    for (int y = r.rc.top; y < r.rc.bottom; ++y) {
      for (int x = r.rc.left; x < r.rc.right; ++x) out.px[static_cast<size_t>(y) * out.width + x] = 0x777777;
    }
  }
  return out;
}

TEST(ChartReference, DefaultChartAfterFortyTicks) {
  int ch = 0;
  const Image actual = DrawScene(&ch);
  const std::string refPath = std::string(KAVRIN_SOURCE_DIR) + "/tests/chart/data/default_chart_40_ticks.png";
  const char* update = std::getenv("KAVRIN_UPDATE_REFERENCE");
  if (update && std::string(update) == "1") {
    test::WritePng(actual, refPath);
    GTEST_SKIP() << "reference rewritten: " << refPath;
  }
  const auto expected = test::ReadPng(refPath);
  ASSERT_TRUE(expected.has_value()) << "missing " << refPath;
  test::WritePng(actual, test::OutputDir() + "/default_chart_40_ticks_actual.png");

  const auto regions = TextRegions(ch);
  const auto d = test::Compare(WithoutText(*expected, regions), WithoutText(actual, regions),
                               test::OutputDir() + "/default_chart_40_ticks_diff.png");
  EXPECT_EQ(d.count, 0) << "outside text: " << d.Describe() << " (diff in " << test::OutputDir() << ")";
  for (const auto& r : regions) {
    EXPECT_EQ(InkOf(*expected, r.rc, r.ink), InkOf(actual, r.rc, r.ink)) << r.name;
  }
}

// The same scene drawn twice gives the same pixels: no state leaks between engines.
TEST(ChartReference, TheSceneIsReproducible) {
  int ch = 0;
  const Image a = DrawScene(&ch);
  const Image b = DrawScene(&ch);
  const auto d = test::Compare(a, b);
  EXPECT_EQ(d.count, 0) << d.Describe();
}

}  // namespace
}  // namespace kavrin

// The tick: scroll widths, the new strip with its grid, segments, point pictures, value
// tips, phase and invalidation.
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/errors.h"
#include "chart/line_chart.h"
#include "common/image_decode.h"
#include "common/vb_error.h"
#include "draw/std_picture.h"
#include "tests/chart/chart_harness.h"
#include "tests/support/pixels.h"

namespace kavrin {
namespace {

using test::ChartSettings;
using test::ChartSurface;
using test::Configure;
using test::InkBox;

constexpr COLORREF kBlack = 0;
constexpr COLORREF kGreen = 0x008000;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;

using kavrin::test::ErrorOf;

// Distinct marker colours for the columns of one row, to follow them through a scroll.
COLORREF Marker(int x) { return RGB(200, x & 0xFF, 7); }

class ChartTick : public ::testing::Test {
 protected:
  void SetUp() override {
    Configure(chart, surf, set);
    chart.Start();
  }
  void MarkRow(int y, int fromX, int toX) {
    for (int x = fromX; x <= toX; ++x) SetPixel(surf.dc, x, y, Marker(x));
  }
  ChartSurface surf{320, 240};
  ChartSettings set;
  cLineChart chart;
};

TEST_F(ChartTick, FirstTickScrollsFiveThenEveryTickNine) {
  // The default chart: grid step 19.1, s = 19, half = 9; the first tick scrolls
  // round(19.1 - 281 Mod 19 + 1) = 5.
  MarkRow(100, 200, 300);
  chart.Movie();
  for (int x = 195; x <= 291; ++x) EXPECT_EQ(surf.Px(x, 100), Marker(x + 5)) << "x " << x;
  for (int x = 292; x <= 300; ++x) {
    EXPECT_EQ(surf.Px(x, 100), x == 299 ? kGreen : kBlack) << "strip x " << x;
  }
  EXPECT_EQ(surf.Px(301, 100), surf.Px(301, 101));  // right of the plot: untouched

  MarkRow(100, 200, 300);
  chart.Movie();
  for (int x = 191; x <= 291; ++x) EXPECT_EQ(surf.Px(x, 100), Marker(x + 9)) << "x " << x;
  for (int x = 292; x <= 300; ++x) EXPECT_EQ(surf.Px(x, 100), kBlack) << "strip x " << x;
}

TEST_F(ChartTick, TimeLinesMoveAndNewOnesComeEverySecondTick) {
  // Full repaint: time lines at 20, 39, ..., 268. After tick 1 they stand 5 further left
  // and a new one is at 299; ticks 2 and 3 move everything by 9 and tick 3 adds one more.
  EXPECT_EQ(surf.Px(268, 150), kGreen);
  chart.Movie();
  EXPECT_EQ(surf.Px(263, 150), kGreen);
  EXPECT_EQ(surf.Px(299, 150), kGreen);
  chart.Movie();
  EXPECT_EQ(surf.Px(254, 150), kGreen);
  EXPECT_EQ(surf.Px(290, 150), kGreen);
  EXPECT_EQ(surf.Px(299, 150), kBlack);
  chart.Movie();
  EXPECT_EQ(surf.Px(281, 150), kGreen);
  EXPECT_EQ(surf.Px(299, 150), kGreen);
  for (int x = 282; x <= 298; ++x) EXPECT_EQ(surf.Px(x, 150), kBlack) << x;  // 18 apart
  // The time line covers rows Top to Bottom - 1 of the strip.
  EXPECT_EQ(surf.Px(299, 20), kGreen);
  EXPECT_EQ(surf.Px(299, 209), kGreen);
}

TEST_F(ChartTick, StripGridSegmentsRunFrom291ToTheRightEdge) {
  const int rows[] = {210, 191, 172, 153, 134, 115, 95, 76, 57, 38, 19};
  for (int y : rows) MarkRow(y, 280, 300);
  chart.Movie();
  for (int y : rows) {
    for (int x = 291; x <= 300; ++x) EXPECT_EQ(surf.Px(x, y), kGreen) << x << "," << y;
    EXPECT_NE(surf.Px(301, y), kGreen) << "end pixel at row " << y;
  }
  // Row 19 lies above the plot: it is not scrolled, only drawn over.
  EXPECT_EQ(surf.Px(290, 19), Marker(290));
  EXPECT_EQ(surf.Px(290, 191), Marker(295));
  // Between grid rows the strip is plain background.
  EXPECT_EQ(surf.Px(295, 190), kBlack);
  EXPECT_EQ(surf.Px(295, 192), kBlack);
}

TEST_F(ChartTick, TicksLeaveEverythingOutsideThePlotAlone) {
  const auto before = test::Capture(surf.dc, 320, 240);
  for (int i = 0; i < 5; ++i) chart.Movie();
  const auto after = test::Capture(surf.dc, 320, 240);
  int changedOutside = 0;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      const bool inPlot = x >= 20 && x <= 300 && y >= 20 && y <= 210;
      if (!inPlot && before.at(x, y) != after.at(x, y)) ++changedOutside;
    }
  }
  // Only the strip's grid segment on row 19, above the plot, may be redrawn (in place).
  EXPECT_EQ(changedOutside, 0);
}

// A 31 x 31 white square: wider than the strip, so half of it would reach past the plot.
PictureRef WidePicture() {
  DecodedImage img;
  img.width = 31;
  img.height = 31;
  img.pixels.assign(31 * 31, 0xFFFFFF);
  return StdPicture::FromImage(img);
}

TEST_F(ChartTick, LongTipsAndWidePicturesStopAtThePlotsRightEdge) {
  chart.AddLine("tips", static_cast<Long>(kRed), nullptr, True, 0x00FFFF);
  chart.AddLine("wide", static_cast<Long>(kBlue), WidePicture());
  const auto before = test::Capture(surf.dc, 320, 240);
  for (int i = 0; i < 5; ++i) {
    chart.SetValue(1, 12.3456789 + i);
    chart.SetValue(2, -20);
    chart.Movie();
  }
  const auto after = test::Capture(surf.dc, 320, 240);
  for (int y = 0; y < 240; ++y) {
    for (int x = 301; x < 320; ++x) ASSERT_EQ(before.at(x, y), after.at(x, y)) << x << "," << y;
  }
  // Inside the plot both reach the right edge: the picture (rows 138 to 168) and the
  // tip's text up to column 300.
  EXPECT_EQ(surf.Px(300, 150), 0xFFFFFFu);
  EXPECT_FALSE(InkBox(surf, RECT{292, 20, 301, 138}, 0x00FFFF).Empty());
}

// Values beyond Min and Max: segments leave the plot, pictures and tips stick out at its
// top and bottom. Only the plot may change; the margins would keep any blot for good.
TEST_F(ChartTick, ValuesOutsideTheRangeNeverPaintOutsideThePlot) {
  chart.AddLine("tips", static_cast<Long>(kRed), nullptr, True, 0x00FFFF);
  chart.AddLine("wide", static_cast<Long>(kBlue), WidePicture(), True, 0x00FF00);
  chart.AddLine("far", static_cast<Long>(kGreen));
  const double near[] = {55, 58, -52, 56, -57, 54};
  const auto before = test::Capture(surf.dc, 320, 240);
  for (int i = 0; i < 12; ++i) {
    chart.SetValue(1, near[i % 6]);
    chart.SetValue(2, -near[(i + 1) % 6]);
    chart.SetValue(3, i % 2 ? 1e6 : -1e6);
    chart.Movie();
  }
  const auto after = test::Capture(surf.dc, 320, 240);
  int changedOutside = 0;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      const bool inPlot = x >= 20 && x <= 300 && y >= 20 && y <= 210;
      if (!inPlot && before.at(x, y) != after.at(x, y)) ++changedOutside;
    }
  }
  EXPECT_EQ(changedOutside, 0);
  // Inside, the drawings reach the plot's top and bottom rows.
  EXPECT_FALSE(InkBox(surf, RECT{20, 20, 301, 21}, 0xFFFFFF).Empty());
  EXPECT_FALSE(InkBox(surf, RECT{20, 210, 301, 211}, kGreen).Empty());
}

TEST_F(ChartTick, TickInvalidatesThePlotWithoutErasingAndFlipsThePhase) {
  surf.sink.calls.clear();
  chart.Movie();
  ASSERT_EQ(surf.sink.calls.size(), 1u);
  const auto& inv = surf.sink.calls.back();
  EXPECT_FALSE(inv.whole);
  EXPECT_FALSE(inv.erase);
  EXPECT_EQ(inv.rc.left, 20);
  EXPECT_EQ(inv.rc.top, 20);
  EXPECT_EQ(inv.rc.right, 301);
  EXPECT_EQ(inv.rc.bottom, 211);
  EXPECT_EQ(chart.bTickPhase(), False);
  EXPECT_EQ(chart.bFirstTick(), False);
  chart.Movie();
  EXPECT_EQ(chart.bTickPhase(), True);
}

TEST_F(ChartTick, SegmentsRunFromTheStripEdgeToTheNewRow) {
  chart.AddLine("a", static_cast<Long>(kRed));
  chart.SetValue(1, 0);  // row round(210 - 95.5) = 114 (half to even)
  ASSERT_EQ(chart.Line(1).CurY, 114);
  chart.Movie();
  // From (291, 210), the bottom row, to (300, 114), the end pixel left out.
  EXPECT_EQ(surf.Px(291, 210), kRed);
  EXPECT_NE(surf.Px(300, 114), kRed);
  for (int x = 291; x <= 299; ++x) {
    const auto col = InkBox(surf, RECT{x, 20, x + 1, 211}, kRed);
    EXPECT_FALSE(col.Empty()) << "column " << x;
  }
  EXPECT_EQ(chart.Line(1).PrevY, 114);
  EXPECT_DOUBLE_EQ(chart.Line(1).PrevValue, 0);

  // The next value continues from the last drawn row, scrolled by 9.
  chart.SetValue(1, 10);  // round(210 - 114.6) = 95
  chart.Movie();
  EXPECT_EQ(surf.Px(291, 114), kRed);
  EXPECT_EQ(InkBox(surf, RECT{292, 20, 301, 211}, kRed).top, 96);
}

TEST_F(ChartTick, ALineWithoutValuesLeavesAGap) {
  chart.AddLine("a", static_cast<Long>(kRed));
  chart.SetValue(1, 0);
  chart.Movie();
  const RECT plot{20, 20, 301, 211};
  const auto afterFirst = InkBox(surf, plot, kRed);
  for (int i = 0; i < 3; ++i) chart.Movie();  // no values: nothing new is drawn
  const auto moved = InkBox(surf, plot, kRed);
  EXPECT_EQ(moved.left, afterFirst.left - 27);
  EXPECT_EQ(moved.right, afterFirst.right - 27);
  chart.SetValue(1, 0);
  chart.Movie();
  // The new segment starts at the old row at the strip's edge, not at the scrolled point.
  EXPECT_EQ(surf.Px(291, 114), kRed);
  for (int x = moved.right - 9 + 1; x < 291; ++x) EXPECT_NE(surf.Px(x, 114), kRed) << x;
}

TEST(ChartTickNegative, ANegativeGridStepScrollsRightWithinThePlot) {
  ChartSurface surf(320, 240);
  ChartSettings set;
  set.valueSpace = -10;  // grid step -19.1: no grid, no labels; ticks scroll to the right
  set.work = RECT{20, 20, 260, 210};
  cLineChart c;
  Configure(c, surf, set);
  c.Start();
  for (int x = 20; x <= 60; ++x) SetPixel(surf.dc, x, 100, Marker(x));
  const auto before = test::Capture(surf.dc, 320, 240);
  c.Movie();  // first tick: round(-19.1 - 241 Mod -19 + 1) = -31
  for (int x = 20; x <= 60; ++x) EXPECT_EQ(surf.Px(x + 31, 100), Marker(x)) << x;
  // The copy ends at the plot's right edge: the margin right of it is untouched from
  // x 272 on (the strip of a negative step, just right of the plot, lies outside it too).
  const auto after = test::Capture(surf.dc, 320, 240);
  for (int y = 0; y < 240; ++y) {
    for (int x = 272; x < 320; ++x) ASSERT_EQ(before.at(x, y), after.at(x, y)) << x << "," << y;
  }
}

TEST(ChartTickErrors, TickBeforeStartIsDivisionByZeroEveryTime) {
  cLineChart c;
  EXPECT_EQ(ErrorOf([&] { c.Movie(); }), err::kDivisionByZero);
  EXPECT_EQ(ErrorOf([&] { c.Movie(); }), err::kDivisionByZero);
  EXPECT_EQ(c.bFirstTick(), True);
  EXPECT_EQ(c.bTickPhase(), True);
}

TEST(ChartTickSmallGrid, AGridStepOfOnePixelDoesNotScroll) {
  ChartSurface surf(320, 240);
  ChartSettings set;
  set.min = 0;
  set.max = 1910;  // scale 0.1, grid step 1: s = 1, half = 0
  set.valueLines = False;
  set.timeLines = False;
  cLineChart c;
  Configure(c, surf, set);
  c.Start();
  c.AddLine("a", static_cast<Long>(kRed));
  c.Movie();  // the first tick scrolls round(1 - 0 + 1) = 2
  SetPixel(surf.dc, 200, 100, kBlue);
  c.SetValue(1, 950);  // row 115
  c.Movie();
  EXPECT_EQ(surf.Px(200, 100), kBlue);  // no scroll
  // A vertical stroke at the right edge from the bottom row up to (not including) 115.
  const auto ink = InkBox(surf, RECT{20, 20, 301, 211}, kRed);
  EXPECT_EQ(ink.left, 300);
  EXPECT_EQ(ink.right, 300);
  EXPECT_EQ(ink.top, 116);
  EXPECT_EQ(ink.bottom, 210);
}

// A 5 x 5 point picture: a blue plus on magenta, so the keyed copy leaves the corners.
PictureRef PlusPicture() {
  DecodedImage img;
  img.width = 5;
  img.height = 5;
  img.pixels.assign(25, 0xFF00FF);
  for (int i = 0; i < 5; ++i) {
    img.pixels[2 * 5 + i] = 0x0000FF;  // 0x00RRGGBB: blue
    img.pixels[i * 5 + 2] = 0x0000FF;
  }
  return StdPicture::FromImage(img);
}

TEST_F(ChartTick, PointPictureIsCentredOnTheSegmentStartAndKeptInsideThePlot) {
  chart.AddLine("pic", static_cast<Long>(kRed), PlusPicture());
  EXPECT_EQ(chart.Line(1).HasPointPic, True);
  chart.SetValue(1, 0);
  chart.Movie();
  // The start (291, 210) lies on the bottom row: it is lifted to 210 - 5 \ 2 = 208, and
  // the plus is centred there.
  EXPECT_EQ(InkBox(surf, RECT{280, 195, 301, 215}, kBlue), (test::Box{289, 206, 293, 210}));
  EXPECT_EQ(surf.Px(289, 206), kBlack);  // magenta corner: transparent

  chart.SetValue(1, 10);
  chart.Movie();
  // The second segment starts at (291, 114): the plus is centred on it.
  const auto plus = InkBox(surf, RECT{285, 100, 301, 130}, kBlue);
  EXPECT_EQ(plus.left, 289);
  EXPECT_EQ(plus.right, 293);
  EXPECT_EQ(plus.top, 112);
  EXPECT_EQ(plus.bottom, 116);
}

TEST_F(ChartTick, TipsShowThePreviousValueAwayFromTheSegment) {
  const COLORREF tip = RGB(255, 255, 0);
  chart.AddLine("tips", static_cast<Long>(kRed), nullptr, True, static_cast<Long>(tip));
  chart.SetValue(1, 0);
  chart.Movie();
  // First tick: the previous value 0 at the bottom row. The line rises, so the tip goes
  // below the point, and is moved up to end one border width above the bottom row.
  const int ch = chart.iMeasureCharH();
  const int cw = chart.iMeasureCharW();
  RECT below{291 - cw / 2, 209 - ch, 291 + cw / 2 + 2, 209};
  auto ink = InkBox(surf, RECT{250, 20, 301, 211}, tip);
  ASSERT_FALSE(ink.Empty());
  EXPECT_GE(ink.left, below.left);
  EXPECT_LT(ink.right, below.right);
  EXPECT_GE(ink.top, below.top);
  EXPECT_LT(ink.bottom, below.bottom);

  // Second tick: from row 114 the line falls to row 162 (value -25): the tip "0" goes
  // above the point at (291, 114).
  chart.SetValue(1, -25);
  chart.Movie();
  RECT above{291 - cw / 2, 114 - ch, 291 + cw / 2 + 2, 114};
  ink = InkBox(surf, RECT{285, 20, 301, 150}, tip);
  ASSERT_FALSE(ink.Empty());
  EXPECT_GE(ink.left, above.left);
  EXPECT_LT(ink.right, above.right);
  EXPECT_GE(ink.top, above.top);
  EXPECT_LT(ink.bottom, above.bottom);

  // Third tick: the line rises from 162: the tip "-25" goes below the point.
  chart.SetValue(1, 25);
  chart.Movie();
  const int tw = 3 * cw;
  RECT under{291 - tw / 2, 162, 291 + tw / 2 + 2, 162 + ch};
  ink = InkBox(surf, RECT{270, 150, 301, 190}, tip);
  ASSERT_FALSE(ink.Empty());
  EXPECT_GE(ink.left, under.left);
  EXPECT_LT(ink.right, under.right);
  EXPECT_GE(ink.top, under.top);
  EXPECT_LT(ink.bottom, under.bottom);
}

}  // namespace
}  // namespace kavrin

// The full repaint: border, background, grids, value scale, unit, title and legend.
#include <gtest/gtest.h>

#include <functional>

#include "chart/line_chart.h"
#include "common/vb_error.h"
#include "tests/chart/chart_harness.h"
#include "tests/support/pixels.h"

namespace kavrin {
namespace {

using test::ChartSettings;
using test::ChartSurface;
using test::Configure;
using test::InkBox;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0;
constexpr COLORREF kGreen = 0x008000;
constexpr COLORREF kGrey = 0x808080;
constexpr COLORREF kScale = 192;

const int kValueRows[] = {210, 191, 172, 153, 134, 115, 95, 76, 57, 38, 19};
const int kTimeColumns[] = {20, 39, 58, 77, 96, 115, 135, 154, 173, 192, 211, 230, 249, 268};

class ChartPaint : public ::testing::Test {
 protected:
  void Begin() {
    Configure(chart, surf, set);
    chart.Start();
  }
  ChartSurface surf{320, 240};
  ChartSettings set;
  cLineChart chart;
};

TEST_F(ChartPaint, ValueGridCoversTheWidthAndTimeGridStopsAboveTheBottomRow) {
  Begin();
  for (int y : kValueRows) {
    for (int x = 20; x <= 300; ++x) ASSERT_EQ(surf.Px(x, y), kGreen) << x << "," << y;
    EXPECT_NE(surf.Px(301, y), kGreen) << "row " << y;
  }
  int columns = 0;
  for (int x = 20; x <= 300; ++x) columns += surf.Px(x, 100) == kGreen ? 1 : 0;
  EXPECT_EQ(columns, 14);
  for (int x : kTimeColumns) {
    EXPECT_EQ(surf.Px(x, 20), kGreen) << x;
    EXPECT_EQ(surf.Px(x, 100), kGreen) << x;
    EXPECT_EQ(surf.Px(x, 209), kGreen) << x;
  }
  // The background covers the plot including its right column and bottom row.
  EXPECT_EQ(surf.Px(300, 209), kBlack);
  EXPECT_EQ(surf.Px(299, 210), kGreen);
  EXPECT_EQ(surf.Px(21, 21), kBlack);
  EXPECT_EQ(surf.Px(301, 150), kWhite);
  EXPECT_EQ(surf.Px(150, 211), kWhite);
}

TEST_F(ChartPaint, BorderFollowsTheFrameFromTheOrigin) {
  Begin();
  for (int x : {0, 160, 319}) {
    EXPECT_EQ(surf.Px(x, 0), kGrey) << x;
    EXPECT_EQ(surf.Px(x, 239), kGrey) << x;
  }
  for (int y : {0, 120, 239}) {
    EXPECT_EQ(surf.Px(0, y), kGrey) << y;
    EXPECT_EQ(surf.Px(319, y), kGrey) << y;
  }
  EXPECT_EQ(surf.Px(160, 1), kWhite);
  EXPECT_EQ(surf.Px(1, 120), kWhite);
}

TEST(ChartPaintBorder, WideBorderIsCentredOnInsetLinesAndZeroDrawsNone) {
  ChartSurface wide(320, 240);
  ChartSettings set;
  set.borderWidth = 3;
  cLineChart c;
  Configure(c, wide, set);
  c.Start();
  // h = 1: lines along row 1, column 1, column 318 and row 238, 3 pixels wide.
  for (int y = 0; y <= 2; ++y) EXPECT_EQ(wide.Px(160, y), kGrey) << y;
  EXPECT_EQ(wide.Px(160, 3), kWhite);
  for (int x = 317; x <= 319; ++x) EXPECT_EQ(wide.Px(x, 120), kGrey) << x;
  EXPECT_EQ(wide.Px(316, 120), kWhite);
  for (int y = 237; y <= 239; ++y) EXPECT_EQ(wide.Px(160, y), kGrey) << y;

  ChartSurface none(320, 240);
  set.borderWidth = 0;
  cLineChart n;
  Configure(n, none, set);
  n.Start();
  EXPECT_EQ(none.Px(160, 0), kWhite);
  EXPECT_EQ(none.Px(0, 120), kWhite);
}

TEST_F(ChartPaint, ScaleTicksAndLabelsSitOnTheGridRows) {
  Begin();
  const int cw = chart.iMeasureCharW();
  const int ch = chart.iMeasureCharH();
  const int labelX = 20 - 5 - 3 * cw;
  for (int y : kValueRows) {
    for (int x = 17; x <= 19; ++x) EXPECT_EQ(surf.Px(x, y), kScale) << x << "," << y;
  }
  // Label tops: 204, 185, ..., 13 (row - 6), each label's ink inside its cell.
  const int tops[] = {204, 185, 166, 147, 128, 109, 89, 70, 51, 32, 13};
  for (int i = 0; i <= 10; ++i) {
    const auto ink = InkBox(surf, RECT{0, tops[i], 17, tops[i] + ch}, kScale);
    ASSERT_FALSE(ink.Empty()) << "label " << i;
    EXPECT_GE(ink.left, labelX) << "label " << i;
  }
  // Nothing of the scale colour between two labels' cells (rows 13 + ch .. 31).
  EXPECT_TRUE(InkBox(surf, RECT{0, 13 + ch, 17, 32}, kScale).Empty());
  // No extra top label: the last grid row 19 is not below the plot's top row.
  EXPECT_TRUE(InkBox(surf, RECT{0, 0, 17, 13}, kScale).Empty());
  // "-50" is wider than "0".
  const auto minus50 = InkBox(surf, RECT{0, 204, 17, 204 + ch}, kScale);
  const auto zero = InkBox(surf, RECT{0, 109, 17, 109 + ch}, kScale);
  EXPECT_GT(minus50.right - minus50.left, zero.right - zero.left);
}

TEST_F(ChartPaint, ACoarseGridLabelsTheTopOnceMore) {
  set.valueSpace = 30;  // grid step 57.3: rows 210, 153, 95, 38; the top gets "50" too
  Begin();
  for (int y : {210, 153, 95, 38, 20}) {
    for (int x = 17; x <= 19; ++x) EXPECT_EQ(surf.Px(x, y), kScale) << x << "," << y;
  }
  const int ch = chart.iMeasureCharH();
  EXPECT_FALSE(InkBox(surf, RECT{0, 14, 17, 14 + ch}, kScale).Empty());
  EXPECT_FALSE(InkBox(surf, RECT{0, 32, 17, 32 + ch}, kScale).Empty());
}

TEST_F(ChartPaint, ScaleOnBothSidesDrawsTicksAndLabelsTwice) {
  set.work = RECT{30, 20, 280, 210};
  set.measurePos = 2;
  Begin();
  for (int y : {210, 191, 19}) {
    for (int x = 27; x <= 29; ++x) EXPECT_EQ(surf.Px(x, y), kScale) << x << "," << y;
    for (int x = 281; x <= 283; ++x) EXPECT_EQ(surf.Px(x, y), kScale) << x << "," << y;
    EXPECT_NE(surf.Px(284, y), kScale);
  }
  const int ch = chart.iMeasureCharH();
  EXPECT_FALSE(InkBox(surf, RECT{0, 204, 27, 204 + ch}, kScale).Empty());
  EXPECT_GE(InkBox(surf, RECT{284, 204, 320, 204 + ch}, kScale).left, 285);
}

TEST_F(ChartPaint, UnitReadsUpwardsCentredOnThePlot) {
  set.work = RECT{60, 20, 300, 210};
  set.unit = "mV";
  Begin();
  const RECT& u = chart.rcUnit();
  const int len = 2 * chart.iUnitCharW();
  const int start = 210 - (191 - len) / 2;  // the text runs up from here
  // The label column (x >= 40) holds the labels; the unit is left of it.
  const auto unit = InkBox(surf, RECT{0, 0, 38, 240}, kScale);
  ASSERT_FALSE(unit.Empty());
  EXPECT_GE(unit.left, u.left);
  EXPECT_LT(unit.right, u.left + chart.iUnitCharH());
  // Ink starts at the reference row (a glyph's side bearing at most a few pixels above).
  EXPECT_LE(unit.bottom, start);
  EXPECT_GE(unit.bottom, start - 4);
  EXPECT_GE(unit.top, start - 3 * len);
  EXPECT_GT(unit.bottom - unit.top, unit.right - unit.left);  // taller than wide
}

TEST_F(ChartPaint, BottomTitleIsCentredAndInvalidatedWithErasing) {
  Begin();
  const auto title = InkBox(surf, RECT{1, 211, 319, 239}, kBlack);
  ASSERT_FALSE(title.Empty());
  EXPECT_NEAR((title.left + title.right) / 2.0, 160, 3);
  EXPECT_NEAR((title.top + title.bottom) / 2.0, 225, 3);
  bool found = false;
  for (const auto& c : surf.sink.calls) {
    if (c.rc.left == 0 && c.rc.top == 211 && c.rc.right == 319 && c.rc.bottom == 239 && c.erase) found = true;
  }
  EXPECT_TRUE(found);
}

TEST_F(ChartPaint, LeftTitleReadsUpwardsInItsColumn) {
  set.titlePos = 0;
  set.measurePos = 1;
  Begin();
  // With the default fonts the text starts at row 162 and runs up to row 77, in the
  // column from x 3 over the cell height.
  const RECT& t = chart.rcTitle();
  const int h = chart.iTitleCharH();
  const int tw = 17 * chart.iTitleCharW();
  const auto ink = InkBox(surf, RECT{1, 1, 20, 239}, kBlack);
  ASSERT_FALSE(ink.Empty());
  EXPECT_GE(ink.left, t.left);
  EXPECT_LT(ink.right, t.left + h);
  EXPECT_LE(ink.bottom, t.bottom - h + 1);
  EXPECT_GE(ink.top, t.bottom - h - tw - 3);
  EXPECT_GT(ink.bottom - ink.top, 3 * (ink.right - ink.left));
}

TEST_F(ChartPaint, LegendEntriesStackBelowThePlotTopAndOnlyTheLastIsInvalidated) {
  set.work = RECT{20, 20, 240, 210};  // room for the keys at the right
  set.cutLineFont = std::make_shared<StdFont>("MS Sans Serif", 8.25);
  Begin();
  const int ch = chart.iCutCharH();
  ASSERT_EQ(ch, 13);
  chart.AddLine("one", 0x0000FF);
  surf.sink.calls.clear();
  chart.AddLine("two", 0xFF0000);
  // Boxes at rows 20 + i * (ch + 2) for ch rows: 35-47 and 50-62 with a cell of 13.
  for (int x = 245; x <= 252; ++x) {
    EXPECT_EQ(surf.Px(x, 20 + (ch + 2)), 0x0000FFu) << x;
    EXPECT_EQ(surf.Px(x, 20 + (ch + 2) + ch - 1), 0x0000FFu) << x;
    EXPECT_EQ(surf.Px(x, 20 + 2 * (ch + 2)), 0xFF0000u) << x;
    EXPECT_EQ(surf.Px(x, 20 + 2 * (ch + 2) + ch - 1), 0xFF0000u) << x;
    EXPECT_EQ(surf.Px(x, 20 + (ch + 2) + ch), kWhite) << x;
  }
  EXPECT_EQ(surf.Px(253, 20 + (ch + 2)), kWhite);
  // Keys in the title colour, from x 255.
  const auto keys = InkBox(surf, RECT{253, 20, 319, 211}, kBlack);
  ASSERT_FALSE(keys.Empty());
  EXPECT_GE(keys.left, 255);
  EXPECT_GE(keys.top, 20 + (ch + 2));
  EXPECT_LT(keys.bottom, 20 + 3 * (ch + 2));
  ASSERT_EQ(surf.sink.calls.size(), 2u);
  const RECT& box = surf.sink.calls[0].rc;
  const RECT& text = surf.sink.calls[1].rc;
  EXPECT_EQ(box.left, 245);
  EXPECT_EQ(box.top, 20 + 2 * (ch + 2));
  EXPECT_EQ(box.right, 253);
  EXPECT_EQ(box.bottom, 20 + 2 * (ch + 2) + ch);
  EXPECT_EQ(text.left, 255);
  EXPECT_EQ(text.right, 314);
  EXPECT_TRUE(surf.sink.calls[0].erase);
}

TEST(ChartPaintErrors, AGridStepBelowHalfAPixelStopsAfterBorderAndBackground) {
  ChartSurface surf(320, 240);
  ChartSettings set;
  set.min = 0;
  set.max = 4775;  // scale 0.04, grid step 0.4
  cLineChart c;
  Configure(c, surf, set);
  try {
    c.Start();
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kDivisionByZero);
  }
  EXPECT_EQ(surf.Px(0, 0), kGrey);
  EXPECT_EQ(surf.Px(100, 100), kBlack);
  EXPECT_TRUE(InkBox(surf, RECT{0, 0, 20, 240}, kScale).Empty());
}

TEST(ChartPaintRepeat, ReDrawPaintsTheSamePixelsAndWipesTheHistory) {
  ChartSurface a(320, 240);
  ChartSurface b(320, 240);
  ChartSettings set;
  set.work = RECT{20, 20, 240, 210};
  cLineChart ca;
  cLineChart cb;
  Configure(ca, a, set);
  Configure(cb, b, set);
  ca.Start();
  cb.Start();
  ca.AddLine("x", 0x00FFFF);
  cb.AddLine("x", 0x00FFFF);
  for (int i = 0; i < 12; ++i) {
    ca.SetValue(1, i * 3.0);
    ca.Movie();
  }
  ca.ReDraw();
  cb.ReDraw();
  const auto pa = test::Capture(a.dc, 320, 240);
  const auto pb = test::Capture(b.dc, 320, 240);
  auto diff = test::Compare(pb, pa, test::OutputDir() + "/redraw_diff.png");
  EXPECT_EQ(diff.count, 0) << diff.Describe();
  ca.ReDraw();
  const auto again = test::Capture(a.dc, 320, 240);
  diff = test::Compare(pa, again);
  EXPECT_EQ(diff.count, 0) << diff.Describe();
}

}  // namespace
}  // namespace kavrin

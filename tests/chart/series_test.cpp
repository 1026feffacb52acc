// Scale, grid step and the value-to-row map; the line table; the setters' guards.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "tests/support/errors.h"
#include "chart/line_chart.h"
#include "common/vb_error.h"
#include "tests/chart/chart_harness.h"

namespace kavrin {
namespace {

using test::ChartSettings;
using test::ChartSurface;
using test::Configure;

using kavrin::test::ErrorOf;

class ChartScale : public ::testing::Test {
 protected:
  // Min 0, Max 100 on a plot 200 rows high: 2 pixels per value unit at zoom 1.
  void StartHundred(double zoom = 1, double min = 0, double max = 100) {
    set.work = RECT{20, 20, 300, 219};
    set.zoom = zoom;
    set.min = min;
    set.max = max;
    Configure(chart, surf, set);
    chart.Start();
  }
  ChartSurface surf{320, 260};
  ChartSettings set;
  cLineChart chart;
};

TEST_F(ChartScale, DefaultChartHasScale191AndGridStep191) {
  set.work = RECT{20, 20, 300, 210};
  Configure(chart, surf, set);
  chart.Start();
  EXPECT_EQ(chart.lWorkHeight(), 191);
  EXPECT_EQ(chart.lWorkWidth(), 281);
  EXPECT_DOUBLE_EQ(chart.dRange(), 100);
  EXPECT_DOUBLE_EQ(chart.dScale(), 1.91);
  EXPECT_DOUBLE_EQ(chart.dGridStep(), 19.1);
}

TEST_F(ChartScale, ValuesLandOnRowsWithTiesToEven) {
  StartHundred();
  ASSERT_DOUBLE_EQ(chart.dScale(), 2);
  chart.AddLine("a", 0xFF);
  struct Case {
    double v;
    Long row;
  };
  // 0.25 and 0.75 compute 218.5 and 217.5: both land on the even row 218.
  for (Case c : {Case{25, 169}, Case{0, 219}, Case{100, 19}, Case{0.25, 218}, Case{0.75, 218},
                 Case{-10, 239}, Case{150, -81}}) {
    chart.SetValue(1, c.v);
    EXPECT_EQ(chart.Line(1).CurY, c.row) << "value " << c.v;
  }
}

TEST_F(ChartScale, ZoomTwoDoublesTheScale) {
  StartHundred(2);
  EXPECT_DOUBLE_EQ(chart.dScale(), 4);
  EXPECT_DOUBLE_EQ(chart.dGridStep(), 40);
  chart.AddLine("a", 0xFF);
  chart.SetValue(1, 50);
  EXPECT_EQ(chart.Line(1).CurY, 19);
  chart.SetValue(1, 100);
  EXPECT_EQ(chart.Line(1).CurY, -181);
}

TEST_F(ChartScale, MaxBelowMinGivesTheSwappedScaleAndRowsBelowThePlot) {
  StartHundred(1, 100, 0);
  EXPECT_DOUBLE_EQ(chart.dRange(), 100);
  EXPECT_DOUBLE_EQ(chart.dScale(), 2);
  chart.AddLine("a", 0xFF);
  chart.SetValue(1, 50);
  EXPECT_EQ(chart.Line(1).CurY, 319);
}

TEST_F(ChartScale, ZoomOnlyTakesPositiveValues) {
  chart.Zoom(2);
  chart.Zoom(0);
  chart.Zoom(-1);
  chart.Zoom(std::numeric_limits<double>::quiet_NaN());
  EXPECT_DOUBLE_EQ(chart.dZoom(), 2);
}

TEST_F(ChartScale, UnsetZoomGivesScaleZeroAndAGridThatCannotBeDrawn) {
  set.work = RECT{20, 20, 300, 219};
  // A new engine whose zoom was never set to a positive value: scale 0, grid step 0, and
  // the first grid drawing of the repaint divides by zero.
  cLineChart noZoom;
  noZoom.BindDc(surf.Dc());
  noZoom.BindWnd(surf.Wnd());
  noZoom.WorkRc(set.work);
  noZoom.FrameRc(set.frame);
  noZoom.Min(0);
  noZoom.Max(100);
  noZoom.VerValueSpace(10);
  noZoom.bValueLineDsip(True);
  EXPECT_EQ(ErrorOf([&] { noZoom.Start(); }), err::kDivisionByZero);
  EXPECT_DOUBLE_EQ(noZoom.dScale(), 0);
  noZoom.AddLine("a", 0xFF);
  noZoom.SetValue(1, 75);
  EXPECT_EQ(noZoom.Line(1).CurY, 219);
}

TEST_F(ChartScale, MaxEqualToMinFailsWithDivisionByZeroAndKeepsTheScale) {
  StartHundred();
  chart.Max(0);
  EXPECT_EQ(ErrorOf([&] { chart.Start(); }), err::kDivisionByZero);
  EXPECT_DOUBLE_EQ(chart.dRange(), 0);
  EXPECT_DOUBLE_EQ(chart.dScale(), 2);
  EXPECT_DOUBLE_EQ(chart.dGridStep(), 20);
}

TEST_F(ChartScale, ZeroHeightAndZeroRangeIsOverflow) {
  set.work = RECT{20, 20, 300, 19};  // height 0
  set.min = 5;
  set.max = 5;
  Configure(chart, surf, set);
  EXPECT_EQ(ErrorOf([&] { chart.Start(); }), err::kOverflow);
  EXPECT_DOUBLE_EQ(chart.dScale(), 0);
}

TEST_F(ChartScale, FloatingOverflowsAreOverflowErrors) {
  set.valueSpace = 1e308;
  Configure(chart, surf, set);
  EXPECT_EQ(ErrorOf([&] { chart.Start(); }), err::kOverflow);
  EXPECT_DOUBLE_EQ(chart.dScale(), 1.91);
  EXPECT_TRUE(std::isinf(chart.dGridStep()));

  cLineChart wide;
  set.valueSpace = 10;
  set.min = -1e308;
  set.max = 1e308;
  Configure(wide, surf, set);
  EXPECT_EQ(ErrorOf([&] { wide.Start(); }), err::kOverflow);

  cLineChart notANumber;
  set.min = std::numeric_limits<double>::quiet_NaN();
  set.max = 50;
  Configure(notANumber, surf, set);
  EXPECT_EQ(ErrorOf([&] { notANumber.Start(); }), err::kOverflow);
}

TEST(ChartSetters, SidesAndPositionsOutOfRangeKeepThePreviousValue) {
  cLineChart c;
  c.MeasurePos(2);
  c.MeasurePos(3);
  c.MeasurePos(-1);
  EXPECT_EQ(c.iMeasurePos(), 2);
  c.TitlePos(1);
  c.TitlePos(4);
  c.TitlePos(-1);
  EXPECT_EQ(c.iTitlePos(), 1);
}

TEST(ChartSetters, WorkRectangleGivesWidthAndHeightOrOverflow) {
  cLineChart c;
  c.WorkRc(RECT{20, 20, 300, 210});
  EXPECT_EQ(c.lWorkWidth(), 281);
  EXPECT_EQ(c.lWorkHeight(), 191);
  EXPECT_EQ(ErrorOf([&] { c.WorkRc(RECT{-2147483647, 0, 2147483647, 10}); }), err::kOverflow);
}

TEST(ChartSetters, NewEngineStartsInPhaseWithNoLines) {
  cLineChart c;
  EXPECT_EQ(c.LineCount(), 0);
  EXPECT_EQ(c.bTickPhase(), True);
  EXPECT_EQ(c.bFirstTick(), True);
  EXPECT_EQ(c.bExport(), False);
  EXPECT_DOUBLE_EQ(c.dScale(), 0);
  EXPECT_DOUBLE_EQ(c.dGridStep(), 0);
}

class ChartLines : public ChartScale {};

TEST_F(ChartLines, AddLineAppendsAnUnfreshLineStartingAtTheBottomRow) {
  StartHundred();
  EXPECT_EQ(chart.AddLine("first", 0x0000FF, nullptr, True, 0x00FF00), 0);
  EXPECT_EQ(chart.AddLine("second", 0xFF0000), 0);
  ASSERT_EQ(chart.LineCount(), 2);
  const LineData& l = chart.Line(1);
  EXPECT_EQ(l.Key, "first");
  EXPECT_EQ(l.Color, 0x0000FF);
  EXPECT_EQ(l.TipColor, 0x00FF00);
  EXPECT_EQ(l.PrevY, 219);
  EXPECT_EQ(l.CurY, 0);
  EXPECT_NE(l.Fresh, chart.bTickPhase());
  EXPECT_EQ(l.HasPointPic, False);
  EXPECT_EQ(l.DispPointTip, True);
  EXPECT_EQ(chart.Line(2).DispPointTip, False);
  EXPECT_EQ(chart.Line(2).Key, "second");
}

TEST_F(ChartLines, SetValueForUnknownLinesChangesNothing) {
  StartHundred();
  chart.AddLine("a", 1);
  for (Integer id : {Integer{0}, Integer{-1}, Integer{2}, Integer{32767}}) chart.SetValue(id, 42);
  EXPECT_EQ(chart.Line(1).CurY, 0);
  EXPECT_DOUBLE_EQ(chart.Line(1).Value, 0);
  EXPECT_NE(chart.Line(1).Fresh, chart.bTickPhase());
}

TEST_F(ChartLines, SetValueMakesTheLineFreshAndKeepsOnlyTheLastValue) {
  StartHundred();
  chart.AddLine("a", 1);
  chart.SetValue(1, 10);
  chart.SetValue(1, 25);
  EXPECT_EQ(chart.Line(1).Fresh, chart.bTickPhase());
  EXPECT_EQ(chart.Line(1).CurY, 169);
  EXPECT_DOUBLE_EQ(chart.Line(1).Value, 25);
}

TEST_F(ChartLines, ValuesWithoutARowRaiseOverflowAndChangeNothing) {
  StartHundred();
  chart.AddLine("a", 1);
  chart.SetValue(1, 25);
  chart.Movie();  // the line is unfresh again
  const Boolean fresh = chart.Line(1).Fresh;
  for (double bad : {1e12, -1e12, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(ErrorOf([&] { chart.SetValue(1, bad); }), err::kOverflow) << bad;
    EXPECT_EQ(chart.Line(1).CurY, 169);
    EXPECT_DOUBLE_EQ(chart.Line(1).Value, 25);
    EXPECT_EQ(chart.Line(1).Fresh, fresh);
  }
}

TEST(ChartLinesUnstarted, AddLineBeforeStartWorksWithoutASurface) {
  cLineChart c;
  EXPECT_EQ(c.AddLine("early", 0xFF), 0);
  EXPECT_EQ(c.LineCount(), 1);
  c.SetValue(1, 3);
  EXPECT_EQ(c.Line(1).CurY, 0);  // scale 0: the bottom row of an empty work rectangle
}

}  // namespace
}  // namespace kavrin

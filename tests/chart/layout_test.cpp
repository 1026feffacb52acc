// Layout of title, value-scale column, legend and unit for the title and scale sides.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "chart/line_chart.h"
#include "common/vb_error.h"
#include "tests/chart/chart_harness.h"

namespace kavrin {
namespace {

using test::ChartSettings;
using test::ChartSurface;
using test::Configure;

::testing::AssertionResult RectIs(const RECT& r, Long l, Long t, Long rt, Long b) {
  if (r.left == l && r.top == t && r.right == rt && r.bottom == b) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom
                                       << ") instead of (" << l << ", " << t << ", " << rt << ", " << b << ")";
}

class ChartLayout : public ::testing::Test {
 protected:
  void StartWith(Integer titlePos, Integer measurePos) {
    set.titlePos = titlePos;
    set.measurePos = measurePos;
    Configure(chart, surf, set);
    chart.Start();
    cw = chart.iMeasureCharW();
    uh = chart.iUnitCharH();
    h = chart.iTitleCharH();
    tw = static_cast<Long>(set.title.size()) * chart.iTitleCharW();
  }
  ChartSurface surf{320, 240};
  ChartSettings set;
  cLineChart chart;
  Long cw = 0, uh = 0, h = 0, tw = 0;
};

TEST_F(ChartLayout, BottomTitleLeftScaleRightLegend) {
  StartWith(3, 0);
  EXPECT_TRUE(RectIs(chart.rcTitle(), 0, 211, 319, 239));
  EXPECT_EQ(chart.lTitleFormat(), 37);
  EXPECT_EQ(chart.iTitleDegrees(), 0);
  EXPECT_EQ(chart.rcMeasure().left, 15 - 3 * cw);
  EXPECT_EQ(chart.rcMeasure().right, 15);
  EXPECT_EQ(chart.iLegendSide(), 1);
  // The key column is empty with the default right margin of 20.
  EXPECT_TRUE(RectIs(chart.rcLegendBox(), 305, 20, 313, 210));
  EXPECT_TRUE(RectIs(chart.rcLegendText(), 315, 20, 314, 210));
  EXPECT_TRUE(RectIs(chart.rcUnit(), 15 - 3 * cw - 5 - uh, 20, 15 - 3 * cw - 5, 210));
}

TEST_F(ChartLayout, TopTitleTakesTheBandAboveThePlot) {
  StartWith(2, 0);
  EXPECT_TRUE(RectIs(chart.rcTitle(), 0, 0, 319, 19));
  EXPECT_EQ(chart.lTitleFormat(), 37);
}

TEST_F(ChartLayout, LeftTitleWithTheScaleOnTheOtherSideIsCentredAndTurned) {
  StartWith(0, 1);
  // r = (0, 0, 19, 239): Left = 19 \ 2 - h \ 2, Bottom = 239 - (119 - tw \ 2) + h;
  // with the default fonts (3, 0, 19, 175).
  EXPECT_TRUE(RectIs(chart.rcTitle(), 9 - h / 2, 0, 19, 239 - (119 - tw / 2) + h));
  EXPECT_EQ(chart.iTitleDegrees(), 90);
  EXPECT_EQ(chart.lTitleFormat(), 40);
  // Legend at the right, on the scale's side: the boxes follow the labels and are cut
  // at the frame.
  EXPECT_EQ(chart.iLegendSide(), 1);
  EXPECT_EQ(chart.rcMeasure().left, 305);
  EXPECT_EQ(chart.rcMeasure().right, 305 + 3 * cw);
  const Long boxLeft = 305 + 3 * cw + 5;
  const Long boxRight = boxLeft + 8 > 319 ? 318 : boxLeft + 8;
  EXPECT_TRUE(RectIs(chart.rcLegendBox(), boxLeft, 20, boxRight, 210));
  EXPECT_TRUE(RectIs(chart.rcLegendText(), boxRight + 2, 20, 318, 210));
}

TEST_F(ChartLayout, TitleAndScaleOnTheLeftLeaveRoomForLabelsAndUnit) {
  set.unit = "mV";
  StartWith(0, 0);
  // "50" is two characters: Right = 20 - 5 - 2 cw - 1, then 5 + unit height less.
  EXPECT_EQ(chart.rcTitle().right, 20 - 5 - 2 * cw - 1 - 5 - uh);
  // Without a unit only the labels count; Max 0.5 reads "0.5", three characters.
  cLineChart other;
  set.unit = "";
  set.max = 0.5;
  Configure(other, surf, set);
  other.Start();
  EXPECT_EQ(other.rcTitle().right, 20 - 5 - 3 * cw - 1);
}

TEST_F(ChartLayout, RightTitleMovesTheLegendLeft) {
  StartWith(1, 0);
  // r = (301, 0, 319, 239): Left = 301 + 18 \ 2 - h \ 2.
  EXPECT_EQ(chart.rcTitle().left, 301 + 9 - h / 2);
  EXPECT_EQ(chart.rcTitle().bottom, 239 - (119 - tw / 2) + h);
  EXPECT_EQ(chart.iLegendSide(), 0);
  // The scale is on the legend's side: the boxes stop one pixel before the labels.
  const Long labels = 15 - 3 * cw;
  const Long boxRight = 13 > labels ? labels - 1 : 13;
  EXPECT_TRUE(RectIs(chart.rcLegendBox(), 5, 20, boxRight, 210));
  EXPECT_TRUE(RectIs(chart.rcLegendText(), boxRight + 2, 20, labels - 5, 210));
}

TEST_F(ChartLayout, RightTitleWithTheScaleRightReservesTheUnitColumn) {
  set.work = RECT{20, 20, 240, 210};
  set.unit = "mV";
  StartWith(1, 1);
  // The band starts after the labels ("50") and the unit column: 240 + 5 + 2 cw + 1 + 5 + uh.
  const Long start = 240 + 5 + 2 * cw + 1 + 5 + uh;
  EXPECT_EQ(chart.rcTitle().left, start + (319 - start) / 2 - h / 2);
  EXPECT_EQ(chart.rcTitle().right, 319);
  // The unit sits in that reserved room, right of the label column.
  EXPECT_EQ(chart.rcUnit().left, 245 + 3 * cw + 5);
}

TEST_F(ChartLayout, LegendOnTheLeftWithoutTheScaleThere) {
  set.measurePos = 1;
  StartWith(1, 1);
  EXPECT_EQ(chart.iLegendSide(), 0);
  EXPECT_TRUE(RectIs(chart.rcLegendBox(), 5, 20, 13, 210));
  EXPECT_TRUE(RectIs(chart.rcLegendText(), 15, 20, 15, 210));
}

TEST_F(ChartLayout, ScaleOnBothSidesLeavesTheLabelColumnUnset) {
  StartWith(3, 2);
  EXPECT_TRUE(RectIs(chart.rcMeasure(), 0, 0, 0, 0));
  // The legend is placed as for a scale on the other side.
  EXPECT_TRUE(RectIs(chart.rcLegendBox(), 305, 20, 313, 210));
  EXPECT_TRUE(RectIs(chart.rcLegendText(), 315, 20, 314, 210));
}

// The unit column beside the scale: left of the labels for a scale at the left or on
// both sides, right of the labels for a scale at the right (never inside the plot).
TEST_F(ChartLayout, UnitColumnFollowsTheScaleSide) {
  set.work = RECT{60, 20, 250, 210};
  set.unit = "mV";
  StartWith(3, 1);
  EXPECT_TRUE(RectIs(chart.rcUnit(), 255 + 3 * cw + 5, 20, 255 + 3 * cw + 5 + uh, 210));

  cLineChart both;
  set.measurePos = 2;
  Configure(both, surf, set);
  both.Start();
  EXPECT_TRUE(RectIs(both.rcUnit(), 60 - 5 - 3 * cw - 5 - uh, 20, 60 - 5 - 3 * cw - 5, 210));
}

// The unit's column never meets the legend, the title or the labels, for every title
// position and scale side, on a surface wide enough for all of them at either side.
TEST(ChartLayoutUnit, TheUnitKeepsClearOfLegendTitleAndLabels) {
  struct Box {  // half-open [l, r) x [t, b)
    const char* what;
    Long l, t, r, b;
  };
  auto meet = [](const Box& a, const Box& b) { return a.l < b.r && b.l < a.r && a.t < b.b && b.t < a.b; };
  ChartSurface surf(400, 240);
  for (Integer titlePos = 0; titlePos <= 3; ++titlePos) {
    for (Integer measurePos = 0; measurePos <= 2; ++measurePos) {
      SCOPED_TRACE(::testing::Message() << "title " << titlePos << ", scale " << measurePos);
      ChartSettings set = ChartSettings::ForSize(400, 240);
      set.work = RECT{130, 20, 270, 210};
      set.unit = "mV";
      set.titlePos = titlePos;
      set.measurePos = measurePos;
      cLineChart chart;
      Configure(chart, surf, set);
      chart.Start();
      const Long cw = chart.iMeasureCharW(), uh = chart.iUnitCharH(), ch = chart.iCutCharH();
      const RECT& u = chart.rcUnit();
      const Box unit{"unit", u.left, 20, u.left + uh, 211};
      ASSERT_GE(unit.l, 0);
      ASSERT_LE(unit.r, 400);
      std::vector<Box> others;
      if (measurePos != 1) others.push_back({"left labels", 125 - 3 * cw, 0, 125, 240});
      if (measurePos != 0) others.push_back({"right labels", 275, 0, 275 + 3 * cw, 240});
      const RECT& t = chart.rcTitle();
      if (titlePos <= 1) others.push_back({"side title", t.left, 0, t.left + chart.iTitleCharH(), 240});
      else others.push_back({"title band", t.left, t.top, t.right + 1, t.bottom + 1});
      const Long rows0 = 20 + ch + 2, rows1 = 20 + 8 * (ch + 2) + ch;  // eight legend entries
      others.push_back({"legend boxes", chart.rcLegendBox().left, rows0, chart.rcLegendBox().right, rows1});
      others.push_back({"legend keys", chart.rcLegendText().left, rows0, chart.rcLegendText().right, rows1});
      for (const Box& o : others) EXPECT_FALSE(meet(unit, o)) << o.what << " [" << o.l << ", " << o.r << ")";
    }
  }
}

// The reported case: the unit right of the labels at 225, the legend after it.
TEST_F(ChartLayout, AtTheRightTheLegendFollowsTheUnit) {
  set.work = RECT{20, 20, 200, 210};
  set.unit = "mV";
  StartWith(3, 1);
  ASSERT_EQ(cw, 5);
  ASSERT_EQ(uh, 13);
  EXPECT_TRUE(RectIs(chart.rcUnit(), 225, 20, 238, 210));
  EXPECT_TRUE(RectIs(chart.rcLegendBox(), 243, 20, 251, 210));
  EXPECT_TRUE(RectIs(chart.rcLegendText(), 253, 20, 318, 210));
}

TEST_F(ChartLayout, OverflowingPositionsEndStartWithOverflow) {
  set.measureWidth = 20000;  // 20000 x 5 does not fit 16 bits
  Configure(chart, surf, set);
  try {
    chart.Start();
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kOverflow);
  }
  EXPECT_DOUBLE_EQ(chart.dScale(), 0);  // the layout stopped before the scale
}

}  // namespace
}  // namespace kavrin

#include "control/chart_margins.h"

#include <gtest/gtest.h>

#include "common/vb_error.h"

namespace kavrin {
namespace {

void ExpectMargins(const Margins& m, int left, int right, int top, int bottom) {
  EXPECT_EQ(m.left, left);
  EXPECT_EQ(m.right, right);
  EXPECT_EQ(m.top, top);
  EXPECT_EQ(m.bottom, bottom);
}

int ErrorOfParse(const std::string& dist) {
  try {
    ParseMargins(dist);
  } catch (const RuntimeError& e) {
    return e.Number();
  }
  return 0;
}

TEST(SplitItems, KeepsBlanksAndEmptyItems) {
  EXPECT_EQ(SplitItems("20,,20,30", ','), (std::vector<std::string>{"20", "", "20", "30"}));
  EXPECT_EQ(SplitItems(" 1 ,2", ','), (std::vector<std::string>{" 1 ", "2"}));
  EXPECT_EQ(SplitItems(",,,", ','), (std::vector<std::string>{"", "", "", ""}));
  EXPECT_EQ(SplitItems("", ','), (std::vector<std::string>{""}));
}

TEST(ParseMargins, NumericItemsInOrderLeftRightTopBottom) {
  ExpectMargins(ParseMargins("20,20,20,30"), 20, 20, 20, 30);
  ExpectMargins(ParseMargins(" 5 ,+6,\t7 , -8 "), 5, 6, 7, -8);
  ExpectMargins(ParseMargins("1e1,0.4,2.5E0,3"), 10, 0, 2, 3);
  ExpectMargins(ParseMargins("5,5,5,5,99"), 5, 5, 5, 5);  // items after the fourth are ignored
  ExpectMargins(ParseMargins("5,5,5,5,junk,"), 5, 5, 5, 5);
}

TEST(ParseMargins, HalfwayValuesRoundToEven) {
  ExpectMargins(ParseMargins("20.5,21.5,0,0"), 20, 22, 0, 0);
  ExpectMargins(ParseMargins("-0.5,-1.5,0.5,1.5"), 0, -2, 0, 2);
}

TEST(ParseMargins, NonNumericOrEmptyItemsKeepTen) {
  ExpectMargins(ParseMargins("a,b,c,d"), 10, 10, 10, 10);
  ExpectMargins(ParseMargins(",,,"), 10, 10, 10, 10);
  ExpectMargins(ParseMargins("20,,20,30"), 20, 10, 20, 30);
  ExpectMargins(ParseMargins("1 2,x5,5x,   "), 10, 10, 10, 10);
}

TEST(ParseMargins, TooFewItemsAndOverflowRaise) {
  EXPECT_EQ(ErrorOfParse("20,20,20"), 9);
  EXPECT_EQ(ErrorOfParse(""), 9);
  EXPECT_EQ(ErrorOfParse("   "), 9);
  EXPECT_EQ(ErrorOfParse("40000,0,0,0"), 6);
  EXPECT_EQ(ErrorOfParse("0,0,0,-32768.5"), 0);  // rounds to -32768
  EXPECT_EQ(ErrorOfParse("0,0,0,-32769"), 6);
  EXPECT_EQ(ErrorOfParse("0,0,0,1e999"), 6);
  ExpectMargins(ParseMargins("32767,-32768,0,0"), 32767, -32768, 0, 0);
  // A numeric item beyond range is reached before the missing one.
  EXPECT_EQ(ErrorOfParse("99999,1"), 6);
}

TEST(ChartRectangles, DefaultMarginsOnANewControl) {
  const Margins m = ParseMargins("20,20,20,30");
  const RECT work = WorkRectangle(m, 320.0f, 240.0f);
  EXPECT_EQ(work.left, 20);
  EXPECT_EQ(work.top, 20);
  EXPECT_EQ(work.right, 300);
  EXPECT_EQ(work.bottom, 210);
  const RECT frame = FrameRectangle(320.0f, 240.0f);
  EXPECT_EQ(frame.left, 0);
  EXPECT_EQ(frame.top, 0);
  EXPECT_EQ(frame.right, 319);
  EXPECT_EQ(frame.bottom, 239);
}

TEST(ChartRectangles, FractionalSizesRoundToEvenAndLargeMarginsPassThrough) {
  const Margins m = ParseMargins("0,0,0,0");
  EXPECT_EQ(WorkRectangle(m, 100.5f, 51.5f).right, 100);
  EXPECT_EQ(WorkRectangle(m, 100.5f, 51.5f).bottom, 52);
  EXPECT_EQ(FrameRectangle(100.5f, 51.5f).right, 100);  // 99.5 -> 100
  const RECT inverted = WorkRectangle(ParseMargins("200,200,150,150"), 320.0f, 240.0f);
  EXPECT_EQ(inverted.left, 200);
  EXPECT_EQ(inverted.right, 120);  // Right below Left is passed on as it comes
  EXPECT_EQ(inverted.bottom, 90);
}

}  // namespace
}  // namespace kavrin

// The OLE font object: Bold/Weight coupling, currency sizes, shared references.
#include "common/std_font.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/vb_error.h"

namespace kavrin {
namespace {

TEST(StdFont, DefaultIsSansSerif825Regular) {
  const StdFont f;
  EXPECT_EQ(f.Name(), "MS Sans Serif");
  EXPECT_EQ(f.SizeCy(), 82500);
  EXPECT_DOUBLE_EQ(f.Size(), 8.25);
  EXPECT_FALSE(f.Bold());
  EXPECT_EQ(f.Weight(), 400);
  EXPECT_EQ(f.Charset(), 1);
  EXPECT_FALSE(f.Italic() || f.Underline() || f.Strikethrough());
}

TEST(StdFont, BoldSetsWeightAndWeightSetsBold) {
  StdFont f;
  f.Weight(300);
  f.Bold(true);
  EXPECT_EQ(f.Weight(), 700);
  f.Weight(900);
  f.Bold(false);
  EXPECT_EQ(f.Weight(), 400);
  f.Weight(550);
  EXPECT_FALSE(f.Bold());
  f.Weight(551);
  EXPECT_TRUE(f.Bold());
  f.Weight(300);
  EXPECT_FALSE(f.Bold());
  EXPECT_EQ(f.Weight(), 300);  // the weight itself is kept as given
}

TEST(StdFont, ConstructorAppliesSizeAndBold) {
  const StdFont f("Courier New", 12.0, true);
  EXPECT_EQ(f.Name(), "Courier New");
  EXPECT_EQ(f.SizeCy(), 120000);
  EXPECT_TRUE(f.Bold());
  EXPECT_EQ(f.Weight(), 700);
}

TEST(StdFont, SizeIsKeptToFourDecimalsHalfEven) {
  StdFont f;
  f.Size(9.5);
  EXPECT_EQ(f.SizeCy(), 95000);
  f.Size(1.03125);  // exactly 10312.5 ten-thousandths: the tie goes to even
  EXPECT_EQ(f.SizeCy(), 10312);
  f.Size(1.09375);
  EXPECT_EQ(f.SizeCy(), 10938);
  f.Size(0.00004);
  EXPECT_EQ(f.SizeCy(), 0);
  f.Size(8.25);
  EXPECT_DOUBLE_EQ(f.Size(), 8.25);
}

TEST(StdFont, SizeOutsideTheCurrencyRangeOverflows) {
  StdFont f;
  f.Size(12.0);
  for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), 1e20, -1e20}) {
    try {
      f.Size(bad);
      ADD_FAILURE() << "no error for " << bad;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), err::kOverflow);
    }
    EXPECT_EQ(f.SizeCy(), 120000) << "size changed by a refused value";
  }
}

TEST(StdFont, CloneIsASeparateObjectWithTheSameDescription) {
  auto a = std::make_shared<StdFont>("Verdana", 11.0, true);
  a->Italic(true);
  a->Charset(0);
  auto b = a->Clone();
  EXPECT_NE(a.get(), b.get());
  EXPECT_TRUE(a->SameDescription(*b));
  b->Underline(true);
  EXPECT_FALSE(a->Underline());
  EXPECT_FALSE(a->SameDescription(*b));
  b = a->Clone();
  b->Weight(701);  // still bold, different weight
  EXPECT_FALSE(a->SameDescription(*b));
}

TEST(StdFont, PlatformDefaultIsAFreshObjectEachTime) {
  auto a = StdFont::PlatformDefault();
  auto b = StdFont::PlatformDefault();
  ASSERT_TRUE(a && b);
  EXPECT_NE(a.get(), b.get());
  EXPECT_EQ(a->Name(), "MS Sans Serif");
  EXPECT_EQ(a->SizeCy(), 82500);
  a->Bold(true);
  EXPECT_FALSE(b->Bold());
}

}  // namespace
}  // namespace kavrin

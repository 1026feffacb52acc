// The scale's number text: "." whatever the locale, 15 digits, the lone point fixed up.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "chart/label_text.h"

namespace kavrin {
namespace {

TEST(LabelText, OrdinaryScaleValues) {
  EXPECT_EQ(LabelText(0), "0");
  EXPECT_EQ(LabelText(-0.0), "0");
  EXPECT_EQ(LabelText(10), "10");
  EXPECT_EQ(LabelText(-50), "-50");
  EXPECT_EQ(LabelText(50), "50");
  EXPECT_EQ(LabelText(2.25), "2.25");
  EXPECT_EQ(LabelText(12.25), "12.25");
  EXPECT_EQ(LabelText(1000000), "1000000");
  EXPECT_EQ(LabelText(-1234.5), "-1234.5");
}

TEST(LabelText, FractionsBelowOneKeepTheirZeroOnlyWhenPositive) {
  EXPECT_EQ(LabelText(0.5), "0.5");
  EXPECT_EQ(LabelText(-0.5), "-.5");
  EXPECT_EQ(LabelText(0.0001), "0.0001");
  EXPECT_EQ(LabelText(-0.0625), "-.0625");
}

TEST(LabelText, FifteenSignificantDigitsHideBinaryNoise) {
  EXPECT_EQ(LabelText(0.1 + 0.2), "0.3");
  EXPECT_EQ(LabelText(-50 + 3 * 10.1), "-19.7");
  EXPECT_EQ(LabelText(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(LabelText(2.0 / 3), "0.666666666666667");
  EXPECT_EQ(LabelText(123456789012345.0), "123456789012345");
}

TEST(LabelText, ExponentFormForLargeAndSmallMagnitudes) {
  EXPECT_EQ(LabelText(1e15), "1E+15");
  EXPECT_EQ(LabelText(1234567890123456.0), "1.23456789012346E+15");
  EXPECT_EQ(LabelText(-2.5e20), "-2.5E+20");
  EXPECT_EQ(LabelText(1e100), "1E+100");
  // A text in exponent form does not begin with the point: no "0" is added.
  EXPECT_EQ(LabelText(1e-20), "1E-20");
  EXPECT_EQ(LabelText(-1e-20), "-1E-20");
  EXPECT_EQ(LabelText(0.00001), "1E-05");
  EXPECT_EQ(LabelText(std::numeric_limits<double>::denorm_min()), "4.94065645841247E-324");
}

TEST(LabelText, NonFiniteValuesHaveFixedTexts) {
  EXPECT_EQ(LabelText(std::numeric_limits<double>::infinity()), "1.#INF");
  EXPECT_EQ(LabelText(-std::numeric_limits<double>::infinity()), "-1.#INF");
  EXPECT_EQ(LabelText(std::nan("")), "1.#QNAN");
}

}  // namespace
}  // namespace kavrin

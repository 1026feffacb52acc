#include "tests/support/errors.h"
#include "control/variant.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <functional>

#include "common/vb_error.h"

namespace kavrin {
namespace {

using kavrin::test::ErrorOf;

TEST(VariantNumbers, DoublesRoundHalfToEvenAndOverflow) {
  EXPECT_EQ(Variant(2.5).ToInteger(), 2);
  EXPECT_EQ(Variant(3.5).ToInteger(), 4);
  EXPECT_EQ(Variant(-2.5).ToLong(), -2);
  EXPECT_EQ(Variant(32767.4).ToInteger(), 32767);
  EXPECT_EQ(ErrorOf([] { Variant(32767.5).ToInteger(); }), 6);
  EXPECT_EQ(ErrorOf([] { Variant::FromLong(40000).ToInteger(); }), 6);
  EXPECT_EQ(ErrorOf([] { Variant(3e9).ToLong(); }), 6);
  EXPECT_EQ(Variant::FromLong(-32768).ToInteger(), -32768);
}

TEST(VariantNumbers, TextConvertsWhenNumeric) {
  EXPECT_EQ(Variant("12").ToInteger(), 12);
  EXPECT_EQ(Variant(" -7 ").ToLong(), -7);
  EXPECT_EQ(Variant("1.5e1").ToInteger(), 15);
  EXPECT_EQ(Variant("2.5").ToInteger(), 2);
  EXPECT_EQ(Variant("&HFF").ToLong(), 255);
  EXPECT_EQ(Variant("&HFFFF").ToLong(), -1);  // four hex digits are an Integer
  EXPECT_DOUBLE_EQ(Variant("1.5").ToDouble(), 1.5);
  EXPECT_DOUBLE_EQ(Variant(".5").ToDouble(), 0.5);
  EXPECT_DOUBLE_EQ(Variant("-1D2").ToDouble(), -100);
  EXPECT_EQ(ErrorOf([] { Variant("abc").ToInteger(); }), 13);
  EXPECT_EQ(ErrorOf([] { Variant("").ToDouble(); }), 13);
  EXPECT_EQ(ErrorOf([] { Variant("1 2").ToDouble(); }), 13);
  EXPECT_EQ(ErrorOf([] { Variant("1e").ToDouble(); }), 13);
  EXPECT_EQ(ErrorOf([] { Variant("1e999").ToDouble(); }), 6);
  EXPECT_EQ(ErrorOf([] { Variant("99999").ToInteger(); }), 6);
}

TEST(VariantNumbers, UserDecimalSeparatorIsAcceptedToo) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) {
    GTEST_SKIP() << "no locale with a decimal comma installed";
  }
  EXPECT_DOUBLE_EQ(Variant("1,5").ToDouble(), 1.5);
  EXPECT_DOUBLE_EQ(Variant("1.5").ToDouble(), 1.5);
  EXPECT_EQ(Variant(1.5).ToString(), "1.5");  // text of numbers stays locale-neutral
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(VariantNumbers, BooleansAreMinusOneAndZero) {
  EXPECT_EQ(Variant::FromBoolean(True).ToInteger(), -1);
  EXPECT_EQ(Variant::FromBoolean(5).ToLong(), -1);  // any nonzero is stored as True
  EXPECT_EQ(Variant::FromBool(false).ToDouble(), 0);
  EXPECT_EQ(Variant(0.0).ToBoolean(), False);
  EXPECT_EQ(Variant(-0.5).ToBoolean(), True);
  EXPECT_EQ(Variant::FromInteger(1).ToBoolean(), True);
  EXPECT_EQ(Variant(" true ").ToBoolean(), True);
  EXPECT_EQ(Variant("FALSE").ToBoolean(), False);
  EXPECT_EQ(Variant("0").ToBoolean(), False);
  EXPECT_EQ(Variant("2").ToBoolean(), True);
  EXPECT_EQ(ErrorOf([] { Variant("yes").ToBoolean(); }), 13);
}

TEST(VariantText, NumbersAsGeneralText) {
  EXPECT_EQ(Variant(1.5).ToString(), "1.5");
  EXPECT_EQ(Variant(-50.0).ToString(), "-50");
  EXPECT_EQ(Variant(0.1).ToString(), "0.1");
  EXPECT_EQ(Variant(0.0001).ToString(), "0.0001");
  EXPECT_EQ(Variant(0.00001).ToString(), "1E-05");
  EXPECT_EQ(Variant(1e15).ToString(), "1E+15");
  EXPECT_EQ(Variant(123456789012345.0).ToString(), "123456789012345");
  EXPECT_EQ(Variant(-0.0).ToString(), "0");
  EXPECT_EQ(Variant::FromInteger(-3).ToString(), "-3");
  EXPECT_EQ(Variant::FromLong(16777215).ToString(), "16777215");
  EXPECT_EQ(Variant::FromBoolean(True).ToString(), "True");
  EXPECT_EQ(Variant::FromBoolean(False).ToString(), "False");
  EXPECT_EQ(Variant().ToString(), "");
}

TEST(VariantKinds, EmptyMissingAndObjects) {
  EXPECT_EQ(Variant().ToLong(), 0);
  EXPECT_EQ(Variant().ToBoolean(), False);
  EXPECT_EQ(ErrorOf([] { Variant::Missing().ToLong(); }), 13);
  EXPECT_EQ(ErrorOf([] { Variant::Nothing().ToString(); }), 91);
  const FontRef f = std::make_shared<StdFont>();
  const Variant vf(f);
  EXPECT_EQ(vf.Type(), VarType::kFont);
  EXPECT_EQ(vf.ToFont(), f);  // the same object, never a copy
  EXPECT_EQ(ErrorOf([&] { vf.ToLong(); }), 13);
  EXPECT_EQ(ErrorOf([] { Variant("Arial").ToFont(); }), 13);
  EXPECT_EQ(Variant(FontRef()).Type(), VarType::kNothing);
  EXPECT_EQ(Variant::Nothing().ToFont(), nullptr);
  EXPECT_EQ(Variant::Nothing().ToPicture(), nullptr);
}

TEST(VariantEquals, BagDefaultComparison) {
  EXPECT_TRUE(Variant(1.0).Equals(Variant::FromInteger(1)));
  EXPECT_TRUE(Variant::FromLong(32768).Equals(Variant(32768.0)));
  EXPECT_FALSE(Variant(1.5).Equals(Variant::FromInteger(1)));
  EXPECT_FALSE(Variant::FromBoolean(True).Equals(Variant::FromInteger(1)));
  EXPECT_TRUE(Variant::FromBoolean(False).Equals(Variant::FromInteger(0)));
  EXPECT_TRUE(Variant("mV").Equals(Variant("mV")));
  EXPECT_FALSE(Variant("mV").Equals(Variant("MV")));
  EXPECT_FALSE(Variant("1").Equals(Variant::FromInteger(1)));
  EXPECT_TRUE(Variant("").Equals(Variant()));
  EXPECT_TRUE(Variant::Nothing().Equals(Variant::Nothing()));

  const FontRef a = std::make_shared<StdFont>("Arial", 8.25);
  const FontRef b = a->Clone();
  EXPECT_TRUE(Variant(a).Equals(Variant(b)));
  b->Charset(134);
  EXPECT_FALSE(Variant(a).Equals(Variant(b)));
  EXPECT_FALSE(Variant(a).Equals(Variant::Nothing()));
}

TEST(ParseNumberText, UserDecimalSeparator) {
  EXPECT_EQ(ParseNumber("1,5", ','), 1.5);
  EXPECT_EQ(ParseNumber("1.5", ','), 1.5);
  EXPECT_EQ(ParseNumber("-,25e1", ','), -2.5);
  EXPECT_FALSE(ParseNumber("1,5", 0));
  EXPECT_FALSE(ParseNumber("1,5,0", ','));
}

TEST(ParseNumberText, NumericTestShape) {
  EXPECT_EQ(ParseNumber("  +20  "), 20.0);
  EXPECT_EQ(ParseNumber("\t5"), 5.0);
  EXPECT_EQ(ParseNumber("5."), 5.0);
  EXPECT_EQ(ParseNumber("-1.25E+2"), -125.0);
  EXPECT_EQ(ParseNumber("&O17"), 15.0);
  EXPECT_FALSE(ParseNumber(""));
  EXPECT_FALSE(ParseNumber("   "));
  EXPECT_FALSE(ParseNumber("."));
  EXPECT_FALSE(ParseNumber("+"));
  EXPECT_FALSE(ParseNumber("1,5x"));
  EXPECT_FALSE(ParseNumber("--1"));
  EXPECT_FALSE(ParseNumber("&H"));
  EXPECT_FALSE(ParseNumber("&HG1"));
  EXPECT_FALSE(ParseNumber("&O8"));
  EXPECT_FALSE(ParseNumber("True"));
  EXPECT_TRUE(std::isinf(*ParseNumber("1e400")));
  EXPECT_EQ(*ParseNumber("1e-400"), 0.0);
}

}  // namespace
}  // namespace kavrin

// The number rules every pixel position depends on.
#include "tests/support/errors.h"
#include "common/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/vb_error.h"

namespace kavrin {
namespace {

using kavrin::test::ErrorOf;

TEST(NumbersRounding, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(CInt(0.5), 0);
  EXPECT_EQ(CInt(1.5), 2);
  EXPECT_EQ(CInt(2.5), 2);
  EXPECT_EQ(CInt(-0.5), 0);
  EXPECT_EQ(CInt(-1.5), -2);
  EXPECT_EQ(CInt(-2.5), -2);
  EXPECT_EQ(CInt(8.5), 8);
  EXPECT_EQ(CInt(9.5), 10);
  EXPECT_EQ(CLng(2147483646.5), 2147483646);
  EXPECT_EQ(CLng(-3.5), -4);
}

TEST(NumbersRounding, NonTiesGoToTheNearest) {
  EXPECT_EQ(CInt(2.4999999), 2);
  EXPECT_EQ(CInt(2.5000001), 3);
  EXPECT_EQ(CInt(-2.6), -3);
  EXPECT_EQ(CLng(10.67), 11);
  EXPECT_EQ(CLng(13.33), 13);
  EXPECT_EQ(RoundHalfEven(0.49999999999999994), 0.0);
}

TEST(NumbersRounding, OutOfRangeAndNaNOverflow) {
  EXPECT_EQ(CInt(32767.0), 32767);
  EXPECT_EQ(CInt(32767.4), 32767);
  EXPECT_EQ(CInt(-32768.5), -32768);  // tie to even stays in range
  EXPECT_EQ(ErrorOf([] { CInt(32767.5); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { CInt(-32768.6); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { CInt(std::nan("")); }), err::kOverflow);
  EXPECT_EQ(CLng(2147483647.0), 2147483647);
  EXPECT_EQ(CLng(-2147483648.0), std::numeric_limits<Long>::min());
  EXPECT_EQ(ErrorOf([] { CLng(2147483647.5); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(-2147483649.0); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(std::numeric_limits<double>::infinity()); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(std::nan("")); }), err::kOverflow);
}

TEST(NumbersIntegerArithmetic, SixteenBitResultsOverflow) {
  EXPECT_EQ(AddI(32766, 1), 32767);
  EXPECT_EQ(ErrorOf([] { AddI(32767, 1); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { SubI(-32768, 1); }), err::kOverflow);
  EXPECT_EQ(MulI(-128, 256), -32768);
  EXPECT_EQ(ErrorOf([] { MulI(256, 128); }), err::kOverflow);
  EXPECT_EQ(ToInteger(-32768), -32768);
  EXPECT_EQ(ErrorOf([] { ToInteger(40000); }), err::kOverflow);
}

TEST(NumbersIntegerArithmetic, ThirtyTwoBitResultsOverflow) {
  EXPECT_EQ(AddL(2147483646, 1), 2147483647);
  EXPECT_EQ(ErrorOf([] { AddL(2147483647, 1); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { SubL(std::numeric_limits<Long>::min(), 1); }), err::kOverflow);
  EXPECT_EQ(MulL(214748364, 10), 2147483640);
  EXPECT_EQ(ErrorOf([] { MulL(214748365, 10); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { MulL(-214748365, 10); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { ToLong(int64_t{1} << 31); }), err::kOverflow);
}

TEST(NumbersIntegerDivision, BackslashTruncatesTowardsZero) {
  EXPECT_EQ(DivI(7, 2), 3);
  EXPECT_EQ(DivI(-7, 2), -3);
  EXPECT_EQ(DivI(7, -2), -3);
  EXPECT_EQ(DivL(40, 16), 2);
  EXPECT_EQ(DivL(-1, 16), 0);
  EXPECT_EQ(ErrorOf([] { DivI(1, 0); }), err::kDivisionByZero);
  EXPECT_EQ(ErrorOf([] { DivI(0, 0); }), err::kDivisionByZero);
  EXPECT_EQ(ErrorOf([] { DivL(5, 0); }), err::kDivisionByZero);
  EXPECT_EQ(ErrorOf([] { DivI(-32768, -1); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { DivL(std::numeric_limits<Long>::min(), -1); }), err::kOverflow);
}

TEST(NumbersIntegerDivision, ModTakesTheSignOfTheDividend) {
  EXPECT_EQ(ModI(7, 3), 1);
  EXPECT_EQ(ModI(-7, 3), -1);
  EXPECT_EQ(ModI(7, -3), 1);
  EXPECT_EQ(ModL(-7, -3), -1);
  EXPECT_EQ(ModI(-32768, -1), 0);
  EXPECT_EQ(ModL(std::numeric_limits<Long>::min(), -1), 0);
  EXPECT_EQ(ErrorOf([] { ModI(1, 0); }), err::kDivisionByZero);
  EXPECT_EQ(ErrorOf([] { ModL(1, 0); }), err::kDivisionByZero);
}

TEST(NumbersFloatStatus, DivisionByZeroAndInvalidOperations) {
  EXPECT_DOUBLE_EQ(FDiv(1.0, 4.0), 0.25);
  EXPECT_EQ(ErrorOf([] { FDiv(1.0, 0.0); }), err::kDivisionByZero);
  EXPECT_EQ(ErrorOf([] { FDiv(-1.0, -0.0); }), err::kDivisionByZero);
  EXPECT_EQ(ErrorOf([] { FDiv(0.0, 0.0); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { FDiv(std::nan(""), 1.0); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { FDiv(1e308, 1e-308); }), err::kOverflow);
}

TEST(NumbersFloatStatus, InfiniteResultsOverflow) {
  const double big = std::numeric_limits<double>::max();
  EXPECT_EQ(ErrorOf([&] { FMul(big, 2.0); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([&] { FAdd(big, big); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([&] { FSub(-big, big); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { FCheck(std::numeric_limits<double>::infinity()); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { FCheck(std::nan("")); }), err::kOverflow);
  EXPECT_DOUBLE_EQ(FMul(3.0, -2.0), -6.0);
  EXPECT_DOUBLE_EQ(FCheck(-0.0), 0.0);
}

TEST(RuntimeErrors, CarryNumberAndStandardMessage) {
  try {
    Raise(err::kOverflow);
    FAIL() << "Raise returned";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), 6);
    EXPECT_STREQ(e.what(), "Run-time error '6': Overflow");
  }
  try {
    Raise(err::kInvalidPicture, "Invalid picture: truncated PNG data");
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), 481);
    EXPECT_STREQ(e.what(), "Run-time error '481': Invalid picture: truncated PNG data");
  }
  EXPECT_STREQ(StandardMessage(91), "Object variable or With block variable not set");
}

}  // namespace
}  // namespace kavrin

#pragma once
// The number rules every pixel position depends on, in one place:
//  - Integer is 16-bit, Long 32-bit, Boolean 16-bit with True = -1;
//  - a Double becomes an Integer or Long by rounding half to even; out of range (or NaN)
//    raises 6 (overflow);
//  - "\" truncates towards zero and raises 11 on a zero divisor;
//  - Integer and Long sums, differences and products raise 6 when they leave their type;
//  - floating-point steps raise 11 for x / 0 and 6 for 0 / 0, infinities and NaNs.
#include <cstdint>

namespace kavrin {

using Integer = int16_t;
using Long = int32_t;
using Boolean = int16_t;
constexpr Boolean True = -1;
constexpr Boolean False = 0;

constexpr Boolean ToBoolean(bool b) { return b ? True : False; }

// Nearest integer, ties to even, as a double (no range check).
double RoundHalfEven(double v);

// Double -> Integer / Long, rounding half to even; raises 6 when out of range or NaN.
Integer CInt(double v);
Long CLng(double v);

// Narrowing of an exact integer; raises 6 when it does not fit.
Integer ToInteger(int64_t v);
Long ToLong(int64_t v);

// Checked Integer arithmetic (16-bit results).
Integer AddI(Integer a, Integer b);
Integer SubI(Integer a, Integer b);
Integer MulI(Integer a, Integer b);
Integer DivI(Integer a, Integer b);  // "\": truncates; 11 on zero, 6 on -32768 \ -1
Integer ModI(Integer a, Integer b);  // Mod: sign of the dividend; 11 on zero

// Checked Long arithmetic (32-bit results).
Long AddL(Long a, Long b);
Long SubL(Long a, Long b);
Long MulL(Long a, Long b);
Long DivL(Long a, Long b);  // "\": truncates; 11 on zero, 6 on overflow
Long ModL(Long a, Long b);

// Floating-point steps with the status check: a division by zero raises 11
// (0 / 0 raises 6, being an invalid operation); an infinite or NaN result raises 6.
double FDiv(double a, double b);
double FMul(double a, double b);
double FAdd(double a, double b);
double FSub(double a, double b);
// Raises 6 if v is infinite or NaN, otherwise returns v.
double FCheck(double v);

}  // namespace kavrin

#include "common/numbers.h"

#include <cmath>
#include <limits>

#include "common/vb_error.h"

namespace kavrin {

double RoundHalfEven(double v) { return std::nearbyint(v); }  // default FE_TONEAREST

namespace {
template <typename T>
T Narrow(int64_t v) {
  if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) Raise(err::kOverflow);
  return static_cast<T>(v);
}

template <typename T>
T RoundTo(double v) {
  if (std::isnan(v)) Raise(err::kOverflow);
  const double r = RoundHalfEven(v);
  if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
      r > static_cast<double>(std::numeric_limits<T>::max()))
    Raise(err::kOverflow);
  return static_cast<T>(r);
}
}  // namespace

Integer CInt(double v) { return RoundTo<Integer>(v); }
Long CLng(double v) { return RoundTo<Long>(v); }

Integer ToInteger(int64_t v) { return Narrow<Integer>(v); }
Long ToLong(int64_t v) { return Narrow<Long>(v); }

Integer AddI(Integer a, Integer b) { return Narrow<Integer>(int64_t{a} + b); }
Integer SubI(Integer a, Integer b) { return Narrow<Integer>(int64_t{a} - b); }
Integer MulI(Integer a, Integer b) { return Narrow<Integer>(int64_t{a} * b); }
Integer DivI(Integer a, Integer b) {
  if (b == 0) Raise(err::kDivisionByZero);
  return Narrow<Integer>(int64_t{a} / b);
}
Integer ModI(Integer a, Integer b) {
  if (b == 0) Raise(err::kDivisionByZero);
  return static_cast<Integer>(int64_t{a} % b);
}

Long AddL(Long a, Long b) { return Narrow<Long>(int64_t{a} + b); }
Long SubL(Long a, Long b) { return Narrow<Long>(int64_t{a} - b); }
Long MulL(Long a, Long b) { return Narrow<Long>(int64_t{a} * b); }
Long DivL(Long a, Long b) {
  if (b == 0) Raise(err::kDivisionByZero);
  return Narrow<Long>(int64_t{a} / b);
}
Long ModL(Long a, Long b) {
  if (b == 0) Raise(err::kDivisionByZero);
  return static_cast<Long>(int64_t{a} % b);
}

double FCheck(double v) {
  if (!std::isfinite(v)) Raise(err::kOverflow);
  return v;
}

double FDiv(double a, double b) {
  if (b == 0.0) Raise(a == 0.0 || std::isnan(a) ? err::kOverflow : err::kDivisionByZero);
  return FCheck(a / b);
}
double FMul(double a, double b) { return FCheck(a * b); }
double FAdd(double a, double b) { return FCheck(a + b); }
double FSub(double a, double b) { return FCheck(a - b); }

}  // namespace kavrin

#pragma once
// The text of a number as the value scale, the value tips and the export header show it.
#include <string>

namespace kavrin {

// Up to 15 significant digits with "." as the decimal point whatever the locale; trailing
// zeros and a trailing point dropped; exponent form ("1E+15", "1.5E-20") for very large and
// very small magnitudes; "-" for negatives; a lone leading point gets a "0" in front, so
// 0.5 -> "0.5" but -0.5 -> "-.5". Infinities read "1.#INF" / "-1.#INF", NaN "1.#QNAN".
std::string LabelText(double x);

// The same digits without the point fix-ups: mantissa and exponent with "." as the point,
// at most 15 significant digits, a leading "0" before the point for 0 < |x| < 1.
std::string GeneralDigits(double x);

}  // namespace kavrin

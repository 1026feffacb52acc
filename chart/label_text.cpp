#include "chart/label_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace kavrin {

namespace {

// The general number format's texts for values that are not numbers.
std::string NonFiniteText(double x) {
  if (std::isnan(x)) return "1.#QNAN";
  return x < 0 ? "-1.#INF" : "1.#INF";
}

std::string TrimBlanks(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const auto last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

// The scale's own number text: a leading blank for non-negative values and no digit
// before the point when 0 < |x| < 1 (" .5", "-.5", " 12.25").
std::string ScaleNumberText(double x) {
  std::string s = GeneralDigits(x);
  const bool negative = !s.empty() && s[0] == '-';
  const std::size_t digits = negative ? 1 : 0;
  if (s.compare(digits, 2, "0.") == 0) s.erase(digits, 1);
  if (!negative) s.insert(0, 1, ' ');
  return s;
}

}  // namespace

std::string GeneralDigits(double x) {
  if (!std::isfinite(x)) return NonFiniteText(x);
  // Zero has no sign in the text, -0 included.
  if (x == 0) return "0";
  // Locale-independent, shortest form with at most 15 significant digits; exponent form
  // below 1E-4 and from 1E+15 on, with at least two exponent digits.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);
  if (res.ec != std::errc()) return NonFiniteText(x);
  std::string s(buf, res.ptr);
  for (char& c : s) {
    if (c == 'e') c = 'E';
  }
  return s;
}

std::string LabelText(double x) {
  std::string s = TrimBlanks(ScaleNumberText(x));
  if (!s.empty() && s[0] == '.') s.insert(0, 1, '0');
  return s;
}

}  // namespace kavrin

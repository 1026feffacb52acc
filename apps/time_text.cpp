#include "apps/time_text.h"

#include <cstdint>

namespace kavrin::app {
namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

// Takes exactly n digits from the front of s; their number goes to value.
bool Digits(std::string_view& s, size_t n, int64_t* value = nullptr) {
  if (s.size() < n) return false;
  int64_t v = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!Digit(s[i])) return false;
    v = v * 10 + (s[i] - '0');
  }
  s.remove_prefix(n);
  if (value != nullptr) *value = v;
  return true;
}

bool Take(std::string_view& s, char c) {
  if (s.empty() || s[0] != c) return false;
  s.remove_prefix(1);
  return true;
}

// Days from 1970-01-01 to a day of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// YYYY-MM-DD, as seconds.
bool DatePart(std::string_view& s, double& seconds) {
  int64_t y = 0, m = 0, d = 0;
  if (!(Digits(s, 4, &y) && Take(s, '-') && Digits(s, 2, &m) && Take(s, '-') && Digits(s, 2, &d))) return false;
  seconds = static_cast<double>(DaysFromCivil(y, m, d)) * 86400.0;
  return true;
}

// H:MM or HH:MM, then :SS and a fraction, then a zone; as seconds.
bool TimePart(std::string_view& s, double& seconds) {
  int64_t h = 0, h2 = 0, m = 0, sec = 0;
  if (!Digits(s, 1, &h)) return false;
  if (Digits(s, 1, &h2)) h = h * 10 + h2;
  if (!Take(s, ':') || !Digits(s, 2, &m)) return false;
  double fraction = 0;
  if (Take(s, ':')) {
    if (!Digits(s, 2, &sec)) return false;
    if (Take(s, '.') || Take(s, ',')) {
      if (s.empty() || !Digit(s[0])) return false;
      for (double scale = 0.1; !s.empty() && Digit(s[0]); scale /= 10) {
        fraction += (s[0] - '0') * scale;
        s.remove_prefix(1);
      }
    }
  }
  seconds = static_cast<double>(h * 3600 + m * 60 + sec) + fraction;
  if (Take(s, 'Z')) return true;
  const bool east = Take(s, '+');
  if (east || Take(s, '-')) {
    int64_t zh = 0, zm = 0;
    if (!Digits(s, 2, &zh)) return false;
    Take(s, ':');
    Digits(s, 2, &zm);
    seconds -= (east ? 1.0 : -1.0) * static_cast<double>(zh * 3600 + zm * 60);
  }
  return true;
}

}  // namespace

std::optional<double> TimestampSeconds(std::string_view text) {
  std::string_view s = text;
  double day = 0;
  if (s.size() >= 10 && Digit(s[0]) && s[4] == '-') {
    if (!DatePart(s, day)) return std::nullopt;
    if (s.empty()) return day;
    if (!Take(s, 'T') && !Take(s, ' ')) return std::nullopt;
  }
  double time = 0;
  if (!TimePart(s, time) || !s.empty()) return std::nullopt;
  return day + time;
}

bool IsTimestamp(std::string_view text) { return TimestampSeconds(text).has_value(); }

bool IsDate(std::string_view text) {
  double seconds = 0;
  return DatePart(text, seconds) && text.empty();
}

}  // namespace kavrin::app

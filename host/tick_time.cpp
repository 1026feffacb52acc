#include "host/tick_time.h"

#include <chrono>
#include <ctime>

namespace kavrin::host {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

bool LeapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int64_t y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && LeapYear(y) ? 29 : kDays[m - 1];
}

// Days from 1970-01-01 to the date, in the proleptic Gregorian calendar. Counted from
// 0000-03-01, so that the leap day ends a year, in whole 400-year cycles of 146097 days.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  if (m <= 2) --y;
  const int64_t cycle = FloorDiv(y, 400);
  const int64_t yearOfCycle = y - cycle * 400;
  const int64_t monthFromMarch = m > 2 ? m - 3 : m + 9;
  const int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + d - 1;
  const int64_t dayOfCycle = yearOfCycle * 365 + yearOfCycle / 4 - yearOfCycle / 100 + dayOfYear;
  return cycle * 146097 + dayOfCycle - 719468;  // 719468: days from 0000-03-01 to 1970-01-01
}

void CivilFromDays(int64_t days, CivilTime& c) {
  days += 719468;
  const int64_t cycle = FloorDiv(days, 146097);
  const int64_t dayOfCycle = days - cycle * 146097;
  const int64_t yearOfCycle = (dayOfCycle - dayOfCycle / 1460 + dayOfCycle / 36524 - dayOfCycle / 146096) / 365;
  const int64_t dayOfYear = dayOfCycle - (365 * yearOfCycle + yearOfCycle / 4 - yearOfCycle / 100);
  const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  c.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  c.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  c.year = static_cast<int>(yearOfCycle + cycle * 400 + (c.month <= 2 ? 1 : 0));
}

bool Digit(char c) { return c >= '0' && c <= '9'; }

// Reads exactly n digits from the front of s.
bool Number(std::string_view& s, size_t n, int& out) {
  if (s.size() < n) return false;
  out = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!Digit(s[i])) return false;
    out = out * 10 + (s[i] - '0');
  }
  s.remove_prefix(n);
  return true;
}

bool Take(std::string_view& s, char c) {
  if (s.empty() || s[0] != c) return false;
  s.remove_prefix(1);
  return true;
}

// A fraction's digits as microseconds; digits past the sixth are dropped.
int64_t Fraction(std::string_view& s) {
  int64_t micros = 0;
  int64_t scale = 100000;
  while (!s.empty() && Digit(s[0])) {
    micros += (s[0] - '0') * scale;
    scale /= 10;
    s.remove_prefix(1);
  }
  return micros;
}

// H:MM or HH:MM, then :SS and a fraction, then a zone (Z, +01, +01:00, +0100), which is read
// and left out. Microseconds since midnight, or -1.
int64_t ReadTimeOfDay(std::string_view& s) {
  int h = 0, m = 0, sec = 0, h2 = 0;
  if (!Number(s, 1, h)) return -1;
  if (Number(s, 1, h2)) h = h * 10 + h2;
  if (!Take(s, ':') || !Number(s, 2, m) || h > 23 || m > 59) return -1;
  int64_t micros = 0;
  if (Take(s, ':')) {
    if (!Number(s, 2, sec) || sec > 60) return -1;
    if (Take(s, '.') || Take(s, ',')) {
      if (s.empty() || !Digit(s[0])) return -1;
      micros = Fraction(s);
    }
  }
  if (!Take(s, 'Z') && (Take(s, '+') || Take(s, '-'))) {
    int zone = 0;
    if (!Number(s, 2, zone)) return -1;
    Take(s, ':');
    Number(s, 2, zone);
  }
  return ((h * 60 + m) * int64_t{60} + sec) * kMicrosPerSecond + micros;
}

// Seconds since 1970 with an optional sign and fraction.
std::optional<TickTime> EpochSeconds(std::string_view s) {
  const bool negative = Take(s, '-');
  if (!negative) Take(s, '+');
  int64_t seconds = 0;
  size_t digits = 0;
  // Twelve digits reach past the year 30000 and stay far inside the microsecond range.
  for (; !s.empty() && Digit(s[0]); s.remove_prefix(1), ++digits) {
    if (digits == 12) return std::nullopt;
    seconds = seconds * 10 + (s[0] - '0');
  }
  if (digits == 0) return std::nullopt;
  int64_t micros = 0;
  if (Take(s, '.') || Take(s, ',')) micros = Fraction(s);
  if (!s.empty()) return std::nullopt;
  const int64_t total = seconds * kMicrosPerSecond + micros;
  return TickTime::FromEpoch(negative ? -total : total);
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

TickTime TickTime::FromCivil(const CivilTime& c) {
  const int64_t days = DaysFromCivil(c.year, c.month, c.day);
  const int64_t seconds = days * 86400 + c.hour * 3600 + c.minute * 60 + c.second;
  return DateTime(seconds * kMicrosPerSecond + c.micro);
}

TickTime TickTime::FromEpoch(int64_t epochMicros) {
  const int64_t seconds = FloorDiv(epochMicros, kMicrosPerSecond);
  const time_t t = static_cast<time_t>(seconds);
  std::tm local{};
  if (localtime_r(&t, &local) == nullptr) return DateTime(epochMicros);
  CivilTime c;
  c.year = local.tm_year + 1900;
  c.month = local.tm_mon + 1;
  c.day = local.tm_mday;
  c.hour = local.tm_hour;
  c.minute = local.tm_min;
  c.second = local.tm_sec;
  c.micro = static_cast<int>(epochMicros - seconds * kMicrosPerSecond);
  return FromCivil(c);
}

TickTime TickTime::Now() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return FromEpoch(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

std::optional<TickTime> TickTime::ParseIso(std::string_view text) {
  std::string_view s = Trimmed(text);
  if (s.size() >= 10 && Digit(s[0]) && s[4] == '-') {
    int y = 0, m = 0, d = 0;
    if (!Number(s, 4, y) || !Take(s, '-') || !Number(s, 2, m) || !Take(s, '-') || !Number(s, 2, d)) return std::nullopt;
    if (m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return std::nullopt;
    const int64_t midnight = DaysFromCivil(y, m, d) * kMicrosPerDay;
    if (s.empty()) return DateTime(midnight);
    if (!Take(s, 'T') && !Take(s, ' ')) return std::nullopt;
    const int64_t time = ReadTimeOfDay(s);
    if (time < 0 || !s.empty()) return std::nullopt;
    return DateTime(midnight + time);
  }
  const int64_t time = ReadTimeOfDay(s);
  if (time < 0 || !s.empty()) return std::nullopt;
  return TimeOfDay(time % kMicrosPerDay);  // a leap second at 23:59:60 is the next midnight
}

// No ISO text holds only digits, a sign and a fraction: the two forms never overlap.
std::optional<TickTime> TickTime::Parse(std::string_view text) {
  if (const auto iso = ParseIso(text)) return iso;
  return EpochSeconds(Trimmed(text));
}

CivilTime TickTime::Civil() const {
  CivilTime c;
  const int64_t days = FloorDiv(micros_, kMicrosPerDay);
  if (kind_ == Kind::kDateTime) CivilFromDays(days, c);
  int64_t rest = micros_ - days * kMicrosPerDay;
  c.micro = static_cast<int>(rest % kMicrosPerSecond);
  rest /= kMicrosPerSecond;
  c.second = static_cast<int>(rest % 60);
  c.minute = static_cast<int>(rest / 60 % 60);
  c.hour = static_cast<int>(rest / 3600);
  return c;
}

size_t TickTime::Text(char (&out)[kMaxText]) const {
  if (kind_ == Kind::kNone) return 0;
  const CivilTime c = Civil();
  char* p = out;
  const auto put = [&p](int64_t v, int digits) {
    for (int i = digits - 1; i >= 0; --i, v /= 10) p[i] = static_cast<char>('0' + v % 10);
    p += digits;
  };
  if (kind_ == Kind::kDateTime) {
    // A year past 9999 or before 0 (from epoch seconds far off) keeps its sign and every digit.
    int64_t year = c.year;
    if (year < 0) *p++ = '-', year = -year;
    put(year, year > 9999 ? (year > 99999 ? 6 : 5) : 4);
    *p++ = '-';
    put(c.month, 2);
    *p++ = '-';
    put(c.day, 2);
    *p++ = 'T';
  }
  put(c.hour, 2);
  *p++ = ':';
  put(c.minute, 2);
  *p++ = ':';
  put(c.second, 2);
  if (c.micro != 0) {
    *p++ = '.';
    int micro = c.micro;
    int digits = 6;
    while (micro % 10 == 0) micro /= 10, --digits;
    put(micro, digits);
  }
  return static_cast<size_t>(p - out);
}

std::string TickTime::Text() const {
  char buf[kMaxText];
  return std::string(buf, Text(buf));
}

}  // namespace kavrin::host

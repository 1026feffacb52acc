#include "chart/export_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "chart/number_text.h"
#include "common/ansi_text.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <langinfo.h>
#include <time.h>

#include "chart/environment_locale.h"
#endif

namespace kavrin {

std::string ColorText(Long c) {
  // Two's complement of a negative colour: all eight digits.
  uint32_t u = static_cast<uint32_t>(c);
  if (u == 0) return "0";
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s;
  while (u != 0) {
    s.insert(s.begin(), kDigits[u & 0xF]);
    u >>= 4;
  }
  return s;
}

std::string FontText(const StdFont& f) {
  // The size is kept in ten-thousandths of a point: print it exactly from that.
  const int64_t cy = f.SizeCy();
  const uint64_t mag = cy < 0 ? 0 - static_cast<uint64_t>(cy) : static_cast<uint64_t>(cy);
  std::string size = cy < 0 ? "-" : "";
  size += std::to_string(mag / 10000);
  std::string frac = std::to_string(mag % 10000 + 10000).substr(1);
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  if (!frac.empty()) size += LocaleDecimalSeparatorText() + frac;
  return AnsiText(f.Name()) + ":" + (f.Bold() ? "True" : "False") + ":" + size;
}

std::string HeaderValueText(std::string value) {
  for (char& c : value) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return value;
}

std::string DecimalText(long long v) { return std::to_string(v); }

namespace {

bool IsMidnight(const std::tm& tm) { return tm.tm_hour == 0 && tm.tm_min == 0 && tm.tm_sec == 0; }

// The US general date: M/d/yyyy h:mm:ss AM/PM.
std::string UsGeneralDate(const std::tm& tm) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d/%d/%d", tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900);
  std::string s = buf;
  if (IsMidnight(tm)) return s;
  const int hour12 = tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
  std::snprintf(buf, sizeof buf, " %d:%02d:%02d %s", hour12, tm.tm_min, tm.tm_sec,
                tm.tm_hour < 12 ? "AM" : "PM");
  return s + buf;
}

#ifndef _WIN32

// The name of the environment's time locale, as the C library chooses it.
std::string TimeLocaleName() {
  for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) return v;
  }
  return "C";
}

bool IsUsLocaleName(const std::string& n) {
  return n == "C" || n == "POSIX" || n.rfind("C.", 0) == 0 || n.rfind("en_US", 0) == 0;
}

std::string FormatTm(const std::string& fmt, const std::tm& tm, locale_t loc) {
  char buf[256];
  const std::size_t n = strftime_l(buf, sizeof buf, fmt.c_str(), &tm, loc);
  return std::string(buf, n);
}

#endif

}  // namespace

std::string GeneralDateText(std::time_t t) {
  std::tm tm{};
#ifdef _WIN32
  if (localtime_s(&tm, &t) != 0) return std::string();
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(tm.tm_year + 1900);
  st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
  st.wDay = static_cast<WORD>(tm.tm_mday);
  st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  st.wHour = static_cast<WORD>(tm.tm_hour);
  st.wMinute = static_cast<WORD>(tm.tm_min);
  st.wSecond = static_cast<WORD>(tm.tm_sec);
  char date[128] = {};
  char time[128] = {};
  if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date) == 0)
    return UsGeneralDate(tm);
  if (IsMidnight(tm)) return date;
  if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, sizeof time) == 0)
    return UsGeneralDate(tm);
  return std::string(date) + " " + time;
#else
  tzset();  // the zone may have changed since the last text (localtime_r does not look)
  if (localtime_r(&t, &tm) == nullptr) return std::string();
  if (IsUsLocaleName(TimeLocaleName())) return UsGeneralDate(tm);
  const locale_t loc = EnvironmentLocale(LocaleCategory::kTime);
  if (loc == static_cast<locale_t>(0)) return UsGeneralDate(tm);
  std::string dateFmt = nl_langinfo_l(D_FMT, loc);
  const std::string timeFmt = nl_langinfo_l(T_FMT, loc);
  // A general date always shows the year with four digits.
  for (std::size_t p = 0; p + 1 < dateFmt.size(); ++p) {
    if (dateFmt[p] != '%') continue;
    if (dateFmt[p + 1] == 'y') dateFmt[p + 1] = 'Y';
    ++p;  // the conversion letter, so that "%%y" stays a literal
  }
  std::string s = FormatTm(dateFmt, tm, loc);
  if (!IsMidnight(tm)) {
    s += ' ';
    s += FormatTm(timeFmt, tm, loc);
  }
  if (s.empty() || s == " ") return UsGeneralDate(tm);
  return s;
#endif
}

}  // namespace kavrin

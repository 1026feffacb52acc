#include "chart/number_text.h"

#include <cstdlib>

#include "chart/label_text.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif

namespace kavrin {

namespace {

#ifdef _WIN32

std::string ReadSeparator() {
  char buf[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, sizeof buf) <= 1) return ".";
  return buf;
}

std::string CurrentSeparator() { return ReadSeparator(); }

#else

std::string EnvText(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) + '\x1f' : std::string(1, '\x1e');
}

// Reads the separator of the environment's numeric locale without changing the process's
// global locale; "." when the locale cannot be loaded.
std::string ReadSeparator() {
  locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return ".";
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  std::string sep = (radix && *radix) ? radix : ".";
  freelocale(loc);
  return sep;
}

// Loading a locale is costly and rows are written every tick: the separator is read again
// only when the variables that choose the locale have changed.
std::string CurrentSeparator() {
  static std::string cachedKey;
  static std::string cachedSep;
  std::string key = EnvText("LC_ALL") + EnvText("LC_NUMERIC") + EnvText("LANG") + EnvText("LOCPATH");
  if (cachedSep.empty() || key != cachedKey) {
    cachedSep = ReadSeparator();
    cachedKey = std::move(key);
  }
  return cachedSep;
}

#endif

}  // namespace

std::string LocaleDecimalSeparatorText() { return CurrentSeparator(); }

char LocaleDecimalSeparator() {
  const std::string sep = CurrentSeparator();
  return sep.size() == 1 ? sep[0] : '.';
}

std::string GeneralNumberText(double x) {
  std::string s = GeneralDigits(x);
  const auto point = s.find('.');
  if (point != std::string::npos) s.replace(point, 1, CurrentSeparator());
  return s;
}

std::string ExportValueText(double v) {
  std::string s = GeneralNumberText(v);
  // Row values always show one "0" before the separator below 1.
  const std::string sep = CurrentSeparator();
  if (v > 0 && v < 1 && s.compare(0, sep.size(), sep) == 0) s.insert(0, "0");
  return s;
}

}  // namespace kavrin

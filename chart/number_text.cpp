#include "chart/number_text.h"

#include "chart/label_text.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <langinfo.h>

#include "chart/environment_locale.h"
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

// The separator of the environment's numeric locale; "." when it cannot be loaded.
std::string CurrentSeparator() {
  const locale_t loc = EnvironmentLocale(LocaleCategory::kNumeric);
  if (loc == static_cast<locale_t>(0)) return ".";
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  return (radix && *radix) ? radix : ".";
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
  if (v > 0 && v < 1 && s.compare(0, sep.size(), sep) == 0) s.insert(0, 1, '0');
  return s;
}

}  // namespace kavrin

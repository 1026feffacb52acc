#ifndef _WIN32
#include "chart/environment_locale.h"

#include <cstdlib>
#include <string>

namespace kavrin {

namespace {

// A variable's value, or a mark for unset that no value can equal.
std::string EnvText(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) + '\x1f' : std::string(1, '\x1e');
}

struct LoadedLocale {
  std::string key;  // the variables it was loaded under; empty before the first load
  locale_t locale = static_cast<locale_t>(0);
};

}  // namespace

locale_t EnvironmentLocale(LocaleCategory category) {
  static LoadedLocale numeric;
  static LoadedLocale time;
  const bool isTime = category == LocaleCategory::kTime;
  LoadedLocale& cached = isTime ? time : numeric;
  std::string key = EnvText("LC_ALL") + EnvText(isTime ? "LC_TIME" : "LC_NUMERIC") + EnvText("LANG") +
                    EnvText("LOCPATH");
  if (key == cached.key) return cached.locale;
  if (cached.locale != static_cast<locale_t>(0)) freelocale(cached.locale);
  // A locale that cannot be loaded is remembered too: trying again would allocate again.
  cached.locale = newlocale(isTime ? LC_TIME_MASK : LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  cached.key = std::move(key);
  return cached.locale;
}

}  // namespace kavrin
#endif

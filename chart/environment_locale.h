#pragma once
// The locale the environment chooses for one category (LC_ALL, else the category's own
// variable, else LANG; LOCPATH says where its files are), without touching the process's
// global locale. Loading a locale allocates (and the C library keeps part of it for good
// when LOCPATH is set), so it is loaded once and kept until one of those variables changes.
#ifndef _WIN32
#include <locale.h>

namespace kavrin {

enum class LocaleCategory { kNumeric, kTime };

// The loaded locale, or (locale_t)0 when the environment names one that cannot be loaded.
// Valid until the next call for the same category.
locale_t EnvironmentLocale(LocaleCategory category);

}  // namespace kavrin
#endif

#pragma once
// Number texts in the user's locale: the locale's decimal separator, read from the
// environment (LC_ALL, LC_NUMERIC, LANG) without touching the process's global locale.
#include <string>

namespace kavrin {

// The locale's decimal separator; "." when the locale is unknown, missing or "C".
// A separator of more than one byte (UTF-8) is returned whole by the text form only;
// the char form then gives '.'.
char LocaleDecimalSeparator();
std::string LocaleDecimalSeparatorText();

// General number text: up to 15 significant digits, no trailing zeros, exponent form for
// very large and very small magnitudes, the locale's separator, one "0" before the
// separator when 0 < |x| < 1 (0.25 -> "0.25", -0.5 -> "-0.5"; "0,25" in a comma locale).
std::string GeneralNumberText(double x);

// The value text of an export row entry: the general number text, with exactly one "0"
// before the separator for values strictly between 0 and 1.
std::string ExportValueText(double v);

}  // namespace kavrin

#pragma once
// Value texts of the export log's header lines.
#include <ctime>
#include <string>

#include "common/numbers.h"
#include "common/std_font.h"

namespace kavrin {

// Upper-case hexadecimal, no prefix, no leading zeros; a negative (system) colour gives its
// eight digits in two's complement: 0 -> "0", 32768 -> "8000", -2147483633 -> "8000000F".
std::string ColorText(Long c);

// Name + ":" + "True"/"False" (Bold) + ":" + point size with up to four decimals, trailing
// zeros and separator dropped, the locale's separator: "Arial:True:10.5", "Arial:False:9".
// The name is in the ANSI code page, as the whole log is.
std::string FontText(const StdFont& f);

// A header value kept on its own line: each CR and each LF becomes one blank, every other
// byte stays as it is, so that a header is always 21 lines.
std::string HeaderValueText(std::string value);

// Decimal digits with a leading "-" when negative.
std::string DecimalText(long long v);

// The local date and time t as the user's locale's general date: short date, a blank, long
// time; the time is left out at exactly midnight. C, POSIX and en_US locales give the US
// form "12/7/2026 7:54:36 PM"; other locales their own date and time formats with a
// four-digit year.
std::string GeneralDateText(std::time_t t);

}  // namespace kavrin

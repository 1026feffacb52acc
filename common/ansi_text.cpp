#include "common/ansi_text.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "common/utf16.h"

namespace kavrin {

std::string AnsiText(const std::string& text) {
  if (text.empty()) return {};
  const std::u16string wide = Utf16FromUtf8(text);
  const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
  const int count = static_cast<int>(wide.size());
  // Code pages such as UTF-8 take no best-fit flag: they have every character anyway.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  int n = WideCharToMultiByte(CP_ACP, flags, units, count, nullptr, 0, nullptr, nullptr);
  if (n <= 0) {
    flags = 0;
    n = WideCharToMultiByte(CP_ACP, flags, units, count, nullptr, 0, nullptr, nullptr);
  }
  if (n <= 0) return std::string(text.size(), '?');
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, flags, units, count, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace kavrin

#endif  // _WIN32

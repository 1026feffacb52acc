#include "win32/com_text.h"

#include <new>

namespace kavrin::win32 {

std::string ToAnsi(const wchar_t* text, size_t length) {
  if (!text || length == 0) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), out.data(), n, nullptr, nullptr);
  return out;
}

std::string ToAnsi(BSTR text) { return ToAnsi(text, text ? SysStringLen(text) : 0); }

std::wstring ToWide(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), out.data(), n);
  return out;
}

BSTR ToBstr(const std::string& ansi) {
  const std::wstring wide = ToWide(ansi);
  BSTR b = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (!b) throw std::bad_alloc();
  return b;
}

void AssignBstr(BSTR* slot, const std::string& ansi) {
  BSTR fresh = ToBstr(ansi);
  SysFreeString(*slot);
  *slot = fresh;
}

}  // namespace kavrin::win32

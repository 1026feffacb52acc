#include "win32/com_text.h"

#include <new>

#include "common/utf16.h"

namespace kavrin::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "automation strings are UTF-16");

std::string ToUtf8(const wchar_t* text, size_t length) {
  if (!text) return {};
  return Utf8FromUtf16(reinterpret_cast<const char16_t*>(text), length);
}

std::string ToUtf8(BSTR text) { return ToUtf8(text, text ? SysStringLen(text) : 0); }

std::wstring ToWide(const std::string& utf8) {
  const std::u16string units = Utf16FromUtf8(utf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(units.data()), units.size());
}

BSTR ToBstr(const std::string& utf8) {
  const std::wstring wide = ToWide(utf8);
  BSTR b = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (!b) throw std::bad_alloc();
  return b;
}

void AssignBstr(BSTR* slot, const std::string& utf8) {
  BSTR fresh = ToBstr(utf8);
  SysFreeString(*slot);
  *slot = fresh;
}

}  // namespace kavrin::win32

#pragma once
// Automation strings (UTF-16 BSTR) and the control's strings, which hold UTF-8 text
// (common/utf16.h): titles, units, keys, font names, file paths. Every string comes back
// unit for unit, whatever the system's ANSI code page; text is converted to that code page
// only where it reaches the platform (common/ansi_text.h).
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace kavrin::win32 {

std::string ToUtf8(const wchar_t* text, size_t length);
// A null BSTR is the empty string.
std::string ToUtf8(BSTR text);
std::wstring ToWide(const std::string& utf8);
// A new BSTR the caller owns; raises std::bad_alloc when none can be allocated.
BSTR ToBstr(const std::string& utf8);

// Replaces *slot (freeing its old string) with a copy of utf8.
void AssignBstr(BSTR* slot, const std::string& utf8);

}  // namespace kavrin::win32

#pragma once
// Automation strings (UTF-16 BSTR) and the control's strings, which hold text in the
// system's ANSI code page: file paths, titles, keys and font names.
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace kavrin::win32 {

std::string ToAnsi(const wchar_t* text, size_t length);
// A null BSTR is the empty string.
std::string ToAnsi(BSTR text);
std::wstring ToWide(const std::string& ansi);
// A new BSTR the caller owns; raises std::bad_alloc when none can be allocated.
BSTR ToBstr(const std::string& ansi);

// Replaces *slot (freeing its old string) with a copy of ansi.
void AssignBstr(BSTR* slot, const std::string& ansi);

}  // namespace kavrin::win32

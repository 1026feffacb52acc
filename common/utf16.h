#pragma once
// Automation strings are UTF-16; the system's strings are UTF-8 on every platform. A lone
// surrogate (a UTF-16 unit that is half of a pair without its other half) is kept in UTF-8
// as its own three-byte form (ED A0 80 .. ED BF BF), so that every automation string comes
// back unit for unit: what a caller stores is what it reads back.
#include <cstddef>
#include <string>
#include <string_view>

namespace kavrin {

std::string Utf8FromUtf16(const char16_t* units, std::size_t count);
inline std::string Utf8FromUtf16(std::u16string_view units) { return Utf8FromUtf16(units.data(), units.size()); }

// The reverse. A byte that begins no valid sequence becomes U+FFFD and decoding goes on
// with the next byte.
std::u16string Utf16FromUtf8(std::string_view text);

}  // namespace kavrin

#include "control/variant.h"

#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/vb_error.h"

namespace kavrin {

const char* VarTypeName(VarType t) {
  switch (t) {
    case VarType::kEmpty: return "Empty";
    case VarType::kMissing: return "Missing";
    case VarType::kInteger: return "Integer";
    case VarType::kLong: return "Long";
    case VarType::kDouble: return "Double";
    case VarType::kString: return "String";
    case VarType::kBoolean: return "Boolean";
    case VarType::kFont: return "Font";
    case VarType::kPicture: return "Picture";
    case VarType::kNothing: return "Nothing";
  }
  return "Unknown";
}

Variant::Variant(FontRef f) : type_(f ? VarType::kFont : VarType::kNothing), font_(std::move(f)) {}
Variant::Variant(PictureRef p) : type_(p ? VarType::kPicture : VarType::kNothing), pic_(std::move(p)) {}

Variant Variant::FromInteger(Integer v) {
  Variant r;
  r.type_ = VarType::kInteger;
  r.num_ = v;
  return r;
}

Variant Variant::FromBoolean(Boolean v) {
  Variant r;
  r.type_ = VarType::kBoolean;
  r.num_ = v != 0 ? True : False;  // any nonzero is True, stored as -1
  return r;
}

Variant Variant::Missing() {
  Variant r;
  r.type_ = VarType::kMissing;
  return r;
}

Variant Variant::Nothing() {
  Variant r;
  r.type_ = VarType::kNothing;
  return r;
}

bool Variant::IsNumeric() const {
  return type_ == VarType::kInteger || type_ == VarType::kLong || type_ == VarType::kDouble ||
         type_ == VarType::kBoolean;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The user's decimal separator when it is one character other than ".", else 0.
char LocaleDecimal() {
  const std::lconv* lc = std::localeconv();
  if (lc == nullptr || lc->decimal_point == nullptr) return 0;
  const char* dp = lc->decimal_point;
  if (dp[0] != 0 && dp[1] == 0 && dp[0] != '.') return dp[0];
  return 0;
}

std::optional<double> ParseRadix(std::string_view s, int radix) {
  if (s.empty() || s.size() > (radix == 16 ? 8u : 11u)) return std::nullopt;
  uint64_t v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (radix == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (radix == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    if (d >= radix) return std::nullopt;
    v = v * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
  }
  if (v > 0xFFFFFFFFull) return std::nullopt;
  // Short literals are Integers, as in source text: &HFFFF and &O177777 are -1.
  const bool integerSized = radix == 16 ? s.size() <= 4 : v <= 0xFFFF;
  if (integerSized) return static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(v)));
  return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) { return ParseNumber(text, LocaleDecimal()); }

std::optional<double> ParseNumber(std::string_view text, char userDecimal) {
  std::string_view s = Trim(text);
  if (s.size() >= 2 && s[0] == '&') {
    if (s[1] == 'H' || s[1] == 'h') return ParseRadix(s.substr(2), 16);
    if (s[1] == 'O' || s[1] == 'o') return ParseRadix(s.substr(2), 8);
    return std::nullopt;
  }
  const char sep = userDecimal == '.' ? 0 : userDecimal;
  // Normalised copy for from_chars: no "+", "." as separator, "e" as exponent mark.
  std::string norm;
  norm.reserve(s.size());
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') norm += '-';
    ++i;
  }
  size_t digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) norm += s[i++], ++digits;
  if (i < s.size() && (s[i] == '.' || (sep != 0 && s[i] == sep))) {
    norm += '.';
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) norm += s[i++], ++digits;
  }
  if (digits == 0) return std::nullopt;
  bool negativeExponent = false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    norm += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      negativeExponent = s[i] == '-';
      norm += s[i++];
    }
    size_t expDigits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) norm += s[i++], ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  double v = 0;
  const auto res = std::from_chars(norm.data(), norm.data() + norm.size(), v);
  if (res.ec == std::errc::result_out_of_range) {
    const bool negative = norm[0] == '-';
    if (negativeExponent) return negative ? -0.0 : 0.0;
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  }
  if (res.ec != std::errc() || res.ptr != norm.data() + norm.size()) return std::nullopt;
  return v;
}

std::string NumberText(double v) {
  if (v == 0) return "0";
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Inf" : "Inf";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15G", v);
  return buf;
}

// Every source converts as to a Long first (rounding half to even), then narrows: the
// same results, and the same error numbers, as converting to an Integer directly.
Integer Variant::ToInteger() const { return kavrin::ToInteger(ToLong()); }

Long Variant::ToLong() const {
  switch (type_) {
    case VarType::kInteger:
    case VarType::kBoolean:
    case VarType::kLong: return num_;
    case VarType::kDouble: return CLng(dbl_);
    case VarType::kEmpty: return 0;
    case VarType::kString: {
      if (EqualsNoCase(Trim(str_), "True")) return True;
      if (EqualsNoCase(Trim(str_), "False")) return False;
      const auto v = ParseNumber(str_);
      if (!v) Raise(err::kTypeMismatch);
      return CLng(*v);
    }
    case VarType::kNothing: Raise(err::kObjectNotSet);
    default: Raise(err::kTypeMismatch);
  }
}

double Variant::ToDouble() const {
  switch (type_) {
    case VarType::kInteger:
    case VarType::kBoolean:
    case VarType::kLong: return num_;
    case VarType::kDouble: return dbl_;
    case VarType::kEmpty: return 0;
    case VarType::kString: {
      if (EqualsNoCase(Trim(str_), "True")) return True;
      if (EqualsNoCase(Trim(str_), "False")) return False;
      const auto v = ParseNumber(str_);
      if (!v) Raise(err::kTypeMismatch);
      return FCheck(*v);  // beyond the Double range: overflow
    }
    case VarType::kNothing: Raise(err::kObjectNotSet);
    default: Raise(err::kTypeMismatch);
  }
}

std::string Variant::ToString() const {
  switch (type_) {
    case VarType::kInteger:
    case VarType::kLong: return std::to_string(num_);
    case VarType::kDouble: return NumberText(dbl_);
    case VarType::kBoolean: return num_ != 0 ? "True" : "False";
    case VarType::kString: return str_;
    case VarType::kEmpty: return std::string();
    case VarType::kNothing: Raise(err::kObjectNotSet);
    default: Raise(err::kTypeMismatch);
  }
}

Boolean Variant::ToBoolean() const {
  switch (type_) {
    case VarType::kInteger:
    case VarType::kBoolean:
    case VarType::kLong: return num_ != 0 ? True : False;
    case VarType::kDouble: return dbl_ != 0 ? True : False;
    case VarType::kEmpty: return False;
    case VarType::kString: {
      const std::string_view t = Trim(str_);
      if (EqualsNoCase(t, "True")) return True;
      if (EqualsNoCase(t, "False")) return False;
      const auto v = ParseNumber(str_);
      if (!v) Raise(err::kTypeMismatch);
      return *v != 0 ? True : False;
    }
    case VarType::kNothing: Raise(err::kObjectNotSet);
    default: Raise(err::kTypeMismatch);
  }
}

FontRef Variant::ToFont() const {
  if (type_ == VarType::kFont) return font_;
  if (type_ == VarType::kNothing) return nullptr;
  Raise(err::kTypeMismatch);
}

PictureRef Variant::ToPicture() const {
  if (type_ == VarType::kPicture) return pic_;
  if (type_ == VarType::kNothing) return nullptr;
  Raise(err::kTypeMismatch);
}

bool Variant::Equals(const Variant& o) const {
  const bool numA = IsNumeric() || type_ == VarType::kEmpty;
  const bool numB = o.IsNumeric() || o.type_ == VarType::kEmpty;
  if (numA && numB) {
    const double a = type_ == VarType::kDouble ? dbl_ : static_cast<double>(num_);
    const double b = o.type_ == VarType::kDouble ? o.dbl_ : static_cast<double>(o.num_);
    return a == b;
  }
  if (type_ == VarType::kString && o.type_ == VarType::kString) return str_ == o.str_;
  if (type_ == VarType::kString && o.type_ == VarType::kEmpty) return str_.empty();
  if (type_ == VarType::kEmpty && o.type_ == VarType::kString) return o.str_.empty();
  if (type_ == VarType::kFont && o.type_ == VarType::kFont)
    return font_ == o.font_ || font_->SameDescription(*o.font_);
  if (type_ == VarType::kPicture && o.type_ == VarType::kPicture) return pic_ == o.pic_;
  return type_ == o.type_ && (type_ == VarType::kNothing || type_ == VarType::kMissing);
}

}  // namespace kavrin

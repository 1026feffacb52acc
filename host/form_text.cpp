#include "host/form_text.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cmath>
#include <limits>
#include <unordered_set>

#include <locale.h>

#include "common/vb_error.h"

namespace kavrin::host {

namespace {

constexpr const char* kIndent = "   ";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// A short, printable excerpt of input for messages.
std::string Excerpt(std::string_view s) {
  std::string out;
  for (char c : s.substr(0, 40)) out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
  if (s.size() > 40) out += "...";
  return out;
}

[[noreturn]] void Bad(int line, const std::string& what) {
  Raise(err::kTypeMismatch, "Type mismatch: form text line " + std::to_string(line) + ": " + what);
}

// Splits "word rest" at the first blank.
std::string_view FirstWord(std::string_view s, std::string_view* rest) {
  size_t i = 0;
  while (i < s.size() && !IsBlank(s[i])) ++i;
  *rest = Trim(s.substr(i));
  return s.substr(0, i);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Why a value text is not a value; empty when it is one (and then *out holds it).
std::string ParseString(std::string_view s, Variant* out) {
  std::string text;
  size_t i = 1;  // after the opening quote
  for (;;) {
    if (i >= s.size()) return "unterminated string";
    const char c = s[i++];
    if (c == '"') break;
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "control character in a string (use an escape)";
    if (c != '\\') {
      text += c;
      continue;
    }
    if (i >= s.size()) return "unterminated string";
    const char e = s[i++];
    switch (e) {
      case '"': text += '"'; break;
      case '\\': text += '\\'; break;
      case 'n': text += '\n'; break;
      case 'r': text += '\r'; break;
      case 't': text += '\t'; break;
      case 'x': {
        const int hi = i < s.size() ? HexDigit(s[i]) : -1;
        const int lo = i + 1 < s.size() ? HexDigit(s[i + 1]) : -1;
        if (hi < 0 || lo < 0) return "\\x needs two hex digits";
        text += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default: return std::string("unknown escape \\") + (static_cast<unsigned char>(e) >= 0x20 ? e : '?');
    }
  }
  if (i != s.size()) return "text after the closing quote";
  *out = Variant(std::move(text));
  return {};
}

// Integer text (sign and up to 18 digits) -> value; false when it has another form.
bool ParseWhole(std::string_view s, int64_t* v) {
  size_t i = 0;
  bool neg = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) neg = s[i++] == '-';
  if (i >= s.size()) return false;
  int64_t r = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    if (r > 100000000000000000LL) {  // more than 18 significant digits: beyond every integer type
      r = std::numeric_limits<int64_t>::max() / 2;
      continue;
    }
    r = r * 10 + (s[i] - '0');
  }
  *v = neg ? -r : r;
  return true;
}

// C-locale decimal: sign, digits, optional fraction, optional exponent.
bool IsDecimal(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    size_t exp = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++exp;
    if (exp == 0) return false;
  }
  return i == s.size();
}

std::string ParseDouble(std::string_view s, Variant* out) {
  if (s == "Inf" || s == "+Inf") {
    *out = Variant(std::numeric_limits<double>::infinity());
    return {};
  }
  if (s == "-Inf") {
    *out = Variant(-std::numeric_limits<double>::infinity());
    return {};
  }
  if (s == "NaN") {
    *out = Variant(std::numeric_limits<double>::quiet_NaN());
    return {};
  }
  if (!IsDecimal(s)) return "malformed number '" + Excerpt(s) + "'";
  // Converted in the C locale whatever the user's locale is; a result too small for a
  // Double becomes 0 (or the nearest denormal), one too large is an overflow.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const std::string digits(s);
  errno = 0;
  const double v = strtod_l(digits.c_str(), nullptr, cLocale);
  if (errno == ERANGE && std::isinf(v)) Raise(err::kOverflow);
  *out = Variant(v);
  return {};
}

std::string ParseNumberValue(std::string_view s, Variant* out) {
  const char suffix = s.back();
  if (suffix == '#') return ParseDouble(s.substr(0, s.size() - 1), out);
  if (suffix == '%' || suffix == '&') {
    int64_t v = 0;
    if (!ParseWhole(s.substr(0, s.size() - 1), &v)) return "malformed whole number '" + Excerpt(s) + "'";
    *out = suffix == '%' ? Variant::FromInteger(ToInteger(v)) : Variant::FromLong(ToLong(v));
    return {};
  }
  // No suffix: the smallest type the literal fits, as a literal in source code.
  int64_t v = 0;
  if (ParseWhole(s, &v)) {
    if (v >= -32768 && v <= 32767) *out = Variant::FromInteger(static_cast<Integer>(v));
    else if (v >= std::numeric_limits<Long>::min() && v <= std::numeric_limits<Long>::max())
      *out = Variant::FromLong(static_cast<Long>(v));
    else return ParseDouble(s, out);
    return {};
  }
  return ParseDouble(s, out);
}

std::string ParseValue(std::string_view s, Variant* out) {
  s = Trim(s);
  if (s.empty()) return "missing value";
  if (s[0] == '"') return ParseString(s, out);
  if (SameNoCase(s, "True")) {
    *out = Variant::FromBool(true);
    return {};
  }
  if (SameNoCase(s, "False")) {
    *out = Variant::FromBool(false);
    return {};
  }
  if (SameNoCase(s, "Empty")) {
    *out = Variant();
    return {};
  }
  if (SameNoCase(s, "Nothing")) {
    *out = Variant::Nothing();
    return {};
  }
  return ParseNumberValue(s, out);
}

Variant DecodeScalar(const TextEntry& e) {
  Variant v;
  std::string why;
  try {
    why = ParseValue(e.value, &v);
  } catch (const RuntimeError& ex) {
    Raise(ex.Number(), std::string(StandardMessage(ex.Number())) + ": form text line " + std::to_string(e.line) +
                           ": " + e.name + ": number outside its type");
  }
  if (!why.empty()) Bad(e.line, e.name + ": " + why);
  return v;
}

// The font attributes in the order they are applied (Weight after Bold: it decides both).
const char* const kFontAttributes[] = {"Name", "Size", "Bold", "Italic", "Underline", "Strikethrough", "Weight",
                                       "Charset"};

Variant DecodeFont(const TextEntry& e) {
  auto font = std::make_shared<StdFont>();
  for (const char* attr : kFontAttributes) {
    const TextEntry* a = nullptr;
    for (const auto& x : e.attributes)
      if (x.name == attr) a = &x;
    if (a == nullptr) continue;
    const Variant v = DecodeScalar(*a);
    try {
      const std::string_view n = attr;
      if (n == "Name") font->Name(v.ToString());
      else if (n == "Size") font->Size(v.ToDouble());
      else if (n == "Bold") font->Bold(v.ToBoolean() != 0);
      else if (n == "Italic") font->Italic(v.ToBoolean() != 0);
      else if (n == "Underline") font->Underline(v.ToBoolean() != 0);
      else if (n == "Strikethrough") font->Strikethrough(v.ToBoolean() != 0);
      else if (n == "Weight") font->Weight(v.ToInteger());
      else font->Charset(v.ToInteger());
    } catch (const RuntimeError& ex) {
      Raise(ex.Number(), std::string(StandardMessage(ex.Number())) + ": form text line " + std::to_string(a->line) +
                             ": " + e.name + "." + attr + " cannot take a " + v.TypeName() + " value");
    }
  }
  return Variant(font);
}

std::string FormatDouble(double v) {
  if (std::isnan(v)) return "NaN#";
  if (std::isinf(v)) return v > 0 ? "Inf#" : "-Inf#";
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr) + "#";
}

void Indent(std::string& out, int level) {
  for (int i = 0; i < level; ++i) out += kIndent;
}

// Parses "Name = value" into the entry; raises 13 when the line has another form.
TextEntry ParseEntryLine(std::string_view line, int lineNo) {
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) Bad(lineNo, "expected 'Name = value', found '" + Excerpt(line) + "'");
  const std::string_view name = Trim(line.substr(0, eq));
  if (!IsEntryName(name)) Bad(lineNo, "invalid entry name '" + Excerpt(name) + "'");
  TextEntry e;
  e.name = std::string(name);
  e.line = lineNo;
  e.value = std::string(Trim(line.substr(eq + 1)));
  return e;
}

// Tracks the names of one block so that no name appears twice.
class NameSet {
 public:
  void Add(const std::string& name, int line) {
    if (!names_.insert(name).second) Bad(line, "duplicate entry '" + name + "'");
  }

 private:
  std::unordered_set<std::string> names_;
};

}  // namespace

int LineEntryNumber(std::string_view name) {
  std::string_view digits;
  if (name.substr(0, 3) == "Key") digits = name.substr(3);
  else if (name.substr(0, 5) == "Color") digits = name.substr(5);
  if (digits.empty() || digits.size() > 5 || digits[0] == '0') return 0;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n <= 32767 ? n : 0;
}

bool IsEntryName(std::string_view name) {
  if (name.empty() || name.size() > 255) return false;
  // The block keywords would read back as the start or end of a block.
  for (const char* keyword : {"Begin", "End", "BeginProperty", "EndProperty"})
    if (SameNoCase(name, keyword)) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    const bool digit = c >= '0' && c <= '9';
    if (!(letter || (digit && i > 0))) return false;
  }
  return true;
}

std::string QuoteString(std::string_view s) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"') out += "\\\"";
    else if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (u < 0x20 || u == 0x7F) {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;  // UTF-8 bytes go through as they are
    }
  }
  return out + "\"";
}

std::string EncodeScalar(const Variant& v) {
  switch (v.Type()) {
    case VarType::kEmpty: return "Empty";
    case VarType::kNothing: return "Nothing";
    case VarType::kInteger: return std::to_string(v.ToInteger()) + "%";
    case VarType::kLong: return std::to_string(v.ToLong()) + "&";
    case VarType::kDouble: return FormatDouble(v.ToDouble());
    case VarType::kBoolean: return v.ToBoolean() != 0 ? "True" : "False";
    case VarType::kString: return QuoteString(v.ToString());
    default: break;
  }
  Raise(err::kTypeMismatch, std::string("Type mismatch: a ") + v.TypeName() + " value cannot be saved with the form");
}

void AppendEntry(std::string& out, int indent, const std::string& name, const Variant& value) {
  if (value.Type() != VarType::kFont) {
    Indent(out, indent);
    out += name + " = " + EncodeScalar(value) + "\n";
    return;
  }
  const FontRef f = value.ToFont();
  Indent(out, indent);
  out += "BeginProperty Font " + name + "\n";
  const auto line = [&](const char* attr, const Variant& v) {
    Indent(out, indent + 1);
    out += std::string(attr) + " = " + EncodeScalar(v) + "\n";
  };
  line("Name", Variant(f->Name()));
  line("Size", Variant(f->Size()));
  line("Bold", Variant::FromBool(f->Bold()));
  line("Italic", Variant::FromBool(f->Italic()));
  line("Underline", Variant::FromBool(f->Underline()));
  line("Strikethrough", Variant::FromBool(f->Strikethrough()));
  line("Weight", Variant::FromInteger(f->Weight()));
  line("Charset", Variant::FromInteger(f->Charset()));
  Indent(out, indent);
  out += "EndProperty\n";
}

Variant DecodeEntry(const TextEntry& entry) { return entry.font ? DecodeFont(entry) : DecodeScalar(entry); }

FormText ParseFormText(std::string_view text) {
  enum class In { Nothing, Form, Control, Font, Lines, After };
  FormText form;
  In where = In::Nothing;
  In fontParent = In::Form;
  TextEntry* font = nullptr;
  NameSet formNames, controlNames, fontNames, controlIds, lineNames;
  bool controlHasLines = false;
  if (text.size() > kMaxFormTextBytes)
    Bad(1, "a form text is at most " + std::to_string(kMaxFormTextBytes) + " bytes long");
  int lineNo = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    const std::string_view line = Trim(raw);
    if (line.empty() || line[0] == '\'') continue;

    std::string_view rest;
    const std::string_view word = FirstWord(line, &rest);
    switch (where) {
      case In::Nothing: {
        std::string_view name;
        const std::string_view kind = FirstWord(rest, &name);
        if (!SameNoCase(word, "Begin") || !SameNoCase(kind, "Form") || !IsEntryName(name))
          Bad(lineNo, "a form text starts with 'Begin Form Name'");
        form.name = std::string(name);
        where = In::Form;
        break;
      }
      case In::Form:
      case In::Control: {
        auto& entries = where == In::Form ? form.entries : form.controls.back().entries;
        NameSet& names = where == In::Form ? formNames : controlNames;
        if (SameNoCase(word, "End") && rest.empty()) {
          where = where == In::Form ? In::After : In::Form;
        } else if (SameNoCase(word, "BeginProperty") && SameNoCase(rest, "Lines")) {
          if (where != In::Control) Bad(lineNo, "a Lines block belongs in a control");
          if (controlHasLines) Bad(lineNo, "a second Lines block");
          controlHasLines = true;
          lineNames = NameSet();
          where = In::Lines;
        } else if (SameNoCase(word, "BeginProperty")) {
          std::string_view name;
          const std::string_view kind = FirstWord(rest, &name);
          if (!SameNoCase(kind, "Font")) Bad(lineNo, "only font blocks are supported ('BeginProperty Font Name')");
          if (!IsEntryName(name)) Bad(lineNo, "invalid entry name '" + Excerpt(name) + "'");
          names.Add(std::string(name), lineNo);
          TextEntry e;
          e.name = std::string(name);
          e.line = lineNo;
          e.font = true;
          entries.push_back(std::move(e));
          font = &entries.back();
          fontNames = NameSet();
          fontParent = where;
          where = In::Font;
        } else if (SameNoCase(word, "Begin")) {
          if (where == In::Control) Bad(lineNo, "a control cannot hold another control");
          std::string_view name;
          const std::string_view cls = FirstWord(rest, &name);
          if (!IsEntryName(cls) || !IsEntryName(name)) Bad(lineNo, "expected 'Begin ClassName ControlName'");
          if (form.controls.size() >= kMaxControlsPerForm)
            Bad(lineNo, "more than " + std::to_string(kMaxControlsPerForm) + " controls");
          controlIds.Add(std::string(name), lineNo);
          form.controls.push_back(ControlText{std::string(cls), std::string(name), lineNo, {}, {}});
          controlNames = NameSet();
          controlHasLines = false;
          where = In::Control;
        } else {
          TextEntry e = ParseEntryLine(line, lineNo);
          names.Add(e.name, lineNo);
          entries.push_back(std::move(e));
        }
        break;
      }
      case In::Font: {
        if (SameNoCase(word, "EndProperty") && rest.empty()) {
          where = fontParent;
          font = nullptr;
          break;
        }
        TextEntry e = ParseEntryLine(line, lineNo);
        bool known = false;
        for (const char* attr : kFontAttributes) known = known || e.name == attr;
        if (!known) Bad(lineNo, "a font has no attribute '" + e.name + "'");
        fontNames.Add(e.name, lineNo);
        font->attributes.push_back(std::move(e));
        break;
      }
      case In::Lines: {
        if (SameNoCase(word, "EndProperty") && rest.empty()) {
          where = In::Control;
          break;
        }
        TextEntry e = ParseEntryLine(line, lineNo);
        if (LineEntryNumber(e.name) == 0) Bad(lineNo, "a Lines block holds Key<n> and Color<n>, not '" + e.name + "'");
        lineNames.Add(e.name, lineNo);
        form.controls.back().lines.push_back(std::move(e));
        break;
      }
      case In::After: Bad(lineNo, "text after the end of the form");
    }
  }
  const int last = lineNo > 0 ? lineNo : 1;
  switch (where) {
    case In::Nothing: Bad(last, "empty form text");
    case In::Form: Bad(last, "missing 'End' of form " + form.name);
    case In::Control: Bad(last, "missing 'End' of control " + form.controls.back().name);
    case In::Font: Bad(last, "missing 'EndProperty' of font " + font->name);
    case In::Lines: Bad(last, "missing 'EndProperty' of the Lines block");
    case In::After: break;
  }
  return form;
}

}  // namespace kavrin::host

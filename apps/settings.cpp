#include "apps/settings.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "apps/line_colors.h"
#include "apps/row_splitter.h"
#include "common/vb_error.h"
#include "control/automation.h"
#include "control/kavrin_line_chart.h"

namespace kavrin::app {
namespace {

std::string Trim(const std::string& s) {
  const auto a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  const auto b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

FontRef ParseFont(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const auto comma = text.find(',', start);
    parts.push_back(Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (parts.empty() || parts[0].empty()) Raise(err::kTypeMismatch, "a font is Name[,Size][,bold][,italic]");
  auto font = std::make_shared<StdFont>();
  font->Name(parts[0]);
  for (size_t i = 1; i < parts.size(); ++i) {
    const std::string p = Lower(parts[i]);
    double size = 0;
    auto [end, ec] = std::from_chars(p.data(), p.data() + p.size(), size);
    if (ec == std::errc() && end == p.data() + p.size() && std::isfinite(size) && size > 0 && size <= 1000) {
      font->Size(size);
    } else if (p == "bold") {
      font->Bold(true);
    } else if (p == "italic") {
      font->Italic(true);
    } else if (p == "underline") {
      font->Underline(true);
    } else if (p == "strikethrough") {
      font->Strikethrough(true);
    } else {
      Raise(err::kTypeMismatch, "\"" + parts[i] + "\" is not a font size or style (bold, italic, underline)");
    }
  }
  return font;
}

}  // namespace

double GridSpacingFor(double min, double max) {
  const double range = std::fabs(max - min);
  if (!std::isfinite(range) || range <= 0) return 0;
  double step = std::pow(10.0, std::floor(std::log10(range / 10.0)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    if (range / (step * m) <= 10.0 * (1 + 1e-12)) return step * m;
  }
  return step * 10.0;
}

std::string SettingName(const std::string& assignment) {
  return Lower(Trim(assignment.substr(0, assignment.find('='))));
}

Variant SettingValue(const std::string& typeName, const std::string& text) {
  if (typeName == "Font") return Variant(ParseFont(text));
  if (typeName == "OLE_COLOR") {
    if (const auto color = ParseColor(Trim(text))) return Variant(static_cast<Long>(*color));
  }
  return Variant(text);
}

std::string SettingNeeds(const std::string& typeName) {
  if (typeName == "Double") return "a number";
  if (typeName == "Integer") return "a whole number from -32768 to 32767";
  if (typeName == "Boolean") return "True or False";
  if (typeName == "OLE_COLOR") return "a colour (#RRGGBB, #RGB, a name such as orange, or a number)";
  if (typeName == "Font") return "a font (Name[,Size][,bold][,italic][,underline])";
  return "a text";
}

void ApplySetting(KavrinLineChart& chart, const std::string& assignment) {
  const auto eq = assignment.find('=');
  const std::string name = Trim(assignment.substr(0, eq));
  const std::string text = eq == std::string::npos ? std::string() : assignment.substr(eq + 1);
  const MemberInfo* m = FindMember(name);
  if (m == nullptr || m->kind != MemberKind::kProperty)
    throw SettingRefused(err::kNotSupported, "there is no chart property named " + KeyText(name));
  try {
    std::vector<Variant> args{SettingValue(m->typeName, text)};
    InvokeByName(chart, m->name, m->canSet ? kInvokeSet : kInvokeLet, args);
  } catch (const RuntimeError& e) {
    // "Max needs a number, got 'abc'", with the chart's own reason where it adds one.
    std::string why = m->name + " needs " + SettingNeeds(m->typeName) + ", got '" + KeyText(text) + "'";
    if (e.Number() == err::kOverflow) why += " (too large)";
    if (m->typeName == "Font") {
      // The font parser's own reason, without the run-time error's prefix.
      const std::string what = e.what();
      const auto colon = what.find("': ");
      why += " (" + (colon == std::string::npos ? what : what.substr(colon + 3)) + ")";
    }
    throw SettingRefused(e.Number(), why);
  }
}

}  // namespace kavrin::app

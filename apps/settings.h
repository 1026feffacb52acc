#pragma once
// --set Name=Value: any property of the chart by name, through the control's automation
// table, with the automation coercions (text to number, to Boolean, ...). Friendlier
// forms on top: a colour as #RRGGBB, #RGB or a name, and a font as
// Name[,Size][,bold][,italic][,underline].
#include <string>

#include "common/vb_error.h"
#include "control/variant.h"

namespace kavrin {
class KavrinLineChart;
}

namespace kavrin::app {

// A --set the chart refused: the run-time error, and why in the user's terms.
class SettingRefused : public RuntimeError {
 public:
  SettingRefused(int number, std::string why) : RuntimeError(number, why), why_(std::move(why)) {}
  const std::string& Why() const { return why_; }

 private:
  std::string why_;
};

// The value to pass for a property of the given automation type name, or the text itself.
// Raises 13 for a font text that does not parse.
Variant SettingValue(const std::string& typeName, const std::string& text);

// The value grid spacing for a scale from min to max: the smallest of 1, 2, 5 times a
// power of ten that gives at most ten grid steps (the control's default 10 for -50 .. 50).
// Zero when the range is empty or not finite.
double GridSpacingFor(double min, double max);

// What a property of the given automation type name takes, for messages: "a number".
std::string SettingNeeds(const std::string& typeName);

// The property name of a "Name=Value" assignment, trimmed, in lower case.
std::string SettingName(const std::string& assignment);

// Applies one "Name=Value". Throws SettingRefused: 438 for a name that is not a property, and the
// property's own error (13 type mismatch, 6 overflow, ...) for a value it refuses, with a
// message that names the property, the value and what it needs.
void ApplySetting(KavrinLineChart& chart, const std::string& assignment);

}  // namespace kavrin::app

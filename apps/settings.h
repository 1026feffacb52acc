#pragma once
// --set Name=Value: any property of the chart by name, through the control's automation
// table, with the automation coercions (text to number, to Boolean, ...). Two friendlier
// forms on top: a colour as #RRGGBB, and a font as Name[,Size][,bold][,italic][,underline].
#include <string>

#include "control/variant.h"

namespace kavrin {
class KavrinLineChart;
}

namespace kavrin::app {

// The value to pass for a property of the given automation type name, or the text itself.
// Raises 13 for a font text that does not parse.
Variant SettingValue(const std::string& typeName, const std::string& text);

// The value grid spacing for a scale from min to max: the smallest of 1, 2, 5 times a
// power of ten that gives at most ten grid steps (the control's default 10 for -50 .. 50).
// Zero when the range is empty or not finite.
double GridSpacingFor(double min, double max);

// The property name of a "Name=Value" assignment, trimmed, in lower case.
std::string SettingName(const std::string& assignment);

// Applies one "Name=Value". Raises 438 for a name that is not a property, and the
// property's own error (13 type mismatch, 6 overflow, ...) for a value it refuses.
void ApplySetting(KavrinLineChart& chart, const std::string& assignment);

}  // namespace kavrin::app

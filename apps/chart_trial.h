#pragma once
// Whether a chart can be drawn with given settings at a given size, found out by trying:
// the settings on a throwaway headless form, configured at that size, then lines and two
// ticks. The run checks its configuration this way before it starts, and a window resize
// before it replaces a chart that draws well.
#include <string>
#include <vector>

#include "common/std_font.h"

namespace kavrin {
class KavrinLineChart;
}

namespace kavrin::app {

struct TrialSize {
  int width = 0;
  int height = 0;
};

// Empty when the chart's settings draw at the size with `lines` lines (value tips on);
// else the error that stopped them, or why the drawing would be no chart: value labels
// piled on each other (grid lines less than two thirds of a label's height apart). The
// property named leaveOut (if any) is tried at its default instead. `ambient` is the form's
// font, the default of the font properties.
std::string TryChart(KavrinLineChart& chart, const FontRef& ambient, TrialSize size, size_t lines,
                     const std::string& leaveOut = "");

// The smallest size the chart's settings draw at, from a size they draw at: the least
// height at its width, then the least width at that height.
TrialSize SmallestSize(KavrinLineChart& chart, const FontRef& ambient, TrialSize drawn, size_t lines);

// What keeps the chart from being drawn: each of the --set assignments, and the --size
// (sizeOption, empty when not given), without which the trial passes; empty when none
// alone is to blame.
std::string BlameSettings(KavrinLineChart& chart, const FontRef& ambient, TrialSize size, TrialSize plainSize,
                          size_t lines, const std::vector<std::string>& sets, const std::string& sizeOption);

}  // namespace kavrin::app

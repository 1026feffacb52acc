#pragma once
// Room around the plot for what the chart draws there: the value labels and the unit,
// a title at the side, and the legend's keys. The control lays these out from its
// margins (Dist) and never checks that they fit; a host that knows the keys widens the
// margins before the lines are added, whichever way the settings arrived (a form, code,
// the command line). Margins are only ever widened, so a form's or caller's wider
// margins stay as they are.
//
// Call order: configure the chart (a Resize, so its engine knows the fonts' cells) ->
//   FitMargins -> when it returns true, configure again (fire Resize) -> AddLine.
#include <string>
#include <vector>

#include "common/std_font.h"

namespace kavrin {
class KavrinLineChart;
}

namespace kavrin::host {

struct MarginFit {
  // The keys of the lines the legend will show.
  std::vector<std::string> keys;
  // The font that stands in for font properties left empty (the form's font).
  FontRef ambient;
  // Keep MeasureWidth as it is (the user chose it); else it grows to the widest label.
  bool keepMeasureWidth = false;
  // No margin grows beyond this share of the chart's width.
  double maxShare = 0.4;
};

// Widens MeasureWidth and the left and right margins so that labels, unit, side title
// and keys fit; top and bottom stay. True when a property changed (the chart needs a new
// configuration). Does nothing without an engine or with margins it cannot read.
bool FitMargins(KavrinLineChart& chart, const MarginFit& fit);

}  // namespace kavrin::host

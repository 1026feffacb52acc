#pragma once
// The strip of time labels under a chart: a surface as wide as the control on which each
// label stands centred under its time grid line, below a short mark that continues the
// line, in the value scale's font and colour on the control's background. Where the labels
// go is LayoutTimeLabels' work; this only draws them.
//
// Call order: TimeStrip() -> Draw(...) after every tick and resize -> GetSurface() and
//   Labels() until the next Draw.
#include <memory>
#include <vector>

#include "control/kavrin_line_chart.h"
#include "draw/cfont.h"
#include "host/surface.h"
#include "host/time_labels.h"

namespace kavrin::host {

class TimeStrip {
 public:
  // Rows of the mark under each grid line, above the label's text.
  static constexpr int kMarkHeight = 4;

  TimeStrip();
  ~TimeStrip();
  TimeStrip(const TimeStrip&) = delete;
  TimeStrip& operator=(const TimeStrip&) = delete;

  // Draws the labels of the lines in the chart's scale font, scale colour (the text) and
  // time grid colour (the marks) on `back`, on a strip `width` pixels wide.
  void Draw(const KavrinLineChart& chart, COLORREF back, int width, const std::vector<TimeGridLine>& lines,
            const TimeOfTick& timeOf);

  // Null before the first Draw.
  const Surface* GetSurface() const { return surface_.get(); }
  const std::vector<TimeLabel>& Labels() const { return labels_; }

 private:
  std::unique_ptr<Surface> surface_;
  std::unique_ptr<cFont> font_;  // bound to the surface; goes before it, putting its own font back
  std::vector<TimeLabel> labels_;
};

}  // namespace kavrin::host

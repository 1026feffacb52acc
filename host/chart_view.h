#pragma once
// What a host's window shows of a chart, around the unchanged control: the live picture or
// a paused one, the time strip below it, and a status text in the title (paused and how far
// behind live, the values under the pointer). It listens to the site window's input:
//   Space    pauses, or returns to live;       End      returns to live;
//   Left     one time grid line back (2 ticks; pauses when live); Right  one line forward;
//   wheel    five lines a notch, up back and down forward;
//   pointer  the values of the column under it, live or paused.
// The control, its log and its ticks go on while the view is paused.
//
// Call order: ChartView(site, chart, history) once the lines are added -> Title(base) ->
//   Update() after every tick and every Restore -> Compose() for picture files -> destroy
//   before the site.
#include <memory>
#include <optional>
#include <string>

#include "control/kavrin_line_chart.h"
#include "host/chart_history.h"
#include "host/paused_view.h"
#include "host/time_strip.h"
#include "host/window.h"

namespace kavrin::host {

class ChartView {
 public:
  static constexpr int64_t kKeyTicks = 2;
  static constexpr int64_t kWheelTicks = 10;

  // timeStrip false: no strip under the control.
  ChartView(ControlSite& site, KavrinLineChart& chart, ChartHistory& history, bool timeStrip = true);
  ~ChartView();
  ChartView(const ChartView&) = delete;
  ChartView& operator=(const ChartView&) = delete;

  // The window's title without the status.
  void Title(const std::string& base);
  // Draws the strip (and the paused picture when it must change) and shows them.
  void Update();
  // One input from the window (it comes here by itself).
  void Handle(const WindowInput& input);

  bool Paused() const { return paused_.Paused(); }
  const PausedView& View() const { return paused_; }
  // "Paused, 24 ticks (2.4 s) behind live" and the values under the pointer; empty when live
  // with the pointer off the plot.
  std::string Status() const;
  // The picture the window shows, the strip below the chart, for picture files.
  PictureRef Compose() const;
  // Null without a strip.
  const TimeStrip* Strip() const { return strip_.get(); }
  // Where the shown chart's ticks stand.
  TickGeometry Geometry() const;

 private:
  const Surface& Shown() const;
  void ShowInWindow();

  ControlSite& site_;
  KavrinLineChart& chart_;
  ChartHistory& history_;
  PausedView paused_;
  std::unique_ptr<TimeStrip> strip_;
  std::optional<int> pointerX_;
  std::string title_;
  std::string shownTitle_;
  const Surface* shownPicture_ = nullptr;   // the paused picture, null when live
  const Surface* windowPicture_ = nullptr;  // what the window was last told to show
  const Surface* shownBelow_ = nullptr;
  int shownBelowHeight_ = 0;
};

}  // namespace kavrin::host

#pragma once
// The chart while the run goes: its lines, the recent ticks it draws again whenever it is
// rebuilt (a window resize, a new range), the range that follows the data unless the user
// fixed one, and the values it cannot show, which leave gaps and are reported.
//
// Each tick gets a time: the time column's, else the clock's when it is drawn, else (a file
// read as fast as possible) none, and the labels under the chart show tick numbers. In a
// window the chart is shown by a view that can be paused and moved back through the kept
// ticks; the picture files show the chart with its time labels too.
//
// Call order: LiveChart(parts) -> AddLines once -> per tick: Settle(tick), then Draw(tick)
//   -> ShowView() before the window's events are handled -> AfterEvents() after them (a
//   resize may have rebuilt it) -> Picture() for the files -> Unload().
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "apps/chart_setup.h"
#include "apps/messages.h"
#include "apps/options.h"
#include "apps/tick.h"
#include "draw/std_picture.h"
#include "host/autoscale.h"
#include "host/chart_history.h"
#include "host/chart_view.h"
#include "host/time_strip.h"
#include "host/wall_clock.h"

namespace kavrin::app {

// A line as the input plans it; --name and --color may change its key and colour.
struct ChartLine {
  std::string key;
  std::optional<uint32_t> color;  // none: a colour that stands apart from the plot
  PictureRef picture;
  bool tips = false;
  uint32_t tipColor = 0xFFFFFF;
  bool sameColorAsBefore = false;  // takes the colour of the line before it
};

class LiveChart {
 public:
  LiveChart(ChartParts parts, const Options& options, Source source, Messages& messages);
  LiveChart(const LiveChart&) = delete;
  LiveChart& operator=(const LiveChart&) = delete;

  ChartParts& Parts() { return parts_; }
  KavrinLineChart& Control() { return *parts_.chart; }
  bool Window() const { return parts_.window; }

  // The margins fit the keys; the lines are added. Throws UsageFailure when the chart
  // cannot be set up with the keys' margins. timeColumn: the ticks' times come from the input.
  void AddLines(const std::vector<ChartLine>& lines, bool timeColumn = false);
  bool HasLines() const { return hasLines_; }

  // The range is settled before the tick's values reach the chart: true when the chart was
  // rebuilt for a new one (its recent ticks drawn again). Values outside a range the user
  // fixed are gaps.
  bool Settle(const Tick& tick);
  // The tick's values and the tick itself, with its time; a value the chart cannot place is
  // a gap.
  void Draw(const Tick& tick);
  // The time the last tick was drawn with.
  const host::TickTime& LastTime() const { return history_->Time(history_->Ticks() - 1); }

  // A window resize replaced the chart's engine: the lines and recent ticks are back on the
  // new one. The number of ticks drawn again; nothing when no resize happened.
  std::optional<int64_t> AfterEvents();
  // The window shows the ticks drawn since it last did (a paused view stays as it is).
  void ShowView();
  // The chart as picture files show it: the time labels below it unless --no-time-axis.
  PictureRef Picture();
  // The window's view goes before the form's controls.
  void Unload();

  // The window's name: the chart's title (when it says more than the input's name), the
  // input, the program, and the kinds of warning told so far.
  void NameWindow(const std::string& input);

 private:
  void UserResize(int width, int height);
  void TellLegendRoom();
  void ApplyRange(const host::ValueRange& range);
  bool OutsideFixedRange(double value) const;
  size_t TrialLines() const;

  ChartParts parts_;
  const Options& o_;
  Source source_;
  Messages& messages_;
  std::unique_ptr<host::ChartHistory> history_;
  std::unique_ptr<host::ChartView> view_;       // the window's, once the lines are there
  std::unique_ptr<host::TimeStrip> fileStrip_;  // the pictures' time labels
  bool viewStale_ = false;                      // ticks drawn since the view was shown
  bool timeColumn_ = false;
  bool clock_ = false;                          // ticks without a time column take the clock's
  host::WallClock wallClock_;
  std::optional<host::Autoscale> autoscale_;
  std::vector<std::string> keys_;
  bool hasLines_ = false;
  std::vector<uint8_t> shown_;  // per line: the tick's value goes to the chart
  std::pair<int, int> refusedSize_{0, 0};  // the window size last refused, told once
  std::string input_;    // the input's name, for the window's
  int titledKinds_ = 0;  // the kinds of warning the window's name shows
};

}  // namespace kavrin::app

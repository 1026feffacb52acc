#pragma once
// The chart as it stood at an earlier tick, for a host whose window is paused while the run
// goes on: the kept ticks up to that tick replayed into a chart of the same settings and
// size on a headless form of its own, so that its picture is the one the chart showed then.
//
// Call order: PausedView(site, chart, history) -> Pause() -> Step() any number of times,
//   the live chart ticking on -> Picture() to show the view -> Resume().
#include <cstdint>
#include <memory>

#include "control/kavrin_line_chart.h"
#include "host/chart_history.h"
#include "host/form.h"
#include "host/time_grid.h"

namespace kavrin::host {

class PausedView {
 public:
  PausedView(ControlSite& site, KavrinLineChart& chart, const ChartHistory& history);
  ~PausedView();
  PausedView(const PausedView&) = delete;
  PausedView& operator=(const PausedView&) = delete;

  bool Paused() const { return paused_; }
  // Holds the view at the newest tick.
  void Pause();
  // Back to live; the paused chart is let go.
  void Resume();
  // Moves the view by `ticks` (back when negative), no further than the newest tick and
  // no further back than the earliest that replays exactly; the ticks it moved. Only while
  // paused (Pause holds the newest tick, whatever was moved before).
  int64_t Step(int64_t ticks);
  // The tick the view shows: the newest while live. A picture stays while the live chart
  // runs on, also when the ring forgets the ticks it was drawn from; drawn anew (after a
  // step, a resize or new settings), a held tick the ring has forgotten moves forward to
  // the earliest that replays exactly.
  int64_t Tick() const;
  // Ticks from the view to the newest.
  int64_t Behind() const { return history_.Ticks() - 1 - Tick(); }
  // The time of the tick the picture shows, kept with it (none before Picture()).
  const TickTime& Time() const { return drawnTime_; }

  // The chart at Tick(): replayed when the tick, the control's size or its engine changed
  // since it was last drawn. Only while paused.
  const Surface& Picture();
  // Where the paused chart's ticks stand (none before Picture()).
  TickGeometry Geometry() const;

 private:
  ControlSite& site_;
  KavrinLineChart& chart_;
  const ChartHistory& history_;
  bool paused_ = false;
  int64_t held_ = 0;
  // The paused chart and what it was drawn for.
  std::unique_ptr<Form> form_;
  int64_t drawnTick_ = -1;
  int64_t drawnFirst_ = 0;
  TickTime drawnTime_;
  const void* drawnEngine_ = nullptr;
};

}  // namespace kavrin::host

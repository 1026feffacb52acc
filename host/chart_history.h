#pragma once
// A host's memory of a KavrinLineChart's recent ticks. The control forgets its lines and
// drawn history whenever its engine is rebuilt (every resize, and a settings change the
// host applies through a resize); this class keeps the lines and the values and times of
// the last ticks (a ring of several widths of the widest plot), and after a rebuild adds the
// lines again and replays the ticks the plot shows through SetValue and Movie. The replay
// draws exactly what a chart built with the new settings would show had it been fed the
// same ticks from the start; replayed into another chart of the same settings and size it
// draws what the chart showed at an earlier tick.
//
// Ticks are numbered from 0, the first tick fed.
// Call order: ChartHistory(site) once the control is configured -> AddLine for each line
//   -> per tick: SetValue for the lines that have a value, then Movie (with the tick's time)
//   -> after anything that rebuilt the control (a resize, Rebuild): Restore (Rebuild calls it).
// The export log is the host's: the replay runs with whatever log state the new engine has
// (none after a rebuild), so open a new log only after Restore, or replayed ticks are logged
// twice.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "control/kavrin_line_chart.h"
#include "host/control_site.h"
#include "host/tick_time.h"
#include "host/time_grid.h"

namespace kavrin::host {

class ChartHistory {
 public:
  // How many plots full of ticks the ring keeps unless told otherwise.
  static constexpr int kKeptPlots = 10;

  // widestWidth: the widest surface the chart may get, in pixels (0: its present width); the
  // ring holds keptPlots times the ticks a plot that wide shows, at the grid of each
  // rebuild, as far as a bound on the memory allows.
  ChartHistory(ControlSite& site, KavrinLineChart& chart, int widestWidth = 0, int keptPlots = kKeptPlots);

  // The control's AddLine, remembered for the replay.
  void AddLine(const std::string& key, Long color, const PictureRef& pointPic = nullptr, Boolean dispPointTip = False,
               Long tipColor = 16777215);
  // The control's SetValue; the value is kept for the tick (also when the control refuses
  // it as too large for a pixel row, so that the replay refuses it again).
  void SetValue(Integer id, double value);
  // The control's Movie; the tick is kept with its time (none: the tick has no time).
  void Movie(const TickTime& time = TickTime());

  // The control has an engine these lines and ticks are not on yet.
  bool Rebuilt() const;
  // Adds the lines to the new engine and replays the kept ticks its plot shows; the number
  // replayed.
  int64_t Restore();
  // Applies changes to the settings (change), rebuilds the control as a resize does and
  // restores; the number of ticks replayed.
  int64_t Rebuild(const std::function<void()>& change);

  // Ticks the present plot shows: enough to redraw every column of it, the columns the
  // scroll moves into the left margin and the start of the oldest segment.
  int64_t PlotTicks() const { return TicksFor(site_.GetSurface().Width()); }
  int64_t Capacity() const { return capacity_; }
  int64_t Ticks() const { return ticks_; }
  size_t Lines() const { return lines_.size(); }

  // The oldest tick still kept (Ticks() when none is).
  int64_t OldestKept() const { return ticks_ - std::min(ticks_, capacity_); }
  // The first tick the present engine drew (after a Restore, the first one replayed).
  int64_t EngineFirstTick() const { return engineFirst_; }
  // The earliest tick whose picture Replay draws exactly as the chart showed it.
  int64_t FirstExactTick() const;
  // A kept tick's value of line id (1 .. Lines()), none when the line had no value on it;
  // its time. Both raise 9 for a tick that is not kept or a line that does not exist.
  std::optional<double> Value(int64_t tick, Integer id) const;
  const TickTime& Time(int64_t tick) const;
  // A tick's time while the ring keeps it, else none.
  TickTime KeptTime(int64_t tick) const { return tick >= OldestKept() && tick < ticks_ ? Time(tick) : TickTime(); }
  // Where the present engine's ticks stand; none while it has not been restored.
  TickGeometry Geometry() const;
  const std::string& Key(Integer id) const;

  // Adds the lines to `chart`, a freshly configured control of the same settings and size,
  // and feeds it the kept ticks up to `last` (at most the newest) that its plot shows,
  // starting on a tick of the parity the time grid started on; the first tick fed (past
  // last when none is).
  int64_t Replay(KavrinLineChart& chart, int64_t last) const;

 private:
  struct Line {
    std::string key;
    Long color;
    PictureRef pointPic;
    Boolean dispPointTip;
    Long tipColor;
  };
  // The same for a surface of the given width, at the present margins and grid.
  int64_t TicksFor(int surfaceWidth) const;
  void Fit();
  size_t Slot(int64_t tick) const { return static_cast<size_t>(tick % capacity_); }
  double* Row(int64_t tick) { return values_.data() + Slot(tick) * lines_.size(); }
  uint8_t* Given(int64_t tick) { return given_.data() + Slot(tick) * lines_.size(); }
  const double* Row(int64_t tick) const { return values_.data() + Slot(tick) * lines_.size(); }
  const uint8_t* Given(int64_t tick) const { return given_.data() + Slot(tick) * lines_.size(); }
  void CheckKept(int64_t tick) const;
  // Takes the values a tick gave into a line's last known value.
  void Carry(int64_t tick, std::vector<double>& carry, std::vector<uint8_t>& carried) const;
  void Feed(KavrinLineChart& chart, const double* values, const uint8_t* given, const double* carry,
            const uint8_t* carried) const;

  ControlSite& site_;
  KavrinLineChart& chart_;
  int widestWidth_;
  int keptPlots_;
  std::vector<Line> lines_;
  const void* engine_ = nullptr;  // the engine that has the lines and ticks
  int64_t engineFirst_ = 0;       // the first tick that engine drew
  int64_t capacity_ = 0;          // ring rows
  int64_t ticks_ = 0;             // ticks fed since the start
  std::vector<double> values_;    // ring: capacity_ rows of one value per line
  std::vector<uint8_t> given_;    // whether the line had a value on that tick
  std::vector<TickTime> times_;   // ring: one time per tick
  std::vector<double> pending_;   // this tick's values so far
  std::vector<uint8_t> pendingGiven_;
  // Per line, its last value from the ticks that left the ring: where the line stood before
  // the oldest kept tick, so that its next segment starts on the right row after a replay.
  std::vector<double> carry_;
  std::vector<uint8_t> carried_;
};

}  // namespace kavrin::host

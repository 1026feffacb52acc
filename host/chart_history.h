#pragma once
// A host's memory of a KavrinLineChart's recent ticks. The control forgets its lines and
// drawn history whenever its engine is rebuilt (every resize, and a settings change the
// host applies through a resize); this class keeps the lines and the values of the last
// ticks, enough to fill the widest plot again, and after a rebuild adds the lines again and
// replays the ticks through SetValue and Movie. The replay draws exactly what a chart built
// with the new settings would show had it been fed the same ticks from the start.
//
// Call order: ChartHistory(site) once the control is configured -> AddLine for each line
//   -> per tick: SetValue for the lines that have a value, then Movie
//   -> after anything that rebuilt the control (a resize, Rebuild): Restore (Rebuild calls it).
// The export log is the host's: the replay runs with whatever log state the new engine has
// (none after a rebuild), so open a new log only after Restore, or replayed ticks are logged
// twice.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "control/kavrin_line_chart.h"
#include "host/control_site.h"

namespace kavrin::host {

class ChartHistory {
 public:
  // widestWidth: the widest surface the chart may get, in pixels (0: its present width); the
  // ring holds the ticks a plot that wide shows, at the grid of each rebuild.
  ChartHistory(ControlSite& site, KavrinLineChart& chart, int widestWidth = 0);

  // The control's AddLine, remembered for the replay.
  void AddLine(const std::string& key, Long color, const PictureRef& pointPic = nullptr, Boolean dispPointTip = False,
               Long tipColor = 16777215);
  // The control's SetValue; the value is kept for the tick (also when the control refuses
  // it as too large for a pixel row, so that the replay refuses it again).
  void SetValue(Integer id, double value);
  void Movie();

  // The control has an engine these lines and ticks are not on yet.
  bool Rebuilt() const;
  // Adds the lines to the new engine and replays the kept ticks; the number replayed.
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
  double* Row(int64_t tick) { return values_.data() + static_cast<size_t>(tick % capacity_) * lines_.size(); }
  uint8_t* Given(int64_t tick) { return given_.data() + static_cast<size_t>(tick % capacity_) * lines_.size(); }
  void Forget(int64_t tick);
  void Feed(const double* values, const uint8_t* given, const double* carry, const uint8_t* carried);

  ControlSite& site_;
  KavrinLineChart& chart_;
  int widestWidth_;
  std::vector<Line> lines_;
  const void* engine_ = nullptr;  // the engine that has the lines and ticks
  int64_t capacity_ = 0;          // ring rows
  int64_t ticks_ = 0;             // ticks fed since the start
  std::vector<double> values_;    // ring: capacity_ rows of one value per line
  std::vector<uint8_t> given_;    // whether the line had a value on that tick
  std::vector<double> pending_;   // this tick's values so far
  std::vector<uint8_t> pendingGiven_;
  // Per line, its last value from the ticks that left the ring: where the line stood before
  // the oldest kept tick, so that its next segment starts on the right row after a replay.
  std::vector<double> carry_;
  std::vector<uint8_t> carried_;
};

}  // namespace kavrin::host

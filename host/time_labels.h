#pragma once
// The labels under the time grid lines: which lines get one and what each says. Pure: the
// widths of texts come from the caller, nothing is drawn here.
//
// A label is centred on its line's column, so it moves with the line. Every n-th line is
// labelled, counted by tick from the start (a label stays on its line while the plot
// scrolls), with the smallest n of 1, 2, 5, 10, 20, 50, ... that leaves a digit's width
// between neighbouring labels; a label that does not fit whole on the strip is left out.
// A label shows its tick's time to the unit of the smallest step between neighbouring
// labels (milliseconds, seconds, minutes or days), so neighbouring labels never read the
// same; where the labels fall on more than one date, the leftmost one and each one whose
// date differs from its left neighbour's carry the date. Ticks without a time are labelled
// with their number, counted from 1; when some ticks have times, only those are labelled.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/tick_time.h"
#include "host/time_grid.h"

namespace kavrin::host {

enum class TimeUnit { kMillisecond, kSecond, kMinute, kDay };

// 10:00:17.250, 10:00:17, 10:00 or 2026-12-08; with the date asked for and known, the date
// and a blank in front of the time.
std::string FormatTickTime(const TickTime& t, TimeUnit unit, bool withDate);

struct TimeLabel {
  int x = 0;          // the grid line's column
  int64_t tick = 0;   // the tick that drew the line
  std::string text;
  int left = 0;       // where the text starts: x - width \ 2
  int width = 0;
};

using TextWidth = std::function<int(const std::string& text)>;
using TimeOfTick = std::function<TickTime(int64_t tick)>;

// Labels for the lines (left to right, as TimeGridLines gives them) on a strip stripWidth
// pixels wide, left to right.
std::vector<TimeLabel> LayoutTimeLabels(const std::vector<TimeGridLine>& lines, const TimeOfTick& timeOf,
                                        const TextWidth& width, int stripWidth);

}  // namespace kavrin::host

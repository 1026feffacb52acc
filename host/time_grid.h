#pragma once
// Where the control's moving time grid lines stand on its plot and which tick each plot
// column shows, from the engine's geometry and the ticks it drew. Pure: no pixels.
//
// Every tick scrolls the plot left by half = round(grid step) \ 2 pixels and then paints
// its strip at the right edge: its segment ends at column Right, and the ticks that draw a
// time grid line (the engine's first and every second one after it) draw it at Right - 1.
// After the tick `last`, tick g's point therefore stands at Right - (last - g) * half, its
// grid line one column left of it, and its segment fills the half columns up to its point.
#include <cstdint>
#include <optional>
#include <vector>

#include "common/numbers.h"
#include "draw/win32.h"

namespace kavrin {
class cLineChart;
}

namespace kavrin::host {

struct TickGeometry {
  RECT work{0, 0, 0, 0};      // the plot, inclusive edges
  Long half = 0;              // the scroll of an ordinary tick
  int64_t first = 0;          // the first tick the engine drew; older ones are not on it
  int64_t last = -1;          // the newest tick it drew
  bool lastDrewLine = false;  // the newest tick drew a time grid line

  // The engine's plot and grid step; ticks first .. last counted as the host counts them.
  // The engine's tick phase tells whether the newest tick drew a grid line.
  static TickGeometry Of(const cLineChart& engine, int64_t first, int64_t last);
};

struct TimeGridLine {
  int x = 0;         // the column the line stands on
  int64_t tick = 0;  // the tick that drew it
};

// The lines that stand on the plot now, left to right (also when the time grid is hidden:
// where they would stand).
std::vector<TimeGridLine> TimeGridLines(const TickGeometry& g);

// The tick whose segment column x shows: the segment that ends on that tick's point. None
// outside the plot and where no tick of this engine has drawn.
std::optional<int64_t> TickAtColumn(const TickGeometry& g, int x);

}  // namespace kavrin::host

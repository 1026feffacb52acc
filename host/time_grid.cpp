#include "host/time_grid.h"

#include <algorithm>

#include "chart/line_chart.h"

namespace kavrin::host {

TickGeometry TickGeometry::Of(const cLineChart& engine, int64_t first, int64_t last) {
  TickGeometry g;
  g.work = engine.rcWork();
  g.first = first;
  g.last = last;
  if (last < first) return g;  // no tick: the grid step may be one no tick can use
  // The grid step in whole pixels (half to even), halved truncating, as the tick has it.
  g.half = DivL(CLng(engine.dGridStep()), 2);
  // The phase flips after every tick; it is True when the next tick draws a line.
  g.lastDrewLine = engine.bTickPhase() == False;
  return g;
}

std::vector<TimeGridLine> TimeGridLines(const TickGeometry& g) {
  std::vector<TimeGridLine> lines;
  for (int64_t tick = g.lastDrewLine ? g.last : g.last - 1; tick >= g.first; tick -= 2) {
    const int64_t x = g.work.right - 1 - (g.last - tick) * g.half;
    // Older lines only stand further from where the newest was drawn.
    if (x < g.work.left || x > g.work.right) break;
    lines.push_back(TimeGridLine{static_cast<int>(x), tick});
    if (g.half == 0) break;  // every line on the same column: the newest covers the rest
  }
  std::sort(lines.begin(), lines.end(), [](const TimeGridLine& a, const TimeGridLine& b) { return a.x < b.x; });
  return lines;
}

std::optional<int64_t> TickAtColumn(const TickGeometry& g, int x) {
  if (g.last < g.first || x < g.work.left || x > g.work.right) return std::nullopt;
  // Without a scroll to the left each tick draws onto the right edge only.
  if (g.half <= 0) return x == g.work.right ? std::optional<int64_t>(g.last) : std::nullopt;
  const int64_t tick = g.last - (g.work.right - x) / g.half;
  if (tick < g.first) return std::nullopt;
  return tick;
}

}  // namespace kavrin::host

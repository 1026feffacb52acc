#pragma once
// One tick of the chart as the input stages hand it on: the value of each line, or a gap,
// and the time the input gave it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/tick_time.h"

namespace kavrin::app {

struct Tick {
  std::vector<double> values;  // per line of the chart
  std::vector<uint8_t> given;  // 1: the line has its value on this tick; 0: a gap
  int64_t row = 0;             // the input row that ended it; 0 when it came from no input
  // The time column's time of that row; none without a time column or a time in it.
  host::TickTime time;
  // Where line i's value came from, for messages ("row 5, column 2 "1e308"", or "rows 11
  // to 20, column 2" for a value of several rows); empty when the tick came from no input.
  std::function<std::string(size_t line)> where;
};

// A line of the ticks. A line that shows another side of the line before it (the greatest
// values beside the least of one column) takes that line's colour.
struct TickLine {
  std::string key;
  bool sameColorAsBefore = false;
};

}  // namespace kavrin::app

#pragma once
// One tick of the chart as the input stages hand it on: the value of each line, or a gap.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kavrin::app {

struct Tick {
  std::vector<double> values;  // per line of the chart
  std::vector<uint8_t> given;  // 1: the line has its value on this tick; 0: a gap
  int64_t row = 0;             // the input row that made it; 0 when it came from no input
  // Where line i's value came from, for messages ("row 5, column 2 "1e308""); empty
  // when the tick came from no input.
  std::function<std::string(size_t line)> where;
};

}  // namespace kavrin::app

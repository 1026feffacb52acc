#pragma once
// The values under a plot column: the tick whose segment the column shows, its time and
// every line's value on it, read from the kept ticks (the values as they were given, not
// read back from pixels), and one line of text of them for a status strip or a title.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/chart_history.h"
#include "host/time_grid.h"

namespace kavrin::host {

struct ColumnValues {
  int64_t tick = 0;
  TickTime time;
  std::vector<std::optional<double>> values;  // per line, none where it had no value
};

// None where the column shows no tick that is still kept.
std::optional<ColumnValues> ValuesAtColumn(const ChartHistory& history, const TickGeometry& geometry, int x);

// "2026-12-08 10:00:17.250  pressure 12.5  flow -": the time to the millisecond where it
// has one (else "tick 118", counted from 1), then each line's key and value (the shortest
// text that reads back as the same number; "-" for none).
std::string ColumnValuesText(const ChartHistory& history, const ColumnValues& values);

}  // namespace kavrin::host

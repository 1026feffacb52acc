#include "host/column_values.h"

#include <charconv>

#include "host/time_labels.h"

namespace kavrin::host {

std::optional<ColumnValues> ValuesAtColumn(const ChartHistory& history, const TickGeometry& geometry, int x) {
  const std::optional<int64_t> tick = TickAtColumn(geometry, x);
  if (!tick || *tick < history.OldestKept() || *tick >= history.Ticks()) return std::nullopt;
  ColumnValues v;
  v.tick = *tick;
  v.time = history.Time(*tick);
  for (size_t i = 1; i <= history.Lines(); ++i) v.values.push_back(history.Value(*tick, static_cast<Integer>(i)));
  return v;
}

std::string ColumnValuesText(const ChartHistory& history, const ColumnValues& values) {
  std::string text;
  if (values.time.Known()) {
    const bool whole = values.time.Micros() % kMicrosPerSecond == 0;
    text = FormatTickTime(values.time, whole ? TimeUnit::kSecond : TimeUnit::kMillisecond, true);
  } else {
    text = "tick " + std::to_string(values.tick + 1);
  }
  for (size_t i = 0; i < values.values.size(); ++i) {
    text += "  " + history.Key(static_cast<Integer>(i + 1)) + " ";
    if (!values.values[i]) {
      text += "-";
      continue;
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, *values.values[i]);
    text.append(buf, r.ptr);
  }
  return text;
}

}  // namespace kavrin::host

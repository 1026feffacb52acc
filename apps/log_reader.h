#pragma once
// Reads the chart's data log: the 21 header lines ("[Key]value", in the fixed key order)
// and the row lines that follow (rows of "[line]value" entries joined by ",", each row
// followed by "/", newest row first within a line), every line ended by CR LF.
//
// Logs of every writer version read: a header text value (the title or a font name) that
// held CR LF was once written as it was, spilling over several lines; those lines are
// joined back with CR LF. A row line may hold any number of rows (the first line of a log
// opened after an earlier one stopped holds fewer than eleven, a line after a failed write
// more). Value texts are kept as written, in the writer's locale.
//
// A damaged log raises run-time error 13 whose message names the line it fails at
// ("data log line 24: ...").
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavrin::app {

constexpr size_t kLogHeaderLines = 21;

// The header keys with their brackets, in the order the log holds them.
const std::array<std::string_view, kLogHeaderLines>& LogHeaderKeys();

struct LogEntry {
  int line = 0;       // 1-based line number of the chart, 1 .. 32767
  std::string value;  // the value text as written
};

// One tick's row: the lines that received a value, in line order (may be empty).
using LogRow = std::vector<LogEntry>;

struct DataLog {
  std::array<std::string, kLogHeaderLines> header;  // values, in LogHeaderKeys order
  std::vector<LogRow> rows;                         // one per tick, oldest first
  // The value of a header key given with or without brackets ("Title", "[Title]");
  // empty for a key the header does not have.
  std::string_view Value(std::string_view key) const;
};

DataLog ReadDataLog(std::string_view text);
// The same for a file; a file that cannot be read raises 53 (or 75) naming it.
DataLog ReadDataLogFile(const std::string& path);

}  // namespace kavrin::app

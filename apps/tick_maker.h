#pragma once
// The ticks of a data stream. Each planned line takes the number in its column of every
// data row, or a gap where the row has no such column or the field is not a number. One
// row is one tick, or rows are gathered (--mean N, --minmax N, --per SECONDS): a line's
// value is then the mean of the numbers its rows gave, or their least and greatest as two
// lines; a line without any is a gap. With --per, the rows whose time falls in one span of
// SECONDS (counted from 0: 10:00:00.0 to 10:00:00.1 for 0.1) make one tick. A tick's time is
// the time of its last row. Gaps, rows of another width than the header, rows too wide and
// rows without a time are reported here, where they are seen.
//
// Call order: TickMaker(plan, options, messages) -> Take(row) for every data row, using
//   Current() whenever it returns true -> Flush() at the end for the rows gathered last.
#include <string>
#include <vector>

#include "apps/column_plan.h"
#include "apps/messages.h"
#include "apps/options.h"
#include "apps/row_splitter.h"
#include "apps/tick.h"

namespace kavrin::app {

class TickMaker {
 public:
  // The plan's lines and time column; the gathering of --mean, --minmax or --per.
  TickMaker(const ColumnPlan& plan, const Options& options, Messages& messages);
  TickMaker(const TickMaker&) = delete;
  TickMaker& operator=(const TickMaker&) = delete;

  const std::vector<TickLine>& Lines() const { return lines_; }

  // Takes one data row: true when a tick is complete (its `where` is valid until the next
  // Take, for a one-row tick until the row's next Feed).
  bool Take(const RowSplitter& row);
  // The rows gathered since the last tick, as a tick; false when there are none.
  bool Flush();
  const Tick& Current() const { return tick_; }

 private:
  // What one planned line gathered since the last tick.
  struct Gathered {
    double sum = 0;
    double least = 0;
    double greatest = 0;
    int64_t count = 0;
  };
  void Read(const RowSplitter& row);
  host::TickTime RowTime(const RowSplitter& row);
  void Complete();

  std::vector<PlannedLine> planned_;
  std::optional<size_t> timeColumn_;
  bool timeSplit_ = false;
  Aggregate aggregate_;
  int64_t perRows_;
  size_t headerWidth_;
  Messages& messages_;
  std::vector<TickLine> lines_;
  std::vector<Gathered> gathered_;
  int64_t rows_ = 0;        // rows gathered
  int64_t firstRow_ = 0;    // their first
  int64_t lastRow_ = 0;     // and last row number
  int64_t tickFirstRow_ = 0;  // the first row of the tick made last
  host::TickTime lastTime_;
  int64_t perMicros_ = 0;   // --per: a span's length
  int64_t span_ = 0;        // the span the gathered rows are in
  const RowSplitter* row_ = nullptr;
  std::string stamp_;       // a date and time of two fields, joined
  Tick tick_;
};

}  // namespace kavrin::app

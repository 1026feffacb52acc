#pragma once
// A data stream as ticks: rows read from standard input or a file, split into fields, the
// columns planned from the first rows (header rows name them), then the ticks of the data
// rows, one per row or gathered.
//
// Call order: StreamTicks(options, source, messages) -> Next(timeout) until kEnd (the rows
//   gathered last come as a tick before it); after kTick, Lines() and Current() hold the
//   lines and the tick -> Flush() when the run stops before the end.
#include <memory>
#include <string>
#include <vector>

#include "apps/column_plan.h"
#include "apps/input_stream.h"
#include "apps/messages.h"
#include "apps/options.h"
#include "apps/tick.h"
#include "apps/tick_maker.h"

namespace kavrin::app {

class StreamTicks {
 public:
  // Opens the input; throws UsageFailure (exit 3) when the file cannot be read.
  StreamTicks(const Options& options, Source source, Messages& messages);

  enum class Step {
    kWaiting,  // nothing within the timeout
    kEnd,      // the input ended
    kRow,      // a header row, an empty one, or a data row gathered for a tick to come
    kTick,     // a tick
  };
  // Reads one row. Throws UsageFailure when the columns asked for are not in the input (or
  // --name or --color name lines beyond them, or --per finds no time column), RuntimeError
  // when reading fails.
  Step Next(int timeoutMs);
  // The rows gathered for a tick to come, as a tick; false when there are none.
  bool Flush();

  // The lines, once the first data row has come.
  bool LinesKnown() const { return ticks_ != nullptr; }
  const std::vector<TickLine>& Lines() const { return ticks_->Lines(); }
  const Tick& Current() const { return ticks_->Current(); }
  // The input has a column of the rows' times (known with the lines).
  bool HasTimeColumn() const { return plan_.TimeColumn().has_value(); }
  // Why no row was data, for an input that ended before its lines were known.
  std::string NoDataReason() const;

 private:
  void PlanLines();

  const Options& options_;
  Messages& messages_;
  std::unique_ptr<InputStream> input_;
  ColumnPlan plan_;
  std::unique_ptr<TickMaker> ticks_;
};

}  // namespace kavrin::app

#pragma once
// A data stream as ticks: rows read from standard input or a file, split into fields, the
// columns planned from the first rows (header rows name them), then one tick per data row.
//
// Call order: StreamTicks(options, source, messages) -> Next(timeout) until kEnd; after
//   kTick, Lines() and Current() hold the lines and the tick.
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
    kRow,      // a header row or an empty one: no tick
    kTick,     // a data row's tick
  };
  // Reads one row. Throws UsageFailure when the columns asked for are not in the input (or
  // --name or --color name lines beyond them), RuntimeError when reading fails.
  Step Next(int timeoutMs);

  // The lines, once the first data row has come.
  bool LinesKnown() const { return ticks_ != nullptr; }
  const std::vector<PlannedLine>& Lines() const { return plan_.Lines(); }
  const Tick& Current() const { return *tick_; }
  // Why no row was data, for an input that ended before its lines were known.
  std::string NoDataReason() const;

 private:
  void PlanLines();

  const Options& options_;
  Messages& messages_;
  std::unique_ptr<InputStream> input_;
  ColumnPlan plan_;
  std::unique_ptr<TickMaker> ticks_;
  const Tick* tick_ = nullptr;
};

}  // namespace kavrin::app

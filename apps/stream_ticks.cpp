#include "apps/stream_ticks.h"

#include <unistd.h>

#include <string_view>

#include "apps/exit_codes.h"
#include "common/vb_error.h"

namespace kavrin::app {

StreamTicks::StreamTicks(const Options& options, Source source, Messages& messages)
    : options_(options), messages_(messages), plan_(options.columns) {
  if (source == Source::kStdin) {
    input_ = std::make_unique<InputStream>(STDIN_FILENO, false);
  } else {
    std::string error;
    input_ = InputStream::Open(options.inputPath, error);
    if (!input_) throw UsageFailure{kExitInput, "cannot read " + error};
  }
  input_->Rules(SplitRules{options.delimiter, options.decimalComma});
}

StreamTicks::Step StreamTicks::Next(int timeoutMs) {
  switch (input_->NextRow(timeoutMs)) {
    case InputStream::Status::kWaiting:
      return Step::kWaiting;
    case InputStream::Status::kEnd:
      return Flush() ? Step::kTick : Step::kEnd;
    case InputStream::Status::kError:
      throw RuntimeError(err::kDeviceIo, "reading the input failed: " + input_->Error());
    case InputStream::Status::kRow:
      break;
  }
  const RowSplitter& row = input_->Row();
  if (!ticks_) {
    std::vector<std::string_view> fields;
    std::vector<uint8_t> decimalCommas;
    for (size_t i = 0; i < row.Count(); ++i) {
      fields.emplace_back(row.At(i).text);
      decimalCommas.push_back(row.DecimalComma() || row.At(i).quoted ? 1 : 0);
    }
    switch (plan_.Offer(fields, decimalCommas)) {
      case ColumnPlan::Verdict::kSkipped:
      case ColumnPlan::Verdict::kHeader:
        return Step::kRow;
      case ColumnPlan::Verdict::kFailed:
        throw UsageFailure{kExitUsage, plan_.Error()};
      case ColumnPlan::Verdict::kData:
        break;
    }
    PlanLines();
  }
  return ticks_->Take(row) ? Step::kTick : Step::kRow;
}

bool StreamTicks::Flush() { return ticks_ && ticks_->Flush(); }

// The columns are known: --name and --color must name lines that exist, --per needs the
// rows' time; the time column is told about.
void StreamTicks::PlanLines() {
  auto ticks = std::make_unique<TickMaker>(plan_, options_, messages_);
  const std::string error = LineNumbersError(options_, ticks->Lines().size());
  if (!error.empty()) throw UsageFailure{kExitUsage, error};
  const auto t = plan_.TimeColumn();
  if (options_.perSeconds > 0 && !t)
    throw UsageFailure{kExitUsage, "--per needs the rows' time, and no column holds it (dates or times of day, or "
                                   "seconds under the name time, timestamp, date or datetime)"};
  if (t) {
    const auto& header = plan_.Header();
    const std::string name = *t < header.size() && !header[*t].empty() ? " (" + header[*t] + ")" : "";
    messages_.Tell("column " + std::to_string(*t + 1) + name + " holds the rows' time and is not charted");
  }
  ticks_ = std::move(ticks);
}

std::string StreamTicks::NoDataReason() const {
  const int64_t rows = input_->Row().RowNumber();
  if (rows == 0) return "it was empty";
  const std::string counted = std::to_string(rows) + " row" + (rows == 1 ? "" : "s");
  if (plan_.Header().empty()) return "its " + counted + " held no fields";
  std::string names;
  for (const auto& h : plan_.Header()) names += " " + h;
  return "no field of its " + counted + " was a number (the last row of words, taken as the header:" + names + ")";
}

}  // namespace kavrin::app

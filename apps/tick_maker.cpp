#include "apps/tick_maker.h"

#include <algorithm>
#include <cmath>


namespace kavrin::app {

TickMaker::TickMaker(const ColumnPlan& plan, const Options& options, Messages& messages)
    : planned_(plan.Lines()),
      timeColumn_(plan.TimeColumn()),
      timeSplit_(plan.TimeSplit()),
      aggregate_(options.aggregate),
      perRows_(options.perSeconds > 0 ? 0 : options.perRows),
      headerWidth_(plan.HeaderWidth()),
      messages_(messages),
      // Spans in whole microseconds: a time on a span's edge falls in the span it starts.
      perMicros_(options.perSeconds > 0 ? std::max<int64_t>(std::llround(options.perSeconds * 1e6), 1) : 0) {
  for (const auto& p : planned_) {
    if (aggregate_ == Aggregate::kMinMax) {
      lines_.push_back({p.key + " min", false});
      lines_.push_back({p.key + " max", true});
    } else {
      lines_.push_back({p.key, false});
    }
  }
  gathered_.resize(planned_.size());
  tick_.values.assign(lines_.size(), 0.0);
  tick_.given.assign(lines_.size(), 0);
  tick_.where = [this](size_t line) {
    const size_t c = planned_[aggregate_ == Aggregate::kMinMax ? line / 2 : line].column;
    // A tick of the row just read shows the field; one of rows before names them.
    if (tickFirstRow_ == tick_.row && row_ != nullptr && row_->RowNumber() == tick_.row)
      return Where(tick_.row, c, c < row_->Count() ? std::string_view(row_->At(c).text) : std::string_view());
    return "rows " + std::to_string(tickFirstRow_) + " to " + std::to_string(tick_.row) + ", column " +
           std::to_string(c + 1);
  };
}

bool TickMaker::Take(const RowSplitter& row) {
  row_ = &row;
  const auto rowName = [&row] { return "row " + std::to_string(row.RowNumber()); };
  if (row.Truncated() && messages_.Count(Warning::kWideRow)) messages_.First(Warning::kWideRow, rowName());
  if (row.Count() != headerWidth_ && headerWidth_ > 0 && row.Count() > 0 && messages_.Count(Warning::kRowWidth))
    messages_.First(Warning::kRowWidth, rowName(),
                    "names " + std::to_string(headerWidth_) + (headerWidth_ == 1 ? " column" : " columns") +
                        " but " + rowName() + " has " + std::to_string(row.Count()));
  const host::TickTime time = timeColumn_ ? RowTime(row) : host::TickTime();
  bool completed = false;
  if (perMicros_ > 0) {
    if (time.Known()) {
      // A row of another span ends the tick of the rows before it.
      const int64_t span = time.Micros() / perMicros_ - (time.Micros() % perMicros_ < 0 ? 1 : 0);
      if (rows_ > 0 && span != span_) {
        Complete();
        completed = true;
      }
      span_ = span;
    } else if (messages_.Count(Warning::kNoTime)) {
      const size_t c = *timeColumn_;
      const std::string_view text = c < row.Count() ? std::string_view(row.At(c).text) : std::string_view();
      messages_.First(Warning::kNoTime, Where(row.RowNumber(), c, text));
    }
  }
  Read(row);
  // A tick's time is its last row's; a row without one leaves the time of the row before it.
  if (time.Known()) lastTime_ = time;
  if (perRows_ > 0 && rows_ >= perRows_) {
    Complete();
    completed = true;
  }
  return completed;
}

bool TickMaker::Flush() {
  if (rows_ == 0) return false;
  Complete();
  return true;
}

void TickMaker::Read(const RowSplitter& row) {
  if (rows_++ == 0) firstRow_ = row.RowNumber();
  lastRow_ = row.RowNumber();
  for (size_t i = 0; i < planned_.size(); ++i) {
    const size_t c = planned_[i].column;
    if (c >= row.Count()) {
      if (messages_.Count(Warning::kMissing))
        messages_.First(Warning::kMissing, "row " + std::to_string(row.RowNumber()), std::to_string(c + 1));
      continue;
    }
    const auto v = row.Number(c);
    if (!v) {
      if (messages_.Count(Warning::kNotNumber))
        messages_.First(Warning::kNotNumber, Where(row.RowNumber(), c, row.At(c).text));
      continue;
    }
    Gathered& g = gathered_[i];
    g.least = g.count == 0 ? *v : std::min(g.least, *v);
    g.greatest = g.count == 0 ? *v : std::max(g.greatest, *v);
    g.sum += *v;
    ++g.count;
  }
}

// The time of a row: a date and time (perhaps in two fields), a time of day, or seconds
// since 1970 (as the local wall clock).
host::TickTime TickMaker::RowTime(const RowSplitter& row) {
  const size_t c = *timeColumn_;
  if (c >= row.Count()) return {};
  if (timeSplit_ && c + 1 < row.Count()) {
    stamp_.assign(row.At(c).text);
    stamp_ += ' ';
    stamp_ += row.At(c + 1).text;
    return host::TickTime::ParseIso(stamp_).value_or(host::TickTime());
  }
  return host::TickTime::Parse(row.At(c).text).value_or(host::TickTime());
}

void TickMaker::Complete() {
  const bool minmax = aggregate_ == Aggregate::kMinMax;
  for (size_t i = 0; i < gathered_.size(); ++i) {
    Gathered& g = gathered_[i];
    const uint8_t given = g.count > 0 ? 1 : 0;
    if (minmax) {
      tick_.values[2 * i] = g.least;
      tick_.values[2 * i + 1] = g.greatest;
      tick_.given[2 * i] = tick_.given[2 * i + 1] = given;
    } else {
      tick_.values[i] = g.count > 1 ? g.sum / static_cast<double>(g.count) : g.sum;
      tick_.given[i] = given;
    }
    g = Gathered{};
  }
  tick_.row = lastRow_;
  tickFirstRow_ = firstRow_;
  tick_.time = lastTime_;
  lastTime_ = host::TickTime();
  rows_ = 0;
}

}  // namespace kavrin::app

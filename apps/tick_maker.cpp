#include "apps/tick_maker.h"

#include <ostream>

namespace kavrin::app {

TickMaker::TickMaker(std::vector<PlannedLine> lines, size_t headerWidth, Messages& messages)
    : lines_(std::move(lines)), headerWidth_(headerWidth), messages_(messages) {
  tick_.values.assign(lines_.size(), 0.0);
  tick_.given.assign(lines_.size(), 0);
  tick_.where = [this](size_t line) {
    const size_t c = lines_[line].column;
    return Where(row_->RowNumber(), c, c < row_->Count() ? std::string_view(row_->At(c).text) : std::string_view());
  };
}

const Tick& TickMaker::Take(const RowSplitter& row) {
  row_ = &row;
  tick_.row = row.RowNumber();
  if (row.Truncated()) messages_.Count(Gap::kWideRow);
  if (row.Count() != headerWidth_ && headerWidth_ > 0 && !widthWarned_ && row.Count() > 0) {
    widthWarned_ = true;
    messages_.Tell("warning: the header names " + std::to_string(headerWidth_) + " columns but row " +
                   std::to_string(row.RowNumber()) + " has " + std::to_string(row.Count()) +
                   "; its fields are taken by position");
  }
  for (size_t i = 0; i < lines_.size(); ++i) {
    tick_.given[i] = 0;
    const size_t c = lines_[i].column;
    if (c >= row.Count()) {
      messages_.Count(Gap::kMissing);
      continue;
    }
    const auto v = row.Number(c);
    if (!v) {
      if (messages_.Count(Gap::kNotNumber)) messages_.First(Gap::kNotNumber, tick_.where(i));
      continue;
    }
    tick_.values[i] = *v;
    tick_.given[i] = 1;
  }
  return tick_;
}

}  // namespace kavrin::app

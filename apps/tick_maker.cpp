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
  const auto rowName = [&row] { return "row " + std::to_string(row.RowNumber()); };
  if (row.Truncated() && messages_.Count(Warning::kWideRow)) messages_.First(Warning::kWideRow, rowName());
  if (row.Count() != headerWidth_ && headerWidth_ > 0 && row.Count() > 0 && messages_.Count(Warning::kRowWidth))
    messages_.First(Warning::kRowWidth, rowName(),
                    "names " + std::to_string(headerWidth_) + " columns but " + rowName() + " has " +
                        std::to_string(row.Count()));
  for (size_t i = 0; i < lines_.size(); ++i) {
    tick_.given[i] = 0;
    const size_t c = lines_[i].column;
    if (c >= row.Count()) {
      if (messages_.Count(Warning::kMissing)) messages_.First(Warning::kMissing, rowName(), std::to_string(c + 1));
      continue;
    }
    const auto v = row.Number(c);
    if (!v) {
      if (messages_.Count(Warning::kNotNumber)) messages_.First(Warning::kNotNumber, tick_.where(i));
      continue;
    }
    tick_.values[i] = *v;
    tick_.given[i] = 1;
  }
  return tick_;
}

}  // namespace kavrin::app

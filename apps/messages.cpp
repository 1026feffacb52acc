#include "apps/messages.h"

#include <ostream>

#include "apps/row_splitter.h"

namespace kavrin::app {

std::string Where(int64_t row, size_t column, std::string_view text) {
  const std::string t = KeyText(text.substr(0, 24));
  return "row " + std::to_string(row) + ", column " + std::to_string(column + 1) + " \"" + t + "\"";
}

void Messages::Tell(const std::string& text) { err_ << "kavrin-chart: " << text << "\n"; }

void Messages::Fail(const UsageFailure& failure) {
  std::string line = failure.message;
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  Tell(line);
}

bool Messages::Count(Gap kind) { return gaps_[static_cast<int>(kind)].count++ == 0; }

void Messages::First(Gap kind, std::string where, std::string range) {
  gaps_[static_cast<int>(kind)].first = std::move(where);
  if (kind == Gap::kOutsideRange) range_ = std::move(range);
}

void Messages::GapSummary() {
  const auto n = [this](Gap kind) { return gaps_[static_cast<int>(kind)].count; };
  const auto first = [this](Gap kind) { return gaps_[static_cast<int>(kind)].first; };
  if (n(Gap::kNotNumber) > 0)
    Tell(std::to_string(n(Gap::kNotNumber)) + " field(s) were not numbers and left gaps (first: " +
         first(Gap::kNotNumber) + ")");
  if (n(Gap::kMissing) > 0)
    Tell(std::to_string(n(Gap::kMissing)) + " value(s) were missing from short rows and left gaps");
  if (n(Gap::kTooLarge) > 0)
    Tell(std::to_string(n(Gap::kTooLarge)) + " value(s) were too large for the chart and left gaps (first: " +
         first(Gap::kTooLarge) + ")");
  if (n(Gap::kWideRow) > 0)
    Tell(std::to_string(n(Gap::kWideRow)) + " row(s) had more than " + std::to_string(kMaxColumns) +
         " columns; the extra columns were ignored");
  if (n(Gap::kOutsideRange) > 0)
    Tell(std::to_string(n(Gap::kOutsideRange)) + " value(s) were outside the range " + range_ +
         " and left gaps (first: " + first(Gap::kOutsideRange) +
         "); widen it with --set Min=... --set Max=..., or leave out Min, Max and --fixed to follow the data");
}

}  // namespace kavrin::app

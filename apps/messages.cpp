#include "apps/messages.h"

#include <ostream>

#include "apps/row_splitter.h"

namespace kavrin::app {
namespace {

const char* const kWidenRange =
    "widen it with --set Min=... --set Max=..., or leave out Min, Max and --fixed to follow the data";

// For the window's title, in the order of Warning.
constexpr const char* kTitleTags[kWarningKinds] = {
    "fields that are not numbers", "short rows", "values too large", "rows too wide", "values outside the range",
    "rows of another width", "rows without a time",
};

}  // namespace

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

bool Messages::Count(Warning kind) { return seen_[static_cast<int>(kind)].count++ == 0; }

void Messages::First(Warning kind, std::string where, std::string detail) {
  Seen& s = seen_[static_cast<int>(kind)];
  s.where = std::move(where);
  s.detail = std::move(detail);
  ++kinds_;
  const std::string& w = s.where;
  switch (kind) {
    case Warning::kNotNumber:
      Tell("warning: " + w + " is not a number and leaves a gap in its line; more such fields are counted");
      break;
    case Warning::kMissing:
      Tell("warning: " + w + " has no column " + s.detail +
           " and leaves a gap in its line; more such values are counted");
      break;
    case Warning::kTooLarge:
      Tell("warning: " + w + " is too large for the chart and leaves a gap; more such values are counted");
      break;
    case Warning::kWideRow:
      Tell("warning: " + w + " has more than " + std::to_string(kMaxColumns) +
           " columns; the extra columns are ignored");
      break;
    case Warning::kOutsideRange:
      Tell("warning: " + w + " is outside the range " + s.detail + " and leaves a gap; " + kWidenRange);
      break;
    case Warning::kRowWidth:
      Tell("warning: the header " + s.detail + "; its fields are taken by position");
      break;
    case Warning::kNoTime:
      Tell("warning: " + w + " holds no time; its values join the tick before");
      break;
  }
}

std::string Messages::TitleNote() const {
  std::string note;
  for (int k = 0; k < kWarningKinds; ++k)
    if (seen_[k].count > 0) note += (note.empty() ? "warning: " : ", ") + std::string(kTitleTags[k]);
  return note;
}

void Messages::Summary() {
  const auto n = [this](Warning kind) { return std::to_string(Counted(kind)); };
  const auto where = [this](Warning kind) { return seen_[static_cast<int>(kind)].where; };
  if (Counted(Warning::kNotNumber) > 0)
    Tell(n(Warning::kNotNumber) + " field(s) were not numbers and left gaps (first: " + where(Warning::kNotNumber) +
         ")");
  if (Counted(Warning::kMissing) > 0)
    Tell(n(Warning::kMissing) + " value(s) were missing from short rows and left gaps (first: " +
         where(Warning::kMissing) + ")");
  if (Counted(Warning::kTooLarge) > 0)
    Tell(n(Warning::kTooLarge) + " value(s) were too large for the chart and left gaps (first: " +
         where(Warning::kTooLarge) + ")");
  if (Counted(Warning::kWideRow) > 0)
    Tell(n(Warning::kWideRow) + " row(s) had more than " + std::to_string(kMaxColumns) +
         " columns; the extra columns were ignored");
  if (Counted(Warning::kOutsideRange) > 0)
    Tell(n(Warning::kOutsideRange) + " value(s) were outside the range " +
         seen_[static_cast<int>(Warning::kOutsideRange)].detail + " and left gaps (first: " +
         where(Warning::kOutsideRange) + "); " + kWidenRange);
  if (Counted(Warning::kRowWidth) > 0)
    Tell(n(Warning::kRowWidth) + " row(s) had another number of columns than the header");
  if (Counted(Warning::kNoTime) > 0)
    Tell(n(Warning::kNoTime) + " row(s) held no time (first: " + where(Warning::kNoTime) + ")");
}

}  // namespace kavrin::app

#pragma once
// Decides which columns of a data stream become the chart's lines, from the rows at the
// start of the stream: rows of words before the first row with a number are header rows
// (the last one names the columns, as vmstat prints two); the first row with a number is
// the first data row. Without --column every column that holds a number in that row
// becomes a line; with it, the columns given by number or header name, in that order.
//
// A column of the rows' time is recognised and not a line (unless it is the only column):
// the first one whose field in the first data row is an ISO 8601 date or time
// (2026-12-08T10:00:00, 10:00:00), or that the header names time, timestamp, date or
// datetime and holds a number (seconds).
// A date and a time split into two fields by a blank count as the one column the header
// names.
//
// Call order: ColumnPlan(choices) -> Offer(row) until it returns kData or kFailed ->
//   Lines() (or Error()).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavrin::app {

struct PlannedLine {
  size_t column = 0;  // 0-based field index
  std::string key;    // the legend text
};

class ColumnPlan {
 public:
  // More rows of words than this before any number: the next one is data after all.
  static constexpr int kMaxHeaderRows = 16;

  enum class Verdict { kSkipped, kHeader, kData, kFailed };

  // choices: none for all numeric columns; each digits (a 1-based column number) or a
  // header name.
  explicit ColumnPlan(std::vector<std::string> choices) : choices_(std::move(choices)) {}

  // decimalCommas: per field, its number may have a decimal comma.
  Verdict Offer(const std::vector<std::string_view>& fields, const std::vector<uint8_t>& decimalCommas);
  // The same rule for every field.
  Verdict Offer(const std::vector<std::string_view>& fields, bool decimalComma = false);

  const std::vector<PlannedLine>& Lines() const { return lines_; }
  const std::vector<std::string>& Header() const { return header_; }
  const std::string& Error() const { return error_; }
  // The field index of the rows' time, when there is such a column; its date and time of
  // day may be two fields, this one and the next.
  std::optional<size_t> TimeColumn() const { return time_; }
  bool TimeSplit() const { return splitStamp_; }
  // The number of fields a data row has by the header; 0 without a header.
  size_t HeaderWidth() const { return header_.empty() ? 0 : header_.size() + (splitStamp_ ? 1 : 0); }

 private:
  bool IsNumber(size_t field) const;
  Verdict Decide();
  void FindTime();
  // The header's name of a field, and the field of a header column.
  std::string KeyOf(size_t field) const;
  size_t FieldOf(size_t headerColumn) const;
  bool Choose(const std::string& choice, size_t fieldCount);

  std::vector<std::string> choices_;
  const std::vector<std::string_view>* fields_ = nullptr;  // the row being offered, during Offer
  const std::vector<uint8_t>* commas_ = nullptr;
  std::vector<std::string> header_;
  int headerRows_ = 0;
  std::optional<size_t> time_;
  bool splitStamp_ = false;  // the time column's date and time are two fields
  std::vector<PlannedLine> lines_;
  std::string error_;
};

}  // namespace kavrin::app

#pragma once
// Decides which columns of a data stream become the chart's lines, from the rows at the
// start of the stream: rows of words before the first row with a number are header rows
// (the last one names the columns, as vmstat prints two); the first row with a number is
// the first data row. Without --column every column that holds a number in that row
// becomes a line; with it, the one column given by number or header name.
//
// Call order: ColumnPlan(choice) -> Offer(row) until it returns kData or kFailed ->
//   Lines() (or Error()).
#include <cstddef>
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

  // choice: "" all numeric columns, digits a 1-based column number, else a header name.
  explicit ColumnPlan(std::string choice) : choice_(std::move(choice)) {}

  Verdict Offer(const std::vector<std::string_view>& fields);

  const std::vector<PlannedLine>& Lines() const { return lines_; }
  const std::vector<std::string>& Header() const { return header_; }
  const std::string& Error() const { return error_; }

 private:
  Verdict Decide(const std::vector<std::string_view>& fields);
  std::string KeyOf(size_t column) const;

  std::string choice_;
  std::vector<std::string> header_;
  int headerRows_ = 0;
  std::vector<PlannedLine> lines_;
  std::string error_;
};

}  // namespace kavrin::app

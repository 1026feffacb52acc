#pragma once
// What kavrin-chart tells its user: one line "kavrin-chart: ..." on stderr each. The stages
// of a run report here what they find; gaps in the data are counted by kind and summed up at
// the end of the run, each kind with where it first happened.
//
// Call order: Messages(err) -> Tell and Gap while the run goes -> GapSummary at its end.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace kavrin::app {

// A failure that stops the run, told in one line, with the exit code it ends with.
struct UsageFailure {
  int code;
  std::string message;
};

// Why a line had no value on some tick.
enum class Gap {
  kNotNumber,     // the field is not a number
  kMissing,       // the row has no such column
  kTooLarge,      // too large for the chart's pixel rows or for any round range
  kWideRow,       // a row with more columns than can be charted (counted per row)
  kOutsideRange,  // outside a range the user fixed
};
constexpr int kGapKinds = 5;

// "row 5, column 2 "x"": where a field is, for messages (its text cut short and made safe).
std::string Where(int64_t row, size_t column, std::string_view text);

class Messages {
 public:
  explicit Messages(std::ostream& err) : err_(err) {}

  // One line "kavrin-chart: text".
  void Tell(const std::string& text);
  // A usage failure's line: control bytes in its paths or values become "?".
  void Fail(const UsageFailure& failure);
  std::ostream& Stream() { return err_; }

  // Counts a gap; true for the first of its kind, whose place First keeps (and for
  // kOutsideRange the range, as its labels show it).
  bool Count(Gap kind);
  void First(Gap kind, std::string where, std::string range = "");
  int64_t Gaps(Gap kind) const { return gaps_[static_cast<int>(kind)].count; }
  // One line per kind of gap that happened.
  void GapSummary();

 private:
  struct Seen {
    int64_t count = 0;
    std::string first;
  };
  std::ostream& err_;
  Seen gaps_[kGapKinds];
  std::string range_;  // the fixed range, as its labels show it
};

}  // namespace kavrin::app

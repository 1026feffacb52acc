#pragma once
// What kavrin-chart tells its user: one line "kavrin-chart: ..." on stderr each. The stages
// of a run report here what they find in the data, where they see it. Each kind of warning
// is told at once the first time it happens (with its row), shown in the window's title
// from then on, and counted; the end of the run sums every kind up.
//
// Call order: Messages(err) -> Tell, and Count then First for each warning, while the run
//   goes -> Summary at its end.
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

enum class Warning {
  kNotNumber,     // a field that is not a number: a gap in its line
  kMissing,       // a row without the line's column: a gap
  kTooLarge,      // too large for the chart's pixel rows or for any round range: a gap
  kWideRow,       // a row with more columns than can be charted
  kOutsideRange,  // outside a range the user fixed: a gap
  kRowWidth,      // a row with another number of columns than the header names
  kNoTime,        // a row whose time field holds no time
};
constexpr int kWarningKinds = 7;

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

  // Counts a warning; true for the first of its kind, which First then tells: where it
  // happened ("row 5, column 2 "x"", or "row 7") and what only its kind says: the range as
  // its labels show it (kOutsideRange), the column missing (kMissing), "names 3 columns but
  // row 2 has 2" (kRowWidth).
  bool Count(Warning kind);
  void First(Warning kind, std::string where, std::string detail = "");
  int64_t Counted(Warning kind) const { return seen_[static_cast<int>(kind)].count; }

  // The kinds told so far, for the window's title ("warning: short rows, values outside
  // the range"); empty when none was. Kinds() changes when another kind is told.
  std::string TitleNote() const;
  int Kinds() const { return kinds_; }

  // One line per kind of warning that happened, with its count.
  void Summary();

 private:
  struct Seen {
    int64_t count = 0;
    std::string where;
    std::string detail;
  };
  std::ostream& err_;
  Seen seen_[kWarningKinds];
  int kinds_ = 0;
};

}  // namespace kavrin::app

#pragma once
// The tools that read kavrin-chart's data logs back:
//   kavrin-chart log2csv LOG...   the values of every tick as CSV on standard output
//   kavrin-chart replay LOG       the chart drawn again from the log: final picture, snapshots
//                                 (with the time labels under it unless --no-time-axis)
// A run that was rebuilt (a resize, a new range) wrote its log in parts, X.log,
// X-part2.log, ...; naming any part, or the run's folder, takes them all, in part order.
// Beside each part lies X.form (or X-partN.form): the chart's settings, size and lines when
// that part began; and X.times when its ticks had times: log2csv writes them in a time
// column, replay labels the chart's time grid lines with them (else with tick numbers). The tools read one run at a time: logs of two runs are refused, by name.
#include <iosfwd>
#include <string>
#include <vector>

namespace kavrin::app {

// The parts of the run a log belongs to, oldest first: for X.log or X-partN.log, X.log and
// every X-partN.log in its folder, by N. A file named otherwise is a run of its own.
std::vector<std::string> LogParts(const std::string& log);

// The form file beside a log part (X.log -> X.form).
std::string FormBesideLog(const std::string& log);

// A value text of the log (the writer's locale: "-.5", "3,25") as a plain decimal number
// ("-0.5", "3.25"), the form CSV readers take.
std::string PlainNumber(const std::string& logValue);

// Exit codes as the chart run's: 0 ok, 1 an output not written, 2 usage, 3 a log or form
// that cannot be read or is damaged (the message names the file and the line).
int RunLog2Csv(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunReplay(const std::vector<std::string>& args, std::ostream& err);

}  // namespace kavrin::app

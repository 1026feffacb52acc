#pragma once
// The times of a data log's ticks, in a file beside each log part (X.log, X.times): one line
// per tick of that part, in tick order, the tick's time as ISO 8601 text
// (2026-12-08T10:00:00.25, 10:00:00.5), or empty for a tick without one. A part none of
// whose ticks has a time gets no such file; its ticks replay with their numbers.
//
// Call order (writing): TimesWriter(logPath) when the part starts -> Add(time) after every
//   tick -> Flush() now and then, so that a run that is stopped keeps them -> Close().
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/tick_time.h"

namespace kavrin::app {

// X.log -> X.times.
std::string TimesBesideLog(const std::string& log);

class TimesWriter {
 public:
  explicit TimesWriter(const std::string& logPath);
  ~TimesWriter();
  TimesWriter(const TimesWriter&) = delete;
  TimesWriter& operator=(const TimesWriter&) = delete;

  // The file is made new at the first tick with a time, with an empty line for each tick
  // before it. False, with why in error, when the file could not be made or written (once:
  // nothing more is written after that).
  bool Add(const host::TickTime& time, std::string& error);
  bool Flush(std::string& error);
  bool Close(std::string& error);
  // The file was made.
  bool Made() const { return made_; }

 private:
  bool Fail(const std::string& why, std::string& error);

  std::string path_;
  std::FILE* file_ = nullptr;
  int64_t untimed_ = 0;  // ticks before the first with a time
  bool made_ = false;
  bool failed_ = false;
};

// The times of a log part's ticks from the file beside it: none when there is no such file.
// Raises 13 naming the line for a line that is not a time ("times line 7: ..."), and the
// file errors of a file that cannot be read.
std::vector<host::TickTime> ReadTimesBesideLog(const std::string& log);

}  // namespace kavrin::app

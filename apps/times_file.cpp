#include "apps/times_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "apps/output_files.h"
#include "common/file_path.h"
#include "common/vb_error.h"

namespace kavrin::app {

std::string TimesBesideLog(const std::string& log) {
  const bool dotLog = log.size() > 4 && log.compare(log.size() - 4, 4, ".log") == 0;
  return (dotLog ? log.substr(0, log.size() - 4) : log) + ".times";
}

TimesWriter::TimesWriter(const std::string& logPath) : path_(TimesBesideLog(logPath)) {}

TimesWriter::~TimesWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

bool TimesWriter::Fail(const std::string& why, std::string& error) {
  failed_ = true;
  error = why;
  return false;
}

bool TimesWriter::Add(const host::TickTime& time, std::string& error) {
  if (failed_) return true;  // told once already
  if (file_ == nullptr) {
    if (!time.Known()) {
      ++untimed_;
      return true;
    }
    Written failed = Written::kFailed;
    file_ = OpenNewFile(path_, failed, error);
    if (file_ == nullptr) return Fail(error, error);
    made_ = true;
    for (; untimed_ > 0; --untimed_) std::fputc('\n', file_);
  }
  char line[host::TickTime::kMaxText];
  const size_t n = time.Text(line);  // the longest text leaves room for the line's end
  line[n] = '\n';
  if (std::fwrite(line, 1, n + 1, file_) != n + 1) return Fail(path_ + ": could not be written", error);
  return true;
}

bool TimesWriter::Flush(std::string& error) {
  if (file_ == nullptr || failed_) return true;
  if (std::fflush(file_) != 0) return Fail(path_ + ": " + std::strerror(errno), error);
  return true;
}

bool TimesWriter::Close(std::string& error) {
  if (file_ == nullptr) return true;
  const bool written = std::ferror(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (failed_) return true;
  if (!written || !closed) return Fail(path_ + ": could not be written", error);
  return true;
}

std::vector<host::TickTime> ReadTimesBesideLog(const std::string& log) {
  const std::string path = NativePath(TimesBesideLog(log));
  std::vector<host::TickTime> times;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int e = errno;
    if (e == ENOENT) return times;
    Raise(err::kPathFileAccess, "Path/File access error: " + path + ": " + std::strerror(e));
  }
  std::string line;
  for (size_t number = 1; std::getline(in, line); ++number) {
    const bool empty = line.empty() || line == "\r";
    const auto time = empty ? std::optional<host::TickTime>(host::TickTime()) : host::TickTime::Parse(line);
    if (!time)
      Raise(err::kTypeMismatch,
            "Type mismatch: times line " + std::to_string(number) + ": '" + line + "' is not a time");
    times.push_back(*time);
  }
  if (in.bad()) Raise(err::kDeviceIo, "Device I/O error: reading " + path + " failed");
  return times;
}

}  // namespace kavrin::app

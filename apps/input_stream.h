#pragma once
// Rows from standard input or a file, read without ever blocking for long: each call
// waits at most the given time (poll), so a run can notice Ctrl-C, a closed window or
// its next tick while the producer is silent.
//
// Call order: InputStream(fd) or Open(path) -> NextRow(timeout) until kEnd or kError,
//   using Row() after each kRow.
#include <memory>
#include <string>
#include <vector>

#include "apps/row_splitter.h"

namespace kavrin::app {

class InputStream {
 public:
  enum class Status { kRow, kWaiting, kEnd, kError };

  // Reads fd; closes it at the end only when owned.
  InputStream(int fd, bool owned);
  ~InputStream();
  InputStream(const InputStream&) = delete;
  InputStream& operator=(const InputStream&) = delete;

  // Null with the reason in error when the file cannot be opened for reading.
  static std::unique_ptr<InputStream> Open(const std::string& path, std::string& error);

  // A complete row, or kWaiting when none arrived within timeoutMs (also when a signal
  // interrupted the wait), kEnd at the end of the input.
  Status NextRow(int timeoutMs);
  const RowSplitter& Row() const { return split_; }
  // How rows split into fields; before the first NextRow.
  void Rules(const SplitRules& rules) { split_ = RowSplitter(rules); }
  const std::string& Error() const { return error_; }

 private:
  int fd_;
  bool owned_;
  std::vector<char> buf_;
  size_t pos_ = 0;
  size_t len_ = 0;
  bool eof_ = false;
  RowSplitter split_;
  std::string error_;
};

}  // namespace kavrin::app

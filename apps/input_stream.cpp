#include "apps/input_stream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kavrin::app {

InputStream::InputStream(int fd, bool owned) : fd_(fd), owned_(owned), buf_(64 * 1024) {}

InputStream::~InputStream() {
  if (owned_ && fd_ >= 0) ::close(fd_);
}

std::unique_ptr<InputStream> InputStream::Open(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = path + ": " + std::strerror(errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    error = path + ": is a folder, not a file";
    return nullptr;
  }
  return std::make_unique<InputStream>(fd, true);
}

InputStream::Status InputStream::NextRow(int timeoutMs) {
  bool waited = false;
  for (;;) {
    if (pos_ < len_) {
      size_t used = 0;
      const bool row = split_.Feed(buf_.data() + pos_, len_ - pos_, used);
      pos_ += used;
      if (row) return Status::kRow;
    }
    if (eof_) return split_.Finish() ? Status::kRow : Status::kEnd;

    // Only the first wait of a call may take the whole timeout; a row that arrives in
    // pieces is completed by later calls.
    pollfd p{fd_, POLLIN, 0};
    const int n = ::poll(&p, 1, waited ? 0 : timeoutMs);
    waited = true;
    if (n == 0 || (n < 0 && errno == EINTR)) return Status::kWaiting;
    if (n < 0) {
      error_ = std::strerror(errno);
      return Status::kError;
    }
    const ssize_t got = ::read(fd_, buf_.data(), buf_.size());
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) return Status::kWaiting;
      error_ = std::strerror(errno);
      return Status::kError;
    }
    pos_ = 0;
    len_ = static_cast<size_t>(got);
    if (got == 0) eof_ = true;
  }
}

}  // namespace kavrin::app

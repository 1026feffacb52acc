#include "chart/log_slot.h"

#include <cerrno>

#include "common/ansi_text.h"
#include "common/file_path.h"
#include "common/vb_error.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kavrin {

namespace {

constexpr int kTooManyFiles = 67;

// The slot: who holds it, the open file's descriptor (-1 while free) and its path.
const void* g_owner = nullptr;
int g_fd = -1;
std::string g_path;

#ifdef _WIN32
int OpenNew(const std::string& p) {
  return _open(AnsiText(p).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
               _S_IREAD | _S_IWRITE);
}
long long Offset(int fd) { return _lseeki64(fd, 0, SEEK_CUR); }
long long WriteSome(int fd, const char* p, std::size_t n) {
  const unsigned chunk = n > 0x40000000u ? 0x40000000u : static_cast<unsigned>(n);
  return _write(fd, p, chunk);
}
void Truncate(int fd, long long off) {
  if (_chsize_s(fd, off) == 0) _lseeki64(fd, off, SEEK_SET);
}
void CloseFd(int fd) { _close(fd); }
void Remove(const std::string& p) { _unlink(AnsiText(p).c_str()); }
bool IsFolder(const std::string& p) {
  struct _stat64 st;
  return _stat64(AnsiText(p).c_str(), &st) == 0 && (st.st_mode & _S_IFDIR) != 0;
}
#else
int OpenNew(const std::string& p) {
  int fd;
  do {
    fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}
long long Offset(int fd) { return ::lseek(fd, 0, SEEK_CUR); }
long long WriteSome(int fd, const char* p, std::size_t n) { return ::write(fd, p, n); }
void Truncate(int fd, long long off) {
  if (::ftruncate(fd, off) == 0) ::lseek(fd, off, SEEK_SET);
}
void CloseFd(int fd) { ::close(fd); }
void Remove(const std::string& p) { ::unlink(p.c_str()); }
bool IsFolder(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
#endif

// The error names the file, so that the user can tell which path was refused.
[[noreturn]] void RaiseOpenError(int e, const std::string& path) {
  // A folder in the file's place is an access error, as for any refused path.
  if (e == EEXIST && IsFolder(path)) e = EISDIR;
  int number = err::kPathFileAccess;  // EACCES, EPERM, EISDIR, EROFS, ...
  std::string message;
  switch (e) {
    case ENOENT:
    case ENOTDIR: number = err::kPathNotFound; break;
    case EEXIST: number = err::kFileAlreadyExists; break;
    case EMFILE:
    case ENFILE: number = kTooManyFiles, message = "Too many files"; break;
    case ENAMETOOLONG:
    case EINVAL: number = err::kBadFileName; break;
    case ENOSPC: number = err::kDiskFull; break;
    default: break;
  }
  if (message.empty()) message = StandardMessage(number);
  Raise(number, message + ": " + path);
}

}  // namespace

void LogSlot::Open(const void* owner, const std::string& path) {
  if (g_fd >= 0) Raise(err::kFileAlreadyOpen);
  if (owner == nullptr || path.empty() || path.find('\0') != std::string::npos)
    Raise(err::kBadFileName);
  // Created new: a file that already exists is never overwritten.
  const int fd = OpenNew(NativePath(path));
  if (fd < 0) RaiseOpenError(errno, NativePath(path));
  g_fd = fd;
  g_owner = owner;
  g_path = NativePath(path);
}

bool LogSlot::IsOpen() { return g_fd >= 0; }

bool LogSlot::IsOpenBy(const void* owner) { return g_fd >= 0 && owner != nullptr && owner == g_owner; }

void LogSlot::WriteLine(const void* owner, const std::string& text) {
  if (!IsOpenBy(owner)) Raise(err::kBadFileName);
  const std::string line = text + "\r\n";
  const long long start = Offset(g_fd);
  std::size_t done = 0;
  while (done < line.size()) {
    const long long n = WriteSome(g_fd, line.data() + done, line.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    const int e = n < 0 ? errno : ENOSPC;
    // Undo a partial line so the file holds whole lines only.
    if (done > 0 && start >= 0) Truncate(g_fd, start);
#ifdef EDQUOT
    if (e == EDQUOT) Raise(err::kDiskFull);
#endif
    Raise(e == ENOSPC ? err::kDiskFull : err::kDeviceIo);
  }
}

void LogSlot::Close(const void* owner) {
  if (!IsOpenBy(owner)) return;
  CloseFd(g_fd);
  g_fd = -1;
  g_owner = nullptr;
}

void LogSlot::Discard(const void* owner) {
  if (!IsOpenBy(owner)) return;
  const std::string path = g_path;
  Close(owner);
  Remove(path);
}

}  // namespace kavrin

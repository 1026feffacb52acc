#include "tests/apps/chart_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/pixels.h"

namespace kavrin::test {
namespace {

// stdinPath: the child reads that file instead of a pipe from the test.
pid_t Spawn(const std::vector<std::string>& args, bool unsetDisplay, const std::string& stdinPath, int& inFd,
            int& errFd, const std::string& cwd = "") {
  int in[2];
  int err[2];
  if (pipe(in) != 0 || pipe(err) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    if (stdinPath.empty()) {
      dup2(in[0], 0);
    } else {
      const int f = open(stdinPath.c_str(), O_RDONLY);
      if (f < 0) _exit(126);
      dup2(f, 0);
    }
    dup2(err[1], 2);
    const int devnull = open("/dev/null", O_WRONLY);
    if (devnull >= 0) dup2(devnull, 1);
    close(in[0]);
    close(in[1]);
    close(err[0]);
    close(err[1]);
    if (unsetDisplay) unsetenv("DISPLAY");
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    static std::string exe = KAVRIN_CHART_EXE;
    argv.push_back(exe.data());
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  close(in[0]);
  close(err[1]);
  fcntl(in[1], F_SETFD, FD_CLOEXEC);
  fcntl(err[0], F_SETFD, FD_CLOEXEC);
  inFd = in[1];
  errFd = err[0];
  return pid;
}

// Reads stderr and reaps the process; kills it when it outlives the timeout.
ChartResult Collect(pid_t pid, int errFd, int timeoutSeconds) {
  ChartResult r;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  bool open = true;
  while (open) {
    pollfd p{errFd, POLLIN, 0};
    const int n = poll(&p, 1, 100);
    if (n > 0) {
      char buf[4096];
      const ssize_t got = read(errFd, buf, sizeof buf);
      if (got > 0) {
        r.err.append(buf, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        open = false;
      }
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      r.err += "\n[test: killed after the timeout]\n";
      break;
    }
  }
  close(errFd);
  int status = 0;
  rusage ru{};
  while (wait4(pid, &status, 0, &ru) < 0 && errno == EINTR) {
  }
  r.maxRssKb = ru.ru_maxrss;
  if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
  return r;
}

void WriteAll(int fd, const std::string& bytes) {
  size_t off = 0;
  while (off < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + off, bytes.size() - off);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;  // the process stopped reading (it ended): what it did read is what counts
    }
    off += static_cast<size_t>(n);
  }
}

}  // namespace

ChartResult RunChartProcess(const ChartCall& call) {
  signal(SIGPIPE, SIG_IGN);
  int in = -1;
  int err = -1;
  const pid_t pid = Spawn(call.args, call.unsetDisplay, call.inputFile, in, err, call.cwd);
  if (pid < 0) return {};
  std::thread writer([in, &call] {
    WriteAll(in, call.input);
    close(in);
  });
  ChartResult r = Collect(pid, err, call.timeoutSeconds);
  writer.join();
  return r;
}

RunningChart::RunningChart(const std::vector<std::string>& args) {
  signal(SIGPIPE, SIG_IGN);
  pid_ = Spawn(args, false, "", in_, err_);
}

RunningChart::~RunningChart() {
  if (!done_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    Wait(10);
  }
  if (in_ >= 0) close(in_);
}

void RunningChart::Write(const std::string& bytes) { WriteAll(in_, bytes); }

void RunningChart::CloseInput() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

void RunningChart::Signal(int sig) { kill(pid_, sig); }

std::string RunningChart::ErrUntil(const std::string& text, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (errSoFar_.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd p{err_, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    char buf[4096];
    const ssize_t got = read(err_, buf, sizeof buf);
    if (got <= 0) break;
    errSoFar_.append(buf, static_cast<size_t>(got));
  }
  return errSoFar_;
}

ChartResult RunningChart::Wait(int timeoutSeconds) {
  done_ = true;
  ChartResult r = Collect(pid_, err_, timeoutSeconds);
  r.err.insert(0, errSoFar_);
  return r;
}

std::string FreshDir(const std::string& name) {
  const std::string dir = OutputDir() + "/apps-" + std::to_string(getpid()) + "-" + name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

std::vector<std::string> FilesEndingWith(const std::string& dir, const std::string& suffix) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir, ec)) {
    const std::string p = e.path().string();
    if (p.size() >= suffix.size() && p.compare(p.size() - suffix.size(), suffix.size(), suffix) == 0) out.push_back(p);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> FileLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> LogRows(const std::string& path) {
  const auto lines = FileLines(path);
  std::vector<std::string> rows;
  for (size_t i = 21; i < lines.size(); ++i) {
    std::vector<std::string> batch;
    size_t start = 0;
    for (size_t k = 0; k < lines[i].size(); ++k) {
      if (lines[i][k] == '/') {
        batch.push_back(lines[i].substr(start, k - start));
        start = k + 1;
      }
    }
    rows.insert(rows.end(), batch.rbegin(), batch.rend());
  }
  return rows;
}

std::vector<std::string> RunLogs(const std::string& dir) {
  std::vector<std::string> first;
  for (const auto& f : FilesEndingWith(dir, ".log"))
    if (f.find("-part") == std::string::npos) first.push_back(f);
  return first;
}

std::vector<std::string> RunLogRows(const std::string& firstPart) {
  std::vector<std::string> rows = LogRows(firstPart);
  const std::string stem = firstPart.substr(0, firstPart.size() - 4);  // without ".log"
  for (int part = 2; std::filesystem::exists(stem + "-part" + std::to_string(part) + ".log"); ++part) {
    const auto more = LogRows(stem + "-part" + std::to_string(part) + ".log");
    rows.insert(rows.end(), more.begin(), more.end());
  }
  return rows;
}

}  // namespace kavrin::test

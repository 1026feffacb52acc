#include "tests/host/x_server.h"

#ifdef KAVRIN_HAVE_X11
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace kavrin::test {

namespace {

pid_t g_server = 0;

void StopServer() {
  if (g_server > 0) {
    kill(g_server, SIGTERM);
    waitpid(g_server, nullptr, 0);
    g_server = 0;
  }
}

bool Accepts(const char* name) {
  Display* d = XOpenDisplay(name);
  if (d == nullptr) return false;
  XCloseDisplay(d);
  return true;
}

std::string FindXvfb() {
  for (const char* p : {"/usr/bin/Xvfb", "/usr/local/bin/Xvfb"})
    if (access(p, X_OK) == 0) return p;
  return {};
}

// Starts Xvfb; it writes its display number to the pipe once it accepts connections. The
// server's process, or 0 (display is then empty).
pid_t SpawnXvfb(std::string& display) {
  display.clear();
  const std::string xvfb = FindXvfb();
  if (xvfb.empty()) return 0;
  int fds[2];
  if (pipe(fds) != 0) return 0;
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  const pid_t pid = fork();
  if (pid < 0) return 0;
  if (pid == 0) {
    const int devnull = open("/dev/null", O_WRONLY);
    if (devnull >= 0) {
      dup2(devnull, 1);
      dup2(devnull, 2);
    }
    const std::string fd = std::to_string(fds[1]);
    execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
          "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  pollfd pfd{fds[0], POLLIN, 0};
  while (poll(&pfd, 1, 10000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return 0;
  }
  display = ":" + number;
  return pid;
}

bool StartXvfb() {
  std::string display;
  g_server = SpawnXvfb(display);
  if (g_server == 0) return false;
  std::atexit(StopServer);
  setenv("DISPLAY", display.c_str(), 1);
  return Accepts(display.c_str());
}

}  // namespace

bool EnsureXServer() {
  static const bool ok = [] {
    // A private server keeps test windows off the developer's desktop and away from any
    // window manager; the session's display is the fallback.
    if (StartXvfb()) return true;
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != 0 && Accepts(display);
  }();
  return ok;
}

OwnXServer::OwnXServer() { pid_ = SpawnXvfb(name_); }

OwnXServer::~OwnXServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

void OwnXServer::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = 0;
}

}  // namespace kavrin::test

#else
namespace kavrin::test {
bool EnsureXServer() { return false; }
OwnXServer::OwnXServer() = default;
OwnXServer::~OwnXServer() = default;
void OwnXServer::Kill() {}
}  // namespace kavrin::test
#endif

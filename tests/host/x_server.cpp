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

// Starts Xvfb; it writes its display number to the pipe once it accepts connections.
bool StartXvfb() {
  const std::string xvfb = FindXvfb();
  if (xvfb.empty()) return false;
  int fds[2];
  if (pipe(fds) != 0) return false;
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  const pid_t pid = fork();
  if (pid < 0) return false;
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
  g_server = pid;
  std::atexit(StopServer);
  std::string number;
  pollfd pfd{fds[0], POLLIN, 0};
  while (poll(&pfd, 1, 10000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    StopServer();
    return false;
  }
  const std::string display = ":" + number;
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

}  // namespace kavrin::test

#else
namespace kavrin::test {
bool EnsureXServer() { return false; }
}  // namespace kavrin::test
#endif

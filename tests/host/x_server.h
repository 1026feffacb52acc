#pragma once
// An X server for the window tests: a private Xvfb started once per test process (its
// display number picked by the server itself, so parallel tests never collide), or else
// the session's $DISPLAY. Tests skip when neither is there.
#include <string>

namespace kavrin::test {

// True when $DISPLAY now names a server that accepts connections.
bool EnsureXServer();

// An Xvfb of one test's own, for tests that end the server under a client: Name() is its
// display (empty when Xvfb could not be started). Stopped when destroyed.
class OwnXServer {
 public:
  OwnXServer();
  ~OwnXServer();
  OwnXServer(const OwnXServer&) = delete;
  OwnXServer& operator=(const OwnXServer&) = delete;
  const std::string& Name() const { return name_; }
  // Ends the server at once, as a crash would.
  void Kill();

 private:
  int pid_ = 0;
  std::string name_;
};

}  // namespace kavrin::test

// Skips the current test when there is no X server.
#define KAVRIN_REQUIRE_X()                                                       \
  do {                                                                           \
    if (!::kavrin::test::EnsureXServer()) GTEST_SKIP() << "no X server (Xvfb)";  \
  } while (0)

#pragma once
// An X server for the window tests: a private Xvfb started once per test process (its
// display number picked by the server itself, so parallel tests never collide), or else
// the session's $DISPLAY. Tests skip when neither is there.
namespace kavrin::test {

// True when $DISPLAY now names a server that accepts connections.
bool EnsureXServer();

}  // namespace kavrin::test

// Skips the current test when there is no X server.
#define KAVRIN_REQUIRE_X()                                                       \
  do {                                                                           \
    if (!::kavrin::test::EnsureXServer()) GTEST_SKIP() << "no X server (Xvfb)";  \
  } while (0)

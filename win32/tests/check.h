#pragma once
// A minimal check harness for the programs that run under Wine: each failed check prints
// what differs; the program ends with a marker line the test script looks for, so that a
// program that never ran (or stopped early) cannot pass.
#include <cstdio>
#include <string>
#include <type_traits>

namespace kavrin::wintest {

inline int& Failures() {
  static int n = 0;
  return n;
}
inline int& Checks() {
  static int n = 0;
  return n;
}

inline bool Check(bool ok, const std::string& what) {
  ++Checks();
  if (!ok) {
    ++Failures();
    std::printf("FAIL: %s\n", what.c_str());
  }
  return ok;
}

template <typename A, typename B>
bool CheckEq(const A& actual, const B& expected, const std::string& what) {
  if constexpr (std::is_convertible_v<A, std::string> && std::is_convertible_v<B, std::string>) {
    if (!(actual == expected))
      return Check(false, what + ": \"" + std::string(actual) + "\", expected \"" + std::string(expected) + "\"");
  } else if constexpr (std::is_arithmetic_v<A> && std::is_arithmetic_v<B>) {
    if (!(actual == expected))
      return Check(false, what + ": " + std::to_string(actual) + ", expected " + std::to_string(expected));
  }
  return Check(actual == expected, what);
}

// Prints the marker "<name>: ALL <n> CHECKS PASSED" or a failure count; the exit code too.
inline int Finish(const char* name) {
  if (Failures() == 0) {
    std::printf("%s: ALL %d CHECKS PASSED\n", name, Checks());
    return 0;
  }
  std::printf("%s: %d of %d checks FAILED\n", name, Failures(), Checks());
  return 1;
}

}  // namespace kavrin::wintest

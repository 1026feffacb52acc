#pragma once
// The run-time error number a call raises, or 0 when it returns normally.
#include <functional>

#include "common/vb_error.h"

namespace kavrin::test {

inline int ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.Number();
  }
  return 0;
}

}  // namespace kavrin::test

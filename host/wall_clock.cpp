#include "host/wall_clock.h"

#include <chrono>

namespace kavrin::host {

TickTime WallClock::Now() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return At(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

TickTime WallClock::At(int64_t epochMicros) {
  // Offsets change on whole seconds only.
  const int64_t second = epochMicros / kMicrosPerSecond - (epochMicros % kMicrosPerSecond < 0 ? 1 : 0);
  if (second != second_) {
    const int64_t start = second * kMicrosPerSecond;
    offset_ = TickTime::FromEpoch(start).Micros() - start;
    second_ = second;
  }
  return TickTime::DateTime(epochMicros + offset_);
}

}  // namespace kavrin::host

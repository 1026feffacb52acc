#pragma once
// The clock as tick times: the local wall-clock time now, to the microsecond. The local
// time zone's offset is looked up once a second, not at every reading, so that a host may
// read the clock at every tick of a fast stream.
#include <cstdint>
#include <limits>

#include "host/tick_time.h"

namespace kavrin::host {

class WallClock {
 public:
  TickTime Now();
  // The same for an instant in microseconds since 1970 (UTC).
  TickTime At(int64_t epochMicros);

 private:
  int64_t second_ = std::numeric_limits<int64_t>::min();  // the second whose offset is known
  int64_t offset_ = 0;                                     // local wall clock less UTC, in microseconds
};

}  // namespace kavrin::host

#include "host/autoscale.h"

#include <algorithm>
#include <cmath>

namespace kavrin::host {

namespace {
constexpr int kMaxSteps = 10;
constexpr double kPad = 0.1;  // the data's share of room on each side after a fit or shrink
}  // namespace

std::optional<ValueRange> RoundRange(double lo, double hi, double pad) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || hi < lo) return std::nullopt;
  if (hi == lo) {
    const double half = lo == 0 ? 0.1 : std::fabs(lo) * 0.1;
    lo -= half;
    hi += half;
  } else {
    const double extra = (hi - lo) * pad;
    lo -= extra;
    hi += extra;
  }
  const double span = hi - lo;
  if (!std::isfinite(span) || span <= 0) return std::nullopt;
  // Start a decade below what ten steps need, and take the first 1-2-5 step that fits.
  double decade = std::pow(10.0, std::floor(std::log10(span / kMaxSteps)) - 1);
  for (int tries = 0; tries < 8; ++tries, decade *= 10) {
    for (double m : {1.0, 2.0, 5.0}) {
      const double step = decade * m;
      const double a = std::floor(lo / step);
      const double b = std::floor(hi / step) + 1;
      if (b - a <= kMaxSteps) {
        ValueRange r{a * step, b * step, step};
        if (!std::isfinite(r.min) || !std::isfinite(r.max) || !(r.max > r.min)) return std::nullopt;
        return r;
      }
    }
  }
  return std::nullopt;
}

void Autoscale::PlotTicks(int64_t ticks) {
  ticks = std::max<int64_t>(ticks, 1);
  if (wait_ < ticks || wait_ == plotTicks_) wait_ = ticks;
  plotTicks_ = ticks;
}

bool Autoscale::Take(const std::optional<ValueRange>& next, bool shrink) {
  if (!next || next == range_) return false;
  if (range_ && !shrink && lastWasShrink_) wait_ = std::min<int64_t>(wait_ * 2, int64_t{1} << 40);
  range_ = next;
  lastWasShrink_ = shrink;
  ++changes_;
  sinceChange_ = 0;
  blockTicks_ = 0;
  seenAny_ = false;
  return true;
}

bool Autoscale::Offer(double lo, double hi, bool any) {
  if (!range_) return any && Take(RoundRange(lo, hi, kPad), false);
  const ValueRange& r = *range_;
  if (any && (lo < r.min || hi >= r.max)) {
    // Grow so that the new values stand a fifth of the (unrounded) new span inside it; the
    // side not left keeps its bound.
    const double a = std::min(lo, r.min);
    const double b = std::max(hi, r.max);
    // Data that keeps leaving the range (a climb) gets more room at each growth.
    growth_ = !lastWasShrink_ && sinceChange_ < plotTicks_ ? std::min(growth_ * 2, 1e6) : 2;
    const double span = std::max(growth_ * (r.max - r.min), (b - a) * 1.25);
    const double extra = span - (b - a);
    const bool down = lo < r.min;
    const bool up = hi >= r.max;
    const double newLo = a - (down ? (up ? extra / 2 : extra) : 0);
    const double newHi = b + (up ? (down ? extra / 2 : extra) : 0);
    // False when no wider round range exists: the values stay outside.
    return Take(RoundRange(newLo, newHi), false);
  }
  ++sinceChange_;
  ++blockTicks_;
  if (any) {
    seenLo_ = seenAny_ ? std::min(seenLo_, lo) : lo;
    seenHi_ = seenAny_ ? std::max(seenHi_, hi) : hi;
    seenAny_ = true;
  }
  if (lastWasShrink_ && sinceChange_ == wait_) wait_ = plotTicks_;  // the last shrink held
  if (blockTicks_ < wait_) return false;
  const bool small = seenAny_ && (seenHi_ - seenLo_) <= kSmallPart * (r.max - r.min);
  const double lowSeen = seenLo_;
  const double highSeen = seenHi_;
  blockTicks_ = 0;
  seenAny_ = false;
  if (!small) return false;
  const auto next = RoundRange(lowSeen, highSeen, kPad);
  if (!next || next->max - next->min >= r.max - r.min) return false;
  return Take(next, true);
}

}  // namespace kavrin::host

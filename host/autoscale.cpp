#include "host/autoscale.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "chart/label_text.h"

namespace kavrin::host {

namespace {
constexpr int kMaxSteps = 10;
constexpr double kPad = 0.1;  // the data's share of room on each side after a fit or shrink
// Significant digits of a label's number (without its exponent).
size_t Digits(const std::string& label) {
  std::string d;
  for (char c : label.substr(0, label.find('E')))
    if (c >= '0' && c <= '9') d += c;
  const auto first = d.find_first_not_of('0');
  if (first == std::string::npos) return 0;
  return d.find_last_not_of('0') - first + 1;
}

// The chart labels its grid lines with i * step + min in floating point, which can land a
// hair off the decimal (-9.99999999999999E-10 for -1E-9) and print fifteen digits. A
// neighbouring double for min or step often gives clean labels: take the first that does.
ValueRange CleanLabels(const ValueRange& r, int steps) {
  auto clean = [steps](double min, double step) {
    for (int i = 0; i <= steps; ++i) {
      const double v = i * step + min;
      // A label of fifteen digits, or a hair off zero.
      if (Digits(LabelText(v)) > 12 || (v != 0 && std::fabs(v) < std::fabs(step) * 1e-9)) return false;
    }
    return true;
  };
  const double inf = std::numeric_limits<double>::infinity();
  for (double step : {r.step, std::nextafter(r.step, inf), std::nextafter(r.step, -inf)}) {
    for (double min : {r.min, std::nextafter(r.min, inf), std::nextafter(r.min, -inf)})
      if (clean(min, step)) return ValueRange{min, r.max, step};
  }
  return r;
}

}  // namespace

std::optional<ValueRange> RoundRange(double lo, double hi, double pad) {
  if (!(std::fabs(lo) <= kLargestFollowed) || !(std::fabs(hi) <= kLargestFollowed) || hi < lo) return std::nullopt;
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
  // Steps and bounds are whole numbers times a power of ten, divided by that power when it
  // is negative: the nearest doubles to the decimals, so that the labels come out clean.
  int exponent = static_cast<int>(std::floor(std::log10(span / kMaxSteps))) - 1;
  for (int tries = 0; tries < 8; ++tries, ++exponent) {
    const double power = std::pow(10.0, std::abs(exponent));
    auto scaled = [&](double n) { return exponent < 0 ? n / power : n * power; };
    for (double m : {1.0, 2.0, 5.0}) {
      const double step = scaled(m);
      const double a = std::floor(lo / step);
      const double b = std::floor(hi / step) + 1;
      if (b - a <= kMaxSteps) {
        ValueRange r{a * step, b * step, step};
        if (!std::isfinite(r.min) || !std::isfinite(r.max) || !(r.max > r.min)) return std::nullopt;
        return CleanLabels(r, static_cast<int>(b - a));
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

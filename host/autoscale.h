#pragma once
// The value range a host gives a chart whose user set no Min or Max: it follows the data
// on round numbers. Pure: values in, a range out; the host rebuilds the chart at a change.
//
// Call order: Autoscale(plotTicks) -> Offer(lo, hi) once per tick, before the tick's values
//   reach the chart -> when Offer returns true, Current() is the new range to apply
//   -> PlotTicks(n) whenever the plot's width in ticks changes.
#include <cstdint>
#include <optional>

namespace kavrin::host {

// A scale from min to max with grid lines every step (1, 2 or 5 times a power of ten),
// min and max whole multiples of step, at most ten steps apart.
struct ValueRange {
  double min = 0;
  double max = 0;
  double step = 0;
  bool operator==(const ValueRange&) const = default;
};

// The round range around lo .. hi (lo <= hi, both finite), widened by pad times hi - lo on
// each side (a tenth of their size when lo equals hi, 0.1 for 0): the smallest 1-2-5 step
// that covers them in at most ten steps, with hi below max (a value at max is drawn one row
// above the plot), its grid labels clean decimals. Empty when no such range exists, and for
// values beyond kLargestFollowed: a range around them could not grow as data that leaves it
// needs without running out of doubles.
constexpr double kLargestFollowed = 1e300;
std::optional<ValueRange> RoundRange(double lo, double hi, double pad = 0);

class Autoscale {
 public:
  // A value below this part of the range, kept for a whole plot width, shrinks the range.
  static constexpr double kSmallPart = 0.2;

  explicit Autoscale(int64_t plotTicks) : plotTicks_(plotTicks > 0 ? plotTicks : 1), wait_(plotTicks_) {}

  // The plot shows this many ticks (its width over the pixels per tick).
  void PlotTicks(int64_t ticks);
  // Takes the lowest and highest value of one tick (any = false: a tick without values).
  // True when the range changes: the first values, a value outside the range (it grows
  // to at least twice its span, the value a fifth of the new span inside; four times when
  // it grew within the plot width before, eight times after that, ...), or a whole plot
  // width whose values used at most a fifth of it (it shrinks around them).
  bool Offer(double lo, double hi, bool any = true);
  const std::optional<ValueRange>& Current() const { return range_; }
  int64_t Changes() const { return changes_; }

 private:
  bool Take(const std::optional<ValueRange>& next, bool shrink);

  int64_t plotTicks_;
  // Ticks of small use that a shrink needs. A shrink the data undoes at once (the next
  // change grows the range again, as a steady climb does) doubles it, so that such data
  // settles on a wide range instead of rebuilding the chart every few plot widths; a
  // shrink that holds that long brings it back to one plot width.
  int64_t wait_;
  std::optional<ValueRange> range_;
  bool lastWasShrink_ = false;
  double growth_ = 1;  // the factor of the last growth
  int64_t sinceChange_ = 0;  // ticks since the range last changed
  int64_t blockTicks_ = 0;   // ticks of the current look at the use of the range
  double seenLo_ = 0;        // their values
  double seenHi_ = 0;
  bool seenAny_ = false;
  int64_t changes_ = 0;
};

}  // namespace kavrin::host

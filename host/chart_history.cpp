#include "host/chart_history.h"

#include <algorithm>
#include <cmath>

#include "chart/line_chart.h"
#include "common/vb_error.h"

namespace kavrin::host {

namespace {
// At most this many kept values (lines times ticks): a plot many thousand pixels wide with
// a one-pixel tick and hundreds of lines still fits, in 32 MB.
constexpr int64_t kMaxKeptValues = int64_t{4} << 20;
}  // namespace

ChartHistory::ChartHistory(ControlSite& site, KavrinLineChart& chart, int widestWidth, int keptPlots)
    : site_(site), chart_(chart), widestWidth_(widestWidth), keptPlots_(std::max(keptPlots, 1)), engine_(chart.Chart()) {
  Fit();
}

int64_t ChartHistory::TicksFor(int surfaceWidth) const {
  const cLineChart* engine = chart_.Chart();
  if (engine == nullptr) return 2;
  const int64_t margins = site_.GetSurface().Width() - static_cast<int64_t>(engine->lWorkWidth());
  const int64_t plot = std::max<int64_t>(surfaceWidth - margins, 1);
  const double step = engine->dGridStep();
  // The grid step in whole pixels (half to even, as the tick rounds it), halved.
  const int64_t half = std::isfinite(step) && std::fabs(step) < 1e9 ? static_cast<int64_t>(std::nearbyint(step)) / 2 : 0;
  // Without a scroll every tick draws into the same columns: keep a plot width's worth.
  if (half <= 0) return plot + 2;
  // Columns Left - half .. Right hold what the last (plot + half) / half ticks drew, and
  // the tick before them gives the oldest segment its start.
  return (plot + half + half - 1) / half + 2;
}

void ChartHistory::Fit() {
  const int64_t lines = std::max<int64_t>(static_cast<int64_t>(lines_.size()), 1);
  // One more than the plots' ticks: the replay may leave out the oldest to keep the tick phase.
  const int widest = std::max(widestWidth_, site_.GetSurface().Width());
  const int64_t wanted = std::min(keptPlots_ * TicksFor(widest) + 1, std::max<int64_t>(kMaxKeptValues / lines, 3));
  const int64_t capacity = std::max(wanted, capacity_);
  const size_t width = lines_.size();
  if (capacity == capacity_ && values_.size() == static_cast<size_t>(capacity_) * width) return;
  // Lay the kept ticks out again for the new size of the ring (or the new number of lines).
  const size_t oldWidth = capacity_ > 0 ? values_.size() / static_cast<size_t>(capacity_) : 0;
  std::vector<double> values(static_cast<size_t>(capacity) * width, 0.0);
  std::vector<uint8_t> given(values.size(), 0);
  std::vector<TickTime> times(static_cast<size_t>(capacity));
  for (int64_t t = OldestKept(); t < ticks_; ++t) {
    const size_t from = Slot(t) * oldWidth;
    const size_t to = static_cast<size_t>(t % capacity) * width;
    for (size_t i = 0; i < oldWidth; ++i) {
      values[to + i] = values_[from + i];
      given[to + i] = given_[from + i];
    }
    times[static_cast<size_t>(t % capacity)] = times_[Slot(t)];
  }
  capacity_ = capacity;
  values_.swap(values);
  given_.swap(given);
  times_.swap(times);
  pending_.resize(width, 0.0);
  pendingGiven_.resize(width, 0);
  carry_.resize(width, 0.0);
  carried_.resize(width, 0);
}

void ChartHistory::AddLine(const std::string& key, Long color, const PictureRef& pointPic, Boolean dispPointTip,
                           Long tipColor) {
  chart_.AddLine(key, color, pointPic, dispPointTip, tipColor);
  lines_.push_back(Line{key, color, pointPic, dispPointTip, tipColor});
  Fit();
}

void ChartHistory::SetValue(Integer id, double value) {
  if (id >= 1 && static_cast<size_t>(id) <= lines_.size()) {
    pending_[static_cast<size_t>(id - 1)] = value;
    pendingGiven_[static_cast<size_t>(id - 1)] = 1;
  }
  chart_.SetValue(id, value);
}

void ChartHistory::Carry(int64_t tick, std::vector<double>& carry, std::vector<uint8_t>& carried) const {
  const double* row = Row(tick);
  const uint8_t* given = Given(tick);
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (given[i] == 0) continue;
    carry[i] = row[i];
    carried[i] = 1;
  }
}

void ChartHistory::Movie(const TickTime& time) {
  chart_.Movie();
  if (ticks_ >= capacity_) Carry(ticks_ - capacity_, carry_, carried_);
  std::copy(pending_.begin(), pending_.end(), Row(ticks_));
  std::copy(pendingGiven_.begin(), pendingGiven_.end(), Given(ticks_));
  std::fill(pendingGiven_.begin(), pendingGiven_.end(), 0);
  times_[Slot(ticks_)] = time;
  ++ticks_;
}

bool ChartHistory::Rebuilt() const { return chart_.Chart() != engine_; }

void ChartHistory::Feed(KavrinLineChart& chart, const double* values, const uint8_t* given, const double* carry,
                        const uint8_t* carried) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const bool has = given[i] != 0;
    if (!has && (carried == nullptr || carried[i] == 0)) continue;
    try {
      chart.SetValue(static_cast<Integer>(i + 1), has ? values[i] : carry[i]);
    } catch (const RuntimeError& e) {
      // Too large for a pixel row at these settings: a gap, as it is for a fresh run.
      if (e.Number() != err::kOverflow) throw;
    }
  }
  chart.Movie();
}

int64_t ChartHistory::Replay(KavrinLineChart& chart, int64_t last) const {
  for (const Line& l : lines_) chart.AddLine(l.key, l.color, l.pointPic, l.dispPointTip, l.tipColor);
  const int64_t oldest = OldestKept();
  // The ticks the plot shows and one more, which may be left out to keep the phase.
  int64_t first = std::max(oldest, last - PlotTicks());
  // Where every line stood before the first replayed tick: its last value from the ticks
  // that left the ring, then from the kept ticks before it.
  std::vector<double> carry = carry_;
  std::vector<uint8_t> carried = carried_;
  for (int64_t t = oldest; t < first; ++t) Carry(t, carry, carried);
  // The time grid is drawn on every second tick counted from the first: replay from a tick
  // of the same parity as the first of all, and it stands where it stood.
  if (first % 2 != 0 && first <= last) Carry(first++, carry, carried);
  // The oldest replayed tick also sets the lines that had no value on it where they stood
  // before it; what that tick draws lies left of everything the plot shows.
  for (int64_t t = first; t <= last; ++t) {
    if (t == first) Feed(chart, Row(t), Given(t), carry.data(), carried.data());
    else Feed(chart, Row(t), Given(t), nullptr, nullptr);
  }
  return first;
}

int64_t ChartHistory::Restore() {
  engine_ = chart_.Chart();
  Fit();
  engineFirst_ = Replay(chart_, ticks_ - 1);
  return ticks_ - engineFirst_;
}

int64_t ChartHistory::FirstExactTick() const {
  const int64_t oldest = OldestKept();
  // With every tick since the start kept, any picture replays from the first; otherwise the
  // replay needs a plot's ticks and one for the phase.
  return oldest == 0 ? 0 : oldest + PlotTicks() + 1;
}

void ChartHistory::CheckKept(int64_t tick) const {
  if (tick < OldestKept() || tick >= ticks_) Raise(err::kSubscript);
}

std::optional<double> ChartHistory::Value(int64_t tick, Integer id) const {
  CheckKept(tick);
  if (id < 1 || static_cast<size_t>(id) > lines_.size()) Raise(err::kSubscript);
  const size_t i = static_cast<size_t>(id - 1);
  if (Given(tick)[i] == 0) return std::nullopt;
  return Row(tick)[i];
}

const TickTime& ChartHistory::Time(int64_t tick) const {
  CheckKept(tick);
  return times_[Slot(tick)];
}

TickGeometry ChartHistory::Geometry() const {
  if (chart_.Chart() == nullptr || Rebuilt()) return TickGeometry{};
  return TickGeometry::Of(*chart_.Chart(), engineFirst_, ticks_ - 1);
}

const std::string& ChartHistory::Key(Integer id) const {
  if (id < 1 || static_cast<size_t>(id) > lines_.size()) Raise(err::kSubscript);
  return lines_[static_cast<size_t>(id - 1)].key;
}

int64_t ChartHistory::Rebuild(const std::function<void()>& change) {
  if (change) change();
  site_.Events()->Resize();
  return Restore();
}

}  // namespace kavrin::host

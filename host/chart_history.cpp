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

ChartHistory::ChartHistory(ControlSite& site, KavrinLineChart& chart, int widestWidth)
    : site_(site), chart_(chart), widestWidth_(widestWidth), engine_(chart.Chart()) {
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
  // One more than a plot's ticks: the replay may leave out the oldest to keep the tick phase.
  const int widest = std::max(widestWidth_, site_.GetSurface().Width());
  const int64_t wanted = std::min(TicksFor(widest) + 1, std::max<int64_t>(kMaxKeptValues / lines, 3));
  const int64_t capacity = std::max(wanted, capacity_);
  const size_t width = lines_.size();
  if (capacity == capacity_ && values_.size() == static_cast<size_t>(capacity_) * width) return;
  // Lay the kept ticks out again for the new size of the ring (or the new number of lines).
  const size_t oldWidth = capacity_ > 0 ? values_.size() / static_cast<size_t>(capacity_) : 0;
  std::vector<double> values(static_cast<size_t>(capacity) * width, 0.0);
  std::vector<uint8_t> given(values.size(), 0);
  const int64_t kept = std::min(ticks_, capacity_);
  for (int64_t t = ticks_ - kept; t < ticks_; ++t) {
    const size_t from = static_cast<size_t>(t % capacity_) * oldWidth;
    const size_t to = static_cast<size_t>(t % capacity) * width;
    for (size_t i = 0; i < oldWidth; ++i) {
      values[to + i] = values_[from + i];
      given[to + i] = given_[from + i];
    }
  }
  capacity_ = capacity;
  values_.swap(values);
  given_.swap(given);
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

void ChartHistory::Forget(int64_t tick) {
  const double* row = Row(tick);
  const uint8_t* given = Given(tick);
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (given[i] == 0) continue;
    carry_[i] = row[i];
    carried_[i] = 1;
  }
}

void ChartHistory::Movie() {
  chart_.Movie();
  if (ticks_ >= capacity_) Forget(ticks_ - capacity_);
  std::copy(pending_.begin(), pending_.end(), Row(ticks_));
  std::copy(pendingGiven_.begin(), pendingGiven_.end(), Given(ticks_));
  std::fill(pendingGiven_.begin(), pendingGiven_.end(), 0);
  ++ticks_;
}

bool ChartHistory::Rebuilt() const { return chart_.Chart() != engine_; }

void ChartHistory::Feed(const double* values, const uint8_t* given, const double* carry, const uint8_t* carried) {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const bool has = given[i] != 0;
    if (!has && (carried == nullptr || carried[i] == 0)) continue;
    try {
      chart_.SetValue(static_cast<Integer>(i + 1), has ? values[i] : carry[i]);
    } catch (const RuntimeError& e) {
      // Too large for a pixel row at these settings: a gap, as it is for a fresh run.
      if (e.Number() != err::kOverflow) throw;
    }
  }
  chart_.Movie();
}

int64_t ChartHistory::Restore() {
  engine_ = chart_.Chart();
  Fit();
  for (const Line& l : lines_) chart_.AddLine(l.key, l.color, l.pointPic, l.dispPointTip, l.tipColor);
  int64_t kept = std::min(ticks_, capacity_);
  int64_t first = ticks_ - kept;
  // The time grid is drawn on every second tick counted from the first: replay a number of
  // ticks of the same parity as all ticks so far, and it stands where it stood.
  std::vector<double> carry = carry_;
  std::vector<uint8_t> carried = carried_;
  if (first > 0 && first % 2 != 0) {
    const double* row = Row(first);
    const uint8_t* given = Given(first);
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (given[i] == 0) continue;
      carry[i] = row[i];
      carried[i] = 1;
    }
    ++first;
    --kept;
  }
  // The oldest replayed tick also sets the lines that had no value on it where they stood
  // before it; what that tick draws lies left of everything the plot shows.
  for (int64_t t = first; t < ticks_; ++t) {
    if (t == first && first > 0) Feed(Row(t), Given(t), carry.data(), carried.data());
    else Feed(Row(t), Given(t), nullptr, nullptr);
  }
  return kept;
}

int64_t ChartHistory::Rebuild(const std::function<void()>& change) {
  if (change) change();
  site_.Events()->Resize();
  return Restore();
}

}  // namespace kavrin::host

#include "apps/live_chart.h"

#include <algorithm>
#include <cmath>

#include "apps/chart_trial.h"
#include "apps/demo_signals.h"
#include "apps/exit_codes.h"
#include "apps/line_colors.h"
#include "chart/label_text.h"
#include "chart/line_chart.h"
#include "common/vb_error.h"
#include "control/kavrin_line_chart.h"
#include "draw/win32.h"
#include "host/chart_picture.h"

namespace kavrin::app {
namespace {

// A window may be made as wide as a large screen: its history keeps the ticks to fill that.
constexpr int kWidestWindow = 3840;

}  // namespace

LiveChart::LiveChart(ChartParts parts, const Options& options, Source source, Messages& messages)
    : parts_(std::move(parts)), o_(options), source_(source), messages_(messages) {
  if (parts_.window) parts_.site->OnUserResize([this](int w, int h) { UserResize(w, h); });
  history_ = std::make_unique<host::ChartHistory>(*parts_.site, *parts_.chart, parts_.window ? kWidestWindow : 0,
                                                  o_.keepPlots);
  // A file read as fast as possible has no time of its own: its ticks are numbered.
  clock_ = !(source_ == Source::kFile && o_.rate.value_or(DefaultRate(source_)) == 0);
  // A stream's range follows its data unless the user gave one (or a form did, or a zoom
  // that shows only a part of it).
  if (source_ != Source::kDemo && !o_.fixed && o_.formIn.empty() && !SetsProperty(o_, "min") &&
      !SetsProperty(o_, "max") && !SetsProperty(o_, "zoom"))
    autoscale_.emplace(history_->PlotTicks());
}

// Lines the trial draws: the demo's, or a stream's own (one before they are known).
size_t LiveChart::TrialLines() const {
  if (source_ == Source::kDemo) return std::size(kDemoLines);
  return std::max<size_t>(keys_.size(), 1);
}

// A window resized to a size the chart cannot be drawn at keeps the chart it has (and the
// run goes on); the user is told once per refused size.
void LiveChart::UserResize(int width, int height) {
  const std::string why = TryChart(*parts_.chart, parts_.form->Font(), TrialSize{width, height}, TrialLines());
  const auto& surface = parts_.site->GetSurface();
  if (why.empty()) {
    refusedSize_ = {0, 0};
    parts_.site->SetSize(width, height);
    return;
  }
  if (refusedSize_ == std::pair{width, height}) return;
  refusedSize_ = {width, height};
  const TrialSize least =
      SmallestSize(*parts_.chart, parts_.form->Font(), TrialSize{surface.Width(), surface.Height()}, TrialLines());
  messages_.Tell("the chart cannot be drawn at " + std::to_string(width) + " x " + std::to_string(height) +
                 " pixels (" + why + "); it stays at " + std::to_string(surface.Width()) + " x " +
                 std::to_string(surface.Height()) + " (the smallest it can be drawn at is " +
                 std::to_string(least.width) + " x " + std::to_string(least.height) + ")");
}

void LiveChart::AddLines(const std::vector<ChartLine>& lines, bool timeColumn) {
  timeColumn_ = timeColumn;
  keys_.clear();
  for (size_t i = 0; i < lines.size(); ++i) keys_.push_back(LineKeyFor(o_, i, lines[i].key));
  try {
    FitMargins(parts_, o_, keys_);
  } catch (const RuntimeError& e) {
    throw UsageFailure{kExitUsage, std::string("the chart cannot be set up with these settings: ") + e.what()};
  }
  if (history_->Rebuilt()) history_->Restore();  // the margins were fitted: nothing to replay yet
  // Colours that stand apart from the plot's background and the legend's, whatever they are.
  const std::vector<uint32_t> palette = LineColorsFor(Resolved(parts_.chart->ChartBackColor(), 0),
                                                      Resolved(parts_.chart->BackColor(), 0xFFFFFF), lines.size());
  size_t next = 0;  // the palette's next colour
  uint32_t color = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i].sameColorAsBefore || i == 0) color = lines[i].color.value_or(palette[next++]);
    color = LineColorFor(o_, i, color);
    history_->AddLine(keys_[i], static_cast<Long>(color), lines[i].picture, ToBoolean(lines[i].tips),
                      static_cast<Long>(lines[i].tipColor));
  }
  shown_.assign(lines.size(), 0);
  hasLines_ = true;
  if (parts_.window) {
    view_ = std::make_unique<host::ChartView>(*parts_.site, *parts_.chart, *history_, o_.timeAxis);
    NameWindow(input_);
  }
  TellLegendRoom();
}

// The legend lists the keys down from the plot's top, a cell and two pixels apart; keys below
// the chart's bottom edge are cut off, and the user is told whose.
void LiveChart::TellLegendRoom() {
  const cLineChart* engine = parts_.chart->Chart();
  if (engine == nullptr) return;
  const int64_t cell = engine->iCutCharH();
  const int64_t room = (parts_.site->GetSurface().Height() - engine->rcWork().top - cell) / (cell + 2);
  const auto fits = static_cast<size_t>(std::max<int64_t>(room, 0));
  if (keys_.size() <= fits) return;
  std::string names;
  for (size_t i = fits; i < keys_.size() && i < fits + 5; ++i) names += (i == fits ? "" : ", ") + keys_[i];
  if (keys_.size() > fits + 5) names += ", ...";
  messages_.Tell("warning: the legend has room for " + std::to_string(fits) + " of the " +
                 std::to_string(keys_.size()) + " lines; the names of lines " + std::to_string(fits + 1) + " to " +
                 std::to_string(keys_.size()) + " (" + names + ") are cut off: a taller chart (--size) shows them");
}

bool LiveChart::Settle(const Tick& tick) {
  if (source_ == Source::kDemo) return false;
  KavrinLineChart& chart = *parts_.chart;
  double lo = 0;
  double hi = 0;
  bool any = false;
  for (size_t i = 0; i < shown_.size(); ++i) {
    shown_[i] = 0;
    if (tick.given[i] == 0) continue;
    const double v = tick.values[i];
    if (!autoscale_ && OutsideFixedRange(v)) {
      if (messages_.Count(Warning::kOutsideRange)) {
        const double top = chart.Min() + std::fabs(chart.Max() - chart.Min()) / chart.Zoom();
        messages_.First(Warning::kOutsideRange, tick.where(i), LabelText(chart.Min()) + " .. " + LabelText(top));
      }
      continue;
    }
    lo = any ? std::min(lo, v) : v;
    hi = any ? std::max(hi, v) : v;
    any = true;
    shown_[i] = 1;
  }
  if (!autoscale_ || !autoscale_->Offer(lo, hi, any)) return false;
  ApplyRange(*autoscale_->Current());
  return true;
}

void LiveChart::Draw(const Tick& tick) {
  const host::TickTime time = timeColumn_ ? tick.time : clock_ ? wallClock_.Now() : host::TickTime();
  viewStale_ = true;
  if (source_ == Source::kDemo) {
    for (size_t i = 0; i < tick.values.size(); ++i) history_->SetValue(static_cast<Integer>(i + 1), tick.values[i]);
    history_->Movie(time);
    return;
  }
  const auto& range = autoscale_ ? autoscale_->Current() : std::nullopt;
  for (size_t i = 0; i < shown_.size(); ++i) {
    if (shown_[i] == 0) continue;
    // A value no round range reaches, or whose pixel row does not fit the chart's
    // coordinates: a gap, not a stop.
    const double v = tick.values[i];
    bool refused = autoscale_ && (!range || v < range->min || v > range->max);
    try {
      if (!refused) history_->SetValue(static_cast<Integer>(i + 1), v);
    } catch (const RuntimeError& e) {
      if (e.Number() != err::kOverflow) throw;
      refused = true;
    }
    if (refused && messages_.Count(Warning::kTooLarge)) messages_.First(Warning::kTooLarge, tick.where(i));
  }
  history_->Movie(time);
  if (messages_.Kinds() != titledKinds_) NameWindow(input_);
}

// A window resize replaces the chart's engine: its lines and drawn history are gone and
// its log was closed with every row. The history brings the lines and the recent ticks
// back.
std::optional<int64_t> LiveChart::AfterEvents() {
  if (!hasLines_ || !history_->Rebuilt()) return std::nullopt;
  const int64_t replayed = history_->Restore();
  if (autoscale_) autoscale_->PlotTicks(history_->PlotTicks());
  viewStale_ = true;
  ShowView();
  return replayed;
}

void LiveChart::ShowView() {
  if (!view_ || !viewStale_) return;
  viewStale_ = false;
  view_->Update();
}

PictureRef LiveChart::Picture() {
  if (o_.timeAxis && !fileStrip_) fileStrip_ = std::make_unique<host::TimeStrip>();
  return host::LivePicture(*parts_.site, *parts_.chart, *history_, fileStrip_.get());
}

void LiveChart::Unload() {
  view_.reset();
  parts_.form->Unload();
}

// The range follows the data: the chart is rebuilt with the new one (and a label column
// that fits it) and its recent ticks are replayed.
void LiveChart::ApplyRange(const host::ValueRange& range) {
  KavrinLineChart& chart = *parts_.chart;
  chart.Min(range.min);
  chart.Max(range.max);
  chart.ValueSpace(range.step);
  FitMargins(parts_, o_, keys_);  // rebuilds when the labels need a wider column
  if (!history_->Rebuilt()) parts_.site->Events()->Resize();
  history_->Restore();
  autoscale_->PlotTicks(history_->PlotTicks());
}

// A value the plot of a fixed range cannot show: below Min or above the top row's value.
bool LiveChart::OutsideFixedRange(double value) const {
  const KavrinLineChart& chart = *parts_.chart;
  const double zoom = chart.Zoom();
  const double lo = chart.Min();
  const double hi = lo + std::fabs(chart.Max() - lo) / zoom;
  if (!(zoom > 0) || !std::isfinite(hi)) return false;
  return value < lo || value > hi;
}

void LiveChart::NameWindow(const std::string& input) {
  input_ = input;
  titledKinds_ = messages_.Kinds();
  if (!parts_.window) return;
  const std::string& title = parts_.chart->Title();
  const bool sameName =
      input.size() >= title.size() && input.compare(input.size() - title.size(), title.size(), title) == 0;
  const std::string note = messages_.TitleNote();
  const std::string name =
      (title.empty() || sameName ? "" : title + " - ") + input + " - kavrin-chart" + (note.empty() ? "" : " - " + note);
  // The view adds its status (paused, the values under the pointer) after the name.
  if (view_) view_->Title(name);
  else parts_.site->Window().Title(name);
}

}  // namespace kavrin::app

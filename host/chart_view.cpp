#include "host/chart_view.h"

#include <cstdio>

#include "host/chart_picture.h"
#include "host/column_values.h"

namespace kavrin::host {

namespace {

// Seconds to the millisecond, without trailing zeros: 2.4, 61, 0.015.
std::string Seconds(int64_t micros) {
  const int64_t ms = (micros < 0 ? -micros : micros) / 1000;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%s%lld.%03lld", micros < 0 ? "-" : "", static_cast<long long>(ms / 1000),
                static_cast<long long>(ms % 1000));
  std::string s(buf);
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

}  // namespace

ChartView::ChartView(ControlSite& site, KavrinLineChart& chart, ChartHistory& history, bool timeStrip)
    : site_(site), chart_(chart), history_(history), paused_(site, chart, history) {
  if (timeStrip) strip_ = std::make_unique<TimeStrip>();
  site_.Window().OnInput([this](const WindowInput& input) { Handle(input); });
}

ChartView::~ChartView() {
  site_.Window().OnInput(nullptr);
  site_.Window().Show(nullptr, nullptr);
}

void ChartView::Title(const std::string& base) {
  title_ = base;
  shownTitle_.clear();
  ShowInWindow();
}

TickGeometry ChartView::Geometry() const {
  return paused_.Paused() ? paused_.Geometry() : history_.Geometry();
}

const Surface& ChartView::Shown() const { return shownPicture_ != nullptr ? *shownPicture_ : site_.GetSurface(); }

void ChartView::Update() {
  const Surface* before = shownPicture_;
  shownPicture_ = paused_.Paused() ? &paused_.Picture() : nullptr;
  // A paused picture keeps the strip drawn with it: the ring may forget its ticks' times.
  if (strip_ && (shownPicture_ == nullptr || shownPicture_ != before)) {
    const ChartHistory& h = history_;
    strip_->Draw(chart_, site_.GetSurface().BackColor(), Shown().Width(), TimeGridLines(Geometry()),
                 [&h](int64_t tick) { return h.KeptTime(tick); });
  }
  ShowInWindow();
}

void ChartView::ShowInWindow() {
  SiteWindow& window = site_.Window();
  const Surface* below = strip_ ? strip_->GetSurface() : nullptr;
  const int belowHeight = below != nullptr ? below->Height() : 0;
  // The window follows a resize of the control by itself; it is told of another picture
  // and of a strip of another height.
  if (shownPicture_ != windowPicture_ || below != shownBelow_ || belowHeight != shownBelowHeight_) {
    window.Show(shownPicture_, below);
    windowPicture_ = shownPicture_;
    shownBelow_ = below;
    shownBelowHeight_ = belowHeight;
  } else if (below != nullptr) {
    const int top = Shown().Height();
    const RECT strip{0, top, below->Width(), top + belowHeight};
    window.Invalidate(&strip, false);
  }
  const std::string status = Status();
  const std::string title = status.empty() ? title_ : title_.empty() ? status : title_ + " - " + status;
  if (title != shownTitle_) {
    window.Title(title);
    shownTitle_ = title;
  }
}

void ChartView::Handle(const WindowInput& input) {
  using Key = WindowInput::Key;
  const int64_t before = paused_.Paused() ? paused_.Tick() : -1;
  const std::optional<int> pointerBefore = pointerX_;
  int64_t move = 0;
  switch (input.kind) {
    case WindowInput::Kind::kKey:
      if (input.key == Key::kSpace && !paused_.Paused()) paused_.Pause();
      else if (input.key == Key::kSpace || input.key == Key::kEnd) paused_.Resume();
      else if (input.key == Key::kLeft) move = -kKeyTicks;
      else if (input.key == Key::kRight) move = kKeyTicks;
      break;
    case WindowInput::Kind::kWheel: move = -input.wheel * kWheelTicks; break;
    case WindowInput::Kind::kPointer: pointerX_ = input.x; break;
    case WindowInput::Kind::kPointerLeft: pointerX_.reset(); break;
  }
  // Moving back from live pauses first; moving forward while live stays live.
  if (move < 0 && !paused_.Paused()) paused_.Pause();
  if (move != 0) paused_.Step(move);
  const int64_t after = paused_.Paused() ? paused_.Tick() : -1;
  if (after == before && pointerX_ == pointerBefore) return;  // nothing to show anew
  Update();
}

std::string ChartView::Status() const {
  std::string status;
  if (paused_.Paused()) {
    const int64_t behind = paused_.Behind();
    status = "Paused, " + std::to_string(behind) + (behind == 1 ? " tick" : " ticks");
    const int64_t newest = history_.Ticks() - 1;
    if (behind > 0) {
      const TickTime& now = history_.Time(newest);
      const TickTime& then = paused_.Time();
      if (now.Known() && now.GetKind() == then.GetKind())
        status += " (" + Seconds(now.Micros() - then.Micros()) + " s)";
    }
    status += " behind live";
  }
  if (pointerX_) {
    const std::optional<ColumnValues> v = ValuesAtColumn(history_, Geometry(), *pointerX_);
    if (v) status += (status.empty() ? "" : "  |  ") + ColumnValuesText(history_, *v);
  }
  return status;
}

PictureRef ChartView::Compose() const { return StackedPicture(Shown(), strip_ ? strip_->GetSurface() : nullptr); }

}  // namespace kavrin::host

#include "host/paused_view.h"

#include <algorithm>

#include "host/form_bag.h"
#include "host/standard_controls.h"

namespace kavrin::host {

PausedView::PausedView(ControlSite& site, KavrinLineChart& chart, const ChartHistory& history)
    : site_(site), chart_(chart), history_(history) {}

PausedView::~PausedView() = default;

void PausedView::Pause() {
  paused_ = true;
  held_ = history_.Ticks() - 1;
}

void PausedView::Resume() {
  paused_ = false;
  form_.reset();
}

int64_t PausedView::Tick() const { return paused_ ? held_ : history_.Ticks() - 1; }

int64_t PausedView::Step(int64_t ticks) {
  const int64_t from = held_;
  // A tick the ring has forgotten the ticks of may be shown still, but not gone back from.
  const int64_t earliest = std::min(from, history_.FirstExactTick());
  held_ = std::min(std::max(from + ticks, earliest), history_.Ticks() - 1);
  return held_ - from;
}

const Surface& PausedView::Picture() {
  const Surface& live = site_.GetSurface();
  if (form_ && drawnTick_ == held_ && drawnEngine_ == chart_.Chart() &&
      form_->At(0).GetSurface().Width() == live.Width() && form_->At(0).GetSurface().Height() == live.Height())
    return form_->At(0).GetSurface();
  // Drawn anew: a held tick whose ticks the ring has forgotten moves to the earliest it has.
  held_ = std::min(std::max(held_, history_.FirstExactTick()), history_.Ticks() - 1);
  const int64_t tick = held_;
  // A form like the live one: its font is the ambient font the settings were made with.
  form_ = std::make_unique<Form>();
  form_->Font(site_.AmbientFont());
  RegisterStandardControls(*form_);
  ControlSite& copy = form_->Add("KavrinLineChart", "", live.Width(), live.Height());
  // The live control's settings, loaded as a container loads them: the surface cleared to
  // the back colour and the chart drawn afresh, as at a resize.
  FormBag bag;
  site_.Events()->WriteProperties(bag);
  copy.Events()->ReadProperties(bag);
  drawnFirst_ = history_.Replay(*copy.ControlAs<KavrinLineChart>(), tick);
  drawnTick_ = tick;
  drawnTime_ = tick >= 0 ? history_.Time(tick) : TickTime();
  drawnEngine_ = chart_.Chart();
  return copy.GetSurface();
}

TickGeometry PausedView::Geometry() const {
  const KavrinLineChart* copy = form_ ? form_->At(0).ControlAs<KavrinLineChart>() : nullptr;
  const cLineChart* engine = copy != nullptr ? copy->Chart() : nullptr;
  if (engine == nullptr) return TickGeometry{};
  return TickGeometry::Of(*engine, drawnFirst_, drawnTick_);
}

}  // namespace kavrin::host

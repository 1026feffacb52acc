#pragma once
// The chart a run draws on, made before the run starts: a form (in an X11 window when there
// is a display and no --headless, else headless) with one KavrinLineChart, its settings from
// --form and --set, tried at its --size on a throwaway form, then configured at that size with
// margins that fit; --save-form writes it.
#include <memory>
#include <string>
#include <vector>

#include "apps/messages.h"
#include "apps/options.h"
#include "host/form.h"

namespace kavrin {
class KavrinLineChart;
}

namespace kavrin::app {

struct ChartParts {
  std::unique_ptr<host::Form> form;
  host::ControlSite* site = nullptr;
  KavrinLineChart* chart = nullptr;
  bool window = false;  // the form shows in an X11 window
};

// Throws UsageFailure, with the exit code, for a display, form or setting the chart cannot
// be made with.
ChartParts SetUpChart(const Options& options, Source source, Messages& messages);

// The margins get room for the labels, the unit, a side title and the legend's keys, whether
// the settings came from a form or --set, unless the user gave Dist. They only widen; the
// chart is configured again when they do.
void FitMargins(ChartParts& parts, const Options& options, const std::vector<std::string>& keys);

}  // namespace kavrin::app

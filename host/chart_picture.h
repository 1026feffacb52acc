#pragma once
// A chart's picture as picture files keep it: the control's picture with the strip of its
// time labels below it, in one bitmap.
#include "control/kavrin_line_chart.h"
#include "draw/std_picture.h"
#include "host/chart_history.h"
#include "host/control_site.h"
#include "host/surface.h"
#include "host/time_strip.h"

namespace kavrin::host {

// `top` with `below` (null: nothing) under it; as wide as `top`. Raises 7 when the bitmap
// cannot be made.
PictureRef StackedPicture(const Surface& top, const Surface* below);

// The live chart: its surface with the strip (null: none) drawn for the ticks the chart
// shows now and their kept times.
PictureRef LivePicture(const ControlSite& site, const KavrinLineChart& chart, const ChartHistory& history,
                       TimeStrip* strip);

}  // namespace kavrin::host

#pragma once
// LineData: one line (series) of the chart: where its next segment starts, its newest
// value as a pixel row and as a number, its colours, legend key and point picture.
#include <memory>
#include <string>

#include "common/numbers.h"
#include "draw/pcmemdc.h"

namespace kavrin {

struct LineData {
  Long PrevY = 0;          // row of the previous point: where the next segment starts
  Long CurY = 0;           // row of the newest value
  Long Color = 0;          // pen colour, and colour of the legend box
  Long TipColor = 0;       // text colour of the value tips
  Boolean Fresh = False;   // equals the chart's tick phase exactly when a value came since the last tick
  std::string Key;         // legend text
  Boolean HasPointPic = False;
  Boolean DispPointTip = False;
  std::unique_ptr<pcMemDC> PointPic;  // owned; only when HasPointPic
  double Value = 0;        // newest value given by SetValue
  double PrevValue = 0;    // value as of the previous tick
};

}  // namespace kavrin

#pragma once
// The built-in demo: three signals a newcomer can tell apart at a glance, the same on
// every run (a fixed seed), so the demo's picture is reproducible.
//   1 "sine"   a slow sine wave;
//   2 "noisy"  a level with noise, drawn with value tips;
//   3 "walk"   a random walk, drawn with a point picture.
#include <cstdint>
#include <string>

#include "draw/std_picture.h"

namespace kavrin::app {

struct DemoLine {
  const char* key;
  uint32_t color;  // COLORREF
  bool tips;
  bool picture;
};

constexpr DemoLine kDemoLines[3] = {
    {"sine", 0x0000FFFF, false, false},  // yellow
    {"noisy", 0x00FFFF00, true, false},  // cyan
    {"walk", 0x004080FF, false, true},   // orange
};

constexpr const char* kDemoTitle = "Kavrin Line Chart demo";
constexpr const char* kDemoUnit = "mV";
// Wider than a new control, with margins that fit the unit and the legend's keys.
constexpr int kDemoWidth = 480;
constexpr int kDemoHeight = 300;
constexpr const char* kDemoDist = "45,60,20,30";

class DemoSignals {
 public:
  // The value of line i (0-based) at the next tick; call Advance after the tick.
  double Value(int i) const { return values_[i]; }
  void Advance();
  DemoSignals() { Advance(); }

 private:
  double Uniform();  // in [0, 1)

  uint64_t state_ = 0x9E3779B97F4A7C15ull;
  int64_t tick_ = -1;
  double walk_ = 0;
  double values_[3] = {0, 0, 0};
};

// The walk's point picture: a small diamond on magenta, the colour the chart keys out.
PictureRef DemoPointPicture();

}  // namespace kavrin::app

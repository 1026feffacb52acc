#include "apps/demo_signals.h"

#include <cmath>

#include "common/image_decode.h"

namespace kavrin::app {
namespace {

// Values with one decimal, so that tips and log rows stay short.
double Tenths(double v) { return std::round(v * 10.0) / 10.0; }

}  // namespace

double DemoSignals::Uniform() {
  // xorshift64*: the same sequence on every platform.
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  return static_cast<double>((state_ * 0x2545F4914F6CDD1Dull) >> 11) / 9007199254740992.0;
}

void DemoSignals::Advance() {
  ++tick_;
  const double t = static_cast<double>(tick_);
  values_[0] = Tenths(35.0 * std::sin(t * 2.0 * M_PI / 48.0));
  values_[1] = Tenths(15.0 + 8.0 * (Uniform() - 0.5) + 6.0 * (Uniform() - 0.5));
  walk_ += 6.0 * (Uniform() - 0.5);
  if (walk_ > 45) walk_ = 90 - walk_;
  if (walk_ < -45) walk_ = -90 - walk_;
  values_[2] = Tenths(0.6 * walk_ - 15.0);
}

PictureRef DemoPointPicture() {
  constexpr int kSide = 7;
  DecodedImage img;
  img.width = kSide;
  img.height = kSide;
  img.pixels.assign(kSide * kSide, 0x00FF00FF);  // magenta: keyed out when stamped
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const int d = std::abs(x - kSide / 2) + std::abs(y - kSide / 2);
      if (d <= 3) img.pixels[y * kSide + x] = d == 3 ? 0x00FFFFFF : 0x00FF8040;  // white rim, orange
    }
  }
  return StdPicture::FromImage(img);
}

}  // namespace kavrin::app

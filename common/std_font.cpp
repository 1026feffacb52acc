#include "common/std_font.h"

#include <cmath>
#include <utility>

#include "common/numbers.h"
#include "common/vb_error.h"

namespace kavrin {

namespace {
// The OLE currency type: a 64-bit count of ten-thousandths.
constexpr double kCyScale = 10000.0;
// Largest magnitude a currency value holds (922337203685477.5807), in ten-thousandths.
constexpr double kCyLimit = 9223372036854775807.0;
}  // namespace

StdFont::StdFont(std::string name, double size, bool bold) : name_(std::move(name)) {
  Size(size);
  Bold(bold);
}

void StdFont::Size(double points) {
  // Conversion to currency rounds half to even at the fourth decimal, as the OLE
  // conversion does; a value the currency cannot hold is an overflow.
  if (!std::isfinite(points)) Raise(err::kOverflow);
  const double cy = RoundHalfEven(points * kCyScale);
  if (cy >= kCyLimit || cy <= -kCyLimit) Raise(err::kOverflow);
  sizeCy_ = static_cast<int64_t>(cy);
}

void StdFont::Bold(bool v) {
  bold_ = v;
  weight_ = v ? 700 : 400;
}

void StdFont::Weight(int16_t v) {
  weight_ = v;
  bold_ = v > 550;  // the weight at which OLE fonts report themselves bold
}

bool StdFont::SameDescription(const StdFont& o) const {
  return name_ == o.name_ && sizeCy_ == o.sizeCy_ && bold_ == o.bold_ && italic_ == o.italic_ &&
         underline_ == o.underline_ && strikethrough_ == o.strikethrough_ && weight_ == o.weight_ &&
         charset_ == o.charset_;
}

std::shared_ptr<StdFont> StdFont::PlatformDefault() { return std::make_shared<StdFont>(); }

}  // namespace kavrin

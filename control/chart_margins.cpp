#include "control/chart_margins.h"

#include "common/vb_error.h"
#include "control/variant.h"

namespace kavrin {

std::vector<std::string> SplitItems(const std::string& text, char separator) {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    if (at == std::string::npos) {
      items.push_back(text.substr(start));
      return items;
    }
    items.push_back(text.substr(start, at - start));
    start = at + 1;
  }
}

Margins ParseMargins(const std::string& dist) {
  Margins m;
  Integer* const slots[4] = {&m.left, &m.right, &m.top, &m.bottom};
  const std::vector<std::string> items = SplitItems(dist, ',');
  for (size_t i = 0; i < 4; ++i) {
    if (i >= items.size()) Raise(err::kSubscript);
    if (const auto v = ParseNumber(items[i])) *slots[i] = CInt(*v);
  }
  return m;
}

namespace {

// Single - Integer is a Single; its assignment to a Long rounds half to even.
Long SingleToLong(float v) { return CLng(static_cast<double>(v)); }

}  // namespace

RECT WorkRectangle(const Margins& m, float scaleWidth, float scaleHeight) {
  RECT rc;
  rc.left = m.left;
  rc.top = m.top;
  rc.right = SingleToLong(scaleWidth - static_cast<float>(m.right));
  rc.bottom = SingleToLong(scaleHeight - static_cast<float>(m.bottom));
  return rc;
}

RECT FrameRectangle(float scaleWidth, float scaleHeight) {
  RECT rc;
  rc.left = 0;
  rc.top = 0;
  rc.right = SingleToLong(scaleWidth - 1.0f);
  rc.bottom = SingleToLong(scaleHeight - 1.0f);
  return rc;
}

}  // namespace kavrin

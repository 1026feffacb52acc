// Primitives of 1-bit surfaces: one byte per pixel holding 0 (black) or 1 (white).
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include <algorithm>
#include <cstring>

#include "draw/gdi_dib.h"

namespace kavrin::gdi {
namespace {

inline uint8_t* Row(BitmapObj& b, int y) { return b.px1.data() + static_cast<size_t>(y) * b.width; }
inline const uint8_t* Row(const BitmapObj& b, int y) {
  return b.px1.data() + static_cast<size_t>(y) * b.width;
}

uint32_t Get1(const BitmapObj& b, int x, int y) { return Row(b, y)[x]; }

void Set1(BitmapObj& b, int x, int y, uint32_t px) { Row(b, y)[x] = static_cast<uint8_t>(px & 1); }

void Fill1(BitmapObj& b, const RECT& r, uint32_t px) {
  const int w = r.right - r.left;
  for (int y = r.top; y < r.bottom; ++y) std::fill_n(Row(b, y) + r.left, w, static_cast<uint8_t>(px & 1));
}

void ReadRow1(const BitmapObj& b, int x, int y, int w, uint32_t* out) {
  const uint8_t* p = Row(b, y) + x;
  for (int i = 0; i < w; ++i) out[i] = p[i];
}

void WriteRow1(BitmapObj& b, int x, int y, int w, const uint32_t* in) {
  uint8_t* p = Row(b, y) + x;
  for (int i = 0; i < w; ++i) p[i] = static_cast<uint8_t>(in[i] & 1);
}

void CopyRect1(BitmapObj& dst, int dx, int dy, const BitmapObj& src, int sx, int sy, int w, int h) {
  const size_t bytes = static_cast<size_t>(w);
  if (&dst == &src && dy > sy) {
    for (int i = h - 1; i >= 0; --i) std::memmove(Row(dst, dy + i) + dx, Row(src, sy + i) + sx, bytes);
  } else {
    for (int i = 0; i < h; ++i) std::memmove(Row(dst, dy + i) + dx, Row(src, sy + i) + sx, bytes);
  }
}

void Mask1(BitmapObj& b, int x, int y, int w, int h, const uint8_t* m, int pitch, uint32_t px) {
  const auto v = static_cast<uint8_t>(px & 1);
  for (int j = 0; j < h; ++j) {
    uint8_t* p = Row(b, y + j) + x;
    const uint8_t* mr = m + static_cast<ptrdiff_t>(j) * pitch;
    for (int i = 0; i < w; ++i)
      if (mr[i]) p[i] = v;
  }
}

void Line1(BitmapObj& b, const LineWalk& w, uint32_t px) {
  WalkLine(Row(b, w.y) + w.x, b.width, w, static_cast<uint8_t>(px & 1));
}

}  // namespace

extern const PixelOps kOps1;
const PixelOps kOps1 = {Get1, Set1, Fill1, ReadRow1, WriteRow1, CopyRect1, Mask1, Line1, 1u};

}  // namespace kavrin::gdi

#endif  // _WIN32

// Primitives of 32-bit surfaces: pixels 0x00RRGGBB, rows top-down, stride = width.
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include <algorithm>
#include <cstring>

#include "draw/gdi_dib.h"

namespace kavrin::gdi {
namespace {

inline uint32_t* Row(BitmapObj& b, int y) { return b.px32.data() + static_cast<size_t>(y) * b.width; }
inline const uint32_t* Row(const BitmapObj& b, int y) {
  return b.px32.data() + static_cast<size_t>(y) * b.width;
}

uint32_t Get32(const BitmapObj& b, int x, int y) { return Row(b, y)[x]; }

void Set32(BitmapObj& b, int x, int y, uint32_t px) { Row(b, y)[x] = px; }

void Fill32(BitmapObj& b, const RECT& r, uint32_t px) {
  const int w = r.right - r.left;
  for (int y = r.top; y < r.bottom; ++y) std::fill_n(Row(b, y) + r.left, w, px);
}

void ReadRow32(const BitmapObj& b, int x, int y, int w, uint32_t* out) {
  std::memcpy(out, Row(b, y) + x, static_cast<size_t>(w) * 4);
}

void WriteRow32(BitmapObj& b, int x, int y, int w, const uint32_t* in) {
  std::memcpy(Row(b, y) + x, in, static_cast<size_t>(w) * 4);
}

// Row order follows the overlap: a copy downwards within one bitmap walks bottom-up so
// that every source row is read before it is overwritten; memmove handles each row.
void CopyRect32(BitmapObj& dst, int dx, int dy, const BitmapObj& src, int sx, int sy, int w, int h) {
  const size_t bytes = static_cast<size_t>(w) * 4;
  if (&dst == &src && dy > sy) {
    for (int i = h - 1; i >= 0; --i) std::memmove(Row(dst, dy + i) + dx, Row(src, sy + i) + sx, bytes);
  } else {
    for (int i = 0; i < h; ++i) std::memmove(Row(dst, dy + i) + dx, Row(src, sy + i) + sx, bytes);
  }
}

void Mask32(BitmapObj& b, int x, int y, int w, int h, const uint8_t* m, int pitch, uint32_t px) {
  for (int j = 0; j < h; ++j) {
    uint32_t* p = Row(b, y + j) + x;
    const uint8_t* mr = m + static_cast<ptrdiff_t>(j) * pitch;
    for (int i = 0; i < w; ++i)
      if (mr[i]) p[i] = px;
  }
}

void Line32(BitmapObj& b, const LineWalk& w, uint32_t px) {
  WalkLine(Row(b, w.y) + w.x, b.width, w, px);
}

}  // namespace

extern const PixelOps kOps32;
const PixelOps kOps32 = {Get32, Set32, Fill32, ReadRow32, WriteRow32, CopyRect32, Mask32, Line32, 0x00FFFFFFu};

}  // namespace kavrin::gdi

#endif  // _WIN32

// Lines: MoveToEx / LineTo with cosmetic 1-pixel pens (Bresenham with the Windows tie
// rule, end pixel excluded, clipped without changing the pixel choice).
#include <algorithm>
#include <cstdlib>

#include "draw/gdi_dib.h"

namespace kavrin::gdi {
namespace {

// Products of two 32-bit-range distances overflow 64 bits only in the far clipped-away case.
__extension__ typedef __int128 Wide;

// Octants numbered 1 .. 8 counter-clockwise from +x in device space (y down), as the
// tie rule is stated per octant.
int Octant(int dx, int dy) {
  if (dy > 0) {
    if (dx > 0) return dx > dy ? 1 : 2;
    return -dx > dy ? 4 : 3;
  }
  if (dx < 0) return -dx > -dy ? 5 : 6;
  return dx > -dy ? 8 : 7;
}

// Steps 0 .. n-1 of a line from (x0, y0): the major axis advances one pixel per step and
// the minor offset after k steps is round(k * dMinor / dMajor), ties rounding towards the
// end point in octants 3, 5, 6 and 8 and towards the start in the others.
void CosmeticLine(BitmapObj& b, uint32_t px, POINT p0, POINT p1) {
  const int64_t dx = static_cast<int64_t>(p1.x) - p0.x, dy = static_cast<int64_t>(p1.y) - p0.y;
  if (dx == 0 && dy == 0) return;
  const PixelOps& ops = OpsFor(b);
  const int oct = Octant(static_cast<int>(std::clamp<int64_t>(dx, -0x3FFFFFFF, 0x3FFFFFFF)),
                         static_cast<int>(std::clamp<int64_t>(dy, -0x3FFFFFFF, 0x3FFFFFFF)));
  const int64_t bias = (oct == 3 || oct == 5 || oct == 6 || oct == 8) ? 1 : 0;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const bool xMajor = adx > ady;  // a 45-degree diagonal is y-major, which is the same pixels
  const int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  const int majStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int minStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const int64_t maj0 = xMajor ? p0.x : p0.y, min0 = xMajor ? p0.y : p0.x;
  const int64_t majLimit = xMajor ? b.width : b.height, minLimit = xMajor ? b.height : b.width;

  // Steps whose major coordinate lies inside the bitmap.
  int64_t k0 = 0, k1 = major;  // [k0, k1)
  if (majStep > 0) {
    k0 = std::max<int64_t>(k0, -maj0);
    k1 = std::min<int64_t>(k1, majLimit - maj0);
  } else {
    k0 = std::max<int64_t>(k0, maj0 - (majLimit - 1));
    k1 = std::min<int64_t>(k1, maj0 + 1);
  }
  if (k0 >= k1) return;
  const int64_t twoMajor = 2 * major;
  // Minor offset after k steps: floor((2 k minor + major - 1 + bias) / (2 major)).
  auto minorAt = [&](int64_t k) {
    return static_cast<int64_t>((2 * static_cast<Wide>(k) * minor + major - 1 + bias) / twoMajor);
  };
  // Steps whose minor coordinate lies inside the bitmap: the offset is monotone in k.
  auto inside = [&](int64_t k) {
    const int64_t m = min0 + minStep * minorAt(k);
    return m >= 0 && m < minLimit;
  };
  while (k0 < k1 && !inside(k0)) {
    // Jump ahead: the minor coordinate is outside; skip to where it can re-enter.
    const int64_t m = min0 + minStep * minorAt(k0);
    const bool before = minStep > 0 ? m < 0 : m >= minLimit;
    if (!before) return;
    const int64_t need = minStep > 0 ? -min0 : min0 - (minLimit - 1);  // minor offset to reach
    // Smallest k with minorAt(k) >= need: 2 k minor + major - 1 + bias >= 2 major need.
    const int64_t k =
        minor == 0 ? k1
                   : static_cast<int64_t>((static_cast<Wide>(twoMajor) * need - major + 1 - bias + 2 * minor - 1) /
                                          (2 * minor));
    k0 = std::max(k0 + 1, k);
  }
  if (k0 >= k1) return;
  int64_t k = k0;
  int64_t m = minorAt(k);
  // Bresenham error for step k: err = 2 (k+1) minor - major - 2 m major.
  int64_t err = static_cast<int64_t>(2 * static_cast<Wide>(k + 1) * minor - major - 2 * static_cast<Wide>(m) * major);
  int x = static_cast<int>(xMajor ? maj0 + majStep * k : min0 + minStep * m);
  int y = static_cast<int>(xMajor ? min0 + minStep * m : maj0 + majStep * k);
  const int xs = xMajor ? majStep : minStep, ys = xMajor ? minStep : majStep;
  const int64_t add1 = 2 * minor - twoMajor, add2 = 2 * minor;
  if (minor == 0) {
    ops.run(b, x, y, xMajor ? majStep : 0, xMajor ? 0 : majStep, static_cast<int>(k1 - k), px);
    return;
  }
  for (; k < k1; ++k) {
    if (x < 0 || y < 0 || x >= b.width || y >= b.height) break;  // left through the minor side
    ops.set(b, x, y, px);
    if (err + bias > 0) {
      if (xMajor)
        y += ys;
      else
        x += xs;
      err += add1;
    } else {
      err += add2;
    }
    if (xMajor)
      x += xs;
    else
      y += ys;
  }
}

}  // namespace

void DrawPenLine(DcObj& dc, BitmapObj& bmp, const PenObj& pen, POINT from, POINT to) {
  if (pen.style == PS_NULL) return;
  const uint32_t px = DrawPixel(dc, bmp, pen.color);
  CosmeticLine(bmp, px, from, to);
}

}  // namespace kavrin::gdi

using namespace kavrin::gdi;

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
  DcObj* dc = FindDc(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->pos;
  dc->pos = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  DcObj* dc = FindDc(hdc);
  if (!dc) return FALSE;
  const POINT from = dc->pos, to{x, y};
  dc->pos = to;
  BitmapObj* b = SurfaceOf(*dc);
  const PenObj* pen = FindAs<PenObj>(dc->pen, Kind::Pen);
  if (b && pen) DrawPenLine(*dc, *b, *pen, from, to);
  return TRUE;
}

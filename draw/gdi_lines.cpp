// Lines: MoveToEx / LineTo with cosmetic 1-pixel pens (Bresenham with the Windows tie
// rule, end pixel excluded, clipped to the DC's drawing area (bitmap and clip region)
// without changing the pixel choice) and wide solid
// pens (a band of the pen's width centred on the segment, with round caps at both ends).
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "draw/gdi_dib.h"

namespace kavrin::gdi {
namespace {

// Products of two 32-bit-range distances overflow 64 bits only in the far clipped-away case.
__extension__ typedef __int128 Wide;

// Octants numbered 1 .. 8 counter-clockwise from +x in device space (y down), as the
// tie rule is stated per octant.
int Octant(int64_t dx, int64_t dy) {
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
// W holds the products of two distances: 64 bits for coordinates within 2^28, else 128.
template <typename W>
void CosmeticLineIn(BitmapObj& b, const RECT& area, uint32_t px, POINT p0, POINT p1) {
  const int64_t dx = static_cast<int64_t>(p1.x) - p0.x, dy = static_cast<int64_t>(p1.y) - p0.y;
  if (dx == 0 && dy == 0) return;
  const PixelOps& ops = OpsFor(b);
  const int oct = Octant(dx, dy);
  const int64_t bias = (oct == 3 || oct == 5 || oct == 6 || oct == 8) ? 1 : 0;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const bool xMajor = adx > ady;  // a 45-degree diagonal is y-major, which is the same pixels
  const int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  const int majStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int minStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const int64_t maj0 = xMajor ? p0.x : p0.y, min0 = xMajor ? p0.y : p0.x;
  // The area's extent along each axis, [lo, hi).
  const int64_t majLo = xMajor ? area.left : area.top, majHi = xMajor ? area.right : area.bottom;
  const int64_t minLo = xMajor ? area.top : area.left, minHi = xMajor ? area.bottom : area.right;

  // Steps whose major coordinate lies inside the area.
  int64_t k0 = 0, k1 = major;  // [k0, k1)
  if (majStep > 0) {
    k0 = std::max<int64_t>(k0, majLo - maj0);
    k1 = std::min<int64_t>(k1, majHi - maj0);
  } else {
    k0 = std::max<int64_t>(k0, maj0 - (majHi - 1));
    k1 = std::min<int64_t>(k1, maj0 - majLo + 1);
  }
  if (k0 >= k1) return;
  const int64_t twoMajor = 2 * major;
  // Minor offset after k steps: floor((2 k minor + major - 1 + bias) / (2 major)).
  auto minorAt = [&](int64_t k) {
    return static_cast<int64_t>((2 * static_cast<W>(k) * minor + major - 1 + bias) / twoMajor);
  };
  // Steps whose minor coordinate lies inside the area: the offset is monotone in k.
  auto inside = [&](int64_t k) {
    const int64_t m = min0 + minStep * minorAt(k);
    return m >= minLo && m < minHi;
  };
  while (k0 < k1 && !inside(k0)) {
    // Jump ahead: the minor coordinate is outside; skip to where it can re-enter.
    const int64_t m = min0 + minStep * minorAt(k0);
    const bool before = minStep > 0 ? m < minLo : m >= minHi;
    if (!before) return;
    const int64_t need = minStep > 0 ? minLo - min0 : min0 - (minHi - 1);  // minor offset to reach
    // Smallest k with minorAt(k) >= need: 2 k minor + major - 1 + bias >= 2 major need.
    const int64_t k =
        minor == 0 ? k1
                   : static_cast<int64_t>((static_cast<W>(twoMajor) * need - major + 1 - bias + 2 * minor - 1) /
                                          (2 * minor));
    k0 = std::max(k0 + 1, k);
  }
  if (k0 >= k1) return;
  if (minor > 0) {
    // The last step before the minor coordinate leaves the area: minorAt(k) <= room.
    const int64_t room = minStep > 0 ? minHi - 1 - min0 : min0 - minLo;
    // minorAt(k) <= room  <=>  2 k minor + major - 1 + bias < 2 major (room + 1).
    const W limit = static_cast<W>(twoMajor) * (room + 1) - major + 1 - bias;
    const W kEnd = limit <= 0 ? 0 : (limit + 2 * minor - 1) / (2 * minor);
    if (kEnd < k1) k1 = static_cast<int64_t>(kEnd);
    if (k0 >= k1) return;
  }
  const int64_t m = minorAt(k0);
  LineWalk w{};
  // Bresenham error at step k: 2 (k + 1) minor - major - 2 m major.
  w.err = static_cast<int64_t>(2 * static_cast<W>(k0 + 1) * minor - major - 2 * static_cast<W>(m) * major);
  w.x = static_cast<int>(xMajor ? maj0 + majStep * k0 : min0 + minStep * m);
  w.y = static_cast<int>(xMajor ? min0 + minStep * m : maj0 + majStep * k0);
  w.majX = xMajor ? majStep : 0;
  w.majY = xMajor ? 0 : majStep;
  w.minX = xMajor ? 0 : minStep;
  w.minY = xMajor ? minStep : 0;
  w.add1 = 2 * minor - twoMajor;
  w.add2 = 2 * minor;
  w.bias = bias;
  w.n = k1 - k0;
  ops.line(b, w, px);
}

void CosmeticLine(BitmapObj& b, const RECT& area, uint32_t px, POINT p0, POINT p1) {
  if (IsEmpty(area)) return;
  constexpr LONG kSmall = 1 << 28;
  auto small = [](LONG v) { return v > -kSmall && v < kSmall; };
  if (small(p0.x) && small(p0.y) && small(p1.x) && small(p1.y))
    CosmeticLineIn<int64_t>(b, area, px, p0, p1);
  else
    CosmeticLineIn<Wide>(b, area, px, p0, p1);
}

// What a wide line paints on: the bitmap, its primitives and the drawing area.
struct Target {
  BitmapObj& b;
  const PixelOps& ops;
  RECT area;
};

// Paints the pixels [x0, x1) of row y, clipped to the drawing area.
void Span(const Target& t, int64_t y, int64_t x0, int64_t x1, uint32_t px) {
  BitmapObj& b = t.b;
  const PixelOps& ops = t.ops;
  if (y < t.area.top || y >= t.area.bottom) return;
  x0 = std::max<int64_t>(x0, t.area.left);
  x1 = std::min<int64_t>(x1, t.area.right);
  if (x0 < x1) ops.fill(b, RECT{static_cast<LONG>(x0), static_cast<LONG>(y), static_cast<LONG>(x1), static_cast<LONG>(y + 1)}, px);
}

// Row insets of a round cap w pixels across: the ellipse region of a w x w box, rows
// found by an integer midpoint walk of the ellipse (Zingl's algorithm). Row i of the box
// spans [left + inset[i], left + w - inset[i]).
std::vector<int> CapInsets(int w) {
  std::vector<int> fromMiddle(static_cast<size_t>(w) + 1, 0);
  const int64_t a = w - 1, bb = w - 1;
  const int64_t asq = 8 * a * a, bsq = 8 * bb * bb;
  int64_t dx = 4 * bb * bb * (1 - a), dy = 4 * a * a * (1 + (bb % 2));
  int64_t err = dx + dy + a * a * (bb % 2);
  int x = 0, y = w / 2;
  while (x <= w / 2) {
    const int64_t e2 = 2 * err;
    if (e2 >= dx) {
      ++x;
      dx += bsq;
      err += dx;
    }
    if (e2 <= dy) {
      ++y;
      dy += asq;
      err += dy;
      if (y <= w) fromMiddle[y] = x;
    }
  }
  std::vector<int> inset(static_cast<size_t>(w));
  for (int i = 0; i < w; ++i) inset[i] = fromMiddle[i < w / 2 ? static_cast<int>(bb) - i : i];
  return inset;
}

// Caps are the same for every segment of a width; the chart uses one or two widths.
const std::vector<int>& CachedInsets(int w) {
  static std::vector<std::vector<int>> cache;
  if (static_cast<size_t>(w) >= cache.size()) cache.resize(static_cast<size_t>(w) + 1);
  if (cache[w].empty()) cache[w] = CapInsets(w);
  return cache[w];
}

void RoundCap(const Target& t, int64_t left, int64_t top, int w, uint32_t px) {
  const int64_t right = left + w;
  if (w < 2) {
    for (int64_t y = top; y < top + w; ++y) Span(t, y, left, right, px);
    return;
  }
  const std::vector<int>& inset = CachedInsets(w);
  const int64_t i0 = std::max<int64_t>(0, t.area.top - top), i1 = std::min<int64_t>(w, t.area.bottom - top);
  for (int64_t i = i0; i < i1; ++i) Span(t, top + i, left + inset[i], right - inset[i], px);
}

// The body of a wide segment: a rectangle for axis-parallel segments, otherwise the
// quadrilateral whose corners are the end points moved by the rounded half widths across
// the segment, filled with pixels whose top-left corner lies inside (left and top edges
// inclusive, right and bottom exclusive).
void WideBody(const Target& t, int width, POINT p1, POINT p2, uint32_t px) {
  const RECT& area = t.area;
  const int64_t dx = static_cast<int64_t>(p2.x) - p1.x, dy = static_cast<int64_t>(p2.y) - p1.y;
  if (dx == 0 && dy == 0) return;
  if (dy == 0) {
    const int64_t top = static_cast<int64_t>(p1.y) - width / 2;
    for (int64_t y = std::max<int64_t>(top, area.top); y < std::min<int64_t>(top + width, area.bottom); ++y)
      Span(t, y, std::min(p1.x, p2.x), std::max(p1.x, p2.x), px);
    return;
  }
  if (dx == 0) {
    const int64_t left = static_cast<int64_t>(p1.x) - width / 2;
    const int64_t y0 = std::max<int64_t>(std::min(p1.y, p2.y), area.top);
    const int64_t y1 = std::min<int64_t>(std::max(p1.y, p2.y), area.bottom);
    for (int64_t y = y0; y < y1; ++y) Span(t, y, left, left + width, px);
    return;
  }
  const double len = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
  const double widthX = width * std::fabs(static_cast<double>(dy)) / len;
  const double widthY = width * std::fabs(static_cast<double>(dx)) / len;
  auto round = [](double v) { return static_cast<int64_t>(std::floor(v + 0.5)); };
  int64_t narrowX = round(widthX / 2), narrowY = round(widthY / 2);
  int64_t wideX = round((widthX + 1) / 2), wideY = round((widthY + 1) / 2);
  if (dx < 0) {
    wideY = -wideY;
    narrowY = -narrowY;
  }
  if (dy < 0) {
    std::swap(narrowX, wideX);
    std::swap(narrowY, wideY);
    narrowX = -narrowX;
    wideX = -wideX;
  }
  const int64_t pts[4][2] = {{p1.x - narrowX, p1.y + narrowY},
                             {p1.x + wideX, p1.y - wideY},
                             {p2.x + wideX, p2.y - wideY},
                             {p2.x - narrowX, p2.y + narrowY}};
  int64_t ymin = pts[0][1], ymax = pts[0][1];
  // Coordinates within 2^28 keep every edge product inside 64 bits.
  bool small = true;
  for (const auto& p : pts) small = small && std::llabs(p[0]) < (1 << 28) && std::llabs(p[1]) < (1 << 28);
  for (const auto& p : pts) {
    ymin = std::min(ymin, p[1]);
    ymax = std::max(ymax, p[1]);
  }
  ymin = std::max<int64_t>(ymin, area.top);
  ymax = std::min<int64_t>(ymax, area.bottom);
  for (int64_t y = ymin; y < ymax; ++y) {
    int64_t xs[4];
    int n = 0;
    for (int e = 0; e < 4; ++e) {
      const int64_t* u = pts[e];
      const int64_t* v = pts[(e + 1) % 4];
      if (u[1] == v[1]) continue;
      const int64_t* top = u[1] < v[1] ? u : v;
      const int64_t* bot = u[1] < v[1] ? v : u;
      if (y < top[1] || y >= bot[1]) continue;
      // ceil(top.x + (y - top.y) * (bot.x - top.x) / (bot.y - top.y))
      if (small) {
        const int64_t num = (y - top[1]) * (bot[0] - top[0]), den = bot[1] - top[1];
        xs[n++] = top[0] + (num >= 0 ? (num + den - 1) / den : -((-num) / den));
      } else {
        const Wide num = static_cast<Wide>(y - top[1]) * (bot[0] - top[0]), den = bot[1] - top[1];
        const Wide q = num >= 0 ? (num + den - 1) / den : -((-num) / den);
        xs[n++] = static_cast<int64_t>(std::clamp<Wide>(top[0] + q, INT32_MIN, INT32_MAX));
      }
    }
    // At most four crossings: sorted in place (std::sort's unrolled path on so small a
    // fixed array draws a false out-of-bounds warning from the optimiser).
    for (int i = 1; i < n; ++i)
      for (int j = i; j > 0 && xs[j - 1] > xs[j]; --j) std::swap(xs[j - 1], xs[j]);
    for (int i = 0; i + 1 < n; i += 2) Span(t, y, xs[i], xs[i + 1], px);
  }
}

void WideLine(const Target& t, uint32_t px, int width, POINT p1, POINT p2) {
  if (IsEmpty(t.area)) return;
  WideBody(t, width, p1, p2, px);
  for (const POINT& p : {p1, p2})
    RoundCap(t, static_cast<int64_t>(p.x) - width / 2, static_cast<int64_t>(p.y) - width / 2, width, px);
}

}  // namespace

void DrawPenLine(DcObj& dc, BitmapObj& bmp, const PenObj& pen, POINT from, POINT to) {
  if (pen.style == PS_NULL) return;
  const uint32_t px = DrawPixel(dc, bmp, pen.color);
  const RECT area = DrawArea(dc, bmp);
  if (pen.width > 1)
    WideLine(Target{bmp, OpsFor(bmp), area}, px, pen.width, from, to);
  else
    CosmeticLine(bmp, area, px, from, to);
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

#endif  // _WIN32

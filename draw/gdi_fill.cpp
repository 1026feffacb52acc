// Solid fills: FillRect and the fill and mask-paint primitives the text code draws with,
// all cut to the DC's clip region.
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include "draw/gdi_dib.h"

namespace kavrin::gdi {

void FillSolid(DcObj& dc, const RECT& r, COLORREF c, const RECT* clip) {
  BitmapObj* b = SurfaceOf(dc);
  if (!b) return;
  RECT area = Intersect(r, DrawArea(dc, *b));
  if (clip) area = Intersect(area, *clip);
  if (IsEmpty(area)) return;
  OpsFor(*b).fill(*b, area, DrawPixel(dc, *b, c));
}

void PaintMask(DcObj& dc, int x, int y, int w, int h, const uint8_t* mask, int pitch, COLORREF c,
               const RECT* clip) {
  BitmapObj* b = SurfaceOf(dc);
  if (!b || !mask || w <= 0 || h <= 0) return;
  RECT area = Intersect(RECT{x, y, x + w, y + h}, DrawArea(dc, *b));
  if (clip) area = Intersect(area, *clip);
  if (IsEmpty(area)) return;
  const uint8_t* m = mask + static_cast<ptrdiff_t>(area.top - y) * pitch + (area.left - x);
  OpsFor(*b).mask(*b, area.left, area.top, area.right - area.left, area.bottom - area.top, m, pitch,
                  DrawPixel(dc, *b, c));
}

void FillBrush(DcObj& dc, const RECT& r, COLORREF c) {
  BitmapObj* b = SurfaceOf(dc);
  if (!b) return;
  const RECT area = Intersect(r, DrawArea(dc, *b));
  if (IsEmpty(area)) return;
  const PixelOps& ops = OpsFor(*b);
  const BrushPattern pat = MakeBrushPattern(*b, c);
  if (!pat.dithered) {
    ops.fill(*b, area, pat.solid);
    return;
  }
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) ops.set(*b, x, y, pat.At(x, y));
}

}  // namespace kavrin::gdi

using namespace kavrin::gdi;

int FillRect(HDC hdc, const RECT* rc, HBRUSH brush) {
  DcObj* dc = FindDc(hdc);
  if (!dc || !rc) return 0;
  COLORREF color = 0;
  // Values 1 .. 31 name the system colour COLOR_* = value - 1, as on Windows.
  const auto v = reinterpret_cast<uintptr_t>(brush);
  if (v >= 1 && v <= 31) {
    if (!SysColor(static_cast<int>(v) - 1, &color)) return 0;
  } else {
    const BrushObj* b = FindAs<BrushObj>(brush, Kind::Brush);
    if (!b) return 0;
    if (b->null) return 1;
    color = b->color;
  }
  // FillRect is a pattern copy of (left, top) with extents right - left and bottom - top;
  // a negative extent covers the pixels before its origin, so an inverted rectangle fills
  // left + 1 .. right + 1 (exclusive), as the display driver does.
  auto span = [](LONG a, LONG b, LONG* lo, LONG* hi) {
    if (b >= a) {
      *lo = a;
      *hi = b;
    } else {
      *lo = b == INT32_MAX ? b : b + 1;
      *hi = a == INT32_MAX ? a : a + 1;
    }
  };
  RECT r{};
  span(rc->left, rc->right, &r.left, &r.right);
  span(rc->top, rc->bottom, &r.top, &r.bottom);
  FillBrush(*dc, r, color);
  return 1;
}

#endif  // _WIN32

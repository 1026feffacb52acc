// Colours to pixel values per surface format, and the raster-operation masks.
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include "draw/gdi_dib.h"

namespace kavrin::gdi {

extern const PixelOps kOps32;
extern const PixelOps kOps1;

const PixelOps& OpsFor(const BitmapObj& b) { return b.bpp == 1 ? kOps1 : kOps32; }

uint32_t NearestMono(COLORREF c) {
  const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  const int toBlack = r * r + g * g + b * b;
  const int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
  return toWhite < toBlack ? 1u : 0u;
}

uint32_t MonoFromDrawColor(const DcObj& dc, COLORREF c) {
  c = PlainColor(c);
  if (c == 0) return 0;
  if (c == 0xFFFFFF) return 1;
  const COLORREF bk = PlainColor(dc.bkColor);
  const uint32_t bkPixel = NearestMono(bk);
  return c == bk ? bkPixel : bkPixel ^ 1u;
}

uint32_t DrawPixel(const DcObj& dc, const BitmapObj& bmp, COLORREF c) {
  return bmp.bpp == 1 ? MonoFromDrawColor(dc, c) : ColorToPixel32(PlainColor(c));
}

BrushPattern MakeBrushPattern(const BitmapObj& b, COLORREF c) {
  BrushPattern pat;
  c = PlainColor(c);
  if (b.bpp != 1) {
    pat.solid = ColorToPixel32(c);
    return pat;
  }
  // Ordered dither: white where the intensity reaches 4 * level + 2 of the 8 x 8 Bayer
  // matrix, the matrix's rows taken bottom row first.
  static const uint8_t kBayer[8][8] = {
      {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
      {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
      {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
      {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
  };
  const int intensity = (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
  pat.dithered = true;
  for (int y = 0; y < 8; ++y) {
    uint8_t bits = 0;
    for (int x = 0; x < 8; ++x)
      if (intensity >= 4 * kBayer[7 - y][x] + 2) bits = static_cast<uint8_t>(bits | (1u << x));
    pat.rows[y] = bits;
  }
  // Plain black and white need no dither.
  if (intensity == 0 || intensity == 255) {
    pat.dithered = false;
    pat.solid = intensity ? 1u : 0u;
  }
  return pat;
}

RopMasks MakeRopMasks(uint8_t rop3) {
  // Truth-table bit for pattern P, source S, destination D.
  auto f = [rop3](int p, int s, int d) -> uint32_t { return ((rop3 >> (p << 2 | s << 1 | d)) & 1) ? ~0u : 0u; };
  RopMasks m{};
  m.xor00 = f(0, 0, 0);
  m.xor01 = f(0, 1, 0);
  m.xor10 = f(1, 0, 0);
  m.xor11 = f(1, 1, 0);
  m.and00 = f(0, 0, 0) ^ f(0, 0, 1);
  m.and01 = f(0, 1, 0) ^ f(0, 1, 1);
  m.and10 = f(1, 0, 0) ^ f(1, 0, 1);
  m.and11 = f(1, 1, 0) ^ f(1, 1, 1);
  return m;
}

}  // namespace kavrin::gdi

#endif  // _WIN32

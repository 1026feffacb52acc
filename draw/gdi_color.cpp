// Colours to pixel values per surface format, and the raster-operation masks.
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

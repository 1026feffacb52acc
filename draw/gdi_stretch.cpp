// StretchBlt: scaled and mirrored block copies in the default stretch mode
// (BLACKONWHITE): enlarging repeats pixels, shrinking ANDs together the source pixels
// that fall on one destination pixel, so dark detail survives on a light background.
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include <vector>

#include "draw/gdi_dib.h"

namespace kavrin::gdi {
namespace {

// The source pixels [first, first + count) that make one destination pixel along one axis.
struct Taps {
  int first;
  int count;
};

// Destination index i samples the source pixel under its centre, a centre on a pixel
// boundary taking the lower one; when shrinking, source pixel k lands on the destination
// pixel under its centre, a boundary taking the higher one. Mirroring reverses the map.
std::vector<Taps> AxisMap(int dn, int s0, int sn, bool mirror) {
  std::vector<Taps> map(static_cast<size_t>(dn), Taps{0, 0});
  if (dn >= sn) {
    for (int i = 0; i < dn; ++i)
      map[i] = Taps{static_cast<int>(((2 * static_cast<int64_t>(i) + 1) * sn - 1) / (2 * static_cast<int64_t>(dn))), 1};
  } else {
    for (int k = 0; k < sn; ++k) {
      const int d = static_cast<int>(((2 * static_cast<int64_t>(k) + 1) * dn) / (2 * static_cast<int64_t>(sn)));
      Taps& t = map[d];
      if (t.count == 0) t.first = k;
      ++t.count;
    }
  }
  if (mirror) {
    for (Taps& t : map) t.first = sn - t.first - t.count;
  }
  for (Taps& t : map) t.first += s0;
  return map;
}

}  // namespace
}  // namespace kavrin::gdi

using namespace kavrin::gdi;

BOOL StretchBlt(HDC dst, int xDst, int yDst, int wDst, int hDst, HDC src, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop) {
  DcObj* d = FindDc(dst);
  if (!d) return FALSE;
  const uint8_t rop3 = Rop3Index(rop);
  if (!RopUsesSource(rop3)) return Blt(*d, xDst, yDst, wDst, hDst, nullptr, 0, 0, rop) ? TRUE : FALSE;
  DcObj* s = FindDc(src);
  if (!s) return FALSE;
  if (wDst == wSrc && hDst == hSrc) return Blt(*d, xDst, yDst, wDst, hDst, s, xSrc, ySrc, rop) ? TRUE : FALSE;
  if (wDst == 0 || hDst == 0 || wSrc == 0 || hSrc == 0) return FALSE;
  BitmapObj* db = SurfaceOf(*d);
  BitmapObj* sb = SurfaceOf(*s);
  if (!db || !sb) return FALSE;
  // Normalise both rectangles; opposite signs mirror that axis.
  const bool mirrorX = (wDst < 0) != (wSrc < 0), mirrorY = (hDst < 0) != (hSrc < 0);
  auto norm = [](int& pos, int& len) {
    if (len < 0) {
      pos += len + 1;
      len = -len;
    }
  };
  norm(xDst, wDst);
  norm(yDst, hDst);
  norm(xSrc, wSrc);
  norm(ySrc, hSrc);
  // Extents beyond any bitmap this layer makes draw nothing useful; refuse them early.
  if (static_cast<int64_t>(wDst) * hDst > (int64_t{1} << 26) || wSrc > (1 << 16) || hSrc > (1 << 16)) return FALSE;
  const std::vector<Taps> mx = AxisMap(wDst, xSrc, wSrc, mirrorX);
  const std::vector<Taps> my = AxisMap(hDst, ySrc, hSrc, mirrorY);
  // Sample the source into a temporary bitmap of the destination size, then copy it with
  // the raster operation; this also keeps a stretch within one bitmap from reading its output.
  // The samples are taken in the destination's format: a source of the other format is
  // converted pixel by pixel first (colour to mono: the source background colour is white;
  // mono to colour: the destination's text colour for black, its background for white),
  // and only then are the pixels of a shrink ANDed together.
  BitmapObj tmp;
  tmp.width = wDst;
  tmp.height = hDst;
  tmp.bpp = db->bpp;
  const bool toMono = sb->bpp != 1 && db->bpp == 1, toColour = sb->bpp == 1 && db->bpp != 1;
  const uint32_t key = ColorToPixel32(PlainColor(s->bkColor));
  const uint32_t zero = ColorToPixel32(PlainColor(d->textColor)), one = ColorToPixel32(PlainColor(d->bkColor));
  auto sample = [&](int x, int y) {
    const uint32_t v = OpsFor(*sb).get(*sb, x, y);
    if (toMono) return v == key ? 1u : 0u;
    if (toColour) return v ? one : zero;
    return v;
  };
  if (tmp.bpp == 1)
    tmp.px1.assign(static_cast<size_t>(wDst) * hDst, 0);
  else
    tmp.px32.assign(static_cast<size_t>(wDst) * hDst, 0);
  const PixelOps& tops = OpsFor(tmp);
  std::vector<bool> rowInside(static_cast<size_t>(hDst)), colInside(static_cast<size_t>(wDst));
  for (int i = 0; i < wDst; ++i) colInside[i] = mx[i].first >= 0 && mx[i].first + mx[i].count <= sb->width;
  for (int j = 0; j < hDst; ++j) {
    rowInside[j] = my[j].first >= 0 && my[j].first + my[j].count <= sb->height;
    if (!rowInside[j]) continue;
    for (int i = 0; i < wDst; ++i) {
      if (!colInside[i]) continue;
      uint32_t v = ~0u;
      for (int y = my[j].first; y < my[j].first + my[j].count; ++y)
        for (int x = mx[i].first; x < mx[i].first + mx[i].count; ++x) v &= sample(x, y);
      tops.set(tmp, i, j, v & tops.valueMask);
    }
  }
  // Copy the sampled block with the raster operation; only the part whose samples came
  // from inside the source bitmap is written. The block already has the destination's
  // format, so the scratch DC's colours are never consulted.
  DcObj scratch;
  int i0 = 0, i1 = wDst, j0 = 0, j1 = hDst;
  while (i0 < i1 && !colInside[i0]) ++i0;
  while (i1 > i0 && !colInside[i1 - 1]) --i1;
  while (j0 < j1 && !rowInside[j0]) ++j0;
  while (j1 > j0 && !rowInside[j1 - 1]) --j1;
  if (i0 >= i1 || j0 >= j1) return TRUE;
  return BltBitmap(*d, xDst + i0, yDst + j0, i1 - i0, j1 - j0, &scratch, &tmp, i0, j0, rop) ? TRUE : FALSE;
}

#endif  // _WIN32

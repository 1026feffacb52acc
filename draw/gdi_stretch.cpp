// StretchBlt: scaled and mirrored block copies in the default stretch mode
// (BLACKONWHITE): enlarging repeats pixels, shrinking ANDs together the source pixels
// that fall on one destination pixel, so dark detail survives on a light background.
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include <algorithm>
#include <vector>

#include "draw/gdi_dib.h"

namespace kavrin::gdi {
namespace {

// The source pixels [first, first + count) that make one destination pixel along one axis.
struct Taps {
  int64_t first;
  int64_t count;
};

// One axis of a stretch: dn destination pixels from sn source pixels starting at s0.
// Enlarging, destination pixel i takes the source pixel under its centre, a centre on a
// pixel boundary taking the lower one; shrinking, source pixel k goes to the destination
// pixel under its centre, a boundary taking the higher one. Each rectangle given with a
// negative extent is walked from its far end: a negative destination reverses the order
// of the destination pixels, a negative source reflects the source pixels.
class Axis {
 public:
  Axis(int64_t dn, int64_t s0, int64_t sn, bool dstNegative, bool srcNegative)
      : dn_(dn), s0_(s0), sn_(sn), dstNegative_(dstNegative), srcNegative_(srcNegative) {}
  Taps At(int64_t i) const {
    if (dstNegative_) i = dn_ - 1 - i;
    Taps t{};
    if (dn_ >= sn_) {
      t = Taps{((2 * i + 1) * sn_ - 1) / (2 * dn_), 1};
    } else {
      const int64_t first = First(i);
      t = Taps{first, First(i + 1) - first};
    }
    if (srcNegative_) t.first = sn_ - t.first - t.count;
    t.first += s0_;
    return t;
  }

 private:
  // The first source pixel whose centre lands on destination pixel i (or beyond).
  int64_t First(int64_t i) const {
    if (i >= dn_) return sn_;
    const int64_t num = 2 * i * sn_ - dn_, den = 2 * dn_;
    return num <= 0 ? 0 : (num + den - 1) / den;
  }
  int64_t dn_, s0_, sn_;
  bool dstNegative_, srcNegative_;
};

// Left/top and extent of a signed extent: a negative one covers pos + len + 1 .. pos.
void Normalise(int pos, int len, int64_t* lo, int64_t* n) {
  *lo = len < 0 ? static_cast<int64_t>(pos) + len + 1 : pos;
  *n = len < 0 ? -static_cast<int64_t>(len) : len;
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
  // With both extents of an axis negative the two reversals cancel, except where a
  // centre falls on a pixel boundary.
  int64_t dx0 = 0, dw = 0, dy0 = 0, dh = 0, sx0 = 0, sw = 0, sy0 = 0, sh = 0;
  Normalise(xDst, wDst, &dx0, &dw);
  Normalise(yDst, hDst, &dy0, &dh);
  Normalise(xSrc, wSrc, &sx0, &sw);
  Normalise(ySrc, hSrc, &sy0, &sh);
  const Axis ax(dw, sx0, sw, wDst < 0, wSrc < 0);
  const Axis ay(dh, sy0, sh, hDst < 0, hSrc < 0);

  // Only the destination pixels inside the destination bitmap are sampled, and of those
  // only the ones whose source pixels all lie inside the source bitmap are written.
  const int64_t i0 = std::max<int64_t>(0, -dx0), i1 = std::min<int64_t>(dw, db->width - dx0);
  const int64_t j0 = std::max<int64_t>(0, -dy0), j1 = std::min<int64_t>(dh, db->height - dy0);
  if (i0 >= i1 || j0 >= j1) return TRUE;
  std::vector<Taps> cols, rows;
  std::vector<int> colAt, rowAt;  // destination x / y of each kept column / row
  for (int64_t i = i0; i < i1; ++i) {
    const Taps t = ax.At(i);
    if (t.first >= 0 && t.first + t.count <= sb->width) {
      cols.push_back(t);
      colAt.push_back(static_cast<int>(dx0 + i));
    }
  }
  for (int64_t j = j0; j < j1; ++j) {
    const Taps t = ay.At(j);
    if (t.first >= 0 && t.first + t.count <= sb->height) {
      rows.push_back(t);
      rowAt.push_back(static_cast<int>(dy0 + j));
    }
  }
  if (cols.empty() || rows.empty()) return TRUE;

  // The samples go into a block of the destination's format, which is then copied with
  // the raster operation; this also keeps a stretch within one bitmap from reading its
  // own output. A source of the other format is converted pixel by pixel first (colour to
  // mono: the source background colour is white; mono to colour: the destination's text
  // colour for black, its background for white), and only then are a shrink's pixels ANDed.
  const bool toMono = sb->bpp != 1 && db->bpp == 1, toColour = sb->bpp == 1 && db->bpp != 1;
  const uint32_t key = ColorToPixel32(PlainColor(s->bkColor));
  const uint32_t zero = ColorToPixel32(PlainColor(d->textColor)), one = ColorToPixel32(PlainColor(d->bkColor));
  const PixelOps& sops = OpsFor(*sb);
  auto sample = [&](int64_t x, int64_t y) {
    const uint32_t v = sops.get(*sb, static_cast<int>(x), static_cast<int>(y));
    if (toMono) return v == key ? 1u : 0u;
    if (toColour) return v ? one : zero;
    return v;
  };
  // Kept columns and rows are contiguous runs (the taps move monotonically), so the block
  // spans colAt.front() .. colAt.back() and rowAt.front() .. rowAt.back().
  BitmapObj block;
  block.width = static_cast<int>(cols.size());
  block.height = static_cast<int>(rows.size());
  block.bpp = db->bpp;
  const size_t n = cols.size() * rows.size();
  if (block.bpp == 1)
    block.px1.assign(n, 0);
  else
    block.px32.assign(n, 0);
  const PixelOps& bops = OpsFor(block);
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < cols.size(); ++c) {
      uint32_t v = ~0u;
      for (int64_t y = rows[r].first; y < rows[r].first + rows[r].count; ++y)
        for (int64_t x = cols[c].first; x < cols[c].first + cols[c].count; ++x) v &= sample(x, y);
      bops.set(block, static_cast<int>(c), static_cast<int>(r), v & bops.valueMask);
    }
  }
  DcObj scratch;  // the block has the destination's format: its colours are never consulted
  return BltBitmap(*d, colAt.front(), rowAt.front(), block.width, block.height, &scratch, &block, 0, 0, rop)
             ? TRUE
             : FALSE;
}

#endif  // _WIN32

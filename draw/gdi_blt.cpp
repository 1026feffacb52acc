// Block copies: BitBlt and StretchBlt with all 256 ternary raster operations, the
// colour <-> monochrome conversions, clipping to both bitmaps and overlap-safe scrolling.
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include <algorithm>
#include <vector>

#include "draw/gdi_dib.h"

namespace kavrin::gdi {
namespace {

// Left/top and exclusive right/bottom of an extent that may be negative: a negative
// width covers x + w + 1 .. x.
void Span(int pos, int len, LONG* lo, LONG* hi) {
  int64_t a = pos, b = static_cast<int64_t>(pos) + len;
  if (len < 0) {
    a = b + 1;
    b = static_cast<int64_t>(pos) + 1;
  }
  *lo = static_cast<LONG>(std::clamp<int64_t>(a, INT32_MIN, INT32_MAX));
  *hi = static_cast<LONG>(std::clamp<int64_t>(b, INT32_MIN, INT32_MAX));
}

// Converts n source pixel values to the destination's format: colour to monochrome makes
// the source DC's background colour 1 (white) and all else 0; monochrome to colour takes
// the destination DC's text colour for 0 and its background colour for 1.
struct SourceConversion {
  enum Mode { Same, ColorToMono, MonoToColor } mode = Same;
  uint32_t key = 0;   // ColorToMono: the source background pixel
  uint32_t zero = 0;  // MonoToColor: pixel for 0 bits
  uint32_t one = 0;   // MonoToColor: pixel for 1 bits

  SourceConversion(const DcObj* src, const BitmapObj* sb, const DcObj& dst, const BitmapObj& db) {
    if (!sb || sb->bpp == db.bpp) return;
    if (sb->bpp != 1) {
      mode = ColorToMono;
      key = ColorToPixel32(PlainColor(src->bkColor));
    } else {
      mode = MonoToColor;
      zero = ColorToPixel32(PlainColor(dst.textColor));
      one = ColorToPixel32(PlainColor(dst.bkColor));
    }
  }
  void Apply(uint32_t* px, int n) const {
    if (mode == ColorToMono) {
      for (int i = 0; i < n; ++i) px[i] = px[i] == key ? 1u : 0u;
    } else if (mode == MonoToColor) {
      for (int i = 0; i < n; ++i) px[i] = px[i] ? one : zero;
    }
  }
};

// The pattern: the DC's solid brush as the destination sees it; false for a null brush.
bool PatternOf(const DcObj& dc, const BitmapObj& db, BrushPattern* out) {
  const BrushObj* brush = FindAs<BrushObj>(dc.brush, Kind::Brush);
  if (!brush || brush->null) return false;
  *out = MakeBrushPattern(db, brush->color);
  return true;
}

// Row-wise raster operation of a w x h block; rows of one bitmap are walked in the order
// that reads every source row before it is overwritten, each row read in full first.
void RopBlock(BitmapObj& db, int dx, int dy, const BitmapObj* sb, int sx, int sy, int w, int h,
              const SourceConversion& conv, const BrushPattern& pattern, uint8_t rop3) {
  const PixelOps& dops = OpsFor(db);
  const RopMasks masks = MakeRopMasks(rop3);
  const bool useDst = RopUsesDest(rop3);
  std::vector<uint32_t> srow(sb ? static_cast<size_t>(w) : 0), drow(static_cast<size_t>(w), 0);
  const bool upwards = sb == &db && dy > sy;
  for (int k = 0; k < h; ++k) {
    const int i = upwards ? h - 1 - k : k;
    if (sb) {
      OpsFor(*sb).readRow(*sb, sx, sy + i, w, srow.data());
      conv.Apply(srow.data(), w);
    }
    if (useDst) dops.readRow(db, dx, dy + i, w, drow.data());
    if (pattern.dithered) {
      for (int j = 0; j < w; ++j)
        drow[j] = ApplyRop(masks, pattern.At(dx + j, dy + i), sb ? srow[j] : 0u, drow[j]) & dops.valueMask;
    } else {
      for (int j = 0; j < w; ++j)
        drow[j] = ApplyRop(masks, pattern.solid, sb ? srow[j] : 0u, drow[j]) & dops.valueMask;
    }
    dops.writeRow(db, dx, dy + i, w, drow.data());
  }
}

}  // namespace

bool Blt(DcObj& dst, int x, int y, int cx, int cy, DcObj* src, int x1, int y1, DWORD rop) {
  BitmapObj* sb = nullptr;
  if (RopUsesSource(Rop3Index(rop))) {
    if (!src || !(sb = SurfaceOf(*src))) return false;
  }
  return BltBitmap(dst, x, y, cx, cy, src, sb, x1, y1, rop);
}

bool BltBitmap(DcObj& dst, int x, int y, int cx, int cy, const DcObj* src, BitmapObj* sb, int x1, int y1,
               DWORD rop) {
  BitmapObj* db = SurfaceOf(dst);
  if (!db) return false;
  const uint8_t rop3 = Rop3Index(rop);
  if (!RopUsesSource(rop3)) sb = nullptr;
  else if (!sb || !src) return false;
  RECT d{};
  Span(x, cx, &d.left, &d.right);
  Span(y, cy, &d.top, &d.bottom);
  // source position = destination position + offset
  const int64_t offX = static_cast<int64_t>(x1) - x, offY = static_cast<int64_t>(y1) - y;
  d = Intersect(d, DrawArea(dst, *db));  // the source is not clipped, only the destination
  if (sb) {
    auto shifted = [](int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    const RECT s = BoundsOf(*sb);
    d = Intersect(d, RECT{shifted(s.left - offX), shifted(s.top - offY), shifted(s.right - offX),
                          shifted(s.bottom - offY)});
  }
  if (IsEmpty(d)) return true;
  const int w = d.right - d.left, h = d.bottom - d.top;
  const int sx = static_cast<int>(d.left + offX), sy = static_cast<int>(d.top + offY);

  BrushPattern pattern;
  if (RopUsesPattern(rop3) && !PatternOf(dst, *db, &pattern)) return true;
  const PixelOps& ops = OpsFor(*db);
  switch (rop3) {
    case 0xCC:  // S: plain copy
      if (sb->bpp == db->bpp) {
        ops.copyRect(*db, d.left, d.top, *sb, sx, sy, w, h);
        return true;
      }
      break;
    case 0xF0:  // P
      if (pattern.dithered) break;
      ops.fill(*db, d, pattern.solid);
      return true;
    case 0x00:  // 0
      ops.fill(*db, d, 0);
      return true;
    case 0xFF:  // 1
      ops.fill(*db, d, ops.valueMask);
      return true;
    default:
      break;
  }
  RopBlock(*db, d.left, d.top, sb, sx, sy, w, h, SourceConversion(src, sb, dst, *db), pattern, rop3);
  return true;
}

}  // namespace kavrin::gdi

using namespace kavrin::gdi;

BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  DcObj* d = FindDc(dst);
  if (!d) return FALSE;
  DcObj* s = RopUsesSource(Rop3Index(rop)) ? FindDc(src) : nullptr;
  return Blt(*d, x, y, cx, cy, s, x1, y1, rop) ? TRUE : FALSE;
}

#endif  // _WIN32

// StretchBlt: scaled and mirrored block copies with nearest-pixel sampling.
#include <vector>

#include "draw/gdi_dib.h"

namespace kavrin::gdi {
namespace {

// Source index for each destination index along one axis: dst covers [d0, d0 + dn),
// src covers [s0, s0 + sn) and runs backwards when mirrored.
std::vector<int> AxisMap(int dn, int s0, int sn, bool mirror) {
  std::vector<int> map(static_cast<size_t>(dn));
  for (int i = 0; i < dn; ++i) {
    const int64_t j = (static_cast<int64_t>(i) * sn) / dn;  // nearest by truncation
    map[i] = mirror ? s0 + sn - 1 - static_cast<int>(j) : s0 + static_cast<int>(j);
  }
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
  const std::vector<int> mx = AxisMap(wDst, xSrc, wSrc, mirrorX);
  const std::vector<int> my = AxisMap(hDst, ySrc, hSrc, mirrorY);
  // Sample the source into a temporary bitmap of the destination size, then copy it with
  // the raster operation; this also keeps a stretch within one bitmap from reading its output.
  BitmapObj tmp;
  tmp.width = wDst;
  tmp.height = hDst;
  tmp.bpp = sb->bpp;
  if (sb->bpp == 1)
    tmp.px1.assign(static_cast<size_t>(wDst) * hDst, 0);
  else
    tmp.px32.assign(static_cast<size_t>(wDst) * hDst, 0);
  const PixelOps& sops = OpsFor(*sb);
  const PixelOps& tops = OpsFor(tmp);
  std::vector<bool> rowInside(static_cast<size_t>(hDst)), colInside(static_cast<size_t>(wDst));
  for (int i = 0; i < wDst; ++i) colInside[i] = mx[i] >= 0 && mx[i] < sb->width;
  for (int j = 0; j < hDst; ++j) {
    rowInside[j] = my[j] >= 0 && my[j] < sb->height;
    if (!rowInside[j]) continue;
    for (int i = 0; i < wDst; ++i)
      if (colInside[i]) tops.set(tmp, i, j, sops.get(*sb, mx[i], my[j]));
  }
  // Copy the sampled block through a scratch DC with the source DC's colours; only the
  // part whose samples came from inside the source bitmap is written.
  DcObj scratch;
  scratch.bkColor = s->bkColor;
  scratch.textColor = s->textColor;
  int i0 = 0, i1 = wDst, j0 = 0, j1 = hDst;
  while (i0 < i1 && !colInside[i0]) ++i0;
  while (i1 > i0 && !colInside[i1 - 1]) --i1;
  while (j0 < j1 && !rowInside[j0]) ++j0;
  while (j1 > j0 && !rowInside[j1 - 1]) --j1;
  if (i0 >= i1 || j0 >= j1) return TRUE;
  return BltBitmap(*d, xDst + i0, yDst + j0, i1 - i0, j1 - j0, &scratch, &tmp, i0, j0, rop) ? TRUE : FALSE;
}

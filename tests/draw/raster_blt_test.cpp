// Block copies: every ternary raster operation against its truth table, the colour <->
// monochrome rules with non-default colours, the keyed-copy sequence built from them,
// overlapping copies within one surface, clipping at both surfaces, negative extents and
// StretchBlt's sampling.
#include <gtest/gtest.h>

#include <vector>

#include "tests/draw/raster_canvas.h"

namespace kavrin::test {
namespace {

// Selects a solid brush for the lifetime of the object.
class BrushScope {
 public:
  BrushScope(HDC dc, COLORREF c) : dc_(dc), brush_(CreateSolidBrush(c)) { old_ = SelectObject(dc_, brush_); }
  ~BrushScope() {
    SelectObject(dc_, old_);
    DeleteObject(brush_);
  }
  BrushScope(const BrushScope&) = delete;
  BrushScope& operator=(const BrushScope&) = delete;

 private:
  HDC dc_;
  HBRUSH brush_;
  HGDIOBJ old_;
};

COLORREF Grey(int v) { return RGB(v, v, v); }

// With pattern 0xF0, source 0xCC and destination 0xAA in every channel, the result of a
// ternary operation is its own truth-table byte.
TEST(RasterBlt, EveryRopCodeFollowsItsTruthTable) {
  Canvas src(2, 2, false, Grey(0xCC));
  Canvas dst(2, 2);
  BrushScope brush(dst.dc(), Grey(0xF0));
  for (int rop3 = 0; rop3 < 256; ++rop3) {
    dst.Clear(Grey(0xAA));
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 2, 2, src.dc(), 0, 0, static_cast<DWORD>(rop3) << 16));
    EXPECT_EQ(GetPixel(dst.dc(), 1, 1), Grey(rop3)) << "rop 0x" << std::hex << rop3;
  }
  // The named codes carry the same bytes.
  const std::pair<DWORD, int> named[] = {{SRCCOPY, 0xCC},   {SRCPAINT, 0xEE},   {SRCAND, 0x88},
                                         {SRCINVERT, 0x66}, {SRCERASE, 0x44},   {NOTSRCCOPY, 0x33},
                                         {NOTSRCERASE, 0x11}, {MERGECOPY, 0xC0}, {MERGEPAINT, 0xBB},
                                         {PATCOPY, 0xF0},   {PATPAINT, 0xFB},   {PATINVERT, 0x5A},
                                         {DSTINVERT, 0x55}, {BLACKNESS, 0x00},  {WHITENESS, 0xFF}};
  for (const auto& [rop, byte] : named) {
    dst.Clear(Grey(0xAA));
    BitBlt(dst.dc(), 0, 0, 2, 2, src.dc(), 0, 0, rop);
    EXPECT_EQ(GetPixel(dst.dc(), 0, 0), Grey(byte)) << "rop 0x" << std::hex << rop;
  }
}

TEST(RasterBlt, EveryRopCodeOnMonochrome) {
  // Bit patterns in space instead of channels: 8 pixels cover all (P, S, D) combinations.
  Canvas src(8, 1, true, RGB(0, 0, 0));
  Canvas dst(8, 1, true);
  for (int x = 0; x < 8; ++x) SetPixel(src.dc(), x, 0, (x & 2) ? RGB(255, 255, 255) : 0);
  for (int rop3 = 0; rop3 < 256; ++rop3) {
    for (int p = 0; p < 2; ++p) {
      BrushScope brush(dst.dc(), p ? RGB(255, 255, 255) : 0);  // the pattern: one value per pass
      for (int x = 0; x < 8; ++x) SetPixel(dst.dc(), x, 0, (x & 1) ? RGB(255, 255, 255) : 0);
      BitBlt(dst.dc(), 0, 0, 8, 1, src.dc(), 0, 0, static_cast<DWORD>(rop3) << 16);
      for (int x = 0; x < 4; ++x) {
        const int index = p << 2 | (x & 2) | (x & 1);
        const COLORREF want = ((rop3 >> index) & 1) ? RGB(255, 255, 255) : 0;
        EXPECT_EQ(GetPixel(dst.dc(), x, 0), want) << "rop 0x" << std::hex << rop3 << " P" << p << " x" << x;
      }
    }
  }
}

TEST(RasterBlt, ColourToMonoUsesTheSourceBackgroundColour) {
  Canvas src(3, 1);
  SetPixel(src.dc(), 0, 0, RGB(40, 80, 7));
  SetPixel(src.dc(), 1, 0, RGB(40, 80, 8));
  SetPixel(src.dc(), 2, 0, RGB(255, 255, 255));
  Canvas mono(3, 1, true);
  SetBkColor(src.dc(), RGB(40, 80, 7));
  SetBkColor(mono.dc(), RGB(1, 2, 3));  // the destination's colours play no part
  SetTextColor(mono.dc(), RGB(4, 5, 6));
  BitBlt(mono.dc(), 0, 0, 3, 1, src.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(mono.dc(), 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(mono.dc(), 1, 0), 0u);
  EXPECT_EQ(GetPixel(mono.dc(), 2, 0), 0u);  // white is not special
}

TEST(RasterBlt, MonoToColourUsesTheDestinationTextAndBackgroundColours) {
  Canvas mono(2, 1, true, RGB(0, 0, 0));
  SetPixel(mono.dc(), 1, 0, RGB(255, 255, 255));
  SetTextColor(mono.dc(), RGB(9, 9, 9));  // the source's colours play no part
  SetBkColor(mono.dc(), RGB(8, 8, 8));
  Canvas dst(2, 1);
  SetTextColor(dst.dc(), RGB(1, 100, 200));
  SetBkColor(dst.dc(), RGB(200, 100, 1));
  BitBlt(dst.dc(), 0, 0, 2, 1, mono.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(dst.dc(), 0, 0), RGB(1, 100, 200));
  EXPECT_EQ(GetPixel(dst.dc(), 1, 0), RGB(200, 100, 1));
  // With an operation: SRCAND of the converted source.
  dst.Clear(RGB(0xF0, 0x0F, 0xFF));
  BitBlt(dst.dc(), 0, 0, 2, 1, mono.dc(), 0, 0, SRCAND);
  EXPECT_EQ(GetPixel(dst.dc(), 0, 0), RGB(0xF0 & 1, 0x0F & 100, 200));
  EXPECT_EQ(GetPixel(dst.dc(), 1, 0), RGB(200 & 0xF0, 100 & 0x0F, 1));
}

// The keyed copy: a mask from the key colour, the picture's key pixels blacked out, the
// background's opaque pixels blacked out, then OR; key pixels leave the background.
TEST(RasterBlt, MaskSequenceLeavesKeyColouredPixelsTransparent) {
  const COLORREF key = RGB(255, 0, 255);
  Canvas pic(3, 2, false, key);
  SetPixel(pic.dc(), 0, 0, RGB(10, 20, 30));
  SetPixel(pic.dc(), 2, 1, RGB(254, 0, 255));  // near the key: opaque
  Canvas mask(3, 2, true);
  Canvas dst(3, 2, false, RGB(100, 150, 200));
  SetBkColor(pic.dc(), key);
  SetTextColor(pic.dc(), RGB(255, 255, 255));
  BitBlt(mask.dc(), 0, 0, 3, 2, pic.dc(), 0, 0, SRCCOPY);
  SetTextColor(pic.dc(), 0);
  SetBkColor(pic.dc(), RGB(255, 255, 255));
  BitBlt(pic.dc(), 0, 0, 3, 2, mask.dc(), 0, 0, 0x220326);
  SetTextColor(dst.dc(), 0);
  SetBkColor(dst.dc(), RGB(255, 255, 255));
  BitBlt(dst.dc(), 0, 0, 3, 2, mask.dc(), 0, 0, SRCAND);
  BitBlt(dst.dc(), 0, 0, 3, 2, pic.dc(), 0, 0, SRCPAINT);
  EXPECT_EQ(GetPixel(dst.dc(), 0, 0), RGB(10, 20, 30));
  EXPECT_EQ(GetPixel(dst.dc(), 1, 0), RGB(100, 150, 200));
  EXPECT_EQ(GetPixel(dst.dc(), 0, 1), RGB(100, 150, 200));
  EXPECT_EQ(GetPixel(dst.dc(), 2, 1), RGB(254, 0, 255));
}

// Fills a canvas with distinct pixels so that any misplaced copy shows.
void Numbered(Canvas& c) {
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) SetPixel(c.dc(), x, y, RGB(x * 10, y * 10, (x * 3 + y) & 0xFF));
}

// What BitBlt(dst = same surface) must give: a copy from the unchanged source.
void ExpectOverlapCopy(int dx, int dy, DWORD rop) {
  constexpr int kW = 20, kH = 16;
  Canvas c(kW, kH);
  Numbered(c);
  std::vector<COLORREF> before;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) before.push_back(GetPixel(c.dc(), x, y));
  const int sx = 4, sy = 3, w = 11, h = 9;
  BitBlt(c.dc(), sx + dx, sy + dy, w, h, c.dc(), sx, sy, rop);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const int u = x - dx - sx, v = y - dy - sy;
      COLORREF want = before[static_cast<size_t>(y) * kW + x];
      if (u >= 0 && v >= 0 && u < w && v < h) {
        want = before[static_cast<size_t>(sy + v) * kW + sx + u];
        if (rop == NOTSRCCOPY) want = ~want & 0xFFFFFF;
      }
      ASSERT_EQ(GetPixel(c.dc(), x, y), want)
          << "shift (" << dx << "," << dy << ") rop 0x" << std::hex << rop << std::dec << " at " << x << "," << y;
    }
  }
}

TEST(RasterBlt, OverlappingCopiesWithinOneSurfaceReadTheUnchangedSource) {
  for (DWORD rop : {static_cast<DWORD>(SRCCOPY), static_cast<DWORD>(NOTSRCCOPY)}) {
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -3; dx <= 3; ++dx) ExpectOverlapCopy(dx, dy, rop);
  }
}

TEST(RasterBlt, ClipsToDestinationAndSourceBitmaps) {
  Canvas src(6, 6);
  Numbered(src);
  Canvas dst(6, 6, false, RGB(9, 9, 9));
  // Source partly outside: only pixels with a source inside are written.
  EXPECT_TRUE(BitBlt(dst.dc(), 1, 1, 4, 4, src.dc(), -2, 3, SRCCOPY));
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      const int u = x - 1 - 2, v = y - 1 + 3;  // source pixel
      const bool written = x >= 1 && x < 5 && y >= 1 && y < 5 && u >= 0 && v < 6;
      EXPECT_EQ(GetPixel(dst.dc(), x, y), written ? GetPixel(src.dc(), u, v) : RGB(9, 9, 9)) << x << "," << y;
    }
  }
  // Destination partly outside, far outside, and huge extents: no crash, clipped writes.
  dst.Clear(RGB(9, 9, 9));
  EXPECT_TRUE(BitBlt(dst.dc(), 4, -2, 10, 10, src.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(dst.dc(), 5, 0), GetPixel(src.dc(), 1, 2));
  EXPECT_EQ(GetPixel(dst.dc(), 3, 0), RGB(9, 9, 9));
  EXPECT_TRUE(BitBlt(dst.dc(), -100000, 0, 50, 50, src.dc(), 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 2000000000, 2000000000, nullptr, 0, 0, BLACKNESS));
  EXPECT_TRUE(BitBlt(dst.dc(), 2000000000, 2000000000, 2000000000, -2000000000, src.dc(), -2000000000, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(dst.dc(), 5, 5), 0u);
  // A missing source fails for operations that read one.
  EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(nullptr, 0, 0, 2, 2, src.dc(), 0, 0, SRCCOPY));
}

TEST(RasterBlt, NegativeExtentsCoverThePixelsBeforeTheOrigin) {
  Canvas src(6, 6);
  Numbered(src);
  Canvas dst(6, 6, false, RGB(9, 9, 9));
  BitBlt(dst.dc(), 3, 3, -2, -2, src.dc(), 3, 3, SRCCOPY);
  EXPECT_EQ(dst.Marked(RGB(9, 9, 9)), Pixels("2,2 3,2 2,3 3,3"));
  EXPECT_EQ(GetPixel(dst.dc(), 2, 2), GetPixel(src.dc(), 2, 2));
}

TEST(RasterBlt, PatternOperationsUseTheSelectedBrush) {
  Canvas dst(4, 4, false, RGB(9, 9, 9));
  {
    HGDIOBJ old = SelectObject(dst.dc(), GetStockObject(NULL_BRUSH));
    EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 3, 3, nullptr, 0, 0, PATCOPY));  // a null brush paints nothing
    SelectObject(dst.dc(), old);
  }
  EXPECT_TRUE(dst.Marked(RGB(9, 9, 9)).empty());
  BrushScope brush(dst.dc(), RGB(0x0F, 0xF0, 0x33));
  BitBlt(dst.dc(), 0, 0, 2, 2, nullptr, 0, 0, PATCOPY);
  BitBlt(dst.dc(), 1, 1, 2, 2, nullptr, 0, 0, PATINVERT);
  EXPECT_EQ(GetPixel(dst.dc(), 0, 0), RGB(0x0F, 0xF0, 0x33));
  EXPECT_EQ(GetPixel(dst.dc(), 1, 1), 0u);
  EXPECT_EQ(GetPixel(dst.dc(), 2, 2), RGB(9 ^ 0x0F, 9 ^ 0xF0, 9 ^ 0x33));
  BitBlt(dst.dc(), 0, 0, 4, 4, nullptr, 0, 0, DSTINVERT);
  EXPECT_EQ(GetPixel(dst.dc(), 3, 3), RGB(0xF6, 0xF6, 0xF6));
}

TEST(RasterStretch, EnlargingRepeatsThePixelUnderEachCentre) {
  Canvas src(8, 1);
  for (int x = 0; x < 8; ++x) SetPixel(src.dc(), x, 0, RGB(x * 30, 0, 0));
  Canvas dst(12, 1);
  StretchBlt(dst.dc(), 0, 0, 12, 1, src.dc(), 0, 0, 8, 1, SRCCOPY);
  const int want[12] = {0, 0, 1, 2, 2, 3, 4, 4, 5, 6, 6, 7};
  for (int x = 0; x < 12; ++x) EXPECT_EQ(GetPixel(dst.dc(), x, 0), RGB(want[x] * 30, 0, 0)) << x;
  // A centre on a boundary takes the lower pixel: 8 rows onto 10.
  Canvas col(1, 8);
  for (int y = 0; y < 8; ++y) SetPixel(col.dc(), 0, y, RGB(0, y * 30, 0));
  Canvas tall(1, 10);
  StretchBlt(tall.dc(), 0, 0, 1, 10, col.dc(), 0, 0, 1, 8, SRCCOPY);
  const int rows[10] = {0, 1, 1, 2, 3, 4, 5, 5, 6, 7};
  for (int y = 0; y < 10; ++y) EXPECT_EQ(GetPixel(tall.dc(), 0, y), RGB(0, rows[y] * 30, 0)) << y;
}

TEST(RasterStretch, ShrinkingAndsThePixelsThatMeet) {
  Canvas src(4, 2);
  const COLORREF c[4] = {RGB(0x0F, 0xFF, 0xF0), RGB(0xFF, 0x3C, 0xF0), RGB(0xAA, 0xAA, 0xAA), RGB(0x55, 0xFF, 0xFF)};
  for (int x = 0; x < 4; ++x) {
    SetPixel(src.dc(), x, 0, c[x]);
    SetPixel(src.dc(), x, 1, RGB(0xFF, 0xFF, 0xFF));
  }
  Canvas dst(2, 1);
  StretchBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 4, 2, SRCCOPY);
  EXPECT_EQ(GetPixel(dst.dc(), 0, 0), c[0] & c[1]);
  EXPECT_EQ(GetPixel(dst.dc(), 1, 0), c[2] & c[3]);
}

TEST(RasterStretch, MonochromeSourceTakesColoursBeforePixelsAreCombined) {
  Canvas mono(2, 1, true, RGB(0, 0, 0));
  SetPixel(mono.dc(), 1, 0, RGB(255, 255, 255));
  Canvas dst(1, 1);
  SetTextColor(dst.dc(), RGB(1, 100, 200));
  SetBkColor(dst.dc(), RGB(200, 100, 1));
  StretchBlt(dst.dc(), 0, 0, 1, 1, mono.dc(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(GetPixel(dst.dc(), 0, 0), RGB(1 & 200, 100, 200 & 1));
}

// A negative destination reverses the destination order; a negative source reflects the
// source: the two differ where a pixel centre falls on a boundary (8 pixels onto 10).
TEST(RasterStretch, MirroringWalksTheNegativeRectangleFromItsFarEnd) {
  Canvas src(8, 1);
  for (int x = 0; x < 8; ++x) SetPixel(src.dc(), x, 0, RGB(x, 0, 0));
  Canvas dst(10, 1);
  StretchBlt(dst.dc(), 9, 0, -10, 1, src.dc(), 0, 0, 8, 1, SRCCOPY);
  const int reversed[10] = {7, 6, 5, 5, 4, 3, 2, 1, 1, 0};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(GetPixel(dst.dc(), x, 0), RGB(reversed[x], 0, 0)) << x;
  StretchBlt(dst.dc(), 0, 0, 10, 1, src.dc(), 7, 0, -8, 1, SRCCOPY);
  const int reflected[10] = {7, 6, 6, 5, 4, 3, 2, 2, 1, 0};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(GetPixel(dst.dc(), x, 0), RGB(reflected[x], 0, 0)) << x;
}

TEST(RasterStretch, OppositeSignsMirror) {
  Canvas src(4, 1);
  for (int x = 0; x < 4; ++x) SetPixel(src.dc(), x, 0, RGB(x + 1, 0, 0));
  Canvas dst(8, 1, false, 0);
  StretchBlt(dst.dc(), 3, 0, -4, 1, src.dc(), 0, 0, 4, 1, SRCCOPY);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(GetPixel(dst.dc(), x, 0), RGB(4 - x, 0, 0)) << x;
  // Both negative: no mirror.
  StretchBlt(dst.dc(), 7, 0, -4, 1, src.dc(), 3, 0, -4, 1, SRCCOPY);
  for (int x = 4; x < 8; ++x) EXPECT_EQ(GetPixel(dst.dc(), x, 0), RGB(x - 3, 0, 0)) << x;
  // Equal sizes go through the plain copy, zero extents draw nothing.
  EXPECT_TRUE(StretchBlt(dst.dc(), 0, 0, 4, 1, src.dc(), 0, 0, 4, 1, SRCCOPY));
  EXPECT_EQ(GetPixel(dst.dc(), 0, 0), RGB(1, 0, 0));
  EXPECT_FALSE(StretchBlt(dst.dc(), 0, 0, 0, 1, src.dc(), 0, 0, 4, 1, SRCCOPY));
}

}  // namespace
}  // namespace kavrin::test

// Fills and single pixels: FillRect's exclusive edges, empty and inverted rectangles,
// clipping, system-colour brushes, brush colours on monochrome surfaces, SetPixel's
// nearest colour.
#include <gtest/gtest.h>

#include "tests/draw/raster_canvas.h"

namespace kavrin::test {
namespace {

int FillWith(HDC dc, RECT r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  const int ok = FillRect(dc, &r, b);
  DeleteObject(b);
  return ok;
}

TEST(RasterFill, FillRectCoversLeftToRightMinusOne) {
  Canvas c(8, 8);
  EXPECT_TRUE(FillWith(c.dc(), RECT{2, 3, 4, 5}, RGB(1, 2, 3)));
  EXPECT_EQ(c.Marked(RGB(255, 255, 255)), Pixels("2,3 3,3 2,4 3,4"));
  EXPECT_EQ(GetPixel(c.dc(), 2, 3), RGB(1, 2, 3));
}

TEST(RasterFill, EmptyRectanglesFillNothing) {
  Canvas c(8, 8);
  for (RECT r : {RECT{3, 3, 3, 6}, RECT{3, 3, 6, 3}, RECT{5, 2, 5, 2}, RECT{6, 3, 2, 3}})
    FillWith(c.dc(), r, RGB(0, 0, 0));
  EXPECT_TRUE(c.Marked(RGB(255, 255, 255)).empty());
}

// An inverted rectangle is a negative extent from left / top: it covers the pixels from
// right + 1 to left, as the Windows display driver fills it.
TEST(RasterFill, InvertedRectanglesFillBeforeTheirOrigin) {
  Canvas c(8, 8);
  FillWith(c.dc(), RECT{4, 1, 2, 2}, RGB(0, 0, 0));
  EXPECT_EQ(c.Marked(RGB(255, 255, 255)), Pixels("3,1 4,1"));
  c.Clear(RGB(255, 255, 255));
  FillWith(c.dc(), RECT{1, 5, 2, 3}, RGB(0, 0, 0));
  EXPECT_EQ(c.Marked(RGB(255, 255, 255)), Pixels("1,4 1,5"));
  c.Clear(RGB(255, 255, 255));
  FillWith(c.dc(), RECT{6, 6, 4, 4}, RGB(0, 0, 0));
  EXPECT_EQ(c.Marked(RGB(255, 255, 255)), Pixels("5,5 6,5 5,6 6,6"));
}

TEST(RasterFill, FillsAreClippedToTheBitmap) {
  Canvas c(4, 4);
  FillWith(c.dc(), RECT{-5, -5, 2, 1}, RGB(0, 0, 0));
  FillWith(c.dc(), RECT{3, 3, 1000000, 1000000}, RGB(0, 0, 0));
  FillWith(c.dc(), RECT{INT32_MIN, INT32_MIN, INT32_MAX, -1}, RGB(0, 0, 0));
  EXPECT_EQ(c.Marked(RGB(255, 255, 255)), Pixels("0,0 1,0 3,3"));
}

TEST(RasterFill, BadArgumentsAndSpecialBrushes) {
  Canvas c(4, 4);
  RECT r{0, 0, 2, 2};
  EXPECT_EQ(FillRect(nullptr, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_EQ(FillRect(c.dc(), nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_EQ(FillRect(c.dc(), &r, nullptr), 0);
  EXPECT_TRUE(FillRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))));
  EXPECT_TRUE(c.Marked(RGB(255, 255, 255)).empty());
  // COLOR_WINDOWTEXT + 1 names the system colour, as on Windows.
  EXPECT_TRUE(FillRect(c.dc(), &r, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(8 + 1))));
  EXPECT_EQ(GetPixel(c.dc(), 1, 1), RGB(0, 0, 0));
}

TEST(RasterFill, BrushColoursOnMonochromeAreDithered) {
  Canvas m(8, 8, true);
  FillWith(m.dc(), RECT{0, 0, 8, 8}, RGB(255, 255, 255));
  EXPECT_EQ(m.Marked(RGB(255, 255, 255)).size(), 0u);
  FillWith(m.dc(), RECT{0, 0, 8, 8}, RGB(0, 0, 0));
  EXPECT_EQ(m.Marked(RGB(0, 0, 0)).size(), 0u);
  // Mid grey: a checkerboard, white where x + y is odd.
  FillWith(m.dc(), RECT{0, 0, 8, 8}, RGB(128, 128, 128));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(GetPixel(m.dc(), x, y), ((x + y) & 1) ? RGB(255, 255, 255) : 0u) << x << "," << y;
  // Pure red has intensity 76: 19 of every 64 pixels white; the background colour plays no part.
  SetBkColor(m.dc(), RGB(255, 0, 0));
  FillWith(m.dc(), RECT{0, 0, 8, 8}, RGB(255, 0, 0));
  EXPECT_EQ(m.Marked(RGB(0, 0, 0)).size(), 19u);
}

TEST(RasterFill, SetPixelTakesTheNearestColourTheSurfaceHas) {
  Canvas c(2, 2);
  EXPECT_EQ(SetPixel(c.dc(), 0, 0, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(c.dc(), 0, 0), RGB(1, 2, 3));
  // Palette-index flags are dropped on a true-colour surface.
  EXPECT_EQ(SetPixel(c.dc(), 1, 0, 0x02000080u), RGB(0x80, 0, 0));
  EXPECT_EQ(SetPixel(c.dc(), 2, 0, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(c.dc(), -1, 0, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(c.dc(), 0, 2), CLR_INVALID);
  Canvas m(2, 1, true);
  EXPECT_EQ(SetPixel(m.dc(), 0, 0, RGB(128, 128, 128)), RGB(255, 255, 255));
  EXPECT_EQ(SetPixel(m.dc(), 1, 0, RGB(127, 127, 127)), 0u);
  EXPECT_EQ(GetPixel(m.dc(), 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(m.dc(), 1, 0), 0u);
}

}  // namespace
}  // namespace kavrin::test

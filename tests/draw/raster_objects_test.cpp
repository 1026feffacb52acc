// The handle table and object rules: handle values, stock objects, SelectObject's
// displaced object and its failures, DeleteObject's refusal while selected, DeleteDC
// deselecting, live counts, the defaults of a new DC and the format of compatible bitmaps.
#include <gtest/gtest.h>

#include "draw/gdi_host.h"
#include "draw/win32.h"

namespace {

using kavrin::gdi::CountLiveObjects;

int BitsOf(HBITMAP b) {
  BITMAP bm{};
  if (GetObjectA(b, sizeof bm, &bm) != static_cast<int>(sizeof bm)) return -1;
  return bm.bmBitsPixel;
}

TEST(RasterObjects, HandlesAreSmallNonZeroLongsThatRoundTrip) {
  HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
  HPEN p = CreatePen(PS_SOLID, 1, 0);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(p, nullptr);
  const LONG lb = HandleToLong(b);
  EXPECT_GT(lb, 0);
  EXPECT_NE(static_cast<void*>(b), static_cast<void*>(p));
  EXPECT_EQ(GetObjectType(LongToHandle(lb)), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_EQ(GetObjectType(p), static_cast<DWORD>(OBJ_PEN));
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_TRUE(DeleteObject(p));
  // A deleted handle is dead, even if its slot is used again.
  EXPECT_EQ(GetObjectType(b), 0u);
  EXPECT_FALSE(DeleteObject(b));
  HBRUSH again = CreateSolidBrush(0);
  EXPECT_NE(static_cast<void*>(again), static_cast<void*>(b));
  EXPECT_EQ(GetObjectType(b), 0u);
  DeleteObject(again);
}

TEST(RasterObjects, LiveCountsPerKindExcludeStockObjects) {
  const auto before = CountLiveObjects();
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_SOLID, 2, 0);
  HBRUSH brush = CreateSolidBrush(0);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 4, 4);
  HPALETTE pal = CreateHalftonePalette(dc);
  auto now = CountLiveObjects();
  EXPECT_EQ(now.dcs, before.dcs + 1);
  EXPECT_EQ(now.pens, before.pens + 1);
  EXPECT_EQ(now.brushes, before.brushes + 1);
  EXPECT_EQ(now.bitmaps, before.bitmaps + 1);
  EXPECT_EQ(now.palettes, before.palettes + 1);
  EXPECT_EQ(now.fonts, before.fonts);
  // Stock objects are neither counted nor deleted.
  for (int i : {WHITE_BRUSH, BLACK_BRUSH, NULL_BRUSH, BLACK_PEN, WHITE_PEN, NULL_PEN, SYSTEM_FONT,
                DEFAULT_GUI_FONT, DEFAULT_PALETTE}) {
    HGDIOBJ s = GetStockObject(i);
    ASSERT_NE(s, nullptr) << i;
    EXPECT_TRUE(DeleteObject(s));
    EXPECT_NE(GetObjectType(s), 0u) << "stock object " << i << " was deleted";
  }
  EXPECT_EQ(GetObjectType(GetStockObject(SYSTEM_FONT)), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_GUI_FONT)), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(GetStockObject(9), nullptr);
  EXPECT_EQ(CountLiveObjects(), now);
  DeleteObject(pal);
  DeleteObject(bmp);
  DeleteObject(brush);
  DeleteObject(pen);
  DeleteDC(dc);
  EXPECT_EQ(CountLiveObjects(), before);
}

TEST(RasterObjects, NewMemoryDcDefaults) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
  HBITMAP stockBmp = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  BITMAP bm{};
  ASSERT_EQ(GetObjectA(stockBmp, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmHeight, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(GetTextColor(dc), 0u);
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  DeleteObject(stockBmp);
  EXPECT_EQ(GetObjectType(stockBmp), static_cast<DWORD>(OBJ_BITMAP));
  DeleteDC(dc);
}

TEST(RasterObjects, SelectObjectReturnsTheDisplacedObjectAndRejectsBadInput) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HPEN blue = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  EXPECT_EQ(SelectObject(dc, red), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, blue), static_cast<HGDIOBJ>(red));
  EXPECT_EQ(SelectObject(dc, blue), static_cast<HGDIOBJ>(blue));  // selecting again: itself
  EXPECT_EQ(SelectObject(nullptr, red), nullptr);
  EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
  EXPECT_EQ(SelectObject(dc, LongToHandle(0x7654321)), nullptr);
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(dc, other), nullptr);  // a DC is not selectable
  HPALETTE pal = CreateHalftonePalette(nullptr);
  EXPECT_EQ(SelectObject(dc, pal), nullptr);  // palettes go through SelectPalette
  // A bitmap lives in one memory DC at a time and never in a screen DC.
  HBITMAP bmp = CreateCompatibleBitmap(dc, 3, 3);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  EXPECT_NE(oldBmp, nullptr);
  EXPECT_EQ(SelectObject(other, bmp), nullptr);
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  EXPECT_EQ(SelectObject(screen, bmp), nullptr);
  SelectObject(dc, oldBmp);
  EXPECT_NE(SelectObject(other, bmp), nullptr);
  DeleteDC(screen);
  DeleteDC(other);  // deselects bmp
  EXPECT_TRUE(DeleteObject(bmp));
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(pal);
  DeleteObject(red);
  DeleteObject(blue);
  DeleteDC(dc);
}

TEST(RasterObjects, DeleteObjectRefusesSelectedObjectsAndDeleteDcReleasesThem) {
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
  SelectObject(a, brush);
  SelectObject(b, brush);  // pens, brushes and fonts may be in several DCs
  EXPECT_FALSE(DeleteObject(brush));
  SelectObject(a, GetStockObject(WHITE_BRUSH));
  EXPECT_FALSE(DeleteObject(brush));  // still in b
  DeleteDC(b);
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteDC(b));  // already gone
  EXPECT_FALSE(DeleteObject(a));  // DCs are released with DeleteDC
  DeleteDC(a);
}

TEST(RasterObjects, CompatibleBitmapsFollowTheDcFormat) {
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetObjectType(screen), static_cast<DWORD>(OBJ_DC));
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(CreateDCA("PRINTER", nullptr, nullptr, nullptr), nullptr);
  HDC mem = CreateCompatibleDC(screen);
  EXPECT_EQ(GetDeviceCaps(mem, BITSPIXEL), 32);  // the device's, not the bitmap's

  HBITMAP fromScreen = CreateCompatibleBitmap(screen, 5, 4);
  HBITMAP fromFreshMem = CreateCompatibleBitmap(mem, 5, 4);  // holds the 1x1 mono bitmap
  EXPECT_EQ(BitsOf(fromScreen), 32);
  EXPECT_EQ(BitsOf(fromFreshMem), 1);
  HGDIOBJ old = SelectObject(mem, fromScreen);
  HBITMAP fromColourMem = CreateCompatibleBitmap(mem, 5, 4);
  EXPECT_EQ(BitsOf(fromColourMem), 32);
  // 0 x 0 gives the stock 1 x 1 monochrome bitmap, which is not counted or deleted.
  const auto before = CountLiveObjects();
  HBITMAP empty = CreateCompatibleBitmap(screen, 0, 0);
  EXPECT_EQ(empty, static_cast<HBITMAP>(old));
  EXPECT_EQ(CountLiveObjects(), before);
  EXPECT_EQ(CreateCompatibleBitmap(screen, -1, 5), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 5, 5), nullptr);

  BITMAP bm{};
  GetObjectA(fromScreen, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 5);
  EXPECT_EQ(bm.bmHeight, 4);
  EXPECT_EQ(bm.bmWidthBytes, 20);
  GetObjectA(fromFreshMem, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidthBytes, 2);  // rows padded to 16 bits
  // New bitmaps are black.
  EXPECT_EQ(GetPixel(mem, 4, 3), 0u);

  SelectObject(mem, old);
  DeleteObject(fromColourMem);
  DeleteObject(fromFreshMem);
  DeleteObject(fromScreen);
  DeleteDC(mem);
  DeleteDC(screen);
}

TEST(RasterObjects, ScreenDcFromGetDcIsReleasedOnce) {
  const auto before = CountLiveObjects();
  HDC dc = GetDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
  EXPECT_EQ(CountLiveObjects(), before);
}

TEST(RasterObjects, PalettesAreHarmlessObjects) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPALETTE pal = CreateHalftonePalette(dc);
  ASSERT_NE(pal, nullptr);
  HPALETTE old = SelectPalette(dc, pal, TRUE);
  EXPECT_EQ(old, GetStockObject(DEFAULT_PALETTE));
  EXPECT_NE(RealizePalette(dc), static_cast<UINT>(-1));
  EXPECT_FALSE(DeleteObject(pal));  // selected
  EXPECT_EQ(SelectPalette(dc, old, FALSE), pal);
  EXPECT_TRUE(DeleteObject(pal));
  EXPECT_EQ(SelectPalette(dc, pal, FALSE), nullptr);
  DeleteDC(dc);
}

}  // namespace

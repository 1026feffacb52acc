// Bitmap data transfers and the small helpers: CreateBitmap's initial bits, GetDIBits /
// SetDIBits in both row orders, ViewBitmap, MulDiv, OleTranslateColor, rectangles,
// PathFileExistsA and InvalidateRect's routing to registered windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "draw/gdi_host.h"
#include "tests/draw/raster_canvas.h"
#include "tests/support/pixels.h"

namespace kavrin::test {
namespace {

TEST(RasterBitmaps, CreateBitmapReadsRowsPaddedTo16Bits) {
  // 3 x 2 monochrome: each row takes 2 bytes.
  const uint8_t mono[] = {0xA0, 0xFF, 0x40, 0x00};
  HBITMAP m = CreateBitmap(3, 2, 1, 1, mono);
  // 3 x 2 at 32 bits: 12-byte rows need no padding; pixels are 0x00RRGGBB in memory.
  const uint32_t colour[] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00123456, 0xFF000000, 0x00010203};
  HBITMAP c = CreateBitmap(3, 2, 1, 32, colour);
  ASSERT_NE(m, nullptr);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(CreateBitmap(3, 2, 1, 24, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(3, 2, 2, 1, nullptr), nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, m);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 1, 0), 0u);
  EXPECT_EQ(GetPixel(dc, 2, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 0, 1), 0u);
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 255, 255));
  SelectObject(dc, c);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(dc, 2, 0), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(GetPixel(dc, 1, 1), 0u);  // the unused top byte is dropped
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(m);
  DeleteObject(c);
}

TEST(RasterBitmaps, DibTransfersInBothRowOrders) {
  Canvas c(3, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x) SetPixel(c.dc(), x, y, RGB(x, y, 7));
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 3;
  bi.bmiHeader.biHeight = 4;  // bottom-up
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> px(12);
  EXPECT_EQ(GetDIBits(c.dc(), c.bitmap(), 0, 4, px.data(), &bi, DIB_RGB_COLORS), 4);
  EXPECT_EQ(px[0], 0x00000307u);  // first row in memory is the bottom row: (0, 3)
  EXPECT_EQ(px[11], 0x00020007u);  // last is the top row: (2, 0)
  bi.bmiHeader.biHeight = -4;  // top-down
  EXPECT_EQ(GetDIBits(c.dc(), c.bitmap(), 0, 4, px.data(), &bi, DIB_RGB_COLORS), 4);
  EXPECT_EQ(px[0], 0x00000007u);
  EXPECT_EQ(px[5], 0x00020107u);
  // Scan lines from start: bottom-up line 1 is row 2.
  bi.bmiHeader.biHeight = 4;
  EXPECT_EQ(GetDIBits(c.dc(), c.bitmap(), 1, 1, px.data(), &bi, DIB_RGB_COLORS), 1);
  EXPECT_EQ(px[0], 0x00000207u);

  std::vector<uint32_t> in(12, 0x00ABCDEFu);
  in[0] = 0x00112233u;
  EXPECT_EQ(SetDIBits(c.dc(), c.bitmap(), 0, 4, in.data(), &bi, DIB_RGB_COLORS), 4);
  EXPECT_EQ(GetPixel(c.dc(), 0, 3), RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(GetPixel(c.dc(), 2, 0), RGB(0xAB, 0xCD, 0xEF));
  bi.bmiHeader.biHeight = -4;
  EXPECT_EQ(SetDIBits(c.dc(), c.bitmap(), 0, 4, in.data(), &bi, DIB_RGB_COLORS), 4);
  EXPECT_EQ(GetPixel(c.dc(), 0, 0), RGB(0x11, 0x22, 0x33));

  gdi::PixelView v;
  ASSERT_TRUE(gdi::ViewBitmap(c.bitmap(), &v));
  EXPECT_EQ(v.width, 3);
  EXPECT_EQ(v.height, 4);
  EXPECT_EQ(v.pixels[0], 0x00112233u);
  // The format query and unsupported formats.
  BITMAPINFO q{};
  q.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  EXPECT_NE(GetDIBits(c.dc(), c.bitmap(), 0, 0, nullptr, &q, DIB_RGB_COLORS), 0);
  EXPECT_EQ(q.bmiHeader.biWidth, 3);
  EXPECT_EQ(q.bmiHeader.biBitCount, 32);
  bi.bmiHeader.biBitCount = 24;
  EXPECT_EQ(GetDIBits(c.dc(), c.bitmap(), 0, 4, px.data(), &bi, DIB_RGB_COLORS), 0);
  Canvas m(2, 2, true);
  EXPECT_FALSE(gdi::ViewBitmap(m.bitmap(), &v));
}

TEST(RasterHelpers, MulDivRoundsHalfAwayFromZero) {
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(5, 1, -2), -3);
  EXPECT_EQ(MulDiv(-5, -1, 2), 3);
  EXPECT_EQ(MulDiv(10, 96, 72), 13);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(0x40000000, 4, 1), -1);
  EXPECT_EQ(MulDiv(0x40000000, 4, 2), -1);  // 2^31 does not fit
  EXPECT_EQ(MulDiv(-0x40000000, 4, 2), INT32_MIN);  // -2^31 does
  EXPECT_EQ(MulDiv(INT32_MAX, INT32_MAX, INT32_MAX), INT32_MAX);
}

TEST(RasterHelpers, OleTranslateColor) {
  COLORREF c = 1;
  EXPECT_EQ(OleTranslateColor(RGB(1, 2, 3), nullptr, &c), S_OK);
  EXPECT_EQ(c, RGB(1, 2, 3));
  EXPECT_EQ(OleTranslateColor(0x80000005u, nullptr, &c), S_OK);  // COLOR_WINDOW
  EXPECT_EQ(c, RGB(255, 255, 255));
  EXPECT_EQ(OleTranslateColor(0x80000008u, nullptr, &c), S_OK);  // COLOR_WINDOWTEXT
  EXPECT_EQ(c, RGB(0, 0, 0));
  EXPECT_EQ(OleTranslateColor(0x8000000Fu, nullptr, &c), S_OK);  // COLOR_BTNFACE
  EXPECT_NE(c, 0u);
  EXPECT_EQ(OleTranslateColor(0x800000FFu, nullptr, &c), E_INVALIDARG);
  EXPECT_EQ(OleTranslateColor(0x40000000u, nullptr, &c), E_INVALIDARG);
  HPALETTE pal = CreateHalftonePalette(nullptr);
  EXPECT_EQ(OleTranslateColor(RGB(255, 0, 255), pal, &c), S_OK);
  EXPECT_EQ(c & 0xFFFFFF, RGB(255, 0, 255));
  DeleteObject(pal);
  EXPECT_EQ(OleTranslateColor(RGB(1, 1, 1), pal, &c), E_INVALIDARG);  // a dead palette
}

TEST(RasterHelpers, RectanglesAndPaths) {
  RECT a{}, b{};
  EXPECT_TRUE(SetRect(&a, 1, 2, 3, 4));
  EXPECT_TRUE(CopyRect(&b, &a));
  EXPECT_EQ(b.left, 1);
  EXPECT_EQ(b.bottom, 4);
  EXPECT_FALSE(CopyRect(nullptr, &a));

  const std::string dir = OutputDir() + "/raster_paths";
  std::filesystem::create_directories(dir);
  const std::string file = dir + "/x.txt";
  std::FILE* f = std::fopen(file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  std::string backslashed = file;
  for (char& ch : backslashed)
    if (ch == '/') ch = '\\';
  EXPECT_TRUE(PathFileExistsA(file.c_str()));
  EXPECT_TRUE(PathFileExistsA(backslashed.c_str()));
  EXPECT_TRUE(PathFileExistsA((dir + "/").c_str()));
  EXPECT_TRUE(PathFileExistsA((dir + "\\").c_str()));
  EXPECT_FALSE(PathFileExistsA((dir + "/missing").c_str()));
  EXPECT_FALSE(PathFileExistsA(""));
  EXPECT_FALSE(PathFileExistsA(nullptr));
}

struct RecordingSink : gdi::WindowSink {
  int calls = 0;
  bool whole = false;
  RECT last{};
  bool erase = false;
  void Invalidate(const RECT* rc, bool e) override {
    ++calls;
    whole = rc == nullptr;
    if (rc) last = *rc;
    erase = e;
  }
};

TEST(RasterHelpers, InvalidateRectReachesTheRegisteredWindowOnly) {
  RecordingSink a, b;
  HWND ha = gdi::RegisterWindow(&a);
  HWND hb = gdi::RegisterWindow(&b);
  ASSERT_NE(ha, nullptr);
  EXPECT_NE(ha, hb);
  RECT r{1, 2, 3, 4};
  EXPECT_TRUE(InvalidateRect(ha, &r, FALSE));
  EXPECT_EQ(a.calls, 1);
  EXPECT_EQ(b.calls, 0);
  EXPECT_EQ(a.last.right, 3);
  EXPECT_FALSE(a.erase);
  EXPECT_TRUE(InvalidateRect(hb, nullptr, TRUE));
  EXPECT_TRUE(b.whole);
  EXPECT_TRUE(b.erase);
  EXPECT_FALSE(InvalidateRect(nullptr, &r, FALSE));
  gdi::UnregisterWindow(ha);
  EXPECT_FALSE(InvalidateRect(ha, &r, FALSE));
  EXPECT_EQ(a.calls, 1);
  gdi::UnregisterWindow(hb);
}

}  // namespace
}  // namespace kavrin::test

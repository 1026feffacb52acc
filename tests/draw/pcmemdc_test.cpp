// pcMemDC: grow-only surface, picture copies, plain and keyed copies, keyed tiles.
#include "tests/support/errors.h"
#include "draw/pcmemdc.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/vb_error.h"
#include "draw/gdi_host.h"
#include "draw/win32.h"

namespace kavrin {
namespace {

using kavrin::test::ErrorOf;

// COLORREF 0x00BBGGRR -> decoded pixel 0x00RRGGBB.
uint32_t ToPixel(COLORREF c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

// A picture whose pixel (x, y) has the colour f(x, y) (COLORREF).
PictureRef MakePicture(int w, int h, const std::function<COLORREF(int, int)>& f) {
  DecodedImage img;
  img.width = w;
  img.height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.pixels.push_back(ToPixel(f(x, y)));
  return StdPicture::FromImage(img);
}

// A distinct, magenta-free colour per position.
COLORREF Tag(int x, int y) { return RGB(10 + x, 20 + y, 30); }

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kGround = RGB(0, 128, 0);

// A 64 x 32 destination surface filled with kGround.
class PcMemDcTest : public testing::Test {
 protected:
  void SetUp() override {
    screen_ = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    dc_ = CreateCompatibleDC(screen_);
    bmp_ = CreateCompatibleBitmap(screen_, 64, 32);
    oldBmp_ = SelectObject(dc_, bmp_);
    HBRUSH b = CreateSolidBrush(kGround);
    RECT r{0, 0, 64, 32};
    FillRect(dc_, &r, b);
    DeleteObject(b);
  }
  void TearDown() override {
    SelectObject(dc_, oldBmp_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
    DeleteDC(screen_);
  }
  Long Dc() const { return HandleToLong(dc_); }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

  HDC screen_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HGDIOBJ oldBmp_ = nullptr;
};

TEST_F(PcMemDcTest, SurfaceOnlyGrowsAndAGrowthDiscardsPixels) {
  pcMemDC m;
  EXPECT_EQ(m.Width(), 0);
  EXPECT_EQ(m.Height(), 0);
  EXPECT_EQ(m.hdc(), 0);
  m.Width(10);
  m.Height(6);
  EXPECT_EQ(m.Width(), 10);
  EXPECT_EQ(m.Height(), 6);
  ASSERT_NE(m.hdc(), 0);
  const HDC s = static_cast<HDC>(LongToHandle(m.hdc()));
  SetPixel(s, 3, 2, RGB(200, 10, 10));
  m.Width(10);
  m.Width(4);
  m.Height(-1);
  EXPECT_EQ(m.Width(), 10);
  EXPECT_EQ(m.Height(), 6);
  EXPECT_EQ(GetPixel(static_cast<HDC>(LongToHandle(m.hdc())), 3, 2), RGB(200, 10, 10));
  m.Height(7);
  EXPECT_EQ(m.Width(), 10);
  EXPECT_EQ(m.Height(), 7);
  EXPECT_NE(GetPixel(static_cast<HDC>(LongToHandle(m.hdc())), 3, 2), RGB(200, 10, 10));
}

TEST_F(PcMemDcTest, FailedCreationLeavesAnEmptySurface) {
  pcMemDC m;
  m.Width(100000);
  m.Height(100000);  // far beyond what a bitmap may hold
  EXPECT_EQ(m.Width(), 0);
  EXPECT_EQ(m.Height(), 0);
  EXPECT_EQ(m.hdc(), 0);
  m.Draw(Dc(), 0, 0, 8, 8, 0, 0, True);  // copies from nothing draw nothing
  m.Draw(Dc(), 0, 0, 8, 8, 0, 0, False);
  EXPECT_EQ(At(0, 0), kGround);
  EXPECT_EQ(At(7, 7), kGround);
}

TEST_F(PcMemDcTest, PictureCopiesOneToOneAndASmallerOneOverwritesTheCorner) {
  pcMemDC m;
  auto big = MakePicture(16, 16, Tag);
  m.CreateFromPicture(*big);
  EXPECT_EQ(m.Width(), 16);
  EXPECT_EQ(m.Height(), 16);
  const HDC s = static_cast<HDC>(LongToHandle(m.hdc()));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(GetPixel(s, x, y), Tag(x, y)) << x << "," << y;
  auto small = MakePicture(8, 8, [](int, int) { return RGB(1, 2, 3); });
  m.CreateFromPicture(*small);
  EXPECT_EQ(m.Width(), 16);
  EXPECT_EQ(m.Height(), 16);
  EXPECT_EQ(GetPixel(s, 0, 0), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(s, 7, 7), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(s, 8, 7), Tag(8, 7));
  EXPECT_EQ(GetPixel(s, 7, 8), Tag(7, 8));
  EXPECT_EQ(GetPixel(s, 15, 15), Tag(15, 15));
  // The picture keeps its bitmap: it can be copied again.
  pcMemDC again;
  again.CreateFromPicture(*small);
  EXPECT_EQ(again.Width(), 8);
}

TEST_F(PcMemDcTest, PictureWithoutBitmapChangesNothing) {
  pcMemDC m;
  StdPicture none(nullptr);
  m.CreateFromPicture(none);
  EXPECT_EQ(m.Width(), 0);
  EXPECT_EQ(m.hdc(), 0);
  // A handle of another kind (the picture deletes it when it ends).
  HFONT font = CreateFontA(-12, 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0, "Arial");
  StdPicture notBitmap(static_cast<HBITMAP>(static_cast<HGDIOBJ>(font)));
  EXPECT_EQ(notBitmap.Width(), 0);
  m.CreateFromPicture(notBitmap);
  EXPECT_EQ(m.Width(), 0);
  EXPECT_EQ(m.Height(), 0);
}

TEST_F(PcMemDcTest, DrawWithZeroSizesCopiesTheWholeSurface) {
  pcMemDC m;
  auto pic = MakePicture(6, 5, Tag);
  m.CreateFromPicture(*pic);
  m.Draw(Dc(), 0, 0, 0, 0, 20, 10, False);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(At(20 + x, 10 + y), Tag(x, y)) << x << "," << y;
  EXPECT_EQ(At(26, 10), kGround);
  EXPECT_EQ(At(20, 15), kGround);
  EXPECT_EQ(At(19, 10), kGround);
  // A part of the source, at an offset.
  m.Draw(Dc(), 2, 1, 3, 2, 0, 0, False);
  EXPECT_EQ(At(0, 0), Tag(2, 1));
  EXPECT_EQ(At(2, 1), Tag(4, 2));
  EXPECT_EQ(At(3, 0), kGround);
  EXPECT_EQ(At(0, 2), kGround);
}

TEST_F(PcMemDcTest, KeyedCopyLeavesMagentaOut) {
  pcMemDC allKey;
  auto magenta = MakePicture(8, 8, [](int, int) { return kMagenta; });
  allKey.CreateFromPicture(*magenta);
  allKey.Draw(Dc(), 0, 0, 0, 0, 4, 4, True);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(At(x, y), kGround) << x << "," << y;

  pcMemDC noKey;
  auto plain = MakePicture(8, 8, Tag);
  noKey.CreateFromPicture(*plain);
  noKey.Draw(Dc(), 0, 0, 0, 0, 4, 4, True);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(At(4 + x, 4 + y), Tag(x, y)) << x << "," << y;
  EXPECT_EQ(At(12, 4), kGround);
  EXPECT_EQ(At(3, 4), kGround);
}

TEST_F(PcMemDcTest, KeyedCopyComparesTheExactColour) {
  // A ring of magenta around a centre of near-magenta, black and white.
  auto pic = MakePicture(5, 5, [](int x, int y) {
    if (x == 0 || y == 0 || x == 4 || y == 4) return kMagenta;
    if (x == 1) return RGB(254, 0, 255);
    if (x == 2) return RGB(255, 0, 254);
    return y == 2 ? RGB(0, 0, 0) : RGB(255, 255, 255);
  });
  pcMemDC m;
  m.CreateFromPicture(*pic);
  m.Draw(Dc(), 0, 0, 0, 0, 30, 20, True);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool ring = x == 0 || y == 0 || x == 4 || y == 4;
      const COLORREF want = ring ? kGround
                            : x == 1 ? RGB(254, 0, 255)
                            : x == 2 ? RGB(255, 0, 254)
                            : y == 2 ? RGB(0, 0, 0)
                                     : RGB(255, 255, 255);
      ASSERT_EQ(At(30 + x, 20 + y), want) << x << "," << y;
    }
}

TEST_F(PcMemDcTest, KeyedCopyIgnoresTheSurfaceColourState) {
  pcMemDC m;
  auto pic = MakePicture(4, 4, [](int x, int) { return x < 2 ? kMagenta : RGB(9, 9, 9); });
  m.CreateFromPicture(*pic);
  const HDC s = static_cast<HDC>(LongToHandle(m.hdc()));
  SetBkColor(s, RGB(9, 9, 9));
  SetTextColor(s, kMagenta);
  SetBkColor(dc_, kMagenta);
  SetTextColor(dc_, RGB(1, 1, 1));
  m.Draw(Dc(), 0, 0, 0, 0, 0, 0, True);
  EXPECT_EQ(At(0, 0), kGround);
  EXPECT_EQ(At(1, 3), kGround);
  EXPECT_EQ(At(2, 0), RGB(9, 9, 9));
  EXPECT_EQ(At(3, 3), RGB(9, 9, 9));
}

TEST_F(PcMemDcTest, KeyedStretchTilesWholeCopiesThenTheRemainder) {
  // 16 x 4 picture: column x carries its own colour, column 5 is magenta.
  auto pic = MakePicture(16, 4, [](int x, int y) { return x == 5 ? kMagenta : Tag(x, y); });
  pcMemDC m;
  m.CreateFromPicture(*pic);
  m.StretchDraw(Dc(), 2, 3, 40, 3, 0, 0, 0, 0, True, SRCCOPY);
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 3; ++y) {
      const int col = x % 16;
      const COLORREF want = col == 5 ? kGround : Tag(col, y);
      ASSERT_EQ(At(2 + x, 3 + y), want) << "x " << x << " y " << y;
    }
  EXPECT_EQ(At(42, 3), kGround);  // the last tile is 8 wide
  EXPECT_EQ(At(2 + 8, 6), kGround);  // tiles are HeightDst rows high
  EXPECT_EQ(At(1, 3), kGround);
}

TEST_F(PcMemDcTest, KeyedStretchErrors) {
  pcMemDC empty;
  EXPECT_EQ(ErrorOf([&] { empty.StretchDraw(Dc(), 0, 0, 40, 4, 0, 0, 0, 0, True, SRCCOPY); }),
            err::kDivisionByZero);
  pcMemDC m;
  auto pic = MakePicture(1, 1, [](int, int) { return RGB(1, 1, 1); });
  m.CreateFromPicture(*pic);
  // 40000 tiles of 1 pixel: the count does not fit an Integer; nothing is drawn.
  EXPECT_EQ(ErrorOf([&] { m.StretchDraw(Dc(), 0, 0, 40000, 1, 0, 0, 0, 0, True, SRCCOPY); }), err::kOverflow);
  EXPECT_EQ(At(0, 0), kGround);
  // No whole tile, and a remainder that does not fit an Integer.
  EXPECT_EQ(ErrorOf([&] { m.StretchDraw(Dc(), 0, 0, 39999, 1, 0, 0, 40000, 1, True, SRCCOPY); }),
            err::kOverflow);
  // Unkeyed stretching has neither rule.
  EXPECT_EQ(ErrorOf([&] { empty.StretchDraw(Dc(), 0, 0, 40, 4, 0, 0, 0, 0, False, SRCCOPY); }), 0);
}

TEST_F(PcMemDcTest, PlainStretchScales) {
  auto pic = MakePicture(2, 2, [](int x, int y) { return Tag(x, y); });
  pcMemDC m;
  m.CreateFromPicture(*pic);
  m.StretchDraw(Dc(), 10, 10, 8, 8, 0, 0, 0, 0, False, SRCCOPY);
  EXPECT_EQ(At(10, 10), Tag(0, 0));
  EXPECT_EQ(At(17, 10), Tag(1, 0));
  EXPECT_EQ(At(10, 17), Tag(0, 1));
  EXPECT_EQ(At(17, 17), Tag(1, 1));
  EXPECT_EQ(At(18, 18), kGround);
  m.StretchDraw(Dc(), 30, 0, 4, 4, 0, 0, 0, 0, False, NOTSRCCOPY);
  EXPECT_EQ(At(30, 0), Tag(0, 0) ^ 0xFFFFFFu);
}

}  // namespace
}  // namespace kavrin

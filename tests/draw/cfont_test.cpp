// cFont: font creation from a shared description, selection into the bound surface and
// back, the Bold/Weight rules, the pixel height rule and the release of its fonts.
#include "tests/support/errors.h"
#include "draw/cfont.h"

#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "draw/gdi_host.h"
#include "draw/win32.h"

namespace kavrin {
namespace {

using kavrin::test::ErrorOf;

LOGFONTA Describe(Long font) {
  LOGFONTA lf{};
  EXPECT_EQ(GetObjectA(LongToHandle(font), sizeof lf, &lf), static_cast<int>(sizeof lf)) << "no font " << font;
  return lf;
}

// A memory surface with a bitmap, as the chart's persistent surface is.
class CFontTest : public testing::Test {
 protected:
  void SetUp() override {
    screen_ = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    dc_ = CreateCompatibleDC(screen_);
    bmp_ = CreateCompatibleBitmap(screen_, 64, 32);
    oldBmp_ = SelectObject(dc_, bmp_);
    surfaceFont_ = GetCurrentObject(dc_, OBJ_FONT);
  }
  void TearDown() override {
    SelectObject(dc_, oldBmp_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
    DeleteDC(screen_);
  }
  Long Dc() const { return HandleToLong(dc_); }
  Long Selected() const { return HandleToLong(GetCurrentObject(dc_, OBJ_FONT)); }
  int LiveFonts() const { return gdi::CountLiveObjects().fonts; }

  HDC screen_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HGDIOBJ oldBmp_ = nullptr;
  HGDIOBJ surfaceFont_ = nullptr;
};

TEST(FontPixelHeight, PointsRoundHalfEvenThenMulDivRoundsToNearest) {
  EXPECT_EQ(FontPixelHeight(9, 96), 12);
  EXPECT_EQ(FontPixelHeight(9, 120), 15);
  EXPECT_EQ(FontPixelHeight(8.5, 96), 11);   // 8 points: 10.67
  EXPECT_EQ(FontPixelHeight(9.5, 96), 13);   // 10 points: 13.33
  EXPECT_EQ(FontPixelHeight(8.25, 96), 11);  // the form default
  EXPECT_EQ(FontPixelHeight(10.5, 120), 17);  // 10 points: 16.67
  EXPECT_EQ(FontPixelHeight(3, 96), 4);
  EXPECT_EQ(FontPixelHeight(-9, 96), -12);
  EXPECT_EQ(FontPixelHeight(9, 0), 0);  // no surface: no resolution
}

TEST(FontPixelHeight, HeightsBeyondAnIntegerOverflow) {
  EXPECT_EQ(FontPixelHeight(24575, 96), 32767);
  EXPECT_EQ(ErrorOf([] { FontPixelHeight(24576, 96); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { FontPixelHeight(1e9, 96); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { FontPixelHeight(3e9, 96); }), err::kOverflow);
}

TEST_F(CFontTest, InitialDescriptionMakesTimesNewRomanAtMinus12) {
  cFont f;
  EXPECT_EQ(f.Font()->Name(), "Times New Roman");
  EXPECT_DOUBLE_EQ(f.Font()->Size(), 9.0);
  EXPECT_EQ(f.Font()->Weight(), 400);
  EXPECT_EQ(f.Font()->Charset(), 1);
  f.SetBindDc(Dc());
  const Long h = f.LoadMyFont();
  ASSERT_NE(h, 0);
  EXPECT_EQ(Selected(), h);
  const LOGFONTA lf = Describe(h);
  EXPECT_EQ(lf.lfHeight, -12);
  EXPECT_EQ(lf.lfWidth, 0);
  EXPECT_EQ(lf.lfEscapement, 0);
  EXPECT_EQ(lf.lfOrientation, 0);
  EXPECT_EQ(lf.lfWeight, 400);
  EXPECT_EQ(lf.lfItalic | lf.lfUnderline | lf.lfStrikeOut, 0);
  EXPECT_EQ(lf.lfCharSet, 1);
  EXPECT_EQ(lf.lfQuality, PROOF_QUALITY);
  EXPECT_EQ(lf.lfOutPrecision | lf.lfClipPrecision | lf.lfPitchAndFamily, 0);
  EXPECT_STREQ(lf.lfFaceName, "Times New Roman");
  f.RestoreSysFont();
  EXPECT_EQ(Selected(), HandleToLong(surfaceFont_));
}

TEST_F(CFontTest, DescriptionIsSharedAndItsWeightNormalised) {
  cFont f;
  f.SetBindDc(Dc());
  auto mine = std::make_shared<StdFont>("Arial", 8.5);
  mine->Weight(300);
  f.SetFont(mine);
  EXPECT_EQ(mine->Weight(), 400);  // the caller's own object changed
  EXPECT_EQ(f.Font().get(), mine.get());
  mine->Name("Courier New");
  mine->Italic(true);
  mine->Underline(true);
  mine->Strikethrough(true);
  mine->Charset(0);
  const LOGFONTA lf = Describe(f.LoadMyFont());
  EXPECT_STREQ(lf.lfFaceName, "Courier New");
  EXPECT_EQ(lf.lfHeight, -11);
  EXPECT_TRUE(lf.lfItalic && lf.lfUnderline && lf.lfStrikeOut);
  EXPECT_EQ(lf.lfCharSet, 0);
  f.RestoreSysFont();

  auto heavy = std::make_shared<StdFont>("Arial", 10);
  heavy->Weight(900);
  f.SetFont(heavy);
  EXPECT_EQ(heavy->Weight(), 700);
  EXPECT_EQ(Describe(f.LoadMyFont()).lfWeight, 700);
  f.RestoreSysFont();
}

TEST_F(CFontTest, NullFontRaises91AndLeavesAFreshDefault) {
  cFont f;
  auto mine = std::make_shared<StdFont>("Verdana", 20);
  f.SetFont(mine);
  EXPECT_EQ(ErrorOf([&] { f.SetFont(nullptr); }), err::kObjectNotSet);
  ASSERT_TRUE(f.Font());
  EXPECT_NE(f.Font().get(), mine.get());
  EXPECT_TRUE(f.Font()->SameDescription(*StdFont::PlatformDefault()));
  EXPECT_EQ(mine->Name(), "Verdana");
}

TEST_F(CFontTest, DegreesBecomeTenthsAndOverflowKeepsTheEscapement) {
  cFont f;
  f.SetBindDc(Dc());
  f.SetDegrees(90);
  const Long upright = f.LoadMyFont();
  EXPECT_EQ(Describe(upright).lfEscapement, 900);
  EXPECT_EQ(ErrorOf([&] { f.SetDegrees(300000000); }), err::kOverflow);
  f.RestoreSysFont();
  EXPECT_EQ(Describe(f.LoadMyFont()).lfEscapement, 900);
  f.RestoreSysFont();
  f.SetDegrees(-45);
  EXPECT_EQ(Describe(f.LoadMyFont()).lfEscapement, -450);
  f.RestoreSysFont();
}

TEST_F(CFontTest, OversizedPointSizeRaises6AndCreatesNothing) {
  cFont f;
  f.SetBindDc(Dc());
  const Long first = f.LoadMyFont();
  f.RestoreSysFont();
  const int fonts = LiveFonts();
  f.Font()->Size(30000);
  EXPECT_EQ(ErrorOf([&] { f.LoadMyFont(); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([&] { f.TestPreFont(); }), err::kOverflow);
  EXPECT_EQ(LiveFonts(), fonts);
  EXPECT_EQ(Selected(), HandleToLong(surfaceFont_));
  // The font made before is still the current one: ReLoadMyFont selects it.
  f.ReLoadMyFont();
  EXPECT_EQ(Selected(), first);
  f.RestoreSysFont();
}

TEST_F(CFontTest, BuildFormatSetsFlagsFromBits) {
  cFont f;
  const int fonts = LiveFonts();
  f.BuildFormat(5);
  EXPECT_TRUE(f.Font()->Bold());
  EXPECT_EQ(f.Font()->Weight(), 700);
  EXPECT_TRUE(f.Font()->Strikethrough());
  EXPECT_FALSE(f.Font()->Italic() || f.Font()->Underline());
  f.BuildFormat(10);
  EXPECT_FALSE(f.Font()->Bold() || f.Font()->Strikethrough());
  EXPECT_TRUE(f.Font()->Italic() && f.Font()->Underline());
  EXPECT_EQ(f.Font()->Weight(), 400);
  f.BuildFormat(15);
  f.BuildFormat(240);  // upper bits are ignored: like 0
  EXPECT_FALSE(f.Font()->Bold() || f.Font()->Italic() || f.Font()->Underline() || f.Font()->Strikethrough());
  EXPECT_EQ(f.Font()->Weight(), 400);
  EXPECT_EQ(LiveFonts(), fonts);  // nothing created
}

TEST_F(CFontTest, RestoreBeforeAnyLoadSelectsNothing) {
  cFont f;
  f.SetBindDc(Dc());
  f.RestoreSysFont();
  EXPECT_EQ(Selected(), HandleToLong(surfaceFont_));
}

TEST_F(CFontTest, SecondLoadWithoutRestoreMakesTheFirstFontThePrevious) {
  cFont f;
  f.SetBindDc(Dc());
  const Long first = f.LoadMyFont();
  const Long second = f.LoadMyFont();
  EXPECT_NE(first, second);
  EXPECT_EQ(Selected(), second);
  f.RestoreSysFont();
  EXPECT_EQ(Selected(), first);  // not the surface's own font
  EXPECT_EQ(Describe(first).lfHeight, -12);  // still valid: it was selected when released
}

TEST_F(CFontTest, ChartPatternLeavesNoFontBehind) {
  const int fonts = LiveFonts();
  {
    cFont f;
    f.SetBindDc(Dc());
    f.TestPreFont();
    for (int i = 0; i < 5; ++i) {
      f.SetDefColor(0x0000FF);
      f.LoadMyFont();
      TextOutA(dc_, 0, 0, "12.5", 4);
      f.RestoreSysFont();
    }
    EXPECT_LE(LiveFonts(), fonts + 3);  // the pattern does not pile fonts up
  }
  EXPECT_EQ(LiveFonts(), fonts);
  EXPECT_EQ(Selected(), HandleToLong(surfaceFont_));
}

TEST_F(CFontTest, EndingWhileSelectedPutsTheSurfaceFontBack) {
  {
    cFont f;
    f.SetBindDc(Dc());
    f.LoadMyFont();
    f.LoadMyFont();
  }
  EXPECT_EQ(Selected(), HandleToLong(surfaceFont_));
  // The fixture's leak check covers the two fonts.
}

TEST_F(CFontTest, MeasuredHeightFeedsBuildFont) {
  cFont f;
  f.SetBindDc(Dc());
  const Long loaded = f.LoadMyFont();
  const Integer cell = f.GetFontH();
  EXPECT_GT(cell, 12);  // cell height includes the internal leading
  EXPECT_GT(f.GetFontW(), 0);
  std::string face = "Arial";
  f.BuildFont(face);
  EXPECT_EQ(face, "Arial");
  EXPECT_EQ(Selected(), loaded);  // built, not selected
  f.ReLoadMyFont();
  const Long built = Selected();
  EXPECT_NE(built, loaded);
  const LOGFONTA lf = Describe(built);
  EXPECT_EQ(lf.lfHeight, -cell);
  EXPECT_STREQ(lf.lfFaceName, "Arial");
  f.RestoreSysFont();
  EXPECT_EQ(Selected(), HandleToLong(surfaceFont_));
}

TEST_F(CFontTest, ColoursGoToTheBoundSurface) {
  cFont f;
  f.SetDefColor(0x123456);  // unbound: stored only, nothing to change
  f.SetHotColor(0x654321);
  f.SetBindDc(Dc());
  EXPECT_EQ(GetTextColor(dc_), 0u);
  f.SetDefColor(0x0000FF);
  EXPECT_EQ(GetTextColor(dc_), 0x0000FFu);
  f.SetHotColor(static_cast<Long>(0x80000008));  // system colours pass unchanged
  EXPECT_EQ(GetTextColor(dc_), 0x80000008u);
}

TEST_F(CFontTest, UnboundSurfaceCreatesButSelectsNothing) {
  cFont f;
  const Long h = f.LoadMyFont();  // no resolution: height 0
  EXPECT_EQ(Describe(h).lfHeight, 0);
  f.RestoreSysFont();
  EXPECT_EQ(f.GetFontH(), 0);
  EXPECT_EQ(f.GetFontW(), 0);
}

}  // namespace
}  // namespace kavrin

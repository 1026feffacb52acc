// DrawTextA: the chart's formats (0, 37 and 40) placed as Windows places them, upright
// and turned by 900, clipping, measuring, "&" prefixes and line breaks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/draw/text_surface.h"

namespace {

using kavrin::test::Box;
using kavrin::test::TextSurface;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr UINT kCentred = DT_SINGLELINE | DT_VCENTER | DT_CENTER;  // 37
constexpr UINT kBottomLeft = DT_SINGLELINE | DT_BOTTOM | DT_LEFT;  // 40

// Results measured under Wine with the same face file (Liberation Sans): the returned
// height exactly, the ink box within one pixel.
struct Case {
  int height, escapement;
  UINT format;
  RECT rc;
  const char* text;
  int result;
  Box ink;
};
const Case kCases[] = {
    {-12, 0, 0, {20, 30, 200, 80}, "Format zero", 14, {21, 32, 83, 40, 0}},
    {-12, 0, kCentred, {20, 30, 200, 80}, "Centred", 32, {89, 50, 130, 58, 0}},
    {-12, 0, kCentred, {20, 30, 201, 81}, "Centred odd", 32, {77, 50, 142, 58, 0}},
    {-16, 0, kCentred, {20, 30, 200, 80}, "Big centred", 34, {70, 49, 147, 63, 0}},
    {-16, 0, kCentred, {20, 30, 201, 81}, "Big centred odd", 34, {55, 49, 163, 63, 0}},
    {-12, 0, kBottomLeft, {20, 30, 200, 80}, "Bottom left", 50, {21, 68, 77, 76, 0}},
    {-16, 0, kBottomLeft, {20, 30, 201, 81}, "Big bottom", 51, {21, 66, 94, 80, 0}},
    {-12, 0, DT_RIGHT, {20, 30, 200, 80}, "Right", 14, {172, 32, 199, 42, 0}},
    {-12, 0, 0, {20, 30, 60, 40}, "Clipped text here", 14, {21, 32, 59, 39, 0}},
    {-12, 0, DT_NOCLIP, {20, 30, 60, 40}, "Unclipped text here", 14, {21, 32, 123, 42, 0}},
    {-12, 0, 0, {20, 30, 200, 120}, "Two\r\nlines", 28, {20, 32, 45, 54, 0}},
    {-12, 0, 0, {20, 30, 200, 120}, "&File &&x", 14, {20, 32, 55, 42, 0}},
    {-12, 900, kCentred, {20, 30, 200, 250}, "Up centred", 117, {82, 74, 92, 131, 0}},
    {-12, 900, kBottomLeft, {20, 30, 200, 250}, "Up bottom", 220, {22, 180, 32, 234, 0}},
    {-16, 900, kBottomLeft, {20, 30, 60, 250}, "Title side", 220, {22, 169, 33, 232, 0}},
};

TEST(DrawText, ChartFormatsMatchWindowsPlacement) {
  TextSurface s;
  SetBkMode(s.dc(), TRANSPARENT);
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.text) + " format " + std::to_string(c.format) + " at " +
                 std::to_string(c.escapement));
    s.Clear();
    s.Font("Liberation Sans", c.height, c.escapement);
    RECT rc = c.rc;
    EXPECT_EQ(DrawTextA(s.dc(), c.text, -1, &rc, c.format), c.result);
    const Box ink = s.Ink();
    // Two rows of turned text differ by up to two pixels along the run (Wine turns
    // outlines, this layer turns upright glyphs); across the run they agree.
    const int along = c.escapement ? 2 : 1;
    EXPECT_NEAR(ink.left, c.ink.left, 1);
    EXPECT_NEAR(ink.top, c.ink.top, along);
    EXPECT_NEAR(ink.right, c.ink.right, 1);
    EXPECT_NEAR(ink.bottom, c.ink.bottom, 1);
    EXPECT_EQ(rc.left, c.rc.left);  // the rectangle is left alone without DT_CALCRECT
    EXPECT_EQ(rc.bottom, c.rc.bottom);
  }
}

TEST(DrawText, TopLeftFormatStartsAtTheRectangleCorner) {
  TextSurface s;
  s.Font("Arial", -12);
  SetBkMode(s.dc(), OPAQUE);
  SetBkColor(s.dc(), kGreen);
  RECT rc{25, 35, 300, 200};
  EXPECT_EQ(DrawTextA(s.dc(), "Key one", 7, &rc, 0), s.Metrics().tmHeight);
  const Box bk = s.Ink(kGreen);
  EXPECT_EQ(bk.left, 25);
  EXPECT_EQ(bk.top, 35);
  EXPECT_EQ(bk.right, 25 + s.Width("Key one") - 1);
  EXPECT_EQ(bk.bottom, 35 + s.Metrics().tmHeight - 1);
}

TEST(DrawText, SingleLineCentringTruncatesEachHalf) {
  TextSurface s;
  s.Font("Arial", -12);
  const int h = s.Metrics().tmHeight, w = s.Width("Mid");
  SetBkMode(s.dc(), OPAQUE);
  SetBkColor(s.dc(), kGreen);
  for (const RECT& r : {RECT{10, 10, 110, 60}, RECT{10, 10, 111, 61}, RECT{10, 10, 20, 15}}) {
    s.Clear();
    RECT rc = r;
    const int got = DrawTextA(s.dc(), "Mid", 3, &rc, kCentred | DT_NOCLIP);
    const int top = r.top + (r.bottom - r.top) / 2 - h / 2;
    EXPECT_EQ(got, top + h - r.top);
    const Box bk = s.Ink(kGreen);
    EXPECT_EQ(bk.top, top);
    EXPECT_EQ(bk.left, r.left + (r.right - r.left - w) / 2);
  }
}

TEST(DrawText, ClipsToTheRectangleUnlessToldNot) {
  TextSurface s;
  s.Font("Arial", -16);
  SetBkMode(s.dc(), OPAQUE);
  SetBkColor(s.dc(), kGreen);
  RECT rc{50, 50, 90, 58};
  DrawTextA(s.dc(), "Clipped on both sides", -1, &rc, kCentred);
  const Box bk = s.Ink(kGreen);
  EXPECT_EQ(bk.left, 50);
  EXPECT_EQ(bk.top, 50);
  EXPECT_EQ(bk.right, 89);
  EXPECT_EQ(bk.bottom, 57);
  const Box ink = s.Ink(kBlack);
  EXPECT_GE(ink.left, 50);
  EXPECT_LE(ink.right, 89);
  EXPECT_GE(ink.top, 50);
  EXPECT_LE(ink.bottom, 57);
  // Turned text is clipped to the same upright rectangle.
  s.Clear();
  s.Font("Arial", -16, 900);
  rc = RECT{50, 100, 60, 160};
  DrawTextA(s.dc(), "Turned and clipped", -1, &rc, kBottomLeft);
  const Box turned = s.Ink(kGreen);
  EXPECT_EQ(turned.left, 50);
  EXPECT_EQ(turned.right, 59);
  EXPECT_EQ(turned.top, 100);
  // An empty or inverted rectangle shows nothing.
  s.Clear();
  rc = RECT{80, 80, 80, 120};
  DrawTextA(s.dc(), "nothing", -1, &rc, 0);
  rc = RECT{80, 80, 40, 40};
  DrawTextA(s.dc(), "nothing", -1, &rc, 0);
  EXPECT_TRUE(s.Ink(kGreen).Empty());
  EXPECT_TRUE(s.Ink(kBlack).Empty());
  // Centred in an inverted rectangle, the text lands between its edges and is clipped to
  // the rectangle with its edges in order, so it shows.
  rc = RECT{130, 40, 10, 6};
  DrawTextA(s.dc(), "Inverted", -1, &rc, kCentred);
  const Box inv = s.Ink(kBlack);
  EXPECT_FALSE(inv.Empty());
  EXPECT_GE(inv.left, 10);
  EXPECT_LE(inv.right, 129);
  EXPECT_GE(inv.top, 6);
  EXPECT_LE(inv.bottom, 39);
}

TEST(DrawText, CalcRectMeasuresWithoutDrawing) {
  TextSurface s;
  s.Font("Arial", -12);
  const int h = s.Metrics().tmHeight;
  RECT rc{10, 20, 11, 21};
  EXPECT_EQ(DrawTextA(s.dc(), "Longest line\nshort", -1, &rc, DT_CALCRECT), 2 * h);
  EXPECT_EQ(rc.left, 10);
  EXPECT_EQ(rc.top, 20);
  EXPECT_EQ(rc.right, 10 + s.Width("Longest line"));
  EXPECT_EQ(rc.bottom, 20 + 2 * h);
  rc = RECT{10, 20, 11, 21};
  EXPECT_EQ(DrawTextA(s.dc(), "&Prefix", -1, &rc, DT_CALCRECT | DT_SINGLELINE), h);
  EXPECT_EQ(rc.right, 10 + s.Width("Prefix"));
  EXPECT_TRUE(s.Ink().Empty());
}

TEST(DrawText, LineBreaksOnlyWithoutSingleLine) {
  TextSurface s;
  s.Font("Arial", -12);
  const int h = s.Metrics().tmHeight;
  RECT rc{10, 10, 390, 290};
  EXPECT_EQ(DrawTextA(s.dc(), "a\nb\r\nc\rd", -1, &rc, 0), 4 * h);
  EXPECT_EQ(DrawTextA(s.dc(), "a\n\nb\n", -1, &rc, 0), 4 * h);  // empty lines count
  EXPECT_EQ(DrawTextA(s.dc(), "a\nb", -1, &rc, DT_SINGLELINE), h);
  s.Clear();
  DrawTextA(s.dc(), "first\nsecond", -1, &rc, 0);
  const Box two = s.Ink();
  EXPECT_GT(two.bottom, 10 + h);
  EXPECT_LT(two.bottom, 10 + 2 * h);
}

TEST(DrawText, PrefixesUnderlineOneCharacterAndDoubleAmpersandsShowOne) {
  TextSurface s;
  s.Font("Arial", -12);
  SetBkMode(s.dc(), TRANSPARENT);
  const TEXTMETRICA tm = s.Metrics();
  RECT rc{20, 20, 300, 100};
  DrawTextA(s.dc(), "&File", -1, &rc, 0);
  const Box marked = s.Ink();
  s.Clear();
  DrawTextA(s.dc(), "File", -1, &rc, 0);
  const Box plain = s.Ink();
  EXPECT_GT(marked.bottom, 20 + tm.tmAscent - 1);  // the underline below the baseline
  EXPECT_EQ(plain.bottom, 20 + tm.tmAscent - 1);
  EXPECT_GT(marked.count, plain.count);
  s.Clear();
  DrawTextA(s.dc(), "&File", -1, &rc, 0);
  int below = 0;
  for (int y = 20 + tm.tmAscent; y < 20 + tm.tmHeight; ++y)
    for (int x = 0; x < 300; ++x) {
      if (GetPixel(s.dc(), x, y) != kBlack) continue;
      ++below;
      EXPECT_GE(x, 20);
      EXPECT_LT(x, 20 + s.Width("F"));  // under "F" only
    }
  EXPECT_GT(below, 0);
  // With DT_NOPREFIX the ampersand is shown; "&&" shows one; a final "&" is dropped.
  rc = RECT{10, 10, 11, 11};
  DrawTextA(s.dc(), "a&b", -1, &rc, DT_CALCRECT | DT_NOPREFIX);
  EXPECT_EQ(rc.right - rc.left, s.Width("a&b"));
  rc = RECT{10, 10, 11, 11};
  DrawTextA(s.dc(), "a&&b&", -1, &rc, DT_CALCRECT);
  EXPECT_EQ(rc.right - rc.left, s.Width("a&b"));
}

TEST(DrawText, CountsEmptyTextAndBadArguments) {
  TextSurface s;
  s.Font("Arial", -12);
  const int h = s.Metrics().tmHeight;
  RECT rc{10, 10, 300, 100};
  // Count -1 means up to the terminator; a count stops early, in bytes.
  RECT calc = rc;
  DrawTextA(s.dc(), "Stop here and not later", 9, &calc, DT_CALCRECT);
  EXPECT_EQ(calc.right - calc.left, s.Width("Stop here"));
  calc = rc;
  DrawTextA(s.dc(), "\xC3\x84\xC3\x96", 2, &calc, DT_CALCRECT);
  EXPECT_EQ(calc.right - calc.left, s.Width("\xC3\x84"));
  // Empty text draws nothing and measures one line.
  SetBkMode(s.dc(), OPAQUE);
  SetBkColor(s.dc(), kGreen);
  EXPECT_EQ(DrawTextA(s.dc(), "", -1, &rc, kCentred), h);
  EXPECT_EQ(DrawTextA(s.dc(), "abc", 0, &rc, 0), h);
  EXPECT_TRUE(s.Ink(kGreen).Empty());
  EXPECT_EQ(DrawTextA(s.dc(), nullptr, 5, &rc, 0), 0);
  EXPECT_EQ(DrawTextA(s.dc(), "abc", 3, nullptr, 0), 0);
  EXPECT_EQ(DrawTextA(nullptr, "abc", 3, &rc, 0), 0);
  // Extreme rectangles do not overflow.
  RECT huge{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  EXPECT_GT(DrawTextA(s.dc(), "centre of everything", -1, &huge, kCentred), 0);
  huge = RECT{INT32_MAX - 10, INT32_MAX - 10, INT32_MAX, INT32_MAX};
  EXPECT_EQ(DrawTextA(s.dc(), "edge", -1, &huge, DT_CALCRECT), h);
  EXPECT_EQ(huge.right, INT32_MAX);
  EXPECT_EQ(huge.bottom, INT32_MAX);
}

TEST(DrawText, LongTextIsClippedNotTruncated) {
  TextSurface s;
  s.Font("Arial", -12);
  const std::string digits(10000, '5');
  RECT rc{0, 0, 400, 300};
  EXPECT_EQ(DrawTextA(s.dc(), digits.c_str(), -1, &rc, kCentred), 150 - 15 / 2 + 15);
  const Box ink = s.Ink();
  EXPECT_LE(ink.left, 1);
  EXPECT_GE(ink.right, 398);
  rc = RECT{0, 0, 1, 1};
  DrawTextA(s.dc(), digits.c_str(), -1, &rc, DT_CALCRECT);
  EXPECT_EQ(rc.right, 10000 * s.Width("5"));
}

}  // namespace

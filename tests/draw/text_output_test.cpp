// TextOutA: placement of the first cell at the reference point, colours and background
// modes, escapement, byte counts of UTF-8 text, and long or empty strings.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <string>

#include "tests/draw/text_surface.h"

namespace {

using kavrin::test::Box;
using kavrin::test::TextSurface;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

int Len(const char* s) { return static_cast<int>(std::strlen(s)); }

// Ink boxes measured under Wine for the same face file (Liberation Sans), 1 pixel apart at most.
struct Placement {
  int height, escapement, x, y;
  const char* text;
  Box ink;
};
const Placement kPlacements[] = {
    {-12, 0, 10, 10, "Hello 0123", {11, 12, 68, 20, 0}},
    {-11, 0, 10, 10, "-50", {10, 12, 24, 19, 0}},
    {-12, 900, 50, 200, "Upwards", {52, 151, 62, 198, 0}},
    {-12, 1800, 200, 100, "Half turn", {155, 89, 198, 97, 0}},
    {-12, 2700, 200, 100, "Three quarter", {187, 100, 197, 173, 0}},
    {-12, 450, 100, 200, "Diagonal", {102, 167, 140, 205, 0}},
};

TEST(TextOut, InkSitsWhereWindowsPutsIt) {
  TextSurface s;
  SetBkMode(s.dc(), TRANSPARENT);
  for (const Placement& p : kPlacements) {
    SCOPED_TRACE(std::string(p.text) + " at " + std::to_string(p.escapement));
    s.Clear();
    s.Font("Liberation Sans", p.height, p.escapement);
    ASSERT_TRUE(TextOutA(s.dc(), p.x, p.y, p.text, Len(p.text)));
    const Box ink = s.Ink();
    EXPECT_NEAR(ink.left, p.ink.left, 1);
    EXPECT_NEAR(ink.top, p.ink.top, 1);
    EXPECT_NEAR(ink.right, p.ink.right, 1);
    EXPECT_NEAR(ink.bottom, p.ink.bottom, 1);
  }
}

TEST(TextOut, ReferencePointIsTheTopLeftOfTheFirstCell) {
  TextSurface s;
  s.Font("Arial", -12);
  const TEXTMETRICA tm = s.Metrics();
  SetBkMode(s.dc(), OPAQUE);
  SetBkColor(s.dc(), kGreen);
  SetTextColor(s.dc(), kRed);
  ASSERT_TRUE(TextOutA(s.dc(), 30, 40, "Cell box", 8));
  const Box bk = s.Ink(kGreen);
  EXPECT_EQ(bk.left, 30);
  EXPECT_EQ(bk.top, 40);
  EXPECT_EQ(bk.right, 30 + s.Width("Cell box") - 1);
  EXPECT_EQ(bk.bottom, 40 + tm.tmHeight - 1);
  // Ink lies inside the cells, above the descent for text without descenders.
  const Box ink = s.Ink(kRed);
  EXPECT_GE(ink.left, 30);
  EXPECT_LE(ink.right, bk.right);
  EXPECT_GE(ink.top, 40 + tm.tmInternalLeading - 1);
  EXPECT_EQ(ink.bottom, 40 + tm.tmAscent - 1);  // the baseline row is the last row of "C", "l" and "x"
  EXPECT_EQ(s.Others(kRed) - bk.count, 0);      // only the two colours: no blending
  // The current position is not moved by TextOutA.
  POINT pos{-1, -1};
  MoveToEx(s.dc(), 7, 9, nullptr);
  TextOutA(s.dc(), 100, 100, "x", 1);
  MoveToEx(s.dc(), 0, 0, &pos);
  EXPECT_EQ(pos.x, 7);
  EXPECT_EQ(pos.y, 9);
}

TEST(TextOut, TransparentModeLeavesTheBackground) {
  TextSurface s;
  s.Font("Arial", -12);
  SetBkMode(s.dc(), TRANSPARENT);
  SetBkColor(s.dc(), kGreen);
  SetTextColor(s.dc(), kRed);
  TextOutA(s.dc(), 30, 40, "Cell box", 8);
  EXPECT_TRUE(s.Ink(kGreen).Empty());
  EXPECT_FALSE(s.Ink(kRed).Empty());
  EXPECT_EQ(s.Others(kRed), 0);
}

TEST(TextOut, QuarterTurnRunsUpwardsWithCellsToTheRight) {
  TextSurface s;
  s.Font("Arial", -13);
  const TEXTMETRICA tm = s.Metrics();
  const int w = s.Width("Unit text");
  s.Font("Arial", -13, 900);
  EXPECT_EQ(s.Metrics().tmHeight, tm.tmHeight);
  EXPECT_EQ(s.Width("Unit text"), w);  // extents are those of upright text
  SetBkMode(s.dc(), OPAQUE);
  SetBkColor(s.dc(), kGreen);
  TextOutA(s.dc(), 60, 250, "Unit text", 9);
  const Box bk = s.Ink(kGreen);
  EXPECT_EQ(bk.left, 60);
  EXPECT_EQ(bk.right, 60 + tm.tmHeight - 1);
  EXPECT_EQ(bk.bottom, 249);
  EXPECT_EQ(bk.top, 250 - w);
  // The turned text is the upright text turned exactly: same ink, rows become columns.
  const Box up = s.Ink(kBlack);
  TextSurface t;
  t.Font("Arial", -13);
  SetBkMode(t.dc(), TRANSPARENT);
  TextOutA(t.dc(), 60, 100, "Unit text", 9);
  const Box flat = t.Ink(kBlack);
  EXPECT_EQ(up.count, flat.count);
  EXPECT_EQ(up.right - up.left, flat.bottom - flat.top);
  EXPECT_EQ(up.bottom - up.top, flat.right - flat.left);
  EXPECT_EQ(up.left - 60, flat.top - 100);       // ascent side to the left
  EXPECT_EQ(249 - up.bottom, flat.left - 60);   // text starts at the reference row
}

TEST(TextOut, OtherAnglesKeepTheLengthAndTurnAboutTheReferencePoint) {
  TextSurface s;
  s.Font("Arial", -16);
  const int w = s.Width("Slanted");
  for (int esc : {300, 450, 1350, 3150, -450}) {
    SCOPED_TRACE(esc);
    s.Clear();
    s.Font("Arial", -16, esc);
    SetBkMode(s.dc(), OPAQUE);
    SetBkColor(s.dc(), kGreen);
    TextOutA(s.dc(), 200, 150, "Slanted", 7);
    const Box bk = s.Ink(kGreen);
    const Box ink = s.Ink(kBlack);
    ASSERT_FALSE(ink.Empty());
    const double a = esc / 10.0 * 3.14159265358979 / 180.0;
    // The far end of the baseline's start edge: (w cos a, -w sin a) from the reference point.
    const double ex = 200 + w * std::cos(a), ey = 150 - w * std::sin(a);
    EXPECT_LE(std::min<double>(bk.left, bk.right) - 1, std::min(200.0, ex));
    EXPECT_GE(bk.right + 1, std::max(200.0, ex) - 1);
    EXPECT_LE(bk.top - 1, std::min(150.0, ey));
    EXPECT_GE(bk.bottom + 1, std::max(150.0, ey) - 1);
  }
}

TEST(TextOut, UnderlineAndStrikeoutAreDrawnAcrossTheRun) {
  TextSurface s;
  s.Font("Arial", -16);
  const TEXTMETRICA tm = s.Metrics();
  const int w = s.Width("ace");
  SetBkMode(s.dc(), TRANSPARENT);
  TextOutA(s.dc(), 20, 20, "ace", 3);
  const Box plain = s.Ink();
  s.Clear();
  s.Font("Arial", -16, 0, FW_NORMAL, false, true, false);
  TextOutA(s.dc(), 20, 20, "ace", 3);
  const Box under = s.Ink();
  EXPECT_EQ(under.left, 20);
  EXPECT_EQ(under.right, 20 + w - 1);
  EXPECT_GT(under.bottom, 20 + tm.tmAscent - 1);  // below the baseline
  EXPECT_LT(under.bottom, 20 + tm.tmHeight);      // inside the cell
  EXPECT_GT(under.count, plain.count + w - 1);
  s.Clear();
  s.Font("Arial", -16, 0, FW_NORMAL, false, false, true);
  TextOutA(s.dc(), 20, 20, "ace", 3);
  const Box strike = s.Ink();
  EXPECT_EQ(strike.left, 20);
  EXPECT_EQ(strike.bottom, plain.bottom);  // the line runs through the x-height
  int fullRows = 0;
  for (int y = strike.top; y <= strike.bottom; ++y) {
    int n = 0;
    for (int x = 20; x < 20 + w; ++x) n += GetPixel(s.dc(), x, y) == kBlack ? 1 : 0;
    if (n == w) {
      ++fullRows;
      EXPECT_GT(y, 20 + tm.tmAscent - tm.tmAscent * 3 / 4);
      EXPECT_LT(y, 20 + tm.tmAscent - 1);
    }
  }
  EXPECT_GE(fullRows, 1);
}

TEST(TextOut, CountsAreBytesOfUtf8) {
  TextSurface s;
  s.Font("Arial", -12);
  const std::string umlauts = "\xC3\x84\xC3\x96\xC3\x9C";  // 3 characters, 6 bytes
  const int full = s.Width(umlauts);
  SIZE sz{};
  ASSERT_TRUE(GetTextExtentPoint32A(s.dc(), umlauts.data(), 2, &sz));
  EXPECT_GT(sz.cx, 0);
  EXPECT_LT(sz.cx, full);
  ASSERT_TRUE(GetTextExtentPoint32A(s.dc(), umlauts.data(), 4, &sz));
  EXPECT_EQ(sz.cx, s.Width("\xC3\x84\xC3\x96"));
  // A count that cuts a character in two draws a replacement for the piece, no more.
  ASSERT_TRUE(GetTextExtentPoint32A(s.dc(), umlauts.data(), 3, &sz));
  EXPECT_GT(sz.cx, s.Width("\xC3\x84"));
  EXPECT_LT(sz.cx, s.Width("\xC3\x84") + s.Metrics().tmMaxCharWidth + 1);
  SetBkMode(s.dc(), TRANSPARENT);
  EXPECT_TRUE(TextOutA(s.dc(), 10, 10, umlauts.data(), 3));
  EXPECT_TRUE(TextOutA(s.dc(), 10, 30, "\xFF\xFE\x80 bad \xC3", 9));
  EXPECT_FALSE(s.Ink().Empty());
}

TEST(TextOut, MissingCharactersShowABoxAndBadBytesAReplacement) {
  TextSurface s;
  s.Font("Arial", -16);
  SetBkMode(s.dc(), TRANSPARENT);
  const char* check = "\xE2\x9C\x93";  // U+2713, not in the face
  EXPECT_GT(s.Width(check), 0);
  TextOutA(s.dc(), 10, 10, check, 3);
  const Box box = s.Ink();
  ASSERT_FALSE(box.Empty());
  EXPECT_GT(box.bottom - box.top, 5);
  s.Clear();
  TextOutA(s.dc(), 10, 10, "\xFF", 1);
  EXPECT_FALSE(s.Ink().Empty());
  EXPECT_EQ(s.Width("\xFF"), s.Width("\xEF\xBF\xBD"));  // drawn as U+FFFD
}

TEST(TextOut, EmptyAndInvalidArguments) {
  TextSurface s;
  s.Font("Arial", -12);
  SIZE sz{-1, -1};
  EXPECT_TRUE(GetTextExtentPoint32A(s.dc(), "", 0, &sz));
  EXPECT_EQ(sz.cx, 0);
  EXPECT_EQ(sz.cy, s.Metrics().tmHeight);
  EXPECT_TRUE(GetTextExtentPoint32A(s.dc(), nullptr, 0, &sz));
  EXPECT_FALSE(GetTextExtentPoint32A(s.dc(), nullptr, 3, &sz));
  EXPECT_FALSE(GetTextExtentPoint32A(s.dc(), "abc", -1, &sz));
  EXPECT_FALSE(GetTextExtentPoint32A(nullptr, "abc", 3, &sz));
  SetBkMode(s.dc(), OPAQUE);
  SetBkColor(s.dc(), kGreen);
  EXPECT_TRUE(TextOutA(s.dc(), 10, 10, "", 0));
  EXPECT_TRUE(TextOutA(s.dc(), 10, 10, nullptr, 0));
  EXPECT_FALSE(TextOutA(s.dc(), 10, 10, nullptr, 5));
  EXPECT_FALSE(TextOutA(s.dc(), 10, 10, "abc", -1));
  EXPECT_FALSE(TextOutA(nullptr, 10, 10, "abc", 3));
  EXPECT_TRUE(s.Ink(kGreen).Empty());
  EXPECT_TRUE(s.Ink(kBlack).Empty());
  // Far outside the surface, in every direction and angle: nothing drawn, nothing broken.
  for (int esc : {0, 900, 1800, 2700, 450}) {
    s.Font("Arial", -12, esc);
    EXPECT_TRUE(TextOutA(s.dc(), INT32_MAX - 5, INT32_MIN + 5, "far away", 8));
    EXPECT_TRUE(TextOutA(s.dc(), -100000, 100000, "far away", 8));
  }
  EXPECT_TRUE(s.Ink(kGreen).Empty());
}

TEST(TextOut, LongStringsAreMeasuredAndDrawnInFull) {
  TextSurface s;
  s.Font("Arial", -12);
  const std::string digits(10000, '8');
  EXPECT_EQ(s.Width(digits), 10000 * s.Width("8"));
  SetBkMode(s.dc(), OPAQUE);
  SetBkColor(s.dc(), kGreen);
  ASSERT_TRUE(TextOutA(s.dc(), -50, 10, digits.data(), static_cast<int>(digits.size())));
  const Box bk = s.Ink(kGreen);
  EXPECT_EQ(bk.left, 0);
  EXPECT_EQ(bk.right, 399);
  s.Clear();
  s.Font("Arial", -12, 900);
  ASSERT_TRUE(TextOutA(s.dc(), 10, 290, digits.data(), static_cast<int>(digits.size())));
  EXPECT_EQ(s.Ink(kGreen).top, 0);
}

TEST(TextOut, ColourIsExactOnEveryGlyphPixel) {
  TextSurface s;
  SetBkMode(s.dc(), TRANSPARENT);
  const COLORREF odd = RGB(12, 34, 56);
  SetTextColor(s.dc(), odd);
  for (const char* face : {"Arial", "Times New Roman", "Courier New"}) {
    s.Font(face, -15, 0, FW_BOLD, true);
    TextOutA(s.dc(), 10, 10, "Quick fox 0.25", 14);
  }
  EXPECT_FALSE(s.Ink(odd).Empty());
  EXPECT_EQ(s.Others(odd), 0);
}

TEST(TextOut, ShortStringsAreFastAfterWarmUp) {
  TextSurface s;
  s.Font("Arial", -11);
  SetBkMode(s.dc(), TRANSPARENT);
  TextOutA(s.dc(), 10, 10, "-12.75", 6);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 2000; ++i) TextOutA(s.dc(), 10 + i % 300, 10 + i % 250, "-12.75", 6);
  const auto us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
  // Generous: the budget is a few microseconds per string, sanitizer builds are slower.
  EXPECT_LT(us / 2000, 200.0);
}

}  // namespace

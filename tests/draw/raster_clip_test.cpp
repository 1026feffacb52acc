// The clip rectangle: every drawing changes only pixels inside it, and there exactly the
// pixels it changes without a clip; removing the clip draws everywhere again.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <utility>

#include "tests/draw/raster_canvas.h"

namespace kavrin::test {
namespace {

constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(0xC0, 0x10, 0x20);

struct Drawing {
  const char* name;
  std::function<void(HDC)> draw;
};

void Lines(HDC dc, int width) {
  PenScope pen(dc, width, kInk);
  MoveToEx(dc, 2, 2, nullptr);
  for (POINT p : {POINT{38, 29}, POINT{35, 1}, POINT{3, 30}, POINT{20, -9000}, POINT{21, 31}, POINT{-5, 16}})
    LineTo(dc, p.x, p.y);
}

TEST(RasterClip, DrawingsChangeOnlyPixelsInsideTheClip) {
  const Drawing drawings[] = {
      {"cosmetic lines", [](HDC dc) { Lines(dc, 1); }},
      {"wide lines", [](HDC dc) { Lines(dc, 4); }},
      {"fill",
       [](HDC dc) {
         HBRUSH b = CreateSolidBrush(kInk);
         const RECT rc{2, 4, 20, 28};
         FillRect(dc, &rc, b);
         DeleteObject(b);
       }},
      {"pixels", [](HDC dc) { for (int i = 0; i < 40; ++i) SetPixel(dc, i, i * 3 / 4, kInk); }},
      {"block copy", [](HDC dc) { BitBlt(dc, 3, 5, 30, 20, nullptr, 0, 0, BLACKNESS); }},
      {"text",
       [](HDC dc) {
         HFONT f = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
         HGDIOBJ old = SelectObject(dc, f);
         SetTextColor(dc, kInk);
         SetBkMode(dc, OPAQUE);
         TextOutA(dc, 0, 4, "WMW", 3);
         SelectObject(dc, old);
         DeleteObject(f);
       }},
  };
  for (const Drawing& d : drawings) {
    SCOPED_TRACE(d.name);
    Canvas whole(40, 32), clipped(40, 32);
    d.draw(whole.dc());
    // Two calls narrow the clip to their intersection, (8, 10)-(30, 22).
    EXPECT_EQ(IntersectClipRect(clipped.dc(), 8, 6, 30, 22), SIMPLEREGION);
    EXPECT_EQ(IntersectClipRect(clipped.dc(), 36, 26, 4, 10), SIMPLEREGION);  // corners in either order
    d.draw(clipped.dc());
    std::set<std::pair<int, int>> inside;
    for (const auto& p : whole.Marked(kPaper))
      if (p.first >= 8 && p.first < 30 && p.second >= 10 && p.second < 22) inside.insert(p);
    EXPECT_FALSE(inside.empty());
    EXPECT_EQ(clipped.Marked(kPaper), inside);

    EXPECT_EQ(SelectClipRgn(clipped.dc(), nullptr), SIMPLEREGION);
    d.draw(clipped.dc());
    EXPECT_EQ(clipped.Marked(kPaper), whole.Marked(kPaper));
  }
}

TEST(RasterClip, AnEmptyClipDrawsNothingAndOnlyNullRemovesIt) {
  Canvas c(20, 20);
  EXPECT_EQ(IntersectClipRect(c.dc(), 0, 0, 10, 10), SIMPLEREGION);
  EXPECT_EQ(IntersectClipRect(c.dc(), 10, 0, 20, 20), NULLREGION);
  EXPECT_EQ(SelectClipRgn(c.dc(), reinterpret_cast<HRGN>(c.dc())), ERROR);  // not a region
  EXPECT_EQ(SetPixel(c.dc(), 5, 5, kInk), kInk);  // the colour comes back; the pixel stays
  PenScope pen(c.dc(), 1, kInk);
  c.Line(0, 0, 20, 20);
  EXPECT_TRUE(c.Marked(kPaper).empty());
  EXPECT_EQ(IntersectClipRect(nullptr, 0, 0, 1, 1), ERROR);
}

}  // namespace
}  // namespace kavrin::test

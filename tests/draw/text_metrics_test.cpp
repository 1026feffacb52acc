// Font objects, face choice and the cell metrics the chart lays out with.
#include <gtest/gtest.h>

#include "draw/gdi_internal.h"
#include "draw/text_fonts.h"
#include "tests/draw/text_surface.h"

namespace {

using kavrin::test::TextSurface;
namespace text = kavrin::gdi::text;

struct Expected {
  const char* face;
  int height;
  int tmHeight, ascent, descent, internalLeading, aveCharWidth;
};

// The standard faces take their cell from the hinted extremes of their Windows-1252
// glyphs (Arial at -21 is 24 high and Times New Roman 23, as Windows reports them);
// the average width is the weighted lowercase average (Arial 904, Times New Roman 821
// and Courier New 1229 units of 2048).
const Expected kStandardFaces[] = {
    {"Arial", -11, 14, 11, 3, 3, 5},           {"Arial", -12, 15, 12, 3, 3, 5},
    {"Arial", -13, 15, 12, 3, 2, 6},           {"Arial", -15, 17, 13, 4, 2, 7},
    {"Arial", -21, 24, 19, 5, 3, 9},           {"Times New Roman", -11, 14, 11, 3, 3, 4},
    {"Times New Roman", -12, 15, 12, 3, 3, 5}, {"Times New Roman", -13, 15, 12, 3, 2, 5},
    {"Times New Roman", -15, 17, 14, 3, 2, 6}, {"Times New Roman", -21, 23, 18, 5, 2, 8},
    {"Courier New", -11, 12, 10, 2, 1, 7},     {"Courier New", -12, 13, 11, 2, 1, 7},
    {"Courier New", -13, 15, 12, 3, 2, 8},     {"Courier New", -15, 16, 13, 3, 1, 9},
    // Faces without per-size heights: usWinAscent and usWinDescent, each scaled and rounded.
    {"Liberation Sans", -12, 14, 11, 3, 2, 5}, {"Liberation Sans", -16, 17, 14, 3, 1, 7},
    // Dialog faces keep their own, taller ascent: Tahoma -12 is 12 + 2 on Windows.
    {"Tahoma", -12, 14, 12, 2, 2, 5},          {"MS Sans Serif", -11, 13, 11, 2, 2, 5},
};

TEST(TextMetrics, StandardFacesAtChartSizes) {
  TextSurface s;
  for (const Expected& e : kStandardFaces) {
    s.Font(e.face, e.height);
    const TEXTMETRICA tm = s.Metrics();
    SCOPED_TRACE(std::string(e.face) + " " + std::to_string(e.height));
    EXPECT_EQ(tm.tmHeight, e.tmHeight);
    EXPECT_EQ(tm.tmAscent, e.ascent);
    EXPECT_EQ(tm.tmDescent, e.descent);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(tm.tmInternalLeading, e.internalLeading);
    EXPECT_EQ(tm.tmAveCharWidth, e.aveCharWidth);
    EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    EXPECT_EQ(tm.tmWeight, 400);
  }
}

// Windows reports these for DejaVu Sans (no per-size heights in the file).
TEST(TextMetrics, DejaVuSansAsWindowsMeasuresIt) {
  if (text::ChooseFace("DejaVu Sans", false, false).family != "DejaVu Sans") GTEST_SKIP() << "DejaVu not installed";
  TextSurface s;
  const struct {
    int height, tmHeight, ascent, descent, internalLeading;
  } rows[] = {{-11, 13, 10, 3, 2}, {-12, 14, 11, 3, 2}, {-15, 18, 14, 4, 3}, {-16, 19, 15, 4, 3},
              {-32, 38, 30, 8, 6}, {16, 16, 13, 3, 2},  {12, 12, 10, 2, 2}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.height);
    s.Font("DejaVu Sans", r.height);
    const TEXTMETRICA tm = s.Metrics();
    EXPECT_EQ(tm.tmHeight, r.tmHeight);
    EXPECT_EQ(tm.tmAscent, r.ascent);
    EXPECT_EQ(tm.tmDescent, r.descent);
    EXPECT_EQ(tm.tmInternalLeading, r.internalLeading);
  }
}

TEST(TextMetrics, PositiveHeightIsACellThatFits) {
  TextSurface s;
  for (const char* face : {"Arial", "Times New Roman", "Courier New", "Liberation Sans", "Tahoma"}) {
    for (int h : {8, 12, 13, 16, 20, 33}) {
      SCOPED_TRACE(std::string(face) + " " + std::to_string(h));
      s.Font(face, h);
      const TEXTMETRICA tm = s.Metrics();
      EXPECT_LE(tm.tmHeight, h);
      EXPECT_GE(tm.tmHeight, h - 3);
      // The em one pixel larger would no longer fit.
      const int em = tm.tmHeight - tm.tmInternalLeading;
      s.Font(face, -(em + 1));
      EXPECT_GT(s.Metrics().tmHeight, h);
    }
  }
  // Tahoma on Windows: a 12 cell is 10 + 2 with an em of 10.
  s.Font("Tahoma", 12);
  EXPECT_EQ(s.Metrics().tmAscent, 10);
  EXPECT_EQ(s.Metrics().tmDescent, 2);
  EXPECT_EQ(s.Metrics().tmInternalLeading, 2);
}

TEST(TextMetrics, ZeroHeightIsADefaultSizeAndHugeHeightsAreBounded) {
  TextSurface s;
  s.Font("Arial", 0);
  const TEXTMETRICA tm0 = s.Metrics();
  EXPECT_GT(tm0.tmHeight, 10);
  EXPECT_LE(tm0.tmHeight, 16);
  s.Font("Arial", INT32_MIN);
  const TEXTMETRICA big = s.Metrics();
  EXPECT_GT(big.tmHeight, 1000);
  EXPECT_LT(big.tmHeight, 2000);
  EXPECT_TRUE(TextOutA(s.dc(), 0, 0, "W", 1));
  s.Font("Arial", -1);
  EXPECT_GE(s.Metrics().tmHeight, 1);
}

TEST(TextMetrics, BoldItalicUnderlineAreReported) {
  TextSurface s;
  s.Font("Arial", -12);
  const int regular = s.Width("Bold text 0123");
  s.Font("Arial", -12, 0, FW_BOLD);
  EXPECT_EQ(s.Metrics().tmWeight, 700);
  EXPECT_GT(s.Width("Bold text 0123"), regular);
  // 550 and below select the regular face, above it the bold one.
  s.Font("Arial", -12, 0, 550);
  EXPECT_EQ(s.Width("Bold text 0123"), regular);
  s.Font("Arial", -12, 0, 600);
  EXPECT_EQ(s.Metrics().tmWeight, 700);
  s.Font("Arial", -12, 0, FW_NORMAL, true, true, true);
  const TEXTMETRICA tm = s.Metrics();
  EXPECT_NE(tm.tmItalic, 0);
  EXPECT_NE(tm.tmUnderlined, 0);
  EXPECT_NE(tm.tmStruckOut, 0);
  EXPECT_EQ(tm.tmCharSet, ANSI_CHARSET);
}

TEST(TextMetrics, CourierNewIsFixedPitch) {
  TextSurface s;
  s.Font("Courier New", -13);
  const TEXTMETRICA tm = s.Metrics();
  EXPECT_EQ(s.Width("iiii"), 4 * tm.tmAveCharWidth);
  EXPECT_EQ(s.Width("MMMM"), 4 * tm.tmAveCharWidth);
  EXPECT_EQ(tm.tmPitchAndFamily & 1, 0);  // the "fixed pitch" bit is set for variable pitch
  s.Font("Arial", -13);
  EXPECT_LT(s.Width("iiii"), s.Width("MMMM"));
  EXPECT_EQ(s.Metrics().tmPitchAndFamily & 1, 1);
}

TEST(TextFaces, WindowsNamesMapToMetricCompatibleFaces) {
  EXPECT_EQ(text::ChooseFace("Arial", false, false).family, "Liberation Sans");
  EXPECT_EQ(text::ChooseFace("ARIAL", false, false).family, "Liberation Sans");
  EXPECT_EQ(text::ChooseFace("Times New Roman", false, false).family, "Liberation Serif");
  EXPECT_EQ(text::ChooseFace("Courier New", false, false).family, "Liberation Mono");
  for (const char* sans : {"MS Sans Serif", "Microsoft Sans Serif", "Tahoma", "Helvetica"})
    EXPECT_EQ(text::ChooseFace(sans, false, false).family, "Liberation Sans") << sans;
  const text::FaceChoice bi = text::ChooseFace("Arial", true, true);
  EXPECT_NE(bi.file.find("BoldItalic"), std::string::npos) << bi.file;
  EXPECT_FALSE(bi.synthBold);
  EXPECT_FALSE(bi.synthItalic);
  // An installed face is used by its own name.
  EXPECT_EQ(text::ChooseFace("Liberation Sans Narrow", false, false).family, "Liberation Sans Narrow");
  EXPECT_EQ(text::ChooseFace("liberation serif", false, false).family, "Liberation Serif");
}

TEST(TextFonts, MissingStylesAreSynthesised) {
  LOGFONTA lf{};
  lf.lfHeight = -16;
  const text::FaceChoice regular = text::ChooseFace("Liberation Sans", false, false);
  text::FaceChoice bold = regular, italic = regular;
  bold.synthBold = true;
  italic.synthItalic = true;
  const auto r = text::RealizeFont(lf, regular);
  const auto b = text::RealizeFont(lf, bold);
  const auto i = text::RealizeFont(lf, italic);
  const text::Glyph gr = r->GlyphFor(U'l'), gb = b->GlyphFor(U'l'), gi = i->GlyphFor(U'l');
  // Bold overstrikes one pixel to the right: one column and one pixel of advance more.
  EXPECT_EQ(gb.width, gr.width + 1);
  EXPECT_EQ(gb.advance, gr.advance + 1);
  EXPECT_EQ(b->Metrics().weight, 700);
  EXPECT_EQ(b->Metrics().aveCharWidth, r->Metrics().aveCharWidth + 1);
  EXPECT_EQ(b->Metrics().height, r->Metrics().height);
  // Italic slants the upright stroke of "l": its top row lies right of its bottom row.
  auto firstInk = [](const text::Glyph& g, int row) {
    for (int x = 0; x < g.width; ++x)
      if (g.mask[static_cast<size_t>(row) * g.width + x]) return g.left + x;
    return -1000;
  };
  ASSERT_GT(gi.rows, 4);
  EXPECT_EQ(firstInk(gr, 0), firstInk(gr, gr.rows - 1));
  EXPECT_GT(firstInk(gi, 0), firstInk(gi, gi.rows - 1) + 1);
  EXPECT_EQ(gi.advance, gr.advance);
}

TEST(TextFaces, UnknownNamesFallBackToTheDefaultFace) {
  for (const char* name : {"No Such Face 123", "", "   ", "\xff\xfe"}) {
    const text::FaceChoice c = text::ChooseFace(name, false, false);
    EXPECT_EQ(c.family, "Liberation Sans") << name;
    EXPECT_FALSE(c.file.empty());
  }
  TextSurface s;
  s.Font("Liberation Sans", -12);
  const TEXTMETRICA want = s.Metrics();
  const int width = s.Width("Fallback 0123");
  s.Font("No Such Face 123", -12);
  EXPECT_EQ(s.Metrics().tmHeight, want.tmHeight);
  EXPECT_EQ(s.Width("Fallback 0123"), width);
}

TEST(TextFaces, FaceNameWithoutTerminatorIsCutAtItsField) {
  LOGFONTA lf{};
  lf.lfHeight = -12;
  std::memset(lf.lfFaceName, 'A', sizeof lf.lfFaceName);  // no NUL anywhere
  HFONT f = CreateFontIndirectA(&lf);
  ASSERT_NE(f, nullptr);
  TextSurface s;
  HGDIOBJ old = SelectObject(s.dc(), f);
  EXPECT_GT(s.Metrics().tmHeight, 0);
  SelectObject(s.dc(), old);
  EXPECT_TRUE(DeleteObject(f));
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
}

TEST(TextFonts, FontObjectsAreCountedSelectedAndDeleted) {
  const int before = kavrin::gdi::CountLiveObjects().fonts;
  HFONT f = CreateFontA(-12, 0, 900, 0, FW_BOLD, 1, 0, 1, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, 0, "Arial");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(kavrin::gdi::CountLiveObjects().fonts, before + 1);
  const kavrin::gdi::FontObj* obj = kavrin::gdi::FindFont(f);
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->lf.lfHeight, -12);
  EXPECT_EQ(obj->lf.lfEscapement, 900);
  EXPECT_EQ(obj->lf.lfWeight, FW_BOLD);
  EXPECT_EQ(obj->lf.lfItalic, 1);
  EXPECT_EQ(obj->lf.lfStrikeOut, 1);
  EXPECT_STREQ(obj->lf.lfFaceName, "Arial");
  TextSurface s;
  HGDIOBJ old = SelectObject(s.dc(), f);
  EXPECT_FALSE(DeleteObject(f));  // refused while selected
  SelectObject(s.dc(), old);
  EXPECT_TRUE(DeleteObject(f));
  EXPECT_EQ(kavrin::gdi::CountLiveObjects().fonts, before);
}

TEST(TextFonts, StockFontsAndAFreshDcHaveSensibleMetrics) {
  TextSurface s;
  TEXTMETRICA tm{};
  ASSERT_TRUE(GetTextMetricsA(s.dc(), &tm));  // a fresh DC draws with the system font
  EXPECT_EQ(tm.tmHeight, 16);
  EXPECT_EQ(tm.tmWeight, 700);
  HGDIOBJ old = SelectObject(s.dc(), GetStockObject(DEFAULT_GUI_FONT));
  ASSERT_TRUE(GetTextMetricsA(s.dc(), &tm));
  EXPECT_EQ(tm.tmHeight, 13);
  EXPECT_EQ(tm.tmAveCharWidth, 5);
  SelectObject(s.dc(), old);
  EXPECT_FALSE(GetTextMetricsA(nullptr, &tm));
  EXPECT_FALSE(GetTextMetricsA(s.dc(), nullptr));
}

TEST(TextFonts, CacheStaysBounded) {
  TextSurface s;
  for (int h = 5; h < 5 + 3 * text::kMaxCachedFonts; ++h) {
    s.Font("Arial", -h);
    EXPECT_TRUE(TextOutA(s.dc(), 0, 0, "x", 1));
  }
  EXPECT_LE(text::CurrentCacheStats().fonts, text::kMaxCachedFonts);
  // Many distinct characters in one font: the glyphs beyond Latin-1 are bounded too.
  s.Font("Arial", -12);
  std::string many;
  for (char32_t cp = 0x400; cp < 0x400 + 3 * text::kMaxGlyphsPerFont; ++cp) {
    many += static_cast<char>(0xE0 | (cp >> 12));
    many += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    many += static_cast<char>(0x80 | (cp & 0x3F));
  }
  EXPECT_TRUE(TextOutA(s.dc(), 0, 0, many.data(), static_cast<int>(many.size())));
  EXPECT_LE(text::CurrentCacheStats().glyphs, text::kMaxCachedFonts * (text::kMaxGlyphsPerFont + 256));
}

TEST(TextSizes, EmPixelsFollowTheSignOfTheHeight) {
  EXPECT_EQ(text::EmPixelsForHeight(-12, 2048, 1854, 434), 12);
  EXPECT_EQ(text::EmPixelsForHeight(16, 2048, 1854, 434), 14);  // 16 * 2048 / 2288 = 14.3
  EXPECT_EQ(text::EmPixelsForHeight(0, 2048, 1854, 434), 14);   // the default cell of 16
  EXPECT_EQ(text::EmPixelsForHeight(12, 2048, 0, 0), 1024);      // no cell: clamped, not divided by 0
  EXPECT_EQ(text::EmPixelsForHeight(INT32_MIN, 2048, 1854, 434), 1024);
}

TEST(TextUtf8, DecodesValidAndReplacesInvalidBytes) {
  EXPECT_EQ(text::DecodeUtf8("A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"), (std::u32string{U'A', 0xE4, 0x20AC, 0x1F600}));
  EXPECT_EQ(text::DecodeUtf8(std::string_view("a\0b", 3)), (std::u32string{U'a', 0, U'b'}));
  // Lone continuation, truncated sequence at the end, overlong, surrogate, beyond U+10FFFF.
  EXPECT_EQ(text::DecodeUtf8("\x80"), std::u32string(1, 0xFFFD));
  EXPECT_EQ(text::DecodeUtf8("x\xE2\x82"), (std::u32string{U'x', 0xFFFD, 0xFFFD}));
  EXPECT_EQ(text::DecodeUtf8("\xC0\xAF"), (std::u32string{0xFFFD, 0xFFFD}));
  EXPECT_EQ(text::DecodeUtf8("\xED\xA0\x80"), (std::u32string{0xFFFD, 0xFFFD, 0xFFFD}));
  EXPECT_EQ(text::DecodeUtf8("\xF4\x90\x80\x80"), (std::u32string{0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}));
  EXPECT_EQ(text::DecodeUtf8("\xFF" "ok"), (std::u32string{0xFFFD, U'o', U'k'}));
  EXPECT_TRUE(text::DecodeUtf8("").empty());
}

}  // namespace

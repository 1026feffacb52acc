// Fonts for text output: face lookup through fontconfig, Windows-compatible cell metrics
// from the face's OS/2 table, and monochrome hinted glyphs from FreeType, all cached.
//
// Ownership: one Library (FreeType + fontconfig) shared by every Face; a Face per font
// file shared by every RealizedFont on it; the cache holds a bounded number of
// RealizedFonts and font objects hold the one they use. Whoever lets go last frees it,
// so nothing depends on the order in which static objects die at exit.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H
#include FT_SIZES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <climits>
#include <cstring>
#include <list>
#include <map>
#include <numbers>
#include <unordered_map>

#include "draw/text_fonts.h"

namespace kavrin::gdi::text {
namespace {

constexpr int kDefaultCellHeight = 16;
constexpr int kMaxEmPixels = 1024;  // bounds glyph memory for absurd sizes

// 26.6 and 16.16 fixed point.
constexpr long ToF26(int px) { return static_cast<long>(px) * 64; }
constexpr int RoundF16(long v) { return static_cast<int>((v + 0x8000) >> 16); }

// round(units * ppem / upem), halves upwards, in integers.
int ScaleRound(long units, int ppem, int upem) {
  const long long num = static_cast<long long>(units) * ppem * 2;
  const long long den = 2LL * upem;
  if (num >= 0) return static_cast<int>((num + upem) / den);
  return -static_cast<int>((-num + upem - 1) / den);
}

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
  return r;
}

class Library {
 public:
  Library() {
    if (FT_Init_FreeType(&ft_) != 0) ft_ = nullptr;
    fc_ = FcInitLoadConfigAndFonts();
  }
  ~Library() {
    if (ft_) FT_Done_FreeType(ft_);
    if (fc_) {
      FcConfigDestroy(fc_);
      FcFini();
    }
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  FT_Library ft() const { return ft_; }
  FcConfig* fc() const { return fc_; }

 private:
  FT_Library ft_ = nullptr;
  FcConfig* fc_ = nullptr;
};

// Ascent and descent in pixels at an em size, as the face's cell rule gives them.
struct Vertical {
  int ascent = 0;
  int descent = 0;
};

// Design metrics of one face, in font units.
struct Design {
  int upem = 2048;
  int winAscent = 0;
  int winDescent = 0;
  int lineGap = 0;  // external leading as Windows derives it
  int avgWidth = 0;
  int maxWidth = 0;
  int weightClass = 400;
  int underlinePos = 0;  // post table, negative below the baseline
  int underlineSize = 0;
  int strikeoutPos = 0;  // OS/2, positive above the baseline
  int strikeoutSize = 0;
  bool fixedPitch = false;
};

// Weights of the lowercase letters and the space in the classic average-width
// definition (per thousand), which is what Windows reports for its core faces.
constexpr std::array<int, 27> kAvgWeights = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20, 56,
                                             56, 17, 4,  49, 56, 71,  31, 10, 18, 3,  18, 2, 166};

class Face {
 public:
  Face(std::shared_ptr<Library> lib, FT_Face face) : lib_(std::move(lib)), face_(face) { ReadDesign(); }
  ~Face() { FT_Done_Face(face_); }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
  FT_Face ft() const { return face_; }
  const Design& design() const { return d_; }

  // Highest and lowest hinted glyph pixel rows of the Windows-1252 repertoire at ppem
  // (rounded outwards); cached per size.
  Vertical HintedExtents(int ppem) {
    auto it = extents_.find(ppem);
    if (it != extents_.end()) return it->second;
    Vertical v{ScaleRound(d_.winAscent, ppem, d_.upem), ScaleRound(d_.winDescent, ppem, d_.upem)};
    FT_Size size = nullptr;
    if (FT_New_Size(face_, &size) == 0) {
      FT_Activate_Size(size);
      if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(ppem)) == 0) {
        long top = LONG_MIN, bottom = LONG_MAX;
        for (char32_t cp = 0x20; cp <= 0xFF; ++cp) {
          if (cp >= 0x7F && cp < 0xA0) continue;
          const FT_UInt gi = FT_Get_Char_Index(face_, cp);
          if (gi == 0 || FT_Load_Glyph(face_, gi, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0) continue;
          if (face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE || face_->glyph->outline.n_points == 0) continue;
          FT_BBox box;
          FT_Outline_Get_CBox(&face_->glyph->outline, &box);
          top = std::max<long>(top, (box.yMax + 63) >> 6);
          bottom = std::min<long>(bottom, box.yMin >> 6);
        }
        if (top != LONG_MIN) v = Vertical{static_cast<int>(top), static_cast<int>(std::max(0L, -bottom))};
      }
      FT_Done_Size(size);
    }
    // Sizes are few in practice; the bound only guards against pathological callers.
    if (extents_.size() > 512) extents_.clear();
    extents_.emplace(ppem, v);
    return v;
  }

 private:
  void ReadDesign() {
    d_.upem = face_->units_per_EM > 0 ? face_->units_per_EM : 2048;
    d_.fixedPitch = FT_IS_FIXED_WIDTH(face_);
    d_.maxWidth = static_cast<int>(face_->bbox.xMax - face_->bbox.xMin);
    d_.underlinePos = face_->underline_position;
    d_.underlineSize = face_->underline_thickness;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      d_.winAscent = os2->usWinAscent;
      d_.winDescent = os2->usWinDescent;
      d_.avgWidth = os2->xAvgCharWidth;
      d_.weightClass = os2->usWeightClass;
      d_.strikeoutPos = os2->yStrikeoutPosition;
      d_.strikeoutSize = os2->yStrikeoutSize;
    } else {
      d_.winAscent = face_->ascender;
      d_.winDescent = -face_->descender;
      d_.weightClass = (face_->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
    }
    if (hhea) {
      const int hheaHeight = hhea->Ascender - hhea->Descender;
      d_.lineGap = std::max(0, hhea->Line_Gap - ((d_.winAscent + d_.winDescent) - hheaHeight));
    }
    if (d_.strikeoutPos == 0) d_.strikeoutPos = d_.upem * 26 / 100;
    if (d_.strikeoutSize == 0) d_.strikeoutSize = std::max(1, d_.underlineSize);
    if (d_.underlineSize == 0) d_.underlineSize = d_.upem / 20;
    if (d_.underlinePos == 0) d_.underlinePos = -d_.upem / 10;
    const int weighted = WeightedAverageWidth();
    if (weighted > 0) d_.avgWidth = weighted;
    if (d_.avgWidth <= 0) d_.avgWidth = d_.upem / 2;
  }

  // The weighted lowercase average in font units; 0 when a letter is missing.
  int WeightedAverageWidth() const {
    long long sum = 0;
    for (int i = 0; i < 27; ++i) {
      const FT_ULong ch = i < 26 ? static_cast<FT_ULong>('a' + i) : ' ';
      const FT_UInt gi = FT_Get_Char_Index(face_, ch);
      FT_Fixed adv = 0;
      if (gi == 0 || FT_Get_Advance(face_, gi, FT_LOAD_NO_SCALE, &adv) != 0) return 0;
      sum += static_cast<long long>(adv) * kAvgWeights[static_cast<size_t>(i)];
    }
    return static_cast<int>((sum + 500) / 1000);
  }

  std::shared_ptr<Library> lib_;
  FT_Face face_;
  Design d_;
  std::map<int, Vertical> extents_;
};

Vertical VerticalFor(Face& face, const FaceChoice& choice, int ppem) {
  const Design& d = face.design();
  switch (choice.rule) {
    case CellRule::HintedExtents: return face.HintedExtents(ppem);
    case CellRule::Substitute:
      return {ScaleRound(choice.substituteAscent, ppem, 2048), ScaleRound(choice.substituteDescent, ppem, 2048)};
    case CellRule::WinMetrics: break;
  }
  return {ScaleRound(d.winAscent, ppem, d.upem), ScaleRound(d.winDescent, ppem, d.upem)};
}

CellMetrics MetricsFor(const Design& d, Vertical v, int ppem, int xppem, bool synthBold) {
  CellMetrics m;
  m.ascent = v.ascent;
  m.descent = v.descent;
  m.height = m.ascent + m.descent;
  m.internalLeading = std::max(0, m.height - ppem);
  m.externalLeading = ScaleRound(d.lineGap, ppem, d.upem);
  m.aveCharWidth = ScaleRound(d.avgWidth, xppem, d.upem);
  m.maxCharWidth = ScaleRound(d.maxWidth, xppem, d.upem);
  m.weight = synthBold ? 700 : d.weightClass;
  m.fixedPitch = d.fixedPitch;
  if (synthBold) {
    // Simulated bold overstrikes one pixel to the right: every cell grows by one.
    m.aveCharWidth += 1;
    m.maxCharWidth += 1;
  }
  m.underlineSize = std::max(1, ScaleRound(d.underlineSize, ppem, d.upem));
  m.underlinePos = std::max(1, -ScaleRound(d.underlinePos, ppem, d.upem));
  m.underlinePos = std::min(m.underlinePos, std::max(0, m.descent - m.underlineSize));
  m.strikeoutSize = std::max(1, ScaleRound(d.strikeoutSize, ppem, d.upem));
  m.strikeoutPos = -ScaleRound(d.strikeoutPos, ppem, d.upem);
  return m;
}

class FtFont final : public RealizedFont {
 public:
  FtFont(std::shared_ptr<Face> face, std::string family, const CellMetrics& metrics, int ppem, int xppem,
         bool synthBold, bool synthItalic, int angle)
      : face_(std::move(face)),
        family_(std::move(family)),
        synthBold_(synthBold),
        synthItalic_(synthItalic),
        angle_(angle),
        metrics_(metrics) {
    if (FT_New_Size(face_->ft(), &size_) == 0) {
      FT_Activate_Size(size_);
      if (FT_Set_Pixel_Sizes(face_->ft(), static_cast<FT_UInt>(xppem), static_cast<FT_UInt>(ppem)) != 0) {
        FT_Done_Size(size_);
        size_ = nullptr;
      }
    } else {
      size_ = nullptr;
    }
  }
  ~FtFont() override {
    if (size_) FT_Done_Size(size_);
  }
  FtFont(const FtFont&) = delete;
  FtFont& operator=(const FtFont&) = delete;

  const CellMetrics& Metrics() const override { return metrics_; }
  int GlyphAngle() const override { return angle_; }
  const std::string& Family() const override { return family_; }

  const Glyph& GlyphFor(char32_t cp) override {
    if (cp < latin_.size()) {
      auto& slot = latin_[cp];
      if (!slot) slot = std::make_unique<Glyph>(Render(cp));
      return *slot;
    }
    auto it = others_.find(cp);
    if (it != others_.end()) return it->second;
    // The map is bounded; references into it live only until the next GlyphFor call.
    if (others_.size() >= static_cast<size_t>(kMaxGlyphsPerFont)) others_.clear();
    return others_.emplace(cp, Render(cp)).first->second;
  }

  int CachedGlyphs() const {
    int n = static_cast<int>(others_.size());
    for (const auto& g : latin_) n += g ? 1 : 0;
    return n;
  }

 private:
  Glyph Render(char32_t cp) {
    Glyph g;
    g.advance = metrics_.aveCharWidth;
    g.advX26 = ToF26(g.advance);
    if (!size_) return g;
    FT_Face f = face_->ft();
    FT_Activate_Size(size_);
    // A code point the face lacks shows its missing-glyph box, as Windows shows it.
    const FT_UInt gi = FT_Get_Char_Index(f, cp);
    if (FT_Load_Glyph(f, gi, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0) return g;
    FT_GlyphSlot s = f->glyph;
    // Advances are the design advance rounded to whole pixels (hinting moves outlines, not
    // advances); turned text uses the same, so its length equals the upright extent.
    g.advance = RoundF16(s->linearHoriAdvance) + (synthBold_ ? 1 : 0);
    g.advX26 = ToF26(g.advance);
    const bool turned = angle_ != 0;
    if (s->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (synthItalic_) {
        const FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};
        FT_Outline_Transform(&s->outline, &shear);
      }
      if (synthBold_ && turned) FT_Outline_EmboldenXY(&s->outline, 64, 0);
      if (turned) {
        const double rad = angle_ / 10.0 * std::numbers::pi / 180.0;
        const auto c = static_cast<FT_Fixed>(std::lround(std::cos(rad) * 65536.0));
        const auto sn = static_cast<FT_Fixed>(std::lround(std::sin(rad) * 65536.0));
        const FT_Matrix rot{c, -sn, sn, c};
        FT_Outline_Transform(&s->outline, &rot);
        FT_Vector v{g.advX26, 0};
        FT_Vector_Transform(&v, &rot);
        g.advX26 = v.x;
        g.advY26 = -v.y;  // device y grows downwards
      }
    }
    if (FT_Render_Glyph(s, FT_RENDER_MODE_MONO) != 0) return g;
    const FT_Bitmap& bm = s->bitmap;
    const bool overstrike = synthBold_ && !turned;
    g.left = s->bitmap_left;
    g.top = s->bitmap_top;
    g.rows = static_cast<int>(bm.rows);
    g.width = static_cast<int>(bm.width) + (overstrike && bm.width > 0 ? 1 : 0);
    g.mask.assign(static_cast<size_t>(g.width) * static_cast<size_t>(g.rows), 0);
    for (int y = 0; y < g.rows; ++y) {
      const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
      uint8_t* out = g.mask.data() + static_cast<size_t>(y) * static_cast<size_t>(g.width);
      for (int x = 0; x < static_cast<int>(bm.width); ++x) {
        if (bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1) : (row[x] >= 128)) {
          out[x] = 1;
          if (overstrike) out[x + 1] = 1;
        }
      }
    }
    return g;
  }

  std::shared_ptr<Face> face_;
  std::string family_;
  bool synthBold_;
  bool synthItalic_;
  int angle_;
  CellMetrics metrics_;
  FT_Size size_ = nullptr;
  std::array<std::unique_ptr<Glyph>, 256> latin_;
  std::unordered_map<char32_t, Glyph> others_;
};

// A font for when no face file can be loaded at all: correct cell metrics, blank glyphs.
class BlankFont final : public RealizedFont {
 public:
  explicit BlankFont(int ppem) {
    m_.ascent = ppem * 9 / 10;
    m_.descent = ppem - m_.ascent;
    m_.height = ppem;
    m_.aveCharWidth = std::max(1, ppem / 2);
    m_.maxCharWidth = ppem;
    blank_.advance = m_.aveCharWidth;
    blank_.advX26 = ToF26(blank_.advance);
  }
  const CellMetrics& Metrics() const override { return m_; }
  const Glyph& GlyphFor(char32_t) override { return blank_; }
  int GlyphAngle() const override { return 0; }
  const std::string& Family() const override { return family_; }

 private:
  CellMetrics m_;
  Glyph blank_;
  std::string family_;
};

// Windows face names and the faces with the same metrics that stand in for them.
// The dialog faces (Tahoma, and MS Sans Serif at its common sizes) have a taller ascent
// than the stand-in: 2049 / 423 per 2048 em units.
struct Alias {
  const char* windowsName;
  const char* family;
  CellRule rule;
  int ascent;
  int descent;
};
constexpr Alias kAliases[] = {
    {"arial", "Liberation Sans", CellRule::HintedExtents, 0, 0},
    {"helvetica", "Liberation Sans", CellRule::HintedExtents, 0, 0},
    {"times new roman", "Liberation Serif", CellRule::HintedExtents, 0, 0},
    {"times", "Liberation Serif", CellRule::HintedExtents, 0, 0},
    {"courier new", "Liberation Mono", CellRule::HintedExtents, 0, 0},
    {"courier", "Liberation Mono", CellRule::HintedExtents, 0, 0},
    {"ms sans serif", "Liberation Sans", CellRule::Substitute, 2049, 423},
    {"microsoft sans serif", "Liberation Sans", CellRule::Substitute, 2049, 423},
    {"ms shell dlg", "Liberation Sans", CellRule::Substitute, 2049, 423},
    {"ms shell dlg 2", "Liberation Sans", CellRule::Substitute, 2049, 423},
    {"tahoma", "Liberation Sans", CellRule::Substitute, 2049, 423},
    {"system", "Liberation Sans", CellRule::Substitute, 2049, 423},
};
constexpr const char* kDefaultFamilies[] = {"Liberation Sans", "DejaVu Sans"};

struct Cache {
  std::shared_ptr<Library> lib = std::make_shared<Library>();
  std::map<std::string, FaceChoice> choices;
  std::map<std::string, std::shared_ptr<Face>> faces;
  // Most recently used first.
  std::list<std::pair<std::string, std::shared_ptr<FtFont>>> fonts;
  std::unordered_map<std::string, decltype(fonts)::iterator> byKey;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

// fontconfig's best file for a family and style; family empty when nothing was found.
FaceChoice MatchFamily(Cache& c, const std::string& family, bool bold, bool italic) {
  FaceChoice out;
  if (!c.lib->fc()) return out;
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(c.lib->fc(), pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res = FcResultNoMatch;
  FcPattern* m = FcFontMatch(c.lib->fc(), pat, &res);
  FcPatternDestroy(pat);
  if (!m) return out;
  const std::string want = Lower(family);
  bool same = false;
  FcChar8* fam = nullptr;
  for (int i = 0; FcPatternGetString(m, FC_FAMILY, i, &fam) == FcResultMatch; ++i) {
    if (Lower(reinterpret_cast<const char*>(fam)) == want) {
      same = true;
      out.family = reinterpret_cast<const char*>(fam);
      break;
    }
  }
  FcChar8* file = nullptr;
  FcBool scalable = FcFalse;
  FcPatternGetBool(m, FC_SCALABLE, 0, &scalable);
  if (same && scalable && FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch) {
    out.file = reinterpret_cast<const char*>(file);
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(m, FC_INDEX, 0, &index);
    FcPatternGetInteger(m, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(m, FC_SLANT, 0, &slant);
    out.index = index;
    out.synthBold = bold && weight < FC_WEIGHT_DEMIBOLD;
    out.synthItalic = italic && slant == FC_SLANT_ROMAN;
  } else {
    out.family.clear();
  }
  FcPatternDestroy(m);
  return out;
}

std::shared_ptr<Face> LoadFace(Cache& c, const std::string& file, int index) {
  const std::string key = file + '#' + std::to_string(index);
  auto it = c.faces.find(key);
  if (it != c.faces.end()) return it->second;
  std::shared_ptr<Face> face;
  FT_Face f = nullptr;
  if (c.lib->ft() && FT_New_Face(c.lib->ft(), file.c_str(), index, &f) == 0) {
    if (FT_IS_SCALABLE(f)) {
      face = std::make_shared<Face>(c.lib, f);
    } else {
      FT_Done_Face(f);
    }
  }
  c.faces.emplace(key, face);  // a failed load is remembered too
  return face;
}

}  // namespace

FaceChoice ChooseFace(std::string_view faceName, bool bold, bool italic) {
  Cache& c = TheCache();
  std::string name = Lower(faceName);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  const std::string key = name + (bold ? "|b" : "|") + (italic ? "i" : "");
  auto it = c.choices.find(key);
  if (it != c.choices.end()) return it->second;
  std::string family(faceName);
  const Alias* alias = nullptr;
  for (const Alias& a : kAliases) {
    if (name == a.windowsName) alias = &a, family = a.family;
  }
  FaceChoice choice;
  if (!name.empty()) choice = MatchFamily(c, family, bold, italic);
  if (alias && !choice.file.empty()) {
    choice.rule = alias->rule;
    choice.substituteAscent = alias->ascent;
    choice.substituteDescent = alias->descent;
  }
  for (const char* fallback : kDefaultFamilies) {
    if (!choice.file.empty()) break;
    choice = MatchFamily(c, fallback, bold, italic);
  }
  c.choices.emplace(key, choice);
  return choice;
}

int EmPixelsForHeight(long lfHeight, int unitsPerEm, int winAscent, int winDescent) {
  long long h = lfHeight == 0 ? kDefaultCellHeight : lfHeight;
  if (h < 0) return static_cast<int>(std::min<long long>(-h, kMaxEmPixels));
  const int cell = std::max(1, winAscent + winDescent);
  const long long em = (h * unitsPerEm * 2 + cell) / (2LL * cell);
  return static_cast<int>(std::clamp<long long>(em, 1, kMaxEmPixels));
}

std::shared_ptr<RealizedFont> RealizeFont(const LOGFONTA& lf) {
  const std::string_view name(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  return RealizeFont(lf, ChooseFace(name, lf.lfWeight > 550, lf.lfItalic != 0));
}

std::shared_ptr<RealizedFont> RealizeFont(const LOGFONTA& lf, const FaceChoice& choice) {
  Cache& c = TheCache();
  std::shared_ptr<Face> face = choice.file.empty() ? nullptr : LoadFace(c, choice.file, choice.index);
  if (!face) {
    const long h = lf.lfHeight == 0 ? kDefaultCellHeight : lf.lfHeight;
    const long long px = h < 0 ? -static_cast<long long>(h) : h;
    return std::make_shared<BlankFont>(static_cast<int>(std::clamp<long long>(px, 1, kMaxEmPixels)));
  }
  const Design& d = face->design();
  int ppem = EmPixelsForHeight(lf.lfHeight, d.upem, d.winAscent, d.winDescent);
  Vertical v;
  if (lf.lfHeight < 0) {
    v = VerticalFor(*face, choice, ppem);
  } else if (choice.rule == CellRule::HintedExtents) {
    // Per-size heights: the largest em whose cell still fits the requested cell.
    const long cell = lf.lfHeight == 0 ? kDefaultCellHeight : lf.lfHeight;
    auto fits = [&](int em) {
      const Vertical e = VerticalFor(*face, choice, em);
      return e.ascent + e.descent <= cell;
    };
    while (ppem < kMaxEmPixels && fits(ppem + 1)) ++ppem;
    while (ppem > 1 && !fits(ppem)) --ppem;
    v = VerticalFor(*face, choice, ppem);
  } else {
    // A cell height is met exactly: the ascent takes its share, the descent the rest.
    const bool sub = choice.rule == CellRule::Substitute;
    int a = sub ? choice.substituteAscent : d.winAscent;
    int b = sub ? choice.substituteDescent : d.winDescent;
    const int unit = sub ? 2048 : d.upem;
    if (a + b <= 0) a = unit * 4 / 5, b = unit / 5;
    const int cell = static_cast<int>(std::min<long>(lf.lfHeight == 0 ? kDefaultCellHeight : lf.lfHeight,
                                                     2L * kMaxEmPixels));
    v.ascent = ScaleRound(a, cell, a + b);
    v.descent = cell - v.ascent;
    ppem = std::clamp(ScaleRound(unit, cell, a + b), 1, kMaxEmPixels);
  }
  int xppem = ppem;
  if (lf.lfWidth > 0 && d.avgWidth > 0) {
    const long long w = std::min<long long>(lf.lfWidth, kMaxEmPixels);
    xppem = static_cast<int>(std::clamp<long long>((w * d.upem * 2 + d.avgWidth) / (2LL * d.avgWidth), 1,
                                                   kMaxEmPixels));
  }
  int angle = static_cast<int>(lf.lfEscapement % 3600);
  if (angle < 0) angle += 3600;
  if (angle % 900 == 0) angle = 0;  // quarter turns are made exactly from upright masks
  const std::string key = choice.file + '#' + std::to_string(choice.index) + '|' + std::to_string(ppem) +
                          'x' + std::to_string(xppem) + (choice.synthBold ? "b" : "") +
                          (choice.synthItalic ? "i" : "") + '@' + std::to_string(angle) + 'v' +
                          std::to_string(v.ascent) + ':' + std::to_string(v.descent);
  auto it = c.byKey.find(key);
  if (it != c.byKey.end()) {
    c.fonts.splice(c.fonts.begin(), c.fonts, it->second);
    return it->second->second;
  }
  const CellMetrics metrics = MetricsFor(d, v, ppem, xppem, choice.synthBold);
  auto font = std::make_shared<FtFont>(face, choice.family, metrics, ppem, xppem, choice.synthBold,
                                       choice.synthItalic, angle);
  c.fonts.emplace_front(key, font);
  c.byKey[key] = c.fonts.begin();
  while (c.fonts.size() > static_cast<size_t>(kMaxCachedFonts)) {
    c.byKey.erase(c.fonts.back().first);
    c.fonts.pop_back();
  }
  return font;
}

CacheStats CurrentCacheStats() {
  CacheStats s;
  for (const auto& [key, font] : TheCache().fonts) {
    ++s.fonts;
    s.glyphs += font->CachedGlyphs();
  }
  return s;
}

}  // namespace kavrin::gdi::text

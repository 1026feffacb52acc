#pragma once
// Inside the Linux drawing layer: fonts as the text functions use them. A LOGFONTA is
// realised into a sized face (found through fontconfig, rendered by FreeType) with
// Windows-compatible cell metrics and a cache of monochrome glyph masks. No FreeType or
// fontconfig type appears here.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "draw/win32.h"

namespace kavrin::gdi::text {

// Cell metrics in device pixels, as GetTextMetricsA reports them.
struct CellMetrics {
  int height = 0;  // ascent + descent
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;  // height - em size
  int externalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  int weight = 400;
  int overhang = 0;
  bool fixedPitch = false;
  // Decorations: rows below (positive) or above (negative) the baseline, and thickness.
  int underlinePos = 1;
  int underlineSize = 1;
  int strikeoutPos = -3;
  int strikeoutSize = 1;
};

// A monochrome glyph: one byte per pixel (0 or 1), top row first. left/top place the
// mask's top-left relative to the pen position on the baseline (top is upwards, as
// FreeType gives it); advance is in whole pixels for upright glyphs. Rotated glyphs
// (any angle that is not a multiple of 90 degrees) carry their advance in 26.6 units.
struct Glyph {
  int left = 0;
  int top = 0;
  int width = 0;
  int rows = 0;
  int advance = 0;
  long advX26 = 0;
  long advY26 = 0;
  std::vector<uint8_t> mask;
};

// How a face's cell (ascent and descent) is sized.
enum class CellRule : uint8_t {
  // From the face's own usWinAscent / usWinDescent, each scaled and rounded.
  WinMetrics,
  // From the hinted extremes of the face's Windows-1252 glyphs at each size: the
  // standard Windows faces carry such per-size heights, and their stand-ins do not.
  HintedExtents,
  // From the usWinAscent / usWinDescent of the Windows face that the file stands in for
  // (per 2048 units of em), when its proportions differ from the stand-in's.
  Substitute,
};

// What a face name and style resolved to.
struct FaceChoice {
  std::string file;
  int index = 0;
  std::string family;  // the family of the file that was chosen
  bool synthBold = false;
  bool synthItalic = false;
  CellRule rule = CellRule::WinMetrics;
  int substituteAscent = 0;
  int substituteDescent = 0;
};

// Finds the font file for a face name (case-insensitive), with the usual Windows faces
// mapped to their metric-compatible equivalents; falls back to a default sans face.
FaceChoice ChooseFace(std::string_view faceName, bool bold, bool italic);

// A face at one pixel size, one synthetic style and one glyph angle.
// Call order: RealizeFont -> Metrics() / GlyphFor() any number of times; the object
// stays valid while anyone holds it, even after the cache has dropped it.
class RealizedFont {
 public:
  virtual ~RealizedFont() = default;
  virtual const CellMetrics& Metrics() const = 0;
  // The glyph for a code point; a code point the face lacks gives its missing-glyph box.
  virtual const Glyph& GlyphFor(char32_t cp) = 0;
  // Escapement the glyph masks were rendered at, in tenths of a degree (0 for upright;
  // multiples of 900 are rendered upright and turned by the caller).
  virtual int GlyphAngle() const = 0;
  virtual const std::string& Family() const = 0;
};

// The realised font for a logical font (cached; the same description gives the same
// object while it is in the cache).
std::shared_ptr<RealizedFont> RealizeFont(const LOGFONTA& lf);
// The same with the face already chosen (the style flags of lf are then not consulted).
std::shared_ptr<RealizedFont> RealizeFont(const LOGFONTA& lf, const FaceChoice& choice);

// The em size in pixels that a logical font height asks for, given the face's design
// units: negative = em height, positive = cell height (usWinAscent + usWinDescent),
// 0 = the default cell height of 16.
int EmPixelsForHeight(long lfHeight, int unitsPerEm, int winAscent, int winDescent);

// Limits of the caches, for tests.
struct CacheStats {
  int fonts = 0;
  int glyphs = 0;  // glyphs held by the cached fonts
};
CacheStats CurrentCacheStats();
inline constexpr int kMaxCachedFonts = 48;
inline constexpr int kMaxGlyphsPerFont = 1024;

// UTF-8 decoding: every byte that does not start a valid sequence gives one U+FFFD;
// never reads past the end.
std::u32string DecodeUtf8(std::string_view bytes);

}  // namespace kavrin::gdi::text

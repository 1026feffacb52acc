// Text output: font objects, metrics, extents and TextOutA. A run is laid out upright,
// composed into one monochrome mask with its underline and strike-out, and painted in
// the DC's text colour; quarter-turn escapements turn that mask exactly, other angles
// place glyphs that FreeType rendered turned.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <numbers>

#include "draw/text_render.h"

namespace kavrin::gdi::text {
namespace {

// The system font when a DC has none or its font is gone.
LOGFONTA SystemLogFont() {
  LOGFONTA lf{};
  lf.lfHeight = 16;
  lf.lfWeight = FW_BOLD;
  std::strcpy(lf.lfFaceName, "System");
  return lf;
}

std::shared_ptr<RealizedFont> RealizedOf(FontObj& f) {
  if (!f.realized) f.realized = RealizeFont(f.lf);
  return std::static_pointer_cast<RealizedFont>(f.realized);
}

struct Span {
  long long lo;
  long long hi;  // exclusive
};

// Where a run may paint: the DC's surface, narrowed by the clip rectangle.
bool PaintableArea(DcObj& dc, const RECT* clip, RECT* out) {
  BitmapObj* bmp = SurfaceOf(dc);
  if (!bmp || bmp->width <= 0 || bmp->height <= 0) return false;
  RECT r{0, 0, bmp->width, bmp->height};
  if (clip) {
    r.left = std::max(r.left, clip->left);
    r.top = std::max(r.top, clip->top);
    r.right = std::min(r.right, clip->right);
    r.bottom = std::min(r.bottom, clip->bottom);
  }
  *out = r;
  return r.left < r.right && r.top < r.bottom;
}

// The along-the-run coordinates u that land inside area for quarter turn q.
Span VisibleAlong(int q, long long x, long long y, const RECT& a) {
  switch (q) {
    case 0: return {a.left - x, a.right - x};
    case 1: return {y - a.bottom, y - a.top};
    case 2: return {x - a.right, x - a.left};
    default: return {a.top - y, a.bottom - y};
  }
}

// A rectangle given in run coordinates (u along, v across) turned by q quarter turns
// about (x, y), as an exclusive device rectangle.
RECT TurnRect(int q, long long x, long long y, long long u0, long long u1, long long v0, long long v1) {
  auto c = [](long long v) { return static_cast<LONG>(std::clamp<long long>(v, INT_MIN / 2, INT_MAX / 2)); };
  switch (q) {
    case 0: return {c(x + u0), c(y + v0), c(x + u1), c(y + v1)};
    case 1: return {c(x + v0), c(y - u1), c(x + v1), c(y - u0)};
    case 2: return {c(x - u1), c(y - v1), c(x - u0), c(y - v0)};
    default: return {c(x - v1), c(y + u0), c(x - v0), c(y + u1)};
  }
}

// Paints the convex quadrilateral p (device coordinates, in order) in colour c: pixels
// whose centres lie inside.
void PaintQuad(DcObj& dc, const double (&p)[4][2], COLORREF c, const RECT* clip, const RECT& area) {
  double minX = p[0][0], maxX = p[0][0], minY = p[0][1], maxY = p[0][1];
  for (const auto& q : p) {
    minX = std::min(minX, q[0]), maxX = std::max(maxX, q[0]);
    minY = std::min(minY, q[1]), maxY = std::max(maxY, q[1]);
  }
  const int x0 = static_cast<int>(std::max<double>(std::floor(minX), area.left));
  const int x1 = static_cast<int>(std::min<double>(std::ceil(maxX), area.right));
  const int y0 = static_cast<int>(std::max<double>(std::floor(minY), area.top));
  const int y1 = static_cast<int>(std::min<double>(std::ceil(maxY), area.bottom));
  if (x0 >= x1 || y0 >= y1) return;
  const int w = x1 - x0, h = y1 - y0;
  std::vector<uint8_t> mask(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  double area2 = 0;
  for (int i = 0; i < 4; ++i) {
    const auto& a = p[i];
    const auto& b = p[(i + 1) % 4];
    area2 += a[0] * b[1] - b[0] * a[1];
  }
  const double sign = area2 < 0 ? -1.0 : 1.0;
  for (int yy = 0; yy < h; ++yy) {
    for (int xx = 0; xx < w; ++xx) {
      const double px = x0 + xx + 0.5, py = y0 + yy + 0.5;
      bool inside = true;
      for (int i = 0; i < 4 && inside; ++i) {
        const auto& a = p[i];
        const auto& b = p[(i + 1) % 4];
        inside = sign * ((b[0] - a[0]) * (py - a[1]) - (b[1] - a[1]) * (px - a[0])) >= 0;
      }
      mask[static_cast<size_t>(yy) * static_cast<size_t>(w) + static_cast<size_t>(xx)] = inside ? 1 : 0;
    }
  }
  PaintMask(dc, x0, y0, w, h, mask.data(), w, c, clip);
}

// Corners of the run-coordinate box [u0, u1) x [v0, v1) turned by the angle about (x, y).
void TurnedBox(double x, double y, double cs, double sn, double u0, double u1, double v0, double v1,
               double (&out)[4][2]) {
  const double us[4] = {u0, u1, u1, u0};
  const double vs[4] = {v0, v0, v1, v1};
  for (int i = 0; i < 4; ++i) {
    out[i][0] = x + us[i] * cs + vs[i] * sn;
    out[i][1] = y - us[i] * sn + vs[i] * cs;
  }
}

struct Decoration {
  long long u0, u1;
  int v0, v1;
};

// Underline, strike-out and the prefix underline of one run, in run coordinates.
std::vector<Decoration> DecorationsOf(const DcFont& f, long long width, long long prefixU0, long long prefixU1) {
  const CellMetrics& m = f.font->Metrics();
  std::vector<Decoration> d;
  const int under = m.ascent + m.underlinePos;
  if (f.lf.lfUnderline && width > 0) d.push_back({0, width, under, under + m.underlineSize});
  if (f.lf.lfStrikeOut && width > 0) {
    const int strike = m.ascent + m.strikeoutPos;
    d.push_back({0, width, strike, strike + m.strikeoutSize});
  }
  // The "&" mark is a one-pixel line just below the baseline, one pixel short of the advance.
  if (prefixU1 - 1 > prefixU0) d.push_back({prefixU0, prefixU1 - 1, m.ascent + 1, m.ascent + 2});
  return d;
}

void DrawTurnedRun(DcObj& dc, const DcFont& f, int x, int y, const std::u32string& text, int underlineAt,
                   const RECT* clip, const RECT& area) {
  RealizedFont& font = *f.font;
  const CellMetrics& m = font.Metrics();
  const double rad = font.GlyphAngle() / 10.0 * std::numbers::pi / 180.0;
  const double cs = std::cos(rad), sn = std::sin(rad);
  long long width = 0, pre0 = 0, pre1 = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const int adv = font.GlyphFor(text[i]).advance;
    if (static_cast<int>(i) == underlineAt) pre0 = width, pre1 = width + adv;
    width += adv;
  }
  double box[4][2];
  if (dc.bkMode == OPAQUE) {
    TurnedBox(x, y, cs, sn, 0, static_cast<double>(width), 0, m.height, box);
    PaintQuad(dc, box, dc.bkColor, clip, area);
  }
  // Pen on the baseline, in 26.6 device units.
  double penX = (x + m.ascent * sn) * 64.0, penY = (y + m.ascent * cs) * 64.0;
  for (char32_t cp : text) {
    const Glyph& g = font.GlyphFor(cp);
    const auto px = static_cast<long>(std::floor(penX / 64.0)), py = static_cast<long>(std::floor(penY / 64.0));
    if (!g.mask.empty() && std::abs(px) < INT_MAX / 4 && std::abs(py) < INT_MAX / 4) {
      PaintMask(dc, static_cast<int>(px) + g.left, static_cast<int>(py) - g.top, g.width, g.rows, g.mask.data(),
                g.width, dc.textColor, clip);
    }
    penX += static_cast<double>(g.advX26);
    penY += static_cast<double>(g.advY26);
  }
  for (const Decoration& d : DecorationsOf(f, width, pre0, pre1)) {
    TurnedBox(x, y, cs, sn, static_cast<double>(d.u0), static_cast<double>(d.u1), d.v0, d.v1, box);
    PaintQuad(dc, box, dc.textColor, clip, area);
  }
}

// Reused composition buffers (the layer runs on one thread); a buffer that a huge run
// made large is given back rather than kept.
std::vector<uint8_t>& Scratch(int which) {
  static std::vector<uint8_t> buffers[2];
  std::vector<uint8_t>& b = buffers[which];
  if (b.capacity() > (size_t{4} << 20)) std::vector<uint8_t>().swap(b);
  return b;
}

}  // namespace

DcFont FontOf(DcObj& dc) {
  DcFont out;
  FontObj* obj = FindFont(dc.font);
  if (!obj) obj = FindFont(GetStockObject(SYSTEM_FONT));
  if (obj) {
    out.lf = obj->lf;
    out.font = RealizedOf(*obj).get();
    return out;
  }
  // Without any font object the system font's description is realised directly; the
  // cache keeps it alive.
  static const LOGFONTA sys = SystemLogFont();
  out.lf = sys;
  out.font = RealizeFont(sys).get();
  return out;
}

int RunWidth(RealizedFont& font, const std::u32string& text) {
  long long w = 0;
  for (char32_t cp : text) w += font.GlyphFor(cp).advance;
  return static_cast<int>(std::min<long long>(w, INT_MAX));
}

void DrawRun(DcObj& dc, const DcFont& f, int x, int y, const std::u32string& text, int underlineAt,
             const RECT* clip) {
  RECT area;
  if (!f.font || !PaintableArea(dc, clip, &area)) return;
  const long long esc = ((f.lf.lfEscapement % 3600) + 3600) % 3600;
  if (esc % 900 != 0) {
    DrawTurnedRun(dc, f, x, y, text, underlineAt, clip, area);
    return;
  }
  const int q = static_cast<int>(esc / 900);
  RealizedFont& font = *f.font;
  const CellMetrics& m = font.Metrics();

  // Layout: pen positions and the ink's extent around the cells.
  std::vector<long long> pens(text.size());
  long long pen = 0, inkLo = 0, inkHi = 0, pre0 = 0, pre1 = 0;
  int inkTop = 0, inkBottom = m.height;
  for (size_t i = 0; i < text.size(); ++i) {
    const Glyph& g = font.GlyphFor(text[i]);
    pens[i] = pen;
    if (g.width > 0 && g.rows > 0) {
      inkLo = std::min(inkLo, pen + g.left);
      inkHi = std::max(inkHi, pen + g.left + g.width);
      inkTop = std::min(inkTop, m.ascent - g.top);
      inkBottom = std::max(inkBottom, m.ascent - g.top + g.rows);
    }
    if (static_cast<int>(i) == underlineAt) pre0 = pen, pre1 = pen + g.advance;
    pen += g.advance;
  }
  const long long width = pen;

  if (dc.bkMode == OPAQUE && width > 0) FillSolid(dc, TurnRect(q, x, y, 0, width, 0, m.height), dc.bkColor, clip);

  // Compose only the part of the run that can reach the paintable area.
  const Span vis = VisibleAlong(q, x, y, area);
  const long long u0 = std::max(inkLo, vis.lo);
  const long long u1 = std::min({std::max(inkHi, width), vis.hi});
  if (u0 >= u1) return;
  const int bw = static_cast<int>(u1 - u0);
  const int bh = inkBottom - inkTop;
  std::vector<uint8_t>& buf = Scratch(0);
  buf.assign(static_cast<size_t>(bw) * static_cast<size_t>(bh), 0);
  for (size_t i = 0; i < text.size(); ++i) {
    const Glyph& g = font.GlyphFor(text[i]);
    const long long gx = pens[i] + g.left - u0;
    if (gx >= bw || gx + g.width <= 0) continue;
    const int gy = m.ascent - g.top - inkTop;
    for (int r = 0; r < g.rows; ++r) {
      const uint8_t* src = g.mask.data() + static_cast<size_t>(r) * static_cast<size_t>(g.width);
      uint8_t* dst = buf.data() + static_cast<size_t>(gy + r) * static_cast<size_t>(bw);
      for (int c = 0; c < g.width; ++c) {
        const long long bx = gx + c;
        if (src[c] && bx >= 0 && bx < bw) dst[bx] = 1;
      }
    }
  }
  for (const Decoration& d : DecorationsOf(f, width, pre0, pre1)) {
    const long long a = std::max(d.u0, u0) - u0, b = std::min(d.u1, u1) - u0;
    for (int v = std::max(d.v0, inkTop); v < std::min(d.v1, inkBottom); ++v) {
      uint8_t* row = buf.data() + static_cast<size_t>(v - inkTop) * static_cast<size_t>(bw);
      for (long long u = a; u < b; ++u) row[u] = 1;
    }
  }

  // Paint, turning the composed mask by whole quarter turns (rows of buf run along u).
  const RECT at = TurnRect(q, x, y, u0, u1, inkTop, inkBottom);
  if (q == 0) {
    PaintMask(dc, at.left, at.top, bw, bh, buf.data(), bw, dc.textColor, clip);
    return;
  }
  const int tw = (q == 2) ? bw : bh, th = (q == 2) ? bh : bw;
  std::vector<uint8_t>& out = Scratch(1);
  out.assign(static_cast<size_t>(tw) * static_cast<size_t>(th), 0);
  for (int j = 0; j < bh; ++j) {
    const uint8_t* row = buf.data() + static_cast<size_t>(j) * static_cast<size_t>(bw);
    for (int i = 0; i < bw; ++i) {
      if (!row[i]) continue;
      int c = 0, r = 0;
      if (q == 1) c = j, r = bw - 1 - i;
      if (q == 2) c = bw - 1 - i, r = bh - 1 - j;
      if (q == 3) c = bh - 1 - j, r = i;
      out[static_cast<size_t>(r) * static_cast<size_t>(tw) + static_cast<size_t>(c)] = 1;
    }
  }
  PaintMask(dc, at.left, at.top, tw, th, out.data(), tw, dc.textColor, clip);
}

}  // namespace kavrin::gdi::text

using namespace kavrin::gdi;

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
  if (!lf) return nullptr;
  auto obj = std::make_unique<FontObj>();
  obj->lf = *lf;
  obj->lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  return static_cast<HFONT>(Insert(std::move(obj)));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = italic ? 1 : 0;
  lf.lfUnderline = underline ? 1 : 0;
  lf.lfStrikeOut = strikeOut ? 1 : 0;
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* tm) {
  DcObj* dc = FindDc(hdc);
  if (!dc || !tm) return FALSE;
  const text::DcFont f = text::FontOf(*dc);
  if (!f.font) return FALSE;
  const text::CellMetrics& m = f.font->Metrics();
  *tm = TEXTMETRICA{};
  tm->tmHeight = m.height;
  tm->tmAscent = m.ascent;
  tm->tmDescent = m.descent;
  tm->tmInternalLeading = m.internalLeading;
  tm->tmExternalLeading = m.externalLeading;
  tm->tmAveCharWidth = m.aveCharWidth;
  tm->tmMaxCharWidth = m.maxCharWidth;
  tm->tmWeight = m.weight;
  tm->tmOverhang = m.overhang;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x1E;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = f.lf.lfItalic ? 255 : 0;
  tm->tmUnderlined = f.lf.lfUnderline ? 255 : 0;
  tm->tmStruckOut = f.lf.lfStrikeOut ? 255 : 0;
  // TMPF_FIXED_PITCH (set for variable pitch), TMPF_VECTOR, TMPF_TRUETYPE.
  tm->tmPitchAndFamily = static_cast<BYTE>((m.fixedPitch ? 0 : 1) | 0x02 | 0x04);
  tm->tmCharSet = f.lf.lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : f.lf.lfCharSet;
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, SIZE* size) {
  DcObj* dc = FindDc(hdc);
  if (!dc || !size || count < 0 || (!text && count > 0)) return FALSE;
  const text::DcFont f = text::FontOf(*dc);
  if (!f.font) return FALSE;
  const std::u32string cps = text::DecodeUtf8(std::string_view(text ? text : "", static_cast<size_t>(count)));
  size->cx = text::RunWidth(*f.font, cps);
  size->cy = f.font->Metrics().height;
  return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count) {
  DcObj* dc = FindDc(hdc);
  if (!dc || count < 0 || (!text && count > 0)) return FALSE;
  if (count == 0) return TRUE;
  const text::DcFont f = text::FontOf(*dc);
  text::DrawRun(*dc, f, x, y, text::DecodeUtf8(std::string_view(text, static_cast<size_t>(count))), -1, nullptr);
  return TRUE;
}

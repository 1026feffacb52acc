#pragma once
// The raster engine below the Win32 entry points: pixel values per format, the per-format
// primitive table, raster-operation masks and clipping helpers. Rectangles here always
// exclude their right and bottom edges.
#include <cstddef>
#include <cstdint>

#include "draw/gdi_internal.h"

namespace kavrin::gdi {

// Colour <-> pixel value. A 32-bit pixel is 0x00RRGGBB; a 1-bit pixel is 0 (black) or 1 (white).
constexpr uint32_t ColorToPixel32(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF Pixel32ToColor(uint32_t p) {
  return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}
// Plain colour of a COLORREF (palette-index and palette-relative flags dropped).
constexpr COLORREF PlainColor(COLORREF c) { return c & 0xFFFFFF; }
// The nearer of black and white (SetPixel onto a monochrome bitmap).
uint32_t NearestMono(COLORREF c);
// A pen or text colour onto a monochrome surface: black and white map to
// themselves; any other colour takes the pixel of the DC's background colour when it
// equals that colour, and the opposite pixel otherwise.
uint32_t MonoFromDrawColor(const DcObj& dc, COLORREF c);
// The pixel value a pen or text colour has on the DC's surface (brushes: BrushPattern).
uint32_t DrawPixel(const DcObj& dc, const BitmapObj& bmp, COLORREF c);

// A brush as a surface sees it: one pixel value on a colour surface; on a monochrome one
// an 8 x 8 ordered dither of the colour's intensity, anchored at the bitmap's top-left.
struct BrushPattern {
  bool dithered = false;
  uint32_t solid = 0;
  uint8_t rows[8] = {};  // bit (x mod 8) of rows[y mod 8] set: white
  uint32_t At(int x, int y) const { return dithered ? (rows[y & 7] >> (x & 7)) & 1u : solid; }
};
BrushPattern MakeBrushPattern(const BitmapObj& b, COLORREF c);

// A Bresenham walk of n pixels from (x, y), all inside the bitmap: every step moves by
// (majX, majY); when err + bias > 0 it also moves by (minX, minY) and adds add1, else add2.
struct LineWalk {
  int x, y;
  int majX, majY, minX, minY;
  int64_t err, add1, add2, bias;
  int64_t n;
};

// Plots the walk's n pixels into a row-major store of `width` pixels per row, starting at
// `start`; shared by every pixel format, whose pixel type is T.
template <typename T>
void WalkLine(T* start, int width, const LineWalk& w, T v) {
  if (w.n <= 0) return;
  const ptrdiff_t major = static_cast<ptrdiff_t>(w.majY) * width + w.majX;
  const ptrdiff_t minor = static_cast<ptrdiff_t>(w.minY) * width + w.minX;
  T* p = start;
  int64_t err = w.err;
  *p = v;
  for (int64_t i = 1; i < w.n; ++i) {  // steps only between pixels: p never leaves the bitmap
    if (err + w.bias > 0) {
      p += minor;
      err += w.add1;
    } else {
      err += w.add2;
    }
    p += major;
    *p = v;
  }
}

// Per-format primitives; callers have clipped every coordinate to the bitmap.
struct PixelOps {
  uint32_t (*get)(const BitmapObj& b, int x, int y);
  void (*set)(BitmapObj& b, int x, int y, uint32_t px);
  void (*fill)(BitmapObj& b, const RECT& r, uint32_t px);
  // Reads / writes w pixel values of row y from x on (1-bit values are 0 or 1).
  void (*readRow)(const BitmapObj& b, int x, int y, int w, uint32_t* out);
  void (*writeRow)(BitmapObj& b, int x, int y, int w, const uint32_t* in);
  // Copies a w x h block within one format; the rows may overlap (same bitmap).
  void (*copyRect)(BitmapObj& dst, int dx, int dy, const BitmapObj& src, int sx, int sy, int w, int h);
  // Writes px at every non-zero byte of mask (w x h, pitch bytes per row) placed at (x, y).
  void (*mask)(BitmapObj& b, int x, int y, int w, int h, const uint8_t* m, int pitch, uint32_t px);
  void (*line)(BitmapObj& b, const LineWalk& w, uint32_t px);
  uint32_t valueMask;  // bits a pixel value may carry
};
const PixelOps& OpsFor(const BitmapObj& b);

// Raster operations. For the ternary code's truth-table byte, each result bit is
// f(P, S, D) = rop bit (P << 2 | S << 1 | D); per pixel that is dst = (dst & and) ^ xor
// with and/xor selected bitwise by the pattern and source bits.
struct RopMasks {
  uint32_t xor00, xor01, xor10, xor11;  // f(P, S, 0) for (P, S) = 00, 01, 10, 11, as all-ones or 0
  uint32_t and00, and01, and10, and11;  // f(P, S, 0) ^ f(P, S, 1)
};
RopMasks MakeRopMasks(uint8_t rop3);
inline uint32_t ApplyRop(const RopMasks& m, uint32_t p, uint32_t s, uint32_t d) {
  const uint32_t np = ~p, ns = ~s;
  const uint32_t x = (np & ns & m.xor00) | (np & s & m.xor01) | (p & ns & m.xor10) | (p & s & m.xor11);
  const uint32_t a = (np & ns & m.and00) | (np & s & m.and01) | (p & ns & m.and10) | (p & s & m.and11);
  return (d & a) ^ x;
}
constexpr uint8_t Rop3Index(DWORD rop) { return static_cast<uint8_t>((rop >> 16) & 0xFF); }
constexpr bool RopUsesSource(uint8_t r) { return ((r >> 2) & 0x33) != (r & 0x33); }
constexpr bool RopUsesPattern(uint8_t r) { return ((r >> 4) & 0x0F) != (r & 0x0F); }
constexpr bool RopUsesDest(uint8_t r) { return ((r >> 1) & 0x55) != (r & 0x55); }

// Rectangle helpers (exclusive right/bottom).
inline bool IsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
inline RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
         a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  return r;
}
inline RECT BoundsOf(const BitmapObj& b) { return RECT{0, 0, b.width, b.height}; }
// The pixels a drawing on dc may change: its bitmap, cut to the DC's clip region.
inline RECT DrawArea(const DcObj& dc, const BitmapObj& b) {
  return dc.hasClip ? Intersect(BoundsOf(b), dc.clip) : BoundsOf(b);
}

// The 1 x 1 monochrome stock bitmap every new memory DC starts with.
HBITMAP StockBitmap();
// Stock object by index without counting (GetStockObject's table).
HGDIOBJ StockObject(int index);
// Removes an object from the handle table whatever its state (DeleteDC's last step).
void Destroy(const void* handle);
// Marks obj selected into / out of a DC.
void AddSelection(HGDIOBJ obj);
void DropSelection(HGDIOBJ obj);

// Fills the exclusive rectangle r with a brush of colour c (dithered on monochrome).
void FillBrush(DcObj& dc, const RECT& r, COLORREF c);

// The system colours (COLOR_* indices) OleTranslateColor and FillRect share.
bool SysColor(int index, COLORREF* out);

// BitBlt once both DCs are resolved; src may be null when the operation reads no source.
bool Blt(DcObj& dst, int x, int y, int cx, int cy, DcObj* src, int x1, int y1, DWORD rop);
// The same from a given source bitmap, src supplying its colours.
bool BltBitmap(DcObj& dst, int x, int y, int cx, int cy, const DcObj* src, BitmapObj* sb, int x1, int y1,
               DWORD rop);

// Solid pen lines (cosmetic 1-pixel and wide with round ends), in gdi_lines.cpp.
void DrawPenLine(DcObj& dc, BitmapObj& bmp, const PenObj& pen, POINT from, POINT to);

}  // namespace kavrin::gdi

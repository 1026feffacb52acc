#pragma once
// Inside the Linux drawing layer: the handle table, the objects it holds and the few
// primitives the text code shares with the raster code. Nothing above draw/ includes it.
#include <cstdint>
#include <memory>
#include <vector>

#include "draw/win32.h"

namespace kavrin::gdi {

enum class Kind : uint8_t { DC, Pen, Brush, Font, Bitmap, Palette };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
  bool stock = false;
  int selections = 0;  // DCs this object is selected into; DeleteObject refuses while > 0
};

struct PenObj : Object {
  PenObj() : Object(Kind::Pen) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
};

struct BrushObj : Object {
  BrushObj() : Object(Kind::Brush) {}
  bool null = false;
  COLORREF color = 0;
};

// A font as CreateFontA describes it. The text code may hang whatever it realised for
// the font (face, size, glyph cache) on `realized`; it goes with the object.
struct FontObj : Object {
  FontObj() : Object(Kind::Font) {}
  LOGFONTA lf{};
  std::shared_ptr<void> realized;
};

struct PaletteObj : Object {
  PaletteObj() : Object(Kind::Palette) {}
};

// A bitmap of 32 bits per pixel (0x00RRGGBB, rows top-down) or 1 bit per pixel
// (0 = black, 1 = white; one byte per pixel in memory for simplicity of the primitives).
struct BitmapObj : Object {
  BitmapObj() : Object(Kind::Bitmap) {}
  int width = 0;
  int height = 0;
  int bpp = 32;
  std::vector<uint32_t> px32;
  std::vector<uint8_t> px1;
};

struct DcObj : Object {
  DcObj() : Object(Kind::DC) {}
  bool memory = true;  // a memory DC (CreateCompatibleDC) or a screen/display DC
  HBITMAP bitmap = nullptr;
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HPALETTE palette = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  POINT pos{0, 0};
  // The clip region, a rectangle (exclusive right and bottom) when hasClip; without one
  // the whole bitmap is drawn on.
  bool hasClip = false;
  RECT clip{};
};

// Handle table.
HGDIOBJ Insert(std::unique_ptr<Object> obj);
Object* Find(const void* handle);
template <typename T>
T* FindAs(const void* handle, Kind kind) {
  Object* o = Find(handle);
  return (o && o->kind == kind) ? static_cast<T*>(o) : nullptr;
}
inline DcObj* FindDc(HDC hdc) { return FindAs<DcObj>(hdc, Kind::DC); }
inline FontObj* FindFont(const void* h) { return FindAs<FontObj>(h, Kind::Font); }
inline BitmapObj* FindBitmap(const void* h) { return FindAs<BitmapObj>(h, Kind::Bitmap); }

// The bitmap selected into a DC (a 1 x 1 monochrome stock bitmap for a fresh memory DC,
// the screen's pixels for a display DC); null when there is none.
BitmapObj* SurfaceOf(DcObj& dc);

// Paints colour c at every pixel whose mask byte is non-zero, the mask's top-left at
// (x, y), clipped to the DC's bitmap and, if clip is given, to that exclusive rectangle.
void PaintMask(DcObj& dc, int x, int y, int w, int h, const uint8_t* mask, int pitch, COLORREF c,
               const RECT* clip);
// Fills the exclusive rectangle r with colour c, clipped the same way.
void FillSolid(DcObj& dc, const RECT& r, COLORREF c, const RECT* clip);

}  // namespace kavrin::gdi

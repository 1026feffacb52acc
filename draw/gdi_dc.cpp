// Device contexts: memory DCs with their default objects, screen DCs over one shared
// 32-bit screen surface, the clip rectangle, device capabilities and the colour state.
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include <cstring>
#include <memory>

#include "draw/gdi_dib.h"

namespace kavrin::gdi {
namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

// The screen's pixels, allocated when something first draws on a screen DC.
BitmapObj& ScreenSurface() {
  static BitmapObj screen = [] {
    BitmapObj b;
    b.stock = true;
    b.width = kScreenWidth;
    b.height = kScreenHeight;
    b.bpp = 32;
    return b;
  }();
  if (screen.px32.empty()) screen.px32.assign(static_cast<size_t>(kScreenWidth) * kScreenHeight, 0);
  return screen;
}

HDC NewDc(bool memory) {
  auto dc = std::make_unique<DcObj>();
  dc->memory = memory;
  dc->pen = static_cast<HPEN>(StockObject(BLACK_PEN));
  dc->brush = static_cast<HBRUSH>(StockObject(WHITE_BRUSH));
  dc->font = static_cast<HFONT>(StockObject(SYSTEM_FONT));
  dc->palette = static_cast<HPALETTE>(StockObject(DEFAULT_PALETTE));
  dc->bitmap = memory ? StockBitmap() : nullptr;
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(dc->pen), static_cast<HGDIOBJ>(dc->brush),
                    static_cast<HGDIOBJ>(dc->font), static_cast<HGDIOBJ>(dc->palette),
                    static_cast<HGDIOBJ>(dc->bitmap)})
    AddSelection(o);
  return static_cast<HDC>(Insert(std::move(dc)));
}

}  // namespace

BitmapObj* SurfaceOf(DcObj& dc) {
  if (!dc.memory) return &ScreenSurface();
  return FindBitmap(dc.bitmap);
}

}  // namespace kavrin::gdi

using namespace kavrin::gdi;

HDC CreateDCA(LPCSTR driver, LPCSTR /*device*/, LPCSTR /*output*/, const void* /*init*/) {
  if (!driver) return nullptr;
  // Driver names compare without case, as on Windows.
  const char* want = "DISPLAY";
  for (size_t i = 0;; ++i) {
    char c = driver[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != want[i]) return nullptr;
    if (c == '\0') break;
  }
  return NewDc(false);
}

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc && !FindDc(hdc)) return nullptr;
  return NewDc(true);
}

BOOL DeleteDC(HDC hdc) {
  DcObj* dc = FindDc(hdc);
  if (!dc) return FALSE;
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(dc->pen), static_cast<HGDIOBJ>(dc->brush),
                    static_cast<HGDIOBJ>(dc->font), static_cast<HGDIOBJ>(dc->palette),
                    static_cast<HGDIOBJ>(dc->bitmap)})
    DropSelection(o);
  Destroy(hdc);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (hwnd) return nullptr;  // window DCs are not offered; hosts draw on their own surfaces
  return NewDc(false);
}

int ReleaseDC(HWND /*hwnd*/, HDC hdc) {
  DcObj* dc = FindDc(hdc);
  if (!dc || dc->memory) return 0;
  DeleteDC(hdc);
  return 1;
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DcObj* dc = FindDc(hdc);
  if (!dc) return ERROR;
  // The rectangle is taken with its corners in either order, as a rectangular region is.
  RECT r{left < right ? left : right, top < bottom ? top : bottom, left < right ? right : left,
         top < bottom ? bottom : top};
  dc->clip = dc->hasClip ? Intersect(dc->clip, r) : r;
  dc->hasClip = true;
  return IsEmpty(dc->clip) ? NULLREGION : SIMPLEREGION;
}

int SelectClipRgn(HDC hdc, HRGN rgn) {
  DcObj* dc = FindDc(hdc);
  if (!dc || rgn) return ERROR;
  dc->hasClip = false;
  return SIMPLEREGION;
}

int GetDeviceCaps(HDC hdc, int index) {
  if (!FindDc(hdc)) return 0;
  // Every DC, memory DCs included, reports the screen device.
  switch (index) {
    case HORZRES: return kScreenWidth;
    case VERTRES: return kScreenHeight;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
  }
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  DcObj* dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->textColor;
  dc->textColor = color;
  return old;
}

COLORREF GetTextColor(HDC hdc) {
  DcObj* dc = FindDc(hdc);
  return dc ? dc->textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
  DcObj* dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->bkColor;
  dc->bkColor = color;
  return old;
}

COLORREF GetBkColor(HDC hdc) {
  DcObj* dc = FindDc(hdc);
  return dc ? dc->bkColor : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode) {
  DcObj* dc = FindDc(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  const int old = dc->bkMode;
  dc->bkMode = mode;
  return old;
}

int GetBkMode(HDC hdc) {
  DcObj* dc = FindDc(hdc);
  return dc ? dc->bkMode : 0;
}

#endif  // _WIN32

// Palettes on a true-colour surface: objects that can be made, selected and realised,
// with no effect on pixels. OleTranslateColor and the system colours live here too.
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include <memory>

#include "draw/gdi_dib.h"

namespace kavrin::gdi {

bool SysColor(int index, COLORREF* out) {
  // Fixed values of the classic Windows scheme, so that system colours render the same
  // on every machine.
  static const COLORREF kColors[] = {
      RGB(212, 208, 200),  // 0 COLOR_SCROLLBAR
      RGB(58, 110, 165),   // 1 COLOR_BACKGROUND
      RGB(10, 36, 106),    // 2 COLOR_ACTIVECAPTION
      RGB(128, 128, 128),  // 3 COLOR_INACTIVECAPTION
      RGB(212, 208, 200),  // 4 COLOR_MENU
      RGB(255, 255, 255),  // 5 COLOR_WINDOW
      RGB(0, 0, 0),        // 6 COLOR_WINDOWFRAME
      RGB(0, 0, 0),        // 7 COLOR_MENUTEXT
      RGB(0, 0, 0),        // 8 COLOR_WINDOWTEXT
      RGB(255, 255, 255),  // 9 COLOR_CAPTIONTEXT
      RGB(212, 208, 200),  // 10 COLOR_ACTIVEBORDER
      RGB(212, 208, 200),  // 11 COLOR_INACTIVEBORDER
      RGB(128, 128, 128),  // 12 COLOR_APPWORKSPACE
      RGB(10, 36, 106),    // 13 COLOR_HIGHLIGHT
      RGB(255, 255, 255),  // 14 COLOR_HIGHLIGHTTEXT
      RGB(212, 208, 200),  // 15 COLOR_BTNFACE
      RGB(128, 128, 128),  // 16 COLOR_BTNSHADOW
      RGB(128, 128, 128),  // 17 COLOR_GRAYTEXT
      RGB(0, 0, 0),        // 18 COLOR_BTNTEXT
      RGB(212, 208, 200),  // 19 COLOR_INACTIVECAPTIONTEXT
      RGB(255, 255, 255),  // 20 COLOR_BTNHIGHLIGHT
      RGB(64, 64, 64),     // 21 COLOR_3DDKSHADOW
      RGB(212, 208, 200),  // 22 COLOR_3DLIGHT
      RGB(0, 0, 0),        // 23 COLOR_INFOTEXT
      RGB(255, 255, 225),  // 24 COLOR_INFOBK
      RGB(181, 181, 181),  // 25 (unnamed)
      RGB(0, 0, 128),      // 26 COLOR_HOTLIGHT
      RGB(166, 202, 240),  // 27 COLOR_GRADIENTACTIVECAPTION
      RGB(192, 192, 192),  // 28 COLOR_GRADIENTINACTIVECAPTION
      RGB(49, 106, 197),   // 29 COLOR_MENUHILIGHT
      RGB(236, 233, 216),  // 30 COLOR_MENUBAR
  };
  if (index < 0 || index >= static_cast<int>(sizeof kColors / sizeof kColors[0])) return false;
  *out = kColors[index];
  return true;
}

}  // namespace kavrin::gdi

using namespace kavrin::gdi;

HPALETTE CreateHalftonePalette(HDC hdc) {
  if (hdc && !FindDc(hdc)) return nullptr;
  return static_cast<HPALETTE>(Insert(std::make_unique<PaletteObj>()));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE pal, BOOL /*forceBackground*/) {
  DcObj* dc = FindDc(hdc);
  if (!dc || !FindAs<PaletteObj>(pal, Kind::Palette)) return nullptr;
  HPALETTE old = dc->palette;
  if (old == pal) return old;
  DropSelection(old);
  AddSelection(pal);
  dc->palette = pal;
  return old;
}

UINT RealizePalette(HDC hdc) {
  // A true-colour device maps no entries.
  return FindDc(hdc) ? 0 : static_cast<UINT>(-1);
}

HRESULT OleTranslateColor(OLE_COLOR color, HPALETTE pal, COLORREF* out) {
  if (pal && !FindAs<PaletteObj>(pal, Kind::Palette)) return E_INVALIDARG;
  COLORREF c = 0;
  switch (color >> 24) {
    case 0x00:  // plain RGB
    case 0x02:  // palette-relative RGB: the RGB itself on a true-colour device
      c = color;
      break;
    case 0x01:  // palette index: only the low word names an entry
      if (color & 0x00FF0000u) return E_INVALIDARG;
      c = color;
      break;
    case 0x80:  // system colour
      if (color & 0x00FFFF00u) return E_INVALIDARG;
      if (!SysColor(static_cast<int>(color & 0xFF), &c)) return E_INVALIDARG;
      break;
    default:
      return E_INVALIDARG;
  }
  if (out) *out = c;
  return S_OK;
}

#endif  // _WIN32

#include "draw/pcmemdc.h"

#include "common/vb_error.h"
#include "draw/win32.h"

namespace kavrin {

namespace {
HDC AsDc(Long h) { return static_cast<HDC>(LongToHandle(h)); }
constexpr Long kKeyColor = 0xFF00FF;  // magenta, RGB(255, 0, 255)
}  // namespace

pcMemDC::~pcMemDC() { FreeSurface(); }

void pcMemDC::Width(Long v) {
  if (v > width_) {
    width_ = v;
    CreateSurface(v, height_);
  }
}

void pcMemDC::Height(Long v) {
  if (v > height_) {
    height_ = v;
    CreateSurface(width_, v);
  }
}

void pcMemDC::CreateSurface(Long cx, Long cy) {
  FreeSurface();
  HDC screen = CreateDCA("DISPLAY", "", "", nullptr);
  if (!screen) return;
  // The first handle that comes back 0 ends the chain.
  surface_ = HandleToLong(CreateCompatibleDC(screen));
  if (surface_) bitmap_ = HandleToLong(CreateCompatibleBitmap(screen, cx, cy));
  if (bitmap_) displaced_ = HandleToLong(SelectObject(AsDc(surface_), LongToHandle(bitmap_)));
  if (surface_ && bitmap_ && displaced_) {
    width_ = cx;
    height_ = cy;
    DeleteDC(screen);
    return;
  }
  DeleteDC(screen);
  FreeSurface();
}

void pcMemDC::FreeSurface() {
  if (displaced_) {
    SelectObject(AsDc(surface_), LongToHandle(displaced_));
    displaced_ = 0;
  }
  if (bitmap_) {
    DeleteObject(LongToHandle(bitmap_));
    bitmap_ = 0;
  }
  if (surface_) {
    DeleteDC(AsDc(surface_));
    surface_ = 0;
  }
  width_ = 0;
  height_ = 0;
}

void pcMemDC::CreateFromPicture(const StdPicture& sPic) {
  BITMAP bm{};
  HBITMAP pic = sPic.Handle();
  // No bitmap behind the picture: a 0 x 0 size, nothing grows and nothing is copied.
  if (!pic || GetObjectType(pic) != OBJ_BITMAP || GetObjectA(pic, sizeof bm, &bm) != static_cast<int>(sizeof bm))
    return;
  Width(bm.bmWidth);
  Height(bm.bmHeight);
  HDC screen = CreateDCA("DISPLAY", "", "", nullptr);
  HDC temp = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(temp, pic);
  // A bitmap held by another surface cannot be selected here; then there is nothing to copy.
  if (old) {
    BitBlt(AsDc(surface_), 0, 0, bm.bmWidth, bm.bmHeight, temp, 0, 0, SRCCOPY);
    SelectObject(temp, old);
  }
  DeleteDC(temp);
  DeleteDC(screen);
}

void pcMemDC::Draw(Long hdc, Long xSrc, Long ySrc, Long WidthSrc, Long HeightSrc, Long xDst, Long yDst,
                   Boolean UseMask) {
  if (WidthSrc < 1) WidthSrc = width_;
  if (HeightSrc < 1) HeightSrc = height_;
  if (UseMask)
    DrawMasked(hdc, xDst, yDst, WidthSrc, HeightSrc, surface_, xSrc, ySrc, kKeyColor, 0);
  else
    BitBlt(AsDc(hdc), xDst, yDst, WidthSrc, HeightSrc, AsDc(surface_), xSrc, ySrc, SRCCOPY);
}

void pcMemDC::StretchDraw(Long hdc, Long xDst, Long yDst, Long WidthDst, Long HeightDst, Long xSrc, Long ySrc,
                          Long WidthSrc, Long HeightSrc, Boolean UseMask, Long lVbSrcCopy) {
  if (WidthSrc < 1) WidthSrc = width_;
  if (HeightSrc < 1) HeightSrc = height_;
  if (!UseMask) {
    StretchBlt(AsDc(hdc), xDst, yDst, WidthDst, HeightDst, AsDc(surface_), xSrc, ySrc, WidthSrc, HeightSrc,
               static_cast<DWORD>(lVbSrcCopy));
    return;
  }
  // Keyed copies do not scale: whole tiles across, then the remainder (even when 0 wide).
  const Integer n = ToInteger(DivL(WidthDst, WidthSrc));
  for (Integer i = 1; i <= n; ++i)
    DrawMasked(hdc, AddL(xDst, MulL(i - 1, WidthSrc)), yDst, WidthSrc, HeightDst, surface_, xSrc, ySrc, kKeyColor,
               0);
  const Integer r = ToInteger(SubL(WidthDst, MulL(n, WidthSrc)));
  DrawMasked(hdc, AddL(xDst, MulL(n, WidthSrc)), yDst, r, HeightDst, surface_, xSrc, ySrc, kKeyColor, 0);
}

// Keyed copy through a monochrome mask: the destination keeps its pixel where the source
// shows the key colour and takes the source pixel everywhere else; it is written once.
void pcMemDC::DrawMasked(Long hdcDst, Long x, Long y, Long w, Long h, Long hdcSrc, Long xs, Long ys, Long key,
                         Long palette) {
  HDC dst = AsDc(hdcDst);
  HDC src = AsDc(hdcSrc);
  // Without a source surface there is nothing to copy (the empty colour copy would be black).
  if (GetObjectType(src) == 0) return;

  // 1-2. Screen, palette and the key in the screen's terms.
  HDC screen = GetDC(nullptr);
  HPALETTE pal = static_cast<HPALETTE>(LongToHandle(palette));
  const bool ownPalette = pal == nullptr;
  if (ownPalette) pal = CreateHalftonePalette(screen);
  COLORREF keyRGB = 0;
  OleTranslateColor(static_cast<OLE_COLOR>(key), pal, &keyRGB);
  keyRGB &= 0xFFFFFF;

  // 3. Work surface holding the destination's pixels.
  HBITMAP workBmp = CreateCompatibleBitmap(screen, w, h);
  HDC work = CreateCompatibleDC(screen);
  HGDIOBJ workOld = SelectObject(work, workBmp);
  HPALETTE workOldPal = SelectPalette(work, pal, TRUE);
  RealizePalette(work);

  // 4. Colour surface holding the source's pixels; the monochrome mask bitmap.
  HBITMAP colourBmp = CreateCompatibleBitmap(screen, w, h);
  HDC colour = CreateCompatibleDC(screen);
  HBITMAP monoBmp = CreateBitmap(w, h, 1, 1, nullptr);
  HGDIOBJ colourOld = SelectObject(colour, colourBmp);
  HPALETTE colourOldPal = SelectPalette(colour, pal, TRUE);
  RealizePalette(colour);
  SetBkColor(colour, GetBkColor(src));
  SetTextColor(colour, GetTextColor(src));

  HDC mask = CreateCompatibleDC(screen);
  HGDIOBJ maskOld = SelectObject(mask, monoBmp);

  // A bitmap that could not be made would turn the copies below into garbage: skip them.
  if (workBmp && colourBmp && monoBmp) {
    BitBlt(work, 0, 0, w, h, dst, x, y, SRCCOPY);
    BitBlt(colour, 0, 0, w, h, src, xs, ys, SRCCOPY);
    // 5. Key-coloured pixels become 1 (white) in the mask, all others 0.
    SetBkColor(colour, keyRGB);
    SetTextColor(colour, 0xFFFFFF);
    BitBlt(mask, 0, 0, w, h, colour, 0, 0, SRCCOPY);
    // 6. Key-coloured pixels of the copy become black (destination AND NOT mask).
    SetTextColor(colour, 0);
    SetBkColor(colour, 0xFFFFFF);
    BitBlt(colour, 0, 0, w, h, mask, 0, 0, 0x220326);
    // 7-9. Black out the opaque part of the background, OR the picture in, copy back.
    BitBlt(work, 0, 0, w, h, mask, 0, 0, SRCAND);
    BitBlt(work, 0, 0, w, h, colour, 0, 0, SRCPAINT);
    BitBlt(dst, x, y, w, h, work, 0, 0, SRCCOPY);
  }

  // 10. Clean-up: colour, work and mask surfaces, the screen, an own palette.
  SelectObject(colour, colourOld);
  DeleteObject(colourBmp);
  SelectPalette(colour, colourOldPal, TRUE);
  RealizePalette(colour);
  DeleteDC(colour);
  SelectObject(work, workOld);
  DeleteObject(workBmp);
  SelectPalette(work, workOldPal, FALSE);
  RealizePalette(work);
  DeleteDC(work);
  SelectObject(mask, maskOld);
  DeleteObject(monoBmp);
  DeleteDC(mask);
  ReleaseDC(nullptr, screen);
  if (ownPalette) DeleteObject(pal);
}

}  // namespace kavrin

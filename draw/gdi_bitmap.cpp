// Bitmaps: creation in the screen's format or 1 bit per pixel, single pixels, DIB
// transfers (32-bit BI_RGB, either row order) and the read view for hosts.
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include <cstring>
#include <memory>
#include <new>

#include "draw/gdi_dib.h"
#include "draw/gdi_host.h"

namespace kavrin::gdi {
namespace {

HBITMAP NewBitmap(int width, int height, int bpp) {
  if (width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return StockBitmap();
  if (static_cast<int64_t>(width) * height > kMaxBitmapPixels) return nullptr;
  try {
    auto b = std::make_unique<BitmapObj>();
    b->width = width;
    b->height = height;
    b->bpp = bpp;
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (bpp == 1)
      b->px1.assign(n, 0);
    else
      b->px32.assign(n, 0);
    return static_cast<HBITMAP>(Insert(std::move(b)));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// A DIB header this layer reads and writes: 32 bits per pixel, uncompressed.
bool IsDib32(const BITMAPINFO* info) {
  return info && info->bmiHeader.biBitCount == 32 && info->bmiHeader.biCompression == BI_RGB &&
         info->bmiHeader.biWidth > 0 && info->bmiHeader.biHeight != 0 && info->bmiHeader.biPlanes == 1;
}

// The bitmap row of DIB scan line s (scan lines count from the bottom of a bottom-up DIB).
int RowOfScan(const BITMAPINFOHEADER& h, int s) {
  return h.biHeight > 0 ? h.biHeight - 1 - s : s;
}

}  // namespace

bool ViewBitmap(HBITMAP bmp, PixelView* view) {
  BitmapObj* b = FindBitmap(bmp);
  if (!b || b->bpp != 32 || !view) return false;
  view->width = b->width;
  view->height = b->height;
  view->stride = b->width;
  view->pixels = b->px32.data();
  return true;
}

}  // namespace kavrin::gdi

using namespace kavrin::gdi;

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  DcObj* dc = FindDc(hdc);
  if (!dc) return nullptr;
  // A memory DC that holds a monochrome bitmap makes monochrome bitmaps, as on Windows.
  const BitmapObj* cur = dc->memory ? FindBitmap(dc->bitmap) : nullptr;
  const int bpp = (cur && cur->bpp == 1) ? 1 : 32;
  return NewBitmap(cx, cy, bpp);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
  if (planes != 1 || (bitCount != 1 && bitCount != 32)) return nullptr;
  HBITMAP h = NewBitmap(width, height, static_cast<int>(bitCount));
  BitmapObj* b = FindBitmap(h);
  if (!b || !bits || b->stock) return h;
  // Rows of the initial bits are padded to 16 bits, top-down.
  const size_t pitch = ((static_cast<size_t>(width) * bitCount + 15) / 16) * 2;
  const auto* src = static_cast<const uint8_t*>(bits);
  for (int y = 0; y < height; ++y, src += pitch) {
    if (bitCount == 32) {
      std::memcpy(b->px32.data() + static_cast<size_t>(y) * width, src, static_cast<size_t>(width) * 4);
      for (int x = 0; x < width; ++x) b->px32[static_cast<size_t>(y) * width + x] &= 0x00FFFFFFu;
    } else {
      for (int x = 0; x < width; ++x)
        b->px1[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>((src[x >> 3] >> (7 - (x & 7))) & 1);
    }
  }
  return h;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  DcObj* dc = FindDc(hdc);
  BitmapObj* b = dc ? SurfaceOf(*dc) : nullptr;
  if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height) return CLR_INVALID;
  const uint32_t px = OpsFor(*b).get(*b, x, y);
  if (b->bpp == 1) return px ? 0xFFFFFF : 0;
  return Pixel32ToColor(px);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  DcObj* dc = FindDc(hdc);
  BitmapObj* b = dc ? SurfaceOf(*dc) : nullptr;
  if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height) return CLR_INVALID;
  // SetPixel takes the nearest colour the surface has and returns it, also where the clip
  // region keeps the pixel from changing.
  const RECT area = DrawArea(*dc, *b);
  const bool draw = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
  if (b->bpp == 1) {
    const uint32_t px = NearestMono(PlainColor(color));
    if (draw) OpsFor(*b).set(*b, x, y, px);
    return px ? 0xFFFFFF : 0;
  }
  if (draw) OpsFor(*b).set(*b, x, y, ColorToPixel32(PlainColor(color)));
  return PlainColor(color);
}

int GetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info, UINT usage) {
  BitmapObj* b = FindBitmap(bmp);
  if (!FindDc(hdc) || !b || !info || usage != DIB_RGB_COLORS) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (!bits) {
    // Describe the bitmap when asked for the format only.
    if (h.biBitCount == 0) {
      h.biWidth = b->width;
      h.biHeight = b->height;
      h.biPlanes = 1;
      h.biBitCount = static_cast<WORD>(b->bpp);
      h.biCompression = BI_RGB;
      h.biSizeImage = static_cast<DWORD>(((b->width * b->bpp + 31) / 32) * 4 * b->height);
      return 1;
    }
    return IsDib32(info) ? 1 : 0;
  }
  if (!IsDib32(info)) return 0;
  const int dibHeight = h.biHeight > 0 ? h.biHeight : -h.biHeight;
  const int w = h.biWidth < b->width ? h.biWidth : b->width;
  auto* out = static_cast<uint32_t*>(bits);
  int copied = 0;
  for (UINT i = 0; i < lines; ++i) {
    const int64_t s = static_cast<int64_t>(start) + i;
    if (s >= dibHeight) break;
    const int y = RowOfScan(h, static_cast<int>(s));
    uint32_t* row = out + static_cast<size_t>(i) * h.biWidth;
    if (y < 0 || y >= b->height) continue;
    if (b->bpp == 32) {
      std::memcpy(row, b->px32.data() + static_cast<size_t>(y) * b->width, static_cast<size_t>(w) * 4);
    } else {
      for (int x = 0; x < w; ++x) row[x] = b->px1[static_cast<size_t>(y) * b->width + x] ? 0xFFFFFFu : 0u;
    }
    ++copied;
  }
  return copied;
}

int SetDIBits(HDC /*hdc*/, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage) {
  BitmapObj* b = FindBitmap(bmp);
  if (!b || b->stock || !bits || !IsDib32(info) || usage != DIB_RGB_COLORS) return 0;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const int dibHeight = h.biHeight > 0 ? h.biHeight : -h.biHeight;
  const int w = h.biWidth < b->width ? h.biWidth : b->width;
  const auto* in = static_cast<const uint32_t*>(bits);
  int copied = 0;
  for (UINT i = 0; i < lines; ++i) {
    const int64_t s = static_cast<int64_t>(start) + i;
    if (s >= dibHeight) break;
    const int y = RowOfScan(h, static_cast<int>(s));
    const uint32_t* row = in + static_cast<size_t>(i) * h.biWidth;
    if (y < 0 || y >= b->height) continue;
    for (int x = 0; x < w; ++x) {
      const uint32_t px = row[x] & 0x00FFFFFFu;
      if (b->bpp == 32)
        b->px32[static_cast<size_t>(y) * b->width + x] = px;
      else
        b->px1[static_cast<size_t>(y) * b->width + x] =
            static_cast<uint8_t>(NearestMono(Pixel32ToColor(px)));
    }
    ++copied;
  }
  return copied;
}

#endif  // _WIN32

#pragma once
// The persistent drawing surface of one sited control: a memory DC with a 32-bit bitmap of
// the control's size. What is drawn into it stays until it is cleared; the window of the
// control shows it. Text is drawn transparent and the default pen is black, 1 pixel.
//
// Call order: Surface(w, h, back) -> draw through Dc() / Clear() / SetBackColor()
//   -> Resize(w, h) any number of times -> destructor (releases the DC and the bitmap).
#include "draw/gdi_host.h"
#include "draw/win32.h"

namespace kavrin::host {

// Largest control side accepted, in pixels (bounds what loading or resizing allocates).
constexpr int kMaxControlSide = 16384;
// Largest surface in pixels: the largest bitmap the drawing layer makes (8192 x 8192).
constexpr int64_t kMaxControlPixels = int64_t{8192} * 8192;
#ifndef _WIN32
static_assert(kMaxControlPixels <= gdi::kMaxBitmapPixels);
#endif

class Surface {
 public:
  // Raises 380 for a side outside 1 .. kMaxControlSide or more than kMaxControlPixels.
  Surface(int width, int height, COLORREF back);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  HDC Dc() const { return dc_; }
  HBITMAP Bitmap() const { return bitmap_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF BackColor() const { return back_; }

  // Fills the whole surface with the background colour.
  void Clear();
  // Takes a new background colour (already translated to RGB) and clears to it.
  void SetBackColor(COLORREF back);
  // A new bitmap of the new size replaces the old one (which is deleted); the new surface
  // is cleared. Raises 380 for a size Surface() refuses.
  void Resize(int width, int height);
  // The pixels as they are now; valid until the next Resize.
  gdi::PixelView View() const;

  static void CheckSize(int width, int height);

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ displaced_ = nullptr;  // the DC's own bitmap, selected back before deleting it
  int width_ = 0;
  int height_ = 0;
  COLORREF back_ = 0;
};

}  // namespace kavrin::host

#pragma once
// What the Linux drawing layer offers beyond the Win32 subset: counts of live objects
// (leak tests), windows that hosts register so that InvalidateRect reaches them, and a
// read view of a bitmap's pixels (window backends, picture saving, tests).
#ifndef _WIN32
#include <cstdint>

#include "draw/win32.h"

namespace kavrin::gdi {

// Largest bitmap the layer makes, in pixels (8192 x 8192): bounds what one bitmap costs.
inline constexpr int64_t kMaxBitmapPixels = int64_t{1} << 26;

struct LiveObjects {
  int dcs = 0;
  int pens = 0;
  int brushes = 0;
  int fonts = 0;
  int bitmaps = 0;
  int palettes = 0;
  int Total() const { return dcs + pens + brushes + fonts + bitmaps + palettes; }
  bool operator==(const LiveObjects&) const = default;
};

// Objects created and not yet deleted; stock objects are not counted.
LiveObjects CountLiveObjects();

// Receives the invalidations of one window handle.
class WindowSink {
 public:
  virtual ~WindowSink() = default;
  // rc is null for the whole client area.
  virtual void Invalidate(const RECT* rc, bool erase) = 0;
};

// Makes a window handle whose InvalidateRect calls reach the sink; the sink must outlive
// the registration.
HWND RegisterWindow(WindowSink* sink);
void UnregisterWindow(HWND hwnd);

// Pixels of a 32-bit bitmap, rows top-down, each pixel 0x00RRGGBB (the DIB order).
struct PixelView {
  int width = 0;
  int height = 0;
  int stride = 0;  // in pixels
  const uint32_t* pixels = nullptr;
};
// False for a handle that is not a 32-bit bitmap.
bool ViewBitmap(HBITMAP bmp, PixelView* view);

}  // namespace kavrin::gdi
#endif

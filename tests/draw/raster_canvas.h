#pragma once
// A memory DC with its own bitmap for raster tests: made on construction, released on
// destruction, so every test leaves the object counts as it found them.

#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "draw/gdi_host.h"
#include "draw/win32.h"

namespace kavrin::test {

class Canvas {
 public:
  // A surface of the screen's format (mono = false) or 1 bit per pixel, cleared to fill.
  Canvas(int w, int h, bool mono = false, COLORREF fill = RGB(255, 255, 255)) : w_(w), h_(h) {
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    dc_ = CreateCompatibleDC(screen);
    bmp_ = mono ? CreateBitmap(w, h, 1, 1, nullptr) : CreateCompatibleBitmap(screen, w, h);
    DeleteDC(screen);
    old_ = SelectObject(dc_, bmp_);
    Clear(fill);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bmp_; }
  int width() const { return w_; }
  int height() const { return h_; }

  void Clear(COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    RECT r{0, 0, w_, h_};
    FillRect(dc_, &r, b);
    DeleteObject(b);
  }
  // Pixels that differ from bg, as (x, y) pairs relative to the origin (ox, oy).
  std::set<std::pair<int, int>> Marked(COLORREF bg, int ox = 0, int oy = 0) const {
    std::set<std::pair<int, int>> out;
    gdi::PixelView v;
    if (gdi::ViewBitmap(bmp_, &v)) {
      const uint32_t key = ((bg & 0xFF) << 16) | (bg & 0xFF00) | ((bg >> 16) & 0xFF);
      for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x)
          if (v.pixels[static_cast<size_t>(y) * v.stride + x] != key) out.insert({x - ox, y - oy});
      return out;
    }
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (GetPixel(dc_, x, y) != bg) out.insert({x - ox, y - oy});
    return out;
  }
  void Line(int x0, int y0, int x1, int y1) {
    MoveToEx(dc_, x0, y0, nullptr);
    LineTo(dc_, x1, y1);
  }

 private:
  int w_, h_;
  HDC dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// A pen selected for the lifetime of the object.
class PenScope {
 public:
  PenScope(HDC dc, int width, COLORREF c) : dc_(dc), pen_(CreatePen(PS_SOLID, width, c)) {
    old_ = SelectObject(dc_, pen_);
  }
  ~PenScope() {
    SelectObject(dc_, old_);
    DeleteObject(pen_);
  }
  PenScope(const PenScope&) = delete;
  PenScope& operator=(const PenScope&) = delete;

 private:
  HDC dc_;
  HPEN pen_;
  HGDIOBJ old_;
};

// Parses "x,y x,y ..." into a pixel set.
inline std::set<std::pair<int, int>> Pixels(const std::string& text) {
  std::set<std::pair<int, int>> out;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    if (i >= text.size()) break;
    size_t used = 0;
    const int x = std::stoi(text.substr(i), &used);
    i += used + 1;  // the comma
    const int y = std::stoi(text.substr(i), &used);
    i += used;
    out.insert({x, y});
  }
  return out;
}

}  // namespace kavrin::test

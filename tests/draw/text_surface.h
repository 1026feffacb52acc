#pragma once
// A white 32-bit surface for text tests, with the font under test selected, and the ink
// box of what was drawn in a given colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <ostream>
#include <string>

#include "draw/gdi_host.h"
#include "draw/win32.h"

namespace kavrin::test {

struct Box {
  int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;  // inclusive; empty when right < left
  int count = 0;
  bool Empty() const { return count == 0; }
};

inline std::ostream& operator<<(std::ostream& os, const Box& b) {
  return os << "(" << b.left << "," << b.top << ")-(" << b.right << "," << b.bottom << ") n=" << b.count;
}

class TextSurface {
 public:
  TextSurface(int w = 400, int h = 300) : w_(w), h_(h) {
    screen_ = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    dc_ = CreateCompatibleDC(screen_);
    bmp_ = CreateCompatibleBitmap(screen_, w, h);
    oldBmp_ = SelectObject(dc_, bmp_);
    Clear();
  }
  ~TextSurface() {
    Deselect();
    SelectObject(dc_, oldBmp_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
    DeleteDC(screen_);
  }
  TextSurface(const TextSurface&) = delete;
  TextSurface& operator=(const TextSurface&) = delete;

  HDC dc() const { return dc_; }

  void Clear(COLORREF c = RGB(255, 255, 255)) {
    RECT r{0, 0, w_, h_};
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc_, &r, b);
    DeleteObject(b);
  }

  // Creates and selects a font; the previous one is deleted.
  void Font(const char* face, int height, int escapement = 0, int weight = FW_NORMAL, bool italic = false,
            bool underline = false, bool strike = false) {
    Deselect();
    font_ = CreateFontA(height, 0, escapement, 0, weight, italic, underline, strike, DEFAULT_CHARSET, 0, 0,
                        PROOF_QUALITY, 0, face);
    oldFont_ = SelectObject(dc_, font_);
  }

  TEXTMETRICA Metrics() const {
    TEXTMETRICA tm{};
    EXPECT_TRUE(GetTextMetricsA(dc_, &tm));
    return tm;
  }

  int Width(const std::string& s) const {
    SIZE sz{};
    EXPECT_TRUE(GetTextExtentPoint32A(dc_, s.data(), static_cast<int>(s.size()), &sz));
    return sz.cx;
  }

  // Pixels of exactly colour c.
  Box Ink(COLORREF c = RGB(0, 0, 0)) const {
    Box b;
    gdi::PixelView v;
    if (!gdi::ViewBitmap(bmp_, &v)) return b;
    const uint32_t want = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    for (int y = 0; y < v.height; ++y) {
      for (int x = 0; x < v.width; ++x) {
        if ((v.pixels[static_cast<size_t>(y) * v.stride + x] & 0xFFFFFF) != want) continue;
        ++b.count;
        b.left = std::min(b.left, x), b.right = std::max(b.right, x);
        b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
      }
    }
    return b;
  }

  // Pixels that are neither white nor colour c.
  int Others(COLORREF c) const {
    gdi::PixelView v;
    if (!gdi::ViewBitmap(bmp_, &v)) return -1;
    const uint32_t want = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    int n = 0;
    for (int y = 0; y < v.height; ++y)
      for (int x = 0; x < v.width; ++x) {
        const uint32_t p = v.pixels[static_cast<size_t>(y) * v.stride + x] & 0xFFFFFF;
        n += (p != want && p != 0xFFFFFF) ? 1 : 0;
      }
    return n;
  }

 private:
  void Deselect() {
    if (!font_) return;
    SelectObject(dc_, oldFont_);
    DeleteObject(font_);
    font_ = nullptr;
  }

  int w_, h_;
  HDC screen_ = nullptr, dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HGDIOBJ oldBmp_ = nullptr, oldFont_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace kavrin::test

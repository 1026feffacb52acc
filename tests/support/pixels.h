#pragma once
// Pixel helpers for tests: read a surface, compare two, write PNGs of a surface and of
// the differences so that a failing pixel test shows where it differs.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "draw/win32.h"

namespace kavrin::test {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> px;  // COLORREF values, rows top-down
  COLORREF at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

// Reads the w x h pixels of a DC from (0, 0) with GetPixel.
Image Capture(HDC hdc, int w, int h);
void WritePng(const Image& img, const std::string& path);
std::optional<Image> ReadPng(const std::string& path);

struct Difference {
  int count = 0;
  int firstX = -1;
  int firstY = -1;
  COLORREF expected = 0;
  COLORREF actual = 0;
  std::string Describe() const;
};
// Compares pixel by pixel; when they differ and diffPath is given, writes a PNG that
// shows equal pixels dimmed and differing ones in magenta.
Difference Compare(const Image& expected, const Image& actual, const std::string& diffPath = "");

// Where tests may write files (diff images, logs): a folder under the build tree.
std::string OutputDir();

}  // namespace kavrin::test

#include "tests/support/pixels.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>

namespace kavrin::test {

Image Capture(HDC hdc, int w, int h) {
  Image img;
  img.width = w;
  img.height = h;
  img.px.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.px[static_cast<size_t>(y) * w + x] = GetPixel(hdc, x, y);
  return img;
}

void WritePng(const Image& img, const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!f) return;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return;
  }
  png_init_io(png, f.get());
  png_set_IHDR(png, info, img.width, img.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(static_cast<size_t>(img.width) * 3);
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      const COLORREF c = img.at(x, y);
      row[x * 3] = GetRValue(c);
      row[x * 3 + 1] = GetGValue(c);
      row[x * 3 + 2] = GetBValue(c);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
}

std::optional<Image> ReadPng(const std::string& path) {
  png_image pi{};
  pi.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&pi, path.c_str())) return std::nullopt;
  pi.format = PNG_FORMAT_RGB;
  std::vector<png_byte> buf(PNG_IMAGE_SIZE(pi));
  if (!png_image_finish_read(&pi, nullptr, buf.data(), 0, nullptr)) return std::nullopt;
  Image img;
  img.width = static_cast<int>(pi.width);
  img.height = static_cast<int>(pi.height);
  img.px.resize(static_cast<size_t>(img.width) * img.height);
  for (size_t i = 0; i < img.px.size(); ++i)
    img.px[i] = RGB(buf[i * 3], buf[i * 3 + 1], buf[i * 3 + 2]);
  return img;
}

std::string Difference::Describe() const {
  if (count == 0) return "no differing pixel";
  std::ostringstream s;
  s << count << " differing pixel(s); first at (" << firstX << ", " << firstY << "): expected 0x"
    << std::hex << expected << ", got 0x" << actual;
  return s.str();
}

Difference Compare(const Image& expected, const Image& actual, const std::string& diffPath) {
  Difference d;
  if (expected.width != actual.width || expected.height != actual.height) {
    d.count = -1;
    return d;
  }
  Image diff = expected;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const COLORREF e = expected.at(x, y), a = actual.at(x, y);
      const size_t i = static_cast<size_t>(y) * expected.width + x;
      if (e != a) {
        if (d.count++ == 0) {
          d.firstX = x;
          d.firstY = y;
          d.expected = e;
          d.actual = a;
        }
        diff.px[i] = RGB(255, 0, 255);
      } else {
        diff.px[i] = RGB(GetRValue(e) / 4, GetGValue(e) / 4, GetBValue(e) / 4);
      }
    }
  }
  if (d.count > 0 && !diffPath.empty()) WritePng(diff, diffPath);
  return d;
}

std::string OutputDir() {
  const std::string dir = std::filesystem::temp_directory_path().string() + "/kavrin-test-output";
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace kavrin::test

// Draws the About picture (241 x 135) with the drawing layer and writes it as a JPEG:
//   make_about_picture about/about.jpg
// The result is committed as about/about.jpg and compiled into the About box; this
// program is run by hand only when the picture changes.
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>  // needs size_t and FILE declared first

#include "draw/gdi_host.h"
#include "draw/win32.h"

namespace {

constexpr int kWidth = 241;
constexpr int kHeight = 135;

constexpr COLORREF kPaper = RGB(250, 250, 252);
constexpr COLORREF kBanner = RGB(22, 44, 92);
constexpr COLORREF kAccent = RGB(255, 164, 0);
constexpr COLORREF kInk = RGB(40, 40, 48);
constexpr COLORREF kSoftInk = RGB(90, 96, 110);
constexpr COLORREF kPlot = RGB(0, 0, 0);
constexpr COLORREF kGrid = RGB(0, 128, 0);
constexpr COLORREF kFrame = RGB(128, 128, 128);
constexpr COLORREF kLine1 = RGB(255, 80, 64);
constexpr COLORREF kLine2 = RGB(64, 200, 255);

void Fill(HDC dc, int l, int t, int r, int b, COLORREF c) {
  HBRUSH brush = CreateSolidBrush(c);
  const RECT rc{l, t, r, b};
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF c, int width = 1) {
  HPEN pen = CreatePen(PS_SOLID, width, c);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// Text in a font made for the call; height in pixels (character height, as a negative
// CreateFontA height asks for).
void Text(HDC dc, int x, int y, const std::string& s, const char* face, int height, int weight, COLORREF c,
          UINT align = DT_LEFT, int right = kWidth) {
  HFONT font = CreateFontA(-height, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face);
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, c);
  RECT rc{x, y, right, y + height * 2};
  DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &rc, align | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  SelectObject(dc, old);
  DeleteObject(font);
}

void DrawBanner(HDC dc) {
  Fill(dc, 0, 0, kWidth, 32, kBanner);
  Fill(dc, 0, 32, kWidth, 34, kAccent);
  Text(dc, 0, 5, "KavrinLineChart", "Arial", 20, FW_BOLD, RGB(255, 255, 255), DT_CENTER);
}

// A sample chart: black plot, green grid, two lines of made-up measurements.
void DrawSampleChart(HDC dc) {
  const int l = 8, t = 42, r = 134, b = 100;
  Fill(dc, l - 1, t - 1, r + 1, b + 1, kFrame);
  Fill(dc, l, t, r, b, kPlot);
  for (int y = t + 9; y < b; y += 12) Line(dc, l, y, r, y, kGrid);
  for (int x = l + 14; x < r; x += 18) Line(dc, x, t, x, b, kGrid);
  const auto series = [&](double phase, double amp, double mid, COLORREF c) {
    int px = l, py = 0;
    for (int x = l; x <= r - 2; x += 6) {
      const double u = (x - l) / 18.0;
      const int y = static_cast<int>(std::lround(mid + amp * std::sin(u + phase) + 0.35 * amp * std::sin(2.7 * u)));
      if (x > l) Line(dc, px, py, x, y, c, 2);
      px = x;
      py = y;
    }
  };
  series(0.0, 12.0, 64.0, kLine1);
  series(1.9, 9.0, 82.0, kLine2);
}

void DrawLegendAndVersion(HDC dc) {
  const int x = 144;
  Fill(dc, x, 46, x + 12, 54, kLine1);
  Text(dc, x + 17, 43, "Sensor A", "Arial", 11, FW_NORMAL, kInk);
  Fill(dc, x, 61, x + 12, 69, kLine2);
  Text(dc, x + 17, 58, "Sensor B", "Arial", 11, FW_NORMAL, kInk);
  Text(dc, x, 80, "Version", "Arial", 11, FW_NORMAL, kSoftInk);
  Text(dc, x, 92, "2010.1.0", "Arial", 12, FW_BOLD, kInk);
}

void DrawContact(HDC dc) {
  Line(dc, 8, 107, kWidth - 8, 107, RGB(200, 204, 212));
  Text(dc, 8, 110, "https://kavrin.invalid", "Arial", 10, FW_NORMAL, kSoftInk);
  Text(dc, 8, 122, "support@kavrin.invalid", "Arial", 10, FW_NORMAL, kSoftInk);
  Text(dc, 0, 115, "kavrin-chart project", "Times New Roman", 12, FW_NORMAL, kBanner, DT_RIGHT, kWidth - 8);
}

bool WriteJpeg(const char* path, const kavrin::gdi::PixelView& v) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = static_cast<JDIMENSION>(v.width);
  cinfo.image_height = static_cast<JDIMENSION>(v.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 92, TRUE);
  // Full-resolution chroma keeps small coloured text and 1-pixel grid lines crisp.
  for (int i = 0; i < cinfo.num_components; ++i) {
    cinfo.comp_info[i].h_samp_factor = 1;
    cinfo.comp_info[i].v_samp_factor = 1;
  }
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(v.width) * 3);
  for (int y = 0; y < v.height; ++y) {
    const uint32_t* src = v.pixels + static_cast<size_t>(y) * v.stride;
    for (int x = 0; x < v.width; ++x) {
      row[x * 3 + 0] = static_cast<JSAMPLE>(src[x] >> 16);
      row[x * 3 + 1] = static_cast<JSAMPLE>(src[x] >> 8);
      row[x * 3 + 2] = static_cast<JSAMPLE>(src[x]);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.jpg\n", argv[0]);
    return 2;
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  SetBkMode(dc, TRANSPARENT);
  Fill(dc, 0, 0, kWidth, kHeight, kPaper);
  DrawBanner(dc);
  DrawSampleChart(dc);
  DrawLegendAndVersion(dc);
  DrawContact(dc);

  kavrin::gdi::PixelView view;
  const bool ok = kavrin::gdi::ViewBitmap(bmp, &view) && WriteJpeg(argv[1], view);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  if (!ok) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}

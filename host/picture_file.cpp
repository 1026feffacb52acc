#include "host/picture_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "common/file_path.h"
#include "common/vb_error.h"
#include "draw/gdi_host.h"

namespace kavrin::host {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// The bitmap's pixels as 0x00RRGGBB, rows top-down, whatever its depth.
std::vector<uint32_t> ReadPixels(HBITMAP bmp, int width, int height) {
  std::vector<uint32_t> px(static_cast<size_t>(width) * height);
  gdi::PixelView view;
  if (gdi::ViewBitmap(bmp, &view)) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        px[static_cast<size_t>(y) * width + x] = view.pixels[static_cast<size_t>(y) * view.stride + x] & 0xFFFFFF;
    return px;
  }
  // Another depth: let the drawing layer convert it to 32-bit top-down rows.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  const int lines = GetDIBits(dc, bmp, 0, static_cast<UINT>(height), px.data(), &info, DIB_RGB_COLORS);
  DeleteDC(dc);
  if (lines != height) Raise(err::kInvalidPicture);
  for (auto& p : px) p &= 0xFFFFFF;
  return px;
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

}  // namespace

void SavePictureFile(const PictureRef& picture, const std::string& path) {
  if (!picture || picture->Handle() == nullptr) Raise(err::kObjectNotSet);
  const int width = picture->Width();
  const int height = picture->Height();
  if (width <= 0 || height <= 0) Raise(err::kInvalidPicture);
  const std::vector<uint32_t> px = ReadPixels(picture->Handle(), width, height);

  const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
  constexpr uint32_t kHeaders = 14 + 40;
  std::vector<uint8_t> out;
  out.reserve(kHeaders + imageBytes);
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  Put32(out, kHeaders + imageBytes);
  Put32(out, 0);
  Put32(out, kHeaders);
  // BITMAPINFOHEADER; 96 dpi is 3780 pixels per metre.
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, BI_RGB);
  Put32(out, imageBytes);
  Put32(out, 3780);
  Put32(out, 3780);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    const uint32_t* row = px.data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      out.push_back(static_cast<uint8_t>(row[x]));        // blue
      out.push_back(static_cast<uint8_t>(row[x] >> 8));   // green
      out.push_back(static_cast<uint8_t>(row[x] >> 16));  // red
    }
    for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < rowBytes; ++pad) out.push_back(0);
  }

  const std::string native = NativePath(path);
  // Created new ("x"): a file that is already there, even one another process made a moment
  // ago, is never replaced.
  std::FILE* f = std::fopen(native.c_str(), "wbx");
  if (f == nullptr) {
    if (errno == EEXIST && !IsFolder(native)) Raise(err::kFileAlreadyExists);
    Raise(err::kPathFileAccess, "Path/File access error: cannot create " + path);
  }
  const bool written = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  const int writeErrno = errno;
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) {
    const int e = written ? errno : writeErrno;
    std::remove(native.c_str());
    if (e == ENOSPC) Raise(err::kDiskFull);
    Raise(err::kDeviceIo, "Device I/O error: cannot write " + path);
  }
}

}  // namespace kavrin::host

#include "host/picture_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "common/file_path.h"
#include "common/image_bmp.h"
#include "common/vb_error.h"
#include "draw/gdi_host.h"

namespace kavrin::host {

namespace {

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

  const std::vector<uint8_t> out = EncodeBitmapFile(width, height, px.data());

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

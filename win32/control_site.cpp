#include "win32/control_site.h"

#include <utility>
#include <vector>

#include "common/vb_error.h"
#include "draw/win32.h"

namespace kavrin::win32 {

ControlSite::ControlSite(FontLinks& fonts, std::function<void(const std::string&)> changed)
    : fonts_(fonts), changed_(std::move(changed)) {}

ControlSite::~ControlSite() {
  if (dc_) {
    SelectObject(dc_, displaced_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  if (window_) DestroyWindow(window_);
}

void ControlSite::MakeSurface() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = dc ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (!bitmap) {
    if (dc) DeleteDC(dc);
    Raise(err::kOutOfMemory);
  }
  dc_ = dc;
  bitmap_ = bitmap;
  displaced_ = SelectObject(dc_, bitmap_);
  SetBkMode(dc_, TRANSPARENT);
  Cls();
}

Long ControlSite::hDC() {
  if (!dc_) MakeSurface();
  return HandleToLong(dc_);
}

// A message-only window: the chart invalidates it after each tick, which shows nothing.
Long ControlSite::hWnd() {
  if (!window_) {
    window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, width_, height_, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!window_) Raise(err::kOutOfMemory);
  }
  return HandleToLong(window_);
}

void ControlSite::Cls() {
  if (!dc_) return;  // a surface not yet made is cleared when it is made
  const RECT all{0, 0, width_, height_};
  HBRUSH brush = CreateSolidBrush(back_);
  FillRect(dc_, &all, brush);
  DeleteObject(brush);
}

void ControlSite::Refresh() {
  if (window_) UpdateWindow(window_);
}

void ControlSite::BackColor(Long color) {
  COLORREF rgb = 0;
  if (FAILED(OleTranslateColor(static_cast<OLE_COLOR>(color), nullptr, &rgb))) Raise(err::kInvalidPropertyValue);
  back_ = rgb;
  Cls();
}

PictureRef ControlSite::Image() {
  hDC();
  HDC copyDc = CreateCompatibleDC(dc_);
  HBITMAP copy = CreateCompatibleBitmap(dc_, width_, height_);
  if (!copyDc || !copy) {
    if (copyDc) DeleteDC(copyDc);
    if (copy) DeleteObject(copy);
    Raise(err::kOutOfMemory);
  }
  HGDIOBJ old = SelectObject(copyDc, copy);
  BitBlt(copyDc, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
  SelectObject(copyDc, old);
  DeleteDC(copyDc);
  return std::make_shared<StdPicture>(copy);
}

namespace {

void Put(std::vector<BYTE>& out, const void* data, size_t size) {
  const BYTE* p = static_cast<const BYTE*>(data);
  out.insert(out.end(), p, p + size);
}

// The Windows bitmap file of a picture: 24 bits per pixel, rows bottom-up, 96 dpi.
std::vector<BYTE> BitmapFile(const StdPicture& picture) {
  const int width = picture.Width();
  const int height = picture.Height();
  if (width <= 0 || height <= 0) Raise(err::kInvalidPicture);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<BYTE> pixels(static_cast<size_t>(rowBytes) * height);
  HDC dc = CreateCompatibleDC(nullptr);
  const int lines = GetDIBits(dc, picture.Handle(), 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  DeleteDC(dc);
  if (lines != height) Raise(err::kInvalidPicture);

  info.bmiHeader.biSizeImage = static_cast<DWORD>(pixels.size());
  info.bmiHeader.biXPelsPerMeter = 3780;
  info.bmiHeader.biYPelsPerMeter = 3780;
  info.bmiHeader.biClrUsed = 0;
  info.bmiHeader.biClrImportant = 0;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::vector<BYTE> out;
  out.reserve(file.bfSize);
  Put(out, &file, sizeof file);
  Put(out, &info.bmiHeader, sizeof info.bmiHeader);
  Put(out, pixels.data(), pixels.size());
  return out;
}

}  // namespace

void ControlSite::SavePicture(const PictureRef& picture, const std::string& path) {
  if (!picture || !picture->Handle()) Raise(err::kObjectNotSet);
  const std::vector<BYTE> data = BitmapFile(*picture);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Raise(err::kPathFileAccess);
  DWORD written = 0;
  const BOOL ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  const DWORD error = ok ? 0 : GetLastError();
  CloseHandle(file);
  if (ok && written == data.size()) return;
  DeleteFileA(path.c_str());
  Raise(error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? err::kDiskFull : err::kDeviceIo);
}

}  // namespace kavrin::win32

#include "win32/control_site.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "common/image_bmp.h"
#include "common/vb_error.h"
#include "draw/win32.h"
#include "win32/site_window.h"

namespace kavrin::win32 {

ControlSite::ControlSite(FontLinks& fonts, std::function<void(const std::string&)> changed)
    : fonts_(fonts), changed_(std::move(changed)) {}

ControlSite::~ControlSite() {
  if (window_) DestroyWindow(window_);
  if (dc_) {
    SelectObject(dc_, displaced_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
}

namespace {
// Largest control side accepted, in pixels (bounds what a resize allocates), as on Linux.
constexpr int kMaxSide = 16384;

bool SizeAccepted(int width, int height) { return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide; }
}  // namespace

HBITMAP ControlSite::NewBitmap(int width, int height) {
  if (!SizeAccepted(width, height)) Raise(err::kInvalidPropertyValue);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) Raise(err::kOutOfMemory);
  bits_ = bits;
  return bitmap;
}

void ControlSite::MakeSurface() {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) Raise(err::kOutOfMemory);
  try {
    bitmap_ = NewBitmap(width_, height_);
  } catch (...) {
    DeleteDC(dc);
    throw;
  }
  dc_ = dc;
  displaced_ = SelectObject(dc_, bitmap_);
  SetBkMode(dc_, TRANSPARENT);
  Cls();
}

FontRef ControlSite::AmbientFont() {
  if (ambient_) {
    if (FontRef font = ambient_()) return font;
  }
  return fonts_.NewDefault();
}

bool ControlSite::SetSize(int width, int height) {
  if (width == width_ && height == height_) return false;
  if (!SizeAccepted(width, height)) Raise(err::kInvalidPropertyValue);
  if (dc_) {
    HBITMAP fresh = NewBitmap(width, height);
    SelectObject(dc_, fresh);
    DeleteObject(bitmap_);
    bitmap_ = fresh;
  }
  width_ = width;
  height_ = height;
  Cls();
  return true;
}

Long ControlSite::hDC() {
  if (!dc_) MakeSurface();
  return HandleToLong(dc_);
}

Long ControlSite::hWnd() {
  if (!window_) {
    window_ = CreateSiteWindow(*this, width_, height_);
    if (!window_) Raise(err::kOutOfMemory);
  }
  return HandleToLong(window_);
}

void ControlSite::ShowIn(HWND parent, const RECT& rect) {
  hWnd();
  SetParent(window_, parent);
  SetWindowPos(window_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void ControlSite::MoveTo(const RECT& rect) {
  if (window_)
    SetWindowPos(window_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void ControlSite::Park() {
  if (!window_) return;
  ShowWindow(window_, SW_HIDE);
  SetParent(window_, HWND_MESSAGE);
}

void ControlSite::PaintTo(HDC dc) {
  if (dc_) BitBlt(dc, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
}

void ControlSite::DrawTo(HDC dc, const RECT& bounds) {
  hDC();
  const int w = bounds.right - bounds.left;
  const int h = bounds.bottom - bounds.top;
  const DWORD kind = GetObjectType(dc);
  if (kind == OBJ_MEMDC || kind == OBJ_DC) {
    if (w == width_ && h == height_) {
      BitBlt(dc, bounds.left, bounds.top, w, h, dc_, 0, 0, SRCCOPY);
    } else {
      const int mode = SetStretchBltMode(dc, COLORONCOLOR);
      StretchBlt(dc, bounds.left, bounds.top, w, h, dc_, 0, 0, width_, height_, SRCCOPY);
      SetStretchBltMode(dc, mode);
    }
    return;
  }
  // A metafile or a printer keeps no reference to our DC: it gets the pixels themselves.
  GdiFlush();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const int mode = SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, bounds.left, bounds.top, w, h, 0, 0, width_, height_, bits_, &info, DIB_RGB_COLORS, SRCCOPY);
  SetStretchBltMode(dc, mode);
}

void ControlSite::Cls() {
  if (!dc_) return;  // a surface not yet made is cleared when it is made
  const RECT all{0, 0, width_, height_};
  HBRUSH brush = CreateSolidBrush(back_);
  FillRect(dc_, &all, brush);
  DeleteObject(brush);
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void ControlSite::Refresh() {
  if (!window_) return;
  InvalidateRect(window_, nullptr, FALSE);
  UpdateWindow(window_);
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

// The Windows bitmap file of a picture, byte for byte what the Linux build writes.
std::vector<uint8_t> BitmapFile(const StdPicture& picture) {
  const int width = picture.Width();
  const int height = picture.Height();
  if (width <= 0 || height <= 0) Raise(err::kInvalidPicture);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);  // 0x00RRGGBB, top-down
  HDC dc = CreateCompatibleDC(nullptr);
  const int lines = GetDIBits(dc, picture.Handle(), 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  DeleteDC(dc);
  if (lines != height) Raise(err::kInvalidPicture);

  return EncodeBitmapFile(width, height, pixels.data());
}

}  // namespace

void ControlSite::SavePicture(const PictureRef& picture, const std::string& path) {
  if (!picture || !picture->Handle()) Raise(err::kObjectNotSet);
  const std::vector<uint8_t> data = BitmapFile(*picture);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // Created new: a file that is already there, even one another process made a moment
    // ago, is never replaced, and says so with its own error, as on Linux.
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if ((error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) && !folder) Raise(err::kFileAlreadyExists);
    Raise(err::kPathFileAccess);
  }
  DWORD written = 0;
  const BOOL ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  const DWORD error = ok ? 0 : GetLastError();
  CloseHandle(file);
  if (ok && written == data.size()) return;
  DeleteFileA(path.c_str());
  // A write that stops short without an error found no more room on the disk.
  Raise(ok || error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? err::kDiskFull : err::kDeviceIo);
}

}  // namespace kavrin::win32

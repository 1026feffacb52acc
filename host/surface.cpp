#include "host/surface.h"

#include <string>

#include "common/vb_error.h"

namespace kavrin::host {

namespace {
HBITMAP NewBitmap(int width, int height) {
  HBITMAP bmp = CreateBitmap(width, height, 1, 32, nullptr);
  if (bmp == nullptr) Raise(err::kOutOfMemory);
  return bmp;
}
}  // namespace

void Surface::CheckSize(int width, int height) {
  if (width < 1 || height < 1 || width > kMaxControlSide || height > kMaxControlSide ||
      int64_t{width} * height > kMaxControlPixels) {
    Raise(err::kInvalidPropertyValue, "Invalid control size " + std::to_string(width) + " x " +
                                          std::to_string(height) + " pixels");
  }
}

Surface::Surface(int width, int height, COLORREF back) : back_(back) {
  CheckSize(width, height);
  dc_ = CreateCompatibleDC(nullptr);
  if (dc_ == nullptr) Raise(err::kOutOfMemory);
  try {
    bitmap_ = NewBitmap(width, height);
  } catch (...) {
    DeleteDC(dc_);
    throw;
  }
  displaced_ = SelectObject(dc_, bitmap_);
  width_ = width;
  height_ = height;
  // The container's drawing settings: transparent text, black 1-pixel pen.
  SetBkMode(dc_, TRANSPARENT);
  SelectObject(dc_, GetStockObject(BLACK_PEN));
  Clear();
}

Surface::~Surface() {
  SelectObject(dc_, displaced_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void Surface::Clear() {
  HBRUSH brush = CreateSolidBrush(back_);
  const RECT rc{0, 0, width_, height_};
  FillRect(dc_, &rc, brush);
  DeleteObject(brush);
}

void Surface::SetBackColor(COLORREF back) {
  back_ = back;
  Clear();
}

void Surface::Resize(int width, int height) {
  CheckSize(width, height);
  HBITMAP fresh = NewBitmap(width, height);
  SelectObject(dc_, fresh);
  DeleteObject(bitmap_);
  bitmap_ = fresh;
  width_ = width;
  height_ = height;
  Clear();
}

gdi::PixelView Surface::View() const {
  gdi::PixelView view;
  gdi::ViewBitmap(bitmap_, &view);
  return view;
}

}  // namespace kavrin::host

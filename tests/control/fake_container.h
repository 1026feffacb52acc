#pragma once
// A container stand-in for control tests: a 32-bit memory surface, a registered window
// that counts invalidations, an ambient font, and one log of everything the control asks
// of it (in call order), plus an in-memory property bag that shares that log.
#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/vb_error.h"
#include "control/container_site.h"
#include "draw/gdi_host.h"
#include "draw/win32.h"

namespace kavrin::test {

class FakeSite : public ContainerSite, private gdi::WindowSink {
 public:
  explicit FakeSite(int width = 320, int height = 240) {
    dc_ = CreateCompatibleDC(nullptr);
    hwnd_ = gdi::RegisterWindow(this);
    SetSize(width, height);
    SetBkMode(dc_, TRANSPARENT);
  }
  ~FakeSite() override {
    SelectObject(dc_, displaced_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    gdi::UnregisterWindow(hwnd_);
  }
  FakeSite(const FakeSite&) = delete;
  FakeSite& operator=(const FakeSite&) = delete;

  // A new surface of the new size, cleared to the background colour.
  void SetSize(int width, int height) {
    HBITMAP fresh = CreateBitmap(width, height, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc_, fresh);
    if (bitmap_ == nullptr) displaced_ = old; else DeleteObject(bitmap_);
    bitmap_ = fresh;
    width_ = width;
    height_ = height;
    Fill();
  }

  FontRef AmbientFont() override {
    log.push_back("AmbientFont");
    if (!ambient) return nullptr;
    return shareAmbient ? ambient : ambient->Clone();
  }
  void PropertyChanged(const std::string& name) override {
    log.push_back("PropertyChanged " + name);
    changed.push_back(name);
  }
  float ScaleWidth() override { return static_cast<float>(width_); }
  float ScaleHeight() override { return static_cast<float>(height_); }
  Long hDC() override {
    log.push_back("hDC");
    return HandleToLong(dc_);
  }
  Long hWnd() override {
    log.push_back("hWnd");
    return HandleToLong(hwnd_);
  }
  void Cls() override {
    log.push_back("Cls");
    Fill();
  }
  void Refresh() override { log.push_back("Refresh"); }
  void BackColor(Long color) override {
    log.push_back("BackColor " + std::to_string(color));
    back_ = static_cast<COLORREF>(color);
    Fill();
  }
  PictureRef Image() override {
    HBITMAP copy = CreateBitmap(width_, height_, 1, 32, nullptr);
    HDC mem = CreateCompatibleDC(dc_);
    HGDIOBJ old = SelectObject(mem, copy);
    BitBlt(mem, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    return std::make_shared<StdPicture>(copy);
  }
  // Writes a small stand-in file (the picture's size) where the control asks for one; a
  // file that cannot be written raises 75, as a container does. dropWrites makes it a
  // container that writes nothing and says nothing.
  void SavePicture(const PictureRef& picture, const std::string& path) override {
    log.push_back("SavePicture " + path);
    if (failWrites) Raise(err::kPathFileAccess);
    if (dropWrites) return;
    std::string local = path;
    std::replace(local.begin(), local.end(), '\\', '/');
    std::ofstream out(local, std::ios::binary);
    out << "BM " << picture->Width() << "x" << picture->Height();
    out.close();
    if (!out) Raise(err::kPathFileAccess);
  }

  HDC Dc() const { return dc_; }
  HWND Wnd() const { return hwnd_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF Back() const { return back_; }
  int Invalidations() const { return invalidations_; }
  bool Logged(const std::string& entry) const {
    return std::find(log.begin(), log.end(), entry) != log.end();
  }

  FontRef ambient = std::make_shared<StdFont>("Tahoma", 9.75);
  bool shareAmbient = false;  // false: every read returns a new copy
  bool failWrites = false;
  bool dropWrites = false;
  std::vector<std::string> log;
  std::vector<std::string> changed;

 private:
  void Invalidate(const RECT*, bool) override { ++invalidations_; }
  void Fill() {
    HBRUSH brush = CreateSolidBrush(back_);
    const RECT rc{0, 0, width_, height_};
    FillRect(dc_, &rc, brush);
    DeleteObject(brush);
  }

  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ displaced_ = nullptr;
  HWND hwnd_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  COLORREF back_ = RGB(212, 208, 200);  // the container's own colour until BackColor is set
  int invalidations_ = 0;
};

// Entries by name; an entry equal to its default is left out, as a container's bag does.
// Reads and writes go to the site's log when one is given, so their order with the site's
// services can be checked.
class FakeBag : public PropertyBag {
 public:
  explicit FakeBag(std::vector<std::string>* sharedLog = nullptr) : log_(sharedLog) {}

  Variant ReadProperty(const std::string& name, const Variant& def) override {
    if (log_) log_->push_back("Read " + name);
    reads.push_back(name);
    const auto it = entries.find(name);
    return it == entries.end() ? def : it->second;
  }
  void WriteProperty(const std::string& name, const Variant& value, const Variant& def) override {
    writes.push_back(name);
    if (value.Equals(def)) {
      entries.erase(name);
      return;
    }
    entries[name] = value;
    saved.push_back(name);
  }
  bool Has(const std::string& name) const { return entries.count(name) != 0; }

  std::map<std::string, Variant> entries;
  std::vector<std::string> reads;
  std::vector<std::string> writes;
  std::vector<std::string> saved;  // names actually stored, in order

 private:
  std::vector<std::string>* log_;
};

}  // namespace kavrin::test

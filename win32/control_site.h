#pragma once
// The container services the control relies on, as the Windows object supplies them: a
// persistent drawing surface (a memory DC holding a DIB section of the control's size, text
// drawn transparent), the control's window that shows it, the ambient font of the client
// site (the default description without one), and change notification to the object.
// The window exists from the first request for it, parked out of sight (message-only) until
// in-place activation shows it as a child of the container's window; its handle never
// changes, so the chart keeps invalidating the window it was given.
//
// Call order: AmbientFontSource -> SetSize / hDC / hWnd in any order -> ShowIn(parent, rect)
//   / MoveTo / Park any number of times -> destructor (window, then surface).
#include <windows.h>

#include <functional>
#include <string>

#include "control/container_site.h"
#include "win32/com_font.h"

namespace kavrin::win32 {

class ControlSite final : public ContainerSite {
 public:
  // changed is called with the name of every property the control reports changed.
  ControlSite(FontLinks& fonts, std::function<void(const std::string&)> changed);
  ~ControlSite() override;
  ControlSite(const ControlSite&) = delete;
  ControlSite& operator=(const ControlSite&) = delete;

  // The client site's ambient font as the source returns it, or a new default font object.
  FontRef AmbientFont() override;
  void PropertyChanged(const std::string& name) override { changed_(name); }
  float ScaleWidth() override { return static_cast<float>(width_); }
  float ScaleHeight() override { return static_cast<float>(height_); }
  Long hDC() override;
  Long hWnd() override;
  void Cls() override;
  void Refresh() override;
  void BackColor(Long color) override;  // 380 for a colour that does not translate
  PictureRef Image() override;
  // Creates the file (never replacing one): 75 when it cannot be created, 61 when the disk
  // is full, 57 for another write failure (the partial file is removed).
  void SavePicture(const PictureRef& picture, const std::string& path) override;

  // Where the ambient font comes from: a new font object, or null when the container has none.
  void AmbientFontSource(std::function<FontRef()> source) { ambient_ = std::move(source); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // A new surface of the new size, cleared (the DC stays, its bitmap is replaced); false when
  // the size is unchanged. Raises 380 for a side outside 1 .. 16384.
  bool SetSize(int width, int height);
  // Shows the window as a child of parent at rect (in the parent's client coordinates).
  void ShowIn(HWND parent, const RECT& rect);
  // Moves the shown window (the surface keeps its size until SetSize).
  void MoveTo(const RECT& rect);
  // Hides the window and parks it again.
  void Park();
  HWND Window() const { return window_; }
  // Copies the surface into dc at bounds, stretched when the sizes differ; metafile and
  // printer DCs get the pixels as a device-independent bitmap.
  void DrawTo(HDC dc, const RECT& bounds);
  // For the window: paints the surface at the window's origin / the window is being destroyed.
  void PaintTo(HDC dc);
  void WindowGone() { window_ = nullptr; }

 private:
  void MakeSurface();
  HBITMAP NewBitmap(int width, int height);

  FontLinks& fonts_;
  std::function<void(const std::string&)> changed_;
  std::function<FontRef()> ambient_;
  int width_ = 320;  // a new control: 4800 x 3600 twips
  int height_ = 240;
  COLORREF back_ = RGB(255, 255, 255);
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  void* bits_ = nullptr;  // the DIB section's pixels, rows top-down
  HGDIOBJ displaced_ = nullptr;  // the DC's own bitmap, put back before the DC goes
  HWND window_ = nullptr;
};

}  // namespace kavrin::win32

#pragma once
// The container services the control relies on, as the Windows object supplies them before
// any container sites it: a persistent drawing surface (a memory DC holding a DIB section of
// the control's size, text drawn transparent), a hidden window for the chart to invalidate,
// the ambient font of the default description, and change notification to the object.
// In-place activation gives the control a real window; until then nothing is shown.
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

  FontRef AmbientFont() override { return fonts_.NewDefault(); }
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

 private:
  void MakeSurface();

  FontLinks& fonts_;
  std::function<void(const std::string&)> changed_;
  int width_ = 320;  // a new control: 4800 x 3600 twips
  int height_ = 240;
  COLORREF back_ = RGB(255, 255, 255);
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ displaced_ = nullptr;  // the DC's own bitmap, put back before the DC goes
  HWND window_ = nullptr;
};

}  // namespace kavrin::win32

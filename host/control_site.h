#pragma once
// One control on a form: the services the container gives it (ambient font, change
// recording, the persistent surface with its DC, the window showing it, picture files)
// and the control object itself.
//
// Call order (the form drives it): ControlSite(form, ...) -> Attach(control) ->
//   InitProperties or ReadProperties(bag) -> Resize -> {drawing, SetSize, WriteProperties}
//   -> Terminate -> destructor (window, then surface).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/container_site.h"
#include "host/sited_control.h"
#include "host/surface.h"
#include "host/window.h"

namespace kavrin::host {

class Form;

// A line the host gave its control, as the form keeps it beside the settings: the control
// itself keeps no lines across a configuration, so a host that wants them back adds them.
struct SavedLine {
  std::string key;
  Long color = 0;
};

class ControlSite final : public ContainerSite {
 public:
  ControlSite(Form& form, std::string className, std::string name, int width, int height, COLORREF back,
              WindowBackend& backend);
  ~ControlSite() override;
  ControlSite(const ControlSite&) = delete;
  ControlSite& operator=(const ControlSite&) = delete;

  // ContainerSite
  FontRef AmbientFont() override;
  void PropertyChanged(const std::string& name) override;
  float ScaleWidth() override { return static_cast<float>(surface_->Width()); }
  float ScaleHeight() override { return static_cast<float>(surface_->Height()); }
  Long hDC() override { return HandleToLong(surface_->Dc()); }
  Long hWnd() override { return HandleToLong(hwnd_); }
  void Cls() override;
  void Refresh() override;
  // Raises 380 for a colour that is neither RGB nor a system colour.
  void BackColor(Long color) override;
  PictureRef Image() override;
  void SavePicture(const PictureRef& picture, const std::string& path) override;

  const std::string& ClassName() const { return className_; }
  const std::string& Name() const { return name_; }
  const Surface& GetSurface() const { return *surface_; }
  SiteWindow& Window() { return *window_; }
  HWND WindowHandle() const { return hwnd_; }
  SitedControl* Events() { return control_.get(); }
  // The control object when it is sited as T, else null.
  template <typename T>
  T* ControlAs() {
    auto* s = dynamic_cast<SitedAs<T>*>(control_.get());
    return s != nullptr ? &s->Control() : nullptr;
  }

  // Changed since the last save: the names reported with PropertyChanged.
  bool Dirty() const { return !changed_.empty(); }
  const std::vector<std::string>& Changed() const { return changed_; }
  void ClearDirty() { changed_.clear(); }

  // New surface of the new size (the old bitmap is deleted), the window follows, then the
  // control's Resize event. Nothing happens when the size is unchanged. Raises 380, changing
  // nothing, for a size beyond one surface or the form's pixel budget.
  void SetSize(int width, int height);
  // What a resize the user makes in the window does: by default SetSize. A host may decide
  // instead, e.g. keep a size at which its control cannot be drawn from ending its run.
  void OnUserResize(std::function<void(int width, int height)> handler) { userResize_ = std::move(handler); }

  // Fires Resize at the current size, as a container does when it shows the control again:
  // properties set since the last configuration reach the control's drawing. What was
  // drawn is discarded, as at any resize.
  void Reconfigure();

  // The host's lines, saved with the form in its Lines block and filled again by a load.
  std::vector<SavedLine>& Lines() { return lines_; }
  const std::vector<SavedLine>& Lines() const { return lines_; }

  void Attach(std::unique_ptr<SitedControl> control) { control_ = std::move(control); }
  // Fires Terminate once; later calls do nothing.
  void Terminate();

 private:
  Form& form_;
  std::string className_;
  std::string name_;
  std::unique_ptr<Surface> surface_;
  std::unique_ptr<SiteWindow> window_;
  HWND hwnd_ = nullptr;
  std::unique_ptr<SitedControl> control_;
  std::vector<std::string> changed_;
  bool terminated_ = false;
  std::function<void(int, int)> userResize_;
  std::vector<SavedLine> lines_;
};

}  // namespace kavrin::host

#include "host/control_site.h"

#include "common/vb_error.h"
#include "host/form.h"
#include "host/picture_file.h"

namespace kavrin::host {

ControlSite::ControlSite(Form& form, std::string className, std::string name, int width, int height,
                         COLORREF back, WindowBackend& backend)
    : form_(form), className_(std::move(className)), name_(std::move(name)) {
  surface_ = std::make_unique<Surface>(width, height, back);
  window_ = backend.CreateSiteWindow(*surface_, form_.Name() + " - " + name_);
  hwnd_ = gdi::RegisterWindow(window_.get());
  window_->OnUserResize([this](int w, int h) {
    if (userResize_) userResize_(w, h);
    else SetSize(w, h);
  });
}

ControlSite::~ControlSite() {
  // The control may hold objects selected into the surface: it goes first, the surface last.
  control_.reset();
  gdi::UnregisterWindow(hwnd_);
  window_.reset();
  surface_.reset();
}

FontRef ControlSite::AmbientFont() {
  const FontRef& f = form_.Font();
  return f ? f->Clone() : nullptr;
}

void ControlSite::PropertyChanged(const std::string& name) {
  for (const auto& n : changed_)
    if (n == name) return;
  changed_.push_back(name);
}

void ControlSite::Cls() {
  surface_->Clear();
  window_->Invalidate(nullptr, false);
}

void ControlSite::Refresh() { window_->Refresh(); }

void ControlSite::BackColor(Long color) {
  COLORREF rgb = 0;
  // Compared with S_OK: an HRESULT error code is negative only where HRESULT is 32-bit.
  if (OleTranslateColor(static_cast<OLE_COLOR>(color), nullptr, &rgb) != S_OK) Raise(err::kInvalidPropertyValue);
  surface_->SetBackColor(rgb);
  window_->Invalidate(nullptr, false);
}

PictureRef ControlSite::Image() {
  const int w = surface_->Width();
  const int h = surface_->Height();
  HBITMAP copy = CreateBitmap(w, h, 1, 32, nullptr);
  if (copy == nullptr) Raise(err::kOutOfMemory);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, copy);
  BitBlt(dc, 0, 0, w, h, surface_->Dc(), 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  return std::make_shared<StdPicture>(copy);
}

void ControlSite::SavePicture(const PictureRef& picture, const std::string& path) { SavePictureFile(picture, path); }

void ControlSite::SetSize(int width, int height) {
  if (width == surface_->Width() && height == surface_->Height()) return;
  form_.CheckPixelBudget(this, width, height);
  surface_->Resize(width, height);
  window_->SurfaceResized();
  if (control_ && !terminated_) control_->Resize();
}

void ControlSite::Reconfigure() {
  if (control_ && !terminated_) control_->Resize();
}

void ControlSite::Terminate() {
  if (terminated_ || !control_) return;
  terminated_ = true;
  control_->Terminate();
}

}  // namespace kavrin::host

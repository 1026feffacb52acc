#pragma once
// The window that shows one control's surface, and the backends that make such windows.
// A window receives the invalidations of its registered handle (InvalidateRect reaches
// it through the drawing layer) and paints the invalidated parts of the surface from it.
//
// Call order: backend.CreateSiteWindow(surface, title) -> Register the window (the site
//   does) -> Invalidate / Refresh / SurfaceResized as the control draws and resizes
//   -> backend.PumpEvents() between ticks -> destroy the window before its surface.
#include <functional>
#include <memory>
#include <string>

#include "draw/gdi_host.h"
#include "host/surface.h"

namespace kavrin::host {

class SiteWindow : public gdi::WindowSink {
 public:
  // Called with the new client size when the user resizes the window.
  using ResizeHandler = std::function<void(int width, int height)>;

  // Repaints the whole window from the surface at once.
  virtual void Refresh() = 0;
  // The surface has a new size; the window follows it.
  virtual void SurfaceResized() = 0;
  // True once the user asked to close the window.
  virtual bool CloseRequested() const = 0;
  // The text the window system shows as the window's name (a headless window has none).
  virtual void Title(const std::string& /*title*/) {}
  void OnUserResize(ResizeHandler handler) { onResize_ = std::move(handler); }

 protected:
  ResizeHandler onResize_;
};

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;
  // The surface must outlive the window.
  virtual std::unique_ptr<SiteWindow> CreateSiteWindow(const Surface& surface, const std::string& title) = 0;
  // Handles pending window-system events and paints what is invalidated; never blocks.
  virtual void PumpEvents() = 0;
  // True once the connection to the window system was lost: the windows show nothing more
  // and the host should end its work as it does when a window is closed.
  virtual bool Lost() const { return false; }
};

// Windows that show nothing and record their invalidations (tests, servers).
std::unique_ptr<WindowBackend> MakeHeadlessBackend();
// Real windows on an X display (null: $DISPLAY). Raises 5 when no display can be opened
// or the build has no X support.
std::unique_ptr<WindowBackend> MakeX11Backend(const char* display = nullptr);

}  // namespace kavrin::host

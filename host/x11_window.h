#pragma once
// The X11 window backend: one top-level window per control, 24-bit TrueColor, showing the
// control's surface (or the picture shown in its place, and the one below it).
// Invalidations are collected into one rectangle and painted when the host pumps events
// (or at once on Refresh); Expose repaints what the server lost; a resize by the user
// resizes the control; closing the window is reported, not acted on. Keys, wheel notches
// (buttons 4 and 5) and pointer moves are queued as they come and delivered from the pump.
// A lost connection to the X server ends nothing either: Xlib is kept from ending the
// process, the dead connection does nothing from then on, and Lost() reports it so that the
// host ends its run as it ends on a stop request, with its files complete.
#include <vector>

#include "host/window.h"

// Xlib last: its True/False/None macros would clash with the names of the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace kavrin::host {

class X11Backend;

class X11SiteWindow final : public SiteWindow {
 public:
  X11SiteWindow(X11Backend& backend, const Surface& surface, const std::string& title);
  ~X11SiteWindow() override;

  void Invalidate(const RECT* rc, bool erase) override;
  void Refresh() override;
  void SurfaceResized() override;
  bool CloseRequested() const override { return closeRequested_; }
  void Title(const std::string& title) override;
  void Show(const Surface* picture, const Surface* below) override;

  ::Window Id() const { return id_; }
  bool Mapped() const { return mapped_; }
  // Times the window was painted from the surface (any part of it).
  int Paints() const { return paints_; }
  // Returns once the X server has carried out every paint sent so far. Paints are only
  // flushed, so another client reading the window could otherwise still see older pixels.
  void WaitPainted() const;

  void Handle(const XEvent& ev);
  // Applies a pending user resize, then paints the collected invalidation.
  void Flush();

 private:
  const Surface& Top() const { return picture_ != nullptr ? *picture_ : surface_; }
  int ShownWidth() const { return Top().Width(); }
  int ShownHeight() const { return Top().Height() + (below_ != nullptr ? below_->Height() : 0); }
  // Makes the window as large as what it shows, and all of it to be painted.
  void FollowShownSize();
  void Queue(const WindowInput& input);
  void AddDirty(int l, int t, int r, int b);
  void Paint(int l, int t, int r, int b);

  X11Backend& backend_;
  const Surface& surface_;
  ::Window id_ = 0;
  GC gc_ = nullptr;
  std::vector<uint32_t> buffer_;  // one paint's pixels in the visual's format
  std::vector<WindowInput> inputs_;  // not yet delivered
  RECT dirty_{0, 0, 0, 0};        // empty when right <= left
  int pendingWidth_ = 0;          // a user resize not yet applied (0: none)
  int pendingHeight_ = 0;
  int windowWidth_ = 0;
  int windowHeight_ = 0;
  bool mapped_ = false;
  bool closeRequested_ = false;
  int paints_ = 0;
};

class X11Backend final : public WindowBackend {
 public:
  // Raises 5 when the display cannot be opened or has no 24-bit TrueColor visual.
  explicit X11Backend(const char* displayName);
  ~X11Backend() override;

  std::unique_ptr<SiteWindow> CreateSiteWindow(const Surface& surface, const std::string& title) override;
  void PumpEvents() override;
  bool Lost() const override { return lost_; }

  Display* GetDisplay() const { return display_; }
  const XVisualInfo& Visual() const { return visual_; }
  Colormap GetColormap() const { return colormap_; }
  Atom WmDelete() const { return wmDelete_; }
  void Forget(X11SiteWindow* w);

 private:
  static void OnConnectionLost(Display* display, void* backend);

  Display* display_ = nullptr;
  bool lost_ = false;
  XVisualInfo visual_{};
  Colormap colormap_ = 0;
  Atom wmDelete_ = 0;
  std::vector<X11SiteWindow*> windows_;
};

}  // namespace kavrin::host

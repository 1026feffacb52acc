#pragma once
// The window that shows one control's surface, and the backends that make such windows.
// A window receives the invalidations of its registered handle (InvalidateRect reaches
// it through the drawing layer) and paints the invalidated parts of the surface from it.
// A host may have it show another picture in the surface's place (a paused view) and a
// second one below it (a strip of labels), and hear the user's keys, wheel and pointer.
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

// What the user did in a window, as the host hears it.
struct WindowInput {
  enum class Kind { kKey, kWheel, kPointer, kPointerLeft };
  enum class Key { kOther, kSpace, kLeft, kRight, kEnd };
  Kind kind = Kind::kKey;
  Key key = Key::kOther;  // kKey
  int wheel = 0;          // kWheel: +1 a notch away from the user (up), -1 towards
  int x = 0;              // kPointer: the pointer in window pixels (also the other kinds
  int y = 0;              //   where the window system tells it)
};

class SiteWindow : public gdi::WindowSink {
 public:
  // Called with the control's new size when the user resizes the window (the window's
  // client size less what is shown below the control).
  using ResizeHandler = std::function<void(int width, int height)>;
  using InputHandler = std::function<void(const WindowInput& input)>;

  // Repaints the whole window from the surface at once.
  virtual void Refresh() = 0;
  // The surface has a new size; the window follows it.
  virtual void SurfaceResized() = 0;
  // True once the user asked to close the window.
  virtual bool CloseRequested() const = 0;
  // The text the window system shows as the window's name (a headless window has none).
  virtual void Title(const std::string& /*title*/) {}
  void OnUserResize(ResizeHandler handler) { onResize_ = std::move(handler); }
  // Keys, wheel notches and pointer moves, delivered from PumpEvents in the order made
  // (pointer moves folded into the last one).
  void OnInput(InputHandler handler) { onInput_ = std::move(handler); }
  // Shows `picture` in the control surface's place (null: the surface) and `below` under it
  // (null: nothing); the window takes the size of both and repaints all of it. Both must
  // outlive their showing; show them again after either is resized or replaced.
  virtual void Show(const Surface* picture, const Surface* below) {
    picture_ = picture;
    below_ = below;
  }

 protected:
  ResizeHandler onResize_;
  InputHandler onInput_;
  const Surface* picture_ = nullptr;
  const Surface* below_ = nullptr;
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

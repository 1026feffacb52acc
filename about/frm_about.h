#pragma once
// frmAbout: the About window. A frameless 242 x 135 window whose client area shows the
// About picture (241 x 135) at its top-left corner and the form's background in the last
// column. Shown modally; a press of any mouse button on it unloads it.
//
// Call order: frmAbout::Default().Show() -> (modal wait: window events and the idle hook
//   run) -> a mouse press unloads the window -> Show returns. A Show during the modal wait
//   unloads the visible window and shows a fresh one; the outer Show then returns too.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/image_decode.h"

namespace kavrin {

class frmAbout {
 public:
  static constexpr int kClientWidth = 242;   // 3630 twips at 15 twips per pixel
  static constexpr int kClientHeight = 135;  // 2025 twips
  static constexpr uint32_t kFormBackColor = 0xF0F0F0;  // the form's background, 0x00RRGGBB

  // The form's default instance: exactly one exists.
  static frmAbout& Default();

  const std::string& Caption() const { return caption_; }
  // The picture stored with the form, decoded (241 x 135, 0x00RRGGBB rows top-down).
  const DecodedImage& Picture();
  // The client area as the window shows it: the picture at (0, 0) on the form background.
  std::vector<uint32_t> ClientPixels();

  // Shows the window modally (on Linux on the X display $DISPLAY, on Windows as a top-level
  // window without owner); returns once it is unloaded. Raises 5 when the window cannot be
  // created (on Linux: no display to show it on).
  void Show();
  // Unloads the window if it is loaded (ends the modal wait of the Show that showed it).
  void Unload();
  bool Visible() const;
  // True once the visible window has been mapped and painted.
  bool Painted() const;
  // The X window id (on Windows the HWND) of the visible window, 0 when none; for tests.
  unsigned long WindowId() const;

  // Called repeatedly during the modal wait (about every 10 ms), so that the host's own
  // work can go on; it may call Show or Unload. Null: the wait only handles window events.
  void OnModalIdle(std::function<void()> idle) { idle_ = std::move(idle); }

 private:
  frmAbout() = default;
  struct Window;
  std::string caption_ = "frmAbout";
  DecodedImage picture_;
  bool decoded_ = false;
  Window* window_ = nullptr;  // the visible window, owned by the Show that created it
  std::function<void()> idle_;
};

}  // namespace kavrin

#pragma once
// A window that shows nothing: it records every invalidated rectangle (the whole client
// area for a null rectangle), counts repaints and keeps its title, so that tests and
// servers can see what the control asked to be shown. A record nobody takes stays bounded:
// past kMaxRecorded rectangles it is folded into their union.
#include <string>
#include <vector>

#include "host/window.h"

namespace kavrin::host {

class HeadlessWindow : public SiteWindow {
 public:
  static constexpr size_t kMaxRecorded = 1024;

  explicit HeadlessWindow(const Surface& surface) : surface_(surface) {}

  void Invalidate(const RECT* rc, bool erase) override;
  void Refresh() override { ++refreshes_; }
  void SurfaceResized() override {}
  bool CloseRequested() const override { return false; }
  void Title(const std::string& title) override { title_ = title; }

  // The rectangles invalidated since the last call, in call order; clears the record.
  std::vector<RECT> TakeInvalidations();
  const std::vector<RECT>& Invalidations() const { return invalid_; }
  int Refreshes() const { return refreshes_; }
  // Simulates the user resizing the window to a client area of width x height.
  void UserResize(int width, int height) {
    if (onResize_) onResize_(width, below_ != nullptr ? height - below_->Height() : height);
  }
  // Simulates a key, wheel notch or pointer move.
  void UserInput(const WindowInput& input) {
    if (onInput_) onInput_(input);
  }
  // What the window would show: the picture in the surface's place (the surface itself
  // when none) and the one below it (null when none).
  const Surface& Shown() const { return picture_ != nullptr ? *picture_ : surface_; }
  const Surface* ShownBelow() const { return below_; }
  const std::string& TitleText() const { return title_; }

 private:
  const Surface& surface_;
  std::vector<RECT> invalid_;
  std::string title_;
  int refreshes_ = 0;
};

}  // namespace kavrin::host

#pragma once
// A window that shows nothing: it records every invalidated rectangle (the whole client
// area for a null rectangle) and counts repaints, so that tests and servers can see what
// the control asked to be shown. A record nobody takes stays bounded: past kMaxRecorded
// rectangles it is folded into their union.
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

  // The rectangles invalidated since the last call, in call order; clears the record.
  std::vector<RECT> TakeInvalidations();
  const std::vector<RECT>& Invalidations() const { return invalid_; }
  int Refreshes() const { return refreshes_; }
  // Simulates the user resizing the window.
  void UserResize(int width, int height) {
    if (onResize_) onResize_(width, height);
  }

 private:
  const Surface& surface_;
  std::vector<RECT> invalid_;
  int refreshes_ = 0;
};

}  // namespace kavrin::host

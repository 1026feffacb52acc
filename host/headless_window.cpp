#include "host/headless_window.h"

#include <algorithm>
#include <utility>

namespace kavrin::host {

void HeadlessWindow::Invalidate(const RECT* rc, bool /*erase*/) {
  if (invalid_.size() >= kMaxRecorded) {
    RECT all = invalid_.front();
    for (const RECT& r : invalid_) {
      all.left = std::min(all.left, r.left);
      all.top = std::min(all.top, r.top);
      all.right = std::max(all.right, r.right);
      all.bottom = std::max(all.bottom, r.bottom);
    }
    invalid_.assign(1, all);
  }
  invalid_.push_back(rc != nullptr ? *rc : RECT{0, 0, surface_.Width(), surface_.Height()});
}

std::vector<RECT> HeadlessWindow::TakeInvalidations() { return std::exchange(invalid_, {}); }

namespace {
class HeadlessBackend : public WindowBackend {
 public:
  std::unique_ptr<SiteWindow> CreateSiteWindow(const Surface& surface, const std::string&) override {
    return std::make_unique<HeadlessWindow>(surface);
  }
  void PumpEvents() override {}
};
}  // namespace

std::unique_ptr<WindowBackend> MakeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace kavrin::host

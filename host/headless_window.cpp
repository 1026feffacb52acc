#include "host/headless_window.h"

#include <utility>

namespace kavrin::host {

void HeadlessWindow::Invalidate(const RECT* rc, bool /*erase*/) {
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

// Built without Xlib: only headless forms.
#include "common/vb_error.h"
#include "host/window.h"

namespace kavrin::host {

std::unique_ptr<WindowBackend> MakeX11Backend(const char*) {
  Raise(err::kInvalidCall, "Cannot open a window: built without X11 support");
}

}  // namespace kavrin::host

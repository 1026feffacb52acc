#include "host/x11_window.h"

#include <algorithm>

#include "common/vb_error.h"

// Xlib's key names after our headers (its None and True would clash with theirs).
#include <X11/keysym.h>

namespace kavrin::host {

namespace {

int Shift(unsigned long mask) {
  int s = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++s;
  }
  return s;
}

// The displays of the backends alive: Xlib's I/O error handler is one for the process.
std::vector<Display*> g_displays;
XIOErrorHandler g_previousIoHandler = nullptr;

// Called by Xlib when a connection fails. For a backend's display it only returns: the
// display's exit handler (below) then records the loss instead of ending the process.
// Other connections of the process keep the handler they had.
extern "C" int OnIoError(Display* display) {
  if (std::find(g_displays.begin(), g_displays.end(), display) != g_displays.end()) return 0;
  return g_previousIoHandler != nullptr ? g_previousIoHandler(display) : 0;
}

}  // namespace

X11SiteWindow::X11SiteWindow(X11Backend& backend, const Surface& surface, const std::string& title)
    : backend_(backend), surface_(surface) {
  Display* d = backend_.GetDisplay();
  const XVisualInfo& vi = backend_.Visual();
  XSetWindowAttributes attrs{};
  attrs.colormap = backend_.GetColormap();
  attrs.border_pixel = 0;
  attrs.background_pixmap = None;  // the surface paints every pixel; no flash of a background
  attrs.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | ButtonPressMask | PointerMotionMask |
                    LeaveWindowMask;
  windowWidth_ = surface_.Width();
  windowHeight_ = surface_.Height();
  id_ = XCreateWindow(d, RootWindow(d, vi.screen), 0, 0, static_cast<unsigned>(windowWidth_),
                      static_cast<unsigned>(windowHeight_), 0, vi.depth, InputOutput, vi.visual,
                      CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attrs);
  XStoreName(d, id_, title.c_str());
  Atom wmDelete = backend_.WmDelete();
  XSetWMProtocols(d, id_, &wmDelete, 1);
  gc_ = XCreateGC(d, id_, 0, nullptr);
  XMapWindow(d, id_);
  XFlush(d);
}

X11SiteWindow::~X11SiteWindow() {
  backend_.Forget(this);
  Display* d = backend_.GetDisplay();
  XFreeGC(d, gc_);
  XDestroyWindow(d, id_);
  XFlush(d);
}

void X11SiteWindow::AddDirty(int l, int t, int r, int b) {
  l = std::max(l, 0);
  t = std::max(t, 0);
  r = std::min(r, ShownWidth());
  b = std::min(b, ShownHeight());
  if (r <= l || b <= t) return;
  if (dirty_.right <= dirty_.left) {
    dirty_ = RECT{l, t, r, b};
    return;
  }
  dirty_.left = std::min<LONG>(dirty_.left, l);
  dirty_.top = std::min<LONG>(dirty_.top, t);
  dirty_.right = std::max<LONG>(dirty_.right, r);
  dirty_.bottom = std::max<LONG>(dirty_.bottom, b);
}

void X11SiteWindow::Invalidate(const RECT* rc, bool /*erase*/) {
  if (rc == nullptr) AddDirty(0, 0, ShownWidth(), ShownHeight());
  else AddDirty(rc->left, rc->top, rc->right, rc->bottom);
}

void X11SiteWindow::Refresh() {
  dirty_ = RECT{0, 0, 0, 0};
  Paint(0, 0, ShownWidth(), ShownHeight());
  XFlush(backend_.GetDisplay());
}

void X11SiteWindow::Show(const Surface* picture, const Surface* below) {
  SiteWindow::Show(picture, below);
  FollowShownSize();
}

void X11SiteWindow::Title(const std::string& title) {
  Display* d = backend_.GetDisplay();
  XStoreName(d, id_, title.c_str());
  // Window managers read the UTF-8 name when there is one.
  const Atom name = XInternAtom(d, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  XChangeProperty(d, id_, name, utf8, 8, PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                  static_cast<int>(title.size()));
  XFlush(d);
}

void X11SiteWindow::WaitPainted() const { XSync(backend_.GetDisplay(), False); }

void X11SiteWindow::SurfaceResized() { FollowShownSize(); }

void X11SiteWindow::FollowShownSize() {
  if (ShownWidth() != windowWidth_ || ShownHeight() != windowHeight_) {
    windowWidth_ = ShownWidth();
    windowHeight_ = ShownHeight();
    XResizeWindow(backend_.GetDisplay(), id_, static_cast<unsigned>(windowWidth_), static_cast<unsigned>(windowHeight_));
  }
  dirty_ = RECT{0, 0, ShownWidth(), ShownHeight()};
}

void X11SiteWindow::Queue(const WindowInput& input) {
  // Only where the pointer is now matters: a move replaces the move before it.
  if (input.kind == WindowInput::Kind::kPointer && !inputs_.empty() &&
      inputs_.back().kind == WindowInput::Kind::kPointer) {
    inputs_.back() = input;
    return;
  }
  inputs_.push_back(input);
}

namespace {

WindowInput::Key KeyOf(KeySym sym) {
  switch (sym) {
    case XK_space: return WindowInput::Key::kSpace;
    case XK_Left:
    case XK_KP_Left: return WindowInput::Key::kLeft;
    case XK_Right:
    case XK_KP_Right: return WindowInput::Key::kRight;
    case XK_End:
    case XK_KP_End: return WindowInput::Key::kEnd;
    default: return WindowInput::Key::kOther;
  }
}

}  // namespace

void X11SiteWindow::Handle(const XEvent& ev) {
  switch (ev.type) {
    case Expose:
      AddDirty(ev.xexpose.x, ev.xexpose.y, ev.xexpose.x + ev.xexpose.width, ev.xexpose.y + ev.xexpose.height);
      break;
    case MapNotify: mapped_ = true; break;
    case UnmapNotify: mapped_ = false; break;
    case KeyPress: {
      XKeyEvent key = ev.xkey;
      Queue(WindowInput{WindowInput::Kind::kKey, KeyOf(XLookupKeysym(&key, 0)), 0, ev.xkey.x, ev.xkey.y});
      break;
    }
    case ButtonPress:
      // Buttons 4 and 5 are the wheel's notches up and down.
      if (ev.xbutton.button == Button4 || ev.xbutton.button == Button5)
        Queue(WindowInput{WindowInput::Kind::kWheel, WindowInput::Key::kOther, ev.xbutton.button == Button4 ? 1 : -1,
                          ev.xbutton.x, ev.xbutton.y});
      break;
    case MotionNotify:
      Queue(WindowInput{WindowInput::Kind::kPointer, WindowInput::Key::kOther, 0, ev.xmotion.x, ev.xmotion.y});
      break;
    case LeaveNotify:
      Queue(WindowInput{WindowInput::Kind::kPointerLeft, WindowInput::Key::kOther, 0, ev.xcrossing.x, ev.xcrossing.y});
      break;
    case ConfigureNotify:
      windowWidth_ = ev.xconfigure.width;
      windowHeight_ = ev.xconfigure.height;
      if (windowWidth_ != ShownWidth() || windowHeight_ != ShownHeight()) {
        pendingWidth_ = windowWidth_;
        pendingHeight_ = windowHeight_;
      } else {
        pendingWidth_ = pendingHeight_ = 0;
      }
      break;
    case ClientMessage:
      if (static_cast<Atom>(ev.xclient.data.l[0]) == backend_.WmDelete()) closeRequested_ = true;
      break;
    default: break;
  }
}

void X11SiteWindow::Flush() {
  if (pendingWidth_ > 0 && pendingHeight_ > 0) {
    // Only the last size of a drag counts; the control is told once, of its own part.
    const int below = below_ != nullptr ? below_->Height() : 0;
    const int w = std::clamp(pendingWidth_, 1, kMaxControlSide);
    const int h = std::clamp(pendingHeight_ - below, 1, kMaxControlSide);
    pendingWidth_ = pendingHeight_ = 0;
    if (onResize_) onResize_(w, h);
  }
  if (!inputs_.empty()) {
    std::vector<WindowInput> inputs;
    inputs.swap(inputs_);
    for (const WindowInput& input : inputs)
      if (onInput_) onInput_(input);
  }
  if (dirty_.right > dirty_.left && mapped_) {
    const RECT r = dirty_;
    dirty_ = RECT{0, 0, 0, 0};
    Paint(r.left, r.top, r.right, r.bottom);
  }
}

void X11SiteWindow::Paint(int l, int t, int r, int b) {
  r = std::min(r, ShownWidth());
  b = std::min(b, ShownHeight());
  if (r <= l || b <= t) return;
  const Visual* v = backend_.Visual().visual;
  const int rs = Shift(v->red_mask), gs = Shift(v->green_mask), bs = Shift(v->blue_mask);
  const int w = r - l, h = b - t;
  buffer_.assign(static_cast<size_t>(w) * h, 0);  // black where neither picture reaches
  const int topHeight = Top().Height();
  for (int y = 0; y < h; ++y) {
    const bool top = t + y < topHeight;
    const Surface* from = top ? &Top() : below_;
    if (from == nullptr) continue;
    const gdi::PixelView view = from->View();
    if (view.pixels == nullptr) continue;
    const int row = top ? t + y : t + y - topHeight;
    const int width = std::min(r, from->Width()) - l;
    const uint32_t* src = view.pixels + static_cast<size_t>(row) * view.stride + l;
    uint32_t* dst = buffer_.data() + static_cast<size_t>(y) * w;
    for (int x = 0; x < width; ++x) {
      const uint32_t p = src[x];
      dst[x] = (((p >> 16) & 0xFF) << rs) | (((p >> 8) & 0xFF) << gs) | ((p & 0xFF) << bs);
    }
  }
  Display* d = backend_.GetDisplay();
  XImage* image = XCreateImage(d, backend_.Visual().visual, static_cast<unsigned>(backend_.Visual().depth), ZPixmap,
                               0, reinterpret_cast<char*>(buffer_.data()), static_cast<unsigned>(w),
                               static_cast<unsigned>(h), 32, w * 4);
  if (image == nullptr) return;
  XPutImage(d, id_, gc_, image, 0, 0, l, t, static_cast<unsigned>(w), static_cast<unsigned>(h));
  image->data = nullptr;  // the buffer is ours
  XDestroyImage(image);
  ++paints_;
}

X11Backend::X11Backend(const char* displayName) {
  display_ = XOpenDisplay(displayName);
  if (display_ == nullptr) Raise(err::kInvalidCall, "Cannot open the X display");
  const int screen = DefaultScreen(display_);
  if (!XMatchVisualInfo(display_, screen, 24, TrueColor, &visual_)) {
    XCloseDisplay(display_);
    Raise(err::kInvalidCall, "The X display has no 24-bit TrueColor visual");
  }
  colormap_ = XCreateColormap(display_, RootWindow(display_, screen), visual_.visual, AllocNone);
  wmDelete_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
  static const bool installed = [] {
    g_previousIoHandler = XSetIOErrorHandler(OnIoError);
    return true;
  }();
  (void)installed;
  g_displays.push_back(display_);
  // When the exit handler returns, Xlib marks the connection dead instead of exiting; every
  // later call on it returns without talking to the server.
  XSetIOErrorExitHandler(display_, &X11Backend::OnConnectionLost, this);
}

X11Backend::~X11Backend() {
  XFreeColormap(display_, colormap_);
  XCloseDisplay(display_);
  g_displays.erase(std::remove(g_displays.begin(), g_displays.end(), display_), g_displays.end());
}

void X11Backend::OnConnectionLost(Display* /*display*/, void* backend) { static_cast<X11Backend*>(backend)->lost_ = true; }

std::unique_ptr<SiteWindow> X11Backend::CreateSiteWindow(const Surface& surface, const std::string& title) {
  auto w = std::make_unique<X11SiteWindow>(*this, surface, title);
  windows_.push_back(w.get());
  return w;
}

void X11Backend::Forget(X11SiteWindow* w) { windows_.erase(std::remove(windows_.begin(), windows_.end(), w), windows_.end()); }

void X11Backend::PumpEvents() {
  if (lost_) return;
  while (!lost_ && XPending(display_) > 0) {
    XEvent ev;
    XNextEvent(display_, &ev);
    for (X11SiteWindow* w : windows_)
      if (w->Id() == ev.xany.window) w->Handle(ev);
  }
  if (lost_) return;
  // A resize handler may run the control's Resize, which may close windows: iterate a copy.
  const std::vector<X11SiteWindow*> windows = windows_;
  for (X11SiteWindow* w : windows)
    if (std::find(windows_.begin(), windows_.end(), w) != windows_.end()) w->Flush();
  XFlush(display_);
}

std::unique_ptr<WindowBackend> MakeX11Backend(const char* display) { return std::make_unique<X11Backend>(display); }

}  // namespace kavrin::host

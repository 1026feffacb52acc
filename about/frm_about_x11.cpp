// The About window on an X display: a frameless, fixed-size top-level window (the window
// manager is asked for no decorations), painted from the client pixels, closed by any
// mouse-button press. Show runs its own event loop until the window is unloaded.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <cstring>
#include <memory>

#include "about/frm_about.h"
#include "common/vb_error.h"

namespace kavrin {

struct frmAbout::Window {
  Display* display = nullptr;
  ::Window id = 0;
  GC gc = nullptr;
  XImage* image = nullptr;
  std::vector<uint32_t> pixels;  // in the visual's pixel format
  Atom wmDelete = 0;
  uint64_t generation = 0;
  bool painted = false;

  ~Window() {
    if (image != nullptr) {
      image->data = nullptr;  // the pixels belong to the vector
      XDestroyImage(image);
    }
    if (gc != nullptr) XFreeGC(display, gc);
    if (id != 0) XDestroyWindow(display, id);
    if (display != nullptr) XCloseDisplay(display);
  }
};

namespace {

uint64_t g_generation = 0;

int Shift(unsigned long mask) {
  int s = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++s;
  }
  return s;
}

// 0x00RRGGBB -> the visual's pixel value (8 bits per channel on the TrueColor visuals
// this window asks for).
uint32_t ToVisual(uint32_t rgb, const Visual* v) {
  return static_cast<uint32_t>((((rgb >> 16) & 0xFF) << Shift(v->red_mask)) |
                               (((rgb >> 8) & 0xFF) << Shift(v->green_mask)) |
                               ((rgb & 0xFF) << Shift(v->blue_mask)));
}

void SetNoDecorations(Display* d, ::Window w) {
  // The Motif hints: flags = decorations, decorations = none.
  struct {
    unsigned long flags, functions, decorations;
    long inputMode;
    unsigned long status;
  } hints{2, 0, 0, 0, 0};
  const Atom motif = XInternAtom(d, "_MOTIF_WM_HINTS", False);
  XChangeProperty(d, w, motif, motif, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&hints), 5);
  const Atom type = XInternAtom(d, "_NET_WM_WINDOW_TYPE", False);
  Atom dialog = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  XChangeProperty(d, w, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&dialog), 1);
}

}  // namespace

void frmAbout::Show() {
  if (window_ != nullptr) Unload();  // a second Show replaces the visible window

  auto win = std::make_unique<Window>();
  win->display = XOpenDisplay(nullptr);
  if (win->display == nullptr) Raise(err::kInvalidCall, "Cannot show the About box: no X display");
  Display* d = win->display;
  const int screen = DefaultScreen(d);
  XVisualInfo vi{};
  if (!XMatchVisualInfo(d, screen, 24, TrueColor, &vi))
    Raise(err::kInvalidCall, "Cannot show the About box: the X display has no 24-bit TrueColor visual");

  const std::vector<uint32_t> client = ClientPixels();
  win->pixels.resize(client.size());
  for (size_t i = 0; i < client.size(); ++i) win->pixels[i] = ToVisual(client[i], vi.visual);

  XSetWindowAttributes attrs{};
  attrs.colormap = XCreateColormap(d, RootWindow(d, screen), vi.visual, AllocNone);
  attrs.background_pixel = ToVisual(kFormBackColor, vi.visual);
  attrs.border_pixel = 0;
  attrs.event_mask = ExposureMask | ButtonPressMask | StructureNotifyMask;
  const int x = (DisplayWidth(d, screen) - kClientWidth) / 2;
  const int y = (DisplayHeight(d, screen) - kClientHeight) / 2;
  win->id = XCreateWindow(d, RootWindow(d, screen), x, y, kClientWidth, kClientHeight, 0, vi.depth, InputOutput,
                          vi.visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attrs);
  XFreeColormap(d, attrs.colormap);  // the window keeps its own reference
  XStoreName(d, win->id, caption_.c_str());
  XSizeHints* size = XAllocSizeHints();
  size->flags = PPosition | PMinSize | PMaxSize;
  size->x = x;
  size->y = y;
  size->min_width = size->max_width = kClientWidth;
  size->min_height = size->max_height = kClientHeight;
  XSetWMNormalHints(d, win->id, size);
  XFree(size);
  SetNoDecorations(d, win->id);
  win->wmDelete = XInternAtom(d, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(d, win->id, &win->wmDelete, 1);
  win->gc = XCreateGC(d, win->id, 0, nullptr);
  win->image = XCreateImage(d, vi.visual, static_cast<unsigned>(vi.depth), ZPixmap, 0,
                            reinterpret_cast<char*>(win->pixels.data()), kClientWidth, kClientHeight, 32,
                            kClientWidth * 4);
  if (win->image == nullptr || win->image->bits_per_pixel != 32)
    Raise(err::kInvalidCall, "Cannot show the About box: unsupported X image format");
  XMapRaised(d, win->id);
  XFlush(d);

  const uint64_t mine = ++g_generation;
  win->generation = mine;
  window_ = win.release();
  const auto stillMine = [this, mine] { return window_ != nullptr && window_->generation == mine; };

  try {
    while (stillMine()) {
      while (stillMine() && XPending(window_->display) > 0) {
        XEvent ev;
        XNextEvent(window_->display, &ev);
        if (ev.type == Expose && ev.xexpose.count == 0) {
          XPutImage(window_->display, window_->id, window_->gc, window_->image, 0, 0, 0, 0, kClientWidth,
                    kClientHeight);
          // Synced, not just flushed: once painted says so, any client reading the window
          // sees the picture.
          XSync(window_->display, False);
          window_->painted = true;
        } else if (ev.type == ButtonPress && (ev.xbutton.button < 4 || ev.xbutton.button > 7)) {
          Unload();  // any button, any shift state, anywhere; wheel steps (4 to 7) are no press
        } else if (ev.type == ClientMessage && static_cast<Atom>(ev.xclient.data.l[0]) == window_->wmDelete) {
          Unload();
        }
      }
      if (!stillMine()) break;
      if (idle_) idle_();
      if (!stillMine()) break;
      pollfd pfd{ConnectionNumber(window_->display), POLLIN, 0};
      poll(&pfd, 1, idle_ ? 10 : 100);
    }
  } catch (...) {
    if (stillMine()) Unload();
    throw;
  }
}

void frmAbout::Unload() {
  delete window_;
  window_ = nullptr;
}

bool frmAbout::Visible() const { return window_ != nullptr; }
bool frmAbout::Painted() const { return window_ != nullptr && window_->painted; }
unsigned long frmAbout::WindowId() const { return window_ != nullptr ? window_->id : 0; }

}  // namespace kavrin

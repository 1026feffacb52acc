// The X11 window of a sited control, on a private Xvfb: it shows exactly the surface's
// pixels (or a picture in its place and another below), paints what is invalidated, follows
// the control's size, resizes the control when the user resizes it, reports a close request
// and delivers keys, wheel notches and pointer moves made with XTest.
#include <gtest/gtest.h>

#ifdef KAVRIN_HAVE_X11
#include <chrono>
#include <functional>
#include <thread>

#include "common/vb_error.h"
#include "host/form.h"
#include "tests/host/fake_control.h"
#include "tests/host/x_server.h"
// Xlib last (its True/False macros).
#include "host/x11_window.h"
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace kavrin::host {
namespace {

class X11Form : public testing::Test {
 protected:
  void SetUp() override {
    KAVRIN_REQUIRE_X();
    peer_ = XOpenDisplay(nullptr);  // a second client: the "user" and the screen reader
    ASSERT_NE(peer_, nullptr);
    form_ = std::make_unique<Form>(MakeX11Backend());
    form_->RegisterClass<test::FakeChart>("FakeChart");
    site_ = &form_->Add("FakeChart");
    window_ = &dynamic_cast<X11SiteWindow&>(site_->Window());
    ASSERT_TRUE(PumpUntil([&] { return window_->Mapped() && window_->Paints() > 0; }));
  }
  void TearDown() override {
    form_.reset();
    if (peer_ != nullptr) XCloseDisplay(peer_);
  }

  bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      form_->PumpEvents();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

  // The first window pixel that differs from the surface, as "x,y window surface"; empty
  // when the window shows exactly the surface.
  std::string DiffWindowAndSurface() { return DiffWindow(site_->GetSurface(), 0); }
  // The same for a surface shown from the window's row `top` on.
  std::string DiffWindow(const Surface& s, int top) {
    window_->WaitPainted();  // the form's connection: its paints reach the server first
    XSync(peer_, False);
    XImage* img = XGetImage(peer_, window_->Id(), 0, top, static_cast<unsigned>(s.Width()),
                            static_cast<unsigned>(s.Height()), AllPlanes, ZPixmap);
    if (img == nullptr) return "no image";
    const gdi::PixelView v = s.View();
    std::string diff;
    for (int y = 0; y < s.Height() && diff.empty(); ++y)
      for (int x = 0; x < s.Width() && diff.empty(); ++x) {
        const unsigned long p = XGetPixel(img, x, y);
        const uint32_t rgb = static_cast<uint32_t>(((p & img->red_mask) >> 16) << 16 | ((p & img->green_mask) >> 8) << 8 |
                                                   (p & img->blue_mask));
        const uint32_t want = v.pixels[static_cast<size_t>(y) * v.stride + x] & 0xFFFFFF;
        if (rgb != want) {
          char buf[96];
          std::snprintf(buf, sizeof buf, "%d,%d window %06X surface %06X", x, y, rgb, want);
          diff = buf;
        }
      }
    XDestroyImage(img);
    return diff;
  }
  HDC Dc() { return site_->GetSurface().Dc(); }
  HWND Wnd() { return static_cast<HWND>(LongToHandle(site_->hWnd())); }

  Display* peer_ = nullptr;
  std::unique_ptr<Form> form_;
  ControlSite* site_ = nullptr;
  X11SiteWindow* window_ = nullptr;
};

TEST_F(X11Form, WindowShowsExactlyTheSurfacesPixels) {
  EXPECT_EQ(DiffWindowAndSurface(), "");
  // Every channel value at once, then invalidate all of it.
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) SetPixel(Dc(), x, y, RGB(x & 255, y, (x * 7 + y * 3) & 255));
  InvalidateRect(Wnd(), nullptr, FALSE);
  form_->PumpEvents();
  EXPECT_EQ(DiffWindowAndSurface(), "");
}

TEST_F(X11Form, InvalidationsAreCoalescedAndPaintedWhenPumped) {
  const int before = window_->Paints();
  const RECT a{10, 10, 20, 20};
  const RECT b{100, 50, 110, 60};
  SetPixel(Dc(), 15, 15, RGB(1, 2, 3));
  SetPixel(Dc(), 105, 55, RGB(4, 5, 6));
  InvalidateRect(Wnd(), &a, FALSE);
  InvalidateRect(Wnd(), &b, FALSE);
  EXPECT_EQ(window_->Paints(), before);  // nothing until the host pumps
  form_->PumpEvents();
  EXPECT_EQ(window_->Paints(), before + 1);  // both rectangles in one paint
  EXPECT_EQ(DiffWindowAndSurface(), "");
  // Drawing that is not invalidated is not shown until it is.
  SetPixel(Dc(), 300, 200, RGB(7, 8, 9));
  SetPixel(Dc(), 0, 0, RGB(7, 8, 9));
  form_->PumpEvents();
  EXPECT_NE(DiffWindowAndSurface(), "");
  site_->Refresh();  // at once, without pumping
  EXPECT_EQ(DiffWindowAndSurface(), "");
}

TEST_F(X11Form, UserResizeRebuildsTheSurfaceAndFiresResize) {
  auto* fake = site_->ControlAs<test::FakeChart>();
  ASSERT_NE(fake, nullptr);
  const int resizes = fake->resizes;
  XResizeWindow(peer_, window_->Id(), 200, 150);
  XSync(peer_, False);
  ASSERT_TRUE(PumpUntil([&] { return site_->ScaleWidth() == 200.0f; }));
  EXPECT_EQ(site_->ScaleHeight(), 150.0f);
  EXPECT_EQ(fake->resizes, resizes + 1);
  form_->PumpEvents();
  EXPECT_EQ(DiffWindowAndSurface(), "");
}

TEST_F(X11Form, WindowFollowsTheControlsSize) {
  site_->SetSize(300, 180);
  form_->PumpEvents();
  XSync(peer_, False);
  XWindowAttributes attrs{};
  ASSERT_TRUE(PumpUntil([&] {
    XGetWindowAttributes(peer_, window_->Id(), &attrs);
    return attrs.width == 300 && attrs.height == 180;
  }));
  // Its own resize does not come back as a user resize.
  for (int i = 0; i < 5; ++i) form_->PumpEvents();
  EXPECT_EQ(site_->ControlAs<test::FakeChart>()->resizes, 2);
  EXPECT_EQ(DiffWindowAndSurface(), "");
}

TEST_F(X11Form, CloseRequestIsReportedNotActedOn) {
  EXPECT_FALSE(form_->CloseRequested());
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = window_->Id();
  ev.xclient.message_type = XInternAtom(peer_, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(XInternAtom(peer_, "WM_DELETE_WINDOW", False));
  XSendEvent(peer_, window_->Id(), False, NoEventMask, &ev);
  XSync(peer_, False);
  ASSERT_TRUE(PumpUntil([&] { return form_->CloseRequested(); }));
  EXPECT_EQ(form_->Count(), 1u);
}

TEST_F(X11Form, ShowsAPictureInTheSurfacesPlaceAndAStripBelowIt) {
  Surface picture(320, 240, RGB(10, 20, 30));
  Surface strip(320, 30, RGB(200, 100, 50));
  SetPixel(strip.Dc(), 5, 29, RGB(1, 2, 3));
  // A picture of the surface's size: nothing is resized, all is painted anew.
  window_->Show(&picture, nullptr);
  form_->PumpEvents();
  EXPECT_EQ(DiffWindow(picture, 0), "");
  window_->Show(&picture, &strip);
  XWindowAttributes attrs{};
  ASSERT_TRUE(PumpUntil([&] {
    XGetWindowAttributes(peer_, window_->Id(), &attrs);
    return attrs.height == 270;
  }));
  form_->PumpEvents();
  EXPECT_EQ(DiffWindow(picture, 0), "");
  EXPECT_EQ(DiffWindow(strip, 240), "");
  // The user's resize goes to the control less the strip's rows.
  window_->Show(nullptr, &strip);
  form_->PumpEvents();
  XResizeWindow(peer_, window_->Id(), 320, 230);
  XSync(peer_, False);
  ASSERT_TRUE(PumpUntil([&] { return site_->ScaleHeight() == 200.0f; }));
  EXPECT_EQ(site_->ScaleWidth(), 320.0f);
  window_->Show(nullptr, nullptr);
}

TEST_F(X11Form, KeysWheelAndPointerReachTheHostInOrder) {
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(peer_, &event, &error, &major, &minor)) GTEST_SKIP() << "no XTest extension";
  std::vector<WindowInput> got;
  window_->OnInput([&](const WindowInput& in) { got.push_back(in); });
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(peer_, window_->Id(), DefaultRootWindow(peer_), 40, 30, &x, &y, &child);
  XTestFakeMotionEvent(peer_, DefaultScreen(peer_), x - 1, y, 0);
  XTestFakeMotionEvent(peer_, DefaultScreen(peer_), x, y, 0);  // folded into one move
  XSync(peer_, False);
  ASSERT_TRUE(PumpUntil([&] { return !got.empty(); }));
  for (KeySym key : {XK_space, XK_Left, XK_Right, XK_End, XK_a}) {
    XTestFakeKeyEvent(peer_, XKeysymToKeycode(peer_, key), True, 0);
    XTestFakeKeyEvent(peer_, XKeysymToKeycode(peer_, key), False, 0);
  }
  for (unsigned button : {4u, 5u, 1u}) {
    XTestFakeButtonEvent(peer_, button, True, 0);
    XTestFakeButtonEvent(peer_, button, False, 0);
  }
  XTestFakeMotionEvent(peer_, DefaultScreen(peer_), x + 400, y + 300, 0);  // out of the window
  XSync(peer_, False);
  ASSERT_TRUE(PumpUntil([&] { return got.size() >= 9; }));
  using K = WindowInput::Kind;
  using Key = WindowInput::Key;
  const std::vector<std::tuple<K, Key, int>> want{
      {K::kPointer, Key::kOther, 0}, {K::kKey, Key::kSpace, 0}, {K::kKey, Key::kLeft, 0}, {K::kKey, Key::kRight, 0},
      {K::kKey, Key::kEnd, 0},       {K::kKey, Key::kOther, 0}, {K::kWheel, Key::kOther, 1}, {K::kWheel, Key::kOther, -1},
      {K::kPointerLeft, Key::kOther, 0}};
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i)
    EXPECT_EQ(std::make_tuple(got[i].kind, got[i].key, got[i].wheel), want[i]) << i;
  EXPECT_EQ(got[0].x, 40);
  EXPECT_EQ(got[0].y, 30);
  window_->OnInput(nullptr);
}

TEST(X11Backend, AMissingDisplayRaisesInvalidCall) {
  try {
    MakeX11Backend(":4711");
    FAIL() << "opened";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kInvalidCall);
  }
}

}  // namespace
}  // namespace kavrin::host
#endif

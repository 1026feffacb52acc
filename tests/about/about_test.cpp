// The About box: its picture and client area, the error without a display, and on a
// private Xvfb: a frameless 242 x 135 window showing the picture, closed by a press of any
// mouse button, replaced by a second Show during the modal wait.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "about/about_picture.h"
#include "about/frm_about.h"
#include "common/vb_error.h"
#include "tests/host/x_server.h"

#ifdef KAVRIN_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#endif

namespace kavrin {
namespace {

TEST(AboutPicture, IsTheStoredJpegOf241By135) {
  EXPECT_GT(about::kAboutJpegSize, 1000u);
  EXPECT_EQ(about::kAboutJpeg[0], 0xFF);  // JPEG start-of-image marker
  EXPECT_EQ(about::kAboutJpeg[1], 0xD8);
  const DecodedImage& pic = frmAbout::Default().Picture();
  EXPECT_EQ(pic.width, 241);
  EXPECT_EQ(pic.height, 135);
  // The banner across the top is dark and the body light: the picture decoded as drawn.
  const uint32_t banner = pic.pixels[5 * 241 + 3];
  const uint32_t body = pic.pixels[104 * 241 + 200];
  EXPECT_LT((banner >> 16 & 255) + (banner >> 8 & 255) + (banner & 255), 300u);
  EXPECT_GT((body >> 16 & 255) + (body >> 8 & 255) + (body & 255), 600u);
}

TEST(AboutForm, ClientAreaIsThePictureOnTheFormBackground) {
  frmAbout& about = frmAbout::Default();
  EXPECT_EQ(about.Caption(), "frmAbout");
  const std::vector<uint32_t> px = about.ClientPixels();
  ASSERT_EQ(px.size(), 242u * 135u);
  const DecodedImage& pic = about.Picture();
  for (int y = 0; y < 135; ++y) {
    EXPECT_EQ(px[y * 242 + 241], frmAbout::kFormBackColor) << y;
    for (int x = 0; x < 241; ++x) ASSERT_EQ(px[y * 242 + x], pic.pixels[y * 241 + x]) << x << "," << y;
  }
}

TEST(AboutForm, ShowWithoutADisplayRaisesAClearError) {
  const char* saved = std::getenv("DISPLAY");
  const std::string display = saved != nullptr ? saved : "";
  unsetenv("DISPLAY");
  try {
    frmAbout::Default().Show();
    ADD_FAILURE() << "shown";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kInvalidCall);
    EXPECT_THAT(e.what(), testing::HasSubstr("Cannot show the About box: no X display"));
  }
  if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
  EXPECT_FALSE(frmAbout::Default().Visible());
}

#ifdef KAVRIN_HAVE_X11

// Drives the modal wait from its idle hook: once the window is painted, runs `act`
// (with a connection of its own), and gives up after ten seconds.
class AboutWindow : public testing::Test {
 protected:
  void SetUp() override {
    KAVRIN_REQUIRE_X();
    peer_ = XOpenDisplay(nullptr);
    ASSERT_NE(peer_, nullptr);
    int ev, er, major, minor;
    if (!XTestQueryExtension(peer_, &ev, &er, &major, &minor)) GTEST_SKIP() << "no XTest extension";
  }
  void TearDown() override {
    frmAbout::Default().OnModalIdle(nullptr);
    if (frmAbout::Default().Visible()) frmAbout::Default().Unload();
    if (peer_ != nullptr) XCloseDisplay(peer_);
  }

  // Presses and releases a button over the middle of the About window.
  void Press(unsigned int button) {
    const Window id = frmAbout::Default().WindowId();
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(peer_, id, DefaultRootWindow(peer_), 121, 67, &x, &y, &child);
    XTestFakeMotionEvent(peer_, DefaultScreen(peer_), x, y, 0);
    XTestFakeButtonEvent(peer_, button, True, 0);
    XTestFakeButtonEvent(peer_, button, False, 0);
    XSync(peer_, False);
  }

  // Shows the window; `act` runs once from the modal wait after the window is painted.
  // Returns false when the window had to be unloaded by the watchdog.
  bool ShowAndThen(const std::function<void()>& act) {
    bool acted = false, timedOut = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    frmAbout& about = frmAbout::Default();
    about.OnModalIdle([&] {
      if (std::chrono::steady_clock::now() > deadline) {
        timedOut = true;
        about.Unload();
      } else if (!acted && about.Painted()) {
        acted = true;
        act();
      }
    });
    about.Show();
    about.OnModalIdle(nullptr);
    return !timedOut;
  }

  Display* peer_ = nullptr;
};

TEST_F(AboutWindow, IsAFramelessWindowShowingThePicture) {
  std::string diff;
  XWindowAttributes attrs{};
  std::vector<unsigned long> motif;
  std::string name;
  ASSERT_TRUE(ShowAndThen([&] {
    const Window id = frmAbout::Default().WindowId();
    XGetWindowAttributes(peer_, id, &attrs);
    const Atom hints = XInternAtom(peer_, "_MOTIF_WM_HINTS", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(peer_, id, hints, 0, 5, False, hints, &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
      const auto* v = reinterpret_cast<const unsigned long*>(data);
      motif.assign(v, v + count);
      XFree(data);
    }
    char* wmName = nullptr;
    if (XFetchName(peer_, id, &wmName) && wmName != nullptr) {
      name = wmName;
      XFree(wmName);
    }
    const std::vector<uint32_t> want = frmAbout::Default().ClientPixels();
    XImage* img = XGetImage(peer_, id, 0, 0, 242, 135, AllPlanes, ZPixmap);
    for (int y = 0; img != nullptr && y < 135 && diff.empty(); ++y)
      for (int x = 0; x < 242 && diff.empty(); ++x) {
        const unsigned long p = XGetPixel(img, x, y);
        const uint32_t rgb = static_cast<uint32_t>(p & 0xFFFFFF);  // Xvfb: 0x00RRGGBB
        if (rgb != want[y * 242 + x]) diff = std::to_string(x) + "," + std::to_string(y);
      }
    if (img != nullptr) XDestroyImage(img);
    Press(1);
  }));
  EXPECT_EQ(attrs.width, 242);
  EXPECT_EQ(attrs.height, 135);
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[0] & 2, 2u);  // decorations given ...
  EXPECT_EQ(motif[2], 0u);      // ... and none wanted
  EXPECT_EQ(name, "frmAbout");
  EXPECT_EQ(diff, "") << "first differing pixel";
  EXPECT_FALSE(frmAbout::Default().Visible());
}

class AboutButtons : public AboutWindow, public testing::WithParamInterface<unsigned int> {};

TEST_P(AboutButtons, AnyButtonPressClosesIt) {
  EXPECT_TRUE(ShowAndThen([&] { Press(GetParam()); }));
  EXPECT_FALSE(frmAbout::Default().Visible());
}
INSTANTIATE_TEST_SUITE_P(LeftMiddleRight, AboutButtons, testing::Values(1u, 2u, 3u));

TEST_F(AboutWindow, TurningTheWheelIsNoPress) {
  frmAbout& about = frmAbout::Default();
  enum { kWaiting, kTurned, kPressed } stage = kWaiting;
  bool visibleAfterWheel = false;
  std::chrono::steady_clock::time_point turned;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  about.OnModalIdle([&] {
    const auto now = std::chrono::steady_clock::now();
    if (now > deadline) {
      about.Unload();
    } else if (stage == kWaiting && about.Painted()) {
      Press(4);  // wheel up and down
      Press(5);
      turned = now;
      stage = kTurned;
    } else if (stage == kTurned && now - turned > std::chrono::milliseconds(300)) {
      visibleAfterWheel = about.Visible();  // the wheel events have been handled by now
      Press(1);
      stage = kPressed;
    }
  });
  about.Show();
  EXPECT_EQ(stage, kPressed);
  EXPECT_TRUE(visibleAfterWheel);
  EXPECT_FALSE(about.Visible());
}

TEST_F(AboutWindow, ASecondShowReplacesTheVisibleWindow) {
  // The peer watches top-level windows come and go.
  XSelectInput(peer_, DefaultRootWindow(peer_), SubstructureNotifyMask);
  XSync(peer_, False);
  bool innerReturned = false;
  bool visibleAfterInner = true;
  ASSERT_TRUE(ShowAndThen([&] {
    // From code that runs during the modal wait: a fresh window, shown modally in turn.
    EXPECT_TRUE(ShowAndThen([&] { Press(3); }));
    innerReturned = true;
    visibleAfterInner = frmAbout::Default().Visible();
  }));
  EXPECT_TRUE(innerReturned);
  EXPECT_FALSE(visibleAfterInner);  // the first window was unloaded, not kept
  EXPECT_FALSE(frmAbout::Default().Visible());
  XSync(peer_, False);
  std::string order;
  while (XPending(peer_) > 0) {
    XEvent ev;
    XNextEvent(peer_, &ev);
    if (ev.type == CreateNotify) order += "C";
    if (ev.type == DestroyNotify) order += "D";
  }
  EXPECT_EQ(order, "CDCD");  // the first is destroyed before the second is made
}

#endif

}  // namespace
}  // namespace kavrin

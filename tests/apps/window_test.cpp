// kavrin-chart with a live window on a private Xvfb: the window shows the chart, and
// closing it (WM_DELETE_WINDOW, as a window manager sends) ends the run with every output
// complete. Skipped when no X server can be had.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <thread>

#include "tests/apps/chart_process.h"
#include "tests/host/x_server.h"
#include "tests/support/pixels.h"

#ifdef KAVRIN_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace kavrin::test {
namespace {

using Clock = std::chrono::steady_clock;

class ChartWindow : public testing::Test {
 protected:
  void SetUp() override {
    KAVRIN_REQUIRE_X();
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr);
    dir_ = FreshDir(testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override {
    if (display_ != nullptr) XCloseDisplay(display_);
  }

  // The chart's top-level window, once it is mapped (0 after the timeout); its name in name.
  Window FindChartWindow(int seconds = 20, std::string* title = nullptr) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      Window root = 0;
      Window parent = 0;
      Window* children = nullptr;
      unsigned n = 0;
      Window found = 0;
      if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &n) != 0) {
        for (unsigned i = 0; i < n && found == 0; ++i) {
          char* name = nullptr;
          XWindowAttributes wa{};
          if (XFetchName(display_, children[i], &name) != 0 && name != nullptr) {
            if (std::string(name).find("kavrin-chart") != std::string::npos &&
                XGetWindowAttributes(display_, children[i], &wa) != 0 && wa.map_state == IsViewable) {
              found = children[i];
              if (title != nullptr) *title = name;
            }
            XFree(name);
          }
        }
        if (children != nullptr) XFree(children);
      }
      if (found != 0) return found;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
  }

  Image Grab(Window w) {
    XWindowAttributes wa{};
    XGetWindowAttributes(display_, w, &wa);
    Image img;
    XImage* x = XGetImage(display_, w, 0, 0, static_cast<unsigned>(wa.width), static_cast<unsigned>(wa.height),
                          AllPlanes, ZPixmap);
    if (x == nullptr) return img;
    img.width = wa.width;
    img.height = wa.height;
    for (int y = 0; y < wa.height; ++y) {
      for (int xx = 0; xx < wa.width; ++xx) {
        const unsigned long p = XGetPixel(x, xx, y);
        img.px.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
      }
    }
    XDestroyImage(x);
    return img;
  }

  void Close(Window w) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", 0);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", 0));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, w, 0, NoEventMask, &ev);
    XFlush(display_);
  }

  Display* display_ = nullptr;
  std::string dir_;
};

TEST_F(ChartWindow, ShowsTheChartAsItsPictureAndClosingEndsTheRun) {
  RunningChart run({"demo", "--window", "--rate", "100", "--ticks", "30", "--hold", "--out", dir_});
  const Window w = FindChartWindow();
  ASSERT_NE(w, 0u) << "no chart window appeared";
  // --hold: after 30 ticks the pictures are written and the window stays, showing them.
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  std::optional<Image> picture;
  Difference d;
  d.count = -1;
  while (Clock::now() < deadline) {
    const auto pngs = FilesEndingWith(dir_, ".png");
    if (!pngs.empty()) {
      if (!picture) picture = ReadPng(pngs[0]);
      if (picture) {
        d = Compare(*picture, Grab(w), OutputDir() + "/app-window-diff.png");
        if (d.count == 0) break;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(picture.has_value()) << "no picture written";
  EXPECT_EQ(picture->width, 480);
  EXPECT_EQ(d.count, 0) << d.Describe();

  Close(w);
  const auto r = run.Wait(30);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(LogRows(FilesEndingWith(dir_, ".log").at(0)).size(), 30u);
}

TEST_F(ChartWindow, ClosingDuringTheRunKeepsEveryTickInTheLog) {
  RunningChart run({"demo", "--window", "--rate", "100", "--out", dir_});
  const Window w = FindChartWindow();
  ASSERT_NE(w, 0u) << "no chart window appeared";
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  Close(w);
  const auto r = run.Wait(30);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.err, m, std::regex("(\\d+) tick\\(s\\)"))) << r.err;
  const size_t ticks = std::stoul(m[1]);
  EXPECT_GT(ticks, 0u);
  EXPECT_EQ(LogRows(FilesEndingWith(dir_, ".log").at(0)).size(), ticks);
  EXPECT_EQ(FilesEndingWith(dir_, ".png").size(), 1u);
  EXPECT_EQ(FilesEndingWith(dir_, ".bmp").size(), 1u);
}

TEST_F(ChartWindow, ResizingDrawsTheHistoryAgainAndTheLogGoesOnInAPart) {
  RunningChart run({"demo", "--window", "--rate", "100", "--out", dir_});
  const Window w = FindChartWindow();
  ASSERT_NE(w, 0u) << "no chart window appeared";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  XResizeWindow(display_, w, 400, 250);
  XFlush(display_);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Close(w);
  const auto r = run.Wait(30);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, testing::ContainsRegex("resized; the chart was drawn again with its [1-9][0-9]* most recent ticks"));
  const auto logs = FilesEndingWith(dir_, ".log");
  ASSERT_EQ(logs.size(), 2u);
  EXPECT_THAT(logs[0], testing::EndsWith("-part2.log"));
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.err, m, std::regex("(\\d+) tick\\(s\\)"))) << r.err;
  // Every tick is in one of the two parts, and the new part has the three lines again.
  const auto part2 = LogRows(logs[0]);
  ASSERT_FALSE(part2.empty());
  EXPECT_THAT(part2.back(), testing::MatchesRegex("\\[1\\].*,\\[2\\].*,\\[3\\].*"));
  EXPECT_EQ(LogRows(logs[1]).size() + part2.size(), std::stoul(m[1]));
  const auto png = ReadPng(FilesEndingWith(dir_, ".png").at(0));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 400);
  EXPECT_EQ(png->height, 250);
}

// A finite input in a window: the window stays, named after the input and the chart's
// title, until it is closed; --no-hold ends the run with the input.
TEST_F(ChartWindow, AFiniteInputKeepsItsWindowUntilItIsClosed) {
  const std::string file = dir_ + "/rig.csv";
  std::ofstream(file) << "1\n2\n3\n";
  // 3 lies outside the range 0 .. 2: the window's name says so once it happened.
  RunningChart held({file, "--window", "--set", "Title=Rig 7", "--set", "Min=0", "--set", "Max=2", "--out", dir_});
  std::string title;
  const Window w = FindChartWindow(20, &title);
  ASSERT_NE(w, 0u) << "no chart window appeared";
  // The three rows take no time; the run is then waiting for the window to close.
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (FilesEndingWith(dir_, ".png").empty() && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(FindChartWindow(1, &title), w) << "the window went away before it was closed";
  EXPECT_EQ(title, "Rig 7 - " + file + " - kavrin-chart - warning: values outside the range");
  Close(w);
  const auto r = held.Wait(30);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, testing::HasSubstr("3 tick(s)"));

  RunningChart once({file, "--window", "--no-hold", "--out", dir_});
  const auto r2 = once.Wait(30);
  EXPECT_EQ(r2.exitCode, 0) << r2.err;
  EXPECT_THAT(r2.err, testing::HasSubstr("3 tick(s)"));
  EXPECT_THAT(r2.err, testing::Not(testing::HasSubstr("close the window")));
}

// The window's view through the real X server: the pointer's column shows its tick's time
// and value in the title; Space pauses the view, a wheel notch moves it ten ticks back and
// Left two more, End returns to live.
TEST_F(ChartWindow, KeysAndTheWheelMoveThePausedViewAndThePointerShowsItsValues) {
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display_, &event, &error, &major, &minor)) GTEST_SKIP() << "no XTest extension";
  // Tick k at 10:00:00 + k seconds with the value k; the run then holds its window.
  const std::string file = dir_ + "/clock.txt";
  {
    std::ofstream out(file);
    out << "time v\n";
    char row[32];
    for (int k = 0; k < 100; ++k) {
      std::snprintf(row, sizeof row, "10:%02d:%02d %d\n", k / 60, k % 60, k);
      out << row;
    }
  }
  RunningChart run({file, "--window", "--set", "Min=0", "--set", "Max=100", "--out", dir_});
  const Window w = FindChartWindow();
  ASSERT_NE(w, 0u) << "no chart window appeared";
  run.ErrUntil("close the window");
  std::string title;
  // The title's status once it matches, within a few seconds.
  const auto titleUntil = [&](const std::string& pattern, std::smatch& m) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
      if (FindChartWindow(1, &title) == w && std::regex_search(title, m, std::regex(pattern))) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  };
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(display_, w, DefaultRootWindow(display_), 250, 100, &x, &y, &child);
  XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, 0);
  XSync(display_, False);
  std::smatch live;
  ASSERT_TRUE(titleUntil("kavrin-chart - 10:0(\\d):(\\d\\d)  v (\\d+)$", live)) << title;
  const int tick = std::stoi(live[3]);
  EXPECT_EQ(std::stoi(live[1]) * 60 + std::stoi(live[2]), tick);
  const auto press = [&](KeySym key) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), True, 0);
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), False, 0);
    XSync(display_, False);
  };
  std::smatch m;
  press(XK_space);
  ASSERT_TRUE(titleUntil("Paused, 0 ticks behind live  \\|  .*  v (\\d+)$", m)) << title;
  EXPECT_EQ(std::stoi(m[1]), tick);
  XTestFakeButtonEvent(display_, 4, True, 0);
  XTestFakeButtonEvent(display_, 4, False, 0);
  XSync(display_, False);
  ASSERT_TRUE(titleUntil("Paused, 10 ticks \\(10 s\\) behind live  \\|  .*  v (\\d+)$", m)) << title;
  EXPECT_EQ(std::stoi(m[1]), tick - 10);
  press(XK_Left);
  ASSERT_TRUE(titleUntil("Paused, 12 ticks \\(12 s\\) behind live  \\|  .*  v (\\d+)$", m)) << title;
  EXPECT_EQ(std::stoi(m[1]), tick - 12);
  press(XK_End);
  ASSERT_TRUE(titleUntil("kavrin-chart - 10:0\\d:\\d\\d  v (\\d+)$", m)) << title;
  EXPECT_EQ(std::stoi(m[1]), tick);
  Close(w);
  EXPECT_EQ(run.Wait(30).exitCode, 0);
}

// A display that goes away under a run (the X server ended) ends it as a stop signal does:
// every row read is in the log, the pictures are written, and the exit code says why.
TEST(ChartWindowLost, ServerKilledEndsTheRunWithEveryOutputComplete) {
  OwnXServer server;
  if (server.Name().empty()) GTEST_SKIP() << "no Xvfb";
  const std::string dir = FreshDir("ServerKilledEndsTheRun");
  const char* previous = std::getenv("DISPLAY");
  const std::string kept = previous != nullptr ? previous : "";
  setenv("DISPLAY", server.Name().c_str(), 1);
  RunningChart run({"--window", "--fixed", "--out", dir});  // one log part: rows reach it eleven at a time
  if (kept.empty()) unsetenv("DISPLAY");
  else setenv("DISPLAY", kept.c_str(), 1);
  std::string rows;
  for (int i = 1; i <= 25; ++i) rows += std::to_string(i) + "\n";
  run.Write(rows);
  // Rows reach the log eleven ticks at a time: two row lines mean the rows were read.
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (Clock::now() < deadline) {
    const auto logs = RunLogs(dir);
    if (!logs.empty() && RunLogRows(logs[0]).size() >= 22) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  server.Kill();  // the input stays open: only the lost display can end the run
  const auto r = run.Wait(30);
  EXPECT_EQ(r.exitCode, 5) << r.err;
  EXPECT_THAT(r.err, testing::HasSubstr("connection to the display was lost"));
  const auto logs = RunLogs(dir);
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(RunLogRows(logs[0]).size(), 25u);
  EXPECT_EQ(RunLogRows(logs[0]).back(), "[1]25");
  EXPECT_EQ(FilesEndingWith(dir, ".bmp").size(), 1u);
  EXPECT_EQ(FilesEndingWith(dir, ".png").size(), 1u);
}

TEST_F(ChartWindow, ASizeTheChartCannotBeDrawnAtKeepsTheRunAndTheChartGoing) {
  RunningChart run({"demo", "--window", "--rate", "100", "--out", dir_});
  const Window w = FindChartWindow();
  ASSERT_NE(w, 0u) << "no chart window appeared";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  auto resize = [&](int width, int height) {
    XResizeWindow(display_, w, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(display_);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  };
  // The window holds the chart and the 20 rows of time labels below it.
  resize(320, 70);  // a chart too short for the plot between the margins
  // One log: the chart was not started afresh.
  EXPECT_EQ(FilesEndingWith(dir_, ".log").size(), 1u);
  // A size that draws, then the refused one again: told again.
  resize(470, 290);
  resize(320, 70);
  Close(w);
  const auto r = run.Wait(30);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, testing::HasSubstr("cannot be drawn at 320 x 50"));
  EXPECT_THAT(r.err, testing::HasSubstr("it stays at 480 x 300 (the smallest it can be drawn at is "));
  EXPECT_NE(r.err.find("cannot be drawn at 320 x 50", r.err.find("cannot be drawn at 320 x 50") + 1),
            std::string::npos);
  // The picture has the chart's last good size, 470 x 270, and the labels below it.
  const auto png = ReadPng(FilesEndingWith(dir_, ".png").at(0));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 470);
  EXPECT_EQ(png->height, 290);
}

}  // namespace
}  // namespace kavrin::test
#endif

// The Linux half of the ATL container test (atl_host.cpp): runs the same form scenarios on a
// headless Linux form and compares what the Windows control showed with what the Linux
// surface holds. Outside text no pixel may differ; the ink of each text agrees within one
// pixel on every edge. Text is where a scenario's plain and alternative runs (text colours
// changed) differ, on either side (the scale's tick marks take the scale's text colour and
// count with its labels). The window is compared with what a window shows: the surface as
// it was at the last Refresh, with the parts invalidated since painted from the surface. The export log must be the same bytes apart from its
// [Time] line, and the exported bitmap file the same header and the same pixels outside text.
//
// Runs only when KAVRIN_WIN_FORM_DIR names the folder the Windows program wrote
// (tools/test-windows.sh sets it); prints "form_pixels: ... 0 differ" when all agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/image_decode.h"
#include "control/automation.h"
#include "control/kavrin_line_chart.h"
#include "draw/gdi_host.h"
#include "host/form.h"
#include "host/headless_window.h"
#include "tests/differential/shots.h"
#include "tests/support/pixels.h"
#include "tests/win32/form_scenario.h"

namespace kavrin::formtest {
namespace {

namespace fs = std::filesystem;

class FormDriver final : public Driver {
 public:
  FormDriver(std::string prefix, std::string folder, std::map<std::string, diff::Shot>* shots)
      : prefix_(std::move(prefix)), folder_(std::move(folder)), shots_(shots) {
    form_.RegisterClass<KavrinLineChart>("KavrinLineChart");
    DecodedImage img{kPointSide, kPointSide, PointPicture()};
    picture_ = StdPicture::FromImage(img);
  }
  void Place() override {
    site_ = &form_.Add("KavrinLineChart");
    Sync();
  }
  void Let(const std::string& name, const Arg& value) override {
    std::vector<Variant> args{ToVariant(value)};
    InvokeByName(Control(), name, value.kind == Arg::kFont ? kInvokeSet : kInvokeLet, args);
    Sync();
  }
  void Call(const std::string& name, const std::vector<Arg>& in) override {
    std::vector<Variant> args;
    for (const Arg& a : in) args.push_back(ToVariant(a));
    InvokeByName(Control(), name, kInvokeMethod, args);
    Sync();
  }
  void Resize(int width, int height) override {
    site_->SetSize(width, height);
    Sync();
  }
  // The surface, and what a window shows: the parts invalidated since its last paint are
  // painted from the surface when the snapshot waits for the paint.
  void Snapshot(const std::string& name) override {
    Sync();
    const std::vector<uint32_t> now = SurfacePixels();
    const int w = site_->GetSurface().Width(), h = site_->GetSurface().Height();
    for (const RECT& r : pending_)
      for (int y = std::max<int>(0, r.top); y < std::min<int>(h, r.bottom); ++y)
        for (int x = std::max<int>(0, r.left); x < std::min<int>(w, r.right); ++x)
          shown_[static_cast<size_t>(y) * w + x] = now[static_cast<size_t>(y) * w + x];
    pending_.clear();
    Add(name, now);
    Add(name + "/window", shown_);
  }
  void Remove() override {
    form_.Remove(*site_);
    site_ = nullptr;
    refreshes_ = 0;
    pending_.clear();
  }

 private:
  KavrinLineChart& Control() { return *site_->ControlAs<KavrinLineChart>(); }
  std::vector<uint32_t> SurfacePixels() const {
    const gdi::PixelView v = site_->GetSurface().View();
    std::vector<uint32_t> px;
    for (int y = 0; y < v.height; ++y)
      for (int x = 0; x < v.width; ++x) {  // 0x00RRGGBB in the bitmap, COLORREF in the shot
        const uint32_t c = v.pixels[static_cast<size_t>(y) * v.stride + x];
        px.push_back(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
      }
    return px;
  }
  // A Refresh paints the whole window at once; invalidations wait for the next paint.
  void Sync() {
    auto& window = dynamic_cast<host::HeadlessWindow&>(site_->Window());
    const std::vector<RECT> rects = window.TakeInvalidations();
    if (window.Refreshes() != refreshes_) {
      refreshes_ = window.Refreshes();
      shown_ = SurfacePixels();
      pending_.clear();
    }
    pending_.insert(pending_.end(), rects.begin(), rects.end());
  }
  void Add(const std::string& name, const std::vector<uint32_t>& px) {
    diff::Shot s;
    s.name = prefix_ + "/" + name;
    s.width = site_->GetSurface().Width();
    s.height = site_->GetSurface().Height();
    s.px = px;
    (*shots_)[s.name] = s;
  }
  Variant ToVariant(const Arg& a) const {
    switch (a.kind) {
      case Arg::kLong: return Variant(static_cast<kavrin::Long>(a.number));
      case Arg::kDouble: return Variant(a.real);
      case Arg::kText: return Variant(a.text);
      case Arg::kBool: return Variant::FromBool(a.number != 0);
      case Arg::kFont: {
        auto f = std::make_shared<StdFont>();
        f->Name(a.text);
        f->Size(a.real);
        f->Bold(a.number != 0);
        return Variant(FontRef(f));
      }
      case Arg::kPicture: return Variant(picture_);
      case Arg::kFolder: return Variant(folder_);
    }
    return Variant();
  }

  host::Form form_;
  host::ControlSite* site_ = nullptr;
  std::string prefix_, folder_;
  std::map<std::string, diff::Shot>* shots_;
  PictureRef picture_;
  int refreshes_ = 0;
  std::vector<uint32_t> shown_;
  std::vector<RECT> pending_;
};

// The pixels of one picture with its text ink: where the alternative run differs.
struct Pair {
  int width = 0, height = 0;
  std::vector<uint32_t> plain, alt;
  bool Ink(size_t i) const { return plain[i] != alt[i]; }
};

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
  void Add(int x, int y) {
    left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
  }
  std::string Text() const {
    return Empty() ? "no ink"
                   : "(" + std::to_string(left) + "," + std::to_string(top) + ")-(" + std::to_string(right) + "," +
                         std::to_string(bottom) + ")";
  }
};

// What differs between the Linux picture and the Windows one, empty when they agree. Text
// boxes that differ go to *boxes when it is given, else into the result.
std::string Compare(const Pair& lin, const Pair& win, const std::string& imageBase, std::string* boxes = nullptr) {
  if (lin.width != win.width || lin.height != win.height)
    return "size " + std::to_string(win.width) + "x" + std::to_string(win.height) + ", expected " +
           std::to_string(lin.width) + "x" + std::to_string(lin.height);
  const int w = lin.width, h = lin.height;
  // The ink of either side grown by `by` pixels: by one it is the text (the edges of
  // smoothed glyphs included); by three it joins the glyphs of one text into one area.
  auto grown = [&](int by) {
    std::vector<char> m(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const size_t i = static_cast<size_t>(y) * w + x;
        if (!lin.Ink(i) && !win.Ink(i)) continue;
        for (int dy = -by; dy <= by; ++dy)
          for (int dx = -by; dx <= by; ++dx)
            if (x + dx >= 0 && x + dx < w && y + dy >= 0 && y + dy < h) m[static_cast<size_t>(y + dy) * w + x + dx] = 1;
      }
    return m;
  };
  const std::vector<char> text = grown(1), areas = grown(3);
  std::ostringstream why, boxText;
  int outside = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      if (!text[i] && lin.plain[i] != win.plain[i] && outside++ == 0) firstX = x, firstY = y;
    }
  if (outside > 0) {
    char buf[96];
    const size_t i = static_cast<size_t>(firstY) * w + firstX;
    std::snprintf(buf, sizeof buf, "; first at (%d,%d): Linux 0x%06x, Windows 0x%06x", firstX, firstY,
                  static_cast<unsigned>(lin.plain[i]), static_cast<unsigned>(win.plain[i]));
    why << outside << " pixel(s) differ outside text" << buf << "; ";
  }
  // Each connected text area: the boxes of the two sides' ink agree within a pixel.
  std::vector<char> seen(areas.size(), 0);
  for (size_t start = 0; start < areas.size(); ++start) {
    if (!areas[start] || seen[start]) continue;
    Box bl, bw;
    std::vector<size_t> todo{start};
    seen[start] = 1;
    while (!todo.empty()) {
      const size_t i = todo.back();
      todo.pop_back();
      const int x = static_cast<int>(i % w), y = static_cast<int>(i / w);
      if (lin.Ink(i)) bl.Add(x, y);
      if (win.Ink(i)) bw.Add(x, y);
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          if (x + dx < 0 || x + dx >= w || y + dy < 0 || y + dy >= h) continue;
          const size_t j = static_cast<size_t>(y + dy) * w + x + dx;
          if (areas[j] && !seen[j]) seen[j] = 1, todo.push_back(j);
        }
    }
    const bool near = bl.Empty() == bw.Empty() &&
                      (bl.Empty() || (std::abs(bl.left - bw.left) <= 1 && std::abs(bl.top - bw.top) <= 1 &&
                                      std::abs(bl.right - bw.right) <= 1 && std::abs(bl.bottom - bw.bottom) <= 1));
    if (!near) (boxes ? boxText : why) << "text ink " << bw.Text() << ", expected " << bl.Text() << "; ";
  }
  const std::string result = why.str();
  if (boxes) *boxes = boxText.str();
  if (!result.empty() || (boxes && !boxes->empty())) {
    test::Image e{w, h, lin.plain}, a{w, h, win.plain};
    test::Compare(e, a, imageBase + ".diff.png");
    test::WritePng(e, imageBase + ".linux.png");
    test::WritePng(a, imageBase + ".windows.png");
  }
  return result;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The log without its [Time] line.
std::string WithoutTime(const std::string& log) {
  std::istringstream in(log);
  std::string out, line;
  while (std::getline(in, line))
    if (line.rfind("[Time]", 0) != 0) out += line + "\n";
  return out;
}

Pair BitmapFile(const std::string& plainPath, const std::string& altPath) {
  Pair p;
  const DecodedImage a = DecodeImageFile(plainPath), b = DecodeImageFile(altPath);
  p.width = a.width;
  p.height = a.height;
  p.plain = a.pixels;
  p.alt = b.pixels;
  return p;
}

TEST(FormPixels, WindowsControlInAtlContainerShowsWhatTheLinuxFormShows) {
  const char* env = std::getenv("KAVRIN_WIN_FORM_DIR");
  if (env == nullptr || *env == 0) GTEST_SKIP() << "KAVRIN_WIN_FORM_DIR is not set (tools/test-windows.sh sets it)";
  const std::string winDir = env;
  const std::string linDir = test::OutputDir() + "/form_pixels";
  fs::remove_all(linDir);
  std::map<std::string, diff::Shot> lin;
  for (const char* run : {"plain", "alt"}) {
    fs::create_directories(linDir + "/" + run);
    FormDriver d(run, linDir + "/" + run, &lin);
    RunScenarios(d, std::string(run) == "alt");
  }

  std::ifstream in(winDir + "/shots.txt");
  ASSERT_TRUE(in) << winDir << "/shots.txt is missing: the Windows program did not run";
  std::vector<diff::Shot> winShots;
  std::string error;
  ASSERT_TRUE(diff::ReadShots(in, &winShots, &error)) << error;
  std::map<std::string, diff::Shot> win;
  for (diff::Shot& s : winShots) win[s.name] = s;

  int compared = 0, differing = 0;
  auto check = [&](const std::string& what, const std::string& result) {
    ++compared;
    if (!result.empty()) {
      ++differing;
      ADD_FAILURE() << what << ": " << result;
    }
  };
  for (const auto& [name, plainShot] : lin) {
    if (name.rfind("plain/", 0) != 0 || name.find("/window") != std::string::npos) continue;
    const std::string shot = name.substr(6);
    // The window's pixels read from its DC (what a window shows), printed by PrintWindow
    // and drawn by IViewObject::Draw (the whole surface).
    for (const char* capture : {"window", "print", "view"}) {
      const std::string key = shot + "/" + capture;
      const std::string linKey = std::string(capture) == "window" ? "/" + key : "/" + shot;
      const diff::Shot& lp = lin.at("plain" + linKey);
      Pair l{lp.width, lp.height, lp.px, lin.at("alt" + linKey).px};
      if (!win.count("plain/" + key) || !win.count("alt/" + key)) {
        check(key, "missing on Windows");
        continue;
      }
      const diff::Shot& wp = win.at("plain/" + key);
      Pair w{wp.width, wp.height, wp.px, win.at("alt/" + key).px};
      std::string base = linDir + "/" + key;
      std::replace(base.begin() + static_cast<long>(linDir.size()) + 1, base.end(), '/', '_');
      std::replace(base.begin(), base.end(), ' ', '_');
      // The default chart draws in the default face, MS Sans Serif. Wine's own bitmap font of
      // that name has Windows' cell, but not its glyphs, and without it Wine's stand-in has
      // other metrics: text ink may lie elsewhere. Outside text the pixels must still agree.
      const bool defaultFace = shot == "default";
      std::string boxes;
      check(key, Compare(l, w, base, defaultFace ? &boxes : nullptr));
      if (!boxes.empty()) std::printf("unsettled %s (Wine's MS Sans Serif draws other glyphs than the real one): %s\n", key.c_str(), boxes.c_str());
    }
  }
  EXPECT_EQ(compared, 12) << "three captures of four snapshots";

  const std::string linLog = FileText(linDir + "/plain/" + kLogName), winLog = FileText(winDir + "/plain/" + kLogName);
  EXPECT_NE(linLog.find("[Time]"), std::string::npos) << "no export log written on Linux";
  check("export log", WithoutTime(linLog) == WithoutTime(winLog) ? "" : "the logs differ apart from [Time]");
  EXPECT_EQ(WithoutTime(linLog), WithoutTime(winLog));

  const std::string linBmp = FileText(linDir + "/plain/" + kPictureName), winBmp = FileText(winDir + "/plain/" + kPictureName);
  ASSERT_GT(linBmp.size(), 54u);
  check("bitmap file header", linBmp.substr(0, 54) == winBmp.substr(0, 54) ? "" : "the first 54 bytes differ");
  check("bitmap file", Compare(BitmapFile(linDir + "/plain/" + kPictureName, linDir + "/alt/" + kPictureName),
                               BitmapFile(winDir + "/plain/" + kPictureName, winDir + "/alt/" + kPictureName),
                               linDir + "/bitmap_file"));
  if (differing == 0)
    std::printf("form_pixels: %d pictures and files compared, 0 differ\n", compared);
  else
    std::printf("form_pixels: %d of %d differ; pictures in %s\n", differing, compared, linDir.c_str());
}

}  // namespace
}  // namespace kavrin::formtest

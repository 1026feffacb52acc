// By hand: ninja -C <build> differential_tests && <build>/tests/differential/differential_tests
//   prints pass/fail and differing pixels per scenario (KAVRIN_DIFF_FILTER=<part of a name> narrows).
// The scenarios run in this process against draw/ and, cross-compiled, under Wine against the
// real GDI; raster pictures must agree pixel for pixel, text by the box of its ink.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/differential/scenarios.h"
#include "tests/support/pixels.h"

namespace kavrin::diff {
namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

bool ReportOnly() { return Env("KAVRIN_DIFFERENTIAL_REPORT_ONLY") == "1"; }

std::string WorkDir() {
#ifdef KAVRIN_DIFF_WORK_DIR
  return KAVRIN_DIFF_WORK_DIR;
#else
  return fs::temp_directory_path().string();
#endif
}

std::string FindWine() {
  if (!Env("KAVRIN_WINE").empty()) return Env("KAVRIN_WINE");
  for (const char* p : {"/usr/lib/wine/wine64", "/usr/bin/wine64", "/usr/bin/wine", "/usr/local/bin/wine"})
    if (fs::exists(p)) return p;
  return "";
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The shots of both platforms, made once for all the tests.
struct Runs {
  std::string skip;   // why there is nothing to compare with
  std::string error;  // the Windows side did not give a readable result
  std::vector<Shot> windows;
  std::map<std::string, Shot> linux;
};

Runs MakeRuns() {
  Runs runs;
  const std::string filter = Env("KAVRIN_DIFF_FILTER");
#ifndef KAVRIN_DIFF_WINDOWS_EXE
  runs.skip = "the MinGW-w64 cross compiler (x86_64-w64-mingw32-g++) was not found at configure time";
  return runs;
#else
  const std::string exe = KAVRIN_DIFF_WINDOWS_EXE;
  const std::string wine = FindWine();
  if (wine.empty()) {
    runs.skip = "Wine is not installed (looked for /usr/lib/wine/wine64, wine64, wine; or set KAVRIN_WINE)";
    return runs;
  }
  if (!fs::exists(exe)) {
    runs.error = "the Windows scenario program " + exe + " was not built";
    return runs;
  }
  const std::string dir = WorkDir();
  const std::string out = dir + "/shots-windows.txt", log = dir + "/wine.log";
  fs::remove(out);
  // No display: memory surfaces do not need one, and Wine then renders text the same on
  // every machine. Mono and Gecko would only slow down the first start of the prefix.
  const std::string cmd = "cd " + Quote(dir) + " && env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX=" +
                          Quote(dir + "/wineprefix") + " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' " +
                          Quote(wine) + " " + Quote(exe) + " " + Quote("Z:" + out) + " " + Quote(filter) + " > " +
                          Quote(log) + " 2>&1";
  const auto start = std::chrono::steady_clock::now();
  const int rc = std::system(cmd.c_str());
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::ifstream in(out, std::ios::binary);
  if (rc != 0 || !in) {
    std::ifstream logIn(log);
    std::stringstream text;
    text << logIn.rdbuf();
    runs.error = "running the Windows scenarios under Wine failed (exit " + std::to_string(rc) + "): " + cmd +
                 "\n" + text.str();
    return runs;
  }
  if (!ReadShots(in, &runs.windows, &runs.error)) {
    runs.error = out + ": " + runs.error;
    return runs;
  }
  std::printf("Windows scenarios under Wine: %zu shots in %.1f s\n", runs.windows.size(), seconds);
  for (Shot& s : RunScenarios(filter)) {
    std::string name = s.name;
    runs.linux.emplace(std::move(name), std::move(s));
  }
  return runs;
#endif
}

const Runs& TheRuns() {
  static const Runs runs = MakeRuns();
  return runs;
}

test::Image ToImage(const Shot& s) {
  test::Image img;
  img.width = s.width;
  img.height = s.height;
  img.px.assign(s.px.begin(), s.px.end());
  return img;
}

std::string FileName(const std::string& name) {
  std::string f;
  for (char c : name) f += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' ? c : '_';
  return f;
}

std::string Hex(uint32_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%06x", static_cast<unsigned>(c & 0xFFFFFF));
  return buf;
}

struct Box {
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; empty when right < left
  bool empty() const { return right < left; }
  std::string Describe() const {
    if (empty()) return "no ink";
    return "(" + std::to_string(left) + "," + std::to_string(top) + ")-(" + std::to_string(right) + "," +
           std::to_string(bottom) + ")";
  }
};

Box InkBox(const Shot& s) {
  Box b{s.width, s.height, -1, -1};
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      if (s.px[static_cast<size_t>(y) * s.width + x] != (s.background & 0xFFFFFF)) {
        b.left = std::min(b.left, x);
        b.top = std::min(b.top, y);
        b.right = std::max(b.right, x);
        b.bottom = std::max(b.bottom, y);
      }
  if (b.right < 0) return Box{};
  return b;
}

// What is recorded with every text shot, in the order the scenarios record it.
const char* const kTextValueNames[] = {"DrawTextA result", "extent cx",        "extent cy",          "tmHeight",
                                       "tmAscent",         "tmDescent",        "tmInternalLeading",  "tmExternalLeading",
                                       "tmAveCharWidth",   "tmMaxCharWidth"};

std::string ValueName(const Shot& s, size_t i) {
  if (s.text && i < std::size(kTextValueNames)) return kTextValueNames[i];
  return "value " + std::to_string(i);
}

// Compares one shot; returns an empty string when they agree, else what differs.
std::string CompareShot(const Shot& expected, const Shot& actual, const std::string& imageDir) {
  std::ostringstream why;
  if (expected.width != actual.width || expected.height != actual.height || expected.text != actual.text)
    return "surface differs in size or kind";
  const long tolerance = expected.text ? 1 : 0;
  for (size_t i = 0; i < expected.values.size(); ++i) {
    const long a = i < actual.values.size() ? actual.values[i] : -99999;
    if (std::labs(a - expected.values[i]) > tolerance)
      why << ValueName(expected, i) << " expected " << expected.values[i] << ", got " << a << "; ";
  }
  const test::Image e = ToImage(expected), a = ToImage(actual);
  const std::string base = imageDir + "/" + FileName(expected.name);
  if (expected.text) {
    const Box eb = InkBox(expected), ab = InkBox(actual);
    const bool near = eb.empty() == ab.empty() &&
                      (eb.empty() || (std::abs(eb.left - ab.left) <= 1 && std::abs(eb.top - ab.top) <= 1 &&
                                      std::abs(eb.right - ab.right) <= 1 && std::abs(eb.bottom - ab.bottom) <= 1));
    if (!near) why << "ink box expected " << eb.Describe() << ", got " << ab.Describe() << "; ";
  } else {
    const test::Difference d = test::Compare(e, a);
    if (d.count > 0) {
      const auto what = [&](uint32_t c) {
        return Hex(c) + (c == (expected.background & 0xFFFFFF) && expected.background != 0 ? " (the fill)" : "");
      };
      why << d.count << " pixel(s) differ; first at (" << d.firstX << "," << d.firstY << "): expected "
          << what(d.expected) << ", got " << what(d.actual) << "; ";
    }
  }
  if (why.str().empty()) return "";
  test::Compare(e, a, base + ".diff.png");
  test::WritePng(e, base + ".windows.png");
  test::WritePng(a, base + ".linux.png");
  std::string text = why.str();
  return text.substr(0, text.size() - 2);
}

// Compares every shot of one category and prints one line per scenario that differs.
void CompareCategory(const std::string& category) {
  const Runs& runs = TheRuns();
  if (!runs.skip.empty()) GTEST_SKIP() << "Differential run skipped: " << runs.skip;
  ASSERT_TRUE(runs.error.empty()) << runs.error;
  const std::string imageDir = WorkDir() + "/images";
  fs::create_directories(imageDir);
  const bool verbose = Env("KAVRIN_DIFF_VERBOSE") == "1";
  int total = 0, differing = 0;
  std::vector<std::string> failures;
  for (const Shot& w : runs.windows) {
    if (Category(w.name) != category) continue;
    ++total;
    const auto it = runs.linux.find(w.name);
    const std::string why =
        it == runs.linux.end() ? "scenario missing on Linux" : CompareShot(w, it->second, imageDir);
    if (!why.empty()) {
      ++differing;
      failures.push_back(w.name + ": " + why);
      std::printf("  DIFF %s: %s\n", w.name.c_str(), why.c_str());
    } else if (verbose) {
      std::printf("  pass %s\n", w.name.c_str());
    }
  }
  std::printf("%s: %d scenario(s), %d pass, %d differ\n", category.c_str(), total, total - differing, differing);
  if (differing > 0)
    std::printf("  pictures of each differing scenario: %s/<name>.{windows,linux,diff}.png\n", imageDir.c_str());
  std::fflush(stdout);
  if (differing == 0) return;
  if (ReportOnly())
    GTEST_SKIP() << "report only: " << differing << " of " << total << " " << category
                 << " scenario(s) differ from the real GDI";
  const size_t shown = std::min<size_t>(failures.size(), 15);
  for (size_t i = 0; i < shown; ++i) ADD_FAILURE() << failures[i];
  if (failures.size() > shown) ADD_FAILURE() << (failures.size() - shown) << " more " << category << " scenario(s) differ";
}

TEST(DifferentialTest, CosmeticLinesMatchRealGdi) { CompareCategory("line"); }
TEST(DifferentialTest, WidePenLinesMatchRealGdi) { CompareCategory("wide"); }
TEST(DifferentialTest, RectangleFillsMatchRealGdi) { CompareCategory("fill"); }
TEST(DifferentialTest, OverlappingCopiesMatchRealGdi) { CompareCategory("scroll"); }
TEST(DifferentialTest, RasterOperationsMatchRealGdi) { CompareCategory("rop"); }
TEST(DifferentialTest, KeyedStampsMatchRealGdi) { CompareCategory("stamp"); }
TEST(DifferentialTest, TextPlacementMatchesRealGdi) { CompareCategory("text"); }

// The comparer itself: a shot file round-trips, and the ink box ignores the fill.
TEST(DifferentialTest, ShotFilesRoundTripAndInkBoxIgnoresFill) {
  Shot s;
  s.name = "text/two words, spaces";
  s.text = true;
  s.width = 3;
  s.height = 2;
  s.background = 0xFFFFFF;
  s.px = {0xFFFFFF, 0x000080, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x123456};
  s.values = {-1, 42};
  std::stringstream file;
  WriteShots(file, {s, s});
  std::vector<Shot> back;
  std::string error;
  ASSERT_TRUE(ReadShots(file, &back, &error)) << error;
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1].name, s.name);
  EXPECT_TRUE(back[1].text);
  EXPECT_EQ(back[1].px, s.px);
  EXPECT_EQ(back[1].values, s.values);
  EXPECT_EQ(back[1].background, s.background);
  const Box b = InkBox(back[0]);
  EXPECT_EQ(b.Describe(), "(1,0)-(2,1)");

  std::stringstream truncated("shot raster 2 2 000000 0 fill/x\n000000000000\n");
  back.clear();
  EXPECT_FALSE(ReadShots(truncated, &back, &error));
  EXPECT_EQ(Category("rop/c2m 22"), "rop");
}

}  // namespace
}  // namespace kavrin::diff

// Every kavrin-chart command the README shows, run as written but headless (a stream from
// vmstat or tail -f comes from a file of the same shape): it must succeed, and each chart it
// draws must hold its lines inside the plot and none in the margins. The form sample of the
// README must be what its --save-form command writes. The programs the commands run come
// from what the README's own set-up installs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "control/kavrin_line_chart.h"
#include "host/form.h"
#include "host/standard_controls.h"
#include "tests/apps/chart_process.h"
#include "tests/support/pixels.h"

namespace kavrin::test {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool IsCommand(const std::string& s) {
  return s.rfind("kavrin-chart ", 0) == 0 || s.find("| kavrin-chart ") != std::string::npos;
}

// A bare upper-case word (FILE, N, DIR, LOG...) marks a usage pattern, not a command.
bool HasPlaceholder(const std::string& s) {
  std::istringstream words(s);
  std::string w;
  while (words >> w) {
    if (std::regex_match(w, std::regex("[A-Z][A-Z0-9_]*(\\.\\.\\.)?"))) return true;
  }
  return false;
}

struct Readme {
  std::vector<std::string> commands;  // in README order
  std::string formSample;             // the code block that starts with "Begin Form"
};

// Commands are the lines of code blocks (indented or fenced) that run kavrin-chart, with
// "\" continuations joined, and inline code spans that do.
Readme ReadReadme(const std::string& text) {
  Readme r;
  std::istringstream in(text);
  std::string line, pending, block;
  bool fenced = false;
  auto endBlock = [&] {
    if (r.formSample.empty() && block.rfind("Begin Form", 0) == 0) r.formSample = block;
    block.clear();
  };
  while (std::getline(in, line)) {
    if (line.rfind("```", 0) == 0) {
      fenced = !fenced;
      if (!fenced) endBlock();
      continue;
    }
    const bool indented = line.rfind("    ", 0) == 0;
    if (!fenced && !indented) {
      if (!line.empty()) endBlock();
      for (size_t at = line.find('`'); at != std::string::npos;) {
        const size_t end = line.find('`', at + 1);
        if (end == std::string::npos) break;
        const std::string span = line.substr(at + 1, end - at - 1);
        if (IsCommand(span) && !HasPlaceholder(span)) r.commands.push_back(span);
        at = line.find('`', end + 1);
      }
      continue;
    }
    std::string code = fenced ? line : line.substr(4);
    if (!line.empty()) block += code + "\n";
    if (code.rfind("$ ", 0) == 0) code = code.substr(2);
    if (!pending.empty() || IsCommand(code)) {
      const bool more = !code.empty() && code.back() == '\\';
      pending += more ? code.substr(0, code.size() - 1) : code;
      if (!more) {
        r.commands.push_back(std::regex_replace(pending, std::regex(" {2,}"), " "));
        pending.clear();
      }
    }
  }
  endBlock();
  return r;
}

// Streams that need a live source are read from files of the same shape instead.
const std::pair<const char*, const char*> kHeadlessSources[] = {
    {"vmstat[^|]*\\|", "cat vmstat.txt |"},
    {"tail -f ", "cat "},
};

std::string Headless(std::string command) {
  for (const auto& [live, file] : kHeadlessSources) command = std::regex_replace(command, std::regex(live), file);
  const size_t at = command.find("kavrin-chart");
  const std::string rest = command.substr(at + 12);
  const bool tool = std::regex_search(rest, std::regex("^ (log2csv|replay)|--help|--version"));
  command = std::regex_replace(command, std::regex(" --window"), "");
  if (!tool && rest.find("--headless") == std::string::npos) command.insert(at + 12, " --headless");
  return command;
}

// The files the commands read.
void WriteInputs(const std::string& dir) {
  std::string vmstat =
      "procs -----------memory---------- ---swap-- -----io---- -system-- ------cpu-----\n"
      " r  b   swpd   free   buff  cache   si   so    bi    bo   in   cs us sy id wa st\n";
  std::string rig, csv = "time,temperature,pressure\n";
  for (int i = 0; i < 100; ++i) {
    const int wave = (i * 7) % 20;  // a saw of 0 .. 19
    vmstat += " 1  0      0 " + std::to_string(7400000 + wave * 10000) + " 123456 4567890 0 0 5 10 100 200 3 1 96 0 0\n";
    rig += "12:00:" + std::to_string(i) + " rig7 " + std::to_string(2 + wave / 4) + "\n";
    csv += std::to_string(i) + "," + std::to_string(20 + wave) + "," + std::to_string(1 + wave % 5) + "\n";
  }
  std::ofstream(dir + "/vmstat.txt") << vmstat;
  std::ofstream(dir + "/rig.log") << rig;
  std::ofstream(dir + "/data.csv") << csv;
  std::string vibration = "accel\n";  // a fast saw, -100 .. 99
  for (int i = 0; i < 1000; ++i) vibration += std::to_string((i * 37) % 200 - 100) + "\n";
  std::ofstream(dir + "/vibration.csv") << vibration;
}

std::set<std::string> FilesUnder(const std::string& dir) {
  std::set<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) files.insert(e.path().string());
  return files;
}

// The chart's final picture against the form beside its log: every line's colour is in
// the plot, and none is above, below or left of it (the legend's keys are on the right).
void CheckPicture(const std::string& png, const std::string& command) {
  const std::string formPath = png.substr(0, png.size() - 4) + ".form";
  if (!fs::exists(formPath)) return;  // --no-log: no form to learn the plot from
  host::Form form(host::MakeHeadlessBackend());
  host::RegisterStandardControls(form);
  form.Load(ReadText(formPath));
  KavrinLineChart& chart = *form.At(0).ControlAs<KavrinLineChart>();
  int margin[4] = {};  // left, right, top, bottom
  char comma;
  std::istringstream(chart.Dist()) >> margin[0] >> comma >> margin[1] >> comma >> margin[2] >> comma >> margin[3];
  const auto image = ReadPng(png);
  ASSERT_TRUE(image) << png;
  const int w = image->width, h = image->height;
  for (const host::SavedLine& line : form.At(0).Lines()) {
    const uint32_t c = static_cast<uint32_t>(line.color);
    int inside = 0, outside = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        if (image->at(x, y) != c) continue;
        // Two pixels of slack at the plot's edges.
        const bool inPlot = x >= margin[0] - 2 && x <= w - margin[1] + 2 && y >= margin[2] - 2 && y <= h - margin[3] + 2;
        const bool rightMargin = x > w - margin[1] + 2;
        if (inPlot) ++inside;
        else if (!rightMargin && outside++ == 0) firstX = x, firstY = y;
      }
    }
    EXPECT_GT(inside, 0) << "line " << line.key << " not in the plot of " << png << "\n  from: " << command;
    EXPECT_EQ(outside, 0) << "line " << line.key << " in the margins of " << png << ", first at " << firstX << ","
                          << firstY << "\n  from: " << command;
  }
}

TEST(Readme, EveryExampleRunsHeadlessAndChartsItsDataInsideThePlot) {
  const Readme readme = ReadReadme(ReadText(KAVRIN_README));
  ASSERT_GE(readme.commands.size(), 3u);
  const std::string dir = FreshDir("Readme");
  WriteInputs(dir);
  const std::string bin = fs::path(KAVRIN_CHART_EXE).parent_path().string();
  std::string savedForm;
  for (const std::string& example : readme.commands) {
    const std::string command = Headless(example);
    const auto before = FilesUnder(dir);
    std::ofstream(dir + "/run.sh") << "cd '" << dir << "' && PATH='" << bin << "':\"$PATH\" && unset DISPLAY && "
                                   << "( " << command << " ) >/dev/null 2>run.err\n";
    const int rc = std::system(("timeout 120 sh '" + dir + "/run.sh'").c_str());
    EXPECT_EQ(rc, 0) << example << "\n  run as: " << command << "\n" << ReadText(dir + "/run.err");
    for (const auto& f : FilesUnder(dir)) {
      if (before.count(f) != 0) continue;
      const bool picture = f.size() > 4 && f.compare(f.size() - 4, 4, ".png") == 0 && f.find("-tick") == std::string::npos;
      if (picture) CheckPicture(f, example);
    }
    std::smatch m;
    if (std::regex_search(command, m, std::regex("--save-form (\\S+)"))) savedForm = ReadText(dir + "/" + m[1].str());
  }
  if (!readme.formSample.empty()) {
    ASSERT_FALSE(savedForm.empty()) << "the README shows a form but no command that saves one";
    EXPECT_EQ(readme.formSample, savedForm) << "the README's form sample is not what its --save-form command writes";
  }
}

// What a shell command prints on stdout.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// kavrin-chart is on PATH by the README's install command, from the package tools/demo.sh
// makes; every other program a command runs comes from a package tools/install-deps.sh
// installs for the demo, or from one every Debian system has (Essential), or is the shell's.
TEST(Readme, CommandsRunOnlyWhatItsSetUpInstalls) {
  const fs::path root = fs::path(KAVRIN_README).parent_path();
  const std::string readme = ReadText(KAVRIN_README);
  std::smatch m;
  const std::string demo = ReadText((root / "tools/demo.sh").string());
  ASSERT_TRUE(std::regex_search(demo, m, std::regex("\\nbuild=(\\S+)")));
  EXPECT_NE(readme.find("    sudo apt install ./" + m[1].str() + "/kavrin-line-chart_*.deb\n"), std::string::npos)
      << "the README does not install the package tools/demo.sh makes in " << m[1];
  const std::string deps = ReadText((root / "tools/install-deps.sh").string());
  ASSERT_TRUE(std::regex_search(deps, m, std::regex("\\ndemo=\\(([^)]*)\\)")));
  std::set<std::string> demoPackages;
  std::istringstream names(m[1].str());
  for (std::string name; names >> name;) demoPackages.insert(name);

  for (const std::string& command : ReadReadme(readme).commands) {
    std::istringstream segments(command);
    for (std::string segment; std::getline(segments, segment, '|');) {
      std::istringstream words(segment);
      std::string program;
      while (words >> program && program.find('=') != std::string::npos) {
      }
      if (program == "kavrin-chart") continue;
      ASSERT_TRUE(std::regex_match(program, std::regex("[a-z0-9.+_-]+"))) << program << " in: " << command;
      const std::string path = Output("command -v " + program);
      ASSERT_FALSE(path.empty()) << program << " is not installed; in: " << command;
      if (path[0] != '/') continue;  // a shell builtin
      const std::string package = Output("dpkg-query -S " + path + " /bin/" + program + " 2>/dev/null | head -n 1 | cut -d: -f1");
      const bool essential = !package.empty() && Output("dpkg-query -W -f='${Essential}' " + package) == "yes";
      EXPECT_TRUE(essential || demoPackages.count(package) != 0)
          << program << " (from package '" << package << "') is not installed by tools/install-deps.sh for the demo; in: "
          << command;
    }
  }
}

}  // namespace
}  // namespace kavrin::test

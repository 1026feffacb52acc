// kavrin-chart run end to end as a user runs it: rows piped in, the data log and the
// pictures it leaves, the gaps it reports, the way it stops and the exit codes it gives.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <thread>

#include "apps/output_files.h"
#include "tests/apps/chart_process.h"
#include "tests/support/pixels.h"

namespace kavrin::test {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;

std::string Seq(int from, int to) {
  std::string s;
  for (int i = from; i <= to; ++i) s += std::to_string(i) + "\n";
  return s;
}

std::string Repeat(const std::string& row, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += row;
  return s;
}

class ChartRun : public testing::Test {
 protected:
  void SetUp() override { dir_ = FreshDir(testing::UnitTest::GetInstance()->current_test_info()->name()); }
  ChartResult Run(std::vector<std::string> args, const std::string& input) {
    args.insert(args.begin(), {"--headless", "--out", dir_});
    return RunChartProcess({args, input});
  }
  std::string OnlyFile(const std::string& suffix) {
    const auto files = suffix == ".log" ? RunLogs(dir_) : FilesEndingWith(dir_, suffix);
    EXPECT_EQ(files.size(), 1u) << "files ending in " << suffix << " in " << dir_;
    return files.empty() ? std::string() : files[0];
  }
  std::string dir_;
};

// ---- rows to log and picture ----

TEST_F(ChartRun, PipedRowsGiveOneLogRowPerTickInOrder) {
  const auto r = Run({}, Seq(1, 25));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> expected;
  for (int i = 1; i <= 25; ++i) expected.push_back("[1]" + std::to_string(i));
  EXPECT_EQ(RunLogRows(OnlyFile(".log")), expected);
  const auto header = FileLines(OnlyFile(".log"));
  ASSERT_GE(header.size(), 21u);
  EXPECT_EQ(header[1], "[Title]Kavrin Line Chart");
  EXPECT_THAT(r.err, HasSubstr("25 tick(s)"));
  EXPECT_THAT(r.err, Not(HasSubstr("gaps")));
  EXPECT_THAT(r.err, Not(HasSubstr("row(s)")));
}

TEST_F(ChartRun, TheRangeFollowsTheDataAndTheLogHoldsEveryTickOnce) {
  const auto r = Run({}, Seq(1, 1000));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // Each range change went on in a new part, after the replay: no tick twice, none lost.
  const auto rows = RunLogRows(OnlyFile(".log"));
  ASSERT_EQ(rows.size(), 1000u);
  EXPECT_EQ(rows[0], "[1]1");
  EXPECT_EQ(rows[999], "[1]1000");
  const auto parts = FilesEndingWith(dir_, ".log");
  ASSERT_GT(parts.size(), 1u);
  // One run, one place: every part and its form in the run's folder, named once on stderr.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()), 1);
  EXPECT_EQ(FilesEndingWith(dir_, ".form").size(), parts.size());
  EXPECT_THAT(r.err, HasSubstr("(in " + std::to_string(parts.size()) + " parts, each with its form and times)"));
  // Beside each part the clock's time of each of its ticks, one a line.
  const auto times = FilesEndingWith(dir_, ".times");
  ASSERT_EQ(times.size(), parts.size());
  size_t timeLines = 0;
  for (const auto& t : times) timeLines += FileLines(t).size();
  EXPECT_EQ(timeLines, 1000u);
  EXPECT_EQ(r.err.find(".log", r.err.find(".log") + 1), std::string::npos) << r.err;
  EXPECT_EQ(FileLines(OnlyFile(".log"))[2], "[Min]0.9");  // 1 and a tenth of it each side
  // The last part's range holds the last value.
  std::string last = OnlyFile(".log");
  last = last.substr(0, last.size() - 4) + "-part" + std::to_string(parts.size()) + ".log";
  const auto header = FileLines(last);
  ASSERT_GE(header.size(), 21u);
  const double min = std::stod(header[2].substr(5));
  const double max = std::stod(header[3].substr(5));
  EXPECT_LE(min, 1000);
  EXPECT_GT(max, 1000);
}

TEST_F(ChartRun, AllNumericColumnsBecomeLinesWithAnySeparator) {
  // Blanks, tabs and commas; CR LF rows; the word column is not charted.
  const auto r = Run({}, "t1 1\t2,3,4\r\nt2 5 6 7 8\r\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(RunLogRows(OnlyFile(".log")), ElementsAre("[1]1,[2]2,[3]3,[4]4", "[1]5,[2]6,[3]7,[4]8"));
}

TEST_F(ChartRun, SemicolonInputWithDecimalCommasAndATimeColumn) {
  // Three values a row, not five; the time column is told about and not charted.
  auto r = Run({}, "1;3,5;7,25\n2;4;8,5\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(RunLogRows(OnlyFile(".log")), ElementsAre("[1]1,[2]3.5,[3]7.25", "[1]2,[2]4,[3]8.5"));
  std::filesystem::remove_all(dir_);
  r = Run({"--delimiter", ";"}, "time;temp\n2026-12-08T10:00:00;21,5\n2026-12-08T10:00:01;22\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(RunLogRows(OnlyFile(".log")), ElementsAre("[1]21.5", "[1]22"));
  EXPECT_THAT(r.err, HasSubstr("column 1 (time) holds the rows' time"));
}

TEST_F(ChartRun, SpreadsheetFilesAndTabsWithDecimalCommas) {
  // Quoted fields with CR LF; a byte order mark before a time column's name; tabs between
  // numbers with decimal commas. Each file is charted as two lines, or one beside its time.
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"\"time\",\"temp\",\"rh\"\r\n\"10:00:00\",\"21,5\",\"40\"\r\n\"10:00:01\",\"22\",\"41\"\r\n",
       {"[1]21.5,[2]40", "[1]22,[2]41"}},
      {"\xEF\xBB\xBFtimestamp,temp\r\n1765188000,21\r\n1765188001,22\r\n", {"[1]21", "[1]22"}},
      {"time\ttemp\trh\n10:00:00\t21,50\t40,1\n10:00:01\t22,00\t41\n", {"[1]21.5,[2]40.1", "[1]22,[2]41"}},
  };
  int n = 0;
  for (const auto& [text, rows] : cases) {
    const std::string file = dir_ + "/in" + std::to_string(++n) + ".csv";
    std::ofstream(file, std::ios::binary) << text;
    const std::string out = dir_ + "/out" + std::to_string(n);
    const auto r = RunChartProcess({{"--headless", "--fixed", "--out", out, file}});
    ASSERT_EQ(r.exitCode, 0) << text << "\n" << r.err;
    EXPECT_THAT(r.err, HasSubstr("holds the rows' time")) << text;
    EXPECT_EQ(RunLogRows(RunLogs(out).at(0)), rows) << text;
  }
}

TEST_F(ChartRun, AFastSignalIsGatheredIntoTicks) {
  // A 2 Hz sine sampled at 1 kHz for one second, with the samples' times.
  const std::string file = dir_ + "/sine.csv";
  {
    std::ofstream out(file);
    out << "time,v,w\n";
    char row[64];
    for (int k = 0; k < 1000; ++k) {
      const double v = std::sin(4 * M_PI * k / 1000.0);
      std::snprintf(row, sizeof row, "10:00:%06.3f,%.4f,%.4f\n", k / 1000.0, v, -v);
      out << row;
    }
    out << "later,0,0\n";  // a row without a time
  }
  // Fifty rows a tick, each column as two lines of its own colour: rows 101 to 150 run from
  // sin(0.4 pi) = 0.9511 over the crest at 10:00:00.125.
  auto r = RunChartProcess({{"--headless", "--minmax", "50", "--out", dir_ + "/minmax", file}});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string log = RunLogs(dir_ + "/minmax").at(0);
  auto rows = RunLogRows(log);
  ASSERT_EQ(rows.size(), 21u);
  EXPECT_EQ(rows[2], "[1]0.9511,[2]1,[3]-1,[4]-0.9511");
  std::map<std::string, std::string> colors;
  for (const auto& line : FileLines(log.substr(0, log.size() - 4) + ".form")) {
    std::smatch m;
    if (std::regex_search(line, m, std::regex("(Key|Color)(\\d) = (.*)"))) colors[m[1].str() + m[2].str()] = m[3];
  }
  EXPECT_EQ(colors["Key1"], "\"v min\"");
  EXPECT_EQ(colors["Key4"], "\"w max\"");
  EXPECT_EQ(colors["Color1"], colors["Color2"]);
  EXPECT_EQ(colors["Color3"], colors["Color4"]);
  EXPECT_NE(colors["Color1"], colors["Color3"]);
  // A quarter second a tick: a half wave each, whose mean is cot(pi / 500) / 250 = 0.6366.
  r = RunChartProcess({{"--headless", "--per", "0.25", "--out", dir_ + "/per", file}});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  rows = RunLogRows(RunLogs(dir_ + "/per").at(0));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_NEAR(std::stod(rows[0].substr(3)), 0.6366, 0.0001);
  EXPECT_NEAR(std::stod(rows[1].substr(3)), -0.6366, 0.0001);
  EXPECT_THAT(rows[1], HasSubstr(",[2]0.6366"));
  EXPECT_THAT(r.err, HasSubstr("warning: row 1002, column 1 \"later\" holds no time; its values join the tick before"));
  EXPECT_THAT(r.err, HasSubstr("1 row(s) held no time (first: row 1002"));
}

TEST_F(ChartRun, HeaderAndRowsOfOtherWidthsAreToldOnce) {
  auto r = Run({}, "a b c\n1 2\n3 4\n5 6 7 8\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("the header names 3 columns but row 2 has 2"));
  EXPECT_EQ(r.err.find("the header names", r.err.find("the header names") + 1), std::string::npos);
  EXPECT_THAT(r.err, HasSubstr("3 row(s) had another number of columns than the header"));
  r = Run({}, "a\n1 2\n");
  EXPECT_THAT(r.err, HasSubstr("the header names 1 column but row 2 has 2"));
}

TEST_F(ChartRun, LineNamesAndColoursFromTheCommandLine) {
  const auto r = Run({"--column", "2,1", "--name", "1=Druck", "--color", "2=#00F", "--set", "ChartBackColor=white"},
                     "a b\n" + Repeat("10 20\n", 30));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(RunLogRows(OnlyFile(".log")).front(), "[1]20,[2]10");
  const auto png = ReadPng(OnlyFile(".png"));
  ASSERT_TRUE(png.has_value());
  int blue = 0;
  int yellow = 0;
  for (COLORREF c : png->px) {
    blue += c == RGB(0, 0, 255);
    yellow += c == RGB(255, 255, 0);
  }
  EXPECT_GT(blue, 100);   // line 2 as asked
  EXPECT_EQ(yellow, 0);   // no default colour that vanishes on white
}

TEST_F(ChartRun, PictureShowsTheSegmentsOfTheValues) {
  // Ten ticks at 20 then ten at 80 on a 0..100 scale: the default 320 x 240 chart has its
  // plot from row 20 to row 210 (191 rows), 1.91 pixels per unit, so 20 is row 172 and 80
  // row 57.
  const auto r =
      Run({"--set", "Min=0", "--set", "Max=100", "--set", "Dist=20,20,20,30", "--color", "1=yellow"},
          Repeat("20\n", 10) + Repeat("80\n", 10));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto png = ReadPng(OnlyFile(".png"));
  ASSERT_TRUE(png.has_value());
  ASSERT_EQ(png->width, 320);
  ASSERT_EQ(png->height, 260);  // the chart's 240 rows and the time labels' 20 below them
  const COLORREF yellow = RGB(255, 255, 0);
  auto yellowIn = [&](int y, int x0, int x1) {
    int n = 0;
    for (int x = x0; x <= x1; ++x) n += png->at(x, y) == yellow;
    return n;
  };
  // The newest ten ticks cover the right of the plot at 80, the ten before them at 20.
  EXPECT_GE(yellowIn(57, 240, 295), 50);
  EXPECT_EQ(yellowIn(172, 240, 295), 0);
  EXPECT_GE(yellowIn(172, 130, 180), 45);
  EXPECT_EQ(yellowIn(57, 130, 180), 0);
  // The step between them is a steep segment: yellow on the rows in between.
  int steep = 0;
  for (int y = 70; y <= 160; y += 10) steep += yellowIn(y, 150, 260) > 0;
  EXPECT_EQ(steep, 10);
  // The BMP beside it holds the same picture size.
  EXPECT_EQ(std::filesystem::file_size(OnlyFile(".bmp")), 54u + 320u * 3u * 260u);
}

TEST_F(ChartRun, FilesOfEarlierRunsAreNeverOverwritten) {
  ASSERT_EQ(Run({}, Seq(1, 3)).exitCode, 0);
  ASSERT_EQ(Run({}, Seq(4, 6)).exitCode, 0);
  const auto logs = RunLogs(dir_);
  ASSERT_EQ(logs.size(), 2u);
  EXPECT_EQ(FilesEndingWith(dir_, ".png").size(), 2u);
  std::vector<std::string> all;
  for (const auto& l : logs)
    for (const auto& row : RunLogRows(l)) all.push_back(row);
  EXPECT_THAT(all, testing::UnorderedElementsAre("[1]1", "[1]2", "[1]3", "[1]4", "[1]5", "[1]6"));
}

TEST_F(ChartRun, FilesNamedAsThisRunsWouldBeAreLeftAlone) {
  // A form and a snapshot of another run, under the names this run would give its own in
  // the next seconds.
  const std::time_t now = std::time(nullptr);
  std::vector<std::string> theirs;
  for (int s = 0; s < 5; ++s) {
    const std::string base = dir_ + "/" + app::StampName(now + s);
    for (const char* suffix : {".form", "-tick000001.png"}) {
      theirs.push_back(base + suffix);
      std::ofstream(theirs.back()) << "theirs\n";
    }
  }
  const auto r = Run({"--snapshot-every", "1"}, Seq(1, 2));
  EXPECT_THAT(r.err, HasSubstr("2 tick(s)"));
  for (const auto& f : theirs) EXPECT_THAT(FileLines(f), ElementsAre("theirs")) << f;
  EXPECT_THAT(RunLogRows(OnlyFile(".log")), ElementsAre("[1]1", "[1]2"));
}

TEST_F(ChartRun, TwoRunsInTheSameFolderAtOnceKeepEveryFileApart) {
  // Both pick their names in the same second; the rows come once both are waiting for them.
  RunningChart a({"--headless", "--out", dir_});
  RunningChart b({"--headless", "--out", dir_});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  a.Write(Seq(1, 100));
  b.Write(Seq(1001, 1100));
  a.CloseInput();
  b.CloseInput();
  const auto ra = a.Wait(30);
  const auto rb = b.Wait(30);
  ASSERT_EQ(ra.exitCode, 0) << ra.err;
  ASSERT_EQ(rb.exitCode, 0) << rb.err;
  const std::regex runLine("the run's files are in (\\S+): the data log (\\S+)");
  std::smatch ma;
  std::smatch mb;
  ASSERT_TRUE(std::regex_search(ra.err, ma, runLine)) << ra.err;
  ASSERT_TRUE(std::regex_search(rb.err, mb, runLine)) << rb.err;
  ASSERT_NE(ma[1].str(), mb[1].str());
  EXPECT_EQ(RunLogRows(ma[1].str() + ma[2].str()).size(), 100u);
  EXPECT_EQ(RunLogRows(ma[1].str() + ma[2].str()).back(), "[1]100");
  EXPECT_EQ(RunLogRows(mb[1].str() + mb[2].str()).size(), 100u);
  EXPECT_EQ(RunLogRows(mb[1].str() + mb[2].str()).back(), "[1]1100");
  EXPECT_EQ(RunLogs(dir_).size(), 2u);
  EXPECT_EQ(FilesEndingWith(dir_, ".bmp").size(), 2u);
  EXPECT_EQ(FilesEndingWith(dir_, ".png").size(), 2u);
}

TEST_F(ChartRun, SnapshotsEveryNTicksAndTicksLimit) {
  const auto r = Run({"--snapshot-every", "4", "--ticks", "10"}, Seq(1, 50));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(RunLogRows(OnlyFile(".log")).size(), 10u);
  const auto snaps = FilesEndingWith(dir_, ".png");
  // Ticks 4 and 8, and the final picture.
  EXPECT_THAT(snaps, ElementsAre(HasSubstr("-tick000004.png"), HasSubstr("-tick000008.png"), Not(HasSubstr("-tick"))));
}

TEST_F(ChartRun, EachOutputCanBeLeftOut) {
  const struct {
    std::vector<std::string> args;
    size_t logs, bmps, pngs;
  } cases[] = {
      {{"--no-log"}, 0, 1, 1},
      {{"--no-picture"}, 1, 0, 0},
      {{"--no-log", "--no-picture", "--snapshot-every", "2"}, 0, 0, 2},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string out = dir_ + "/" + std::to_string(++n);
    std::vector<std::string> args = {"--headless", "--out", out};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = RunChartProcess({args, Seq(1, 4)});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(RunLogs(out).size(), c.logs) << c.args[0];
    EXPECT_EQ(FilesEndingWith(out, ".bmp").size(), c.bmps) << c.args[0];
    EXPECT_EQ(FilesEndingWith(out, ".png").size(), c.pngs) << c.args[0];
  }
}

TEST_F(ChartRun, OutputFolderIsMadeAsNamedBlanksIncluded) {
  const std::string out = dir_ + "/ new folder /sub";
  const auto r = RunChartProcess({{"--headless", "--out", out}, "1\n"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(RunLogs(out).size(), 1u);
  EXPECT_EQ(FilesEndingWith(out, ".bmp").size(), 1u);
  EXPECT_EQ(FilesEndingWith(out, ".png").size(), 1u);
}

TEST_F(ChartRun, BackslashesSeparateFoldersInEveryPath) {
  // The folder each --out names, with "\\" read as "/": every file lands there, and no
  // file or folder is ever named with a backslash.
  const struct {
    std::string out;
    std::string folder;
  } cases[] = {
      {dir_ + "\\a\\b", dir_ + "/a/b"},
      {dir_ + "/c\\..\\victim", dir_ + "/victim"},
  };
  for (const auto& c : cases) {
    const auto r = RunChartProcess(
        {{"--headless", "--snapshot-every", "2", "--out", c.out, "--save-form", dir_ + "\\chart.form"}, Seq(1, 4)});
    ASSERT_EQ(r.exitCode, 0) << c.out << "\n" << r.err;
    EXPECT_THAT(r.err, HasSubstr("4 tick(s)"));
    EXPECT_EQ(RunLogs(c.folder).size(), 1u) << c.out;
    EXPECT_EQ(FilesEndingWith(c.folder, ".bmp").size(), 1u) << c.out;
    EXPECT_EQ(FilesEndingWith(c.folder, ".png").size(), 3u) << c.out;  // ticks 2 and 4, the final picture
  }
  EXPECT_EQ(FilesEndingWith(dir_, "/chart.form").size(), 1u);
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir_))
    EXPECT_EQ(e.path().filename().string().find('\\'), std::string::npos) << e.path();
}

// ---- header and columns ----

TEST_F(ChartRun, HeaderRowNamesTheLinesAndIsNotATick) {
  const auto r = Run({"--column", "pressure"}, "temp pressure\n1 10\n2 20\n3 30\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(RunLogRows(OnlyFile(".log")), ElementsAre("[1]10", "[1]20", "[1]30"));
}

TEST_F(ChartRun, HeaderNameIsDrawnInTheLegend) {
  const std::string rows = Repeat("1 2\n", 5);
  auto picture = [&](const std::string& header, const std::string& name) {
    const std::string sub = dir_ + "/" + name;
    // Without time labels: the clock's would differ from run to run.
    const auto r = RunChartProcess({{"--headless", "--no-time-axis", "--out", sub}, header + rows});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return ReadPng(FilesEndingWith(sub, ".png").at(0)).value();
  };
  const auto a = picture("alpha1 beta\n", "a");
  const auto a2 = picture("alpha1 beta\n", "a2");
  const auto b = picture("alpha2 beta\n", "b");
  EXPECT_EQ(Compare(a, a2).count, 0);
  // Only the first key differs (in its last digit, as wide as the other): in the legend,
  // right of the plot, whose margin is widened for six-character keys.
  const auto d = Compare(a, b);
  EXPECT_GT(d.count, 0);
  EXPECT_GT(d.firstX, 265);
}

TEST_F(ChartRun, VmstatStyleTwoHeaderRowsUseTheLastOne) {
  const std::string in =
      "procs -----------memory----------\n"
      " r  b   swpd   free\n"
      " 1  0      0 811234\n"
      " 2  0      0 811000\n";
  const auto r = Run({"--column", "free"}, in);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(RunLogRows(OnlyFile(".log")), ElementsAre("[1]811234", "[1]811000"));
}

TEST_F(ChartRun, ColumnByNumber) {
  const auto r = Run({"--column", "3"}, "1 2 3\n4 5 6\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(RunLogRows(OnlyFile(".log")), ElementsAre("[1]3", "[1]6"));
}

// ---- gaps ----

TEST_F(ChartRun, BadFieldsLeaveGapsAndAreReportedOnce) {
  const auto r = Run({}, "1 2\n3 x\n5 6\n7\n9 oops\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(RunLogRows(OnlyFile(".log")), ElementsAre("[1]1,[2]2", "[1]3", "[1]5,[2]6", "[1]7", "[1]9"));
  EXPECT_THAT(r.err, HasSubstr("2 field(s) were not numbers"));
  EXPECT_THAT(r.err, HasSubstr("row 2, column 2 \"x\""));
  EXPECT_THAT(r.err, HasSubstr("1 value(s) were missing"));
}

TEST_F(ChartRun, NonFiniteAndHugeValuesAreGapsNotCrashes) {
  // A range that follows the data does not follow it to 1e308 or -1e308.
  const std::string rows = "1\nnan\ninf\n-inf\n1e308\n-1e308\n1e999\n2\n";
  auto r = Run({}, rows);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(RunLogRows(OnlyFile(".log")), ElementsAre("[1]1", "", "", "", "", "", "", "[1]2"));
  EXPECT_THAT(r.err, HasSubstr("4 field(s) were not numbers"));  // nan, inf, -inf, 1e999
  EXPECT_THAT(r.err, HasSubstr("2 value(s) were too large for the chart"));
  EXPECT_THAT(r.err, HasSubstr("warning: row 5, column 1 \"1e308\" is too large for the chart and leaves a gap"));
  // A fixed range shows neither, and says how to widen it.
  r = RunChartProcess({{"--headless", "--fixed", "--out", dir_ + "/fixed"}, rows});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(RunLogRows(RunLogs(dir_ + "/fixed").at(0)), ElementsAre("[1]1", "", "", "", "", "", "", "[1]2"));
  EXPECT_THAT(r.err, HasSubstr("2 value(s) were outside the range -50 .. 50 and left gaps (first: row 5, column 1 "
                               "\"1e308\"); widen it with --set Min=... --set Max=..."));
}

TEST_F(ChartRun, WarningsAreToldWhenTheyHappenOncePerKind) {
  RunningChart run({"--headless", "--set", "Min=0", "--set", "Max=100", "--out", dir_});
  run.Write("1\n200\nx\n");
  // The input stays open: the warnings come while the run waits for more.
  const std::string soFar = run.ErrUntil("not a number");
  EXPECT_THAT(soFar, HasSubstr("warning: row 2, column 1 \"200\" is outside the range 0 .. 100"));
  EXPECT_THAT(soFar, HasSubstr("warning: row 3, column 1 \"x\" is not a number"));
  run.Write("50\n");
  run.CloseInput();
  const auto r = run.Wait(30);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::regex warning("warning:");
  EXPECT_EQ(std::distance(std::sregex_iterator(r.err.begin(), r.err.end(), warning), std::sregex_iterator()), 2)
      << r.err;  // once per kind
  EXPECT_THAT(r.err, HasSubstr("1 value(s) were outside the range 0 .. 100 and left gaps (first: row 2"));
}

// ---- malformed input ----

TEST_F(ChartRun, BinaryDataKeepsEarlierRows) {
  std::string junk;
  uint32_t x = 12345;
  for (int i = 0; i < 1 << 20; ++i) {
    x = x * 1103515245u + 12345u;
    junk.push_back(static_cast<char>(x >> 24));
  }
  const auto r = Run({}, Seq(1, 12) + junk + "\n13\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto rows = RunLogRows(OnlyFile(".log"));
  ASSERT_GE(rows.size(), 13u);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(rows[i], "[1]" + std::to_string(i + 1));
  EXPECT_EQ(rows.back(), "[1]13");
}

TEST_F(ChartRun, TenMegabyteLineCostsNoMoreMemoryThanAShortOne) {
  const std::string smallFile = dir_ + "/small.txt";
  const std::string bigFile = dir_ + "/big.txt";
  std::ofstream(smallFile) << "1\n2\n3\n";
  {
    std::ofstream big(bigFile);
    big << "1\n2\n" << std::string(10 << 20, 'x') << "\n3\n4 " << std::string(10 << 20, ' ') << " 5\n";
  }
  const auto small = RunChartProcess({{"--headless", "--out", dir_ + "/small"}, "", smallFile});
  ASSERT_EQ(small.exitCode, 0) << small.err;
  const std::string out = dir_ + "/big";
  const auto r = RunChartProcess({{"--headless", "--out", out}, "", bigFile});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_LT(r.maxRssKb - small.maxRssKb, 4 * 1024)
      << "peak memory " << r.maxRssKb << " kB against " << small.maxRssKb << " kB";
  const auto logs = RunLogs(out);
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_THAT(RunLogRows(logs[0]), ElementsAre("[1]1", "[1]2", "", "[1]3", "[1]4"));
}

TEST_F(ChartRun, VeryWideRowsAreCappedAndReported) {
  std::string wide;
  for (int i = 0; i < 1000; ++i) wide += "1,";
  wide += "\n";
  const auto r = Run({"--column", "2"}, wide + wide);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(RunLogRows(OnlyFile(".log")), ElementsAre("[1]1", "[1]1"));
  EXPECT_THAT(r.err, HasSubstr("2 row(s) had more than 256 columns"));
}

TEST_F(ChartRun, AnInputWithoutDataRowsFailsAndSaysWhy) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "no data rows: it was empty"},
      {"\n \n", "no data rows: its 2 rows held no fields"},
      {"\"a\" b\nc d\n", "no field of its 2 rows was a number (the last row of words, taken as the header: c d)"},
  };
  for (const auto& [input, why] : cases) {
    const auto r = Run({}, input);
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_THAT(r.err, HasSubstr(why));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;  // that line alone
  }
  EXPECT_TRUE(FilesEndingWith(dir_, ".png").empty());
  EXPECT_TRUE(RunLogs(dir_).empty());
}

// ---- stopping ----

TEST_F(ChartRun, SigintWhileWaitingForInputLeavesACompleteLog) {
  RunningChart run({"--headless", "--out", dir_});
  run.Write(Seq(1, 25));
  // Rows reach the log eleven ticks at a time (and at each new part): eleven rows in the
  // log mean the rows are being read.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    const auto logs = RunLogs(dir_);
    if (!logs.empty() && RunLogRows(logs[0]).size() >= 11) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  // Waiting, the run has written the time of every tick so far beside its log.
  size_t times = 0;
  for (const auto& t : FilesEndingWith(dir_, ".times")) times += FileLines(t).size();
  EXPECT_EQ(times, 25u);
  run.Signal(SIGINT);  // the input stays open: the run is waiting for the next row
  const auto r = run.Wait(30);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("stopped by a signal"));
  std::vector<std::string> expected;
  for (int i = 1; i <= 25; ++i) expected.push_back("[1]" + std::to_string(i));
  EXPECT_EQ(RunLogRows(OnlyFile(".log")), expected);
  EXPECT_EQ(FilesEndingWith(dir_, ".png").size(), 1u);
}

TEST_F(ChartRun, RowsGatheredWhenTheRunStopsMakeALastTick) {
  RunningChart run({"--headless", "--mean", "10", "--out", dir_});
  run.Write(Seq(1, 5) + "x\n");
  run.ErrUntil("not a number");  // told as the last row is read
  run.Signal(SIGINT);
  const auto r = run.Wait(30);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(RunLogRows(OnlyFile(".log")), ElementsAre("[1]3"));  // the mean of 1 to 5
}

TEST_F(ChartRun, SigtermAndSighupEndTheDemoCleanly) {
  for (const int sig : {SIGTERM, SIGHUP}) {
    const std::string dir = dir_ + "/" + std::to_string(sig);
    RunningChart run({"demo", "--headless", "--rate", "200", "--out", dir});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    run.Signal(sig);
    const auto r = run.Wait(30);
    ASSERT_EQ(r.exitCode, 0) << sig << "\n" << r.err;
    EXPECT_THAT(r.err, HasSubstr("stopped by a signal"));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.err, m, std::regex("(\\d+) tick\\(s\\)"))) << r.err;
    const auto logs = RunLogs(dir);
    ASSERT_EQ(logs.size(), 1u);
    const auto rows = RunLogRows(logs[0]);
    // Every tick is in the log, and every tick of the demo gives all three lines a value.
    EXPECT_EQ(rows.size(), std::stoul(m[1]));
    for (const auto& row : rows) EXPECT_THAT(row, testing::MatchesRegex("\\[1\\].*,\\[2\\].*,\\[3\\].*"));
    EXPECT_EQ(FilesEndingWith(dir, ".png").size(), 1u);
  }
}

TEST_F(ChartRun, SnapshotsThatCannotBeWrittenFailTheRunWithACount) {
  // A file takes the output folder's place mid-run (the log, already open, goes on).
  RunningChart run({"--headless", "--no-picture", "--snapshot-every", "1", "--out", dir_ + "/out"});
  run.Write(Seq(1, 3));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline && FilesEndingWith(dir_ + "/out", "-tick000003.png").empty())
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::filesystem::rename(dir_ + "/out", dir_ + "/moved");
  std::ofstream(dir_ + "/out") << "in the way\n";
  run.Write(Seq(4, 5));
  run.CloseInput();
  const auto r = run.Wait(30);
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_THAT(r.err, HasSubstr("2 of 5 snapshot picture(s) could not be written"));
  EXPECT_EQ(FilesEndingWith(dir_ + "/moved", ".png").size(), 3u);
}

// ---- settings, forms and exit codes ----

TEST_F(ChartRun, SettingsReachTheChartAndTheSavedForm) {
  const std::string form = dir_ + "/chart.form";
  auto r = Run({"--set", "Title=Rig 7", "--set", "Max=200", "--set", "bTimeLineDisp=False", "--set",
                "ChartBackColor=#102030", "--set", "TitleFont=Arial,12,bold", "--save-form", form},
               "1\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto header = FileLines(RunLogs(dir_).at(0));
  EXPECT_EQ(header[1], "[Title]Rig 7");
  EXPECT_EQ(header[3], "[Max]200");
  EXPECT_EQ(header[6], "[BkGndColor]302010");
  EXPECT_EQ(header[10], "[bTimeLineDsip]0");
  EXPECT_EQ(header[11], "[TitleFont]Arial:True:12");

  // The saved form brings the same settings back.
  const std::string again = dir_ + "/again";
  r = RunChartProcess({{"--headless", "--form", form, "--out", again}, "1\n"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto header2 = FileLines(RunLogs(again).at(0));
  EXPECT_EQ(std::vector<std::string>(header2.begin() + 1, header2.end()),
            std::vector<std::string>(header.begin() + 1, header.end()));
}

TEST_F(ChartRun, AUsersScaleGetsAboutTenGridLinesAndRoomForItsLabels) {
  // The default grid spacing of 10 would put grid lines under a pixel apart on this scale,
  // and the default label column holds three characters, not eight.
  const std::string form = dir_ + "/scale.form";
  const auto r = Run({"--set", "Min=0", "--set", "Max=16000000", "--save-form", form}, "8000000\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = FileLines(form);
  EXPECT_THAT(lines, testing::Contains(HasSubstr("ValueSpace = 2e+06#")));
  EXPECT_THAT(lines, testing::Contains(testing::MatchesRegex(" *MeasureWidth = (9|1[0-2])%")));
  std::smatch m;
  std::string dist;
  for (const auto& l : lines)
    if (l.find("Dist = ") != std::string::npos) dist = l;
  ASSERT_TRUE(std::regex_search(dist, m, std::regex("\"(\\d+),20,20,30\""))) << dist;
  EXPECT_GE(std::stoi(m[1]), 5 + 9 * 4);
  // A spacing or margins of the user's own are kept as given.
  const std::string own = dir_ + "/own.form";
  ASSERT_EQ(Run({"--set", "Min=0", "--set", "Max=1000", "--set", "ValueSpace=250", "--set", "Dist=30,20,20,30",
                 "--save-form", own},
                "1\n")
                .exitCode,
            0);
  const auto ownLines = FileLines(own);
  EXPECT_THAT(ownLines, testing::Contains(HasSubstr("ValueSpace = 250#")));
  EXPECT_THAT(ownLines, testing::Contains(HasSubstr("Dist = \"30,20,20,30\"")));
  EXPECT_THAT(ownLines, testing::Not(testing::Contains(HasSubstr("MeasureWidth"))));
  // A unit gets its column left of the labels; the control's margins have no room for it.
  const std::string unit = dir_ + "/unit.form";
  ASSERT_EQ(Run({"--set", "Unit=bar", "--save-form", unit}, "1\n").exitCode, 0);
  const auto unitLines = FileLines(unit);
  EXPECT_THAT(unitLines, testing::Not(testing::Contains(HasSubstr("Dist = \"20,"))));
  EXPECT_THAT(unitLines, testing::Contains(testing::MatchesRegex(" *Dist = \"[3-9][0-9],20,20,30\"")));
}

TEST_F(ChartRun, SizeSetsThePictureSize) {
  const auto r = Run({"--size", "200x150"}, "1\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto png = ReadPng(OnlyFile(".png"));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 200);
  EXPECT_EQ(png->height, 170);  // the time labels' 20 rows below the chart
}

TEST_F(ChartRun, OptionErrorsExitTwoWithOneLine) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--bogus"}, "unknown option --bogus"},
      {{"--set", "Max=abc"}, "Max needs a number, got 'abc'"},
      {{"--column", "9"}, "--column 9: the input has 2 columns"},
      {{"--name", "3=x"}, "--name 3=...: the chart has 2 lines"},
      {{"--color", "1=#12"}, "--color 1=#12: expected"},
      {{"--per", "1"}, "--per needs the rows' time, and no column holds it"},
      {{"--minmax", "2", "--name", "5=x"}, "--name 5=...: the chart has 4 lines"},
  };
  for (const auto& [args, message] : cases) {
    const auto r = Run(args, "1 2\n3 4\n");
    EXPECT_EQ(r.exitCode, 2) << message;
    EXPECT_THAT(r.err, HasSubstr(message));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
}

TEST_F(ChartRun, ExitCodesSayWhatWentWrong) {
  EXPECT_EQ(Run({"--bogus"}, "").exitCode, 2);
  EXPECT_EQ(Run({"--rate", "fast"}, "").exitCode, 2);
  auto r = Run({"--set", "Nonsense=1"}, "1\n");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("Nonsense"));
  r = Run({"--set", "Zoom=big"}, "1\n");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("Zoom"));
  r = Run({"--column", "nope"}, "a b\n1 2\n");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("no column named \"nope\" in the header: a b"));
  r = Run({dir_ + "/missing.csv"}, "");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_THAT(r.err, HasSubstr("missing.csv"));
  r = Run({"--form", dir_ + "/missing.form"}, "");
  EXPECT_EQ(r.exitCode, 3);
  std::ofstream(dir_ + "/bad.form") << "this is not a form\n";
  EXPECT_EQ(Run({"--form", dir_ + "/bad.form"}, "").exitCode, 2);
  std::ofstream(dir_ + "/empty.form") << "Begin Form F\nEnd\n";
  r = Run({"--form", dir_ + "/empty.form"}, "1\n");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("empty.form holds no KavrinLineChart"));
  // A display that cannot be opened: a window is no must, --window is.
  const std::string display = std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "";
  setenv("DISPLAY", ":7777", 1);
  r = RunChartProcess({{"--no-log", "--no-picture", "--out", dir_}, "1\n"});
  const auto r4 = RunChartProcess({{"--window", "--out", dir_}, "1\n"});
  if (display.empty()) unsetenv("DISPLAY");
  else setenv("DISPLAY", display.c_str(), 1);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("cannot open the display :7777; running without a window"));
  EXPECT_EQ(r4.exitCode, 4) << r4.err;
  EXPECT_THAT(r4.err, HasSubstr("cannot open the display :7777: "));
  ChartCall noDisplay({"demo", "--window", "--ticks", "1"});
  noDisplay.unsetDisplay = true;
  r = RunChartProcess(noDisplay);
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_THAT(r.err, HasSubstr("DISPLAY"));
  // None of these failures left outputs behind.
  EXPECT_TRUE(RunLogs(dir_).empty());
}

TEST_F(ChartRun, SettingsTheChartCannotBeDrawnWithStopTheRunBeforeItStartsAndAreNamed) {
  struct Case {
    std::vector<std::string> args;
    std::string named;
  } cases[] = {
      // Labels 13 pixels high need grid lines 26 / 3 pixels apart: ten steps need a plot 87
      // rows high (136 with the margins 20 and 30), and two of them 18 columns wide (57).
      {{"--size", "320x50"}, "--size 320x50 is too small for the chart with these settings: the smallest size it "
                             "can be drawn at is 57x136"},
      {{"--size", "120x80"}, "--size 120x80 is too small"},  // a pile of labels, not a chart
      {{"--size", "16384x16384"}, "with --size 16384x16384 at"},
      {{"--set", "Min=10", "--set", "Max=0"}, "--set: Min must be below Max, and Min is 10, Max 0 (the chart would "
                                              "show 10 .. 20)"},
      {{"--set", "ValueSpace=20000"}, "with --set ValueSpace=20000 at"},
      // Only the title is to blame, not the margins that come with it.
      {{"--set", "Dist=5,5,5,5", "--set", "Title=" + std::string(8000, 'a')}, "with --set Title=aaaa"},
      {{"--set", "BackColor=305419896"}, "BackColor needs a colour (#RRGGBB, #RGB, a name such as orange, or a number), got '305419896'"},
  };
  for (const auto& c : cases) {
    const auto r = Run(c.args, "1\n2\n");
    EXPECT_EQ(r.exitCode, 2) << c.named << "\n" << r.err;
    EXPECT_THAT(r.err, HasSubstr(c.named));
  }
  EXPECT_TRUE(RunLogs(dir_).empty());
  // A size is judged with the settings: narrow margins make room for a short chart.
  EXPECT_EQ(Run({"--size", "320x110"}, "1\n").exitCode, 2);
  EXPECT_EQ(Run({"--size", "320x110", "--set", "Dist=5,5,5,5"}, "1\n").exitCode, 0);
}

TEST_F(ChartRun, ALegendTooShortForItsKeysSaysWhose) {
  // Keys 13 pixels high, 15 apart from row 20 + 15 down: 240 rows hold 13 of them.
  std::string row;
  for (int i = 1; i <= 17; ++i) row += std::to_string(i) + " ";
  const auto r = Run({}, row + "\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("warning: the legend has room for 13 of the 17 lines; the names of lines 14 to 17 "
                               "(col 14, col 15, col 16, col 17) are cut off"));
}

TEST_F(ChartRun, SettingsTheChartIgnoresAreReported) {
  const auto r = Run({"--set", "TitlePos=9", "--set", "MeasurePos=-3", "--set", "TitlePos=2"}, "1\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("--set TitlePos=9 was ignored"));
  EXPECT_THAT(r.err, HasSubstr("keeps TitlePos=3"));
  EXPECT_THAT(r.err, HasSubstr("--set MeasurePos=-3 was ignored"));
  EXPECT_THAT(r.err, Not(HasSubstr("TitlePos=2 was")));
}

TEST_F(ChartRun, FormFilesAreBoundedAndTheirBadEntriesNamed) {
  auto r = Run({"--form", "/dev/zero"}, "");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("larger than a form can be"));
  // Eight charts of 8192 x 8192 in a few hundred bytes: 2 GB of surfaces if taken.
  std::string eight = "Begin Form F\n";
  for (int i = 1; i <= 8; ++i)
    eight += " Begin KavrinLineChart C" + std::to_string(i) + "\n  _Width = 8192\n  _Height = 8192\n End\n";
  std::ofstream(dir_ + "/eight.form") << eight << "End\n";
  r = Run({"--form", dir_ + "/eight.form"}, "");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("pixels together"));
  EXPECT_LT(r.maxRssKb, 400 * 1024);
  std::ofstream(dir_ + "/min.form") << "Begin Form F\n Begin KavrinLineChart C\n  Min = \"abc\"\n End\nEnd\n";
  r = Run({"--form", dir_ + "/min.form"}, "");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("form text line 3: Min"));
}

TEST_F(ChartRun, InputFromAFileIsTitledWithItsName) {
  const std::string file = dir_ + "/rig.csv";
  std::ofstream(file) << "a;b\n1;2\n3;4\n";
  const auto r = Run({file}, "");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto log = OnlyFile(".log");
  EXPECT_EQ(FileLines(log)[1], "[Title]rig.csv");
  EXPECT_THAT(RunLogRows(log), ElementsAre("[1]1,[2]2", "[1]3,[2]4"));
}

}  // namespace
}  // namespace kavrin::test

// The export log through the engine: header, rows newest first in batches of eleven,
// stop, teardown, reopening and the one slot shared by all charts.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "tests/support/errors.h"
#include "chart/line_chart.h"
#include "chart/log_slot.h"
#include "chart/number_text.h"
#include "common/vb_error.h"
#include "tests/chart/chart_harness.h"
#include "tests/support/pixels.h"

namespace kavrin {
namespace {

namespace fs = std::filesystem;
using test::ChartSettings;
using test::ChartSurface;
using test::Configure;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The file's lines, each of which must end with CR LF.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line without CR LF: " << text.substr(pos);
      break;
    }
    out.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return out;
}

// Number text with the locale's decimal separator, as the rows and [Zoom] use it.
std::string Dec(const std::string& dotted) {
  std::string s = dotted;
  const auto p = s.find('.');
  if (p != std::string::npos) s.replace(p, 1, LocaleDecimalSeparatorText());
  return s;
}

class ChartExport : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(test::OutputDir()) / ("export_" + std::string(::testing::UnitTest::GetInstance()
                                                                      ->current_test_info()
                                                                      ->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    chart = std::make_unique<cLineChart>();
    Configure(*chart, surf, set);
    chart->Start();
    chart->AddLine("one", 0x0000FF);
    chart->AddLine("two", 0xFF0000);
  }
  void TearDown() override { chart.reset(); }
  void Open(const std::string& name) {
    std::string path = dir.string();
    chart->StartExport(True, path, name);
  }
  void Stop() {
    std::string none;
    chart->StartExport(False, none, none);
  }
  // Line 1 gets i + 0.5 every tick, line 2 gets i / 4 on even ticks only.
  void Tick(int i) {
    chart->SetValue(1, i + 0.5);
    if (i % 2 == 0) chart->SetValue(2, i / 4.0);
    chart->Movie();
  }
  static std::string Row(int i) {
    std::string r = "[1]" + Dec(std::to_string(i) + ".5");
    if (i % 2 == 0) {
      std::ostringstream v;
      v << i / 4.0;
      r += ",[2]" + Dec(v.str());
    }
    return r + "/";
  }
  static std::string Rows(int from, int to) {  // newest first
    std::string s;
    for (int i = to; i >= from; --i) s += Row(i);
    return s;
  }

  fs::path dir;
  ChartSurface surf{320, 240};
  ChartSettings set;
  std::unique_ptr<cLineChart> chart;
};

TEST_F(ChartExport, HeaderThenRowLinesOfElevenTicksNewestFirstThenTheRestAtStop) {
  std::string path = dir.string();
  chart->StartExport(True, path, "run1.txt");
  EXPECT_EQ(path, dir.string() + "\\");  // the caller's folder comes back with "\"
  EXPECT_EQ(chart->bExport(), True);
  for (int i = 1; i <= 15; ++i) Tick(i);
  Stop();
  EXPECT_EQ(chart->bExport(), False);

  const auto lines = Lines(ReadAll(dir / "run1.txt"));
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[0].rfind("[Time]", 0), 0u);
  EXPECT_GT(lines[0].size(), 6u);
  const std::string font = "MS Sans Serif:False:" + Dec("8.25");
  const std::vector<std::string> header = {
      "[Title]Kavrin Line Chart", "[Min]-50",           "[Max]50",          "[Zoom]1",
      "[VerValueSpace]10",        "[BkGndColor]0",      "[ValueLineColor]8000",
      "[TimeLineColor]8000",      "[bValueLineDsip]-1", "[bTimeLineDsip]-1",
      "[TitleFont]" + font,       "[TitleColor]0",      "[TitlePos]3",      "[CutLineFont]" + font,
      "[MeasureColor]C0",         "[MeasureFont]" + font, "[MeasurePos]0",  "[MeasureWidth]3",
      "[BorderColor]808080",      "[BorderWidth]1"};
  for (size_t i = 0; i < header.size(); ++i) EXPECT_EQ(lines[i + 1], header[i]) << "header line " << i + 2;
  EXPECT_EQ(lines[21], Rows(1, 11));
  EXPECT_EQ(lines[22], Rows(12, 15));
  const std::string newest = "[1]" + Dec("11.5") + "/[1]" + Dec("10.5") + ",[2]" + Dec("2.5") + "/";
  EXPECT_EQ(lines[21].substr(0, newest.size()), newest);
  const std::string oldest = "/[1]" + Dec("1.5") + "/";
  EXPECT_EQ(lines[21].substr(lines[21].size() - oldest.size()), oldest);
}

// Line breaks in a title or font name become blanks: the header stays 21 lines and no value
// can pose as another key.
TEST_F(ChartExport, LineBreaksInHeaderValuesBecomeBlanks) {
  set.title = "a\r\n[Max]1e9";
  set.titleFont = std::make_shared<StdFont>("Bad\nFace\r", 9);
  chart = std::make_unique<cLineChart>();
  Configure(*chart, surf, set);
  chart->Start();
  Open("breaks.txt");
  Stop();
  const std::string text = ReadAll(dir / "breaks.txt");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 21);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 21);
  const auto lines = Lines(text);
  ASSERT_EQ(lines.size(), 21u);
  EXPECT_EQ(lines[1], "[Title]a  [Max]1e9");
  EXPECT_EQ(lines[3], "[Max]50");
  EXPECT_EQ(lines[11], "[TitleFont]Bad Face :False:9");
}

TEST_F(ChartExport, EmptyTicksGiveLoneSlashesAndAStopRightAfterAWriteAddsNothing) {
  Open("empty.txt");
  for (int i = 0; i < 11; ++i) chart->Movie();
  EXPECT_EQ(chart->iExportTicks(), 0);
  EXPECT_EQ(chart->sExportBuf(), "");
  Stop();
  const auto lines = Lines(ReadAll(dir / "empty.txt"));
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[21], std::string(11, '/'));
}

TEST_F(ChartExport, OnlyTheLastValueBeforeATickIsExported) {
  Open("last.txt");
  chart->SetValue(2, 7);
  chart->SetValue(2, 8);
  chart->Movie();
  EXPECT_EQ(chart->sExportBuf(), "[2]8/");
  Stop();
}

TEST_F(ChartExport, NothingIsGatheredWhileTheLogIsClosed) {
  for (int i = 1; i <= 5; ++i) Tick(i);
  EXPECT_EQ(chart->sExportBuf(), "");
  EXPECT_EQ(chart->iExportTicks(), 0);
}

TEST_F(ChartExport, AReopenedLogContinuesTheTickCount) {
  Open("first.txt");
  for (int i = 1; i <= 4; ++i) Tick(i);
  Stop();
  EXPECT_EQ(Lines(ReadAll(dir / "first.txt")).back(), Rows(1, 4));
  EXPECT_EQ(chart->iExportTicks(), 4);
  Open("second.txt");
  for (int i = 5; i <= 11; ++i) Tick(i);  // 7 more ticks reach the eleventh
  const auto lines = Lines(ReadAll(dir / "second.txt"));
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[21], Rows(5, 11));
}

TEST_F(ChartExport, TeardownWritesThePendingRowsAndFreesTheSlot) {
  Open("teardown.txt");
  for (int i = 1; i <= 3; ++i) Tick(i);
  chart.reset();
  EXPECT_FALSE(LogSlot::IsOpen());
  EXPECT_EQ(Lines(ReadAll(dir / "teardown.txt")).back(), Rows(1, 3));
}

TEST_F(ChartExport, ExistingFilesMissingFoldersAndEmptyNamesAreIgnoredQuietly) {
  {
    std::ofstream(dir / "taken.txt") << "keep";
  }
  Open("taken.txt");
  EXPECT_EQ(chart->bExport(), False);
  EXPECT_EQ(ReadAll(dir / "taken.txt"), "keep");

  std::string missing = (dir / "nope").string();
  chart->StartExport(True, missing, "x.txt");
  EXPECT_EQ(chart->bExport(), False);
  EXPECT_FALSE(fs::exists(dir / "nope"));

  std::string path = dir.string();
  chart->StartExport(True, path, "");
  EXPECT_EQ(path, dir.string());  // returned before the path was touched
  std::string blanks = "   ";
  chart->StartExport(True, blanks, "x.txt");
  EXPECT_EQ(blanks, "");
  EXPECT_EQ(chart->bExport(), False);
  EXPECT_FALSE(LogSlot::IsOpen());

  // A stop with no log open is no error.
  Stop();
}

TEST_F(ChartExport, PathsWithBlanksAndForwardSlashesWork) {
  std::string path = "  " + dir.string() + "/  ";
  chart->StartExport(True, path, "slash.txt");
  EXPECT_EQ(path, dir.string() + "/\\");
  EXPECT_EQ(chart->bExport(), True);
  Stop();
  EXPECT_TRUE(fs::exists(dir / "slash.txt"));
}

TEST_F(ChartExport, OneLogPerProcessAndASecondChartGetsFileAlreadyOpen) {
  Open("owner.txt");
  ASSERT_EQ(chart->bExport(), True);
  // The same chart asking again, for a new file: 55, the open log stays as it is.
  std::string path = dir.string();
  try {
    chart->StartExport(True, path, "again.txt");
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kFileAlreadyOpen);
  }
  ChartSurface otherSurface(320, 240);
  cLineChart other;
  Configure(other, otherSurface, set);
  other.Start();
  std::string otherPath = dir.string();
  try {
    other.StartExport(True, otherPath, "other.txt");
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kFileAlreadyOpen);
  }
  EXPECT_EQ(other.bExport(), False);
  EXPECT_FALSE(fs::exists(dir / "other.txt"));
  EXPECT_FALSE(fs::exists(dir / "again.txt"));
  // The other chart's stop leaves this chart's log alone.
  std::string none;
  other.StartExport(False, none, none);
  EXPECT_TRUE(LogSlot::IsOpenBy(chart.get()));
  Tick(1);
  Stop();
  EXPECT_EQ(Lines(ReadAll(dir / "owner.txt")).back(), Rows(1, 1));
  // Once stopped, the other chart may open its own.
  other.StartExport(True, otherPath, "other.txt");
  EXPECT_EQ(other.bExport(), True);
  other.StartExport(False, none, none);
}

// Limits the size of files this process writes, so that the log's next line fails as on
// a full disk; the limit goes back when the object ends.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    old_ = signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit r = saved_;
    r.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &r);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, old_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  sighandler_t old_{};
};

using kavrin::test::ErrorOf;

TEST_F(ChartExport, AFailedWriteKeepsTheRowsPendingUntilAStopSucceeds) {
  Open("full.txt");
  const auto headerSize = fs::file_size(dir / "full.txt");
  {
    FileSizeLimit limit(headerSize);
    for (int i = 1; i <= 10; ++i) Tick(i);
    // The eleventh tick's write fails: the tick raises, the rows stay pending.
    EXPECT_NE(ErrorOf([&] { Tick(11); }), 0);
    EXPECT_EQ(chart->sExportBuf(), Rows(1, 11));
    // The stop fails the same way and keeps the log, so that it can be retried.
    EXPECT_NE(ErrorOf([&] { Stop(); }), 0);
    EXPECT_EQ(chart->bExport(), False);
    EXPECT_TRUE(LogSlot::IsOpenBy(chart.get()));
  }
  Stop();
  EXPECT_FALSE(LogSlot::IsOpen());
  EXPECT_EQ(Lines(ReadAll(dir / "full.txt")).back(), Rows(1, 11));
}

// A header that cannot be written (a full disk) leaves no file and no log behind: the next
// tick raises nothing, and a log starts again once there is room.
TEST_F(ChartExport, ALogThatFailsToStartLeavesNoFileAndFreesTheSlot) {
  {
    FileSizeLimit limit(40);  // the first header line fits, the second does not
    EXPECT_EQ(ErrorOf([&] { Open("full.txt"); }), err::kDeviceIo);
  }
  EXPECT_FALSE(fs::exists(dir / "full.txt"));
  EXPECT_FALSE(LogSlot::IsOpen());
  EXPECT_EQ(chart->bExport(), False);
  EXPECT_EQ(ErrorOf([&] { Tick(1); }), 0);
  Open("full.txt");
  EXPECT_EQ(chart->bExport(), True);
  Stop();
  EXPECT_EQ(Lines(ReadAll(dir / "full.txt")).size(), 21u);
}

TEST_F(ChartExport, TeardownAfterAFailedWriteClosesTheLogWithoutRaising) {
  Open("lost.txt");
  {
    FileSizeLimit limit(fs::file_size(dir / "lost.txt"));
    for (int i = 1; i <= 3; ++i) Tick(i);
    EXPECT_NE(ErrorOf([&] { Stop(); }), 0);
    ASSERT_TRUE(LogSlot::IsOpenBy(chart.get()));
    chart.reset();  // the last write fails again; the engine still ends and frees the slot
  }
  EXPECT_FALSE(LogSlot::IsOpen());
  EXPECT_EQ(Lines(ReadAll(dir / "lost.txt")).size(), 21u);
}

}  // namespace
}  // namespace kavrin

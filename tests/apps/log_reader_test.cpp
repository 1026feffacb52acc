// The data-log reader: header values, rows in tick order, logs of older writers, damaged
// logs refused at their line, and a log written by the chart read back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "apps/log_reader.h"
#include "common/vb_error.h"
#include "control/kavrin_line_chart.h"
#include "host/form.h"
#include "host/standard_controls.h"
#include "tests/support/errors.h"

namespace kavrin::app {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

// The header lines of a log, CR LF ended; title and title font as given.
std::string Header(const std::string& title = "Boiler", const std::string& titleFont = "Arial:True:10") {
  const std::vector<std::string> lines = {
      "[Time]12/7/2026 8:52:10 PM", "[Title]" + title,        "[Min]-50",          "[Max]50",
      "[Zoom]1.5",                  "[VerValueSpace]10",      "[BkGndColor]0",     "[ValueLineColor]8000",
      "[TimeLineColor]8000",        "[bValueLineDsip]-1",     "[bTimeLineDsip]0",  "[TitleFont]" + titleFont,
      "[TitleColor]0",              "[TitlePos]3",            "[CutLineFont]MS Sans Serif:False:8.25",
      "[MeasureColor]C0",           "[MeasureFont]MS Sans Serif:False:8.25",   "[MeasurePos]0",
      "[MeasureWidth]3",            "[BorderColor]808080",    "[BorderWidth]1"};
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  return text;
}

// Rows as "line=value ..." per tick, for compact comparisons.
std::vector<std::string> Ticks(const DataLog& log) {
  std::vector<std::string> out;
  for (const LogRow& row : log.rows) {
    std::string t;
    for (const LogEntry& e : row) t += (t.empty() ? "" : " ") + std::to_string(e.line) + "=" + e.value;
    out.push_back(t);
  }
  return out;
}

TEST(LogReader, HeaderAndRowsInTickOrder) {
  const DataLog log = ReadDataLog(Header() + "[1]3,[2]-4/[1]2/[1]1,[2]0.5/\r\n/[2]1E+15/\r\n");
  EXPECT_EQ(log.Value("Title"), "Boiler");
  EXPECT_EQ(log.Value("[Zoom]"), "1.5");
  EXPECT_EQ(log.Value("bTimeLineDsip"), "0");
  EXPECT_EQ(log.Value("BorderWidth"), "1");
  EXPECT_EQ(log.Value("Unit"), "");
  EXPECT_THAT(Ticks(log), testing::ElementsAre("1=1 2=0.5", "1=2", "1=3 2=-4", "2=1E+15", ""));
}

TEST(LogReader, HeaderOnlyAndCommaDecimals) {
  EXPECT_TRUE(ReadDataLog(Header()).rows.empty());
  // A comma locale writes "1,5": only ",[" separates entries.
  const DataLog log = ReadDataLog(Header() + "[1]1,5,[2]-0,25,[3]2/\r\n");
  EXPECT_THAT(Ticks(log), testing::ElementsAre("1=1,5 2=-0,25 3=2"));
}

// Older writers put CR LF of the title or a font name into the log as they were.
TEST(LogReader, ValuesOfOlderWritersSpanningLines) {
  struct Case {
    std::string title, font;
  } cases[] = {
      {"Rig\r\n7", "Arial:True:10"},
      {"a\r\n\r\n[Min]5\r\n[Max]6", "Arial:True:10"},  // looks like keys, still the title
      {"T", "Ari\r\nal:False:8.25"},
      {"\r\n", "\r\n:True:9"},
  };
  for (const Case& c : cases) {
    const DataLog log = ReadDataLog(Header(c.title, c.font) + "[1]1/\r\n");
    EXPECT_EQ(log.Value("Title"), c.title);
    EXPECT_EQ(log.Value("TitleFont"), c.font);
    EXPECT_EQ(log.Value("Min"), "-50");
    EXPECT_EQ(log.rows.size(), 1u);
  }
}

TEST(LogReader, DamagedLogNamesTheLine) {
  const std::string h = Header();
  auto replace = [&h](const std::string& from, const std::string& to) {
    std::string t = h;
    t.replace(t.find(from), from.size(), to);
    return t;
  };
  struct Case {
    std::string text;
    const char* message;
  } cases[] = {
      {"", "line 1: the log is empty"},
      {replace("[Min]-50", "[Mni]-50"), "line 3: expected [Min]"},
      {replace("[Max]50", "[Max]fifty"), "line 4: [Max] needs a number"},
      {replace("[BkGndColor]0", "[BkGndColor]#0"), "line 7: [BkGndColor] needs a colour"},
      {replace("[TitlePos]3", "[TitlePos]3.5"), "line 14: [TitlePos] needs a whole number"},
      {replace("[CutLineFont]MS Sans Serif:False:8.25", "[CutLineFont]MS Sans Serif"), "line 15: [CutLineFont] needs a font"},
      {h.substr(0, h.find("[BorderWidth]")), "line 21: the header ends before [BorderWidth]"},
      {h + "[1]1/\r\n[1]2", "line 23: the line has no CR LF at its end"},
      {h + "[1]1/\r\n\r\n", "line 23: an empty line"},
      {h + "[1]1/[2]2\r\n", "line 22: a row line must end with \"/\""},
      {h + "[1]1/[2]2/\r\n[2]1,[1]2/\r\n", "line 23: line numbers of a row must rise"},
      {h + "[0]1/\r\n", "line 22: line number 0 is out of range"},
      {h + "[32768]1/\r\n", "line 22: line number 32768 is out of range"},
      {h + "[1]/\r\n", "line 22: line 1 needs a number"},
      {h + "[1]1;[2]2/\r\n", "line 22: line 1 needs a number, got '1;[2]2'"},
      {h + "1/\r\n", "line 22: a row entry must start with \"[\""},
      {h + "[x]1/\r\n", "line 22: a bad line number"},
  };
  for (const Case& c : cases) {
    try {
      ReadDataLog(c.text);
      ADD_FAILURE() << "read: " << c.message;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), err::kTypeMismatch);
      EXPECT_THAT(e.what(), HasSubstr(std::string("data log ") + c.message));
    }
  }
  EXPECT_EQ(test::ErrorOf([] { ReadDataLogFile("/nonexistent/kavrin.log"); }), err::kFileNotFound);
}

// The chart writes a log (two lines, gaps, a stop after 13 ticks: one full row line and a
// shorter one); the reader gives back every tick in order with the chart's settings.
TEST(LogReader, ReadsWhatTheChartWrites) {
  const fs::path dir = fs::temp_directory_path() / "kavrin_log_reader_test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  {
    host::Form form(host::MakeHeadlessBackend());
    host::RegisterStandardControls(form);
    host::ControlSite& site = form.Add("KavrinLineChart", "Trend", 400, 300);
    KavrinLineChart& chart = *site.ControlAs<KavrinLineChart>();
    chart.Title("Rig 7");
    chart.Min(0);
    chart.Max(20);
    site.SetSize(420, 300);
    chart.AddLine("a", 255);
    chart.AddLine("b", 65280);
    std::string folder = dir.string();
    std::string name = "run.log";
    chart.ExportData(True, folder, name);
    for (int t = 1; t <= 13; ++t) {
      chart.SetValue(1, t);
      if (t % 3 == 0) chart.SetValue(2, -10 * t);
      chart.Movie();
    }
    chart.ExportData(False);
  }
  const DataLog log = ReadDataLogFile((dir / "run.log").string());
  EXPECT_EQ(log.Value("Title"), "Rig 7");
  EXPECT_EQ(log.Value("Max"), "20");
  EXPECT_THAT(Ticks(log), testing::ElementsAre("1=1", "1=2", "1=3 2=-30", "1=4", "1=5", "1=6 2=-60", "1=7", "1=8",
                                               "1=9 2=-90", "1=10", "1=11", "1=12 2=-120", "1=13"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kavrin::app

// The log tools: log2csv gives back the values a run was fed, gaps as empty fields, over
// all parts of a log in tick order; replay draws the run's final picture again; damaged
// logs are refused at their line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "apps/log_tools.h"
#include "apps/times_file.h"
#include "common/vb_error.h"
#include "tests/apps/chart_process.h"
#include "tests/support/pixels.h"

namespace kavrin::app {
namespace {

using testing::HasSubstr;

std::string Header() {
  std::string text;
  for (const char* l : {"[Time]12/7/2026 8:52:10 PM", "[Title]T", "[Min]-50", "[Max]50", "[Zoom]1", "[VerValueSpace]10",
                        "[BkGndColor]0", "[ValueLineColor]8000", "[TimeLineColor]8000", "[bValueLineDsip]-1",
                        "[bTimeLineDsip]-1", "[TitleFont]Arial:False:8", "[TitleColor]0", "[TitlePos]3",
                        "[CutLineFont]Arial:False:8", "[MeasureColor]C0", "[MeasureFont]Arial:False:8",
                        "[MeasurePos]0", "[MeasureWidth]3", "[BorderColor]808080", "[BorderWidth]1"})
    text += std::string(l) + "\r\n";
  return text;
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(LogTools, ARunsLogGivesBackItsValuesAndItsPicture) {
  const std::string dir = test::FreshDir("LogToolsRun");
  std::string input = "a b\n1 2\n3 x\nx 4\n0.5 -0.25\n";
  std::string expected = "tick,a,b\n1,1,2\n2,3,\n3,,4\n4,0.5,-0.25\n";
  // Then a climb far past the default range (a chart that follows its data is rebuilt on
  // the way, and its log goes on in parts).
  for (int i = 5; i <= 30; ++i) {
    input += std::to_string(i * 10) + " -" + std::to_string(i) + "\n";
    expected += std::to_string(i) + "," + std::to_string(i * 10) + ",-" + std::to_string(i) + "\n";
  }
  // A file read as fast as possible: its ticks have no times, and are labelled by number.
  WriteFile(dir + "/in.txt", input);
  const auto run = test::RunChartProcess({{dir + "/in.txt", "--headless", "--out", dir}});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(test::FilesEndingWith(dir, ".times").empty());
  const auto logs = test::FilesEndingWith(dir, ".log");  // X-part2.log sorts before X.log
  ASSERT_FALSE(logs.empty());

  std::ostringstream csv, err;
  EXPECT_EQ(RunLog2Csv({logs.front()}, csv, err), 0) << err.str();
  EXPECT_EQ(csv.str(), expected);

  const std::string again = test::FreshDir("LogToolsReplay");
  EXPECT_EQ(RunReplay({logs.front(), "--out", again, "--snapshot-every", "10"}, err), 0) << err.str();
  EXPECT_EQ(test::FilesEndingWith(again, ".png").size(), 4u);  // three snapshots and the picture
  const auto runPicture = test::ReadPng(test::FilesEndingWith(dir, ".png").back());
  const auto replayed = test::ReadPng(test::FilesEndingWith(again, "-replay.png").back());
  ASSERT_TRUE(runPicture && replayed);
  const auto diff = test::Compare(*runPicture, *replayed, test::OutputDir() + "/replay_diff.png");
  EXPECT_EQ(diff.count, 0) << diff.Describe();
}

// A minute of a time column across midnight, climbing so that the range changes and the log
// goes on in parts: replay draws the run's picture again, the time labels under it included,
// and log2csv gives each tick its time.
TEST(LogTools, ARunsTimesGoWithItsLogToTheReplayAndTheCsv) {
  const std::string dir = test::FreshDir("LogToolsTimes");
  std::string input = "time v\n";
  for (int k = 0; k < 60; ++k) {
    char row[64];
    std::snprintf(row, sizeof row, "2026-12-%02dT%s:%02d %d\n", k < 30 ? 8 : 9, k < 30 ? "23:59" : "00:00", k % 30 * 2,
                  k * k);
    input += row;
  }
  WriteFile(dir + "/in.txt", input);
  const auto run = test::RunChartProcess({{dir + "/in.txt", "--headless", "--out", dir}});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto logs = test::FilesEndingWith(dir, ".log");
  ASSERT_GT(logs.size(), 1u);
  EXPECT_EQ(test::FilesEndingWith(dir, ".times").size(), logs.size());

  std::ostringstream csv, err;
  ASSERT_EQ(RunLog2Csv({logs.front()}, csv, err), 0) << err.str();
  EXPECT_EQ(csv.str().substr(0, 62), "tick,time,v\n1,2026-12-08T23:59:00,0\n2,2026-12-08T23:59:02,1\n3,");
  EXPECT_NE(csv.str().find("\n31,2026-12-09T00:00:00,900\n"), std::string::npos) << csv.str();

  const std::string again = test::FreshDir("LogToolsTimesReplay");
  EXPECT_EQ(RunReplay({logs.front(), "--out", again}, err), 0) << err.str();
  const auto runPicture = test::ReadPng(test::FilesEndingWith(dir, ".png").back());
  const auto replayed = test::ReadPng(test::FilesEndingWith(again, "-replay.png").back());
  ASSERT_TRUE(runPicture && replayed);
  ASSERT_EQ(runPicture->height, 260);
  const auto diff = test::Compare(*runPicture, *replayed, test::OutputDir() + "/replay_times_diff.png");
  EXPECT_EQ(diff.count, 0) << diff.Describe();
  // The labels' text, in the scale's colour, below the chart's 240 rows.
  int ink = 0;
  for (int y = 240; y < 260; ++y)
    for (int x = 0; x < 320; ++x) ink += runPicture->at(x, y) == RGB(192, 0, 0) ? 1 : 0;
  EXPECT_GT(ink, 100);
  // Without its times the same run replays with tick numbers: other labels.
  for (const auto& t : test::FilesEndingWith(dir, ".times")) std::filesystem::remove(t);
  EXPECT_EQ(RunReplay({logs.front(), "--out", again}, err), 0) << err.str();
  const auto numbered = test::ReadPng(test::FilesEndingWith(again, "-replay-2.png").back());
  ASSERT_TRUE(numbered);
  EXPECT_GT(test::Compare(*runPicture, *numbered).count, 0);
}

// Rows of a tenth of a second each two: ticks end on the spans' edges exactly, and each
// tick's time is its last row's.
TEST(LogTools, TicksOfTimeSpansCarryTheirLastRowsTime) {
  const std::string dir = test::FreshDir("LogToolsPer");
  WriteFile(dir + "/in.txt", "time v\n10:00:00.00 1\n10:00:00.05 3\n10:00:00.10 5\nnone 6\n10:00:00.15 7\n10:00:00.30 9\n");
  const auto run = test::RunChartProcess({{dir + "/in.txt", "--headless", "--fixed", "--per", "0.1", "--out", dir}});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr(".log with its form and times, the final pictures"));
  std::ostringstream csv, err;
  ASSERT_EQ(RunLog2Csv({test::RunLogs(dir).at(0)}, csv, err), 0) << err.str();
  EXPECT_EQ(csv.str(), "tick,time,v\n1,10:00:00.05,2\n2,10:00:00.15,6\n3,10:00:00.3,9\n");
}

// A part's times file is made at its first tick with a time, a line for each tick before;
// read back, a line that is no time is refused at its number.
TEST(LogTools, ATimesFileHoldsALinePerTick) {
  const std::string dir = test::FreshDir("LogToolsTimesFile");
  const std::string log = dir + "/r.log";
  std::string error;
  {
    TimesWriter none(log);
    EXPECT_TRUE(none.Add(host::TickTime(), error));
    EXPECT_TRUE(none.Close(error));
    EXPECT_FALSE(none.Made());
  }
  EXPECT_TRUE(ReadTimesBesideLog(log).empty());
  const host::TickTime ten = *host::TickTime::Parse("10:00:00.5");
  TimesWriter w(log);
  for (const host::TickTime& t : {host::TickTime(), host::TickTime(), ten, host::TickTime()})
    EXPECT_TRUE(w.Add(t, error)) << error;
  EXPECT_TRUE(w.Close(error)) << error;
  EXPECT_EQ(test::FileLines(dir + "/r.times"), (std::vector<std::string>{"", "", "10:00:00.5", ""}));
  EXPECT_EQ(ReadTimesBesideLog(log), (std::vector<host::TickTime>{{}, {}, ten, {}}));
  // Made new: a file of that name stays as it is, and the writer says why it wrote nothing.
  TimesWriter again(log);
  EXPECT_FALSE(again.Add(ten, error));
  EXPECT_THAT(error, HasSubstr("r.times"));
  WriteFile(dir + "/r.times", "10:00:00\nsoon\n");
  try {
    ReadTimesBesideLog(log);
    ADD_FAILURE() << "a bad line was read";
  } catch (const RuntimeError& e) {
    EXPECT_THAT(e.what(), HasSubstr("times line 2: 'soon' is not a time"));
  }
}

TEST(LogTools, AllPartsAreReadInPartOrderAndADamagedPartIsRefusedAtItsLine) {
  const std::string dir = test::FreshDir("LogToolsParts");
  WriteFile(dir + "/r.log", Header() + "[1]2/[1]1/\r\n");
  WriteFile(dir + "/r-part2.log", Header() + "[2]5/[1]-.5/\r\n");
  WriteFile(dir + "/r-part10.log", Header() + "/\r\n");
  WriteFile(dir + "/other.log", Header() + "[1]9/\r\n");
  std::ostringstream csv, err;
  ASSERT_EQ(RunLog2Csv({dir + "/r-part10.log"}, csv, err), 0) << err.str();
  EXPECT_EQ(csv.str(), "tick,line1,line2\n1,1,\n2,2,\n3,-0.5,\n4,,5\n5,,\n");

  WriteFile(dir + "/r-part2.log", Header() + "[2]5/[x]3/\r\n");
  std::ostringstream none;
  EXPECT_EQ(RunLog2Csv({dir + "/r.log"}, none, err), 3);
  EXPECT_THAT(err.str(), HasSubstr("r-part2.log: Type mismatch: data log line 22: a bad line number"));
  // Without a form beside it, a log is drawn from its header's settings.
  EXPECT_EQ(RunReplay({dir + "/other.log"}, err), 0) << err.str();
  EXPECT_THAT(err.str(), HasSubstr("no form beside the log (" + dir + "/other.form): drawn from the log's header"));
  EXPECT_TRUE(std::filesystem::exists(dir + "/other-replay.png"));
}

TEST(LogTools, EveryRowOfALaterLineAndNamesThatNeedQuotes) {
  // Line 1 never has a number: every row holds line 2 only, and the CSV still has both columns.
  const std::string dir = test::FreshDir("LogToolsLaterLine");
  WriteFile(dir + "/in.txt", "x 1\nx 2\n");
  const auto run = test::RunChartProcess(
      {{dir + "/in.txt", "--headless", "--fixed", "--column", "1,2", "--name", "1=a,b", "--name", "2=say \"hi\"",
        "--out", dir}});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::ostringstream csv, err;
  ASSERT_EQ(RunLog2Csv({test::RunLogs(dir).at(0)}, csv, err), 0) << err.str();
  EXPECT_EQ(csv.str(), "tick,\"a,b\",\"say \"\"hi\"\"\"\n1,,1\n2,,2\n");
}

TEST(LogTools, ReplayFromTheLogsFolderAndAPictureItCannotWrite) {
  const std::string dir = test::FreshDir("LogToolsReplayHere");
  WriteFile(dir + "/r.log", Header() + "[1]2/[1]1/\r\n");
  test::ChartCall here({"replay", "r.log"});
  here.cwd = dir;
  auto r = test::RunChartProcess(here);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir + "/r-replay.png")) << r.err;
  // A log name of 248 characters leaves no room for "-replay.png" in a file name.
  const std::string longName = dir + "/" + std::string(248, 'n') + ".log";
  WriteFile(longName, Header() + "[1]2/\r\n");
  r = test::RunChartProcess({{"replay", longName}});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_THAT(r.err, HasSubstr("cannot write the picture"));
}

TEST(LogTools, ARunIsNamedByItsFolderAndTwoRunsAreNeverMixed) {
  const std::string dir = test::FreshDir("LogToolsTwoRuns");
  std::filesystem::create_directories(dir + "/run");
  WriteFile(dir + "/run/r.log", Header() + "[1]2/[1]1/\r\n");
  WriteFile(dir + "/run/r-part2.log", Header() + "[1]3/\r\n");
  std::ostringstream csv, err;
  ASSERT_EQ(RunLog2Csv({dir + "/run"}, csv, err), 0) << err.str();
  EXPECT_EQ(csv.str(), "tick,line1\n1,1\n2,2\n3,3\n");
  EXPECT_EQ(RunReplay({dir + "/run"}, err), 0) << err.str();
  EXPECT_TRUE(std::filesystem::exists(dir + "/run/r-replay.png"));

  WriteFile(dir + "/run/s.log", Header() + "[1]9/\r\n");
  const std::vector<std::vector<std::string>> twoRuns = {{dir + "/run"}, {dir + "/run/r.log", dir + "/run/s.log"}};
  for (const auto& args : twoRuns) {
    std::ostringstream none, why;
    EXPECT_EQ(RunLog2Csv(args, none, why), 2);
    EXPECT_EQ(none.str(), "");
    EXPECT_THAT(why.str(), HasSubstr("log2csv reads one run at a time, and these are 2 runs: " + dir + "/run/r, " +
                                     dir + "/run/s"));
    EXPECT_EQ(RunReplay(args, why), 2);
  }
  WriteFile(dir + "/data.csv", "time,temp\r\n10:00:00,21\r\n");
  std::ostringstream why;
  EXPECT_EQ(RunReplay({dir + "/data.csv"}, why), 3);
  EXPECT_THAT(why.str(), HasSubstr("data.csv: Type mismatch: data log line 1: this is not a data log"));
}

TEST(LogTools, EveryHeaderSettingReachesAChartReplayedWithoutItsForm) {
  const std::string dir = test::FreshDir("LogToolsHeader");
  const std::string rows = "[1]20/[1]-5/[1]10/[1]0/[1]-20/[1]5/\r\n";
  auto replayed = [&](const std::string& header, const std::string& name) {
    WriteFile(dir + "/" + name + ".log", header + rows);
    std::ostringstream err;
    EXPECT_EQ(RunReplay({dir + "/" + name + ".log"}, err), 0) << name << ": " << err.str();
    return test::ReadPng(dir + "/" + name + "-replay.png").value();
  };
  const auto plain = replayed(Header(), "plain");
  const std::pair<const char*, const char*> changes[] = {
      {"[Title]T", "[Title]Other"},         {"[Min]-50", "[Min]-30"},
      {"[Max]50", "[Max]30"},               {"[Zoom]1", "[Zoom]2"},
      {"[VerValueSpace]10", "[VerValueSpace]25"}, {"[BkGndColor]0", "[BkGndColor]FF0000"},
      {"[ValueLineColor]8000", "[ValueLineColor]FF"}, {"[TimeLineColor]8000", "[TimeLineColor]FF"},
      {"[bValueLineDsip]-1", "[bValueLineDsip]0"}, {"[bTimeLineDsip]-1", "[bTimeLineDsip]0"},
      {"[TitleFont]Arial:False:8", "[TitleFont]Arial:True:12"}, {"[TitleColor]0", "[TitleColor]FF"},
      {"[TitlePos]3", "[TitlePos]2"},       {"[CutLineFont]Arial:False:8", "[CutLineFont]Arial:True:12"},
      {"[MeasureColor]C0", "[MeasureColor]FF0000"}, {"[MeasureFont]Arial:False:8", "[MeasureFont]Arial:True:12"},
      {"[MeasurePos]0", "[MeasurePos]1"},   {"[MeasureWidth]3", "[MeasureWidth]6"},
      {"[BorderColor]808080", "[BorderColor]FF"}, {"[BorderWidth]1", "[BorderWidth]3"},
  };
  int n = 0;
  for (const auto& [from, to] : changes) {
    std::string header = Header();
    header.replace(header.find(std::string(from) + "\r\n"), std::string(from).size(), to);
    // A font of another height gives the labels below the chart another height (-1: sizes differ).
    EXPECT_NE(test::Compare(plain, replayed(header, "changed" + std::to_string(++n))).count, 0) << to;
  }
}

TEST(LogTools, LogValueTextsBecomePlainDecimals) {
  const std::pair<const char*, const char*> cases[] = {
      {"-.5", "-0.5"}, {".25", "0.25"}, {"3,25", "3.25"}, {"-1,5E-20", "-1.5E-20"}, {"12", "12"}, {"1.5", "1.5"}};
  for (const auto& [log, plain] : cases) EXPECT_EQ(PlainNumber(log), plain) << log;
}

}  // namespace
}  // namespace kavrin::app

// The pieces of kavrin-chart that need no chart: the command line, splitting rows into
// fields, numbers in fields, choosing columns, and naming output files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "apps/column_plan.h"
#include "apps/options.h"
#include "apps/output_files.h"
#include "apps/row_splitter.h"

namespace kavrin::app {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

// ---- command line ----

ParseResult Parse(std::vector<std::string> args) { return ParseOptions(args); }

TEST(Options, EveryOptionInBothSpellings) {
  const auto r =
      Parse({"data.csv",         "--column", "free",     "--form=a.form", "--save-form", "b.form", "--set", "Title=A=B",
             "--set=Min=0",      "--size",   "640x480",  "--rate=2.5",    "--ticks",     "100",    "--out", "o",
             "--snapshot-every", "10",       "--window", "--hold",        "--no-log",    "--column=2, rh",
             "--name",           "2=Druck = hoch",       "--color=1=#0F8", "--color",    "3=Navy", "--delimiter",
             "tab",              "--decimal-comma",      "--minmax=20"});
  ASSERT_EQ(r.error, "");
  const Options& o = r.options;
  EXPECT_EQ(o.source, Source::kFile);
  EXPECT_EQ(o.inputPath, "data.csv");
  EXPECT_THAT(o.columns, ElementsAre("free", "2", "rh"));
  ASSERT_EQ(o.names.size(), 1u);
  EXPECT_EQ(o.names[0].line, 2);
  EXPECT_EQ(o.names[0].text, "Druck = hoch");
  ASSERT_EQ(o.colors.size(), 2u);
  EXPECT_EQ(o.colors[0].line, 1);
  EXPECT_EQ(o.colors[0].color, 0x88FF00u);  // #0F8 is #00FF88, stored blue-green-red
  EXPECT_EQ(o.colors[1].color, 0x800000u);
  EXPECT_EQ(o.delimiter, ' ');
  EXPECT_TRUE(o.decimalComma);
  EXPECT_EQ(o.aggregate, Aggregate::kMinMax);
  EXPECT_EQ(o.perRows, 20);
  EXPECT_EQ(o.formIn, "a.form");
  EXPECT_EQ(o.formOut, "b.form");
  EXPECT_THAT(o.sets, ElementsAre("Title=A=B", "Min=0"));
  EXPECT_EQ(o.width, 640);
  EXPECT_EQ(o.height, 480);
  EXPECT_EQ(o.rate, 2.5);
  EXPECT_EQ(o.ticks, 100);
  EXPECT_EQ(o.outDir, "o");
  EXPECT_EQ(o.snapshotEvery, 10);
  EXPECT_EQ(o.display, Display::kWindow);
  EXPECT_TRUE(o.hold);
  EXPECT_FALSE(o.log);
  EXPECT_TRUE(o.picture);
}

TEST(Options, SourcesAndDefaults) {
  EXPECT_EQ(Parse({}).options.source, Source::kAuto);
  EXPECT_EQ(Parse({"demo"}).options.source, Source::kDemo);
  EXPECT_EQ(Parse({"-"}).options.source, Source::kStdin);
  EXPECT_EQ(Parse({"--input", "-"}).options.source, Source::kStdin);
  EXPECT_EQ(Parse({}).options.outDir, ".");
  EXPECT_FALSE(Parse({}).options.rate.has_value());
  EXPECT_EQ(DefaultRate(Source::kDemo), 10.0);
  EXPECT_EQ(DefaultRate(Source::kStdin), 0.0);
  EXPECT_TRUE(Parse({"-h"}).options.help);
  EXPECT_TRUE(Parse({"--help", "--bogus"}).options.help);
}

TEST(Options, BadUsageNamesTheProblem) {
  EXPECT_THAT(Parse({"--bogus"}).error, HasSubstr("unknown option --bogus"));
  EXPECT_THAT(Parse({"--size", "640"}).error, HasSubstr("WxH"));
  EXPECT_THAT(Parse({"--size", "0x10"}).error, HasSubstr("WxH"));
  EXPECT_THAT(Parse({"--size", "20000x10"}).error, HasSubstr("WxH"));
  EXPECT_THAT(Parse({"--rate", "-1"}).error, HasSubstr("--rate"));
  EXPECT_THAT(Parse({"--rate", "nan"}).error, HasSubstr("--rate"));
  EXPECT_THAT(Parse({"--ticks", "1.5"}).error, HasSubstr("--ticks"));
  EXPECT_THAT(Parse({"--ticks", "-3"}).error, HasSubstr("--ticks"));
  EXPECT_THAT(Parse({"--snapshot-every", "0"}).error, HasSubstr("--snapshot-every"));
  EXPECT_THAT(Parse({"--column", "0"}).error, HasSubstr("1 to 256"));
  EXPECT_THAT(Parse({"--column", "257"}).error, HasSubstr("1 to 256"));
  EXPECT_THAT(Parse({"--set", "Title"}).error, HasSubstr("Name=Value"));
  EXPECT_THAT(Parse({"--set", "=1"}).error, HasSubstr("Name=Value"));
  EXPECT_THAT(Parse({"--out"}).error, HasSubstr("needs a value"));
  EXPECT_THAT(Parse({"a.csv", "b.csv"}).error, HasSubstr("at most one input"));
  EXPECT_THAT(Parse({"--headless", "--window"}).error, HasSubstr("exclude"));
  EXPECT_THAT(Parse({"--headless", "--hold"}).error, HasSubstr("--hold"));
  EXPECT_THAT(Parse({"demo", "--column", "1"}).error, HasSubstr("--column"));
  EXPECT_THAT(Parse({"--headless=yes"}).error, HasSubstr("takes no value"));
  EXPECT_THAT(Parse({"--column", "2,,3"}).error, HasSubstr("--column needs"));
  EXPECT_THAT(Parse({"--column", "1,300"}).error, HasSubstr("1 to 256"));
  EXPECT_THAT(Parse({"--name", "x=Temp"}).error, HasSubstr("LINE=TEXT"));
  EXPECT_THAT(Parse({"--name", "0=Temp"}).error, HasSubstr("LINE=TEXT"));
  EXPECT_THAT(Parse({"--name", "1="}).error, HasSubstr("LINE=TEXT"));
  EXPECT_THAT(Parse({"--color", "1=#12345"}).error, HasSubstr("#RRGGBB, #RGB or a name"));
  EXPECT_THAT(Parse({"--color", "1=reddish"}).error, HasSubstr("#RRGGBB, #RGB or a name"));
  EXPECT_THAT(Parse({"--delimiter", "ab"}).error, HasSubstr("--delimiter"));
  EXPECT_THAT(Parse({"--delimiter", "."}).error, HasSubstr("--delimiter"));
  EXPECT_THAT(Parse({"--delimiter", ",", "--decimal-comma"}).error, HasSubstr("--decimal-comma"));
  EXPECT_THAT(Parse({"demo", "--delimiter", ";"}).error, HasSubstr("not to the demo"));
  EXPECT_THAT(Parse({"demo", "--per", "1"}).error, HasSubstr("--per applies to data input"));
  EXPECT_THAT(Parse({"--mean", "0"}).error, HasSubstr("1 to 1000000"));
  EXPECT_THAT(Parse({"--per", "0"}).error, HasSubstr("--per 0: expected"));
  EXPECT_THAT(Parse({"--mean", "2", "--minmax", "2"}).error, HasSubstr("one of --mean, --minmax and --per"));
  // Every error is one line.
  for (const auto& args : std::vector<std::vector<std::string>>{{"--bogus"}, {"--color", "1=x\ny"}, {"--name"}})
    EXPECT_EQ(Parse(args).error.find('\n'), std::string::npos);
}

TEST(Options, HelpShowsTheExamplesAndExitCodes) {
  const std::string help = UsageText();
  EXPECT_THAT(help, HasSubstr("vmstat 1 | kavrin-chart --column free"));
  EXPECT_THAT(help, HasSubstr("seq 1 1000 | kavrin-chart --headless --out out/"));
  EXPECT_THAT(help, HasSubstr("4 no display"));
}

// ---- rows and fields ----

std::vector<std::vector<std::string>> Split(const std::string& text, size_t chunk = 1 << 20, SplitRules rules = {}) {
  RowSplitter s(rules);
  std::vector<std::vector<std::string>> rows;
  auto take = [&] {
    std::vector<std::string> r;
    for (size_t i = 0; i < s.Count(); ++i) r.push_back(s.At(i).text);
    rows.push_back(r);
  };
  for (size_t off = 0; off < text.size(); off += chunk) {
    const std::string piece = text.substr(off, chunk);
    size_t pos = 0;
    while (pos < piece.size()) {
      size_t used = 0;
      const bool row = s.Feed(piece.data() + pos, piece.size() - pos, used);
      pos += used;
      if (row) take();
    }
  }
  if (s.Finish()) take();
  return rows;
}

using Rows = std::vector<std::vector<std::string>>;

TEST(RowSplitter, SeparatorsBlankRunsAndEmptyFields) {
  EXPECT_EQ(Split("1 2\t3\n"), (Rows{{"1", "2", "3"}}));
  EXPECT_EQ(Split("  1   2  \n"), (Rows{{"1", "2"}}));
  EXPECT_EQ(Split("1,2,3\n"), (Rows{{"1", "2", "3"}}));
  EXPECT_EQ(Split("1;2;3\n"), (Rows{{"1", "2", "3"}}));
  EXPECT_EQ(Split("1 , 2 , 3\n"), (Rows{{"1", "2", "3"}}));
  EXPECT_EQ(Split("1,,3\n"), (Rows{{"1", "", "3"}}));
  EXPECT_EQ(Split(",1\n"), (Rows{{"", "1"}}));
  EXPECT_EQ(Split("1,\n"), (Rows{{"1", ""}}));
  EXPECT_EQ(Split("1\r\n2\r\n"), (Rows{{"1"}, {"2"}}));
  EXPECT_EQ(Split("\n\n"), (Rows{{}, {}}));
  EXPECT_EQ(Split("1 2"), (Rows{{"1", "2"}}));  // a last row without LF
  EXPECT_EQ(Split(""), Rows{});
}

TEST(RowSplitter, SemicolonInputHasDecimalCommas) {
  // The first row with a comma or semicolon decides, also for commas before its first semicolon.
  EXPECT_EQ(Split("1;3,5;7,25\n"), (Rows{{"1", "3,5", "7,25"}}));
  EXPECT_EQ(Split("3,5;7\n1,5;,2\n"), (Rows{{"3,5", "7"}, {"1,5", ",2"}}));
  EXPECT_EQ(Split("a b\n1,5;2\n"), (Rows{{"a", "b"}, {"1,5", "2"}}));
  EXPECT_EQ(Split("1,2\n3;4,5\n"), (Rows{{"1", "2"}, {"3", "4", "5"}}));  // comma input stays so
  RowSplitter s;
  size_t used = 0;
  EXPECT_FALSE(s.DecimalComma());
  ASSERT_TRUE(s.Feed("1;2,5\n", 6, used));
  EXPECT_TRUE(s.DecimalComma());
}

TEST(RowSplitter, DelimiterGivenAndDecimalCommaRules) {
  struct Case {
    SplitRules rules;
    const char* text;
    Rows rows;
  };
  const Case cases[] = {
      {{',', false}, " New York , 3,,x y \n", {{"New York", "3", "", "x y"}}},
      {{'|', false}, "1,5|2;3\n", {{"1,5", "2;3"}}},
      {{' ', false}, "1,5 2;3\t4\n", {{"1,5", "2;3", "4"}}},
      {{0, true}, "1,5 2;3,25\n", {{"1,5", "2", "3,25"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Split(c.text, 1 << 20, c.rules), c.rows) << c.text;
  EXPECT_EQ(Split("a|b\n1|2\n", 1, SplitRules{'|', false}), (Rows{{"a", "b"}, {"1", "2"}}));
}

TEST(RowSplitter, QuotesByteOrderMarkAndDecimalCommasBetweenBlanks) {
  struct Case {
    SplitRules rules;
    std::string text;
    Rows rows;
  };
  const Case cases[] = {
      {{}, "\"10:00:00\",\"21.5\"\r\n", {{"10:00:00", "21.5"}}},
      {{}, "\"a \"\"b\"\"\",c\n", {{"a \"b\"", "c"}}},           // "" is one quote
      {{}, "\"x\ny; z\",1\n", {{"x\ny; z", "1"}}},                   // a line end inside quotes
      {{}, "a\"b\" \"\"\n", {{"a\"b\"", ""}}},                        // quotes inside a field are its bytes
      {{}, "\xEF\xBB\xBFtime,v\n", {{"time", "v"}}},
      {{}, "\xEF\xBBx\n", {{"\xEF\xBBx"}}},                               // not a byte order mark
      {{}, "21,50\t40,1 7\n3,5 4\n", {{"21,50", "40,1", "7"}, {"3,5", "4"}}},
      {{}, "2,3,4 5\n", {{"2", "3", "4", "5"}}},                        // "2,3,4" is no number
      {{}, "1, 2 3\n", {{"1", "2", "3"}}},                              // a blank after the comma
      {{}, "x,1 2\n", {{"x", "1", "2"}}},
      {{',', false}, " \"a \" , 1\n", {{"a ", "1"}}},                    // blanks inside quotes stay
  };
  for (const auto& c : cases) EXPECT_EQ(Split(c.text, 1 << 20, c.rules), c.rows) << c.text;
  RowSplitter s;
  size_t used = 0;
  const std::string row = "10:00:00,\"21,50\",\"1,5\"\n";
  ASSERT_TRUE(s.Feed(row.data(), row.size(), used));
  EXPECT_FALSE(s.DecimalComma());
  EXPECT_EQ(s.Number(1), 21.5);  // a comma in quotes separates nothing: a decimal comma
  EXPECT_FALSE(s.Number(0).has_value());
}

TEST(RowSplitter, RowsSplitTheSameWhateverTheChunks) {
  for (const std::string text : {"a b c\n1,5;20\t30\n;x,\n  7  \n",
                                 "\xEF\xBB\xBF\"a\"\"b\",\"1,5\"\n2,\"x\ny\"\n\"\"\"\"\n", "1,5\t2\n3,5\t4\n"}) {
    const auto whole = Split(text);
    for (size_t chunk : {1u, 2u, 3u, 5u}) EXPECT_EQ(Split(text, chunk), whole) << "chunk " << chunk << ": " << text;
  }
}

TEST(RowSplitter, LongFieldsAndWideRowsAreCapped) {
  RowSplitter s;
  std::string text = std::string(1000, '7') + " 1\n";
  size_t used = 0;
  ASSERT_TRUE(s.Feed(text.data(), text.size(), used));
  ASSERT_EQ(s.Count(), 2u);
  EXPECT_TRUE(s.At(0).overlong);
  EXPECT_EQ(s.At(0).text.size(), kMaxFieldBytes);
  EXPECT_FALSE(s.At(1).overlong);
  EXPECT_FALSE(s.Truncated());

  std::string wide;
  for (int i = 0; i < 300; ++i) wide += std::to_string(i) + ",";
  wide += "\n1\n";
  size_t pos = 0;
  ASSERT_TRUE(s.Feed(wide.data(), wide.size(), used));
  pos += used;
  EXPECT_EQ(s.Count(), kMaxColumns);
  EXPECT_TRUE(s.Truncated());
  EXPECT_EQ(s.At(255).text, "255");
  EXPECT_EQ(Split(wide, 1 << 20, SplitRules{',', false}).front().size(), kMaxColumns);  // trimmed fields too
  // The cap is per row: the next row is whole again.
  ASSERT_TRUE(s.Feed(wide.data() + pos, wide.size() - pos, used));
  EXPECT_EQ(s.Count(), 1u);
  EXPECT_FALSE(s.Truncated());
  EXPECT_FALSE(s.At(0).overlong);
  EXPECT_EQ(s.RowNumber(), 3);
}

TEST(RowSplitter, BinaryBytesAreFieldBytes) {
  const std::string text = std::string("1\0002", 3) + "\xff\xfe 5\n";
  const auto rows = Split(text);
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_EQ(rows[0].size(), 2u);
  EXPECT_FALSE(FieldNumber(rows[0][0]).has_value());
  EXPECT_EQ(FieldNumber(rows[0][1]), 5.0);
}

TEST(FieldNumber, PlainDecimalNumbersOnly) {
  EXPECT_EQ(FieldNumber("12"), 12.0);
  EXPECT_EQ(FieldNumber("-12.5"), -12.5);
  EXPECT_EQ(FieldNumber("+3"), 3.0);
  EXPECT_EQ(FieldNumber(".5"), 0.5);
  EXPECT_EQ(FieldNumber("-.5"), -0.5);
  EXPECT_EQ(FieldNumber("1e3"), 1000.0);
  EXPECT_EQ(FieldNumber("1E-2"), 0.01);
  EXPECT_EQ(FieldNumber("1e308"), 1e308);  // finite: the chart decides whether it fits
  for (const char* bad : {"", "+", "-", "x", "1x", "1,5", "0x10", "nan", "NaN", "inf", "-inf", "Infinity", "1e999",
                          "--1", "1 ", "1e", "."})
    EXPECT_FALSE(FieldNumber(bad).has_value()) << bad;
}

TEST(FieldNumber, DecimalCommaWhenTheInputHasOne) {
  EXPECT_EQ(FieldNumber("3,5", true), 3.5);
  EXPECT_EQ(FieldNumber("-0,25", true), -0.25);
  EXPECT_EQ(FieldNumber("2.5", true), 2.5);
  EXPECT_FALSE(FieldNumber("3,5").has_value());
  for (const char* bad : {"1,2,3", "1,5.2", ",", ",e"})
    EXPECT_FALSE(FieldNumber(bad, true).has_value()) << bad;
}

TEST(KeyText, HeaderFieldsBecomeSafeKeys) {
  EXPECT_EQ(KeyText("free"), "free");
  EXPECT_EQ(KeyText("Druck \xc3\xa4"), "Druck \xc3\xa4");  // UTF-8 stays
  EXPECT_EQ(KeyText(std::string("a\0b", 3)), "a?b");
  EXPECT_EQ(KeyText("\xff\xc3"), "??");
  EXPECT_EQ(KeyText("\xed\xa0\x80"), "???");  // a surrogate is not text
  EXPECT_EQ(KeyText(std::string(100, 'k')).size(), 40u);
}

// ---- choosing columns ----

std::vector<std::string_view> F(const std::vector<const char*>& v) { return {v.begin(), v.end()}; }

TEST(ColumnPlan, HeaderThenDataAllNumericColumns) {
  ColumnPlan p({});
  EXPECT_EQ(p.Offer(F({})), ColumnPlan::Verdict::kSkipped);
  EXPECT_EQ(p.Offer(F({"time", "temp", "rh"})), ColumnPlan::Verdict::kHeader);
  EXPECT_EQ(p.Offer(F({"12:00", "21.5", "40"})), ColumnPlan::Verdict::kData);
  ASSERT_EQ(p.Lines().size(), 2u);
  EXPECT_EQ(p.Lines()[0].column, 1u);
  EXPECT_EQ(p.Lines()[0].key, "temp");
  EXPECT_EQ(p.Lines()[1].column, 2u);
  EXPECT_EQ(p.Lines()[1].key, "rh");
}

TEST(ColumnPlan, WithoutHeaderKeysAreColumnNumbers) {
  ColumnPlan p({});
  EXPECT_EQ(p.Offer(F({"1", "x", "3"})), ColumnPlan::Verdict::kData);
  ASSERT_EQ(p.Lines().size(), 2u);
  EXPECT_EQ(p.Lines()[0].key, "col 1");
  EXPECT_EQ(p.Lines()[1].key, "col 3");
}

TEST(ColumnPlan, LastOfSeveralHeaderRowsNamesTheColumns) {
  ColumnPlan p({"FREE"});
  EXPECT_EQ(p.Offer(F({"procs", "---memory---"})), ColumnPlan::Verdict::kHeader);
  EXPECT_EQ(p.Offer(F({"r", "b", "swpd", "free"})), ColumnPlan::Verdict::kHeader);
  EXPECT_EQ(p.Offer(F({"1", "0", "0", "8000"})), ColumnPlan::Verdict::kData);
  ASSERT_EQ(p.Lines().size(), 1u);
  EXPECT_EQ(p.Lines()[0].column, 3u);
  EXPECT_EQ(p.Lines()[0].key, "free");
}

TEST(ColumnPlan, ColumnByNumberAndMissingNames) {
  ColumnPlan byNumber({"2"});
  EXPECT_EQ(byNumber.Offer(F({"a", "b"})), ColumnPlan::Verdict::kHeader);
  EXPECT_EQ(byNumber.Offer(F({"1"})), ColumnPlan::Verdict::kData);  // the header has it: short rows leave gaps
  EXPECT_EQ(byNumber.Lines()[0].column, 1u);
  EXPECT_EQ(byNumber.Lines()[0].key, "b");

  ColumnPlan beyond({"1", "3"});
  EXPECT_EQ(beyond.Offer(F({"1", "2"})), ColumnPlan::Verdict::kFailed);
  EXPECT_EQ(beyond.Error(), "--column 3: the input has 2 columns");

  ColumnPlan several({"rh", "1"});
  several.Offer(F({"temp", "rh"}));
  EXPECT_EQ(several.Offer(F({"20", "40"})), ColumnPlan::Verdict::kData);
  ASSERT_EQ(several.Lines().size(), 2u);
  EXPECT_EQ(several.Lines()[0].key, "rh");
  EXPECT_EQ(several.Lines()[1].key, "temp");

  ColumnPlan noHeader({"free"});
  EXPECT_EQ(noHeader.Offer(F({"1", "2"})), ColumnPlan::Verdict::kFailed);
  EXPECT_THAT(noHeader.Error(), HasSubstr("no header row"));

  ColumnPlan wrong({"free"});
  wrong.Offer(F({"a", "b"}));
  EXPECT_EQ(wrong.Offer(F({"1", "2"})), ColumnPlan::Verdict::kFailed);
  EXPECT_THAT(wrong.Error(), HasSubstr("in the header: a b"));
}

TEST(ColumnPlan, TimeColumnIsNotALine) {
  struct Case {
    std::vector<const char*> header, row;
    std::optional<size_t> time;
    std::vector<std::string> keys;
  };
  const Case cases[] = {
      {{}, {"2026-12-08T10:00:00", "1", "2"}, 0, {"col 2", "col 3"}},
      {{"t", "v"}, {"10:00:00", "1,5"}, 0, {"v"}},
      {{"v", "Timestamp"}, {"3", "1765188000"}, 1, {"v"}},  // seconds under a time name
      {{"time", "temp"}, {"2026-12-08", "10:00:00.5Z", "21"}, 0, {"temp"}},  // date and time split by a blank
      {{"a", "b"}, {"2026-12-08T10:00:00+01:00", "4"}, 0, {"b"}},
      {{"time"}, {"5"}, std::nullopt, {"time"}},  // nothing else to chart
      {{}, {"1765188000", "2"}, std::nullopt, {"col 1", "col 2"}},  // seconds without a time name: numbers
  };
  for (const auto& c : cases) {
    ColumnPlan p({});
    if (!c.header.empty()) p.Offer(F(c.header));
    ASSERT_EQ(p.Offer(F(c.row), true), ColumnPlan::Verdict::kData);
    EXPECT_EQ(p.TimeColumn(), c.time) << c.row[0];
    std::vector<std::string> keys;
    for (const auto& l : p.Lines()) keys.push_back(l.key);
    EXPECT_EQ(keys, c.keys) << c.row[0];
  }
  ColumnPlan chosen({"time"});
  chosen.Offer(F({"time", "v"}));
  EXPECT_EQ(chosen.Offer(F({"12:00", "1"})), ColumnPlan::Verdict::kFailed);
  EXPECT_THAT(chosen.Error(), HasSubstr("the rows' time"));
}

TEST(ColumnPlan, EndlessWordsStillBecomeData) {
  // Binary or word-only input never stays in the header search.
  ColumnPlan p({});
  for (int i = 0; i < ColumnPlan::kMaxHeaderRows; ++i) EXPECT_EQ(p.Offer(F({"x", "y"})), ColumnPlan::Verdict::kHeader);
  EXPECT_EQ(p.Offer(F({"x", "y"})), ColumnPlan::Verdict::kData);
  EXPECT_EQ(p.Lines().size(), 2u);  // every column, each a gap until numbers come
}

// ---- output names ----

TEST(OutputFiles, StampedNamesNeverTakeAnExistingOne) {
  std::tm tm{};
  tm.tm_year = 126;
  tm.tm_mon = 11;
  tm.tm_mday = 7;
  tm.tm_hour = 9;
  tm.tm_min = 5;
  tm.tm_sec = 3;
  tm.tm_isdst = -1;
  EXPECT_EQ(StampName(std::mktime(&tm)), "kavrin-chart-20261207-090503");
  EXPECT_EQ(FreeBase("b", [](const std::string&) { return false; }), "b");
  EXPECT_EQ(FreeBase("b", [](const std::string& n) { return n == "b" || n == "b-2"; }), "b-3");
  EXPECT_EQ(FolderPath("out"), "out/");
  EXPECT_EQ(FolderPath("out/"), "out/");
  // Files are made new: a name in use is told apart from a failure.
  const std::string dir = testing::TempDir() + "/output-files-" + std::to_string(::getpid());
  std::string error;
  ASSERT_EQ(MakeNewFolder(dir, error), Written::kYes) << error;
  EXPECT_EQ(MakeNewFolder(dir, error), Written::kNameTaken);
  EXPECT_EQ(WriteTextFile("one", dir + "/a.txt", error), Written::kYes);
  EXPECT_EQ(WriteTextFile("two", dir + "/a.txt", error), Written::kNameTaken);
  EXPECT_EQ(WriteTextFile("two", dir + "/missing/a.txt", error), Written::kFailed);
  EXPECT_THAT(error, HasSubstr(dir + "/missing/a.txt: "));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kavrin::app

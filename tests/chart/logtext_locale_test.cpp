// Texts in the user's locale: general numbers, export row values and the export header's
// value texts (colours, fonts, decimals, the general date).
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>

#include "chart/export_text.h"
#include "chart/label_text.h"
#include "chart/number_text.h"

namespace kavrin {
namespace {

TEST(ExportHeaderText, ColoursAreBareUpperCaseHex) {
  EXPECT_EQ(ColorText(0), "0");
  EXPECT_EQ(ColorText(32768), "8000");
  EXPECT_EQ(ColorText(8421504), "808080");
  EXPECT_EQ(ColorText(192), "C0");
  EXPECT_EQ(ColorText(16777215), "FFFFFF");
  EXPECT_EQ(ColorText(0x0A0B0C), "A0B0C");
  // System colours are negative: all eight digits of the two's complement.
  EXPECT_EQ(ColorText(-2147483633), "8000000F");
  EXPECT_EQ(ColorText(-1), "FFFFFFFF");
}

TEST(ExportHeaderText, DecimalsAndBooleans) {
  EXPECT_EQ(DecimalText(0), "0");
  EXPECT_EQ(DecimalText(-1), "-1");
  EXPECT_EQ(DecimalText(3), "3");
  EXPECT_EQ(DecimalText(-32768), "-32768");
  EXPECT_EQ(DecimalText(2147483647), "2147483647");
}

// Sets the locale variables for one scope and restores them afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

TEST(GeneralNumberText, PointLocaleTexts) {
  ScopedEnv all("LC_ALL", "C");
  EXPECT_EQ(LocaleDecimalSeparator(), '.');
  EXPECT_EQ(GeneralNumberText(1), "1");
  EXPECT_EQ(GeneralNumberText(1.5), "1.5");
  EXPECT_EQ(GeneralNumberText(0.25), "0.25");
  EXPECT_EQ(GeneralNumberText(-0.5), "-0.5");
  EXPECT_EQ(GeneralNumberText(0.1 + 0.2), "0.3");
  EXPECT_EQ(GeneralNumberText(1e-20), "1E-20");
  EXPECT_EQ(GeneralNumberText(-1e15), "-1E+15");
  EXPECT_EQ(ExportValueText(0.25), "0.25");
  EXPECT_EQ(ExportValueText(0.5), "0.5");
  EXPECT_EQ(ExportValueText(0.00001), "1E-05");
  EXPECT_EQ(ExportValueText(3.5), "3.5");
  EXPECT_EQ(ExportValueText(0), "0");
  EXPECT_EQ(ExportValueText(-12.25), "-12.25");
}

TEST(ExportHeaderText, FontTextNameBoldAndSize) {
  ScopedEnv all("LC_ALL", "C");
  EXPECT_EQ(FontText(StdFont("Arial", 10.5, true)), "Arial:True:10.5");
  EXPECT_EQ(FontText(StdFont("Arial", 9, false)), "Arial:False:9");
  EXPECT_EQ(FontText(StdFont("Arial", 8.25, false)), "Arial:False:8.25");
  EXPECT_EQ(FontText(StdFont("Times New Roman", 12.0625, false)), "Times New Roman:False:12.0625");
  EXPECT_EQ(FontText(StdFont("Arial", 20, false)), "Arial:False:20");
  EXPECT_EQ(FontText(StdFont("Arial", 0.5, true)), "Arial:True:0.5");
  StdFont heavy("Courier New", 11);
  heavy.Weight(800);
  EXPECT_EQ(FontText(heavy), "Courier New:True:11");
}

// Local time in a fixed zone for one test.
class ScopedUtc {
 public:
  ScopedUtc() : tz_("TZ", "UTC") { tzset(); }
  ~ScopedUtc() { tzset(); }

 private:
  ScopedEnv tz_;
};

std::time_t Utc(int y, int mo, int d, int h, int mi, int s) {
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  return timegm(&tm);
}

TEST(GeneralDateText, UsGeneralDateInCAndEnglishLocales) {
  ScopedUtc utc;
  for (const char* name : {"C", "POSIX", "C.UTF-8", "en_US.UTF-8"}) {
    ScopedEnv all("LC_ALL", name);
    EXPECT_EQ(GeneralDateText(Utc(2026, 12, 7, 19, 54, 36)), "12/7/2026 7:54:36 PM") << name;
  }
  ScopedEnv all("LC_ALL", "C");
  EXPECT_EQ(GeneralDateText(Utc(2026, 1, 2, 9, 5, 7)), "1/2/2026 9:05:07 AM");
  EXPECT_EQ(GeneralDateText(Utc(2026, 12, 7, 12, 0, 0)), "12/7/2026 12:00:00 PM");
  EXPECT_EQ(GeneralDateText(Utc(2026, 12, 7, 0, 0, 1)), "12/7/2026 12:00:01 AM");
  EXPECT_EQ(GeneralDateText(Utc(2026, 12, 7, 23, 59, 59)), "12/7/2026 11:59:59 PM");
  // Exactly midnight: the time is left out.
  EXPECT_EQ(GeneralDateText(Utc(2026, 12, 8, 0, 0, 0)), "12/8/2026");
}

TEST(GeneralDateText, FollowsTheTimeZone) {
  ScopedEnv all("LC_ALL", "C");
  ScopedEnv tz("TZ", "EST5");
  EXPECT_EQ(GeneralDateText(Utc(2026, 12, 8, 0, 30, 0)), "12/7/2026 7:30:00 PM");
  setenv("TZ", "UTC", 1);
  EXPECT_EQ(GeneralDateText(Utc(2026, 12, 8, 0, 30, 0)), "12/8/2026 12:30:00 AM");
}

// A locale loaded for one setting is released when the setting changes.
TEST(GeneralNumberText, SwitchingLocalesBackAndForthDoesNotGrowTheHeap) {
  ScopedEnv all("LC_ALL", "C.UTF-8");
  GeneralNumberText(1.5);  // the C library keeps the files of a locale it loaded once
  setenv("LC_ALL", "C", 1);
  ASSERT_EQ(GeneralNumberText(1.5), "1.5");
  const auto before = static_cast<long long>(mallinfo2().uordblks);
  for (int i = 0; i < 200; ++i) {
    setenv("LC_ALL", i % 2 == 0 ? "C.UTF-8" : "C", 1);
    GeneralNumberText(1.5);
  }
  EXPECT_LT(static_cast<long long>(mallinfo2().uordblks) - before, 4000);
}

TEST(GeneralNumberText, UnknownLocaleFallsBackToPoint) {
  ScopedEnv all("LC_ALL", "xx_NOWHERE.UTF-8");
  EXPECT_EQ(LocaleDecimalSeparator(), '.');
  EXPECT_EQ(GeneralNumberText(2.5), "2.5");
}

// A German locale compiled into a private folder (LOCPATH), so the comma separator can be
// tested on machines that have no such locale installed.
class CommaLocale : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    char tmpl[] = "/tmp/kavrin_loc_XXXXXX";
    if (!mkdtemp(tmpl)) return;
    dir_ = tmpl;
    const std::string cmd = "localedef -i de_DE -f UTF-8 " + dir_ + "/de_DE.UTF-8 >/dev/null 2>&1";
    const int rc = std::system(cmd.c_str());
    ready_ = rc != -1 && WIFEXITED(rc) && WEXITSTATUS(rc) <= 1 &&
             std::filesystem::exists(dir_ + "/de_DE.UTF-8/LC_NUMERIC");
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  void SetUp() override {
    if (!ready_) GTEST_SKIP() << "localedef cannot build de_DE.UTF-8 here";
  }
  static std::string dir_;
  static bool ready_;
};
std::string CommaLocale::dir_;
bool CommaLocale::ready_ = false;

TEST_F(CommaLocale, NumberTextsUseTheComma) {
  ScopedEnv path("LOCPATH", dir_.c_str());
  ScopedEnv all("LC_ALL", "de_DE.UTF-8");
  EXPECT_EQ(LocaleDecimalSeparator(), ',');
  EXPECT_EQ(GeneralNumberText(1.5), "1,5");
  EXPECT_EQ(GeneralNumberText(10), "10");
  EXPECT_EQ(GeneralNumberText(1e-20), "1E-20");
  EXPECT_EQ(GeneralNumberText(-2.5e20), "-2,5E+20");
  EXPECT_EQ(ExportValueText(0.25), "0,25");
  EXPECT_EQ(ExportValueText(-0.5), "-0,5");
  EXPECT_EQ(ExportValueText(0.00001), "1E-05");
  // The scale keeps its point whatever the locale.
  EXPECT_EQ(LabelText(0.5), "0.5");
  EXPECT_EQ(LabelText(-0.5), "-.5");
}

TEST_F(CommaLocale, LcNumericAndLangChooseWhenLcAllIsUnset) {
  ScopedEnv path("LOCPATH", dir_.c_str());
  ScopedEnv all("LC_ALL", nullptr);
  {
    ScopedEnv lang("LANG", "C");
    ScopedEnv numeric("LC_NUMERIC", "de_DE.UTF-8");
    EXPECT_EQ(GeneralNumberText(0.75), "0,75");
  }
  {
    ScopedEnv lang("LANG", "de_DE.UTF-8");
    ScopedEnv numeric("LC_NUMERIC", nullptr);
    EXPECT_EQ(GeneralNumberText(0.75), "0,75");
  }
  // A change of the environment is seen at the next text, not cached for ever.
  ScopedEnv lang("LANG", "C");
  EXPECT_EQ(GeneralNumberText(0.75), "0.75");
}

TEST_F(CommaLocale, FontSizeAndDateFollowTheLocale) {
  ScopedEnv path("LOCPATH", dir_.c_str());
  ScopedEnv all("LC_ALL", "de_DE.UTF-8");
  ScopedUtc utc;
  EXPECT_EQ(FontText(StdFont("Arial", 10.5, true)), "Arial:True:10,5");
  EXPECT_EQ(FontText(StdFont("Arial", 9, false)), "Arial:False:9");
  EXPECT_EQ(GeneralDateText(Utc(2026, 12, 7, 19, 54, 36)), "07.12.2026 19:54:36");
  EXPECT_EQ(GeneralDateText(Utc(2026, 12, 8, 0, 0, 0)), "08.12.2026");
}

// The C library keeps part of every locale loaded under LOCPATH: texts written every tick
// must not load it each time, or the heap grows with every row.
TEST_F(CommaLocale, RepeatedTextsDoNotGrowTheHeap) {
  ScopedEnv path("LOCPATH", dir_.c_str());
  ScopedEnv all("LC_ALL", "de_DE.UTF-8");
  ScopedUtc utc;
  const std::time_t t = Utc(2026, 12, 7, 19, 54, 36);
  ASSERT_EQ(GeneralDateText(t) + GeneralNumberText(1.5), "07.12.2026 19:54:361,5");
  const auto before = static_cast<long long>(mallinfo2().uordblks);
  for (int i = 0; i < 1000; ++i) GeneralDateText(t), GeneralNumberText(1.5);
  EXPECT_LT(static_cast<long long>(mallinfo2().uordblks) - before, 1000);
}

}  // namespace
}  // namespace kavrin

// glibc's newlocale never frees the search path it builds from LOCPATH (set only by these
// tests): once per locale loaded. Named without the "__" that only debug symbols give it.
extern "C" const char* __lsan_default_suppressions() { return "leak:argz_add_sep\n"; }

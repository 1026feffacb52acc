// Tick times: the texts of a time column read into wall-clock times, and back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "host/tick_time.h"
#include "host/wall_clock.h"

namespace kavrin::host {
namespace {

TEST(TickTime, ReadsTheTimeColumnsFormsToTheMicrosecond) {
  struct Case {
    const char* text;
    TickTime::Kind kind;
    int64_t micros;
    const char* back;  // Text() of the result
  };
  using K = TickTime::Kind;
  const Case cases[] = {
      {"2026-12-08T10:00:00.25", K::kDateTime, 1796724000250000, "2026-12-08T10:00:00.25"},
      {"2026-12-08 10:00:00,25+01:00", K::kDateTime, 1796724000250000, "2026-12-08T10:00:00.25"},
      {"2024-02-29T23:59:59Z", K::kDateTime, 1709251199000000, "2024-02-29T23:59:59"},
      {"2000-02-29 12:00", K::kDateTime, 951825600000000, "2000-02-29T12:00:00"},
      {"2000-03-01", K::kDateTime, 951868800000000, "2000-03-01T00:00:00"},
      {"1969-12-31T23:59:59.5", K::kDateTime, -500000, "1969-12-31T23:59:59.5"},
      {"9:05", K::kTimeOfDay, 32700000000, "09:05:00"},
      {" 23:59:59.1234567", K::kTimeOfDay, 86399123456, "23:59:59.123456"},
      {"\t00:00:00.5 ", K::kTimeOfDay, 500000, "00:00:00.5"},
      {"23:59:60", K::kTimeOfDay, 0, "00:00:00"},
  };
  for (const Case& c : cases) {
    const std::optional<TickTime> t = TickTime::Parse(c.text);
    ASSERT_TRUE(t.has_value()) << c.text;
    EXPECT_EQ(t->GetKind(), c.kind) << c.text;
    EXPECT_EQ(t->Micros(), c.micros) << c.text;
    EXPECT_EQ(t->Text(), c.back) << c.text;
    EXPECT_EQ(TickTime::Parse(t->Text()), t) << c.text;
  }
  EXPECT_EQ(TickTime().Text(), "");  // a tick without a time
  // A plain number is seconds since 1970 to Parse, and no time to ParseIso: it tells a time
  // column from a column of numbers.
  EXPECT_EQ(TickTime::ParseIso("9:05"), TickTime::Parse("9:05"));
  for (const char* number : {"2026", "10", "1765188000"}) {
    EXPECT_TRUE(TickTime::Parse(number).has_value()) << number;
    EXPECT_FALSE(TickTime::ParseIso(number).has_value()) << number;
  }
  for (const char* bad : {"", "abc", "2026-02-29", "1900-02-29", "2026-13-01", "2026-01-32", "2026-12-32", "2026-12-08X10:00", "24:00", "10:60", "10:5",
                          "10:00:61", "10:00:00.", "10:00+1", "12.5.1", "1234567890123", "2026-12-08T"})
    EXPECT_FALSE(TickTime::Parse(bad).has_value()) << bad;
}

TEST(TickTime, EpochSecondsAndTheClockAreLocalWallClockTimes) {
  const char* old = std::getenv("TZ");
  const std::string saved = old != nullptr ? old : "";
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(TickTime::Parse("1733652000.5")->Text(), "2024-12-08T10:00:00.5");
  EXPECT_EQ(TickTime::Parse("-0,25")->Text(), "1969-12-31T23:59:59.75");
  setenv("TZ", "EST5", 1);  // five hours behind, no summer time
  tzset();
  EXPECT_EQ(TickTime::Parse("1733652000")->Text(), "2024-12-08T05:00:00");
  const TickTime now = TickTime::Now();
  const int64_t seconds = static_cast<int64_t>(std::time(nullptr)) - 5 * 3600;
  EXPECT_NEAR(static_cast<double>(now.Micros() / kMicrosPerSecond), static_cast<double>(seconds), 2.0);
  WallClock clock;
  EXPECT_NEAR(static_cast<double>(clock.Now().Micros() / kMicrosPerSecond), static_cast<double>(seconds), 2.0);
  EXPECT_EQ(clock.At(-500000).Text(), "1969-12-31T18:59:59.5");
  // Central Europe's summer time ends at 01:00 UTC on 2024-10-27: the clock's offset follows
  // from the second on which it changes.
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  EXPECT_EQ(clock.At(1729990799750000).Text(), "2024-10-27T02:59:59.75");
  EXPECT_EQ(clock.At(1729990800000000).Text(), "2024-10-27T02:00:00");
  EXPECT_EQ(clock.At(1729990800250000).Text(), "2024-10-27T02:00:00.25");
  if (old != nullptr) setenv("TZ", saved.c_str(), 1);
  else unsetenv("TZ");
  tzset();
}

}  // namespace
}  // namespace kavrin::host

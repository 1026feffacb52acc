// The labels under the time grid lines, with text six pixels a character wide: which lines
// get one, the format that fits the step between them, dates across midnight.
#include <gtest/gtest.h>

#include "host/time_labels.h"

namespace kavrin::host {
namespace {

int SixPerChar(const std::string& s) { return 6 * static_cast<int>(s.size()); }

// The default chart's lines after tick 100: ticks 70, 72, ... 100 at columns 29, 47, ... 299.
std::vector<TimeGridLine> DefaultLines() {
  std::vector<TimeGridLine> lines;
  for (int64_t t = 70; t <= 100; t += 2) lines.push_back(TimeGridLine{static_cast<int>(299 - 9 * (100 - t)), t});
  return lines;
}

struct Shown {
  int64_t tick;
  int left;
  std::string text;
  bool operator==(const Shown&) const = default;
};

std::vector<Shown> Layout(const std::vector<TimeGridLine>& lines, const TimeOfTick& timeOf, int width = 320) {
  std::vector<Shown> out;
  for (const TimeLabel& l : LayoutTimeLabels(lines, timeOf, SixPerChar, width)) {
    EXPECT_EQ(l.left, l.x - l.width / 2);  // centred on its line
    out.push_back(Shown{l.tick, l.left, l.text});
  }
  return out;
}

constexpr int64_t kTenOClock = 1796724000000000;  // 2026-12-08 10:00:00

// Ten o'clock plus `every` microseconds a tick.
TimeOfTick Every(int64_t every, int64_t base = kTenOClock) {
  return [=](int64_t tick) { return TickTime::DateTime(base + tick * every); };
}

TEST(TimeLabels, AsManyAsStayApartInTheUnitOfTheirStep) {
  // A quarter second a tick: lines 0.5 s apart need milliseconds (78 px with the gap), but
  // every fifth line is 2.5 s apart and fits in seconds; the label at 299 would leave the strip.
  EXPECT_EQ(Layout(DefaultLines(), Every(250000)),
            (std::vector<Shown>{{70, 5, "10:00:17"}, {80, 95, "10:00:20"}, {90, 185, "10:00:22"}}));
  // A millisecond a tick: still milliseconds; the label at 29 starts left of the strip.
  EXPECT_EQ(Layout(DefaultLines(), Every(1000)),
            (std::vector<Shown>{{80, 83, "10:00:00.080"}, {90, 173, "10:00:00.090"}}));
  // Half a minute a tick: every second line, in minutes, right up to the strip's edge.
  const std::vector<Shown> minutes = Layout(DefaultLines(), Every(30000000));
  ASSERT_EQ(minutes.size(), 8u);
  EXPECT_EQ(minutes.front(), (Shown{72, 32, "10:36"}));
  EXPECT_EQ(minutes.back(), (Shown{100, 284, "10:50"}));
  // Half a day a tick: dates only.
  EXPECT_EQ(Layout(DefaultLines(), Every(43200000000)).front(), (Shown{80, 89, "2027-01-17"}));
  // Lines 4 px apart: only every twentieth keeps second labels apart.
  std::vector<TimeGridLine> dense;
  for (int i = 0; i < 76; ++i) dense.push_back(TimeGridLine{10 + 4 * i, 2 * i});
  EXPECT_EQ(Layout(dense, Every(1000000)),
            (std::vector<Shown>{{40, 66, "10:00:40"}, {80, 146, "10:01:20"}, {120, 226, "10:02:00"}}));
  // No times: the tick numbers, counted from 1; "99" and "101" would stand 3 px apart.
  const std::vector<Shown> numbers = Layout(DefaultLines(), [](int64_t) { return TickTime(); });
  ASSERT_EQ(numbers.size(), 8u);
  EXPECT_EQ(numbers.front(), (Shown{72, 41, "73"}));
  EXPECT_EQ(numbers.back(), (Shown{100, 290, "101"}));
}

TEST(TimeLabels, TheUnitIsTheStepsAndTheDateStandsWhereTheRunCrossesMidnight) {
  const std::vector<TimeGridLine> lines{{100, 0}, {300, 1}, {500, 2}};
  // The middle label for steps at each unit's edge.
  const struct {
    int64_t every;
    const char* text;
  } units[] = {{999999, "10:00:00.999"}, {1000000, "10:00:01"}, {59999999, "10:00:59"}, {60000000, "10:01"},
               {86399999999, "2026-12-09 09:59"}, {86400000000, "2026-12-09"}};
  for (const auto& u : units) EXPECT_EQ(Layout(lines, Every(u.every), 640)[1].text, u.text) << u.every;
  // A label left alone (the other off the strip) still reads in its lines' unit; two that
  // cannot stand apart leave one.
  EXPECT_EQ(Layout({{100, 0}, {630, 1}}, Every(1000), 640), (std::vector<Shown>{{0, 64, "10:00:00.000"}}));
  EXPECT_EQ(Layout({{100, 0}, {110, 2}}, Every(1000000), 640), (std::vector<Shown>{{0, 76, "10:00:00"}}));
  // Two ticks of the same time do not make the step zero.
  EXPECT_EQ(Layout(lines, [](int64_t t) { return TickTime::DateTime(kTenOClock + (t > 0 ? 500000 : 0)); }, 640)[1].text,
            "10:00:00.500");
  // A second a tick from 2026-12-08 23:59:58: the leftmost label and the one on midnight.
  EXPECT_EQ(Layout(lines, Every(1000000, 1796774398000000), 640),
            (std::vector<Shown>{{0, 43, "2026-12-08 23:59:58"}, {1, 276, "23:59:59"}, {2, 443, "2026-12-09 00:00:00"}}));
  // Times of day only: nothing to show a date from.
  EXPECT_EQ(Layout(lines, [](int64_t t) { return TickTime::TimeOfDay((86398000000 + t * 1000000) % kMicrosPerDay); }, 640)[2].text,
            "00:00:00");
}

}  // namespace
}  // namespace kavrin::host

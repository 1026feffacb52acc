// Where the moving time grid lines stand and which tick a plot column shows, from the
// geometry alone. The default chart: plot (20, 20, 300, 210), grid step 19.1, so half = 9.
#include <gtest/gtest.h>

#include "host/time_grid.h"

namespace kavrin::host {
namespace {

TickGeometry Default(int64_t first, int64_t last, bool lastDrewLine, Long half = 9) {
  TickGeometry g;
  g.work = RECT{20, 20, 300, 210};
  g.half = half;
  g.first = first;
  g.last = last;
  g.lastDrewLine = lastDrewLine;
  return g;
}

std::vector<int> Columns(const std::vector<TimeGridLine>& lines) {
  std::vector<int> xs;
  for (const auto& l : lines) xs.push_back(l.x);
  return xs;
}

TEST(TimeGrid, LinesStandEverySecondTickFromTheRightEdge) {
  // Tick 100 drew a line at 299; each older line stands 18 columns further left, down to 29.
  const std::vector<TimeGridLine> all = TimeGridLines(Default(0, 100, true));
  ASSERT_EQ(all.size(), 16u);
  EXPECT_EQ(all.front().x, 29);
  EXPECT_EQ(all.front().tick, 70);
  EXPECT_EQ(all.back().x, 299);
  EXPECT_EQ(all.back().tick, 100);
  // The newest tick drew none: the newest line is tick 99's, scrolled once.
  EXPECT_EQ(TimeGridLines(Default(0, 100, false)).back().x, 290);
  EXPECT_EQ(TimeGridLines(Default(0, 100, false)).back().tick, 99);
  // Only the ticks of this engine: from tick 96 on.
  EXPECT_EQ(Columns(TimeGridLines(Default(96, 100, true))), (std::vector<int>{263, 281, 299}));
  // A grid step below -1.5 pixels scrolls right: tick 99's line moved from 299 onto the edge.
  EXPECT_EQ(Columns(TimeGridLines(Default(0, 100, false, -1))), std::vector<int>{300});
  // No scroll: one column for all; no tick: nothing.
  EXPECT_EQ(Columns(TimeGridLines(Default(0, 100, true, 0))), std::vector<int>{299});
  EXPECT_TRUE(TimeGridLines(Default(5, 4, true)).empty());
}

TEST(TimeGrid, AColumnShowsTheTickWhoseSegmentEndsOnOrRightOfIt) {
  struct Case {
    int x;
    int64_t first;
    Long half;
    std::optional<int64_t> tick;
  };
  const Case cases[] = {
      {300, 0, 9, 100}, {292, 0, 9, 100}, {291, 0, 9, 99}, {20, 0, 9, 69}, {19, 0, 9, std::nullopt},
      {301, 0, 9, std::nullopt}, {283, 99, 9, 99}, {282, 99, 9, std::nullopt}, {300, 100, 9, 100}, {300, 0, 0, 100},
      {299, 0, 0, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(TickAtColumn(Default(c.first, 100, true, c.half), c.x), c.tick) << c.x;
}

}  // namespace
}  // namespace kavrin::host

// The range that follows the data: round numbers, growth when a value leaves it, shrinking
// after a whole plot width of small use, and patience with data that undoes a shrink.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "chart/label_text.h"
#include "host/autoscale.h"

namespace kavrin::host {
namespace {

TEST(RoundRange, CoversTheValuesInAtMostTenSteps) {
  struct Case {
    double lo, hi, pad;
    ValueRange want;
  } cases[] = {
      {0, 100, 0, {0, 120, 20}},           // 100 must lie below the top: 0..110 by 10 is 11 steps
      {3, 47, 0.1, {-10, 60, 10}},         // padded to -1.4 .. 51.4
      {-7, 12, 0.1, {-10, 15, 5}},         // padded to -8.9 .. 13.9
      {10, 10, 0.1, {9, 11.5, 0.5}},       // one value: a tenth of it each side
      {1234567, 1234567, 0, {1.1e6, 1.4e6, 5e4}},
      {-10, -10, 0.1, {-11, -8.5, 0.5}},   // a tenth of its size each side, below zero too
  };
  for (const auto& c : cases) {
    const auto r = RoundRange(c.lo, c.hi, c.pad);
    ASSERT_TRUE(r) << c.lo << " .. " << c.hi;
    EXPECT_EQ(*r, c.want) << c.lo << " .. " << c.hi << " gave " << r->min << " .. " << r->max << " by " << r->step;
  }
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(RoundRange(0, inf));
  EXPECT_FALSE(RoundRange(2, 1));
  EXPECT_FALSE(RoundRange(-1e308, 1e308));
  EXPECT_FALSE(RoundRange(1, 1e301));  // not followed so far out
  EXPECT_TRUE(RoundRange(1, 1e300));
}

TEST(RoundRange, GridLabelsAreTheDecimalsAcrossZero) {
  // The chart labels grid line i with i * step + min: never 9.99999999999999E-12 for 1E-11.
  struct Case {
    double lo, hi;
    std::vector<std::string> labels;
  } cases[] = {
      {-0.27, 0.07, {"-.3", "-.25", "-.2", "-.15", "-.1", "-.05", "0", "0.05", "0.1"}},
      {-5.5e-11, 0.5e-11, {"-6E-11", "-5E-11", "-4E-11", "-3E-11", "-2E-11", "-1E-11", "0", "1E-11"}},
  };
  for (const auto& c : cases) {
    const auto r = RoundRange(c.lo, c.hi);
    ASSERT_TRUE(r);
    std::vector<std::string> labels;
    for (size_t i = 0; i < c.labels.size(); ++i) labels.push_back(LabelText(static_cast<double>(i) * r->step + r->min));
    EXPECT_EQ(labels, c.labels);
  }
}

TEST(Autoscale, GrowsAtOnceAndShrinksAfterAPlotWidthOfSmallUse) {
  Autoscale scale(4);  // a plot of four ticks
  struct Row {
    double lo, hi;
    bool changes;
    ValueRange after;
  } rows[] = {
      {0, 10, true, {-2, 12, 2}},      // the first values, padded by a tenth of their spread
      {3, 8, false, {-2, 12, 2}},
      {12, 12, true, {-5, 30, 5}},     // 12 is the top row's value: twice the span, upwards
      {-9, 0, true, {-120, 40, 20}},   // again at once: four times, -9 .. 30 made 140 wide downwards
      {1, 1, false, {-120, 40, 20}},
      {2, 2, false, {-120, 40, 20}},
      {3, 3, false, {-120, 40, 20}},
      {0, 0, true, {-0.5, 3.5, 0.5}},  // four ticks within 0 .. 3, under a fifth of 160
      {20, 20, true, {-5, 30, 5}},     // the shrink undone: -0.5 .. 20 grown to 25.6 wide
      // Now shrinking waits eight ticks, not four.
      {10, 10, false, {-5, 30, 5}},
      {10, 10, false, {-5, 30, 5}},
      {10, 10, false, {-5, 30, 5}},
      {10, 10, false, {-5, 30, 5}},
      {10, 10, false, {-5, 30, 5}},
      {10, 10, false, {-5, 30, 5}},
      {10, 10, false, {-5, 30, 5}},
      {10, 10, true, {9, 11.5, 0.5}},
  };
  int n = 0;
  for (const auto& r : rows) {
    ++n;
    EXPECT_EQ(scale.Offer(r.lo, r.hi), r.changes) << "row " << n;
    ASSERT_TRUE(scale.Current());
    EXPECT_EQ(*scale.Current(), r.after) << "row " << n << " gave " << scale.Current()->min << " .. "
                                         << scale.Current()->max << " by " << scale.Current()->step;
  }
  EXPECT_FALSE(scale.Offer(0, 0, false));
  EXPECT_EQ(scale.Changes(), 6);
}

TEST(Autoscale, AShrinkThatHeldWaitsOnePlotWidthAgain) {
  Autoscale scale(4);
  struct Row {
    int times;
    double lo, hi;
    bool changesAtLast;
    ValueRange after;
  } rows[] = {
      {1, 0, 10000, true, {-2000, 12000, 2000}},
      {4, 5000, 5000, true, {4400, 5600, 200}},    // shrunk after four ticks
      {1, 0, 10000, true, {-2000, 12000, 2000}},   // undone at once: the next shrink waits eight
      {8, 5000, 5000, true, {4400, 5600, 200}},
      {8, 4500, 5500, false, {4400, 5600, 200}},   // this shrink holds for eight ticks
      {4, 5000, 5100, true, {4980, 5120, 20}},     // so four ticks of small use shrink again
  };
  int n = 0;
  for (const auto& r : rows) {
    ++n;
    for (int i = 1; i <= r.times; ++i)
      EXPECT_EQ(scale.Offer(r.lo, r.hi), i == r.times && r.changesAtLast) << "row " << n << ", tick " << i;
    ASSERT_TRUE(scale.Current());
    EXPECT_EQ(*scale.Current(), r.after) << "row " << n << " gave " << scale.Current()->min << " .. "
                                         << scale.Current()->max << " by " << scale.Current()->step;
  }
}

}  // namespace
}  // namespace kavrin::host

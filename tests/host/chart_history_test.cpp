// The host's tick history: after a rebuild the replay draws what a chart built at the new
// settings shows when fed every tick from the start.
#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "control/kavrin_line_chart.h"
#include "host/chart_history.h"
#include "host/form.h"
#include "host/standard_controls.h"
#include "tests/support/pixels.h"

namespace kavrin::host {
namespace {

// Line 1 every tick; line 2 once early and then only on every seventh tick from tick 110,
// so that a value from before the kept ticks decides where its next segment starts.
struct Feed {
  int early = 3;  // the tick of line 2's early value
  bool has2(int t) const { return t == early || (t >= 110 && t % 7 == 0); }
  double v1(int t) const { return (t * 37 % 91) - 45.0; }
  double v2(int t) const { return t == early ? 30.0 : (t % 5) * 8.0 - 20.0; }
};

template <typename Chart>
void Tick(Chart& c, const Feed& f, int t) {
  c.SetValue(1, f.v1(t));
  if (f.has2(t)) c.SetValue(2, f.v2(t));
  c.Movie();
}

test::Image Pixels(ControlSite& site) {
  return test::Capture(site.GetSurface().Dc(), site.GetSurface().Width(), site.GetSurface().Height());
}

TEST(ChartHistory, ResizedMidRunShowsWhatARunAtTheNewSizeShows) {
  // Both parities of the ticks before the resize: the time grid must stand where it stood.
  // Line 2's early value on the first tick too: the first to leave the kept ticks.
  for (const auto& [before, early] : {std::pair{120, 3}, std::pair{121, 3}, std::pair{120, 0}}) {
    Feed feed;
    feed.early = early;
    Form resized;
    RegisterStandardControls(resized);
    ControlSite& a = resized.Add("KavrinLineChart");
    ChartHistory history(a, *a.ControlAs<KavrinLineChart>(), 400);
    history.AddLine("one", RGB(255, 255, 0));
    history.AddLine("two", RGB(0, 255, 255));
    for (int t = 0; t < before; ++t) Tick(history, feed, t);
    a.SetSize(400, 300);
    ASSERT_TRUE(history.Rebuilt());
    EXPECT_LT(history.Restore(), before);  // the ring, not every tick
    for (int t = before; t < before + 15; ++t) Tick(history, feed, t);

    Form fresh;
    RegisterStandardControls(fresh);
    ControlSite& b = fresh.Add("KavrinLineChart", "", 400, 300);
    KavrinLineChart& chart = *b.ControlAs<KavrinLineChart>();
    chart.AddLine("one", RGB(255, 255, 0));
    chart.AddLine("two", RGB(0, 255, 255));
    for (int t = 0; t < before + 15; ++t) Tick(chart, feed, t);

    const auto d = test::Compare(Pixels(b), Pixels(a), test::OutputDir() + "/history-replay-diff.png");
    EXPECT_EQ(d.count, 0) << before << " ticks before, line 2 at " << early << ": " << d.Describe();
  }
}

// At 320 x 240 a plot shows 35 ticks (281 columns, 9 a tick), at 640 x 240 70 (601 columns).
TEST(ChartHistory, KeepsPlotsOfTicksAndReadsThemBackExactly) {
  Form form;
  RegisterStandardControls(form);
  ControlSite& site = form.Add("KavrinLineChart");
  KavrinLineChart& chart = *site.ControlAs<KavrinLineChart>();
  EXPECT_EQ(ChartHistory(site, chart, 0, 3).Capacity(), 3 * 35 + 1);
  ChartHistory history(site, chart);
  EXPECT_EQ(history.Capacity(), 10 * 35 + 1);
  history.AddLine("one", RGB(255, 255, 0));
  history.AddLine("two", RGB(0, 255, 255));
  for (int t = 0; t < 400; ++t) {
    history.SetValue(1, t * 0.25);
    if (t % 2 == 0) history.SetValue(2, -t);
    history.Movie(t % 3 == 0 ? TickTime::TimeOfDay(t * int64_t{1000}) : TickTime());
  }
  EXPECT_EQ(history.OldestKept(), 400 - 351);
  EXPECT_EQ(history.Value(399, 1), 99.75);
  EXPECT_EQ(history.Value(398, 2), -398.0);
  EXPECT_EQ(history.Value(399, 2), std::nullopt);
  EXPECT_EQ(history.Time(399), TickTime::TimeOfDay(399000));
  EXPECT_EQ(history.Time(398), TickTime());
  EXPECT_EQ(history.Key(2), "two");
  for (const auto& [tick, line] : {std::pair{48, 1}, std::pair{400, 1}, std::pair{49, 0}, std::pair{49, 3}}) {
    try {
      history.Value(tick, static_cast<Integer>(line));
      ADD_FAILURE() << tick << " " << line;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), err::kSubscript);
    }
  }
  EXPECT_THROW(history.Time(48), RuntimeError);
  EXPECT_THROW(history.Key(0), RuntimeError);
  EXPECT_THROW(history.Key(3), RuntimeError);
  // A wider plot: the ring grows to ten of its plots, keeping what it has.
  site.SetSize(640, 240);
  history.Restore();
  EXPECT_EQ(history.Capacity(), 10 * 70 + 1);
  EXPECT_EQ(history.Value(49, 1), 12.25);
}

// The chart ignores a value for a line it does not have; so does the history (the
// sanitizer build sees any write beside its rows).
TEST(ChartHistory, AValueForALineThatIsNotThereIsIgnored) {
  Form form;
  RegisterStandardControls(form);
  ControlSite& site = form.Add("KavrinLineChart");
  ChartHistory history(site, *site.ControlAs<KavrinLineChart>());
  history.AddLine("one", RGB(255, 255, 0));
  for (Integer id : {0, 2, -5}) history.SetValue(id, 1.0);
  history.Movie();
  site.SetSize(300, 200);
  EXPECT_EQ(history.Restore(), 1);
}

}  // namespace
}  // namespace kavrin::host

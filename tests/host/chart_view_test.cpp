// The view around a running chart: labels under the time grid lines as the plot scrolls
// and after a resize, a paused view equal to what the chart showed then, the values under a
// column, and the keys and wheel that move the view.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "chart/line_chart.h"
#include "host/chart_picture.h"
#include "host/chart_view.h"
#include "host/column_values.h"
#include "host/form.h"
#include "host/headless_window.h"
#include "host/standard_controls.h"
#include "tests/support/pixels.h"

namespace kavrin::host {
namespace {

constexpr COLORREF kTimeLine = RGB(0, 128, 0);  // the default time grid colour
constexpr COLORREF kScaleText = RGB(192, 0, 0);  // the default scale colour
constexpr int64_t kTenOClock = 1796724000000000;  // 2026-12-08 10:00:00

// Line one every tick; line two, with value tips, on the first tick and then on every
// seventh from tick 120: a view of the ticks before it starts line two where tick 0 left it.
double One(int t) { return (t * 37 % 91) - 45.0; }
bool HasTwo(int t) { return t == 0 || (t >= 120 && t % 7 == 0); }
double Two(int t) { return (t % 5) * 8.0 - 20.0; }

// A form whose font (the charts' other fonts) is 10-point Courier New.
void Prepare(Form& form) {
  RegisterStandardControls(form);
  auto font = std::make_shared<StdFont>();
  font->Name("Courier New");
  font->Size(10);
  form.Font(font);
}

// The chart with its scale in 12-point Arial, which the strip's labels take.
KavrinLineChart& WithScaleFont(ControlSite& site) {
  KavrinLineChart& chart = *site.ControlAs<KavrinLineChart>();
  auto font = std::make_shared<StdFont>();
  font->Name("Arial");
  font->Size(12);
  chart.MeasureFont(font);
  site.Reconfigure();
  return chart;
}

struct ChartRun {
  Form form;
  ControlSite& site;
  KavrinLineChart& chart;
  ChartHistory history;
  ChartView view;
  int ticks = 0;

  explicit ChartRun(int keptPlots = ChartHistory::kKeptPlots)
      : site((Prepare(form), form.Add("KavrinLineChart"))),
        chart(WithScaleFont(site)),
        history(site, chart, 400, keptPlots),
        view(site, chart, history) {
    history.AddLine("one", RGB(255, 255, 0));
    history.AddLine("two", RGB(0, 255, 255), nullptr, True, RGB(255, 255, 255));
  }
  // A quarter second a tick from ten o'clock.
  void Tick() {
    history.SetValue(1, One(ticks));
    if (HasTwo(ticks)) history.SetValue(2, Two(ticks));
    history.Movie(TickTime::DateTime(kTenOClock + ticks * 250000));
    view.Update();
    ++ticks;
  }
  HeadlessWindow& Window() { return dynamic_cast<HeadlessWindow&>(site.Window()); }
  void Input(WindowInput::Kind kind, WindowInput::Key key = WindowInput::Key::kOther, int wheel = 0, int x = 0) {
    Window().UserInput(WindowInput{kind, key, wheel, x, 0});
  }
};

test::Image Pixels(const Surface& s) { return test::Capture(s.Dc(), s.Width(), s.Height()); }

test::Image Pixels(const PictureRef& picture) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ displaced = SelectObject(dc, picture->Handle());
  const test::Image image = test::Capture(dc, picture->Width(), picture->Height());
  SelectObject(dc, displaced);
  DeleteDC(dc);
  return image;
}

// Columns of one plot row that show the time grid colour, and the grid's own count of them.
void ExpectLabelsOnTheGrid(ChartRun& run) {
  const RECT work = run.chart.Chart()->rcWork();
  const int row = work.bottom - 5;  // between the bottom value grid row and the next
  std::set<int> drawn, computed, marked;
  int inked = 0;
  for (int x = work.left; x <= work.right; ++x)
    if (GetPixel(run.site.GetSurface().Dc(), x, row) == kTimeLine) drawn.insert(x);
  for (const TimeGridLine& l : TimeGridLines(run.view.Geometry())) computed.insert(l.x);
  ASSERT_FALSE(run.view.Strip()->Labels().empty()) << run.ticks;
  const Surface& strip = *run.view.Strip()->GetSurface();
  ASSERT_EQ(strip.Width(), run.site.GetSurface().Width());
  // 12-point Arial is 19 rows high, under the 4 of the mark and a gap, with 2 below.
  EXPECT_EQ(strip.Height(), 26);
  for (const TimeLabel& l : run.view.Strip()->Labels()) {
    // A mark one pixel wide, as the grid line is.
    EXPECT_EQ(GetPixel(strip.Dc(), l.x, 0), kTimeLine) << "mark of " << l.text;
    EXPECT_NE(GetPixel(strip.Dc(), l.x - 1, 1), kTimeLine) << "mark of " << l.text;
    EXPECT_NE(GetPixel(strip.Dc(), l.x + 1, 1), kTimeLine) << "mark of " << l.text;
    EXPECT_EQ(l.width, 62) << l.text;  // six digits of 8.9 pixels and two colons of 4.45
    marked.insert(l.x);
    // The text in the scale's colour, in its box under the mark.
    for (int y = TimeStrip::kMarkHeight + 1; y < strip.Height(); ++y)
      for (int x = l.left; x < l.left + l.width; ++x) inked += GetPixel(strip.Dc(), x, y) == kScaleText ? 1 : 0;
  }
  int ink = 0;
  for (int y = 0; y < strip.Height(); ++y)
    for (int x = 0; x < strip.Width(); ++x) ink += GetPixel(strip.Dc(), x, y) == kScaleText ? 1 : 0;
  EXPECT_GT(ink, 10 * static_cast<int>(run.view.Strip()->Labels().size()));
  EXPECT_EQ(inked, ink) << "text outside the labels' boxes";
  EXPECT_EQ(drawn, computed) << "after " << run.ticks << " ticks";
  EXPECT_TRUE(std::includes(drawn.begin(), drawn.end(), marked.begin(), marked.end())) << run.ticks;
}

TEST(ChartView, LabelsStayOnTheirGridLinesAsThePlotScrollsAndAfterAResize) {
  ChartRun run;
  // Paused before any tick: the chart as it starts.
  run.Input(WindowInput::Kind::kKey, WindowInput::Key::kSpace);
  EXPECT_EQ(run.view.Status(), "Paused, 0 ticks behind live");
  run.Input(WindowInput::Kind::kKey, WindowInput::Key::kEnd);
  run.Tick();
  // Paused on the first tick, the view keeps that tick's time.
  run.Input(WindowInput::Kind::kKey, WindowInput::Key::kSpace);
  EXPECT_EQ(run.view.View().Time(), TickTime::DateTime(kTenOClock));
  run.Input(WindowInput::Kind::kKey, WindowInput::Key::kEnd);
  const std::vector<TimeGridLine> first = TimeGridLines(run.view.Geometry());
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].x, 299);
  // Until a plot's width has scrolled by, the grid the full repaint drew is still there.
  while (run.ticks < 40) run.Tick();
  for (int i = 0; i < 120; ++i) {
    run.Tick();
    ExpectLabelsOnTheGrid(run);
  }
  // The strip is shown again below the plot after every tick.
  run.Window().TakeInvalidations();
  run.Tick();
  const std::vector<RECT> shown = run.Window().TakeInvalidations();
  EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](const RECT& r) {
    return r.left == 0 && r.top == 240 && r.right == 320 && r.bottom == 266;
  }));
  run.site.SetSize(400, 300);
  EXPECT_TRUE(TimeGridLines(run.view.Geometry()).empty());  // the new engine has no tick yet
  run.history.Restore();
  run.view.Update();
  // Of 161 ticks, the 34 a 400 x 300 plot shows (half = 12) and one, from an even tick.
  EXPECT_EQ(run.view.Geometry().first, 126);
  ExpectLabelsOnTheGrid(run);
  for (int i = 0; i < 30; ++i) {
    run.Tick();
    ExpectLabelsOnTheGrid(run);
  }
  // The window shows the control with the strip below it, and so does the composed picture.
  EXPECT_EQ(run.Window().ShownBelow(), run.view.Strip()->GetSurface());
  const PictureRef composed = run.view.Compose();
  ASSERT_EQ(composed->Width(), 400);
  ASSERT_EQ(composed->Height(), 300 + 26);
  const test::Image all = Pixels(composed);
  test::Image top = all, below = all;
  top.height = 300;
  top.px.resize(400 * 300);
  below.height = 26;
  below.px.erase(below.px.begin(), below.px.begin() + 400 * 300);
  EXPECT_EQ(test::Compare(Pixels(run.site.GetSurface()), top).count, 0);
  EXPECT_EQ(test::Compare(Pixels(*run.view.Strip()->GetSurface()), below).count, 0);
  // A picture file's: the live chart with a strip of its own drawn for it, the same while the
  // view is live; without a strip, the chart alone.
  TimeStrip fileStrip;
  EXPECT_EQ(test::Compare(all, Pixels(LivePicture(run.site, run.chart, run.history, &fileStrip))).count, 0);
  EXPECT_EQ(test::Compare(top, Pixels(LivePicture(run.site, run.chart, run.history, nullptr))).count, 0);
}

TEST(ChartView, APausedViewShowsWhatTheChartShowedAtThatTick) {
  // Two plots kept (89 ticks at the widest, 400 pixels; 35 fill the plot of 320): after 201
  // ticks the ring holds ticks 112 on, and replays exactly from 112 + 35 + 1. Ten plots
  // keep all 201.
  struct Case {
    int keptPlots;
    int early;  // the earliest tick the view reaches back to
    int later;  // the same after 301 ticks
  };
  for (const Case c : {Case{2, 148, 248}, Case{10, 0, 0}}) {
    ChartRun run(c.keptPlots);
    test::Image earliest, at171;
    while (run.ticks < 200) {
      run.Tick();
      if (run.ticks - 1 == c.early) earliest = Pixels(run.site.GetSurface());
      if (run.ticks - 1 == 171) at171 = Pixels(run.site.GetSurface());
    }
    EXPECT_TRUE(TimeGridLines(run.view.View().Geometry()).empty());  // no paused chart yet
    // Space holds tick 199; two notches of the wheel and four Left presses go back 28 ticks.
    run.Input(WindowInput::Kind::kKey, WindowInput::Key::kSpace);
    for (int i = 0; i < 2; ++i) run.Input(WindowInput::Kind::kWheel, WindowInput::Key::kOther, 1);
    for (int i = 0; i < 4; ++i) run.Input(WindowInput::Kind::kKey, WindowInput::Key::kLeft);
    ASSERT_EQ(run.view.View().Tick(), 171);
    auto d = test::Compare(at171, Pixels(run.Window().Shown()), test::OutputDir() + "/paused-view-diff.png");
    EXPECT_EQ(d.count, 0) << c.keptPlots << " plots kept: " << d.Describe();
    // The pointer on the plot's right edge: the paused tick's values.
    run.Input(WindowInput::Kind::kPointer, WindowInput::Key::kOther, 0, 300);
    EXPECT_EQ(run.view.Status(), "Paused, 28 ticks (7 s) behind live  |  2026-12-08 10:00:42.750  one 3  two -");
    // The live chart went on meanwhile, and the view stays where it was.
    const Surface* held = &run.Window().Shown();
    run.Tick();
    EXPECT_EQ(run.view.View().Tick(), 171);
    EXPECT_EQ(run.view.View().Behind(), 29);
    EXPECT_EQ(&run.Window().Shown(), held);  // not drawn again
    ASSERT_EQ(run.history.FirstExactTick(), c.early);

    // The wheel cannot go back past the earliest tick that replays exactly.
    for (int i = 0; i < 30; ++i) run.Input(WindowInput::Kind::kWheel, WindowInput::Key::kOther, 1);
    ASSERT_EQ(run.view.View().Tick(), c.early);
    d = test::Compare(earliest, Pixels(run.Window().Shown()), test::OutputDir() + "/paused-view-diff.png");
    EXPECT_EQ(d.count, 0) << c.keptPlots << " plots kept, tick " << c.early << ": " << d.Describe();

    // Right goes no further than the newest tick; Space returns to live, and so does End.
    for (int i = 0; i < 120; ++i) run.Input(WindowInput::Kind::kKey, WindowInput::Key::kRight);
    EXPECT_EQ(run.view.View().Tick(), 200);
    EXPECT_TRUE(run.view.Paused());
    run.Input(WindowInput::Kind::kKey, WindowInput::Key::kSpace);
    EXPECT_FALSE(run.view.Paused());
    EXPECT_EQ(run.view.View().Behind(), 0);
    EXPECT_EQ(&run.Window().Shown(), &run.site.GetSurface());
    run.Input(WindowInput::Kind::kKey, WindowInput::Key::kSpace);
    run.Input(WindowInput::Kind::kKey, WindowInput::Key::kEnd);
    EXPECT_FALSE(run.view.Paused());

    // Paused at tick 200 while a hundred more ticks come: the picture and its labels stay,
    // also when the ring forgets what they were drawn from; stepped, the view moves no
    // earlier than the ring can draw.
    run.Input(WindowInput::Kind::kKey, WindowInput::Key::kSpace);
    const Surface* at200 = &run.Window().Shown();
    const std::vector<TimeLabel> labels = run.view.Strip()->Labels();
    while (run.ticks < 301) run.Tick();
    EXPECT_EQ(&run.Window().Shown(), at200);
    EXPECT_EQ(run.view.Strip()->Labels().size(), labels.size());
    EXPECT_EQ(run.view.Strip()->Labels().back().text, labels.back().text);
    EXPECT_EQ(run.view.Status().substr(0, 30), "Paused, 100 ticks (25 s) behin");
    // Under the pointer, the values of tick 200 while the ring still has them.
    run.Input(WindowInput::Kind::kPointer, WindowInput::Key::kOther, 0, 300);
    EXPECT_EQ(run.view.Status().find("10:00:50  one"), c.keptPlots == 2 ? std::string::npos : 52);
    run.Input(WindowInput::Kind::kPointerLeft);
    run.Input(WindowInput::Kind::kKey, WindowInput::Key::kRight);
    EXPECT_EQ(run.view.View().Tick(), std::max(c.later, 202));
  }
}

TEST(ChartView, TheValuesUnderAColumnComeFromTheKeptTicks) {
  ChartRun run;
  while (run.ticks < 200) run.Tick();
  // Column 300 ends tick 199's segment, 291 tick 198's; 19 is left of the plot.
  const auto at = [&](int x) { return ValuesAtColumn(run.history, run.view.Geometry(), x); };
  ASSERT_TRUE(at(300).has_value());
  EXPECT_EQ(at(300)->tick, 199);
  EXPECT_EQ(at(291)->tick, 198);
  EXPECT_FALSE(at(19).has_value());
  EXPECT_EQ(ColumnValuesText(run.history, *at(300)), "2026-12-08 10:00:49.750  one 38  two -");
  // Tick 196 has both values (line two every seventh tick).
  EXPECT_EQ(ColumnValuesText(run.history, *at(273)), "2026-12-08 10:00:49  one 18  two -12");
  // The oldest tick the ring keeps still shows its values; the one before it is gone.
  ChartRun two(2);
  while (two.ticks < 200) two.Tick();
  TickGeometry g = two.history.Geometry();
  g.last = two.history.OldestKept();
  EXPECT_EQ(ValuesAtColumn(two.history, g, 300)->tick, 111);
  g.last -= 1;
  EXPECT_FALSE(ValuesAtColumn(two.history, g, 300).has_value());
  // Without a time the tick's number, counted from 1.
  EXPECT_EQ(ColumnValuesText(run.history, ColumnValues{41, TickTime(), {1.5, std::nullopt}}), "tick 42  one 1.5  two -");
  // In the title, after the window's own name.
  run.view.Title("Trend");
  EXPECT_EQ(run.Window().TitleText(), "Trend");  // shown at once
  run.Input(WindowInput::Kind::kPointer, WindowInput::Key::kOther, 0, 273);
  EXPECT_EQ(run.Window().TitleText(), "Trend - 2026-12-08 10:00:49  one 18  two -12");
  run.Input(WindowInput::Kind::kPointerLeft);
  EXPECT_EQ(run.Window().TitleText(), "Trend");
}

TEST(ChartView, AViewGoneLeavesTheWindowToTheControl) {
  ChartRun run;
  run.Tick();
  {
    ChartView other(run.site, run.chart, run.history);
    other.Update();
    EXPECT_NE(run.Window().ShownBelow(), nullptr);
  }
  EXPECT_EQ(run.Window().ShownBelow(), nullptr);
  EXPECT_EQ(&run.Window().Shown(), &run.site.GetSurface());
  run.Input(WindowInput::Kind::kKey, WindowInput::Key::kSpace);  // heard by no one
  EXPECT_FALSE(run.view.Paused());
}

}  // namespace
}  // namespace kavrin::host

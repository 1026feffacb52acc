// The margins widened for what the chart draws beside the plot: every key of the legend
// is drawn whole, and the unit lies on the surface, whichever sides title and scale take.
#include "host/margin_fit.h"

#include <gtest/gtest.h>

#include "chart/line_chart.h"
#include "control/kavrin_line_chart.h"
#include "host/form.h"
#include "host/standard_controls.h"
#include "tests/support/pixels.h"

namespace kavrin::host {
namespace {

TEST(MarginFit, KeysAndUnitFitWhereverTitleAndScaleAre) {
  struct Case {
    Integer titlePos, measurePos;
    const char* unit;
  };
  const Case cases[] = {{2, 0, ""}, {0, 0, "kPa"}, {3, 1, "kPa"}, {1, 0, "kPa"}, {1, 1, "mV"}, {2, 2, ""}};
  const std::vector<std::string> keys{"temperature_outside", "rh"};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "title " << c.titlePos << ", scale " << c.measurePos << ", unit " << c.unit);
    Form form;
    RegisterStandardControls(form);
    ControlSite& site = form.Add("KavrinLineChart", "", 640, 240);
    auto& chart = *site.ControlAs<KavrinLineChart>();
    chart.Title("Rig");
    chart.TitlePos(c.titlePos);
    chart.MeasurePos(c.measurePos);
    chart.Unit(c.unit);
    chart.Min(-20000);
    chart.Max(100000);
    chart.ValueSpace(20000);
    site.Events()->Resize();
    ASSERT_TRUE(FitMargins(chart, MarginFit{keys, form.Font()}));
    site.Events()->Resize();
    EXPECT_GE(chart.MeasureWidth(), 6);  // "100000"
    // Fitting again finds nothing to widen.
    EXPECT_FALSE(FitMargins(chart, MarginFit{keys, form.Font()}));
    for (const auto& k : keys) chart.AddLine(k, RGB(255, 0, 0));

    const cLineChart& engine = *chart.Chart();
    const RECT text = engine.rcLegendText();
    const RECT frame = engine.rcFrame();
    EXPECT_GE(text.left, 0);
    EXPECT_LE(text.right, frame.right);
    if (*c.unit != '\0') {
      EXPECT_GE(engine.rcUnit().left, 0);
      EXPECT_LE(engine.rcUnit().right, frame.right);
    }
    // A key cut at the end of its column would leave ink in the column's last pixels;
    // the keys have ink, and none there.
    const auto img = test::Capture(static_cast<HDC>(LongToHandle(site.hDC())), 640, 240);
    const COLORREF back = img.at(frame.right - 1, frame.bottom - 1);
    int ink = 0;
    int cut = 0;
    const int top = text.top + engine.iCutCharH();
    const int bottom = std::min<int>(top + 3 * (engine.iCutCharH() + 2), frame.bottom);
    for (int y = top; y < bottom; ++y) {
      for (int x = std::max<int>(text.left, 0); x <= text.right; ++x) {
        if (img.at(x, y) == back) continue;
        ++ink;
        if (x >= text.right - 1) ++cut;
      }
    }
    EXPECT_GT(ink, 50);
    EXPECT_EQ(cut, 0);

  }
}

TEST(MarginFit, MarginsOnlyWiden) {
  Form form;
  RegisterStandardControls(form);
  ControlSite& site = form.Add("KavrinLineChart", "", 320, 240);
  auto& chart = *site.ControlAs<KavrinLineChart>();
  chart.Dist("90,100,7,8");
  site.Events()->Resize();
  MarginFit fit{{"a"}, form.Font()};
  fit.keepMeasureWidth = true;
  EXPECT_FALSE(FitMargins(chart, fit));
  EXPECT_EQ(chart.Dist(), "90,100,7,8");
  // A margin never grows past its share of the width (0.4 of 319).
  fit.keys = {std::string(200, 'w')};
  EXPECT_TRUE(FitMargins(chart, fit));
  EXPECT_EQ(chart.Dist(), "90,127,7,8");
}

}  // namespace
}  // namespace kavrin::host

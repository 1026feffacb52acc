// KavrinLineChart sited on a form: placed, driven for some ticks, saved and loaded with
// every property, its ticks shown through the window's invalidations, its picture saved.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/image_decode.h"
#include "common/vb_error.h"
#include "control/kavrin_line_chart.h"
#include "host/form.h"
#include "host/headless_window.h"
#include "host/standard_controls.h"
#include "tests/support/pixels.h"

namespace kavrin::host {
namespace {

class SitedLineChart : public testing::Test {
 protected:
  void SetUp() override { RegisterStandardControls(form_); }
  static KavrinLineChart& Chart(ControlSite& s) { return *s.ControlAs<KavrinLineChart>(); }
  Form form_;
};

TEST_F(SitedLineChart, NewChartSavesOnlyItsBooleanEntries) {
  form_.Add("KavrinLineChart");
  EXPECT_EQ(form_.Save(),
            "Begin Form Form1\n"
            "   Begin KavrinLineChart KavrinLineChart1\n"
            "      bValueLineDisp = True\n"
            "      bTimeLineDisp = True\n"
            "   End\n"
            "End\n");
}

TEST_F(SitedLineChart, TicksAreShownThroughThePlotsInvalidation) {
  ControlSite& site = form_.Add("KavrinLineChart");
  KavrinLineChart& chart = Chart(site);
  auto& window = dynamic_cast<HeadlessWindow&>(site.Window());
  chart.AddLine("Pressure", RGB(255, 0, 0));
  window.TakeInvalidations();
  chart.SetValue(1, 12.5);
  chart.Movie();
  const auto rects = window.TakeInvalidations();
  ASSERT_FALSE(rects.empty());
  // The work rectangle of a 320 x 240 surface with the default margins, exclusive edges.
  EXPECT_EQ(rects.back().left, 20);
  EXPECT_EQ(rects.back().top, 20);
  EXPECT_EQ(rects.back().right, 301);
  EXPECT_EQ(rects.back().bottom, 211);
}

TEST_F(SitedLineChart, PlaceTickSaveLoadGivesBackEveryProperty) {
  auto ambient = std::make_shared<StdFont>("Tahoma", 9);
  form_.Font(ambient);
  ControlSite& site = form_.Add("KavrinLineChart", "Trend", 400, 300);
  KavrinLineChart& c = Chart(site);
  c.ValueLineColor(RGB(0, 64, 0));
  c.TimeLineColor(RGB(0, 0, 64));
  c.Title("Pressure \"P1\"\\bar");
  c.Zoom(1.5);
  auto measure = std::make_shared<StdFont>("Courier New", 7.5);
  measure->Italic(true);
  c.MeasureFont(measure);
  c.MeasureColor(RGB(1, 2, 3));
  c.TitlePos(2);
  auto title = std::make_shared<StdFont>("Times New Roman", 14);
  title->Weight(600);
  title->Underline(true);
  title->Strikethrough(true);
  title->Charset(0);
  c.TitleFont(title);
  c.TitleColor(RGB(200, 0, 0));
  c.MeasurePos(2);
  auto legend = std::make_shared<StdFont>("Arial", 10, true);
  c.CutLineFont(legend);
  c.bValueLineDisp(False);
  c.bTimeLineDisp(True);
  c.BackColor(RGB(240, 240, 230));
  c.ChartBackColor(RGB(10, 10, 30));
  c.BorderWidth(3);
  c.BorderColor(RGB(90, 90, 90));
  c.ValueSpace(2.5);
  c.Min(-7.25);
  c.Max(12.75);
  c.MeasureWidth(5);
  c.Unit("mV");
  auto unit = std::make_shared<StdFont>("Arial", 8);
  c.UnitFont(unit);
  c.Dist("30,25,15,40");
  EXPECT_TRUE(form_.Dirty());
  site.SetSize(401, 300);  // reconfigures with the new settings
  c.AddLine("P1", RGB(255, 0, 0));
  for (int t = 0; t < 25; ++t) {
    c.SetValue(1, t * 0.5 - 3);
    c.Movie();
  }
  const std::string text = form_.Save();
  EXPECT_FALSE(form_.Dirty());

  Form other;
  RegisterStandardControls(other);
  other.Load(text);
  ASSERT_EQ(other.Count(), 1u);
  ControlSite& site2 = other.At(0);
  KavrinLineChart& d = Chart(site2);
  EXPECT_EQ(site2.Name(), "Trend");
  EXPECT_EQ(site2.ScaleWidth(), 401.0f);
  EXPECT_EQ(site2.ScaleHeight(), 300.0f);
  EXPECT_EQ(d.ValueLineColor(), c.ValueLineColor());
  EXPECT_EQ(d.TimeLineColor(), c.TimeLineColor());
  EXPECT_EQ(d.Title(), c.Title());
  EXPECT_EQ(d.Zoom(), 1.5);
  EXPECT_TRUE(d.MeasureFont()->SameDescription(*measure));
  EXPECT_EQ(d.MeasureColor(), c.MeasureColor());
  EXPECT_EQ(d.TitlePos(), 2);
  EXPECT_TRUE(d.TitleFont()->SameDescription(*title));
  EXPECT_EQ(d.TitleColor(), c.TitleColor());
  EXPECT_EQ(d.MeasurePos(), 2);
  EXPECT_TRUE(d.CutLineFont()->SameDescription(*legend));
  EXPECT_EQ(d.bValueLineDisp(), False);
  EXPECT_EQ(d.bTimeLineDisp(), True);
  EXPECT_EQ(d.BackColor(), c.BackColor());
  EXPECT_EQ(d.ChartBackColor(), c.ChartBackColor());
  EXPECT_EQ(d.BorderWidth(), 3);
  EXPECT_EQ(d.BorderColor(), c.BorderColor());
  EXPECT_EQ(d.ValueSpace(), 2.5);
  EXPECT_EQ(d.Min(), -7.25);
  EXPECT_EQ(d.Max(), 12.75);
  EXPECT_EQ(d.MeasureWidth(), 5);
  EXPECT_EQ(d.Unit(), "mV");
  EXPECT_TRUE(d.UnitFont()->SameDescription(*unit));
  EXPECT_EQ(d.Dist(), "30,25,15,40");
  EXPECT_TRUE(other.Font()->SameDescription(*ambient));
  // The loaded surface shows the loaded background colour outside the chart.
  EXPECT_EQ(GetPixel(site2.GetSurface().Dc(), 0, 0) & 0xFFFFFF, static_cast<COLORREF>(RGB(240, 240, 230)));
  // The loaded chart is configured and runs.
  d.AddLine("P1", RGB(255, 0, 0));
  d.SetValue(1, 1);
  EXPECT_NO_THROW(d.Movie());
  EXPECT_EQ(other.Save(), text);
}

TEST_F(SitedLineChart, ABadStoredValueStopsTheLoadWithTypeMismatch) {
  const std::string text =
      "Begin Form Form1\n"
      "   Begin KavrinLineChart KavrinLineChart1\n"
      "      Title = \"ok\"\n"
      "      Zoom = \"fast\"\n"
      "   End\n"
      "End\n";
  try {
    form_.Load(text);
    FAIL() << "loaded";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kTypeMismatch);
  }
  EXPECT_EQ(form_.Count(), 0u);
  // A Dist of two items loads every entry and then fails in the configuration.
  try {
    form_.Load("Begin Form Form1\n Begin KavrinLineChart C\n  Dist = \"20,20\"\n End\nEnd\n");
    FAIL() << "loaded";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kSubscript);
  }
}

TEST_F(SitedLineChart, AValueTheChartCannotTakeNamesItsLine) {
  struct Case {
    const char* entry;
    int error;
  };
  // Converted by the form or the control after the bag gave the value, or checked as the
  // surface's colour.
  for (const Case& c : {Case{"Min = \"abc\"", err::kTypeMismatch}, Case{"TitleFont = 5", err::kTypeMismatch},
                        Case{"_Width = \"wide\"", err::kTypeMismatch},
                        Case{"BackColor = 305419896&", err::kInvalidPropertyValue}}) {
    const std::string text = std::string("Begin Form Form1\n Begin KavrinLineChart C\n  Title = \"t\"\n  ") +
                             c.entry + "\n  ChartBackColor = 5&\n End\nEnd\n";
    try {
      form_.Load(text);
      ADD_FAILURE() << c.entry << " loaded";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), c.error) << c.entry;
      const std::string name = std::string(c.entry).substr(0, std::string(c.entry).find(' '));
      EXPECT_THAT(e.what(), testing::HasSubstr("form text line 4: " + name)) << e.what();
    }
  }
}

TEST_F(SitedLineChart, ExportPictureWritesTheSurfaceAsABitmap) {
  ControlSite& site = form_.Add("KavrinLineChart");
  KavrinLineChart& c = Chart(site);
  c.AddLine("A", RGB(0, 255, 0));
  for (int t = 0; t < 8; ++t) {
    c.SetValue(1, t * 5.0);
    c.Movie();
  }
  const std::string dir = test::OutputDir() + "/host_export";
  std::filesystem::create_directories(dir);
  std::filesystem::remove(dir + "/chart.bmp");
  Variant path(dir);
  c.ExportPicture(path, "chart.bmp");
  const DecodedImage img = DecodeImageFile(dir + "/chart.bmp");
  ASSERT_EQ(img.width, 320);
  ASSERT_EQ(img.height, 240);
  const auto surface = test::Capture(site.GetSurface().Dc(), 320, 240);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      const COLORREF c2 = surface.at(x, y);
      ASSERT_EQ(img.pixels[y * 320 + x], static_cast<uint32_t>(GetRValue(c2) << 16 | GetGValue(c2) << 8 | GetBValue(c2)))
          << x << "," << y;
    }
  std::filesystem::remove(dir + "/chart.bmp");
}

TEST_F(SitedLineChart, ReconfigureAppliesStoredSettingsAtTheSameSize) {
  ControlSite& site = form_.Add("KavrinLineChart");
  KavrinLineChart& c = Chart(site);
  const cLineChart* before = c.Chart();
  c.Dist("40,20,20,30");
  site.Reconfigure();
  // A new engine at the same size, drawn with the new margins: the plot's left edge moved
  // from x 20 to x 40, so x 30 is margin now (the control's white BackColor).
  EXPECT_NE(c.Chart(), before);
  EXPECT_EQ(site.ScaleWidth(), 320.0f);
  EXPECT_EQ(GetPixel(site.GetSurface().Dc(), 30, 100), RGB(255, 255, 255));
}

TEST_F(SitedLineChart, ExportsTakeStringLiterals) {
  ControlSite& site = form_.Add("KavrinLineChart");
  KavrinLineChart& c = Chart(site);
  const std::string dir = test::OutputDir() + "/host_literals";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  c.ExportData(True, dir, "a.log");
  c.Movie();
  c.ExportData(False);
  EXPECT_TRUE(std::filesystem::exists(dir + "/a.log"));
  EXPECT_EQ(c.ExportPicture(dir, "a.bmp"), True);
  EXPECT_EQ(c.ExportPicture(dir, "a.bmp"), False);  // never overwrites
}

}  // namespace
}  // namespace kavrin::host

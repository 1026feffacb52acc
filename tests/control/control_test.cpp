#include "tests/support/errors.h"
#include "control/kavrin_line_chart.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "common/vb_error.h"
#include "fake_container.h"
#include "tests/support/pixels.h"

namespace kavrin {
namespace {

namespace fs = std::filesystem;
using test::FakeSite;

using kavrin::test::ErrorOf;

class Control : public testing::Test {
 protected:
  // A new instance as a container makes one: InitProperties, then the first Resize.
  void Place() {
    ctl.InitProperties();
    ctl.Resize();
    site.log.clear();
    site.changed.clear();
  }
  test::Image Snapshot() { return test::Capture(site.Dc(), site.Width(), site.Height()); }
  int DifferentPixels(const test::Image& a, const test::Image& b) { return test::Compare(a, b).count; }
  // Share of the plot's pixels (inside the default work rectangle) in one colour.
  double PlotShare(COLORREF color) {
    int hits = 0, total = 0;
    for (int y = 21; y < 210; ++y) {
      for (int x = 21; x < 300; ++x, ++total) hits += GetPixel(site.Dc(), x, y) == color;
    }
    return static_cast<double>(hits) / total;
  }

  FakeSite site;
  KavrinLineChart ctl{site};
};

TEST_F(Control, NewInstanceTakesTheDefaultsAndAFontPerRead) {
  ctl.InitProperties();
  EXPECT_EQ(ctl.ValueLineColor(), 32768);
  EXPECT_EQ(ctl.TimeLineColor(), 32768);
  EXPECT_EQ(ctl.Title(), "Kavrin Line Chart");
  EXPECT_EQ(ctl.Zoom(), 1.0);
  EXPECT_EQ(ctl.MeasureColor(), 192);
  EXPECT_EQ(ctl.TitlePos(), 3);
  EXPECT_EQ(ctl.TitleColor(), 0);
  EXPECT_EQ(ctl.MeasurePos(), 0);
  EXPECT_EQ(ctl.bValueLineDisp(), True);
  EXPECT_EQ(ctl.bTimeLineDisp(), True);
  EXPECT_EQ(ctl.BackColor(), 16777215);
  EXPECT_EQ(ctl.ChartBackColor(), 0);
  EXPECT_EQ(ctl.BorderWidth(), 1);
  EXPECT_EQ(ctl.BorderColor(), 8421504);
  EXPECT_EQ(ctl.ValueSpace(), 10.0);
  EXPECT_EQ(ctl.Min(), -50.0);
  EXPECT_EQ(ctl.Max(), 50.0);
  EXPECT_EQ(ctl.MeasureWidth(), 3);
  EXPECT_EQ(ctl.Unit(), "");
  EXPECT_EQ(ctl.Dist(), "20,20,20,30");
  // Four separate reads of the ambient font, each object kept as returned.
  EXPECT_EQ(std::count(site.log.begin(), site.log.end(), "AmbientFont"), 4);
  const FontRef fonts[] = {ctl.MeasureFont(), ctl.TitleFont(), ctl.CutLineFont(), ctl.UnitFont()};
  for (const FontRef& f : fonts) {
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->SameDescription(*site.ambient));
  }
  EXPECT_NE(fonts[0], fonts[1]);
  // No engine yet, no change reported, and the surface keeps the container's colour.
  EXPECT_EQ(ctl.Chart(), nullptr);
  EXPECT_TRUE(site.changed.empty());
  EXPECT_FALSE(site.Logged("BackColor 16777215"));
}

TEST_F(Control, SiteWithoutAmbientFontGivesTheDefaultDescription) {
  site.ambient = nullptr;
  ctl.InitProperties();
  ASSERT_TRUE(ctl.TitleFont());
  EXPECT_EQ(ctl.TitleFont()->Name(), "MS Sans Serif");
  EXPECT_DOUBLE_EQ(ctl.TitleFont()->Size(), 8.25);
  EXPECT_NE(ctl.TitleFont(), ctl.UnitFont());
}

TEST_F(Control, EngineMethodsBeforeTheFirstResizeRaise91) {
  ctl.InitProperties();
  EXPECT_EQ(ErrorOf([&] { ctl.SetValue(1, 2.0); }), 91);
  EXPECT_EQ(ErrorOf([&] { ctl.Movie(); }), 91);
  EXPECT_EQ(ErrorOf([&] { ctl.AddLine("a", 255); }), 91);
  EXPECT_EQ(ErrorOf([&] { ctl.ExportData(True); }), 91);
  // BackColor stores, reports and paints the surface before it needs the engine.
  EXPECT_EQ(ErrorOf([&] { ctl.BackColor(255); }), 91);
  EXPECT_EQ(ctl.BackColor(), 255);
  EXPECT_EQ(site.changed, std::vector<std::string>{"BackColor"});
  EXPECT_EQ(site.Back(), 255u);
}

TEST_F(Control, ResizeClearsConfiguresAndRefreshes) {
  ctl.InitProperties();
  site.log.clear();
  ctl.Resize();
  ASSERT_GE(site.log.size(), 4u);
  EXPECT_EQ(site.log.front(), "Cls");
  EXPECT_EQ(site.log[1], "hDC");
  EXPECT_EQ(site.log[2], "hWnd");
  EXPECT_EQ(site.log.back(), "Refresh");
  ASSERT_NE(ctl.Chart(), nullptr);
  // Border on the frame (0, 0, 319, 239), black plot inside the work rectangle.
  EXPECT_EQ(GetPixel(site.Dc(), 0, 0), RGB(128, 128, 128));
  EXPECT_EQ(GetPixel(site.Dc(), 319, 239), RGB(128, 128, 128));
  EXPECT_GT(PlotShare(RGB(0, 0, 0)), 0.8);
}

TEST_F(Control, ResizeReplacesTheEngineAndItsLines) {
  Place();
  const cLineChart* first = ctl.Chart();
  const test::Image fresh = Snapshot();
  ctl.AddLine("Temperature", RGB(255, 0, 0));
  ctl.SetValue(1, 12.5);
  ctl.Movie();
  ASSERT_GT(DifferentPixels(fresh, Snapshot()), 0);  // legend and the first segment
  ctl.Resize();
  EXPECT_NE(ctl.Chart(), first);
  EXPECT_EQ(test::Compare(fresh, Snapshot()).Describe(), test::Difference{}.Describe())
      << "a resized chart shows no line of the engine before";
}

// Nothing is a font setting like any other: it reads back as Nothing and draws as the
// default font, never failing the configuration.
TEST_F(Control, FontsSetToNothingDrawAsTheDefaultFont) {
  site.ambient = nullptr;  // the fonts of a new instance are the default description
  Place();
  const test::Image defaults = Snapshot();
  ctl.TitleFont(nullptr);
  ctl.MeasureFont(nullptr);
  ctl.CutLineFont(nullptr);
  ctl.UnitFont(nullptr);
  ctl.Resize();
  EXPECT_EQ(ctl.CutLineFont(), nullptr);
  EXPECT_EQ(test::Compare(defaults, Snapshot()).Describe(), test::Difference{}.Describe());
}

TEST_F(Control, ResizeFollowsTheSurfaceSize) {
  Place();
  site.SetSize(400, 300);
  ctl.Resize();
  EXPECT_EQ(GetPixel(site.Dc(), 399, 150), RGB(128, 128, 128));
  EXPECT_EQ(GetPixel(site.Dc(), 200, 299), RGB(128, 128, 128));
}

TEST_F(Control, MarginsFailAfterTheNewEngineReplacedTheOld) {
  Place();
  const cLineChart* configured = ctl.Chart();
  ctl.Dist("20,20,20");
  site.log.clear();
  EXPECT_EQ(ErrorOf([&] { ctl.Resize(); }), 9);
  EXPECT_NE(ctl.Chart(), nullptr);
  EXPECT_NE(ctl.Chart(), configured);
  EXPECT_EQ(site.log, std::vector<std::string>{"Cls"}) << "no setting, no Start, no Refresh";

  ctl.Dist("40000,0,0,0");
  EXPECT_EQ(ErrorOf([&] { ctl.Resize(); }), 6);
  ctl.Dist("a,b,c,d");
  EXPECT_EQ(ErrorOf([&] { ctl.Resize(); }), 0);
}

TEST_F(Control, PropertyLetsStoreAndReportWithoutRepainting) {
  Place();
  const test::Image before = Snapshot();
  const FontRef font = std::make_shared<StdFont>("Courier New", 12);
  ctl.ValueLineColor(1);
  ctl.TimeLineColor(2);
  ctl.Title("T");
  ctl.Zoom(2.5);
  ctl.MeasureFont(font);
  ctl.MeasureColor(3);
  ctl.TitlePos(0);
  ctl.TitleFont(font);
  ctl.TitleColor(4);
  ctl.MeasurePos(2);
  ctl.CutLineFont(font);
  ctl.bValueLineDisp(False);
  ctl.bTimeLineDisp(False);
  ctl.ChartBackColor(RGB(0, 0, 255));
  ctl.BorderWidth(-3);
  ctl.BorderColor(5);
  ctl.ValueSpace(0);
  ctl.Min(7);
  ctl.Max(7);
  ctl.MeasureWidth(9);
  ctl.Unit("mV");
  ctl.UnitFont(font);
  ctl.Dist(" 1,2,3,4 ");
  const std::vector<std::string> expected = {
      "ValueLineColor", "TimeLineColor", "Title", "Zoom", "MeasureFont", "MeasureColor", "TitlePos",
      "TitleFont", "TitleColor", "MeasurePos", "CutLineFont", "bValueLineDisp", "bTimeLineDisp",
      "ChartBackColor", "BorderWidth", "BorderColor", "ValueSpace", "Min", "Max", "MeasureWidth",
      "Unit", "UnitFont", "Dist"};
  EXPECT_EQ(site.changed, expected);
  EXPECT_EQ(DifferentPixels(before, Snapshot()), 0);
  EXPECT_EQ(ctl.MeasureFont(), font);  // the object itself, not a copy
  EXPECT_EQ(ctl.UnitFont(), font);
  EXPECT_EQ(ctl.Dist(), " 1,2,3,4 ");
  EXPECT_EQ(ctl.BorderWidth(), -3);
  EXPECT_EQ(ctl.Max(), 7.0);
}

TEST_F(Control, NewSettingsReachTheScreenAtTheNextResize) {
  Place();
  ctl.ChartBackColor(RGB(0, 0, 255));
  EXPECT_GT(PlotShare(RGB(0, 0, 0)), 0.8);
  ctl.Resize();
  EXPECT_GT(PlotShare(RGB(0, 0, 255)), 0.8);
}

TEST_F(Control, OutOfRangePositionsAndBlankMarginsAreIgnored) {
  Place();
  ctl.TitlePos(2);
  ctl.TitlePos(4);
  ctl.TitlePos(-1);
  EXPECT_EQ(ctl.TitlePos(), 2);
  ctl.MeasurePos(2);
  ctl.MeasurePos(3);
  ctl.MeasurePos(-1);
  EXPECT_EQ(ctl.MeasurePos(), 2);
  ctl.Dist("   ");
  ctl.Dist("");
  EXPECT_EQ(ctl.Dist(), "20,20,20,30");
  EXPECT_EQ(site.changed, (std::vector<std::string>{"TitlePos", "MeasurePos"}));
}

TEST_F(Control, BackColorRepaintsAtOnce) {
  Place();
  const COLORREF yellow = RGB(255, 255, 0);
  ctl.BackColor(static_cast<Long>(yellow));
  const std::vector<std::string> expected = {"PropertyChanged BackColor", "BackColor " + std::to_string(yellow),
                                             "hDC", "hWnd"};
  EXPECT_EQ(site.log, expected);
  EXPECT_EQ(GetPixel(site.Dc(), 2, 2), yellow);  // the surface's own background
  EXPECT_EQ(GetPixel(site.Dc(), 0, 0), RGB(128, 128, 128));  // the chart is back on top of it
  EXPECT_GT(PlotShare(RGB(0, 0, 0)), 0.8);
}

TEST_F(Control, AColourTheSurfaceCannotTakeIsRefusedBeforeAnythingChanges) {
  Place();
  // Neither RGB (high byte 0) nor a system colour (0x80 with an index up to 30).
  for (const uint32_t bad : {0x12345678u, 0x800000FFu, 0xFF000000u}) {
    EXPECT_EQ(test::ErrorOf([&] { ctl.BackColor(static_cast<Long>(bad)); }), 380) << std::hex << bad;
    EXPECT_EQ(ctl.BackColor(), 16777215);
  }
  EXPECT_TRUE(site.log.empty());
  EXPECT_TRUE(site.changed.empty());
  ctl.BackColor(static_cast<Long>(0x80000005u));  // the window colour: a system colour is taken
  EXPECT_EQ(ctl.BackColor(), static_cast<Long>(0x80000005u));
}

TEST_F(Control, TerminateReleasesTheEngine) {
  Place();
  ctl.AddLine("a", 255);
  ctl.Terminate();
  EXPECT_EQ(ctl.Chart(), nullptr);
  EXPECT_EQ(ErrorOf([&] { ctl.Movie(); }), 91);
}

TEST_F(Control, DataAndTicksReachTheEngine) {
  Place();
  ctl.AddLine("a", RGB(255, 0, 0), nullptr, True, RGB(0, 255, 0));
  ctl.SetValue(1, 0.0);
  const test::Image before = Snapshot();
  for (int i = 0; i < 5; ++i) ctl.Movie();
  EXPECT_GT(DifferentPixels(before, Snapshot()), 0);
  EXPECT_GT(site.Invalidations(), 0);
  ctl.SetValue(0, 1.0);   // unknown line numbers are no error
  ctl.SetValue(99, 1.0);
}

// ---- ExportPicture ----

class ExportPicture : public Control {
 protected:
  void SetUp() override {
    dir = fs::path(test::OutputDir()) / ("export_picture_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    Place();
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(ExportPicture, WritesANewFileAndExtendsTheCallersPath) {
  Variant path(dir.string());
  EXPECT_EQ(ctl.ExportPicture(path, "a.bmp"), True);
  EXPECT_EQ(path.ToString(), dir.string() + "\\");
  EXPECT_TRUE(fs::exists(dir / "a.bmp"));
  EXPECT_TRUE(site.Logged("SavePicture " + dir.string() + "\\a.bmp"));
  // The same call again: the file exists and stays as it is.
  std::ofstream(dir / "a.bmp") << "keep";
  EXPECT_EQ(ctl.ExportPicture(path, "a.bmp"), False);
  EXPECT_EQ(path.ToString(), dir.string() + "\\");
  std::ifstream in(dir / "a.bmp");
  std::string content;
  in >> content;
  EXPECT_EQ(content, "keep");
}

TEST_F(ExportPicture, APathEndingInASeparatorIsKept) {
  Variant slash(dir.string() + "/");
  EXPECT_EQ(ctl.ExportPicture(slash, "b"), True);
  EXPECT_EQ(slash.ToString(), dir.string() + "/");
  EXPECT_TRUE(fs::exists(dir / "b"));  // no extension added
  Variant backslash(dir.string() + "\\");
  EXPECT_EQ(ctl.ExportPicture(backslash, "c.bmp"), True);
  EXPECT_EQ(backslash.ToString(), dir.string() + "\\");
}

TEST_F(ExportPicture, QuietEndsWriteNothing) {
  Variant path(dir.string());
  EXPECT_EQ(ctl.ExportPicture(path, ""), False);
  EXPECT_EQ(path.ToString(), dir.string());  // untouched: the call ended before the path
  Variant missing((dir / "nowhere").string());
  EXPECT_EQ(ctl.ExportPicture(missing, "a.bmp"), False);
  EXPECT_FALSE(fs::exists(dir / "nowhere"));
  // An empty or blank folder is no folder: nothing goes to the root of the drive.
  Variant empty("");
  EXPECT_EQ(ctl.ExportPicture(empty, "kavrin_export_test.bmp"), False);
  EXPECT_EQ(empty.ToString(), "");
  Variant blank("  ");
  EXPECT_EQ(ctl.ExportPicture(blank, "kavrin_export_test.bmp"), False);
  Variant none;
  EXPECT_EQ(ctl.ExportPicture(none, "kavrin_export_test.bmp"), False);
  EXPECT_EQ(std::count_if(site.log.begin(), site.log.end(),
                          [](const std::string& s) { return s.rfind("SavePicture", 0) == 0; }),
            0);
  EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(ExportPicture, WriteErrorsAreRaised) {
  Variant path(dir.string());
  EXPECT_EQ(ErrorOf([&] { ctl.ExportPicture(path, "no/such/folder.bmp"); }), 75);
  site.failWrites = true;
  EXPECT_EQ(ErrorOf([&] { ctl.ExportPicture(path, "a.bmp"); }), 75);
}

// A container that reports no error but wrote nothing: the picture is not there, so the
// answer is False.
TEST_F(ExportPicture, AWriteThatLeftNoFileIsNoSuccess) {
  site.dropWrites = true;
  Variant path(dir.string());
  EXPECT_EQ(ctl.ExportPicture(path, "a.bmp"), False);
  EXPECT_TRUE(site.Logged("SavePicture " + dir.string() + "\\a.bmp"));
  EXPECT_FALSE(fs::exists(dir / "a.bmp"));
}

TEST_F(ExportPicture, TheSavedPictureIsTheSurface) {
  Variant path(dir.string());
  ASSERT_EQ(ctl.ExportPicture(path, "size.bmp"), True);
  std::ifstream in(dir / "size.bmp");
  std::string bm, size;
  in >> bm >> size;
  EXPECT_EQ(size, "320x240");
}

// ---- resources ----

TEST_F(Control, ManyResizesLeaveNothingBehind) {
  Place();
  auto cycle = [&] {
    ctl.AddLine("a", 255);
    ctl.SetValue(1, 3.0);
    ctl.Movie();
    ctl.Resize();
    site.log.clear();  // the fake's own records are not the control's memory
    site.changed.clear();
  };
  for (int i = 0; i < 20; ++i) cycle();  // warm caches (glyphs, faces)
  const auto gdiBefore = gdi::CountLiveObjects();
  const size_t heapBefore = mallinfo2().uordblks;
  for (int i = 0; i < 1000; ++i) cycle();
  EXPECT_EQ(gdi::CountLiveObjects().Total(), gdiBefore.Total());
  const size_t heapAfter = mallinfo2().uordblks;
  EXPECT_LT(heapAfter, heapBefore + 64 * 1024) << "heap grew by " << (heapAfter - heapBefore) << " bytes";
}

}  // namespace
}  // namespace kavrin

// The form as a container: events in a container's order, sizes, change recording, the
// ambient font, and saving and loading a form with its controls.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "draw/gdi_host.h"
#include "host/form.h"
#include "host/form_text.h"
#include "host/headless_window.h"
#include "tests/host/fake_control.h"
#include "tests/support/errors.h"

namespace kavrin::host {
namespace {

using test::FakeChart;
using testing::ElementsAre;

class FormEvents : public testing::Test {
 protected:
  void SetUp() override {
    FakeChart::Log().clear();
    Register(form_);
  }
  static void Register(Form& form) {
    form.RegisterClass("FakeChart", [](ContainerSite& s) {
      static int next = 0;
      auto c = std::make_unique<SitedAs<FakeChart>>(s);
      c->Control().name = "F" + std::to_string(++next);
      return c;
    });
  }
  static FakeChart& Fake(ControlSite& s) { return *s.ControlAs<FakeChart>(); }
  std::vector<std::string> Events(const std::string& who) {
    std::vector<std::string> out;
    for (const auto& e : FakeChart::Log())
      if (e.rfind(who + ":", 0) == 0) out.push_back(e.substr(who.size() + 1));
    return out;
  }
  Form form_;
};

TEST_F(FormEvents, NewControlGetsInitThenResizeAndTerminateLast) {
  ControlSite& site = form_.Add("FakeChart");
  const std::string who = Fake(site).name;
  EXPECT_EQ(site.Name(), "FakeChart1");
  EXPECT_EQ(site.ScaleWidth(), 320.0f);
  EXPECT_EQ(site.ScaleHeight(), 240.0f);
  form_.Save();
  site.SetSize(400, 300);
  form_.Unload();
  EXPECT_THAT(Events(who), ElementsAre("InitProperties", "Resize", "WriteProperties", "Resize", "Terminate"));
  EXPECT_EQ(form_.Count(), 0u);
}

TEST_F(FormEvents, LoadedControlGetsReadThenResize) {
  form_.Add("FakeChart");
  const std::string text = form_.Save();
  Form other;
  Register(other);
  FakeChart::Log().clear();
  other.Load(text);
  ASSERT_EQ(other.Count(), 1u);
  EXPECT_THAT(Events(Fake(other.At(0)).name), ElementsAre("ReadProperties", "Resize"));
}

TEST_F(FormEvents, ResizeRebuildsTheSurfaceOnlyWhenTheSizeChanges) {
  ControlSite& site = form_.Add("FakeChart");
  const HBITMAP before = site.GetSurface().Bitmap();
  const auto live = gdi::CountLiveObjects();
  site.SetSize(320, 240);
  EXPECT_EQ(Fake(site).resizes, 1);
  for (int i = 0; i < 5; ++i) site.SetSize(100 + i * 37, 80 + i * 11);
  EXPECT_EQ(Fake(site).resizes, 6);
  EXPECT_NE(site.GetSurface().Bitmap(), before);
  EXPECT_EQ(site.ScaleWidth(), 248.0f);
  EXPECT_EQ(site.ScaleHeight(), 124.0f);
  // The old bitmaps are gone: no more live GDI objects than before the resizes.
  EXPECT_EQ(gdi::CountLiveObjects(), live);
  // The control drew into the new surface in its Resize: its box ends at half the new size.
  EXPECT_EQ(GetPixel(site.GetSurface().Dc(), 123, 61), RGB(200, 30, 60));
  EXPECT_EQ(GetPixel(site.GetSurface().Dc(), 124, 20), RGB(255, 255, 255));
  EXPECT_EQ(site.GetSurface().View().width, 248);
}

TEST_F(FormEvents, SizesOutsideTheLimitsAreRefused) {
  ControlSite& site = form_.Add("FakeChart");
  // The last: both sides allowed, but more pixels than the drawing layer makes a bitmap of.
  for (auto [w, h] : {std::pair{0, 10}, {10, -1}, {kMaxControlSide + 1, 10}, {kMaxControlSide, 4097}}) {
    try {
      site.SetSize(w, h);
      ADD_FAILURE() << w << " x " << h;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), err::kInvalidPropertyValue);
    }
  }
  EXPECT_EQ(site.ScaleWidth(), 320.0f);
  EXPECT_THROW(form_.Add("FakeChart", "", 0, 0), RuntimeError);
  EXPECT_EQ(form_.Count(), 1u);
}

TEST_F(FormEvents, AFormBoundsItsControlsAndTheirPixelsTogether) {
  // Two 8192 x 8192 controls are twice the budget: refused before either surface is made.
  const std::string two =
      "Begin Form F\n Begin FakeChart A\n  _Width = 8192\n  _Height = 8192\n End\n"
      " Begin FakeChart B\n  _Width = 8192\n  _Height = 8192\n End\nEnd\n";
  EXPECT_EQ(test::ErrorOf([&] { form_.Load(two); }), err::kInvalidPropertyValue);
  EXPECT_EQ(form_.Count(), 0u);
  ControlSite& small = form_.Add("FakeChart", "", 100, 100);
  EXPECT_EQ(test::ErrorOf([&] { form_.Add("FakeChart", "", 8192, 8192); }), err::kInvalidPropertyValue);
  ControlSite& big = form_.Add("FakeChart", "", 4096, 4096);
  // Growing one control past what the others leave is refused and changes nothing:
  // 8192 x 6145 + 4096 x 4096 is 8192 more than 8192 x 8192.
  EXPECT_EQ(test::ErrorOf([&] { small.SetSize(8192, 6145); }), err::kInvalidPropertyValue);
  EXPECT_EQ(small.ScaleWidth(), 100.0f);
  EXPECT_NO_THROW(big.SetSize(4096, 4100));
  form_.Unload();
  // Adding, as loading, stops at the largest number of controls.
  for (size_t i = 0; i < kMaxControlsPerForm; ++i) form_.Add("FakeChart", "", 8, 8);
  EXPECT_EQ(test::ErrorOf([&] { form_.Add("FakeChart", "", 8, 8); }), err::kInvalidCall);
  EXPECT_EQ(form_.Count(), kMaxControlsPerForm);
}

TEST_F(FormEvents, AHostCanDecideWhatAUserResizeDoes) {
  ControlSite& site = form_.Add("FakeChart");
  std::vector<std::pair<int, int>> asked;
  site.OnUserResize([&](int w, int h) { asked.emplace_back(w, h); });
  dynamic_cast<HeadlessWindow&>(site.Window()).UserResize(200, 150);
  EXPECT_THAT(asked, ElementsAre(std::pair{200, 150}));
  EXPECT_EQ(site.ScaleWidth(), 320.0f);
  EXPECT_EQ(Fake(site).resizes, 1);
}

TEST_F(FormEvents, UserResizeOfTheWindowResizesTheControl) {
  ControlSite& site = form_.Add("FakeChart");
  auto& window = dynamic_cast<HeadlessWindow&>(site.Window());
  window.UserResize(200, 150);
  EXPECT_EQ(site.ScaleWidth(), 200.0f);
  EXPECT_EQ(Fake(site).resizes, 2);
}

TEST_F(FormEvents, PropertyChangedMarksTheFormUntilSaved) {
  ControlSite& site = form_.Add("FakeChart");
  EXPECT_FALSE(form_.Dirty());
  site.PropertyChanged("Title");
  site.PropertyChanged("Zoom");
  site.PropertyChanged("Title");
  EXPECT_TRUE(form_.Dirty());
  EXPECT_THAT(site.Changed(), ElementsAre("Title", "Zoom"));
  form_.Save();
  EXPECT_FALSE(form_.Dirty());
}

TEST_F(FormEvents, AmbientFontIsANewObjectWithTheFormsDescriptionAtEachRead) {
  auto font = std::make_shared<StdFont>("Times New Roman", 12, true);
  form_.Font(font);
  ControlSite& site = form_.Add("FakeChart");
  const FontRef a = site.AmbientFont();
  const FontRef b = site.AmbientFont();
  EXPECT_NE(a, b);
  EXPECT_NE(a, font);
  EXPECT_TRUE(a->SameDescription(*font));
  form_.Font(nullptr);  // no font: the default description
  EXPECT_EQ(site.AmbientFont()->Name(), "MS Sans Serif");
  EXPECT_EQ(site.AmbientFont()->SizeCy(), 82500);
}

TEST_F(FormEvents, SavingAndLoadingGivesBackEveryPropertyAndSize) {
  auto ambient = std::make_shared<StdFont>("Tahoma", 9);
  form_.Font(ambient);
  ControlSite& a = form_.Add("FakeChart", "Left", 400, 300);
  ControlSite& b = form_.Add("FakeChart", "Right");
  FakeChart& fa = Fake(a);
  fa.color = 255;
  fa.title = "Pressure \"A\"\nline 2 \\ end";
  fa.zoom = 0.1;
  fa.pos = 2;
  fa.shown = False;
  fa.titleFont = std::make_shared<StdFont>("Courier New", 10.5);
  fa.titleFont->Italic(true);
  fa.titleFont->Charset(0);
  fa.unit = "mV";
  const std::string text = form_.Save();

  Form other;
  Register(other);
  other.Load(text);
  ASSERT_EQ(other.Count(), 2u);
  EXPECT_TRUE(other.Font()->SameDescription(*ambient));
  ControlSite& a2 = other.At(0);
  EXPECT_EQ(a2.Name(), "Left");
  EXPECT_EQ(a2.ScaleWidth(), 400.0f);
  EXPECT_EQ(a2.ScaleHeight(), 300.0f);
  FakeChart& f2 = Fake(a2);
  EXPECT_EQ(f2.color, 255);
  EXPECT_EQ(f2.title, fa.title);
  EXPECT_EQ(f2.zoom, 0.1);
  EXPECT_EQ(f2.pos, 2);
  EXPECT_EQ(f2.shown, False);
  EXPECT_TRUE(f2.titleFont->SameDescription(*fa.titleFont));
  EXPECT_EQ(f2.unit, "mV");
  // The unchanged control saved only what differs from its defaults; its font (the
  // ambient font's description) was left out and comes back as the ambient font.
  EXPECT_EQ(other.At(1).Name(), "Right");
  EXPECT_TRUE(Fake(other.At(1)).titleFont->SameDescription(*ambient));
  EXPECT_EQ(other.Save(), text);
  (void)b;
}

TEST_F(FormEvents, UnchangedControlSavesOnlyWhatDiffersFromItsDefaults) {
  form_.Add("FakeChart");
  EXPECT_EQ(form_.Save(),
            "Begin Form Form1\n"
            "   Begin FakeChart FakeChart1\n"
            "      Shown = True\n"
            "   End\n"
            "End\n");
}

TEST_F(FormEvents, ABadValueStopsLoadingAtItsEntryAndLeavesNoControl) {
  const std::string text =
      "Begin Form Form1\n"
      "   Begin FakeChart A\n"
      "   End\n"
      "   Begin FakeChart B\n"
      "      Color = 255&\n"
      "      Zoom = \"fast\"\n"
      "   End\n"
      "End\n";
  form_.Add("FakeChart", "Existing");
  try {
    form_.Load(text);
    FAIL() << "loaded";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kTypeMismatch);
  }
  EXPECT_EQ(form_.Count(), 0u);
  // Every control that was sited got its Terminate, the failing one included.
  int inits = 0, terminates = 0;
  for (const auto& e : FakeChart::Log()) {
    inits += e.ends_with(":InitProperties") || e.ends_with(":ReadProperties");
    terminates += e.ends_with(":Terminate");
  }
  EXPECT_EQ(inits, 3);
  EXPECT_EQ(terminates, 3);
}

TEST_F(FormEvents, TheHostsLinesAreSavedInALinesBlockAndComeBack) {
  ControlSite& site = form_.Add("FakeChart", "C");
  site.Lines() = {{"free, MB", 65535}, {"used \"x\"", 16776960}};
  const std::string text = form_.Save();
  EXPECT_THAT(text, testing::HasSubstr("      BeginProperty Lines\n         Key1 = \"free, MB\"\n         Color1 = 65535&\n"));
  Form other;
  Register(other);
  other.Load(text);
  const auto& lines = other.At(0).Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].key, "used \"x\"");
  EXPECT_EQ(lines[1].color, 16776960);
  EXPECT_EQ(other.Save(), text);

  // A form without the block loads with no lines; a block with a hole, a stray entry or a
  // second block is refused at its line.
  other.Load("Begin Form F\n Begin FakeChart X\n End\nEnd\n");
  EXPECT_TRUE(other.At(0).Lines().empty());
  const std::pair<const char*, const char*> bad[] = {
      {"BeginProperty Lines\n Key2 = \"b\"\n EndProperty\n", "no Key1"},
      {"BeginProperty Lines\n Pen1 = 3\n EndProperty\n", "line 4"},
      {"BeginProperty Lines\n Key1 = 3.5.1\n EndProperty\n", "line 4"},
      {"BeginProperty Lines\n EndProperty\n BeginProperty Lines\n", "line 5"},
  };
  for (const auto& [block, where] : bad) {
    std::string message;
    try {
      other.Load(std::string("Begin Form F\n Begin FakeChart X\n") + block + " End\nEnd\n");
    } catch (const RuntimeError& e) {
      message = e.what();
    }
    EXPECT_THAT(message, testing::HasSubstr(where)) << block;
  }
}

TEST_F(FormEvents, AMalformedTextChangesNothing) {
  form_.Add("FakeChart", "Kept");
  EXPECT_THROW(form_.Load("Begin Form F\n   Begin FakeChart X\n"), RuntimeError);
  ASSERT_EQ(form_.Count(), 1u);
  EXPECT_EQ(form_.At(0).Name(), "Kept");
  try {
    form_.Load("Begin Form F\n Begin Unknown X\n End\nEnd\n");
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kTypeMismatch);
    EXPECT_THAT(e.what(), testing::HasSubstr("line 2"));
  }
  // A stored size outside the limits is refused before any surface is made.
  EXPECT_THROW(form_.Load("Begin Form F\n Begin FakeChart X\n _Width = 100000&\n End\nEnd\n"), RuntimeError);
}

TEST_F(FormEvents, NamesAreCheckedWhenPlacing) {
  EXPECT_EQ(form_.Add("FakeChart").Name(), "FakeChart1");
  EXPECT_EQ(form_.Add("FakeChart").Name(), "FakeChart2");
  EXPECT_THROW(form_.Add("FakeChart", "FakeChart1"), RuntimeError);
  EXPECT_THROW(form_.Add("FakeChart", "no spaces"), RuntimeError);
  EXPECT_THROW(form_.Add("Nope"), RuntimeError);
  form_.Remove(*form_.Find("FakeChart1"));
  EXPECT_EQ(form_.Count(), 1u);
  EXPECT_EQ(form_.Add("FakeChart").Name(), "FakeChart1");
}

}  // namespace
}  // namespace kavrin::host

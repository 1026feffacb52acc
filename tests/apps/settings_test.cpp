// --set on a chart sited on a form: every property by name through the control's
// automation table, with colours as #RRGGBB and fonts as Name,Size,styles.
#include "apps/settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "control/kavrin_line_chart.h"
#include "host/form.h"
#include "host/standard_controls.h"

namespace kavrin::app {
namespace {

class Settings : public testing::Test {
 protected:
  void SetUp() override {
    host::RegisterStandardControls(form_);
    chart_ = form_.Add("KavrinLineChart").ControlAs<KavrinLineChart>();
  }
  int ErrorOf(const std::string& assignment) {
    try {
      ApplySetting(*chart_, assignment);
    } catch (const RuntimeError& e) {
      return e.Number();
    }
    return 0;
  }
  host::Form form_;
  KavrinLineChart* chart_ = nullptr;
};

TEST_F(Settings, ValuesAreCoercedToThePropertysType) {
  ApplySetting(*chart_, "Title=Rig 7 = hot");
  ApplySetting(*chart_, "zoom=1.5");  // names in any case
  ApplySetting(*chart_, "Min=-10");
  ApplySetting(*chart_, "TitlePos=2");
  ApplySetting(*chart_, "bValueLineDisp=False");
  ApplySetting(*chart_, "BorderColor=255");
  ApplySetting(*chart_, "Unit=");
  EXPECT_EQ(chart_->Title(), "Rig 7 = hot");
  EXPECT_EQ(chart_->Zoom(), 1.5);
  EXPECT_EQ(chart_->Min(), -10);
  EXPECT_EQ(chart_->TitlePos(), 2);
  EXPECT_EQ(chart_->bValueLineDisp(), False);
  EXPECT_EQ(chart_->BorderColor(), 255);
  EXPECT_EQ(chart_->Unit(), "");
}

TEST_F(Settings, ColoursAsHashRrggbb) {
  ApplySetting(*chart_, "ChartBackColor=#102030");
  EXPECT_EQ(chart_->ChartBackColor(), 0x302010);
  ApplySetting(*chart_, "BackColor=#FFffFF");
  EXPECT_EQ(chart_->BackColor(), 0xFFFFFF);
  ApplySetting(*chart_, "TitleColor=#f80");
  EXPECT_EQ(chart_->TitleColor(), 0x0088FF);
  ApplySetting(*chart_, "BorderColor= DarkBlue ");
  EXPECT_EQ(chart_->BorderColor(), 0x8B0000);
  // Not three or six hex digits: the text goes to the property as it is, which refuses it.
  EXPECT_EQ(ErrorOf("TitleColor=#12345"), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf("TitleColor=#GGHHII"), err::kTypeMismatch);
}

TEST_F(Settings, FontsAsNameSizeAndStyles) {
  ApplySetting(*chart_, "TitleFont=Arial, 12.5, bold, italic");
  const FontRef f = chart_->TitleFont();
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Name(), "Arial");
  EXPECT_EQ(f->Size(), 12.5);
  EXPECT_TRUE(f->Bold());
  EXPECT_TRUE(f->Italic());
  EXPECT_FALSE(f->Underline());
  ApplySetting(*chart_, "UnitFont=Courier New");
  EXPECT_EQ(chart_->UnitFont()->Name(), "Courier New");
  EXPECT_FALSE(chart_->UnitFont()->Bold());
  EXPECT_EQ(ErrorOf("TitleFont=Arial,huge"), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf("TitleFont=,12"), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf("TitleFont=Arial,-3"), err::kTypeMismatch);
}

TEST_F(Settings, OnlyPropertiesWithValuesTheyTake) {
  EXPECT_EQ(ErrorOf("Nonsense=1"), err::kNotSupported);
  EXPECT_EQ(ErrorOf("Movie=1"), err::kNotSupported);  // a method is not a setting
  EXPECT_EQ(ErrorOf("Zoom=big"), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf("BorderWidth=99999"), err::kOverflow);
  EXPECT_EQ(chart_->Zoom(), 1.0);  // a refused value changes nothing
}

TEST_F(Settings, ARefusalNamesThePropertyTheValueAndWhatItNeeds) {
  const std::pair<const char*, const char*> cases[] = {
      {"Max=abc", "Max needs a number, got 'abc'"},
      {"BorderWidth=99999", "BorderWidth needs a whole number from -32768 to 32767, got '99999' (too large)"},
      {"bTimeLineDisp=maybe", "bTimeLineDisp needs True or False, got 'maybe'"},
      {"TitleColor=nope", "TitleColor needs a colour (#RRGGBB, #RGB, a name such as orange, or a number), got 'nope'"},
      {"UnitFont=Arial,huge", "UnitFont needs a font (Name[,Size][,bold][,italic][,underline]), got 'Arial,huge'"},
      {"Colour=red", "there is no chart property named Colour"},
  };
  for (const auto& [assignment, why] : cases) {
    try {
      ApplySetting(*chart_, assignment);
      ADD_FAILURE() << assignment << " was taken";
    } catch (const SettingRefused& e) {
      EXPECT_THAT(e.Why(), testing::StartsWith(why));
      EXPECT_EQ(e.Why().find('\n'), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace kavrin::app

namespace kavrin::app {
namespace {

TEST(GridSpacing, AboutTenStepsOfOneTwoOrFive) {
  EXPECT_EQ(GridSpacingFor(-50, 50), 10);
  EXPECT_EQ(GridSpacingFor(0, 100000), 10000);
  EXPECT_EQ(GridSpacingFor(0, 150), 20);
  EXPECT_EQ(GridSpacingFor(0, 30), 5);
  EXPECT_DOUBLE_EQ(GridSpacingFor(0, 0.99), 0.1);
  EXPECT_EQ(GridSpacingFor(100, 0), 10);  // a reversed scale has the same spacing
  EXPECT_EQ(GridSpacingFor(5, 5), 0);
  EXPECT_EQ(GridSpacingFor(0, 1e308 * 10), 0);
  EXPECT_EQ(SettingName("  ValueSpace =3"), "valuespace");
}

}  // namespace
}  // namespace kavrin::app

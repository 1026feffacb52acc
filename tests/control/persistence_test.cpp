#include <gtest/gtest.h>

#include <functional>

#include "tests/support/errors.h"
#include "common/vb_error.h"
#include "control/kavrin_line_chart.h"
#include "control/settings_record.h"
#include "fake_container.h"

namespace kavrin {
namespace {

using test::FakeBag;
using test::FakeSite;

using kavrin::test::ErrorOf;

const std::vector<std::string> kEntryOrder = {
    "ValueLineColor", "TimeLineColor", "Title",          "Zoom",           "MeasureFont", "MeasureColor",
    "TitlePos",       "TitleFont",     "TitleColor",     "MeasurePos",     "CutLineFont", "bValueLineDisp",
    "bTimeLineDisp",  "BackColor",     "ChartBackColor", "BorderWidth",    "BorderColor", "ValueSpace",
    "Min",            "Max",           "MeasureWidth",   "Unit",           "UnitFont",    "Dist"};

void ExpectSameFont(const FontRef& a, const FontRef& b) {
  ASSERT_TRUE(a);
  ASSERT_TRUE(b);
  EXPECT_EQ(a->Name(), b->Name());
  EXPECT_EQ(a->SizeCy(), b->SizeCy());
  EXPECT_EQ(a->Bold(), b->Bold());
  EXPECT_EQ(a->Italic(), b->Italic());
  EXPECT_EQ(a->Underline(), b->Underline());
  EXPECT_EQ(a->Strikethrough(), b->Strikethrough());
  EXPECT_EQ(a->Weight(), b->Weight());
  EXPECT_EQ(a->Charset(), b->Charset());
}

class Persistence : public testing::Test {
 protected:
  FakeSite site;
  KavrinLineChart ctl{site};
};

TEST_F(Persistence, ANewInstanceSavesOnlyTheTwoBooleans) {
  ctl.InitProperties();
  FakeBag bag;
  ctl.WriteProperties(bag);
  EXPECT_EQ(bag.writes, kEntryOrder);
  EXPECT_EQ(bag.saved, (std::vector<std::string>{"bValueLineDisp", "bTimeLineDisp"}));
  EXPECT_EQ(bag.entries["bValueLineDisp"].Type(), VarType::kBoolean);
  EXPECT_EQ(bag.entries["bValueLineDisp"].ToInteger(), -1);
  EXPECT_EQ(ctl.Chart(), nullptr);  // saving touches no engine
}

TEST_F(Persistence, FalseBooleansAreSavedToo) {
  ctl.InitProperties();
  ctl.bValueLineDisp(False);
  FakeBag bag;
  ctl.WriteProperties(bag);
  ASSERT_TRUE(bag.Has("bValueLineDisp"));
  EXPECT_EQ(bag.entries["bValueLineDisp"].ToBoolean(), False);
}

TEST_F(Persistence, AnEmptyBagLoadsTheNewInstanceValuesAndConfigures) {
  FakeBag bag(&site.log);
  ctl.ReadProperties(bag);
  EXPECT_EQ(bag.reads, kEntryOrder);
  EXPECT_EQ(ctl.ValueLineColor(), 32768);
  EXPECT_EQ(ctl.Title(), "Kavrin Line Chart");
  EXPECT_EQ(ctl.Zoom(), 1.0);
  EXPECT_EQ(ctl.TitlePos(), 3);
  EXPECT_EQ(ctl.bValueLineDisp(), True);
  EXPECT_EQ(ctl.bTimeLineDisp(), True);
  EXPECT_EQ(ctl.BackColor(), 16777215);
  EXPECT_EQ(ctl.BorderColor(), 8421504);
  EXPECT_EQ(ctl.Min(), -50.0);
  EXPECT_EQ(ctl.Max(), 50.0);
  EXPECT_EQ(ctl.MeasureWidth(), 3);
  EXPECT_EQ(ctl.Unit(), "");
  EXPECT_EQ(ctl.Dist(), "20,20,20,30");
  ExpectSameFont(ctl.TitleFont(), site.ambient);
  ExpectSameFont(ctl.UnitFont(), site.ambient);
  EXPECT_NE(ctl.Chart(), nullptr);
  EXPECT_EQ(GetPixel(site.Dc(), 0, 0), RGB(128, 128, 128));
  EXPECT_TRUE(site.changed.empty());
}

TEST_F(Persistence, TheSurfaceTakesBackColorRightAfterChartBackColor) {
  FakeBag bag(&site.log);
  bag.entries["BackColor"] = Variant::FromLong(RGB(0, 255, 255));
  ctl.ReadProperties(bag);
  const auto at = [&](const std::string& s) { return std::find(site.log.begin(), site.log.end(), s) - site.log.begin(); };
  const auto back = at("BackColor " + std::to_string(RGB(0, 255, 255)));
  ASSERT_LT(back, static_cast<long>(site.log.size()));
  EXPECT_EQ(back, at("Read ChartBackColor") + 1);
  EXPECT_LT(back, at("Read BorderWidth"));
  EXPECT_EQ(GetPixel(site.Dc(), 2, 2), RGB(0, 255, 255));
}

// The container's property bag, and the settings record of containers that keep a stream.
enum class Store { kBag, kRecord };
class EveryProperty : public Persistence, public testing::WithParamInterface<Store> {};
INSTANTIATE_TEST_SUITE_P(Persistence, EveryProperty, testing::Values(Store::kBag, Store::kRecord));

// Text outside any ANSI code page: CJK, Greek, an emoji and a lone UTF-16 surrogate.
const char kWideTitle[] = "温度 Δp \xF0\x9F\x98\x80 \xED\xA0\x80";

TEST_P(EveryProperty, SurvivesASaveAndLoad) {
  ctl.InitProperties();
  auto font = [](const char* name, double size) { return std::make_shared<StdFont>(name, size); };
  FontRef measure = font("Courier New", 11.25);
  measure->Bold(true);
  FontRef title = font("Times New Roman", 14);
  title->Italic(true);
  title->Underline(true);
  FontRef cut = font("Verdana", 7.5);
  cut->Strikethrough(true);
  cut->Weight(600);
  FontRef unit = font("SimSun", 9);
  unit->Charset(134);
  ctl.ValueLineColor(11);
  ctl.TimeLineColor(12);
  ctl.Title(kWideTitle);
  ctl.Zoom(1.5);
  ctl.MeasureFont(measure);
  ctl.MeasureColor(13);
  ctl.TitlePos(2);
  ctl.TitleFont(title);
  ctl.TitleColor(14);
  ctl.MeasurePos(1);
  ctl.CutLineFont(cut);
  ctl.bValueLineDisp(False);
  ctl.bTimeLineDisp(True);
  ctl.ChartBackColor(15);
  ctl.BorderWidth(3);
  ctl.BorderColor(16);
  ctl.ValueSpace(2.5);
  ctl.Min(-0.25);
  ctl.Max(1e3);
  ctl.MeasureWidth(7);
  ctl.Unit("mV");
  ctl.UnitFont(unit);
  ctl.Dist("10,30,5,40");
  try {
    ctl.BackColor(17);
  } catch (const RuntimeError&) {
    // no engine yet: the value is stored all the same
  }
  FakeSite site2;
  KavrinLineChart loaded(site2);
  FakeBag bag;
  SettingsRecord record;
  ctl.WriteProperties(bag);
  EXPECT_EQ(bag.saved, kEntryOrder);
  // The fonts as read, before the configuration evens out their weights.
  const auto expectFonts = [&](PropertyBag& read) {
    const std::pair<const char*, FontRef> fonts[] = {
        {"MeasureFont", measure}, {"TitleFont", title}, {"CutLineFont", cut}, {"UnitFont", unit}};
    for (const auto& [name, saved] : fonts) ExpectSameFont(read.ReadProperty(name, Variant()).ToFont(), saved);
  };
  if (GetParam() == Store::kBag) {
    expectFonts(bag);
    loaded.ReadProperties(bag);
  } else {
    ctl.WriteProperties(record);
    const std::vector<uint8_t> bytes = record.Bytes().value();
    SettingsRecord::Header header;
    ASSERT_EQ(SettingsRecord::ReadHeader(bytes.data(), &header), SettingsRecord::Status::kOk);
    SettingsRecord read;
    ASSERT_EQ(read.ReadEntries(header, bytes.data() + 12, bytes.size() - 12), SettingsRecord::Status::kOk);
    expectFonts(read);
    loaded.ReadProperties(read);
  }
  EXPECT_EQ(loaded.ValueLineColor(), 11);
  EXPECT_EQ(loaded.TimeLineColor(), 12);
  EXPECT_EQ(loaded.Title(), kWideTitle);
  EXPECT_EQ(loaded.Zoom(), 1.5);
  EXPECT_EQ(loaded.MeasureColor(), 13);
  EXPECT_EQ(loaded.TitlePos(), 2);
  EXPECT_EQ(loaded.TitleColor(), 14);
  EXPECT_EQ(loaded.MeasurePos(), 1);
  EXPECT_EQ(loaded.bValueLineDisp(), False);
  EXPECT_EQ(loaded.bTimeLineDisp(), True);
  EXPECT_EQ(loaded.BackColor(), 17);
  EXPECT_EQ(loaded.ChartBackColor(), 15);
  EXPECT_EQ(loaded.BorderWidth(), 3);
  EXPECT_EQ(loaded.BorderColor(), 16);
  EXPECT_EQ(loaded.ValueSpace(), 2.5);
  EXPECT_EQ(loaded.Min(), -0.25);
  EXPECT_EQ(loaded.Max(), 1e3);
  EXPECT_EQ(loaded.MeasureWidth(), 7);
  EXPECT_EQ(loaded.Unit(), "mV");
  EXPECT_EQ(loaded.Dist(), "10,30,5,40");
  EXPECT_NE(loaded.Chart(), nullptr);
}

TEST_F(Persistence, FontsEqualToTheAmbientFontAreLeftOut) {
  ctl.InitProperties();
  FontRef f = site.ambient->Clone();
  ctl.TitleFont(f);
  FakeBag bag;
  ctl.WriteProperties(bag);
  EXPECT_FALSE(bag.Has("TitleFont"));
  f->Underline(true);  // one attribute differs: now it is saved
  ctl.WriteProperties(bag);
  ASSERT_TRUE(bag.Has("TitleFont"));
  EXPECT_EQ(bag.entries["TitleFont"].ToFont(), f);
}

TEST_F(Persistence, LoadedValuesBypassTheSetterChecks) {
  FakeBag bag;
  bag.entries["TitlePos"] = Variant::FromInteger(7);
  bag.entries["MeasurePos"] = Variant("-1");
  bag.entries["Zoom"] = Variant("0.5");
  bag.entries["bTimeLineDisp"] = Variant::FromInteger(0);
  bag.entries["TitleColor"] = Variant(255.0);
  ctl.ReadProperties(bag);
  EXPECT_EQ(ctl.TitlePos(), 7);
  EXPECT_EQ(ctl.MeasurePos(), -1);
  EXPECT_EQ(ctl.Zoom(), 0.5);
  EXPECT_EQ(ctl.bTimeLineDisp(), False);
  EXPECT_EQ(ctl.TitleColor(), 255);
}

TEST_F(Persistence, AnUnconvertibleEntryStopsTheLoadThere) {
  FakeBag bag(&site.log);
  bag.entries["ValueLineColor"] = Variant::FromLong(1);
  bag.entries["Title"] = Variant("loaded");
  bag.entries["Zoom"] = Variant("abc");
  bag.entries["MeasureColor"] = Variant::FromLong(2);
  EXPECT_EQ(ErrorOf([&] { ctl.ReadProperties(bag); }), 13);
  EXPECT_EQ(ctl.ValueLineColor(), 1);
  EXPECT_EQ(ctl.TimeLineColor(), 32768);
  EXPECT_EQ(ctl.Title(), "loaded");
  EXPECT_EQ(ctl.Zoom(), 0.0);  // later fields stay as a fresh instance has them
  EXPECT_EQ(ctl.MeasureFont(), nullptr);
  EXPECT_EQ(ctl.MeasureColor(), 0);
  EXPECT_EQ(ctl.Dist(), "");
  EXPECT_EQ(bag.reads.back(), "Zoom");
  EXPECT_EQ(ctl.Chart(), nullptr);
  EXPECT_FALSE(site.Logged("hDC"));
}

TEST_F(Persistence, ANonFontUnderAFontEntryIsATypeMismatch) {
  FakeBag bag;
  bag.entries["UnitFont"] = Variant("Arial");
  EXPECT_EQ(ErrorOf([&] { ctl.ReadProperties(bag); }), 13);
  EXPECT_EQ(ctl.Unit(), "");
  EXPECT_EQ(ctl.Chart(), nullptr);
}

TEST_F(Persistence, TwoMarginItemsLoadEverythingThenFailTheConfiguration) {
  FakeBag bag;
  bag.entries["Dist"] = Variant("20,20");
  bag.entries["Unit"] = Variant("mV");
  EXPECT_EQ(ErrorOf([&] { ctl.ReadProperties(bag); }), 9);
  EXPECT_EQ(ctl.Dist(), "20,20");
  EXPECT_EQ(ctl.Unit(), "mV");
  EXPECT_NE(ctl.Chart(), nullptr);  // the fresh engine stays, unconfigured
}

TEST_F(Persistence, BagErrorsPassThroughUnchanged) {
  struct BrokenBag : PropertyBag {
    Variant ReadProperty(const std::string& name, const Variant& def) override {
      if (name == "Min") Raise(err::kDeviceIo);
      return def;
    }
    void WriteProperty(const std::string&, const Variant&, const Variant&) override { Raise(err::kDiskFull); }
  } bag;
  EXPECT_EQ(ErrorOf([&] { ctl.ReadProperties(bag); }), 57);
  EXPECT_EQ(ctl.ValueSpace(), 10.0);
  EXPECT_EQ(ErrorOf([&] { ctl.WriteProperties(bag); }), 61);
}

}  // namespace
}  // namespace kavrin

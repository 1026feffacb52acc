#include "tests/support/errors.h"
#include "control/automation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

#include "chart/line_chart.h"
#include "common/vb_error.h"
#include "control/kavrin_line_chart.h"
#include "fake_container.h"
#include "tests/support/pixels.h"

namespace kavrin {
namespace {

namespace fs = std::filesystem;
using test::FakeSite;

using kavrin::test::ErrorOf;

struct Expected {
  const char* name;
  DispId dispid;
  bool method;
};

// The vtable order with the DISPIDs of the interface.
const Expected kMembers[] = {
    {"ValueLineColor", 0x68030017, false}, {"TimeLineColor", 0x68030016, false}, {"SetValue", 0x6003001E, true},
    {"Movie", 0x6003001F, true},           {"AddLine", 0x60030020, true},        {"ExportData", 0x60030021, true},
    {"ExportPicture", 0x60030022, true},   {"About", 0x60030023, true},          {"Title", 0x68030015, false},
    {"Zoom", 0x68030014, false},           {"MeasureFont", 0x68030013, false},   {"MeasureColor", 0x68030012, false},
    {"TitlePos", 0x68030011, false},       {"TitleFont", 0x68030010, false},     {"TitleColor", 0x6803000F, false},
    {"MeasurePos", 0x6803000E, false},     {"CutLineFont", 0x6803000D, false},   {"bValueLineDisp", 0x6803000C, false},
    {"bTimeLineDisp", 0x6803000B, false},  {"BackColor", 0x6803000A, false},     {"ChartBackColor", 0x68030009, false},
    {"BorderWidth", 0x68030008, false},    {"BorderColor", 0x68030007, false},   {"ValueSpace", 0x68030006, false},
    {"Min", 0x68030005, false},            {"Max", 0x68030004, false},           {"MeasureWidth", 0x68030003, false},
    {"Unit", 0x68030002, false},           {"UnitFont", 0x68030001, false},      {"Dist", 0x68030000, false},
};

TEST(AutomationTable, MembersInVtableOrderWithTheirDispIds) {
  const auto& members = ControlMembers();
  ASSERT_EQ(members.size(), 30u);
  for (size_t i = 0; i < members.size(); ++i) {
    SCOPED_TRACE(kMembers[i].name);
    EXPECT_EQ(members[i].name, kMembers[i].name);
    EXPECT_EQ(members[i].index, static_cast<int>(i) + 1);
    EXPECT_EQ(members[i].dispid, kMembers[i].dispid);
    EXPECT_EQ(members[i].kind == MemberKind::kMethod, kMembers[i].method);
    if (!kMembers[i].method) {
      ASSERT_EQ(members[i].params.size(), 1u);
      EXPECT_EQ(members[i].params[0].name, std::string("New_") + kMembers[i].name);
      EXPECT_TRUE(members[i].canGet);
      EXPECT_NE(members[i].canLet, members[i].canSet);
      EXPECT_FALSE(members[i].category.empty());
    }
  }
}

TEST(AutomationTable, KindsTypesAndParameters) {
  EXPECT_TRUE(FindMember("TitleFont")->canSet);
  EXPECT_FALSE(FindMember("TitleFont")->canLet);
  EXPECT_EQ(FindMember("UnitFont")->typeName, "Font");
  EXPECT_EQ(FindMember("BackColor")->typeName, "OLE_COLOR");
  EXPECT_EQ(FindMember("TitlePos")->typeName, "Integer");
  EXPECT_EQ(FindMember("ExportPicture")->typeName, "Boolean");

  const MemberInfo* add = FindMember("AddLine");
  ASSERT_EQ(add->params.size(), 5u);
  const char* names[] = {"Key", "lColor", "PointPic", "bDispPointTip", "lTipColor"};
  const bool optional[] = {false, false, true, true, true};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(add->params[i].name, names[i]);
    EXPECT_EQ(add->params[i].optional, optional[i]);
    EXPECT_TRUE(add->params[i].byRef);
  }
  EXPECT_EQ(add->params[2].typeName, "Picture");
  EXPECT_TRUE(add->params[3].defaultValue.Equals(Variant::FromBoolean(False)));
  EXPECT_EQ(add->params[4].defaultValue.ToLong(), 16777215);

  const MemberInfo* data = FindMember("ExportData");
  ASSERT_EQ(data->params.size(), 3u);
  EXPECT_EQ(data->params[0].name, "bOperate");
  EXPECT_EQ(data->params[1].name, "sPath");
  EXPECT_EQ(data->params[2].defaultValue.ToString(), "");
  const MemberInfo* pic = FindMember("ExportPicture");
  EXPECT_EQ(pic->params[0].typeName, "Variant");
  EXPECT_FALSE(pic->params[0].optional);
  EXPECT_EQ(FindMember("SetValue")->params[0].name, "Id");
  EXPECT_EQ(FindMember("SetValue")->params[1].typeName, "Double");
}

TEST(AutomationTable, HelpStringsAndCategories) {
  EXPECT_EQ(FindMember("ValueLineColor")->helpString, "对准刻值的横线颜色");
  EXPECT_EQ(FindMember("SetValue")->helpString, "设置各折线值");
  EXPECT_EQ(FindMember("TitlePos")->helpString, "标题位置0-left, 1-Right, 2-Top, 3-Bottom");
  EXPECT_EQ(FindMember("MeasureWidth")->helpString, "刻度最多位数, 如：Max=0.99，则为 4");
  EXPECT_EQ(FindMember("Dist")->helpString, "边距(Left,Right,Top,Bottom)");
  EXPECT_EQ(FindMember("Unit")->helpString, "");
  EXPECT_EQ(FindMember("AddLine")->helpString, "");

  std::map<std::string, std::set<std::string>> groups;
  for (const MemberInfo& m : ControlMembers()) {
    if (m.kind == MemberKind::kProperty) groups[m.category].insert(m.name);
  }
  using S = std::set<std::string>;
  EXPECT_EQ(groups["Skin"], (S{"BackColor", "BorderColor", "BorderWidth", "ChartBackColor", "Dist", "Zoom"}));
  EXPECT_EQ(groups["TimeLine"], (S{"bTimeLineDisp", "TimeLineColor"}));
  EXPECT_EQ(groups["ValueLine"], (S{"bValueLineDisp", "ValueLineColor"}));
  EXPECT_EQ(groups["CutLine"], (S{"CutLineFont"}));
  EXPECT_EQ(groups["Measure"],
            (S{"Max", "MeasureColor", "MeasureFont", "MeasurePos", "MeasureWidth", "Min", "ValueSpace"}));
  EXPECT_EQ(groups["Title"], (S{"Title", "TitleColor", "TitleFont", "TitlePos"}));
  EXPECT_EQ(groups["Unit"], (S{"Unit", "UnitFont"}));
  EXPECT_EQ(groups.size(), 7u);
}

TEST(AutomationTable, TypeLibrary) {
  const TypeLibraryInfo& lib = ControlTypeLibrary();
  EXPECT_EQ(lib.name, "KavrinLineChartProj");
  EXPECT_EQ(lib.majorVersion, 1);
  EXPECT_EQ(lib.minorVersion, 0);
  EXPECT_EQ(lib.lcid, 0x409u);
  EXPECT_EQ(lib.helpString, "Kavrin Line Chart 2010.1.0");
  EXPECT_TRUE(lib.control);
  const TypeInfoEntry* cls = FindType("KavrinLineChart");
  ASSERT_NE(cls, nullptr);
  EXPECT_TRUE(cls->control);
  EXPECT_EQ(cls->miscStatus, 0x30191u);
  EXPECT_EQ(cls->defaultInterface, "_KavrinLineChart");
  EXPECT_EQ(cls->defaultSourceInterface, "__KavrinLineChart");
  EXPECT_EQ(cls->toolboxBitmap, 30000);
  EXPECT_EQ(FindType("_KavrinLineChart")->members.size(), 30u);
  EXPECT_TRUE(FindType("__KavrinLineChart")->members.empty());
  EXPECT_EQ(FindType("__cLineChart")->members, std::vector<std::string>{"Change"});
  EXPECT_EQ(FindType("_cLineChart")->members.size(), 32u);
  EXPECT_EQ(FindType("_cFont")->members.size(), 14u);
  EXPECT_FALSE(FindType("cFont")->creatable);
  std::set<std::string> guids{lib.libid};
  for (const TypeInfoEntry& t : lib.types) {
    EXPECT_EQ(t.guid.size(), 38u) << t.name;
    guids.insert(t.guid);
  }
  EXPECT_EQ(guids.size(), lib.types.size() + 1) << "every GUID is distinct";
}

TEST(AutomationNames, LookupIgnoresCase) {
  EXPECT_EQ(GetIDOfName("title"), 0x68030015);
  EXPECT_EQ(GetIDOfName("SETVALUE"), 0x6003001E);
  EXPECT_EQ(GetIDOfName("bvaluelinedisp"), 0x6803000C);
  EXPECT_EQ(ErrorOf([] { GetIDOfName("Refresh"); }), 438);
  EXPECT_EQ(GetIDsOfNames({"addline", "LTIPCOLOR", "key"}), (std::vector<DispId>{0x60030020, 4, 0}));
  EXPECT_EQ(ErrorOf([] { GetIDsOfNames({"AddLine", "Colour"}); }), 448);
  EXPECT_EQ(FindMember(DispId{0x12345}), nullptr);
}

class AutomationCalls : public testing::Test {
 protected:
  void SetUp() override {
    ctl.InitProperties();
    ctl.Resize();
  }
  Variant Call(const char* name, uint16_t kind, std::vector<Variant> args = {}) {
    return InvokeByName(ctl, name, kind, args);
  }
  int ErrorOfCall(const char* name, uint16_t kind, std::vector<Variant> args = {}) {
    return ErrorOf([&] { Call(name, kind, args); });
  }

  FakeSite site;
  KavrinLineChart ctl{site};
};

TEST_F(AutomationCalls, EveryPropertyRoundTrips) {
  const FontRef font = std::make_shared<StdFont>("Verdana", 10);
  const std::map<std::string, Variant> values = {
      {"ValueLineColor", Variant::FromLong(1)}, {"TimeLineColor", Variant::FromLong(2)},
      {"Title", Variant("t")},                  {"Zoom", Variant(2.0)},
      {"MeasureFont", Variant(font)},           {"MeasureColor", Variant::FromLong(3)},
      {"TitlePos", Variant::FromInteger(1)},    {"TitleFont", Variant(font)},
      {"TitleColor", Variant::FromLong(4)},     {"MeasurePos", Variant::FromInteger(2)},
      {"CutLineFont", Variant(font)},           {"bValueLineDisp", Variant::FromBoolean(False)},
      {"bTimeLineDisp", Variant::FromBoolean(False)}, {"BackColor", Variant::FromLong(5)},
      {"ChartBackColor", Variant::FromLong(6)}, {"BorderWidth", Variant::FromInteger(2)},
      {"BorderColor", Variant::FromLong(7)},    {"ValueSpace", Variant(5.0)},
      {"Min", Variant(-1.0)},                   {"Max", Variant(1.0)},
      {"MeasureWidth", Variant::FromInteger(4)}, {"Unit", Variant("mV")},
      {"UnitFont", Variant(font)},              {"Dist", Variant("1,2,3,4")}};
  ASSERT_EQ(values.size(), 24u);
  for (const auto& [name, value] : values) {
    SCOPED_TRACE(name);
    const uint16_t put = value.Type() == VarType::kFont ? kInvokeSet : kInvokeLet;
    EXPECT_TRUE(Call(name.c_str(), put, {value}).IsEmpty());
    const Variant got = Call(name.c_str(), kInvokeGet);
    EXPECT_EQ(got.Type(), value.Type());
    EXPECT_TRUE(got.Equals(value));
  }
  EXPECT_EQ(ctl.TitleFont(), font);
  EXPECT_EQ(site.changed.size(), 24u);
}

TEST_F(AutomationCalls, EveryMethodIsReached) {
  const fs::path dir = fs::path(test::OutputDir()) / ("automation_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const test::Image fresh = test::Capture(site.Dc(), 320, 240);
  Call("AddLine", kInvokeMethod, {Variant("a"), Variant::FromLong(255)});
  Call("SetValue", kInvokeMethod, {Variant::FromInteger(1), Variant(10.0)});
  Call("Movie", kInvokeMethod);
  EXPECT_GT(test::Compare(fresh, test::Capture(site.Dc(), 320, 240)).count, 0);

  std::vector<Variant> data = {Variant::FromBoolean(True), Variant(dir.string()), Variant("log.txt")};
  InvokeByName(ctl, "ExportData", kInvokeMethod, data);
  EXPECT_EQ(data[1].ToString(), dir.string() + "\\") << "the folder comes back as the log uses it";
  EXPECT_TRUE(fs::exists(dir / "log.txt"));
  Call("ExportData", kInvokeMethod, {Variant::FromBoolean(False)});

  std::vector<Variant> pic = {Variant(dir.string()), Variant("p.bmp")};
  const Variant ok = InvokeByName(ctl, "ExportPicture", kInvokeMethod, pic);
  EXPECT_EQ(ok.Type(), VarType::kBoolean);
  EXPECT_EQ(ok.ToBoolean(), True);
  EXPECT_EQ(pic[0].ToString(), dir.string() + "\\");
  EXPECT_TRUE(fs::exists(dir / "p.bmp"));
  fs::remove_all(dir);

  // About needs a display; without one the form's own error comes through.
  const char* display = std::getenv("DISPLAY");
  const std::string saved = display ? display : "";
  ::unsetenv("DISPLAY");
  EXPECT_EQ(ErrorOfCall("About", kInvokeMethod), 5);
  if (display) ::setenv("DISPLAY", saved.c_str(), 1);
}

TEST_F(AutomationCalls, ArgumentsAreCoercedToTheirTypes) {
  Call("Title", kInvokeLet, {Variant::FromLong(5)});
  EXPECT_EQ(ctl.Title(), "5");
  Call("Zoom", kInvokeLet, {Variant("1.5")});
  EXPECT_EQ(ctl.Zoom(), 1.5);
  Call("TitlePos", kInvokeLet, {Variant("2")});
  EXPECT_EQ(ctl.TitlePos(), 2);
  Call("TitlePos", kInvokeLet, {Variant(0.5)});  // rounds to 0
  EXPECT_EQ(ctl.TitlePos(), 0);
  Call("bValueLineDisp", kInvokeLet, {Variant("False")});
  EXPECT_EQ(ctl.bValueLineDisp(), False);
  Call("Unit", kInvokeLet, {Variant::FromBoolean(True)});
  EXPECT_EQ(ctl.Unit(), "True");
  EXPECT_EQ(ErrorOfCall("Zoom", kInvokeLet, {Variant("abc")}), 13);
  EXPECT_EQ(ErrorOfCall("TitlePos", kInvokeLet, {Variant::FromLong(40000)}), 6);
  EXPECT_EQ(ErrorOfCall("TitleFont", kInvokeSet, {Variant::FromLong(1)}), 13);
  EXPECT_EQ(ErrorOfCall("Title", kInvokeLet, {Variant::Nothing()}), 91);
  EXPECT_EQ(ErrorOfCall("SetValue", kInvokeMethod, {Variant("x"), Variant(1.0)}), 13);
  EXPECT_EQ(ctl.Zoom(), 1.5);  // a failed conversion stores nothing
  // A font may be put by a plain assignment as well; Nothing clears it.
  const FontRef f = std::make_shared<StdFont>();
  Call("UnitFont", kInvokeLet, {Variant(f)});
  EXPECT_EQ(ctl.UnitFont(), f);
  Call("Title", kInvokeLet | kInvokeSet, {Variant("either put")});
  EXPECT_EQ(ctl.Title(), "either put");
  Call("UnitFont", kInvokeSet, {Variant::Nothing()});
  EXPECT_EQ(ctl.UnitFont(), nullptr);
}

TEST_F(AutomationCalls, WrongCallsGiveAutomationErrors) {
  EXPECT_EQ(ErrorOf([&] {
              std::vector<Variant> none;
              Invoke(ctl, 0x12345678, kInvokeMethod, none);
            }),
            438);
  EXPECT_EQ(ErrorOfCall("Title", kInvokeGet, {Variant("x")}), 450);
  EXPECT_EQ(ErrorOfCall("Title", kInvokeLet, {}), 450);
  EXPECT_EQ(ErrorOfCall("Title", kInvokeLet, {Variant("a"), Variant("b")}), 450);
  EXPECT_EQ(ErrorOfCall("Title", kInvokeLet, {Variant::Missing()}), 449);
  EXPECT_EQ(ErrorOfCall("Title", kInvokeSet, {Variant("a")}), 438);
  EXPECT_EQ(ErrorOfCall("Movie", kInvokeLet, {Variant::FromInteger(1)}), 438);
  EXPECT_EQ(ErrorOfCall("Movie", kInvokeMethod, {Variant::FromInteger(1)}), 450);
  EXPECT_EQ(ErrorOfCall("SetValue", kInvokeMethod, {Variant::FromInteger(1)}), 449);
  EXPECT_EQ(ErrorOfCall("SetValue", kInvokeMethod, {Variant::FromInteger(1), Variant(1.0), Variant(2.0)}), 450);
  EXPECT_EQ(ErrorOfCall("AddLine", kInvokeMethod, {Variant::Missing(), Variant::FromLong(1)}), 449);
  EXPECT_EQ(ErrorOfCall("ExportPicture", kInvokeMethod, {Variant("/tmp")}), 449);
  EXPECT_EQ(ctl.Title(), "Kavrin Line Chart");
}

TEST_F(AutomationCalls, OptionalArgumentsTakeTheirDefaults) {
  // Missing in the middle and left off at the end both mean the default.
  EXPECT_EQ(ErrorOfCall("AddLine", kInvokeMethod,
                        {Variant("a"), Variant::FromLong(255), Variant::Missing(), Variant::FromBoolean(True)}),
            0);
  EXPECT_EQ(ErrorOfCall("AddLine", kInvokeMethod, {Variant("b"), Variant::FromLong(255), Variant::Nothing()}), 0);
  // The engine got no picture, the tip switch as given or False, and the tip colour 16777215.
  const cLineChart& engine = *ctl.Chart();
  ASSERT_EQ(engine.LineCount(), 2);
  const Boolean tips[] = {True, False};
  for (Integer i = 1; i <= 2; ++i) {
    EXPECT_EQ(engine.Line(i).HasPointPic, False);
    EXPECT_EQ(engine.Line(i).PointPic, nullptr);
    EXPECT_EQ(engine.Line(i).DispPointTip, tips[i - 1]);
    EXPECT_EQ(engine.Line(i).TipColor, 16777215);
  }
  EXPECT_EQ(ErrorOfCall("ExportData", kInvokeMethod, {Variant::FromBoolean(True)}), 0);  // empty folder: nothing
  // A method may be called as a property get, and a property read as a method.
  EXPECT_EQ(Call("ExportPicture", kInvokeGet, {Variant(""), Variant("")}).ToBoolean(), False);
  EXPECT_EQ(Call("Dist", kInvokeMethod).ToString(), "20,20,20,30");
}

TEST_F(AutomationCalls, UnchangedByReferenceArgumentsKeepTheirType) {
  std::vector<Variant> args = {Variant("1"), Variant("2.5")};
  InvokeByName(ctl, "SetValue", kInvokeMethod, args);
  EXPECT_EQ(args[0].Type(), VarType::kString);
  EXPECT_EQ(args[1].ToString(), "2.5");
}

TEST_F(AutomationCalls, EngineErrorsPassThrough) {
  // The engine's own error: a value whose row does not fit a Long is overflow.
  Call("AddLine", kInvokeMethod, {Variant("a"), Variant::FromLong(255)});
  EXPECT_EQ(ErrorOfCall("SetValue", kInvokeMethod, {Variant::FromInteger(1), Variant(1e300)}), 6);
  ctl.Terminate();
  EXPECT_EQ(ErrorOfCall("Movie", kInvokeMethod), 91);
  EXPECT_EQ(ErrorOfCall("BackColor", kInvokeLet, {Variant::FromLong(0)}), 91);
}

}  // namespace
}  // namespace kavrin

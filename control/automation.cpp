#include "control/automation.h"

#include <cctype>

#include "common/vb_error.h"
#include "control/kavrin_line_chart.h"

namespace kavrin {

namespace {

constexpr int kNamedArgumentNotFound = 448;

// How a member is reached: properties through a getter and a putter, methods through a
// call on arguments already completed with their defaults and converted to their types.
struct Access {
  Variant (*get)(KavrinLineChart&) = nullptr;
  void (*put)(KavrinLineChart&, const Variant&) = nullptr;
  Variant (*call)(KavrinLineChart&, std::vector<Variant>&) = nullptr;
};

struct Entry {
  MemberInfo info;
  Access access;
};

ParamInfo Param(const char* name, const char* typeName, VarType type) {
  ParamInfo p;
  p.name = name;
  p.typeName = typeName;
  p.type = type;
  p.defaultValue = Variant::Missing();
  return p;
}

ParamInfo Optional(ParamInfo p, Variant def = Variant::Missing()) {
  p.optional = true;
  p.defaultValue = std::move(def);
  return p;
}

// Let or Set is decided by the type: fonts are object references.
Entry Property(const char* name, int dispOffset, const char* typeName, VarType type, const char* help,
               const char* category, Access access) {
  Entry e;
  e.info.name = name;
  e.info.dispid = kPropertyDispIdBase + dispOffset;
  e.info.kind = MemberKind::kProperty;
  e.info.canGet = true;
  e.info.canLet = type != VarType::kFont;
  e.info.canSet = type == VarType::kFont;
  e.info.typeName = typeName;
  e.info.type = type;
  e.info.params.push_back(Param((std::string("New_") + name).c_str(), typeName, type));
  e.info.params.back().byRef = false;
  e.info.helpString = help;
  e.info.category = category;
  e.access = access;
  return e;
}

Entry Method(const char* name, int dispOffset, const char* resultType, VarType result,
             std::vector<ParamInfo> params, const char* help,
             Variant (*call)(KavrinLineChart&, std::vector<Variant>&)) {
  Entry e;
  e.info.name = name;
  e.info.dispid = kMethodDispIdBase + dispOffset;
  e.info.kind = MemberKind::kMethod;
  e.info.typeName = resultType;
  e.info.type = result;
  e.info.params = std::move(params);
  e.info.helpString = help;
  e.access.call = call;
  return e;
}

#define KAVRIN_PROP(Name, Make, Conv)                                            \
  Access {                                                                       \
    [](KavrinLineChart& c) { return Variant(Make(c.Name())); },                  \
        [](KavrinLineChart& c, const Variant& v) { c.Name(v.Conv()); }, nullptr \
  }

Variant AsLong(Long v) { return Variant::FromLong(v); }
Variant AsInteger(Integer v) { return Variant::FromInteger(v); }
Variant AsBoolean(Boolean v) { return Variant::FromBoolean(v); }
Variant AsDouble(double v) { return Variant(v); }
Variant AsString(const std::string& v) { return Variant(v); }
Variant AsFont(const FontRef& v) { return Variant(v); }

constexpr VarType kColorType = VarType::kLong;

std::vector<Entry> BuildEntries() {
  std::vector<Entry> t;
  t.push_back(Property("ValueLineColor", 23, "OLE_COLOR", kColorType, "对准刻值的横线颜色", "ValueLine",
                       KAVRIN_PROP(ValueLineColor, AsLong, ToLong)));
  t.push_back(Property("TimeLineColor", 22, "OLE_COLOR", kColorType, "时间线颜色", "TimeLine",
                       KAVRIN_PROP(TimeLineColor, AsLong, ToLong)));
  t.push_back(Method("SetValue", 0, "", VarType::kEmpty,
                     {Param("Id", "Integer", VarType::kInteger), Param("Value", "Double", VarType::kDouble)},
                     "设置各折线值", [](KavrinLineChart& c, std::vector<Variant>& a) {
                       c.SetValue(a[0].ToInteger(), a[1].ToDouble());
                       return Variant();
                     }));
  t.push_back(Method("Movie", 1, "", VarType::kEmpty, {}, "移动时间轴",
                     [](KavrinLineChart& c, std::vector<Variant>&) {
                       c.Movie();
                       return Variant();
                     }));
  t.push_back(Method("AddLine", 2, "", VarType::kEmpty,
                     {Param("Key", "String", VarType::kString), Param("lColor", "Long", VarType::kLong),
                      Optional(Param("PointPic", "Picture", VarType::kPicture)),
                      Optional(Param("bDispPointTip", "Boolean", VarType::kBoolean), Variant::FromBoolean(False)),
                      Optional(Param("lTipColor", "Long", VarType::kLong), Variant::FromLong(16777215))},
                     "", [](KavrinLineChart& c, std::vector<Variant>& a) {
                       const PictureRef pic = a[2].IsMissing() ? nullptr : a[2].ToPicture();
                       c.AddLine(a[0].ToString(), a[1].ToLong(), pic, a[3].ToBoolean(), a[4].ToLong());
                       return Variant();
                     }));
  t.push_back(Method("ExportData", 3, "", VarType::kEmpty,
                     {Param("bOperate", "Boolean", VarType::kBoolean),
                      Optional(Param("sPath", "String", VarType::kString), Variant("")),
                      Optional(Param("sName", "String", VarType::kString), Variant(""))},
                     "", [](KavrinLineChart& c, std::vector<Variant>& a) {
                       std::string path = a[1].ToString();
                       std::string name = a[2].ToString();
                       c.ExportData(a[0].ToBoolean(), path, name);
                       a[1] = Variant(path);
                       a[2] = Variant(name);
                       return Variant();
                     }));
  t.push_back(Method("ExportPicture", 4, "Boolean", VarType::kBoolean,
                     {Param("sPath", "Variant", VarType::kEmpty), Param("sName", "String", VarType::kString)}, "",
                     [](KavrinLineChart& c, std::vector<Variant>& a) {
                       return Variant::FromBoolean(c.ExportPicture(a[0], a[1].ToString()));
                     }));
  t.push_back(Method("About", 5, "", VarType::kEmpty, {}, "", [](KavrinLineChart& c, std::vector<Variant>&) {
    c.About();
    return Variant();
  }));
  t.push_back(Property("Title", 21, "String", VarType::kString, "标题内容", "Title",
                       KAVRIN_PROP(Title, AsString, ToString)));
  t.push_back(Property("Zoom", 20, "Double", VarType::kDouble, "放大、缩小", "Skin", KAVRIN_PROP(Zoom, AsDouble, ToDouble)));
  t.push_back(Property("MeasureFont", 19, "Font", VarType::kFont, "刻度字体", "Measure",
                       KAVRIN_PROP(MeasureFont, AsFont, ToFont)));
  t.push_back(Property("MeasureColor", 18, "OLE_COLOR", kColorType, "刻度字体颜色", "Measure",
                       KAVRIN_PROP(MeasureColor, AsLong, ToLong)));
  t.push_back(Property("TitlePos", 17, "Integer", VarType::kInteger, "标题位置0-left, 1-Right, 2-Top, 3-Bottom", "Title",
                       KAVRIN_PROP(TitlePos, AsInteger, ToInteger)));
  t.push_back(Property("TitleFont", 16, "Font", VarType::kFont, "标题字体", "Title", KAVRIN_PROP(TitleFont, AsFont, ToFont)));
  t.push_back(Property("TitleColor", 15, "OLE_COLOR", kColorType, "标题颜色", "Title",
                       KAVRIN_PROP(TitleColor, AsLong, ToLong)));
  t.push_back(Property("MeasurePos", 14, "Integer", VarType::kInteger, "刻度位置0-Left, 1-Right", "Measure",
                       KAVRIN_PROP(MeasurePos, AsInteger, ToInteger)));
  t.push_back(Property("CutLineFont", 13, "Font", VarType::kFont, "图例字体", "CutLine",
                       KAVRIN_PROP(CutLineFont, AsFont, ToFont)));
  t.push_back(Property("bValueLineDisp", 12, "Boolean", VarType::kBoolean, "是否显示横向刻度线", "ValueLine",
                       KAVRIN_PROP(bValueLineDisp, AsBoolean, ToBoolean)));
  t.push_back(Property("bTimeLineDisp", 11, "Boolean", VarType::kBoolean, "是否显示纵向时间分隔线", "TimeLine",
                       KAVRIN_PROP(bTimeLineDisp, AsBoolean, ToBoolean)));
  t.push_back(Property("BackColor", 10, "OLE_COLOR", kColorType, "整个控件背景色", "Skin",
                       KAVRIN_PROP(BackColor, AsLong, ToLong)));
  t.push_back(Property("ChartBackColor", 9, "OLE_COLOR", kColorType, "显示区背景颜色", "Skin",
                       KAVRIN_PROP(ChartBackColor, AsLong, ToLong)));
  t.push_back(Property("BorderWidth", 8, "Integer", VarType::kInteger, "边框宽度Pixel", "Skin",
                       KAVRIN_PROP(BorderWidth, AsInteger, ToInteger)));
  t.push_back(Property("BorderColor", 7, "OLE_COLOR", kColorType, "边框颜色", "Skin",
                       KAVRIN_PROP(BorderColor, AsLong, ToLong)));
  t.push_back(Property("ValueSpace", 6, "Double", VarType::kDouble, "刻度值横线间隔", "Measure",
                       KAVRIN_PROP(ValueSpace, AsDouble, ToDouble)));
  t.push_back(Property("Min", 5, "Double", VarType::kDouble, "刻度最小值", "Measure", KAVRIN_PROP(Min, AsDouble, ToDouble)));
  t.push_back(Property("Max", 4, "Double", VarType::kDouble, "刻度最大值", "Measure", KAVRIN_PROP(Max, AsDouble, ToDouble)));
  t.push_back(Property("MeasureWidth", 3, "Integer", VarType::kInteger, "刻度最多位数, 如：Max=0.99，则为 4", "Measure",
                       KAVRIN_PROP(MeasureWidth, AsInteger, ToInteger)));
  t.push_back(Property("Unit", 2, "String", VarType::kString, "", "Unit", KAVRIN_PROP(Unit, AsString, ToString)));
  t.push_back(Property("UnitFont", 1, "Font", VarType::kFont, "", "Unit", KAVRIN_PROP(UnitFont, AsFont, ToFont)));
  t.push_back(Property("Dist", 0, "String", VarType::kString, "边距(Left,Right,Top,Bottom)", "Skin",
                       KAVRIN_PROP(Dist, AsString, ToString)));
  for (size_t i = 0; i < t.size(); ++i) t[i].info.index = static_cast<int>(i) + 1;
  return t;
}

#undef KAVRIN_PROP

const std::vector<Entry>& Entries() {
  static const std::vector<Entry> entries = BuildEntries();
  return entries;
}

bool SameNameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

const Entry* FindEntry(DispId dispid) {
  for (const Entry& e : Entries()) {
    if (e.info.dispid == dispid) return &e;
  }
  return nullptr;
}

Variant Coerce(const Variant& v, VarType type) {
  switch (type) {
    case VarType::kInteger: return Variant::FromInteger(v.ToInteger());
    case VarType::kLong: return Variant::FromLong(v.ToLong());
    case VarType::kDouble: return Variant(v.ToDouble());
    case VarType::kString: return Variant(v.ToString());
    case VarType::kBoolean: return Variant::FromBoolean(v.ToBoolean());
    case VarType::kFont: return Variant(v.ToFont());
    case VarType::kPicture: return Variant(v.ToPicture());
    default: return v;
  }
}

bool SameValue(const Variant& a, const Variant& b) { return a.Type() == b.Type() && a.Equals(b); }

Variant InvokeProperty(KavrinLineChart& control, const Entry& e, uint16_t kind, std::vector<Variant>& args) {
  const MemberInfo& m = e.info;
  if ((kind & (kInvokeLet | kInvokeSet)) == 0) {
    if ((kind & (kInvokeGet | kInvokeMethod)) == 0) Raise(err::kNotSupported);
    if (!args.empty()) Raise(err::kWrongArgumentCount);
    return e.access.get(control);
  }
  // An object property also takes a plain put of an object, as many callers use one; a
  // reference put alone needs an object property.
  if ((kind & kInvokeLet) == 0 && !m.canSet) Raise(err::kNotSupported);
  if (args.size() != 1) Raise(err::kWrongArgumentCount);
  if (args[0].IsMissing()) Raise(err::kArgumentNotOptional);
  e.access.put(control, Coerce(args[0], m.type));
  return Variant();
}

Variant InvokeMethod(KavrinLineChart& control, const Entry& e, uint16_t kind, std::vector<Variant>& args) {
  const MemberInfo& m = e.info;
  if ((kind & (kInvokeMethod | kInvokeGet)) == 0) Raise(err::kNotSupported);
  if (args.size() > m.params.size()) Raise(err::kWrongArgumentCount);
  std::vector<Variant> values(m.params.size());
  std::vector<bool> supplied(m.params.size(), false);
  for (size_t i = 0; i < m.params.size(); ++i) {
    const ParamInfo& p = m.params[i];
    supplied[i] = i < args.size() && !args[i].IsMissing();
    if (supplied[i]) {
      values[i] = Coerce(args[i], p.type);
    } else if (p.optional) {
      values[i] = p.defaultValue;
    } else {
      Raise(err::kArgumentNotOptional);
    }
  }
  const std::vector<Variant> before = values;
  Variant result = e.access.call(control, values);
  // By-reference arguments the member changed go back to the caller.
  for (size_t i = 0; i < values.size(); ++i) {
    if (supplied[i] && m.params[i].byRef && !SameValue(values[i], before[i])) args[i] = values[i];
  }
  return result;
}

std::string Braced(const char* guid) { return std::string("{") + guid + "}"; }

TypeLibraryInfo BuildTypeLibrary() {
  TypeLibraryInfo lib;
  lib.name = "KavrinLineChartProj";
  lib.libid = Braced("8027108C-6957-4C3E-A3EB-C5D72D4BCA1F");
  lib.majorVersion = 1;
  lib.minorVersion = 0;
  lib.lcid = 0x409;
  lib.helpString = "Kavrin Line Chart 2010.1.0";
  lib.control = true;

  TypeInfoEntry control;
  control.name = "KavrinLineChart";
  control.guid = Braced("BA8CA522-7C56-4AE2-95BF-65B847FF0DEF");
  control.kind = TypeKind::kCoclass;
  control.control = true;
  control.defaultInterface = "_KavrinLineChart";
  control.defaultSourceInterface = "__KavrinLineChart";
  // RECOMPOSEONRESIZE | CANTLINKINSIDE | INSIDEOUT | ACTIVATEWHENVISIBLE | SIMPLEFRAME |
  // SETCLIENTSITEFIRST
  control.miscStatus = 0x30191;
  control.toolboxBitmap = 30000;
  lib.types.push_back(control);

  TypeInfoEntry dual;
  dual.name = "_KavrinLineChart";
  dual.guid = Braced("C91A5707-DA25-4521-AAFC-C7A5C8D18D6A");
  dual.kind = TypeKind::kDualInterface;
  dual.hidden = true;
  dual.nonextensible = true;
  for (const Entry& e : Entries()) dual.members.push_back(e.info.name);
  lib.types.push_back(dual);

  TypeInfoEntry events;
  events.name = "__KavrinLineChart";
  events.guid = Braced("96393F3E-04E1-4FEF-A3B9-C251A1395711");
  events.kind = TypeKind::kDispInterface;
  events.hidden = true;
  lib.types.push_back(events);

  TypeInfoEntry chart;
  chart.name = "cLineChart";
  chart.guid = Braced("116F2080-51CA-4E62-925F-F13908A04701");
  chart.kind = TypeKind::kCoclass;
  chart.creatable = false;
  chart.defaultInterface = "_cLineChart";
  chart.defaultSourceInterface = "__cLineChart";
  lib.types.push_back(chart);

  TypeInfoEntry chartDual;
  chartDual.name = "_cLineChart";
  chartDual.guid = Braced("A6D532AF-13DB-4D06-9062-C0ED5AE04C02");
  chartDual.kind = TypeKind::kDualInterface;
  chartDual.hidden = true;
  chartDual.nonextensible = true;
  chartDual.members = {"BindDc",        "BindWnd",     "BorderWidth",  "BorderColor",    "WorkRc",
                       "FrameRc",       "Unit",        "UnitFont",     "Zoom",           "MeasureWidth",
                       "bValueLineDsip", "bTimeLineDsip", "CutLineFont", "ValueLineColor", "TimeLineColor",
                       "BkGndColor",    "Min",         "Max",          "MeasurePos",     "Title",
                       "TitleFont",     "TitleColor",  "TitlePos",     "VerValueSpace",  "MeasureFont",
                       "MeasureColor",  "ReDraw",      "Movie",        "AddLine",        "SetValue",
                       "Start",         "StartExport"};
  lib.types.push_back(chartDual);

  TypeInfoEntry chartEvents;
  chartEvents.name = "__cLineChart";
  chartEvents.guid = Braced("1984825B-93BC-4446-AEEE-E47F2B6CDAD3");
  chartEvents.kind = TypeKind::kDispInterface;
  chartEvents.hidden = true;
  chartEvents.members = {"Change"};
  lib.types.push_back(chartEvents);

  TypeInfoEntry font;
  font.name = "cFont";
  font.guid = Braced("D1F7C495-2C93-4960-AA73-9CFC26CC48E6");
  font.kind = TypeKind::kCoclass;
  font.creatable = false;
  font.defaultInterface = "_cFont";
  lib.types.push_back(font);

  TypeInfoEntry fontDual;
  fontDual.name = "_cFont";
  fontDual.guid = Braced("380F14BA-6F64-42EE-AF1E-3938E6A380CF");
  fontDual.kind = TypeKind::kDualInterface;
  fontDual.hidden = true;
  fontDual.nonextensible = true;
  fontDual.members = {"SetBindDc",   "SetBindWnd",     "SetFont",      "SetDegrees", "SetDefColor",
                      "SetHotColor", "GetFontW",       "GetFontH",     "LoadMyFont", "RestoreSysFont",
                      "ReLoadMyFont", "TestPreFont",   "BuildFormat",  "BuildFont"};
  lib.types.push_back(fontDual);
  return lib;
}

}  // namespace

const std::vector<MemberInfo>& ControlMembers() {
  static const std::vector<MemberInfo> members = [] {
    std::vector<MemberInfo> v;
    for (const Entry& e : Entries()) v.push_back(e.info);
    return v;
  }();
  return members;
}

const MemberInfo* FindMember(DispId dispid) {
  const Entry* e = FindEntry(dispid);
  return e ? &ControlMembers()[static_cast<size_t>(e->info.index - 1)] : nullptr;
}

const MemberInfo* FindMember(std::string_view name) {
  for (const MemberInfo& m : ControlMembers()) {
    if (SameNameNoCase(m.name, name)) return &m;
  }
  return nullptr;
}

DispId GetIDOfName(std::string_view name) {
  const MemberInfo* m = FindMember(name);
  if (m == nullptr) Raise(err::kNotSupported);
  return m->dispid;
}

std::vector<DispId> GetIDsOfNames(const std::vector<std::string>& names) {
  std::vector<DispId> ids;
  if (names.empty()) return ids;
  const MemberInfo* m = FindMember(names[0]);
  if (m == nullptr) Raise(err::kNotSupported);
  ids.push_back(m->dispid);
  for (size_t i = 1; i < names.size(); ++i) {
    DispId found = -1;
    for (size_t p = 0; p < m->params.size(); ++p) {
      if (SameNameNoCase(m->params[p].name, names[i])) found = static_cast<DispId>(p);
    }
    if (found < 0) Raise(kNamedArgumentNotFound, "Named argument not found");
    ids.push_back(found);
  }
  return ids;
}

Variant Invoke(KavrinLineChart& control, DispId dispid, uint16_t kind, std::vector<Variant>& args) {
  const Entry* e = FindEntry(dispid);
  if (e == nullptr) Raise(err::kNotSupported);
  if (e->info.kind == MemberKind::kProperty) return InvokeProperty(control, *e, kind, args);
  return InvokeMethod(control, *e, kind, args);
}

Variant InvokeByName(KavrinLineChart& control, std::string_view name, uint16_t kind, std::vector<Variant>& args) {
  return Invoke(control, GetIDOfName(name), kind, args);
}

const TypeLibraryInfo& ControlTypeLibrary() {
  static const TypeLibraryInfo lib = BuildTypeLibrary();
  return lib;
}

const TypeInfoEntry* FindType(std::string_view name) {
  for (const TypeInfoEntry& t : ControlTypeLibrary().types) {
    if (t.name == name) return &t;
  }
  return nullptr;
}

}  // namespace kavrin

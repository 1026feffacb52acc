// Writes the control's type library as IDL for widl, generated from the automation table
// in control/, so that the library and the table cannot drift apart.
//
//   make_idl OUTPUT.idl             the IDL of the type library
//   make_idl --header OUTPUT.idl    the same without parameter defaults, for the C++
//                                   header (widl would make them C++ default arguments,
//                                   which a pointer parameter cannot take)
//
// widl copies the bytes of a string into the library unchanged, and the library keeps its
// help strings in code page 936: the table's UTF-8 help strings are converted to GBK here,
// and every 0x5C byte (a backslash, or the trail byte of a GBK character) is escaped.
#include <iconv.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "control/automation.h"

namespace {

using kavrin::MemberInfo;
using kavrin::MemberKind;
using kavrin::ParamInfo;
using kavrin::TypeInfoEntry;
using kavrin::TypeKind;
using kavrin::VarType;

std::string ToGbk(const std::string& utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert UTF-8 to GBK");
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* o = out.data();
  size_t outLeft = out.size();
  const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) throw std::runtime_error("help string not representable in GBK: " + utf8);
  out.resize(out.size() - outLeft);
  return out;
}

// An IDL string literal holding the GBK bytes of a UTF-8 text.
std::string IdlString(const std::string& utf8) {
  std::string s = "\"";
  for (const char c : ToGbk(utf8)) {
    if (c == '\\' || c == '"') s += '\\';
    s += c;
  }
  return s + "\"";
}

std::string Hex(kavrin::DispId id) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(id));
  return buf;
}

std::string Uuid(const std::string& braced) { return braced.substr(1, braced.size() - 2); }

// The IDL type of an automation type name.
std::string IdlType(const std::string& typeName) {
  static const std::map<std::string, std::string> types = {
      {"Integer", "short"},         {"Long", "long"},           {"Double", "double"},
      {"Boolean", "VARIANT_BOOL"},  {"String", "BSTR"},         {"Variant", "VARIANT"},
      {"OLE_COLOR", "OLE_COLOR"},   {"Font", "IFontDisp*"},     {"Picture", "IPictureDisp*"},
      {"Byte", "unsigned char"},
  };
  const auto it = types.find(typeName);
  if (it == types.end()) throw std::runtime_error("no IDL type for " + typeName);
  return it->second;
}

std::string DefaultValue(const ParamInfo& p) {
  const kavrin::Variant& v = p.defaultValue;
  switch (v.Type()) {
    case VarType::kBoolean:
    case VarType::kInteger:
    case VarType::kLong: return std::to_string(v.ToLong());
    case VarType::kString: return IdlString(v.ToString());
    default: throw std::runtime_error("no IDL default for parameter " + p.name);
  }
}

bool g_forHeader = false;

// widl writes a text default only for a by-value BSTR. Such a by-reference parameter is
// written to the library by value, with its default; tlb_byref_text then turns it into
// the by-reference parameter it is (the header IDL has it by reference, without default).
std::string Parameter(const ParamInfo& p) {
  const bool hasDefault = !p.defaultValue.IsMissing() && !g_forHeader;
  const bool textByValue = hasDefault && p.byRef && p.defaultValue.Type() == VarType::kString;
  const bool byRef = p.byRef && !textByValue;
  std::string attrs = byRef ? "in, out" : "in";
  if (p.optional) attrs += ", optional";
  if (hasDefault) attrs += ", defaultvalue(" + DefaultValue(p) + ")";
  return "[" + attrs + "] " + IdlType(p.typeName) + (byRef ? "* " : " ") + p.name;
}

std::string Help(const MemberInfo& m) {
  return m.helpString.empty() ? "" : ", helpstring(" + IdlString(m.helpString) + ")";
}

void WriteMember(std::ostream& out, const MemberInfo& m) {
  const std::string id = "id(" + Hex(m.dispid) + ")";
  if (m.kind == MemberKind::kProperty) {
    out << "    [" << id << ", propget" << Help(m) << "]\n    HRESULT " << m.name << "([out, retval] "
        << IdlType(m.typeName) << "* " << m.name << ");\n";
    const char* put = m.canSet ? "propputref" : "propput";
    out << "    [" << id << ", " << put << Help(m) << "]\n    HRESULT " << m.name << "("
        << Parameter(m.params.at(0)) << ");\n";
    return;
  }
  std::string params;
  for (const ParamInfo& p : m.params) params += (params.empty() ? "" : ", ") + Parameter(p);
  if (!m.typeName.empty())
    params += (params.empty() ? "" : ", ") + ("[out, retval] " + IdlType(m.typeName) + "* " + m.name);
  out << "    [" << id << Help(m) << "]\n    HRESULT " << m.name << "(" << params << ");\n";
}

// The engine's classes: the table names their members; their signatures live here, as the
// COM server implements none of them.
struct EngineMember {
  const char* name;
  const char* kind;  // "put", "putref", "get", "method"
  const char* type;  // value type of a property, result of a method ("" none)
  std::vector<std::pair<const char*, const char*>> params;  // method: name, type (all by reference)
  bool byValue = false;
};

const std::vector<EngineMember>& EngineMembers(const std::string& iface) {
  static const std::vector<EngineMember> chart = {
      {"BindDc", "put", "Long", {}, true},        {"BindWnd", "put", "Long", {}, true},
      {"BorderWidth", "put", "Integer", {}},      {"BorderColor", "put", "Long", {}},
      {"WorkRc", "put", "Long", {}},              {"FrameRc", "put", "Long", {}},
      {"Unit", "put", "String", {}},              {"UnitFont", "putref", "Font", {}},
      {"Zoom", "put", "Double", {}},              {"MeasureWidth", "put", "Integer", {}},
      {"bValueLineDsip", "put", "Boolean", {}},   {"bTimeLineDsip", "put", "Boolean", {}},
      {"CutLineFont", "putref", "Font", {}},      {"ValueLineColor", "put", "Long", {}},
      {"TimeLineColor", "put", "Long", {}},       {"BkGndColor", "put", "Long", {}},
      {"Min", "put", "Double", {}},               {"Max", "put", "Double", {}},
      {"MeasurePos", "put", "Integer", {}},       {"Title", "put", "String", {}},
      {"TitleFont", "putref", "Font", {}},        {"TitleColor", "put", "Long", {}},
      {"TitlePos", "put", "Integer", {}},         {"VerValueSpace", "put", "Double", {}},
      {"MeasureFont", "putref", "Font", {}},      {"MeasureColor", "put", "Long", {}},
      {"ReDraw", "method", "", {}},               {"Movie", "method", "", {}},
      {"AddLine", "method", "Integer",
       {{"Key", "String"}, {"lCr", "Long"}, {"PointPic", "Picture"}, {"bDispPointTip", "Boolean"},
        {"lTipColor", "Long"}}},
      {"SetValue", "method", "", {{"Id", "Integer"}, {"Value", "Double"}}},
      {"Start", "method", "", {}},
      {"StartExport", "method", "", {{"b", "Boolean"}, {"sPath", "String"}, {"sName", "String"}}},
  };
  static const std::vector<EngineMember> font = {
      {"SetBindDc", "put", "Long", {}},   {"SetBindWnd", "put", "Long", {}},
      {"SetFont", "putref", "Font", {}},  {"SetDegrees", "put", "Long", {}},
      {"SetDefColor", "put", "Long", {}}, {"SetHotColor", "put", "Long", {}},
      {"GetFontW", "get", "Integer", {}}, {"GetFontH", "get", "Integer", {}},
      {"LoadMyFont", "method", "Long", {}}, {"RestoreSysFont", "method", "", {}},
      {"ReLoadMyFont", "method", "", {}}, {"TestPreFont", "method", "", {}},
      {"BuildFormat", "method", "", {{"nFormat", "Byte"}}},
      {"BuildFont", "method", "", {{"sFontName", "String"}}},
  };
  static const std::vector<EngineMember> none;
  if (iface == "_cLineChart") return chart;
  if (iface == "_cFont") return font;
  return none;
}

// Properties count down from the property base in declaration order's reverse, methods
// count up after them, as the control's own interface numbers its members.
void WriteEngineInterface(std::ostream& out, const TypeInfoEntry& t) {
  const std::vector<EngineMember>& members = EngineMembers(t.name);
  if (members.size() != t.members.size()) throw std::runtime_error("member list of " + t.name + " differs");
  int properties = 0;
  for (size_t i = 0; i < members.size(); ++i) {
    if (t.members[i] != members[i].name) throw std::runtime_error(t.name + ": unexpected member " + t.members[i]);
    if (std::string(members[i].kind) != "method") ++properties;
  }
  int property = 0, method = 0;
  for (const EngineMember& m : members) {
    const std::string kind = m.kind;
    if (kind == "method") {
      std::string params;
      for (const auto& [name, type] : m.params)
        params += (params.empty() ? "" : ", ") + ("[in, out] " + IdlType(type) + "* " + name);
      if (*m.type) params += (params.empty() ? "" : ", ") + ("[out, retval] " + IdlType(m.type) + "* result");
      out << "    [id(" << Hex(kavrin::kMethodDispIdBase - 0x1E + properties + method++) << ")]\n    HRESULT "
          << m.name << "(" << params << ");\n";
      continue;
    }
    const std::string id = Hex(kavrin::kPropertyDispIdBase + properties - 1 - property++);
    if (kind == "get") {
      out << "    [id(" << id << "), propget]\n    HRESULT " << m.name << "([out, retval] " << IdlType(m.type)
          << "* " << m.name << ");\n";
    } else {
      out << "    [id(" << id << "), " << (kind == "put" ? "propput" : "propputref") << "]\n    HRESULT " << m.name
          << "(" << (m.byValue ? "[in] " : "[in, out] ") << IdlType(m.type) << (m.byValue ? " " : "* ") << "New_"
          << m.name << ");\n";
    }
  }
}

void WriteInterface(std::ostream& out, const TypeInfoEntry& t) {
  out << "  [\n    uuid(" << Uuid(t.guid) << "),\n    odl, dual, oleautomation";
  if (t.hidden) out << ", hidden";
  if (t.nonextensible) out << ", nonextensible";
  out << "\n  ]\n  interface " << t.name << " : IDispatch {\n";
  if (t.name == "_KavrinLineChart") {
    for (const MemberInfo& m : kavrin::ControlMembers()) WriteMember(out, m);
  } else {
    WriteEngineInterface(out, t);
  }
  out << "  };\n\n";
}

void WriteDispInterface(std::ostream& out, const TypeInfoEntry& t) {
  out << "  [\n    uuid(" << Uuid(t.guid) << ")" << (t.hidden ? ", hidden" : "") << "\n  ]\n  dispinterface "
      << t.name << " {\n    properties:\n    methods:\n";
  for (size_t i = 0; i < t.members.size(); ++i) out << "      [id(" << i + 1 << ")] void " << t.members[i] << "();\n";
  out << "  };\n\n";
}

void WriteCoclass(std::ostream& out, const TypeInfoEntry& t) {
  out << "  [\n    uuid(" << Uuid(t.guid) << ")" << (t.control ? ", control" : "")
      << (t.creatable ? "" : ", noncreatable") << "\n  ]\n  coclass " << t.name << " {\n";
  if (!t.defaultInterface.empty()) out << "    [default] interface " << t.defaultInterface << ";\n";
  if (!t.defaultSourceInterface.empty())
    out << "    [default, source] dispinterface " << t.defaultSourceInterface << ";\n";
  out << "  };\n\n";
}

std::string Idl() {
  const kavrin::TypeLibraryInfo& lib = kavrin::ControlTypeLibrary();
  std::ostringstream out;
  out << "// Generated by make_idl from the automation table in control/. Do not edit.\n"
      << "import \"oaidl.idl\";\n\n"
      // A public alias, so that the library refers to stdole's OLE_COLOR (property browsers
      // offer a colour picker for it) instead of writing a plain unsigned long; the font
      // and picture interfaces are found in stdole by name.
      << "typedef [public] DWORD OLE_COLOR;\ninterface IFontDisp;\ninterface IPictureDisp;\n\n";
  char lcid[16];
  std::snprintf(lcid, sizeof lcid, "0x%04X", static_cast<unsigned>(lib.lcid));
  out << "[\n  uuid(" << Uuid(lib.libid) << "),\n  version(" << lib.majorVersion << "." << lib.minorVersion
      << "),\n  helpstring(" << IdlString(lib.helpString) << "),\n  lcid(" << lcid << ")"
      << (lib.control ? ",\n  control" : "") << "\n]\nlibrary " << lib.name << "\n{\n"
      << "  importlib(\"stdole2.tlb\");\n\n";
  // Interfaces first, so that every coclass refers to types already written.
  for (const TypeInfoEntry& t : lib.types) {
    if (t.kind == TypeKind::kDualInterface) WriteInterface(out, t);
    if (t.kind == TypeKind::kDispInterface) WriteDispInterface(out, t);
  }
  for (const TypeInfoEntry& t : lib.types) {
    if (t.kind == TypeKind::kCoclass) WriteCoclass(out, t);
  }
  out << "};\n";
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  g_forHeader = argc == 3 && std::string(argv[1]) == "--header";
  if (argc != 2 && !g_forHeader) {
    std::cerr << "usage: make_idl [--header] OUTPUT.idl\n";
    return 2;
  }
  const char* path = argv[argc - 1];
  try {
    const std::string idl = Idl();
    std::ofstream f(path, std::ios::binary);
    f << idl;
    if (!f.flush()) throw std::runtime_error(std::string("cannot write ") + path);
  } catch (const std::exception& e) {
    std::cerr << "make_idl: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

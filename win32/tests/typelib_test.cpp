// Loads the type library from KavrinLineChart.ocx (LoadTypeLibEx, as a client does) and
// checks it against the automation table in control/: library attributes, every type with
// its flags, every member of _KavrinLineChart with DISPID, kind, help string, parameter
// names, types, flags and defaults.
//
//   typelib_test PATH\KavrinLineChart.ocx [--acp N]
//
// The library holds its help strings in code page 936 and the system decodes them with the
// process's ANSI code page; --acp makes the test insist on that code page (a missing
// Chinese locale must fail, not fall back).
#include <windows.h>

#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "control/automation.h"
#include "win32/registration.h"
#include "win32/tests/check.h"

namespace {

using kavrin::MemberInfo;
using kavrin::MemberKind;
using kavrin::ParamInfo;
using kavrin::TypeInfoEntry;
using kavrin::TypeKind;
using kavrin::win32::Widen;
using kavrin::wintest::Check;
using kavrin::wintest::CheckEq;

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring Take(BSTR b) {
  std::wstring w = b ? std::wstring(b, SysStringLen(b)) : std::wstring();
  SysFreeString(b);
  return w;
}

// The text a process reads for a help string stored as GBK bytes: the bytes decoded with
// its ANSI code page (936 gives the text back unchanged).
std::wstring AsReadBack(const std::string& utf8) {
  const std::wstring w = Widen(utf8);
  if (GetACP() == 936 || w.empty()) return w;
  const int n = WideCharToMultiByte(936, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string gbk(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(936, 0, w.data(), static_cast<int>(w.size()), gbk.data(), n, nullptr, nullptr);
  const int m = MultiByteToWideChar(CP_ACP, 0, gbk.data(), n, nullptr, 0);
  std::wstring back(static_cast<size_t>(m), L'\0');
  MultiByteToWideChar(CP_ACP, 0, gbk.data(), n, back.data(), m);
  return back;
}

std::string Name(ITypeInfo* ti, MEMBERID id = MEMBERID_NIL) {
  BSTR name = nullptr;
  ti->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
  return Utf8(Take(name));
}

std::wstring HelpString(ITypeInfo* ti, MEMBERID id) {
  BSTR doc = nullptr;
  ti->GetDocumentation(id, nullptr, &doc, nullptr, nullptr);
  return Take(doc);
}

// The automation type a parameter description names ("Integer", "Font", ...), given
// whether it is passed by reference.
std::string TypeName(ITypeInfo* ti, const TYPEDESC& td, bool byRef) {
  const TYPEDESC* t = &td;
  if (byRef) {
    if (t->vt != VT_PTR) return "<not by reference>";
    t = t->lptdesc;
  }
  switch (t->vt) {
    case VT_I2: return "Integer";
    case VT_I4: return "Long";
    case VT_R8: return "Double";
    case VT_BOOL: return "Boolean";
    case VT_BSTR: return "String";
    case VT_VARIANT: return "Variant";
    case VT_UI1: return "Byte";
    case VT_USERDEFINED:
    case VT_PTR: {
      const TYPEDESC* u = t->vt == VT_PTR ? t->lptdesc : t;
      if (u->vt != VT_USERDEFINED) return "<pointer>";
      ITypeInfo* ref = nullptr;
      if (FAILED(ti->GetRefTypeInfo(u->hreftype, &ref))) return "<unresolved>";
      std::string n = Name(ref);
      ref->Release();
      if (n == "IFontDisp") n = "Font";
      if (n == "IPictureDisp") n = "Picture";
      return n;
    }
    default: return "<vt " + std::to_string(t->vt) + ">";
  }
}

bool SameDefault(const VARIANT& v, const kavrin::Variant& expected) {
  switch (expected.Type()) {
    case kavrin::VarType::kBoolean: return v.vt == VT_BOOL && v.boolVal == expected.ToBoolean();
    case kavrin::VarType::kLong: return v.vt == VT_I4 && v.lVal == expected.ToLong();
    case kavrin::VarType::kInteger: return v.vt == VT_I2 && v.iVal == expected.ToInteger();
    case kavrin::VarType::kString:
      return v.vt == VT_BSTR && Utf8(std::wstring(v.bstrVal, SysStringLen(v.bstrVal))) == expected.ToString();
    default: return false;
  }
}

void CheckParam(ITypeInfo* ti, const ELEMDESC& e, const ParamInfo& p, const std::string& where) {
  const USHORT f = e.paramdesc.wParamFlags;
  CheckEq(TypeName(ti, e.tdesc, p.byRef), p.typeName, where + " type");
  Check((f & PARAMFLAG_FIN) != 0, where + " is in");
  CheckEq((f & PARAMFLAG_FOUT) != 0, p.byRef, where + " by reference (out flag)");
  CheckEq((f & PARAMFLAG_FOPT) != 0, p.optional, where + " optional flag");
  const bool hasDefault = !p.defaultValue.IsMissing();
  if (!CheckEq((f & PARAMFLAG_FHASDEFAULT) != 0, hasDefault, where + " default flag") || !hasDefault) return;
  Check(e.paramdesc.pparamdescex && SameDefault(e.paramdesc.pparamdescex->varDefaultValue, p.defaultValue),
        where + " default value");
}

void CheckRetval(ITypeInfo* ti, const ELEMDESC& e, const std::string& typeName, const std::string& where) {
  CheckEq(e.paramdesc.wParamFlags & (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL), PARAMFLAG_FOUT | PARAMFLAG_FRETVAL,
          where + " result is out, retval");
  CheckEq(TypeName(ti, e.tdesc, true), typeName, where + " result type");
}

// One function of the vtable interface against one accessor or method of the table.
void CheckFunction(ITypeInfo* vt, UINT index, const MemberInfo& m, INVOKEKIND kind) {
  const std::string where = m.name + (kind == INVOKE_PROPERTYGET ? " (get)" : kind == INVOKE_FUNC ? "" : " (put)");
  FUNCDESC* fd = nullptr;
  if (!Check(SUCCEEDED(vt->GetFuncDesc(index, &fd)), where + ": function " + std::to_string(index) + " exists"))
    return;
  CheckEq(Name(vt, fd->memid), m.name, where + " at vtable position " + std::to_string(index));
  CheckEq(fd->memid, m.dispid, where + " DISPID");
  CheckEq(fd->invkind, kind, where + " invoke kind");
  CheckEq(Utf8(HelpString(vt, fd->memid)), Utf8(AsReadBack(m.helpString)), where + " help string");
  if (m.kind == MemberKind::kProperty) {
    if (CheckEq(fd->cParams, 1, where + " parameter count")) {
      if (kind == INVOKE_PROPERTYGET)
        CheckRetval(vt, fd->lprgelemdescParam[0], m.typeName, where);
      else
        CheckParam(vt, fd->lprgelemdescParam[0], m.params.at(0), where + " " + m.params.at(0).name);
    }
  } else {
    const size_t result = m.typeName.empty() ? 0 : 1;
    if (CheckEq(static_cast<size_t>(fd->cParams), m.params.size() + result, where + " parameter count")) {
      BSTR names[16] = {};
      UINT got = 0;
      vt->GetNames(fd->memid, names, 16, &got);
      for (size_t i = 0; i < m.params.size(); ++i) {
        const std::string p = i + 1 < got ? Utf8(std::wstring(names[i + 1])) : "";
        CheckEq(p, m.params[i].name, where + " parameter " + std::to_string(i + 1) + " name");
        CheckParam(vt, fd->lprgelemdescParam[i], m.params[i], where + " " + m.params[i].name);
      }
      for (UINT i = 0; i < got; ++i) SysFreeString(names[i]);
      if (result) CheckRetval(vt, fd->lprgelemdescParam[m.params.size()], m.typeName, where);
    }
  }
  vt->ReleaseFuncDesc(fd);
}

void CheckControlMembers(ITypeInfo* dispatch) {
  HREFTYPE href = 0;
  ITypeInfo* vt = nullptr;
  if (!Check(SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &href)) &&
                 SUCCEEDED(dispatch->GetRefTypeInfo(href, &vt)),
             "_KavrinLineChart has a vtable interface"))
    return;
  UINT index = 0;
  size_t functions = 0;
  for (const MemberInfo& m : kavrin::ControlMembers()) {
    if (m.kind == MemberKind::kMethod) {
      CheckFunction(vt, index++, m, INVOKE_FUNC);
      ++functions;
      continue;
    }
    CheckFunction(vt, index++, m, INVOKE_PROPERTYGET);
    CheckFunction(vt, index++, m, m.canSet ? INVOKE_PROPERTYPUTREF : INVOKE_PROPERTYPUT);
    functions += 2;
    // Late-bound callers find the member by name in any case.
    std::wstring lower = Widen(m.name);
    CharLowerW(lower.data());
    LPOLESTR names[1] = {lower.data()};
    MEMBERID id = 0;
    Check(SUCCEEDED(dispatch->GetIDsOfNames(names, 1, &id)) && id == m.dispid, m.name + " found by lower-case name");
  }
  TYPEATTR* a = nullptr;
  vt->GetTypeAttr(&a);
  CheckEq(static_cast<size_t>(a->cFuncs), functions, "_KavrinLineChart has no other functions");
  vt->ReleaseTypeAttr(a);
  vt->Release();
}

// Member names of an interface, in slot order, each property's accessors counted once.
std::vector<std::string> MemberNames(ITypeInfo* ti) {
  std::vector<std::string> names;
  TYPEATTR* a = nullptr;
  ti->GetTypeAttr(&a);
  for (UINT i = 0; i < a->cFuncs; ++i) {
    FUNCDESC* fd = nullptr;
    ti->GetFuncDesc(i, &fd);
    const std::string n = Name(ti, fd->memid);
    if (names.empty() || names.back() != n) names.push_back(n);
    ti->ReleaseFuncDesc(fd);
  }
  ti->ReleaseTypeAttr(a);
  return names;
}

std::string ImplementedName(ITypeInfo* coclass, int wanted) {
  TYPEATTR* a = nullptr;
  coclass->GetTypeAttr(&a);
  std::string found;
  for (UINT i = 0; i < a->cImplTypes; ++i) {
    INT flags = 0;
    HREFTYPE href = 0;
    ITypeInfo* ref = nullptr;
    coclass->GetImplTypeFlags(i, &flags);
    if ((flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) != wanted) continue;
    if (SUCCEEDED(coclass->GetRefTypeOfImplType(i, &href)) && SUCCEEDED(coclass->GetRefTypeInfo(href, &ref))) {
      found = Name(ref);
      ref->Release();
    }
  }
  coclass->ReleaseTypeAttr(a);
  return found;
}

void CheckType(ITypeLib* lib, const TypeInfoEntry& t) {
  GUID guid;
  ITypeInfo* ti = nullptr;
  if (!Check(SUCCEEDED(CLSIDFromString(Widen(t.guid).c_str(), &guid)) && SUCCEEDED(lib->GetTypeInfoOfGuid(guid, &ti)),
             t.name + " is in the library under " + t.guid))
    return;
  CheckEq(Name(ti), t.name, t.guid + " name");
  TYPEATTR* a = nullptr;
  ti->GetTypeAttr(&a);
  const WORD flags = a->wTypeFlags;
  const TYPEKIND kind = a->typekind;
  ti->ReleaseTypeAttr(a);
  if (t.kind == TypeKind::kCoclass) {
    CheckEq(kind, TKIND_COCLASS, t.name + " is a coclass");
    CheckEq((flags & TYPEFLAG_FCONTROL) != 0, t.control, t.name + " control flag");
    CheckEq((flags & TYPEFLAG_FCANCREATE) != 0, t.creatable, t.name + " creatable flag");
    CheckEq(ImplementedName(ti, IMPLTYPEFLAG_FDEFAULT), t.defaultInterface, t.name + " default interface");
    CheckEq(ImplementedName(ti, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE), t.defaultSourceInterface,
            t.name + " default source interface");
  } else {
    CheckEq(kind, TKIND_DISPATCH, t.name + " is a dispatch interface");
    CheckEq((flags & TYPEFLAG_FDUAL) != 0, t.kind == TypeKind::kDualInterface, t.name + " dual flag");
    CheckEq((flags & TYPEFLAG_FHIDDEN) != 0, t.hidden, t.name + " hidden flag");
    CheckEq((flags & TYPEFLAG_FNONEXTENSIBLE) != 0, t.nonextensible, t.name + " non-extensible flag");
    ITypeInfo* members = ti;
    HREFTYPE href = 0;
    if (t.kind == TypeKind::kDualInterface && SUCCEEDED(ti->GetRefTypeOfImplType(static_cast<UINT>(-1), &href)))
      ti->GetRefTypeInfo(href, &members);
    CheckEq(MemberNames(members), t.members, t.name + " members in slot order");
    if (members != ti) members->Release();
    if (t.name == "_KavrinLineChart") CheckControlMembers(ti);
  }
  ti->Release();
}

void CheckLibrary(ITypeLib* lib) {
  const kavrin::TypeLibraryInfo& info = kavrin::ControlTypeLibrary();
  TLIBATTR* a = nullptr;
  lib->GetLibAttr(&a);
  GUID libid;
  CLSIDFromString(Widen(info.libid).c_str(), &libid);
  Check(IsEqualGUID(a->guid, libid), "library GUID");
  CheckEq(a->wMajorVerNum, info.majorVersion, "library major version");
  CheckEq(a->wMinorVerNum, info.minorVersion, "library minor version");
  CheckEq(a->lcid, info.lcid, "library locale");
  CheckEq((a->wLibFlags & LIBFLAG_FCONTROL) != 0, info.control, "library control flag");
  lib->ReleaseTLibAttr(a);
  BSTR name = nullptr, doc = nullptr;
  lib->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
  CheckEq(Utf8(Take(name)), info.name, "library name");
  CheckEq(Utf8(Take(doc)), Utf8(AsReadBack(info.helpString)), "library help string");
  CheckEq(static_cast<size_t>(lib->GetTypeInfoCount()), info.types.size(), "library holds only the table's types");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: typelib_test PATH.ocx [--acp N]\n");
    return 2;
  }
  if (argc == 4 && std::strcmp(argv[2], "--acp") == 0)
    CheckEq(GetACP(), static_cast<UINT>(std::atoi(argv[3])), "process ANSI code page");
  std::printf("ANSI code page %u\n", GetACP());
  CoInitialize(nullptr);
  ITypeLib* lib = nullptr;
  if (Check(SUCCEEDED(LoadTypeLibEx(Widen(argv[1]).c_str(), REGKIND_NONE, &lib)), "type library loads from the .ocx")) {
    CheckLibrary(lib);
    for (const TypeInfoEntry& t : kavrin::ControlTypeLibrary().types) CheckType(lib, t);
    lib->Release();
  }
  CoUninitialize();
  return kavrin::wintest::Finish("typelib_test");
}

// A C++ client of the registered control, run under Wine: it drives the object through
// IDispatch by name and through the vtable, with arguments by name, left out or wrong as
// late-bound callers pass them, round-trips the settings through its own property bag and
// through a stream, saves a picture to a full disk, and checks that 10,000 objects made, used
// and released leave no handle, no GDI object and no lock behind.
//   client.exe <saved_settings.txt> <scratch folder> [cycles] [folder on a disk too small for a picture]
// Prints one line per failure and "client: done, N failures" last; exits with N.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "kavrin_line_chart_h.h"

// The property browser's interface, which the mingw headers lack. Declared outside the
// anonymous namespace: the compiler may take a call through an interface that no class
// of its own unit implements as unreachable.
struct ICategorizeProperties : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE MapPropertyToCategory(DISPID dispid, int* category) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCategoryName(int category, LCID lcid, BSTR* name) = 0;
};

namespace {

int failures = 0;

void Fail(const std::string& what) {
  std::printf("FAIL %s\n", what.c_str());
  ++failures;
}
void Expect(bool ok, const std::string& what) {
  if (!ok) Fail(what);
}
void ExpectHr(HRESULT got, HRESULT expected, const std::string& what) {
  if (got != expected) {
    char buf[96];
    std::snprintf(buf, sizeof buf, ": 0x%08lX, expected 0x%08lX", static_cast<unsigned long>(got),
                  static_cast<unsigned long>(expected));
    Fail(what + buf);
  }
}

std::string Narrow(const wchar_t* w) {
  std::string s;
  for (; w && *w; ++w) s += static_cast<char>(*w);
  return s;
}

// A reference that releases itself.
template <typename T>
struct Ref {
  T* p = nullptr;
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() {
    if (p) p->Release();
  }
  T* operator->() const { return p; }
  T** out() { return &p; }
  void** vout() { return reinterpret_cast<void**>(&p); }
};

struct Bstr {
  BSTR b;
  explicit Bstr(const wchar_t* s) : b(SysAllocString(s)) {}
  ~Bstr() { SysFreeString(b); }
};

CLSID ControlClass() {
  CLSID clsid{};
  CLSIDFromProgID(L"KavrinLineChartProj.KavrinLineChart", &clsid);
  return clsid;
}

HRESULT NewControl(IDispatch** out) {
  return CoCreateInstance(ControlClass(), nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(out));
}

// The dual interface, found as a client finds it: through the object's type information.
HRESULT VtableOf(IDispatch* d, _KavrinLineChart** out) {
  Ref<ITypeInfo> info;
  HRESULT hr = d->GetTypeInfo(0, 0, info.out());
  if (FAILED(hr)) return hr;
  TYPEATTR* attr = nullptr;
  hr = info->GetTypeAttr(&attr);
  if (FAILED(hr)) return hr;
  const IID iid = attr->guid;
  info->ReleaseTypeAttr(attr);
  return d->QueryInterface(iid, reinterpret_cast<void**>(out));
}

// ---- late-bound calls ----

DISPID IdOf(IDispatch* d, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR n = const_cast<LPOLESTR>(name);
  d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

// args in declaration order (reversed here into the DISPPARAMS order).
HRESULT CallByName(IDispatch* d, const wchar_t* name, WORD flags, std::vector<VARIANT> args, VARIANT* result,
                   EXCEPINFO* ex) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  UINT argErr = 0;
  return d->Invoke(IdOf(d, name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, ex, &argErr);
}

// Argument values; text and objects stay their owner's.
VARIANT Typed(VARTYPE type) {
  VARIANT x{};  // a null reference, for a by-reference type
  V_VT(&x) = type;
  return x;
}
VARIANT Lng(LONG v) {
  VARIANT x = Typed(VT_I4);
  V_I4(&x) = v;
  return x;
}
VARIANT Str(BSTR v) {
  VARIANT x = Typed(VT_BSTR);
  V_BSTR(&x) = v;
  return x;
}
VARIANT ByRef(VARIANT* v) {
  VARIANT x = Typed(VT_BYREF | VT_VARIANT);
  V_VARIANTREF(&x) = v;
  return x;
}
VARIANT Dbl(double v) {
  VARIANT x = Typed(VT_R8);
  V_R8(&x) = v;
  return x;
}
VARIANT Bool(bool v) {
  VARIANT x = Typed(VT_BOOL);
  V_BOOL(&x) = v ? VARIANT_TRUE : VARIANT_FALSE;
  return x;
}
VARIANT Obj(IUnknown* v) {
  VARIANT x = Typed(VT_DISPATCH);
  V_DISPATCH(&x) = static_cast<IDispatch*>(v);
  return x;
}
// An argument left out in the middle of a call, as a script passes one.
VARIANT LeftOut() {
  VARIANT x = Typed(VT_ERROR);
  V_ERROR(&x) = DISP_E_PARAMNOTFOUND;
  return x;
}

// A call with arguments by position (in declaration order) and by name; the names' DISPIDs
// come from GetIDsOfNames as a caller's do, or are given as numbers. Nothing is freed.
struct LateCall {
  const wchar_t* member;
  std::vector<VARIANT> positional;
  std::vector<const wchar_t*> names;
  std::vector<VARIANT> named;
  std::vector<DISPID> ids = {};  // instead of names
};

HRESULT Invoke(IDispatch* d, const LateCall& c, UINT* argErr, VARIANT* result = nullptr,
               WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET) {
  *argErr = ~0u;
  std::vector<LPOLESTR> names{const_cast<LPOLESTR>(c.member)};
  for (const wchar_t* n : c.names) names.push_back(const_cast<LPOLESTR>(n));
  std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
  const HRESULT found = d->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()), 0, ids.data());
  if (FAILED(found)) return found;
  if (c.names.empty()) ids.insert(ids.end(), c.ids.begin(), c.ids.end());
  std::vector<VARIANT> args = c.named;  // named first, then the positional ones last first
  args.insert(args.end(), c.positional.rbegin(), c.positional.rend());
  DISPPARAMS params{args.data(), ids.data() + 1, static_cast<UINT>(args.size()), static_cast<UINT>(c.named.size())};
  return d->Invoke(ids[0], IID_NULL, 0, flags, &params, result, nullptr, argErr);
}

void ClearExcep(EXCEPINFO& ex) {
  SysFreeString(ex.bstrSource);
  SysFreeString(ex.bstrDescription);
  SysFreeString(ex.bstrHelpFile);
  ex = EXCEPINFO{};
}

// ---- the client's own property bag: entries in the order written ----

class Bag final : public IPropertyBag {
 public:
  ~Bag() {
    for (auto& e : entries) VariantClear(&e.second);
  }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
      *ppv = this;
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
    for (auto& e : entries)
      if (e.first == name) return VariantCopy(v, &e.second);
    return E_INVALIDARG;
  }
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* v) override {
    VARIANT copy;
    VariantInit(&copy);
    VariantCopy(&copy, v);
    entries.emplace_back(name, copy);
    return S_OK;
  }
  void Put(const wchar_t* name, VARIANT v) {
    Write(name, &v);
    VariantClear(&v);
  }
  std::vector<std::pair<std::wstring, VARIANT>> entries;
};

// ---- the bag's entries as form text ----

std::string DoubleText(double v) {
  char buf[40];
  if (v == std::floor(v) && std::fabs(v) < 1e15) {
    std::snprintf(buf, sizeof buf, "%.0f#", v);
    return buf;
  }
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  return std::string(buf) + "#";
}

std::string ValueText(const VARIANT& v) {
  switch (V_VT(&v)) {
    case VT_I2:
      return std::to_string(V_I2(&v)) + "%";
    case VT_I4:
      return std::to_string(V_I4(&v)) + "&";
    case VT_R8:
      return DoubleText(V_R8(&v));
    case VT_BOOL:
      return V_BOOL(&v) ? "True" : "False";
    case VT_BSTR:
      return "\"" + Narrow(V_BSTR(&v)) + "\"";
    default:
      return "<type " + std::to_string(V_VT(&v)) + ">";
  }
}

void AppendFont(std::vector<std::string>& out, const std::string& name, IUnknown* object) {
  Ref<IFont> f;
  if (!object || FAILED(object->QueryInterface(IID_IFont, f.vout()))) {
    out.push_back(name + " = <not a font>");
    return;
  }
  BSTR face = nullptr;
  CY size{};
  BOOL bold = 0, italic = 0, underline = 0, strike = 0;
  SHORT weight = 0, charset = 0;
  f->get_Name(&face);
  f->get_Size(&size);
  f->get_Bold(&bold);
  f->get_Italic(&italic);
  f->get_Underline(&underline);
  f->get_Strikethrough(&strike);
  f->get_Weight(&weight);
  f->get_Charset(&charset);
  auto flag = [](BOOL b) { return std::string(b ? "True" : "False"); };
  out.push_back("BeginProperty Font " + name);
  out.push_back("Name = \"" + Narrow(face) + "\"");
  out.push_back("Size = " + DoubleText(static_cast<double>(size.int64) / 10000.0));
  out.push_back("Bold = " + flag(bold));
  out.push_back("Italic = " + flag(italic));
  out.push_back("Underline = " + flag(underline));
  out.push_back("Strikethrough = " + flag(strike));
  out.push_back("Weight = " + std::to_string(weight) + "%");
  out.push_back("Charset = " + std::to_string(charset) + "%");
  out.push_back("EndProperty");
  SysFreeString(face);
}

std::vector<std::string> BagText(const Bag& bag) {
  std::vector<std::string> out;
  for (const auto& [name, v] : bag.entries) {
    if (V_VT(&v) == VT_DISPATCH || V_VT(&v) == VT_UNKNOWN)
      AppendFont(out, Narrow(name.c_str()), V_UNKNOWN(&v));
    else
      out.push_back(Narrow(name.c_str()) + " = " + ValueText(v));
  }
  return out;
}

// The whole file ("" when it cannot be read).
std::string FileText(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}

// The lines of a text file, without comment lines (') and blank ones.
std::vector<std::string> FileLines(const char* path) {
  std::vector<std::string> lines;
  const std::string text = FileText(path);
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '\'') lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

IFontDisp* NewFont(const wchar_t* name, LONGLONG sizeCy, bool bold) {
  FONTDESC d{sizeof(FONTDESC),
             const_cast<LPOLESTR>(name),
             {},
             static_cast<SHORT>(bold ? 700 : 400),
             DEFAULT_CHARSET,
             FALSE,
             FALSE,
             FALSE};
  d.cySize.int64 = sizeCy;
  IFontDisp* f = nullptr;
  OleCreateFontIndirect(&d, IID_IFontDisp, reinterpret_cast<void**>(&f));
  return f;
}

// The same assignments, in the same order, as saved_settings_test.cpp on Linux.
void ApplySettings(_KavrinLineChart* c) {
  Bstr title(L"Pressure"), unit(L"mV"), dist(L"10,10,10,40");
  c->put_Title(title.b);
  c->put_Zoom(1.5);
  c->put_TitlePos(2);
  c->put_MeasurePos(1);
  c->put_bValueLineDisp(VARIANT_FALSE);
  c->put_BorderWidth(2);
  ExpectHr(c->put_BackColor(0x00FFFF), S_OK, "BackColor on a loaded control");
  c->put_ChartBackColor(0x202020);
  c->put_Min(-10);
  c->put_Max(90.5);
  c->put_ValueSpace(20);
  c->put_MeasureWidth(4);
  c->put_Unit(unit.b);
  c->put_Dist(dist.b);
}

template <typename I>
HRESULT As(IUnknown* u, REFIID iid, I** out) {
  return u->QueryInterface(iid, reinterpret_cast<void**>(out));
}

// ---- the checks ----

void DispatchByName() {
  Ref<IDispatch> d;
  ExpectHr(NewControl(d.out()), S_OK, "CoCreateInstance");
  if (!d.p) return;
  Expect(IdOf(d.p, L"tItLe") == 0x68030015, "GetIDsOfNames is case-insensitive");
  LPOLESTR title = const_cast<LPOLESTR>(L"Title"), none = nullptr;
  DISPID titleId = 0;
  ExpectHr(d->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &titleId), E_INVALIDARG, "GetIDsOfNames without names");
  ExpectHr(d->GetIDsOfNames(IID_NULL, &none, 1, 0, &titleId), E_INVALIDARG, "GetIDsOfNames with a null name");
  ExpectHr(d->GetIDsOfNames(IID_NULL, &title, 0, 0, &titleId), E_INVALIDARG, "GetIDsOfNames of no name");
  ExpectHr(d->GetIDsOfNames(IID_NULL, &title, 1, 0, nullptr), E_POINTER, "GetIDsOfNames without room for the DISPIDs");

  VARIANT v = Str(SysAllocString(L"Pressure"));
  ExpectHr(CallByName(d.p, L"Title", DISPATCH_PROPERTYPUT, {v}, nullptr, nullptr), S_OK, "Title put by name");
  VariantClear(&v);
  VARIANT r;
  VariantInit(&r);
  CallByName(d.p, L"TITLE", DISPATCH_PROPERTYGET, {}, &r, nullptr);
  Expect(V_VT(&r) == VT_BSTR && Narrow(V_BSTR(&r)) == "Pressure", "Title get by name");
  VariantClear(&r);

  // A run-time error of the control: DISP_E_EXCEPTION, 0x800A0000 + 91 and its message.
  EXCEPINFO ex{};
  ExpectHr(CallByName(d.p, L"Movie", DISPATCH_METHOD, {}, nullptr, &ex), DISP_E_EXCEPTION, "Movie unconfigured");
  ExpectHr(ex.scode, static_cast<HRESULT>(0x800A005B), "Movie's scode");
  Expect(ex.wCode == 0, "only scode set");
  Expect(Narrow(ex.bstrDescription) == "Object variable or With block variable not set", "Movie's message");
  ClearExcep(ex);
  ExpectHr(CallByName(d.p, L"TitlePos", DISPATCH_PROPERTYPUT, {Lng(40000)}, nullptr, &ex), DISP_E_OVERFLOW,
           "TitlePos 40000 does not fit an Integer");
  ClearExcep(ex);

  Ref<ISupportErrorInfo> support;
  ExpectHr(As(d.p, IID_ISupportErrorInfo, support.out()), S_OK, "ISupportErrorInfo");
  Ref<_KavrinLineChart> c;
  ExpectHr(VtableOf(d.p, c.out()), S_OK, "QueryInterface for the dual interface");
  if (!c.p) return;
  ExpectHr(c->Movie(), static_cast<HRESULT>(0x800A005B), "vtable Movie unconfigured");
  Ref<IErrorInfo> info;
  Expect(GetErrorInfo(0, info.out()) == S_OK, "error info after a failed vtable call");
  short id = 1;
  double value = 2;
  ExpectHr(c->SetValue(&id, &value), static_cast<HRESULT>(0x800A005B), "SetValue unconfigured");
}

void PropertyBagRoundTrip(const char* expectedFile, const std::string& scratch) {
  Ref<IDispatch> d;
  NewControl(d.out());
  Ref<_KavrinLineChart> c;
  if (!d.p || FAILED(VtableOf(d.p, c.out()))) return Fail("no control");
  Ref<IPersistPropertyBag> persist;
  As(d.p, IID_IPersistPropertyBag, persist.out());
  Bag empty;
  ExpectHr(persist->Load(&empty, nullptr), S_OK, "Load from an empty bag");
  ApplySettings(c.p);

  Bag saved;
  ExpectHr(persist->Save(&saved, TRUE, TRUE), S_OK, "Save to the bag");
  const std::vector<std::string> got = BagText(saved), expected = FileLines(expectedFile);
  Expect(!expected.empty() && got == expected, "saved entries equal the Linux form text");
  if (got != expected)
    for (const std::string& line : got) std::printf("  saved: %s\n", line.c_str());

  // A second control loads them and reads back the same values.
  Ref<IDispatch> d2;
  NewControl(d2.out());
  Ref<_KavrinLineChart> c2;
  Ref<IPersistPropertyBag> persist2;
  if (!d2.p || FAILED(VtableOf(d2.p, c2.out())) || FAILED(As(d2.p, IID_IPersistPropertyBag, persist2.out())))
    return Fail("no second control");
  ExpectHr(persist2->Load(&saved, nullptr), S_OK, "Load the saved bag");
  BSTR title = nullptr;
  double zoom = 0, max = 0;
  short pos = 0;
  VARIANT_BOOL shown = VARIANT_TRUE;
  c2->get_Title(&title);
  c2->get_Zoom(&zoom);
  c2->get_Max(&max);
  c2->get_TitlePos(&pos);
  c2->get_bValueLineDisp(&shown);
  Expect(Narrow(title) == "Pressure" && zoom == 1.5 && max == 90.5 && pos == 2 && shown == VARIANT_FALSE,
         "loaded values");
  SysFreeString(title);

  // Fonts are the host's objects, kept by reference: the one set is the one read back, and
  // a change the host makes to it afterwards shows in the next export header. (The font
  // object reports the face and size it realizes, which may differ from those set.)
  Ref<IFontDisp> hostFont, readBack;
  hostFont.p = NewFont(L"Arial", 120000, true);
  c2->putref_TitleFont(hostFont.p);
  c2->get_TitleFont(readBack.out());
  Expect(readBack.p == hostFont.p, "TitleFont reads back the host's own object");
  Ref<IFont> f;
  As(hostFont.p, IID_IFont, f.out());
  Bstr folder(std::wstring(scratch.begin(), scratch.end()).c_str()), log(L"log.txt");
  f->put_Bold(FALSE);
  VARIANT_BOOL open = VARIANT_TRUE, close = VARIANT_FALSE;
  ExpectHr(c2->ExportData(&open, &folder.b, &log.b), S_OK, "ExportData opens the log");
  Bstr none(L"");
  ExpectHr(c2->ExportData(&close, &none.b, &none.b), S_OK, "ExportData closes the log");
  const std::string text = FileText(scratch + "\\log.txt");
  const size_t at = text.find("[TitleFont]");
  Expect(at != std::string::npos && text.substr(at, text.find('[', at + 1) - at).find(":False:") != std::string::npos,
         "the log header shows the host's font as changed (Bold off)");

  // Late-bound, on the loaded control: optional arguments left off, sPath written back.
  EXCEPINFO ex{};
  VARIANT key = Str(SysAllocString(L"Line1"));
  ExpectHr(CallByName(d2.p, L"AddLine", DISPATCH_METHOD, {key, Lng(255)}, nullptr, &ex), S_OK,
           "AddLine with its optional arguments left off");
  VariantClear(&key);
  VARIANT path = Str(SysAllocString(folder.b));
  VARIANT r;
  VariantInit(&r);
  VARIANT name = Str(SysAllocString(L"chart.bmp"));
  ExpectHr(CallByName(d2.p, L"exportpicture", DISPATCH_METHOD, {ByRef(&path), name}, &r, &ex), S_OK,
           "ExportPicture by name");
  Expect(V_VT(&r) == VT_BOOL && V_BOOL(&r) == VARIANT_TRUE, "ExportPicture is True when it wrote the file");
  Expect(V_VT(&path) == VT_BSTR && Narrow(V_BSTR(&path)) == scratch + "\\", "sPath comes back with its \\");
  CallByName(d2.p, L"ExportPicture", DISPATCH_METHOD, {ByRef(&path), name}, &r, &ex);
  Expect(V_VT(&r) == VT_BOOL && V_BOOL(&r) == VARIANT_FALSE, "an existing file is not overwritten");
  Expect(FileText(scratch + "\\chart.bmp").rfind("BM", 0) == 0, "the picture is a Windows bitmap");
  VariantClear(&path);
  VariantClear(&name);

  // A value of the wrong type stops the load with 13.
  Bag bad;
  bad.Put(L"Zoom", Str(SysAllocString(L"abc")));
  ExpectHr(persist2->Load(&bad, nullptr), static_cast<HRESULT>(0x800A000D), "text under Zoom");
}

void StreamRoundTrip() {
  Ref<IDispatch> d, d2;
  NewControl(d.out());
  NewControl(d2.out());
  Ref<_KavrinLineChart> c, c2;
  Ref<IPersistStreamInit> ps, ps2;
  if (!d.p || !d2.p || FAILED(VtableOf(d.p, c.out())) || FAILED(VtableOf(d2.p, c2.out())) ||
      FAILED(As(d.p, IID_IPersistStreamInit, ps.out())) || FAILED(As(d2.p, IID_IPersistStreamInit, ps2.out())))
    return Fail("no controls for the stream");
  ps->InitNew();
  ExpectHr(ps->IsDirty(), S_FALSE, "clean after InitNew");
  Bstr title(L"Flow");
  c->put_Title(title.b);
  c->put_Zoom(2.5);
  ExpectHr(ps->IsDirty(), S_OK, "dirty after a property change");

  Ref<IStream> s;
  CreateStreamOnHGlobal(nullptr, TRUE, s.out());
  ExpectHr(ps->Save(s.p, TRUE), S_OK, "Save to a stream");
  ExpectHr(ps->IsDirty(), S_FALSE, "clean after saving");
  STATSTG stat{};
  s->Stat(&stat, STATFLAG_NONAME);
  const ULONG size = stat.cbSize.LowPart;
  std::vector<BYTE> bytes(size);
  LARGE_INTEGER zero{};
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  s->Read(bytes.data(), size, nullptr);

  auto loadBytes = [&](std::vector<BYTE> b) {
    Ref<IStream> t;
    CreateStreamOnHGlobal(nullptr, TRUE, t.out());
    t->Write(b.data(), static_cast<ULONG>(b.size()), nullptr);
    t->Seek(zero, STREAM_SEEK_SET, nullptr);
    return ps2->Load(t.p);
  };
  ExpectHr(loadBytes(bytes), S_OK, "Load the stream");
  BSTR t = nullptr;
  double zoom = 0;
  c2->get_Title(&t);
  c2->get_Zoom(&zoom);
  Expect(Narrow(t) == "Flow" && zoom == 2.5, "stream values come back");
  SysFreeString(t);

  // Damaged or of another version: a failure, and the control keeps what it had.
  std::vector<BYTE> truncated(bytes.begin(), bytes.end() - 3), newer = bytes;
  newer[4] = 2;
  Expect(FAILED(loadBytes(truncated)), "a truncated stream fails");
  Expect(FAILED(loadBytes(newer)), "a stream of an unknown version fails");
  Expect(FAILED(loadBytes({'K', 'L'})), "a stream of two bytes fails");
  c2->get_Title(&t);
  Expect(Narrow(t) == "Flow", "a failed load changes nothing");
  SysFreeString(t);
}

// ---- every setting, through every form of persistence ----

// Text outside every ANSI code page: CJK, Greek, an emoji (a surrogate pair) and a lone
// surrogate. The control keeps it as given, whatever the code page.
const wchar_t kWideTitle[] = L"\x6E29\x5EA6 \x0394p \xD83D\xDE00 \xD800";

IFontDisp* MakeFont(const wchar_t* name, LONGLONG sizeCy, SHORT weight, BOOL italic, BOOL underline, BOOL strike,
                    SHORT charset) {
  FONTDESC d{sizeof(FONTDESC), const_cast<LPOLESTR>(name), {}, weight, charset, italic, underline, strike};
  d.cySize.int64 = sizeCy;
  IFontDisp* f = nullptr;
  OleCreateFontIndirect(&d, IID_IFontDisp, reinterpret_cast<void**>(&f));
  return f;
}

std::wstring FontSetting(IFontDisp* font) {
  Ref<IFont> f;
  if (!font || FAILED(font->QueryInterface(IID_IFont, f.vout()))) return L"<no font>";
  BSTR face = nullptr;
  CY size{};
  BOOL bold = 0, italic = 0, underline = 0, strike = 0;
  SHORT weight = 0, charset = 0;
  f->get_Name(&face);
  f->get_Size(&size);
  f->get_Bold(&bold);
  f->get_Italic(&italic);
  f->get_Underline(&underline);
  f->get_Strikethrough(&strike);
  f->get_Weight(&weight);
  f->get_Charset(&charset);
  std::wstring s = std::wstring(face ? face : L"") + L" " + std::to_wstring(size.int64) + L" " +
                   std::to_wstring(bold) + std::to_wstring(italic) + std::to_wstring(underline) +
                   std::to_wstring(strike) + L" " + std::to_wstring(weight) + L" " + std::to_wstring(charset);
  SysFreeString(face);
  return s;
}

// All 24 settings, read through the vtable, one text each.
std::vector<std::wstring> Settings(_KavrinLineChart* c) {
  std::vector<std::wstring> s;
  auto color = [&](HRESULT (STDMETHODCALLTYPE _KavrinLineChart::*get)(OLE_COLOR*)) {
    OLE_COLOR v = 0;
    (c->*get)(&v);
    s.push_back(std::to_wstring(v));
  };
  auto integer = [&](HRESULT (STDMETHODCALLTYPE _KavrinLineChart::*get)(short*)) {
    short v = 0;
    (c->*get)(&v);
    s.push_back(std::to_wstring(v));
  };
  auto number = [&](HRESULT (STDMETHODCALLTYPE _KavrinLineChart::*get)(double*)) {
    double v = 0;
    (c->*get)(&v);
    s.push_back(std::to_wstring(v));
  };
  auto flag = [&](HRESULT (STDMETHODCALLTYPE _KavrinLineChart::*get)(VARIANT_BOOL*)) {
    VARIANT_BOOL v = 0;
    (c->*get)(&v);
    s.push_back(std::to_wstring(v));
  };
  auto text = [&](HRESULT (STDMETHODCALLTYPE _KavrinLineChart::*get)(BSTR*)) {
    BSTR v = nullptr;
    (c->*get)(&v);
    s.push_back(std::wstring(v ? v : L"", v ? SysStringLen(v) : 0));
    SysFreeString(v);
  };
  auto font = [&](HRESULT (STDMETHODCALLTYPE _KavrinLineChart::*get)(IFontDisp**)) {
    Ref<IFontDisp> f;
    (c->*get)(f.out());
    s.push_back(FontSetting(f.p));
  };
  using K = _KavrinLineChart;
  color(&K::get_ValueLineColor), color(&K::get_TimeLineColor), text(&K::get_Title), number(&K::get_Zoom);
  font(&K::get_MeasureFont), color(&K::get_MeasureColor), integer(&K::get_TitlePos), font(&K::get_TitleFont);
  color(&K::get_TitleColor), integer(&K::get_MeasurePos), font(&K::get_CutLineFont), flag(&K::get_bValueLineDisp);
  flag(&K::get_bTimeLineDisp), color(&K::get_BackColor), color(&K::get_ChartBackColor), integer(&K::get_BorderWidth);
  color(&K::get_BorderColor), number(&K::get_ValueSpace), number(&K::get_Min), number(&K::get_Max);
  integer(&K::get_MeasureWidth), text(&K::get_Unit), font(&K::get_UnitFont), text(&K::get_Dist);
  return s;
}

// Every setting away from its default, fonts differing in every attribute.
void ApplyEverySetting(_KavrinLineChart* c) {
  ApplySettings(c);
  Bstr title(kWideTitle), unit(L"\x03A9\xD800"), dist(L"10,10,10,40 \x2013");
  c->put_Title(title.b);
  c->put_Unit(unit.b);
  c->put_Dist(dist.b);
  c->put_bTimeLineDisp(VARIANT_FALSE);
  c->put_ValueLineColor(0x010203);
  c->put_TimeLineColor(0x040506);
  c->put_MeasureColor(0x070809);
  c->put_TitleColor(0x0A0B0C);
  c->put_BorderColor(0x0D0E0F);
  Ref<IFontDisp> fonts[4];
  fonts[0].p = MakeFont(L"Courier New", 112500, 700, FALSE, FALSE, FALSE, ANSI_CHARSET);
  fonts[1].p = MakeFont(L"Times New Roman", 140000, 400, TRUE, TRUE, FALSE, DEFAULT_CHARSET);
  fonts[2].p = MakeFont(L"Arial", 75000, 600, FALSE, FALSE, TRUE, ANSI_CHARSET);
  fonts[3].p = MakeFont(L"Arial", 90000, 400, TRUE, FALSE, TRUE, SYMBOL_CHARSET);
  c->putref_MeasureFont(fonts[0].p);
  c->putref_TitleFont(fonts[1].p);
  c->putref_CutLineFont(fonts[2].p);
  c->putref_UnitFont(fonts[3].p);
}

// The bytes of a stream from its start.
std::vector<BYTE> StreamBytes(IStream* s) {
  STATSTG stat{};
  s->Stat(&stat, STATFLAG_NONAME);
  std::vector<BYTE> bytes(stat.cbSize.LowPart);
  LARGE_INTEGER zero{};
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  if (!bytes.empty()) s->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  return bytes;
}

HRESULT NewStorage(IStorage** out) {
  Ref<ILockBytes> bytes;
  HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.out());
  if (FAILED(hr)) return hr;
  return StgCreateDocfileOnILockBytes(bytes.p, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, out);
}

// One form of persistence: saves one control into its medium and loads another from it.
struct Medium {
  const char* name;
  HRESULT (*save)(IUnknown* from, IUnknown** medium);
  HRESULT (*load)(IUnknown* to, IUnknown* medium);
};

HRESULT SaveStream(IUnknown* from, IUnknown** medium) {
  Ref<IPersistStreamInit> p;
  IStream* s = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &s);
  *medium = s;
  HRESULT hr = As(from, IID_IPersistStreamInit, p.out());
  return SUCCEEDED(hr) ? p->Save(s, TRUE) : hr;
}
HRESULT LoadStream(IUnknown* to, IUnknown* medium) {
  Ref<IPersistStreamInit> p;
  Ref<IStream> s;
  HRESULT hr = As(to, IID_IPersistStreamInit, p.out());
  if (SUCCEEDED(hr)) hr = As(medium, IID_IStream, s.out());
  LARGE_INTEGER zero{};
  if (SUCCEEDED(hr)) s->Seek(zero, STREAM_SEEK_SET, nullptr);
  return SUCCEEDED(hr) ? p->Load(s.p) : hr;
}
HRESULT SaveStorage(IUnknown* from, IUnknown** medium) {
  Ref<IPersistStorage> p;
  IStorage* storage = nullptr;
  HRESULT hr = NewStorage(&storage);
  *medium = storage;
  if (SUCCEEDED(hr)) hr = As(from, IID_IPersistStorage, p.out());
  return SUCCEEDED(hr) ? p->Save(storage, FALSE) : hr;
}
HRESULT LoadStorage(IUnknown* to, IUnknown* medium) {
  Ref<IPersistStorage> p;
  Ref<IStorage> storage;
  HRESULT hr = As(to, IID_IPersistStorage, p.out());
  if (SUCCEEDED(hr)) hr = As(medium, IID_IStorage, storage.out());
  return SUCCEEDED(hr) ? p->Load(storage.p) : hr;
}
HRESULT SaveBag(IUnknown* from, IUnknown** medium) {
  Ref<IPersistPropertyBag> p;
  Bag* bag = new Bag;  // lives as long as the test's process: its Release does not free
  *medium = bag;
  HRESULT hr = As(from, IID_IPersistPropertyBag, p.out());
  return SUCCEEDED(hr) ? p->Save(bag, TRUE, TRUE) : hr;
}
HRESULT LoadBag(IUnknown* to, IUnknown* medium) {
  Ref<IPersistPropertyBag> p;
  HRESULT hr = As(to, IID_IPersistPropertyBag, p.out());
  return SUCCEEDED(hr) ? p->Load(static_cast<Bag*>(medium), nullptr) : hr;
}
const Medium kMedia[] = {{"stream", SaveStream, LoadStream},
                         {"storage", SaveStorage, LoadStorage},
                         {"property bag", SaveBag, LoadBag}};

// A control loaded from an empty bag: configured, so that its methods reach the chart.
bool LoadedControl(Ref<IDispatch>& d) {
  Ref<IPersistPropertyBag> persist;
  Bag empty;
  return SUCCEEDED(NewControl(d.out())) && SUCCEEDED(As(d.p, IID_IPersistPropertyBag, persist.out())) &&
         SUCCEEDED(persist->Load(&empty, nullptr));
}

// The same with its dual interface.
bool LoadedControl(Ref<IDispatch>& d, Ref<_KavrinLineChart>& c) {
  return LoadedControl(d) && SUCCEEDED(VtableOf(d.p, c.out()));
}

void EverySettingRoundTrip() {
  Ref<IDispatch> d;
  Ref<_KavrinLineChart> c;
  if (!LoadedControl(d, c)) return Fail("no control for the round trips");
  ApplyEverySetting(c.p);
  const std::vector<std::wstring> expected = Settings(c.p);
  Expect(expected[2] == std::wstring(kWideTitle, wcslen(kWideTitle)), "Title reads back as given");
  for (const Medium& m : kMedia) {
    Ref<IUnknown> medium;
    ExpectHr(m.save(d.p, medium.out()), S_OK, std::string("save to a ") + m.name);
    Ref<IDispatch> d2;
    Ref<_KavrinLineChart> c2;
    if (FAILED(NewControl(d2.out())) || FAILED(VtableOf(d2.p, c2.out()))) return Fail("no second control");
    ExpectHr(m.load(d2.p, medium.p), S_OK, std::string("load from a ") + m.name);
    const std::vector<std::wstring> got = Settings(c2.p);
    for (size_t i = 0; i < expected.size() && i < got.size(); ++i)
      Expect(got[i] == expected[i], std::string(m.name) + ": setting " + std::to_string(i + 1) + " comes back");
  }
}

// Save and load agree: settings too large for a record fail to save, leave the stream
// untouched and the storage's last record in place; large ones that fit come back. (The
// long text is Dist's: margins with blanks after them. A title that long would load whole
// and then fail the chart's layout with an overflow, as a title far wider than any chart.)
void RecordSizeLimit() {
  Ref<IDispatch> d;
  Ref<_KavrinLineChart> c;
  if (!LoadedControl(d, c)) return Fail("no control for the record size");
  Ref<IUnknown> small;
  ExpectHr(SaveStorage(d.p, small.out()), S_OK, "a small record in a storage");
  for (const auto& [length, fits] : {std::pair{600000, false}, std::pair{500000, true}}) {
    const std::string what = "a Dist of " + std::to_string(length) + " characters";
    Bstr dist((L"20,20,20,30" + std::wstring(static_cast<size_t>(length) - 11, L' ')).c_str());
    c->put_Dist(dist.b);
    Ref<IPersistStreamInit> ps;
    As(d.p, IID_IPersistStreamInit, ps.out());
    ULARGE_INTEGER size{};
    ExpectHr(ps->GetSizeMax(&size), fits ? S_OK : STG_E_CANTSAVE, what + ": GetSizeMax");
    Ref<IUnknown> stream, storage;
    ExpectHr(SaveStream(d.p, stream.out()), fits ? S_OK : STG_E_CANTSAVE, what + ": Save to a stream");
    Ref<IStream> s;
    As(stream.p, IID_IStream, s.out());
    Expect(fits || StreamBytes(s.p).empty(), what + ": a refused save writes nothing");
    Ref<IPersistStorage> pst;
    As(d.p, IID_IPersistStorage, pst.out());
    Ref<IStorage> st;
    As(small.p, IID_IStorage, st.out());
    ExpectHr(pst->Save(st.p, TRUE), fits ? S_OK : STG_E_CANTSAVE, what + ": Save to a storage");
    pst->SaveCompleted(nullptr);
    Ref<IDispatch> d2;
    Ref<_KavrinLineChart> c2;
    if (FAILED(NewControl(d2.out())) || FAILED(VtableOf(d2.p, c2.out()))) return Fail("no second control");
    if (fits) ExpectHr(LoadStream(d2.p, stream.p), S_OK, what + ": Load from the stream");
    ExpectHr(LoadStorage(d2.p, small.p), S_OK, what + ": Load from the storage");
    BSTR back = nullptr;
    c2->get_Dist(&back);
    Expect(SysStringLen(back) == (fits ? static_cast<UINT>(length) : 11u),
           what + (fits ? ": comes back whole" : ": the storage keeps the last record"));
    SysFreeString(back);
  }
}

// A path outside the ANSI code page reaches the file system as "?" where the code page
// lacks a character, never as a look-alike: "Ωmega" is not the folder "Omega".
void PathsOutsideTheCodePage(const std::string& scratch) {
  Ref<IDispatch> d;
  Ref<_KavrinLineChart> c;
  if (!LoadedControl(d, c)) return Fail("no control for the paths");
  const std::wstring folder(scratch.begin(), scratch.end());
  CreateDirectoryW((folder + L"\\Omega").c_str(), nullptr);
  Bstr name(L"look-alike.bmp"), logName(L"look-alike.log"), omega((folder + L"\\\x03A9mega").c_str());
  VARIANT path;
  VariantInit(&path);
  V_VT(&path) = VT_BSTR;
  V_BSTR(&path) = SysAllocString(omega.b);
  VARIANT_BOOL written = VARIANT_TRUE, open = VARIANT_TRUE, close = VARIANT_FALSE;
  ExpectHr(c->ExportPicture(&path, &name.b, &written), S_OK, "ExportPicture into a folder named with a Greek Omega");
  Expect(written == VARIANT_FALSE, "no picture written into a folder that is not there");
  VariantClear(&path);
  ExpectHr(c->ExportData(&open, &omega.b, &logName.b), S_OK, "ExportData into a folder named with a Greek Omega");
  Bstr none(L"");
  c->ExportData(&close, &none.b, &none.b);
  for (const wchar_t* file : {L"\\Omega\\look-alike.bmp", L"\\Omega\\look-alike.log"})
    Expect(GetFileAttributesW((folder + file).c_str()) == INVALID_FILE_ATTRIBUTES,
           "nothing written into the look-alike folder Omega");
}

// Property bags that answer a reference (even a null one) or a type no value has: 13.
class OneEntryBag final : public IPropertyBag {
 public:
  explicit OneEntryBag(VARIANT v) : value(v) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = riid == IID_IUnknown || riid == IID_IPropertyBag ? this : nullptr;
    return *ppv ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
    if (std::wstring(name) != L"Zoom") return E_INVALIDARG;
    *v = value;  // handed over as it is, as a careless bag would
    return S_OK;
  }
  STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return S_OK; }
  VARIANT value;
};

void HostileBags() {
  Ref<IDispatch> d;
  Ref<_KavrinLineChart> c;
  if (!LoadedControl(d, c)) return Fail("no control for the hostile bags");
  Ref<IPersistPropertyBag> p;
  As(d.p, IID_IPersistPropertyBag, p.out());
  double zoom = 2.5;
  struct {
    const char* what;
    VARTYPE type;
    void* ref;
  } cases[] = {{"VT_BYREF|VT_I4, null", VT_BYREF | VT_I4, nullptr},
               {"VT_BYREF|VT_R8 to a Double", VT_BYREF | VT_R8, &zoom},
               {"VT_BYREF|VT_VARIANT, null", VT_BYREF | VT_VARIANT, nullptr},
               {"type 0xFFFF", 0xFFFF, nullptr},
               {"VT_ARRAY|VT_I4, null", VT_ARRAY | VT_I4, nullptr}};
  for (const auto& k : cases) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = k.type;
    V_BYREF(&v) = k.ref;
    OneEntryBag bag(v);
    ExpectHr(p->Load(&bag, nullptr), static_cast<HRESULT>(0x800A000D), std::string("a bag answering ") + k.what);
  }
}

// A C++ caller hands ExportPicture's folder through the vtable as it likes: a Variant by
// reference is read through; a null reference, or a reference to a reference, is no value (13).
void FolderByReference() {
  Ref<IDispatch> d;
  Ref<_KavrinLineChart> c;
  if (!LoadedControl(d, c)) return Fail("no control for folders by reference");
  Bstr name(L"by-reference.bmp"), inner(L"Z:\\no such folder");
  VARIANT text = Str(SysAllocString(L"Z:\\no such folder")), reference = Typed(VT_BYREF | VT_BSTR);
  V_BSTRREF(&reference) = &inner.b;
  const struct {
    const char* what;
    VARIANT path;
    HRESULT hr;
  } cases[] = {{"a Variant by reference", ByRef(&text), S_OK},
               {"a null reference to a text", Typed(VT_BYREF | VT_BSTR), static_cast<HRESULT>(0x800A000D)},
               {"a reference to a reference", ByRef(&reference), static_cast<HRESULT>(0x800A000D)}};
  for (auto k : cases) {
    VARIANT_BOOL written = VARIANT_TRUE;
    ExpectHr(c->ExportPicture(&k.path, &name.b, &written), k.hr, std::string("ExportPicture, its folder ") + k.what);
  }
  VariantClear(&text);
}

void ClassInfoAndCategories() {
  Ref<IDispatch> d;
  NewControl(d.out());
  Ref<IProvideClassInfo2> ci;
  Ref<ICategorizeProperties> cat;
  if (!d.p || FAILED(As(d.p, IID_IProvideClassInfo2, ci.out()))) return Fail("IProvideClassInfo2");
  Ref<ITypeInfo> cls;
  TYPEATTR* attr = nullptr;
  if (SUCCEEDED(ci->GetClassInfo(cls.out())) && SUCCEEDED(cls->GetTypeAttr(&attr))) {
    Expect(attr->typekind == TKIND_COCLASS && attr->guid == ControlClass(), "class info is the coclass");
    cls->ReleaseTypeAttr(attr);
  } else {
    Fail("GetClassInfo");
  }
  GUID events{};
  ExpectHr(ci->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK, "GetGUID");

  const IID categorize = {0x4D07FC10, 0xF931, 0x11CE, {0xB0, 0x01, 0x00, 0xAA, 0x00, 0x68, 0x84, 0xE5}};
  if (FAILED(d->QueryInterface(categorize, cat.vout()))) return Fail("ICategorizeProperties");
  const std::pair<const wchar_t*, const char*> cases[] = {{L"Zoom", "Skin"},           {L"bTimeLineDisp", "TimeLine"},
                                                          {L"CutLineFont", "CutLine"}, {L"MeasureWidth", "Measure"},
                                                          {L"TitlePos", "Title"},      {L"UnitFont", "Unit"}};
  for (const auto& [prop, expected] : cases) {
    int category = 0;
    BSTR name = nullptr;
    cat->MapPropertyToCategory(IdOf(d.p, prop), &category);
    cat->GetCategoryName(category, 0, &name);
    Expect(Narrow(name) == expected, std::string("category of ") + Narrow(prop));
    SysFreeString(name);
  }
}

// Property changes reach an advised IPropertyNotifySink with the property's DISPID.
class NotifySink final : public IPropertyNotifySink {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown || riid == IID_IPropertyNotifySink) {
      *ppv = this;
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP OnChanged(DISPID id) override {
    changed.push_back(id);
    return S_OK;
  }
  STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
  std::vector<DISPID> changed;
};

void PropertyNotification() {
  Ref<IDispatch> d;
  NewControl(d.out());
  Ref<_KavrinLineChart> c;
  Ref<IConnectionPointContainer> cpc;
  Ref<IConnectionPoint> cp;
  if (!d.p || FAILED(VtableOf(d.p, c.out())) || FAILED(As(d.p, IID_IConnectionPointContainer, cpc.out())) ||
      FAILED(cpc->FindConnectionPoint(IID_IPropertyNotifySink, cp.out())))
    return Fail("property notification connection point");
  NotifySink sink;
  DWORD cookie = 0;
  ExpectHr(cp->Advise(&sink, &cookie), S_OK, "Advise");
  // Both points and the one connection can be enumerated.
  Ref<IEnumConnectionPoints> points;
  Ref<IEnumConnections> connections;
  IConnectionPoint* found[3] = {};
  CONNECTDATA data[2] = {};
  ULONG count = 0, connected = 0;
  if (SUCCEEDED(cpc->EnumConnectionPoints(points.out()))) points->Next(3, found, &count);
  for (ULONG i = 0; i < count; ++i) found[i]->Release();
  if (SUCCEEDED(cp->EnumConnections(connections.out()))) connections->Next(2, data, &connected);
  Expect(count == 2 && connected == 1 && data[0].dwCookie == cookie, "connection points and connections enumerated");
  if (connected) data[0].pUnk->Release();
  c->put_Min(-5);
  c->put_TitlePos(9);  // ignored: no notification
  ExpectHr(cp->Unadvise(cookie), S_OK, "Unadvise");
  c->put_Max(5);
  Expect(sink.changed == std::vector<DISPID>{0x68030005}, "one OnChanged, for Min");
}

// ---- late-bound calls as VBA, VB6 and script hosts make them ----

// Arguments by name in any order, one left out in the middle, pictures without a bitmap:
// every line is added and every value reaches its line, as the export log shows.
void NamedArguments(const std::string& scratch) {
  Ref<IDispatch> d;
  if (!LoadedControl(d)) return Fail("no loaded control for named arguments");
  Bstr key(L"Named"), log(L"named.txt"), folder(std::wstring(scratch.begin(), scratch.end()).c_str()), none(L"");
  VARIANT nothingYet = Typed(VT_EMPTY);
  Ref<IPictureDisp> icon, empty;
  PICTDESC desc{sizeof(PICTDESC), PICTYPE_ICON, {}};
  desc.icon.hicon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  ExpectHr(OleCreatePictureIndirect(&desc, IID_IPictureDisp, FALSE, icon.vout()), S_OK, "an icon picture");
  ExpectHr(OleCreatePictureIndirect(nullptr, IID_IPictureDisp, FALSE, empty.vout()), S_OK, "an empty picture");
  const LateCall calls[] = {
      {L"AddLine", {}, {L"Key", L"lColor"}, {Str(key.b), Lng(255)}},  // line 1
      {L"AddLine", {Str(key.b)}, {L"lTipColor", L"PointPic", L"lColor"}, {Lng(0), Obj(icon.p), Lng(255)}},
      {L"AddLine", {Str(key.b), Lng(255), LeftOut(), Bool(true)}, {}, {}},
      {L"AddLine", {Str(key.b), Lng(255), Obj(empty.p)}, {}, {}},  // line 4
      {L"ExportData", {}, {L"sName", L"bOperate", L"sPath"}, {Str(log.b), Bool(true), Str(folder.b)}},
      {L"SetValue", {}, {L"Value", L"Id"}, {Dbl(2.5), Lng(1)}},
      {L"SetValue", {Lng(4), Dbl(7)}, {}, {}},
      {L"ExportPicture", {ByRef(&nothingYet), Str(none.b)}, {}, {}},  // an Empty Variant by reference
  };
  UINT argErr = 0;
  for (size_t i = 0; i < std::size(calls); ++i) {
    ExpectHr(Invoke(d.p, calls[i], &argErr), S_OK, "late-bound call " + std::to_string(i + 1));
    Expect(argErr == ~0u, "a call that succeeds names no argument");
  }
  for (int tick = 0; tick < 11; ++tick) Invoke(d.p, {L"Movie", {}, {}, {}}, &argErr);
  ExpectHr(Invoke(d.p, {L"ExportData", {}, {L"bOperate"}, {Bool(false)}}, &argErr), S_OK, "ExportData bOperate:=False");
  Expect(FileText(scratch + "\\named.txt").find("[1]2.5,[4]7") != std::string::npos,
         "the values reached lines 1 and 4 of the log");
}

// What dispatch refuses, with the standard error and the caller's argument at fault.
void RefusedCalls() {
  Ref<IDispatch> d;
  if (!LoadedControl(d)) return Fail("no loaded control for refused calls");
  Bstr key(L"k"), text(L"abc");
  VARIANT nowhere = Typed(VT_BYREF | VT_I2), noText = Typed(VT_BYREF | VT_BSTR);  // no address
  constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET, kPut = DISPATCH_PROPERTYPUT;
  const struct {
    LateCall call;
    HRESULT hr;
    UINT argErr;  // ~0u: no argument named
    WORD flags = kGet;
  } cases[] = {
      {{L"AddLine", {}, {L"Key"}, {Str(key.b)}}, DISP_E_PARAMNOTOPTIONAL, ~0u},
      {{L"AddLine", {Str(key.b), LeftOut()}, {}, {}}, DISP_E_PARAMNOTOPTIONAL, 0},
      {{L"AddLine", {}, {L"Key", L"lColor", L"key"}, {Str(key.b), Lng(255), Str(key.b)}}, DISP_E_PARAMNOTFOUND, 2},
      {{L"AddLine", {Str(key.b), Lng(255)}, {L"lColor"}, {Lng(1)}}, DISP_E_PARAMNOTFOUND, 0},
      {{L"AddLine", {Str(key.b), Lng(255)}, {}, {Lng(1)}, {5}}, DISP_E_PARAMNOTFOUND, 0},
      {{L"AddLine", {Str(key.b), Lng(255)}, {}, {Lng(1)}, {DISPID_UNKNOWN}}, DISP_E_PARAMNOTFOUND, 0},
      {{L"AddLine", {}, {L"Key", L"Colour"}, {Str(key.b), Lng(1)}}, DISP_E_UNKNOWNNAME, ~0u},
      {{L"Movie", {Lng(1)}, {}, {}}, DISP_E_BADPARAMCOUNT, ~0u},
      {{L"SetValue", {Lng(40000), Dbl(1)}, {}, {}}, DISP_E_OVERFLOW, 1},  // error 6 to a script, not 13
      {{L"SetValue", {}, {L"Id", L"Value"}, {Str(text.b), Dbl(1)}}, DISP_E_TYPEMISMATCH, 0},
      {{L"SetValue", {nowhere, Dbl(1)}, {}, {}}, E_POINTER, 1},
      {{L"ExportPicture", {ByRef(&noText), Str(key.b)}, {}, {}}, E_POINTER, 1},
      {{L"Title", {Lng(1)}, {}, {}}, DISP_E_BADPARAMCOUNT, ~0u},  // a read takes no argument
      {{L"Title", {Str(key.b)}, {}, {Str(key.b)}, {DISPID_PROPERTYPUT}}, DISP_E_BADPARAMCOUNT, ~0u, kPut},
      {{L"Title", {}, {}, {Str(key.b)}, {0}}, DISP_E_PARAMNOTFOUND, 0, kPut},
      {{L"Movie", {}, {}, {}}, DISP_E_MEMBERNOTFOUND, ~0u, kPut},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    UINT argErr = 0;
    const std::string what = "refused call " + std::to_string(i + 1);
    ExpectHr(Invoke(d.p, cases[i].call, &argErr, nullptr, cases[i].flags), cases[i].hr, what);
    Expect(argErr == cases[i].argErr, what + ": argument " + std::to_string(static_cast<int>(argErr)));
  }
  // Argument lists that contradict their counts, and a member the control does not have.
  DISPID put = DISPID_PROPERTYPUT;
  VARIANT one = Lng(1);
  DISPPARAMS malformed[] = {{nullptr, nullptr, 1, 0}, {&one, nullptr, 1, 1}, {&one, &put, 0, 1}};
  for (DISPPARAMS& p : malformed)
    ExpectHr(d->Invoke(IdOf(d.p, L"Zoom"), IID_NULL, 0, DISPATCH_PROPERTYPUT, &p, nullptr, nullptr, nullptr),
             E_INVALIDARG, "a malformed argument list");
  DISPPARAMS empty{};
  ExpectHr(d->Invoke(0x12345, IID_NULL, 0, DISPATCH_METHOD, &empty, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND,
           "an unknown DISPID");
}

// Colours reach dispatch callers as Longs, system colours as negative ones, and come back so.
void ColoursAsLongs() {
  Ref<IDispatch> d;
  NewControl(d.out());
  if (!d.p) return Fail("no control for colours");
  SHORT white = -1;
  LONG system = static_cast<LONG>(0x8000000F);
  VARIANT integer = Typed(VT_BYREF | VT_I2), longer = Typed(VT_BYREF | VT_I4);
  V_I2REF(&integer) = &white;
  V_I4REF(&longer) = &system;
  const std::pair<VARIANT, LONG> puts[] = {{integer, -1}, {longer, -2147483633}};
  for (const auto& [given, expected] : puts) {
    ExpectHr(CallByName(d.p, L"TitleColor", DISPATCH_PROPERTYPUT, {given}, nullptr, nullptr), S_OK,
             "TitleColor put as a Long by reference");
    VARIANT r;
    VariantInit(&r);
    CallByName(d.p, L"TitleColor", DISPATCH_PROPERTYGET, {}, &r, nullptr);
    Expect(V_VT(&r) == VT_I4 && V_I4(&r) == expected, "TitleColor reads back the same Long");
  }
}

// A disk too small for the picture: the write stops short, which is a full disk (61), and no
// part of the file stays. The scratch folder has room.
void FullDisk(const std::string& folder, const std::string& scratch) {
  Ref<IDispatch> d;
  if (!LoadedControl(d)) return Fail("no loaded control for a full disk");
  VARIANT path = Str(SysAllocString(std::wstring(folder.begin(), folder.end()).c_str()));
  Bstr name(L"chart.bmp");
  VARIANT r;
  VariantInit(&r);
  EXCEPINFO ex{};
  ExpectHr(CallByName(d.p, L"ExportPicture", DISPATCH_METHOD, {ByRef(&path), Str(name.b)}, &r, &ex),
           DISP_E_EXCEPTION, "ExportPicture on a full disk");
  ExpectHr(ex.scode, static_cast<HRESULT>(0x800A003D), "a short write is a full disk (61)");
  ClearExcep(ex);
  Expect(GetFileAttributesA((folder + "\\chart.bmp").c_str()) == INVALID_FILE_ATTRIBUTES, "no part of the picture stays");
  // No room at all: the write fails outright, with the same error.
  HANDLE filler = CreateFileA((folder + "\\filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  std::vector<char> block(4096);
  for (DWORD n = 0; WriteFile(filler, block.data(), 4096, &n, nullptr) && n == 4096;) {
  }
  CloseHandle(filler);
  ExpectHr(CallByName(d.p, L"ExportPicture", DISPATCH_METHOD, {ByRef(&path), Str(name.b)}, &r, &ex),
           DISP_E_EXCEPTION, "ExportPicture on a disk with no room");
  ExpectHr(ex.scode, static_cast<HRESULT>(0x800A003D), "a failed write for want of room is a full disk (61)");
  ClearExcep(ex);
  VariantClear(&path);
  // A data log whose header finds no room: 61, its file goes, and the host's one log slot is
  // free again for this chart and every other.
  Bstr logFolder(std::wstring(folder.begin(), folder.end()).c_str()), log(L"full.txt");
  ExpectHr(CallByName(d.p, L"ExportData", DISPATCH_METHOD, {Bool(true), Str(logFolder.b), Str(log.b)}, nullptr, &ex),
           DISP_E_EXCEPTION, "ExportData on a disk with no room");
  ExpectHr(ex.scode, static_cast<HRESULT>(0x800A003D), "a log that finds no room is a full disk (61)");
  ClearExcep(ex);
  Expect(GetFileAttributesA((folder + "\\full.txt").c_str()) == INVALID_FILE_ATTRIBUTES, "the log's file goes");
  ExpectHr(CallByName(d.p, L"Movie", DISPATCH_METHOD, {}, nullptr, nullptr), S_OK, "a tick after the failed start");
  Ref<IDispatch> other;
  if (!LoadedControl(other)) return Fail("no second control for the log slot");
  Bstr scratchFolder(std::wstring(scratch.begin(), scratch.end()).c_str()), next(L"after-full.txt"), none(L"");
  ExpectHr(CallByName(other.p, L"ExportData", DISPATCH_METHOD, {Bool(true), Str(scratchFolder.b), Str(next.b)}, nullptr,
                      nullptr),
           S_OK, "another chart starts a log after the failed start");
  CallByName(other.p, L"ExportData", DISPATCH_METHOD, {Bool(false), Str(none.b), Str(none.b)}, nullptr, nullptr);
  Expect(GetFileAttributesA((scratch + "\\after-full.txt").c_str()) != INVALID_FILE_ATTRIBUTES, "its log is there");
}

// ---- many objects ----

using CanUnloadFn = HRESULT(WINAPI*)();

// The process's live GDI objects. Where GetGuiResources reports none (Wine), the handle
// table is probed: a GDI handle with no generation in its upper half names its slot.
DWORD LiveGdiObjects() {
  if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return n;
  DWORD n = 0;
  for (UINT_PTR slot = 1; slot < 0x10000; ++slot)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++n;
  return n;
}

// The process's open kernel handles; probed in steps of four where the count is not kept.
DWORD OpenHandles() {
  DWORD n = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &n) && n != 0) return n;
  DWORD flags = 0;
  for (UINT_PTR h = 4; h < 0x10000; h += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++n;
  return n;
}

// Message-only windows: the ones an unsited control makes for its chart.
DWORD MessageWindows() {
  DWORD n = 0;
  for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;) ++n;
  return n;
}

void Cycles(int count) {
  HMODULE ocx = GetModuleHandleW(L"KavrinLineChart.ocx");
  auto canUnload =
      ocx ? reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllCanUnloadNow"))) : nullptr;
  if (!canUnload) return Fail("DllCanUnloadNow not found in the loaded module");

  // One saved stream that every cycle loads: a configured control with a line.
  std::vector<BYTE> saved;
  {
    Ref<IDispatch> d;
    NewControl(d.out());
    Ref<IPersistStreamInit> ps;
    As(d.p, IID_IPersistStreamInit, ps.out());
    Ref<IStream> s;
    CreateStreamOnHGlobal(nullptr, TRUE, s.out());
    ps->Save(s.p, TRUE);
    STATSTG stat{};
    s->Stat(&stat, STATFLAG_NONAME);
    saved.resize(stat.cbSize.LowPart);
    LARGE_INTEGER zero{};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    s->Read(saved.data(), static_cast<ULONG>(saved.size()), nullptr);
  }
  // A line's point picture is the host's bitmap picture object; the chart copies it.
  Ref<IPictureDisp> picture;
  PICTDESC desc{sizeof(PICTDESC), PICTYPE_BITMAP, {}};
  desc.bmp.hbitmap = CreateBitmap(8, 8, 1, 32, nullptr);
  ExpectHr(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, picture.vout()), S_OK, "a bitmap picture");
  auto cycle = [&] {
    Ref<IDispatch> d;
    if (FAILED(NewControl(d.out()))) return false;
    Ref<_KavrinLineChart> c;
    Ref<IPersistStreamInit> ps;
    Ref<IStream> s;
    if (FAILED(VtableOf(d.p, c.out())) || FAILED(As(d.p, IID_IPersistStreamInit, ps.out()))) return false;
    CreateStreamOnHGlobal(nullptr, TRUE, s.out());
    s->Write(saved.data(), static_cast<ULONG>(saved.size()), nullptr);
    LARGE_INTEGER zero{};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    if (FAILED(ps->Load(s.p))) return false;
    Bstr key(L"Line1");
    LONG color = 255, tip = 0xFFFFFF;
    VARIANT_BOOL showTip = VARIANT_TRUE;
    short id = 1;
    double value = 12.5;
    return SUCCEEDED(c->AddLine(&key.b, &color, &picture.p, &showTip, &tip)) && SUCCEEDED(c->SetValue(&id, &value)) &&
           SUCCEEDED(c->Movie()) && SUCCEEDED(c->Movie());
  };
  cycle();  // the first object loads what stays loaded (the type library, fonts)
  const DWORD gdi = LiveGdiObjects(), handles = OpenHandles(), windows = MessageWindows();
  int failed = 0;
  for (int i = 0; i < count; ++i) failed += cycle() ? 0 : 1;
  const DWORD gdiAfter = LiveGdiObjects(), handlesAfter = OpenHandles(), windowsAfter = MessageWindows();
  Expect(failed == 0, "every cycle succeeds (" + std::to_string(failed) + " failed)");
  Expect(gdi > 0 && gdiAfter == gdi,
         "no GDI object left behind (" + std::to_string(gdi) + " before, " + std::to_string(gdiAfter) + " after)");
  Expect(handles > 0 && handlesAfter == handles,
         "no handle left behind (" + std::to_string(handles) + " before, " + std::to_string(handlesAfter) + " after)");
  Expect(windowsAfter == windows, "no window left behind");
  ExpectHr(canUnload(), S_OK, "DllCanUnloadNow once every object is gone");
  std::printf("cycles: %d, GDI objects %lu, handles %lu\n", count, static_cast<unsigned long>(gdi),
              static_cast<unsigned long>(handles));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::printf("usage: client.exe <saved_settings.txt> <scratch folder> [cycles] [folder on a small disk]\n");
    return 100;
  }
  CoInitialize(nullptr);
  DispatchByName();
  PropertyBagRoundTrip(argv[1], argv[2]);
  NamedArguments(argv[2]);
  RefusedCalls();
  ColoursAsLongs();
  if (argc > 4) FullDisk(argv[4], argv[2]);
  StreamRoundTrip();
  EverySettingRoundTrip();
  RecordSizeLimit();
  PathsOutsideTheCodePage(argv[2]);
  HostileBags();
  FolderByReference();
  ClassInfoAndCategories();
  PropertyNotification();
  Cycles(argc > 3 ? std::atoi(argv[3]) : 10000);
  CoUninitialize();
  std::printf("client: done, %d failures\n", failures);
  return failures;
}

// A hostile caller of the registered control, run under wine64 on an X display: seeded,
// bounded in steps and in time, it drives the control as careless and malicious hosts do.
// Anything but a result code is a finding:
//  - streams and storages made from a saved record and then damaged (bytes flipped, cut,
//    inserted, header fields bent; no stream, a storage in the stream's place): a load
//    succeeds or fails, and a load refused as a whole (not a run-time error of one setting)
//    leaves all 24 settings as they were;
//  - property bags answering every VARIANT type, by value, by reference (null and not), as
//    arrays and vectors, and invalid type numbers;
//  - Invoke on every member and on no member, with every kind of call and 0 to 7 arguments
//    of every type, by value and by reference (null and not), by position and by name (any
//    count, order and DISPID; --positional leaves names to property assignments);
//  - OLE verbs and rectangles: DoVerb, SetObjectRects, SetExtent with one side changed,
//    empty, inverted and huge rectangles, IViewObject::Draw into any bounds.
// Every path it hands over lies in the scratch folder (also the current folder), which holds
// a sentinel file that must never change. At the end no GDI object, handle or window may be
// left behind. A crash or a step that hangs prints the seed and the step.
//   hostile_caller.exe <scratch folder> [--seed N] [--steps N] [--seconds N] [--positional] [--trace]
// Prints "hostile: seed N" first, "hostile: FINDING ..." per finding, and
// "hostile: done, N findings" last; exits with the number of findings.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace {

// ---- the run: seed, step, findings, crash and hang reports ----

unsigned seed = 0;
volatile LONG step = 0;
volatile LONGLONG stepStart = 0;
const char* volatile stepKind = "start";
int findings = 0;
std::mt19937 rng;

void Finding(const std::string& what) {
  std::printf("hostile: FINDING (seed %u, step %ld, %s): %s\n", seed, static_cast<long>(step), stepKind, what.c_str());
  std::fflush(stdout);
  ++findings;
}

LONG WINAPI Crashed(EXCEPTION_POINTERS* e) {
  // Where: the module that holds the faulting address, and the offset in it.
  void* at = e->ExceptionRecord->ExceptionAddress;
  HMODULE module = nullptr;
  char name[MAX_PATH] = "?";
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCSTR>(at), &module))
    GetModuleFileNameA(module, name, sizeof name);
  std::printf("hostile: FINDING (seed %u, step %ld, %s): crash, exception 0x%08lX in %s+0x%llX\n", seed,
              static_cast<long>(step), stepKind, static_cast<unsigned long>(e->ExceptionRecord->ExceptionCode), name,
              static_cast<unsigned long long>(static_cast<char*>(at) - reinterpret_cast<char*>(module)));
  std::printf("hostile: done, crashed\n");
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 100);
  return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI Watchdog(LPVOID) {
  for (;;) {
    Sleep(500);
    if (GetTickCount64() - static_cast<ULONGLONG>(stepStart) > 30000) {
      std::printf("hostile: FINDING (seed %u, step %ld, %s): hang, no answer for 30 s\n", seed,
                  static_cast<long>(step), stepKind);
      std::printf("hostile: done, hung\n");
      std::fflush(stdout);
      TerminateProcess(GetCurrentProcess(), 101);
    }
  }
}

void BeginStep(const char* kind) {
  stepKind = kind;
  stepStart = static_cast<LONGLONG>(GetTickCount64());
  InterlockedIncrement(&step);
}

int Random(int below) { return static_cast<int>(rng() % static_cast<unsigned>(below)); }
bool Chance(int percent) { return Random(100) < percent; }

// ---- the control and a container for it ----

HWND form = nullptr;
std::wstring scratch;

CLSID ControlClass() {
  CLSID clsid{};
  CLSIDFromProgID(L"KavrinLineChartProj.KavrinLineChart", &clsid);
  return clsid;
}

template <typename T>
T* As(IUnknown* u, REFIID iid) {
  T* p = nullptr;
  if (u && FAILED(u->QueryInterface(iid, reinterpret_cast<void**>(&p)))) p = nullptr;
  return p;
}

// Client site, in-place site and frame in one object that lives as long as the run.
class Place final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) *out = static_cast<IOleClientSite*>(this);
    if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) *out = static_cast<IOleInPlaceSite*>(this);
    if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) *out = static_cast<IOleInPlaceFrame*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override { return *m = nullptr, E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override { return *c = nullptr, E_NOINTERFACE; }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* w) override { return *w = form, S_OK; }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** f, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO info) override {
    AddRef();
    *f = this;
    *doc = nullptr;
    *pos = *clip = rect;
    info->fMDIApp = FALSE;
    info->hwndFrame = form;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  RECT rect{0, 0, 320, 240};
  ULONG refs = 1;
};
Place place;

// A rectangle as careless containers give them: ordinary, empty, inverted, huge, far away.
RECT AnyRect() {
  static const RECT kinds[] = {{0, 0, 320, 240}, {5, 5, 5, 5},       {100, 100, 10, 10}, {0, 0, 1, 1},
                               {0, 0, 20000, 300}, {0, 0, 300, 20000}, {-50, -50, 200, 100}, {0, 0, 8192, 8193}};
  if (Chance(70)) return kinds[Random(8)];
  return RECT{Random(4000) - 2000, Random(4000) - 2000, Random(40000) - 20000, Random(40000) - 20000};
}

// ---- values of every type ----

const std::vector<std::wstring>& Texts() {
  static const std::vector<std::wstring> texts = {
      L"", L" ", L"x", L"1.5", L"-7", L"1e308", L"abc", L"True", L"&HFF", L"20,20,20,30", L"a,b", L"sentinel.txt",
      L"log.txt", L"chart.bmp", L"\x6E29\x5EA6 \x0394p \xD83D\xDE00 \xD800", std::wstring(300, L'y'), scratch,
      scratch + L"\\", scratch + L"\\sub", scratch + L"/sub/", scratch + L"\\missing\\"};
  return texts;
}

// Storage a by-reference value points at: zeroed, and cleared after the call.
struct RefSlot {
  VARTYPE type;
  alignas(16) unsigned char bytes[32];
};

// A value of any type. Pointers are null or point at the given slot, never at garbage;
// numbers and texts are random. Objects are a font, a picture or null.
VARIANT AnyValue(std::deque<RefSlot>& slots, bool nullReferences, IUnknown* font, IUnknown* picture) {
  VARIANT v;
  VariantInit(&v);
  static const VARTYPE values[] = {VT_EMPTY, VT_NULL, VT_I2,    VT_I4,   VT_R4,       VT_R8,      VT_CY,
                                   VT_DATE,  VT_BSTR, VT_DISPATCH, VT_ERROR, VT_BOOL, VT_VARIANT, VT_UNKNOWN,
                                   VT_DECIMAL, VT_I1, VT_UI1,   VT_UI2,  VT_UI4,      VT_I8,      VT_UI8,
                                   VT_INT,   VT_UINT, VT_RECORD, VT_LPSTR, VT_LPWSTR, VT_HRESULT, VT_BLOB};
  VARTYPE t = values[Random(sizeof values / sizeof values[0])];
  const int shape = Random(100);
  if (shape < 8) {  // any type number at all, with nothing behind it
    V_VT(&v) = static_cast<VARTYPE>(rng());
    if (V_VT(&v) & (VT_BYREF | VT_ARRAY | VT_VECTOR)) V_BYREF(&v) = nullptr;
    else V_VT(&v) = static_cast<VARTYPE>(V_VT(&v) | VT_RESERVED);  // invalid as it stands
    return v;
  }
  if (shape < 30 && t != VT_EMPTY && t != VT_NULL) {  // by reference
    if (nullReferences && Chance(30)) {
      V_VT(&v) = static_cast<VARTYPE>(VT_BYREF | t);
      V_BYREF(&v) = nullptr;
      return v;
    }
    slots.push_back(RefSlot{t, {}});
    RefSlot& slot = slots.back();
    if (t == VT_I2 || t == VT_I4 || t == VT_R8 || t == VT_BOOL) {
      const uint64_t r = (static_cast<uint64_t>(rng()) << 32) | rng();
      std::memcpy(slot.bytes, &r, sizeof r);
      if (t == VT_R8) {
        const double d = (static_cast<double>(rng()) - 2147483648.0) / (1 + Random(1000));
        std::memcpy(slot.bytes, &d, sizeof d);
      }
    } else if (t == VT_BSTR && Chance(80)) {
      *reinterpret_cast<BSTR*>(slot.bytes) = SysAllocString(Texts()[Random(static_cast<int>(Texts().size()))].c_str());
    }
    V_VT(&v) = static_cast<VARTYPE>(VT_BYREF | t);
    V_BYREF(&v) = slot.bytes;
    return v;
  }
  if (shape < 34) {  // an array or a vector without elements
    V_VT(&v) = static_cast<VARTYPE>((Chance(50) ? VT_ARRAY : VT_VECTOR) | (t == VT_EMPTY ? VARTYPE{VT_I4} : t));
    V_BYREF(&v) = nullptr;
    return v;
  }
  switch (t) {
    case VT_BSTR:
      V_VT(&v) = VT_BSTR;
      V_BSTR(&v) = Chance(5) ? nullptr : SysAllocString(Texts()[Random(static_cast<int>(Texts().size()))].c_str());
      return v;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      IUnknown* object = Chance(40) ? font : Chance(50) ? picture : nullptr;
      V_VT(&v) = t;
      V_UNKNOWN(&v) = object;
      if (object) object->AddRef();
      return v;
    }
    case VT_ERROR:
      V_VT(&v) = VT_ERROR;
      V_ERROR(&v) = Chance(70) ? DISP_E_PARAMNOTFOUND : static_cast<SCODE>(rng());
      return v;
    case VT_DECIMAL:
      V_DECIMAL(&v).scale = static_cast<BYTE>(Random(40));
      V_DECIMAL(&v).sign = Chance(50) ? DECIMAL_NEG : 0;
      V_DECIMAL(&v).Lo64 = (static_cast<ULONGLONG>(rng()) << 32) | rng();
      V_VT(&v) = VT_DECIMAL;
      return v;
    case VT_VARIANT: case VT_RECORD: case VT_LPSTR: case VT_LPWSTR: case VT_BLOB:
      V_VT(&v) = t;  // types no VARIANT holds by value: nothing behind them
      V_BYREF(&v) = nullptr;
      return v;
    default: {
      const uint64_t r = (static_cast<uint64_t>(rng()) << 32) | rng();
      std::memcpy(&V_UI8(&v), &r, sizeof r);
      if (t == VT_R8 || t == VT_DATE) V_R8(&v) = (static_cast<double>(rng()) - 2147483648.0) / (1 + Random(1000));
      if (t == VT_R4) V_R4(&v) = static_cast<float>(Random(2000000) - 1000000) / 7.0f;
      V_VT(&v) = t;
      return v;
    }
  }
}

// Releases what a call's values own: by-value texts and objects, texts and Variants written
// through references.
void ClearValues(std::vector<VARIANT>& args, std::deque<RefSlot>& slots) {
  for (VARIANT& a : args) {
    const VARTYPE t = V_VT(&a);
    if (t == VT_BSTR) SysFreeString(V_BSTR(&a));
    if ((t == VT_DISPATCH || t == VT_UNKNOWN) && V_UNKNOWN(&a)) V_UNKNOWN(&a)->Release();
    V_VT(&a) = VT_EMPTY;
  }
  for (RefSlot& s : slots) {
    if (s.type == VT_BSTR) SysFreeString(*reinterpret_cast<BSTR*>(s.bytes));
    if (s.type == VT_VARIANT) VariantClear(reinterpret_cast<VARIANT*>(s.bytes));
    if ((s.type == VT_DISPATCH || s.type == VT_UNKNOWN) && *reinterpret_cast<IUnknown**>(s.bytes))
      (*reinterpret_cast<IUnknown**>(s.bytes))->Release();
  }
  slots.clear();
}

// ---- the 24 settings, to see that a refused load changed nothing ----

std::wstring Describe(const VARIANT& v) {
  if (V_VT(&v) == VT_DISPATCH && V_DISPATCH(&v)) {
    IFont* f = As<IFont>(V_DISPATCH(&v), IID_IFont);
    if (!f) return L"<object>";
    BSTR name = nullptr;
    CY size{};
    BOOL bold = 0, italic = 0, underline = 0, strike = 0;
    SHORT weight = 0, charset = 0;
    f->get_Name(&name), f->get_Size(&size), f->get_Bold(&bold), f->get_Italic(&italic);
    f->get_Underline(&underline), f->get_Strikethrough(&strike), f->get_Weight(&weight), f->get_Charset(&charset);
    f->Release();
    std::wstring s = std::wstring(name ? name : L"") + L"|" + std::to_wstring(size.int64) + L"|" +
                     std::to_wstring(bold + 2 * italic + 4 * underline + 8 * strike) + L"|" + std::to_wstring(weight) +
                     L"|" + std::to_wstring(charset);
    SysFreeString(name);
    return s;
  }
  VARIANT text;
  VariantInit(&text);
  std::wstring s = L"<" + std::to_wstring(V_VT(&v)) + L">";
  if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(&v), 0, VT_BSTR)))
    s += std::wstring(V_BSTR(&text), SysStringLen(V_BSTR(&text)));
  VariantClear(&text);
  return s;
}

std::vector<std::wstring> Settings(IDispatch* d) {
  std::vector<std::wstring> s;
  for (DISPID id = 0x68030000; id <= 0x68030017; ++id) {
    VARIANT r;
    VariantInit(&r);
    DISPPARAMS none{};
    const HRESULT hr = d->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &r, nullptr, nullptr);
    s.push_back(SUCCEEDED(hr) ? Describe(r) : L"failed " + std::to_wstring(hr));
    VariantClear(&r);
  }
  return s;
}

// ---- one control under test ----

struct Control {
  IOleObject* object = nullptr;
  IDispatch* dispatch = nullptr;
  bool sited = false;

  bool Make() {
    if (FAILED(CoCreateInstance(ControlClass(), nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&object))))
      return false;
    dispatch = As<IDispatch>(object, IID_IDispatch);
    if (Chance(80)) {
      object->SetClientSite(&place);
      sited = true;
    }
    if (IPersistStreamInit* p = As<IPersistStreamInit>(object, IID_IPersistStreamInit)) p->InitNew(), p->Release();
    return dispatch != nullptr;
  }
  void Drop() {
    if (!object) return;
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    if (dispatch) dispatch->Release();
    const ULONG left = object->Release();
    if (left != 0) Finding("the control keeps " + std::to_string(left) + " references after its last release");
    object = nullptr;
    dispatch = nullptr;
    sited = false;
  }
};

// ---- the kinds of step ----

std::vector<BYTE> savedRecord;  // a control with every setting changed, as a stream holds it

std::vector<BYTE> Damaged(std::vector<BYTE> b) {
  const int changes = 1 + Random(4);
  for (int i = 0; i < changes && !b.empty(); ++i) {
    const size_t at = static_cast<size_t>(Random(static_cast<int>(b.size())));
    switch (Random(7)) {
      case 0: b[at] ^= static_cast<BYTE>(1u << Random(8)); break;
      case 1: b[at] = static_cast<BYTE>(rng()); break;
      case 2: b.resize(at); break;
      case 3: b.insert(b.begin() + static_cast<long>(at), static_cast<size_t>(1 + Random(8)), static_cast<BYTE>(rng())); break;
      case 4: if (b.size() >= 12) { const DWORD n = rng() % (b.size() * 2 + 2); std::memcpy(&b[8], &n, 4); } break;  // length
      case 5: if (b.size() >= 12) { const WORD n = static_cast<WORD>(Random(60)); std::memcpy(&b[6], &n, 2); } break;  // count
      default: b.erase(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(std::min(b.size(), at + 1 + Random(16)))); break;
    }
  }
  return b;
}

IStream* StreamOf(const std::vector<BYTE>& bytes) {
  IStream* s = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &s);
  if (!bytes.empty()) s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  LARGE_INTEGER zero{};
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  return s;
}

// A load that is refused as a whole must leave every setting as it was; a run-time error
// (0x800A....) stops at one setting, after the earlier ones, as the control's load does.
void ExpectUnchangedUnlessLoaded(HRESULT hr, IDispatch* d, const std::vector<std::wstring>& before, const char* what) {
  if (SUCCEEDED(hr) || HRESULT_FACILITY(hr) == FACILITY_CONTROL) return;
  if (Settings(d) == before) return;
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  Finding(std::string(what) + " refused (" + code + ") but the settings changed");
}

void LoadDamagedStream(Control& c) {
  IPersistStreamInit* p = As<IPersistStreamInit>(c.object, IID_IPersistStreamInit);
  if (!p) return Finding("no IPersistStreamInit");
  const std::vector<std::wstring> before = Settings(c.dispatch);
  IStream* s = StreamOf(Damaged(savedRecord));
  ExpectUnchangedUnlessLoaded(p->Load(s), c.dispatch, before, "a damaged stream");
  s->Release();
  p->Release();
}

void LoadDamagedStorage(Control& c) {
  IPersistStorage* p = As<IPersistStorage>(c.object, IID_IPersistStorage);
  if (!p) return Finding("no IPersistStorage");
  ILockBytes* bytes = nullptr;
  IStorage* storage = nullptr;
  CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
  StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage);
  if (!storage) {
    Finding("no storage could be made");
    bytes->Release();
    p->Release();
    return;
  }
  const int kind = Random(4);
  if (kind == 1) {  // a storage where the settings' stream belongs
    IStorage* inner = nullptr;
    storage->CreateStorage(L"Contents", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &inner);
    if (inner) inner->Release();
  } else if (kind >= 2) {  // the stream, damaged (kind 0: no stream at all)
    IStream* s = nullptr;
    storage->CreateStream(L"Contents", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &s);
    const std::vector<BYTE> damaged = Damaged(savedRecord);
    if (s && !damaged.empty()) s->Write(damaged.data(), static_cast<ULONG>(damaged.size()), nullptr);
    if (s) s->Release();
  }
  const std::vector<std::wstring> before = Settings(c.dispatch);
  ExpectUnchangedUnlessLoaded(p->Load(storage), c.dispatch, before, "a damaged storage");
  p->HandsOffStorage();
  storage->Release();
  bytes->Release();
  p->Release();
}

// A bag that answers each entry with a value of any type, handed over as it is.
class AnyBag final : public IPropertyBag {
 public:
  AnyBag(IUnknown* font, IUnknown* picture) : font_(font), picture_(picture) {}
  ~AnyBag() {
    std::vector<VARIANT> none;
    ClearValues(none, slots_);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = riid == IID_IUnknown || riid == IID_IPropertyBag ? this : nullptr;
    return *ppv ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR, VARIANT* v, IErrorLog*) override {
    if (Chance(15)) return E_INVALIDARG;  // no such entry
    if (Chance(3)) return E_FAIL;
    // A text or object by value is the control's to free; what a reference points at stays
    // the bag's.
    *v = AnyValue(slots_, true, font_, picture_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return S_OK; }

 private:
  IUnknown* font_;
  IUnknown* picture_;
  std::deque<RefSlot> slots_;  // references point into it: it never moves what it holds
};

void LoadAnyBag(Control& c, IUnknown* font, IUnknown* picture) {
  IPersistPropertyBag* p = As<IPersistPropertyBag>(c.object, IID_IPersistPropertyBag);
  if (!p) return Finding("no IPersistPropertyBag");
  {
    AnyBag bag(font, picture);
    p->Load(&bag, nullptr);
  }
  p->Release();
}

std::vector<DISPID> members;  // every DISPID of the dispatch interface
bool namedArguments = true;
bool trace = false;  // prints each step, and the GDI objects and handles whenever no control exists

void InvokeAny(Control& c, IUnknown* font, IUnknown* picture) {
  DISPID id = Chance(95) ? members[static_cast<size_t>(Random(static_cast<int>(members.size())))]
                         : static_cast<DISPID>(Chance(50) ? rng() : 0x68030000 + Random(40));
  static const WORD kinds[] = {DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF,
                               DISPATCH_METHOD | DISPATCH_PROPERTYGET, 0, DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF};
  WORD flags = Chance(90) ? kinds[Random(7)] : static_cast<WORD>(rng());
  const UINT count = static_cast<UINT>(Random(8));
  std::vector<VARIANT> args;
  std::deque<RefSlot> slots;
  for (UINT i = 0; i < count; ++i) args.push_back(AnyValue(slots, true, font, picture));
  std::vector<DISPID> names;
  // With --positional a call names an argument only as a property assignment does.
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0 &&
                   (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0;
  if (namedArguments && count > 0 && Chance(40)) {
    const UINT n = 1 + static_cast<UINT>(Random(static_cast<int>(count)));
    for (UINT i = 0; i < n; ++i) names.push_back(Chance(80) ? Random(6) : static_cast<DISPID>(rng()));
  } else if (put && count > 0 && Chance(90)) {
    names.push_back(DISPID_PROPERTYPUT);  // the standard shape of a property assignment
  }
  DISPPARAMS params{count ? args.data() : nullptr, names.empty() ? nullptr : names.data(), count,
                    static_cast<UINT>(names.size())};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO ex{};
  UINT argErr = 0;
  if (trace) {
    std::printf("hostile: Invoke 0x%08lX flags %u,", static_cast<unsigned long>(id), flags);
    for (UINT i = count; i-- > 0;) {
      std::printf(" %04X", V_VT(&args[i]));
      if (V_VT(&args[i]) & VT_BYREF) std::printf(V_BYREF(&args[i]) ? "(ref)" : "(null)");
    }
    std::printf(" named");
    for (DISPID n : names) std::printf(" %ld", static_cast<long>(n));
    std::fflush(stdout);
  }
  const HRESULT hr = c.dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                        Chance(90) ? &result : nullptr, Chance(90) ? &ex : nullptr,
                                        Chance(90) ? &argErr : nullptr);
  if (trace) std::printf(": 0x%08lX\n", static_cast<unsigned long>(hr));
  VariantClear(&result);
  SysFreeString(ex.bstrSource);
  SysFreeString(ex.bstrDescription);
  SysFreeString(ex.bstrHelpFile);
  ClearValues(args, slots);
}

void VerbsAndRectangles(Control& c) {
  static const LONG verbs[] = {OLEIVERB_PRIMARY, OLEIVERB_SHOW, OLEIVERB_OPEN, OLEIVERB_HIDE, OLEIVERB_UIACTIVATE,
                               OLEIVERB_INPLACEACTIVATE, OLEIVERB_DISCARDUNDOSTATE, OLEIVERB_PROPERTIES, 1, 2, 77};
  switch (Random(6)) {
    case 0: case 1: {
      place.rect = AnyRect();
      RECT r = AnyRect();
      const LONG verb = Chance(90) ? verbs[Random(11)] : static_cast<LONG>(rng());
      c.object->DoVerb(verb, nullptr, Chance(80) ? &place : nullptr, 0, form, Chance(80) ? &r : nullptr);
      break;
    }
    case 2: {  // the container moves or resizes the control, often by one side only
      IOleInPlaceObject* ip = As<IOleInPlaceObject>(c.object, IID_IOleInPlaceObject);
      if (!ip) return Finding("no IOleInPlaceObject");
      RECT pos = place.rect, clip = AnyRect();
      if (Chance(50)) (Chance(50) ? pos.right : pos.bottom) += Random(400) - 200;
      else pos = AnyRect();
      ip->SetObjectRects(&pos, &clip);
      ip->Release();
      break;
    }
    case 3: {
      SIZEL size{};
      c.object->GetExtent(DVASPECT_CONTENT, &size);
      if (Chance(50)) (Chance(50) ? size.cx : size.cy) = Random(200000) - 1000;
      else size = SIZEL{static_cast<LONG>(rng()), static_cast<LONG>(rng())};
      c.object->SetExtent(Chance(90) ? DWORD{DVASPECT_CONTENT} : static_cast<DWORD>(rng()), &size);
      break;
    }
    case 4: {
      IViewObject* view = As<IViewObject>(c.object, IID_IViewObject);
      if (!view) return Finding("no IViewObject");
      HDC dc = CreateCompatibleDC(nullptr);
      HBITMAP bmp = CreateBitmap(64, 64, 1, 32, nullptr);
      HGDIOBJ old = SelectObject(dc, bmp);
      const RECT r = AnyRect();
      const RECTL bounds{r.left, r.top, r.right, r.bottom};
      view->Draw(Chance(90) ? DWORD{DVASPECT_CONTENT} : static_cast<DWORD>(rng()), -1, nullptr, nullptr, nullptr, dc,
                 Chance(90) ? &bounds : nullptr, nullptr, nullptr, 0);
      SelectObject(dc, old);
      DeleteObject(bmp);
      DeleteDC(dc);
      view->Release();
      break;
    }
    default: {
      IOleInPlaceObject* ip = As<IOleInPlaceObject>(c.object, IID_IOleInPlaceObject);
      if (ip) (Chance(50) ? ip->InPlaceDeactivate() : ip->UIDeactivate()), ip->Release();
      break;
    }
  }
}

// ---- bookkeeping around the run ----

// The process's GDI objects. Window DCs (each with its visible region) are the window
// manager's cache, which grows when more windows draw at once and never shrinks: they are
// counted apart. Where GetGuiResources reports none (Wine), the handle table is probed: a
// GDI handle with no generation in its upper half names its slot.
struct GdiObjects {
  DWORD total = 0;
  DWORD windowDcs = 0;
  DWORD regions = 0;
  DWORD Own() const { return total - windowDcs - regions; }
};
GdiObjects LiveGdiObjects() {
  GdiObjects n;
  if ((n.total = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) != 0) return n;
  for (UINT_PTR slot = 1; slot < 0x10000; ++slot) {
    const DWORD type = GetObjectType(reinterpret_cast<HGDIOBJ>(slot));
    n.total += type != 0;
    n.windowDcs += type == OBJ_DC;
    n.regions += type == OBJ_REGION;
  }
  return n;
}
DWORD OpenHandles() {
  DWORD n = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &n) && n != 0) return n;
  DWORD flags = 0;
  for (UINT_PTR h = 4; h < 0x10000; h += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++n;
  return n;
}
DWORD Windows() {
  DWORD n = 0;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND, LPARAM p) { return ++*reinterpret_cast<DWORD*>(p), TRUE; },
                    reinterpret_cast<LPARAM>(&n));
  for (HWND c = GetWindow(form, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++n;
  for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;) ++n;
  return n;
}

// About is modal: any About window that shows is closed by a right-button press.
void CALLBACK CloseAbout(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM) {
        RECT r{};
        GetClientRect(w, &r);
        if (IsWindowVisible(w) && r.right == 242 && r.bottom == 135 && GetWindow(w, GW_OWNER) == nullptr) {
          PostMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(100, 60));
          PostMessageW(w, WM_RBUTTONUP, 0, MAKELPARAM(100, 60));
        }
        return TRUE;
      },
      0);
}

std::string FileText(const std::wstring& path) {
  std::string text;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return "<missing>";
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n > 0) text.append(buf, n);
  CloseHandle(f);
  return text;
}

void MembersOf(IDispatch* d) {
  ITypeInfo* info = nullptr;
  TYPEATTR* attr = nullptr;
  if (FAILED(d->GetTypeInfo(0, 0, &info)) || FAILED(info->GetTypeAttr(&attr))) return;
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) continue;
    if (std::find(members.begin(), members.end(), f->memid) == members.end()) members.push_back(f->memid);
    info->ReleaseFuncDesc(f);
  }
  info->ReleaseTypeAttr(attr);
  info->Release();
}

LRESULT CALLBACK FormProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return std::printf("usage: hostile_caller.exe <scratch folder> [--seed N] [--steps N] [--seconds N] [--positional]\n"), 100;
  seed = static_cast<unsigned>(GetTickCount64() ^ GetCurrentProcessId());
  long steps = 200000;
  int seconds = 100;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--seed" && i + 1 < argc) seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    else if (a == "--steps" && i + 1 < argc) steps = std::strtol(argv[++i], nullptr, 10);
    else if (a == "--seconds" && i + 1 < argc) seconds = std::atoi(argv[++i]);
    else if (a == "--positional") namedArguments = false;
    else if (a == "--trace") trace = true;
  }
  std::printf("hostile: seed %u%s\n", seed, namedArguments ? "" : ", arguments by position only");
  std::fflush(stdout);
  rng.seed(seed);
  SetUnhandledExceptionFilter(Crashed);
  stepStart = static_cast<LONGLONG>(GetTickCount64());
  CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));

  const int wide = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, nullptr, 0);
  scratch.assign(static_cast<size_t>(wide > 0 ? wide - 1 : 0), L'\0');
  MultiByteToWideChar(CP_ACP, 0, argv[1], -1, scratch.data(), wide);
  while (!scratch.empty() && (scratch.back() == L'\\' || scratch.back() == L'/')) scratch.pop_back();
  CreateDirectoryW((scratch + L"\\sub").c_str(), nullptr);
  SetCurrentDirectoryW(scratch.c_str());
  const std::wstring sentinelPath = scratch + L"\\sentinel.txt";
  const std::string sentinelText = "this file is never overwritten\r\n";
  {
    HANDLE f = CreateFileW(sentinelPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    if (f != INVALID_HANDLE_VALUE) WriteFile(f, sentinelText.data(), static_cast<DWORD>(sentinelText.size()), &n, nullptr), CloseHandle(f);
  }

  OleInitialize(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = FormProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KavrinHostileForm";
  RegisterClassW(&wc);
  form = CreateWindowExW(0, wc.lpszClassName, L"Hostile form", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 640, 480,
                         nullptr, nullptr, wc.hInstance, nullptr);
  const UINT_PTR aboutTimer = SetTimer(nullptr, 0, 50, CloseAbout);

  // What every step may hand over: a font, a picture, and a saved record of a control with
  // its settings changed.
  FONTDESC fd{sizeof(FONTDESC), const_cast<LPOLESTR>(L"Arial"), {{120000, 0}}, FW_BOLD, ANSI_CHARSET, TRUE, FALSE, FALSE};
  // Their IDispatch: a VT_DISPATCH value holds one (and it is an IUnknown too).
  IUnknown* font = nullptr;
  OleCreateFontIndirect(&fd, IID_IDispatch, reinterpret_cast<void**>(&font));
  PICTDESC pd{sizeof(PICTDESC), PICTYPE_BITMAP, {}};
  pd.bmp.hbitmap = CreateBitmap(8, 8, 1, 32, nullptr);
  IUnknown* picture = nullptr;
  OleCreatePictureIndirect(&pd, IID_IDispatch, TRUE, reinterpret_cast<void**>(&picture));
  if (IFont* f = As<IFont>(font, IID_IFont)) {  // a font object makes its GDI font when first read
    BSTR name = nullptr;
    f->get_Name(&name);
    SysFreeString(name);
    f->Release();
  }
  {
    Control c;
    if (!c.Make()) {
      std::printf("hostile: the control could not be made (is it registered?)\nhostile: done, 1 findings\n");
      return 1;
    }
    MembersOf(c.dispatch);
    LPOLESTR about = const_cast<LPOLESTR>(L"About");
    DISPID aboutId = 0;
    DISPPARAMS none{};
    RECT r = place.rect;
    if (SUCCEEDED(c.dispatch->GetIDsOfNames(IID_NULL, &about, 1, 0, &aboutId)))
      for (LONG verb : {OLEIVERB_HIDE, OLEIVERB_UIACTIVATE}) {  // the About box over no control, then over one
        c.object->DoVerb(verb, nullptr, &place, 0, form, &r);
        c.dispatch->Invoke(aboutId, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
      }
    const wchar_t* puts[][2] = {{L"Title", L"\x6E29\x5EA6 \x0394p"}, {L"Unit", L"bar"}, {L"Dist", L"10,20,30,40"},
                                {L"Zoom", L"2.5"}, {L"Min", L"-5"}, {L"TitlePos", L"1"}};
    for (const auto& [name, value] : puts) {
      LPOLESTR n = const_cast<LPOLESTR>(name);
      DISPID id = 0, put = DISPID_PROPERTYPUT;
      c.dispatch->GetIDsOfNames(IID_NULL, &n, 1, 0, &id);
      VARIANT v;
      V_VT(&v) = VT_BSTR;
      V_BSTR(&v) = SysAllocString(value);
      DISPPARAMS p{&v, &put, 1, 1};
      c.dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &p, nullptr, nullptr, nullptr);
      VariantClear(&v);
    }
    IPersistStreamInit* ps = As<IPersistStreamInit>(c.object, IID_IPersistStreamInit);
    IStream* s = StreamOf({});
    if (ps && SUCCEEDED(ps->Save(s, TRUE))) {
      STATSTG st{};
      s->Stat(&st, STATFLAG_NONAME);
      savedRecord.resize(st.cbSize.LowPart);
      LARGE_INTEGER zero{};
      s->Seek(zero, STREAM_SEEK_SET, nullptr);
      s->Read(savedRecord.data(), static_cast<ULONG>(savedRecord.size()), nullptr);
    }
    s->Release();
    if (ps) ps->Release();
    c.Drop();
  }
  if (members.empty() || savedRecord.empty()) Finding("no members or no saved record to start from");

  // A warm-up first (About once, each kind of step, then more): what stays loaded
  // afterwards (the type library, the About box's picture, fonts) is loaded before the
  // counts are taken.
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
  const long warmUp = std::min(200L, steps / 10);
  long done[5] = {};
  const char* kindNames[5] = {"stream", "storage", "property bag", "Invoke", "verbs and rectangles"};
  GdiObjects gdi;
  DWORD handles = 0, windows = 0;
  Control c;
  for (long i = 0; i < steps && !members.empty() && GetTickCount64() < end; ++i) {
    if (i == warmUp) {
      c.Drop();
      gdi = LiveGdiObjects(), handles = OpenHandles(), windows = Windows();
    }
    if (!c.object || Chance(2)) {
      c.Drop();
      if (trace) {
        std::printf("hostile: no control after step %ld: %lu GDI objects (", static_cast<long>(step),
                    static_cast<unsigned long>(LiveGdiObjects().total));
        int kinds[16] = {};
        for (UINT_PTR slot = 1; slot < 0x10000; ++slot) ++kinds[GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) & 15];
        for (int k = 1; k < 16; ++k)
          if (kinds[k]) std::printf(" type %d: %d", k, kinds[k]);
        std::printf("), %lu handles\n", static_cast<unsigned long>(OpenHandles()));
      }
      BeginStep("a new control");
      if (!c.Make()) {
        Finding("the control could not be made");
        break;
      }
    }
    const int kind = i < 5 ? static_cast<int>(i) : Random(100) < 50 ? 3 : Random(5);
    BeginStep(kindNames[kind]);
    switch (kind) {
      case 0: LoadDamagedStream(c); break;
      case 1: LoadDamagedStorage(c); break;
      case 2: LoadAnyBag(c, font, picture); break;
      case 3: InvokeAny(c, font, picture); break;
      default: VerbsAndRectangles(c); break;
    }
    ++done[kind];
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (trace) std::printf("hostile: step %ld, %s\n", static_cast<long>(step), stepKind);
  }
  BeginStep("the end");
  c.Drop();
  std::printf("hostile: %ld steps:", static_cast<long>(step));
  for (int k = 0; k < 5; ++k) std::printf(" %ld %s%s", done[k], kindNames[k], k < 4 ? "," : "\n");

  const GdiObjects gdiAfter = LiveGdiObjects();
  const DWORD handlesAfter = OpenHandles(), windowsAfter = Windows();
  const long moreDcs = static_cast<long>(gdiAfter.windowDcs) - static_cast<long>(gdi.windowDcs);
  const long moreRegions = static_cast<long>(gdiAfter.regions) - static_cast<long>(gdi.regions);
  if (gdiAfter.Own() != gdi.Own() || moreRegions > moreDcs)
    Finding("GDI objects: " + std::to_string(gdi.total) + " before, " + std::to_string(gdiAfter.total) + " after (" +
            std::to_string(moreDcs) + " more window DCs)");
  if (handlesAfter != handles)
    Finding("handles: " + std::to_string(handles) + " before, " + std::to_string(handlesAfter) + " after");
  if (windowsAfter != windows)
    Finding("windows: " + std::to_string(windows) + " before, " + std::to_string(windowsAfter) + " after");
  if (FileText(sentinelPath) != sentinelText) Finding("the sentinel file was overwritten");
  if (place.refs != 1) Finding("the controls keep " + std::to_string(place.refs - 1) + " references to the container");
  KillTimer(nullptr, aboutTimer);
  font->Release();
  picture->Release();
  DestroyWindow(form);
  OleUninitialize();
  std::printf("hostile: done, %d findings\n", findings);
  return findings;
}

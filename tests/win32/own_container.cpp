// A container of our own for the registered control, run under Wine on an X display. It
// checks what Wine's ATL container does not exercise: the ambient font (DISPID -703) is
// read and used, the client site set first or last, property change notifications and the
// dirty flag, Close and release in every state, a container that deactivates, unsites or
// closes the control from inside its activation or changes one side of its size, the About
// box (closed by a right-button press posted to it, also when About is called again while it
// shows or when the container lets the control go while it shows), and 1,000 place /
// resize / tick / remove cycles that leave no GDI object, window or handle behind.
// The site records the calls the control makes on it; the checks say which calls they
// expect and then check they were made, in order.
//   own_container.exe [cycles]
// Prints one line per failure and "own_container: done, N failures" last; exits with N.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Fail(const std::string& what) {
  std::printf("FAIL %s\n", what.c_str());
  std::fflush(stdout);
  ++failures;
}
void Expect(bool ok, const std::string& what) {
  if (!ok) Fail(what);
}
void ExpectHr(HRESULT got, HRESULT expected, const std::string& what) {
  if (got != expected) {
    char buf[64];
    std::snprintf(buf, sizeof buf, ": 0x%08lX, expected 0x%08lX", static_cast<unsigned long>(got),
                  static_cast<unsigned long>(expected));
    Fail(what + buf);
  }
}

// ---- the calls the control makes on its site ----

std::vector<std::string> calls;
void Called(const std::string& name) { calls.push_back(name); }

// Expects each name to have been called, in this order (other calls may lie between);
// forgets the calls made so far.
void CheckCalled(const std::vector<std::string>& expected, const std::string& when) {
  size_t at = 0;
  for (const std::string& name : expected) {
    auto it = std::find(calls.begin() + static_cast<long>(at), calls.end(), name);
    if (it == calls.end()) {
      std::string seen;
      for (const std::string& c : calls) seen += " " + c;
      Fail(when + ": expected " + name + " (after the calls before it); calls were:" + seen);
      break;
    }
    at = static_cast<size_t>(it - calls.begin()) + 1;
  }
  calls.clear();
}
int CountCalls(const std::string& name) { return static_cast<int>(std::count(calls.begin(), calls.end(), name)); }

// ---- the container: frame, site (client, in-place, ambient properties), change sink ----

HWND formWindow = nullptr;

class Frame final : public IOleInPlaceFrame {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
      *out = static_cast<IOleInPlaceFrame*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* w) override {
    *w = formWindow;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* o, LPCOLESTR) override {
    Called(o ? "Frame.SetActiveObject" : "Frame.SetActiveObject(null)");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
  ULONG refs = 1;
};
Frame frame;

IFontDisp* NewFont(const wchar_t* face, int points, bool bold) {
  FONTDESC fd{sizeof(FONTDESC), const_cast<LPOLESTR>(face), {{static_cast<unsigned long>(points * 10000), 0}},
              static_cast<SHORT>(bold ? FW_BOLD : FW_NORMAL), ANSI_CHARSET, FALSE, FALSE, FALSE};
  IFontDisp* font = nullptr;
  OleCreateFontIndirect(&fd, IID_IFontDisp, reinterpret_cast<void**>(&font));
  return font;
}

class Site final : public IOleClientSite, public IOleInPlaceSite, public IDispatch {
 public:
  explicit Site(bool ambient) : ambient_(ambient) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) *out = static_cast<IOleClientSite*>(this);
    if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) *out = static_cast<IOleInPlaceSite*>(this);
    if (iid == IID_IDispatch && ambient_) *out = static_cast<IDispatch*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override {
    *m = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override {
    *c = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return Called("ShowObject"), S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* w) override {
    *w = formWindow;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return Called("CanInPlaceActivate"), S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
    Called("OnInPlaceActivate");
    Interrupt("OnInPlaceActivate");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override {
    Called("OnUIActivate");
    Interrupt("OnUIActivate");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** f, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO info) override {
    Called("GetWindowContext");
    Interrupt("GetWindowContext");
    frame.AddRef();
    *f = &frame;
    *doc = nullptr;
    *pos = rect;
    *clip = rect;
    info->fMDIApp = FALSE;
    info->hwndFrame = formWindow;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return Called("OnUIDeactivate"), S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return Called("OnInPlaceDeactivate"), S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
  // IDispatch: the ambient properties; only the font is answered.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    Called("Ambient(" + std::to_string(id) + ")");
    if (id != DISPID_AMBIENT_FONT || !(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = NewFont(fontFace.c_str(), fontPoints, true);
    return S_OK;
  }

  // A container that calls back into the control from one of its own methods, once.
  void Interrupt(const std::string& method) {
    if (method != interruptIn || !interrupt) return;
    const std::function<void()> call = interrupt;
    interrupt = nullptr;
    call();
  }
  std::string interruptIn;
  std::function<void()> interrupt;

  RECT rect{10, 10, 330, 250};
  std::wstring fontFace = L"Liberation Serif";
  int fontPoints = 14;
  ULONG refs = 1;

 private:
  bool ambient_;
};

class Sink final : public IPropertyNotifySink {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPropertyNotifySink) *out = this;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override { return Called("OnChanged(" + std::to_string(id) + ")"), S_OK; }
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
  ULONG refs = 1;
};

// ---- the control ----

CLSID ControlClass() {
  CLSID clsid{};
  CLSIDFromProgID(L"KavrinLineChartProj.KavrinLineChart", &clsid);
  return clsid;
}

IOleObject* NewControl() {
  IOleObject* o = nullptr;
  ExpectHr(CoCreateInstance(ControlClass(), nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(&o)),
           S_OK, "CoCreateInstance");
  return o;
}

template <typename T>
T* As(IUnknown* u, REFIID iid) {
  T* p = nullptr;
  if (u) u->QueryInterface(iid, reinterpret_cast<void**>(&p));
  return p;
}

HRESULT InitNew(IOleObject* o) {
  IPersistStreamInit* p = As<IPersistStreamInit>(o, IID_IPersistStreamInit);
  if (!p) return E_NOINTERFACE;
  const HRESULT hr = p->InitNew();
  p->Release();
  return hr;
}

HRESULT Activate(IOleObject* o, Site& site, LONG verb) {
  return o->DoVerb(verb, nullptr, &site, 0, formWindow, &site.rect);
}

HWND ControlWindow(IOleObject* o) {
  IOleInPlaceObject* ip = As<IOleInPlaceObject>(o, IID_IOleInPlaceObject);
  HWND w = nullptr;
  if (ip) ip->GetWindow(&w), ip->Release();
  return w;
}

DISPID IdOf(IDispatch* d, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

// A call by name; args last first, as DISPPARAMS holds them.
HRESULT CallByName(IUnknown* u, const wchar_t* name, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr) {
  IDispatch* d = As<IDispatch>(u, IID_IDispatch);
  if (!d) return E_NOINTERFACE;
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{args.data(), flags == DISPATCH_PROPERTYPUT ? &put : nullptr, static_cast<UINT>(args.size()),
                    flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
  VARIANT ignored;
  VariantInit(&ignored);
  const HRESULT hr = d->Invoke(IdOf(d, name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                               result ? result : &ignored, nullptr, nullptr);
  VariantClear(&ignored);
  for (VARIANT& a : args) VariantClear(&a);
  d->Release();
  return hr;
}
VARIANT Text(const wchar_t* s) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(s);
  return v;
}
VARIANT Int(LONG n) {
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = n;
  return v;
}

// The name and size of one of the control's font properties.
std::wstring FontOf(IOleObject* o, const wchar_t* property, int* points) {
  VARIANT r;
  VariantInit(&r);
  CallByName(o, property, DISPATCH_PROPERTYGET, {}, &r);
  std::wstring name;
  IFont* f = V_VT(&r) == VT_DISPATCH ? As<IFont>(V_DISPATCH(&r), IID_IFont) : nullptr;
  if (f) {
    BSTR b = nullptr;
    CY size{};
    f->get_Name(&b);
    f->get_Size(&size);
    name = b ? b : L"";
    *points = static_cast<int>((size.int64 + 5000) / 10000);
    SysFreeString(b);
    f->Release();
  }
  VariantClear(&r);
  return name;
}

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// What IViewObject::Draw paints, 32 bits per pixel.
std::vector<uint32_t> Drawn(IOleObject* o, int w, int h) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  IViewObject* v = As<IViewObject>(o, IID_IViewObject);
  RECTL bounds{0, 0, w, h};
  if (v) ExpectHr(v->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK,
                  "IViewObject::Draw"), v->Release();
  GdiFlush();
  std::vector<uint32_t> px(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + w * h);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return px;
}

void Finish(IOleObject* o) {
  o->Close(OLECLOSE_NOSAVE);
  o->SetClientSite(nullptr);
  o->Release();
}

// ---- the checks ----

void AmbientFontAndSiteOrder() {
  // Site first: InitProperties reads the ambient font once for each of the four fonts.
  Site site(true);
  IOleObject* o = NewControl();
  if (!o) return;
  calls.clear();
  ExpectHr(o->SetClientSite(&site), S_OK, "SetClientSite before InitNew");
  ExpectHr(InitNew(o), S_OK, "InitNew after SetClientSite");
  Expect(CountCalls("Ambient(-703)") == 4,
         "the ambient font is read once per font property (" + std::to_string(CountCalls("Ambient(-703)")) + " reads)");
  calls.clear();
  ExpectHr(Activate(o, site, OLEIVERB_INPLACEACTIVATE), S_OK, "in-place activation");
  CheckCalled({"CanInPlaceActivate", "OnInPlaceActivate", "GetWindowContext"}, "in-place activation");
  HWND w = ControlWindow(o);
  RECT r{};
  if (w) GetWindowRect(w, &r), MapWindowPoints(nullptr, formWindow, reinterpret_cast<POINT*>(&r), 2);
  Expect(w && GetParent(w) == formWindow && IsWindowVisible(w), "the control's window is a visible child of the form");
  Expect(r.left == 10 && r.top == 10 && r.right == 330 && r.bottom == 250, "the control's window covers its place");
  // A font object reports the face it realizes: the site's own font tells which that is.
  std::wstring ambientFace;
  if (IFontDisp* mine = NewFont(site.fontFace.c_str(), site.fontPoints, true)) {
    IFont* f = As<IFont>(mine, IID_IFont);
    BSTR b = nullptr;
    if (f) f->get_Name(&b), f->Release();
    ambientFace = b ? b : L"";
    SysFreeString(b);
    mine->Release();
  }
  for (const wchar_t* p : {L"TitleFont", L"MeasureFont", L"CutLineFont", L"UnitFont"}) {
    int points = 0;
    const std::wstring face = FontOf(o, p, &points);
    Expect(face == ambientFace && points == 14,
           Narrow(p) + " is the ambient font (" + Narrow(face) + " " + std::to_string(points) + ")");
  }
  const std::vector<uint32_t> withAmbient = Drawn(o, 320, 240);
  Finish(o);

  // A site without ambient properties: the fonts have the default description, and the
  // title is drawn differently from the one in the ambient font.
  Site plain(false);
  o = NewControl();
  if (!o) return;
  o->SetClientSite(&plain);
  InitNew(o);
  Activate(o, plain, OLEIVERB_INPLACEACTIVATE);
  int points = 0;
  const std::wstring face = FontOf(o, L"TitleFont", &points);
  Expect(face != ambientFace && points == 8, "without ambient properties the title font is the default 8-point one (" +
                                                      Narrow(face) + " " + std::to_string(points) + ")");
  Expect(Drawn(o, 320, 240) != withAmbient, "the ambient font shows in the picture");
  Finish(o);

  // Site last, as Wine's ATL container does it: the control still activates and draws.
  Site last(true);
  o = NewControl();
  if (!o) return;
  ExpectHr(InitNew(o), S_OK, "InitNew before SetClientSite");
  ExpectHr(o->SetClientSite(&last), S_OK, "SetClientSite after InitNew");
  ExpectHr(Activate(o, last, OLEIVERB_INPLACEACTIVATE), S_OK, "in-place activation with the site set last");
  Expect(ControlWindow(o) != nullptr, "a control sited last has its window");
  const std::wstring lastFace = FontOf(o, L"TitleFont", &points);
  Expect(!lastFace.empty(), "a control sited last has a title font");
  Finish(o);
  Expect(site.refs == 1 && plain.refs == 1 && last.refs == 1, "the controls let go of their sites");
}

void ChangesAndDirtyFlag() {
  Site site(true);
  IOleObject* o = NewControl();
  if (!o) return;
  o->SetClientSite(&site);
  InitNew(o);
  IDispatch* d = As<IDispatch>(o, IID_IDispatch);
  IPersistStreamInit* persist = As<IPersistStreamInit>(o, IID_IPersistStreamInit);
  IConnectionPointContainer* cpc = As<IConnectionPointContainer>(o, IID_IConnectionPointContainer);
  IConnectionPoint* cp = nullptr;
  if (cpc) cpc->FindConnectionPoint(IID_IPropertyNotifySink, &cp), cpc->Release();
  Sink sink;
  DWORD cookie = 0;
  if (!d || !persist || !cp) {
    Fail("IDispatch, IPersistStreamInit or the property change connection point is missing");
  } else {
    const std::string title = "OnChanged(" + std::to_string(IdOf(d, L"Title")) + ")";
    const std::string zoom = "OnChanged(" + std::to_string(IdOf(d, L"Zoom")) + ")";
    ExpectHr(cp->Advise(&sink, &cookie), S_OK, "Advise a property change sink");
    ExpectHr(persist->IsDirty(), S_FALSE, "a new instance is not dirty");
    calls.clear();
    ExpectHr(CallByName(o, L"Title", DISPATCH_PROPERTYPUT, {Text(L"Changed")}), S_OK, "Title put");
    Expect(CountCalls(title) == 1, "Title put notifies its change once");
    ExpectHr(persist->IsDirty(), S_OK, "a changed property makes the control dirty");
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    ExpectHr(persist->Save(stream, TRUE), S_OK, "Save");
    ExpectHr(persist->IsDirty(), S_FALSE, "Save with fClearDirty clears the dirty flag");
    stream->Release();
    ExpectHr(cp->Unadvise(cookie), S_OK, "Unadvise");
    calls.clear();
    CallByName(o, L"Zoom", DISPATCH_PROPERTYPUT, {Int(2)});
    Expect(CountCalls(zoom) == 0, "no notification after Unadvise");
  }
  if (cp) cp->Release();
  if (persist) persist->Release();
  if (d) d->Release();
  Finish(o);
  Expect(sink.refs == 1, "the control lets go of the sink");
  Expect(site.refs == 1, "the control lets go of its site");
}

// Close and release in every state: created, initialized, sited, in-place active, UI
// active; each once closed before its release and once only released.
DWORD ThreadWindows() {
  DWORD n = 0;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND, LPARAM p) { return ++*reinterpret_cast<DWORD*>(p), TRUE; },
                    reinterpret_cast<LPARAM>(&n));
  return n;
}
DWORD AllWindows() {  // the children of the form count too
  DWORD n = ThreadWindows();
  for (HWND c = GetWindow(formWindow, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++n;
  return n;
}

void CloseInEveryState() {
  const char* states[] = {"created", "initialized", "sited", "in-place active", "UI active"};
  for (int state = 0; state < 5; ++state)
    for (bool close : {true, false}) {
      const std::string what = std::string(states[state]) + (close ? ", closed and released" : ", released");
      const DWORD windows = AllWindows();
      Site site(true);
      IOleObject* o = NewControl();
      if (!o) return;
      if (state >= 1) InitNew(o);
      if (state >= 2) o->SetClientSite(&site);
      calls.clear();
      if (state == 3) ExpectHr(Activate(o, site, OLEIVERB_INPLACEACTIVATE), S_OK, what + ": activation");
      if (state == 4) {
        ExpectHr(Activate(o, site, OLEIVERB_UIACTIVATE), S_OK, what + ": activation");
        CheckCalled({"OnInPlaceActivate", "OnUIActivate", "Frame.SetActiveObject"}, what + ": UI activation");
      }
      calls.clear();
      if (close) {
        ExpectHr(o->Close(OLECLOSE_NOSAVE), S_OK, what + ": Close");
        if (state == 4) CheckCalled({"OnUIDeactivate", "OnInPlaceDeactivate"}, what + ": Close");
        if (state == 3) CheckCalled({"OnInPlaceDeactivate"}, what + ": Close");
        Expect(AllWindows() == windows, what + ": Close leaves no window");
        o->SetClientSite(nullptr);
      }
      Expect(o->Release() == 0, what + ": the last reference");
      Expect(AllWindows() == windows, what + ": no window left");
      Expect(site.refs == 1, what + ": the site is let go (" + std::to_string(site.refs) + " references)");
    }
}

// A container that deactivates, unsites or closes the control while it activates: the
// activation stops with E_UNEXPECTED, holds nothing of the container, shows no window, and
// the control activates again once sited.
void ActivationInterrupted() {
  const char* methods[] = {"OnInPlaceActivate", "GetWindowContext", "OnUIActivate"};
  const std::pair<const char*, std::function<void(IOleObject*)>> interruptions[] = {
      {"InPlaceDeactivate",
       [](IOleObject* o) {
         if (IOleInPlaceObject* ip = As<IOleInPlaceObject>(o, IID_IOleInPlaceObject))
           ip->InPlaceDeactivate(), ip->Release();
       }},
      {"SetClientSite(NULL)", [](IOleObject* o) { o->SetClientSite(nullptr); }},
      {"Close", [](IOleObject* o) { o->Close(OLECLOSE_NOSAVE); }}};
  for (const char* method : methods)
    for (const auto& [name, call] : interruptions) {
      const std::string what = std::string(name) + " in " + method;
      const DWORD windows = AllWindows();
      Site site(true);
      IOleObject* o = NewControl();
      if (!o) return;
      o->SetClientSite(&site);
      InitNew(o);
      site.interruptIn = method;
      const std::function<void(IOleObject*)> act = call;
      site.interrupt = [o, act] { act(o); };
      ExpectHr(Activate(o, site, OLEIVERB_UIACTIVATE), E_UNEXPECTED, what);
      Expect(!site.interrupt, what + ": the container was called");
      Expect(ControlWindow(o) == nullptr, what + ": the control is not in place");
      Expect(frame.refs == 1, what + ": the frame is let go (" + std::to_string(frame.refs) + " references)");
      o->SetClientSite(&site);
      ExpectHr(Activate(o, site, OLEIVERB_UIACTIVATE), S_OK, what + ": activates again");
      Finish(o);
      Expect(site.refs == 1, what + ": the site is let go (" + std::to_string(site.refs) + " references)");
      Expect(AllWindows() == windows, what + ": no window left");
    }
}

// A container that changes one side of the size only: the control takes that side and
// keeps the other, through its place (SetObjectRects) and through its extent (SetExtent).
// 384 pixels are 10,160 HIMETRIC at 96 pixels an inch.
void OneSideResized() {
  Site site(true);
  IOleObject* o = NewControl();
  if (!o) return;
  o->SetClientSite(&site);
  InitNew(o);
  ExpectHr(Activate(o, site, OLEIVERB_INPLACEACTIVATE), S_OK, "activation before resizing");
  if (IOleInPlaceObject* ip = As<IOleInPlaceObject>(o, IID_IOleInPlaceObject)) {
    SIZEL before{}, after{};
    o->GetExtent(DVASPECT_CONTENT, &before);
    const RECT taller{10, 10, 330, 394};
    ExpectHr(ip->SetObjectRects(&taller, &taller), S_OK, "a place 384 pixels high");
    o->GetExtent(DVASPECT_CONTENT, &after);
    Expect(after.cx == before.cx && after.cy == 10160,
           "a taller place: extent " + std::to_string(after.cx) + " x " + std::to_string(after.cy));
    ip->Release();
  }
  SIZEL wider{10160, 10160}, got{};
  ExpectHr(o->SetExtent(DVASPECT_CONTENT, &wider), S_OK, "an extent 384 pixels wide");
  o->GetExtent(DVASPECT_CONTENT, &got);
  Expect(got.cx == 10160 && got.cy == 10160,
         "a wider extent: extent " + std::to_string(got.cx) + " x " + std::to_string(got.cy));
  Finish(o);
}

// ---- About ----

int aboutWindowsSeen = 0;
HWND aboutWindows[2] = {};
IOleObject* aboutControl = nullptr;

BOOL CALLBACK FindAbout(HWND w, LPARAM out) {
  RECT r{};
  GetClientRect(w, &r);
  if (IsWindowVisible(w) && r.right == 242 && r.bottom == 135 && GetWindow(w, GW_OWNER) == nullptr) {
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
  }
  return TRUE;
}

// Runs inside About's modal loop: at the first About window calls About again (which must
// replace it with a fresh one); the fresh one is closed by a right-button press.
// Timer messages come only when the queue is empty: a window still shown at the tick after
// the press was posted did not close on it (it is then destroyed, so that About returns).
bool pressPosted = false;
void CALLBACK AboutTimer(HWND, UINT, UINT_PTR, DWORD) {
  HWND w = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindAbout, reinterpret_cast<LPARAM>(&w));
  if (pressPosted && w) {
    Fail("the About window did not close on a right-button press");
    DestroyWindow(w);
    return;
  }
  if (!w || (aboutWindowsSeen > 0 && w == aboutWindows[aboutWindowsSeen - 1])) return;
  if (aboutWindowsSeen >= 2) return Fail("a third About window appeared");
  aboutWindows[aboutWindowsSeen++] = w;
  RECT wr{};
  GetWindowRect(w, &wr);
  Expect(wr.right - wr.left == 242 && wr.bottom - wr.top == 135, "the About window has no frame");
  if (aboutWindowsSeen == 1) {
    ExpectHr(CallByName(aboutControl, L"About", DISPATCH_METHOD, {}), S_OK, "About while About shows");
    Expect(!IsWindow(aboutWindows[0]) || !IsWindowVisible(aboutWindows[0]), "the first About window is gone");
  } else {
    PostMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(100, 60));
    PostMessageW(w, WM_RBUTTONUP, 0, MAKELPARAM(100, 60));
    pressPosted = true;
  }
}

void About() {
  Site site(true);
  aboutControl = NewControl();
  if (!aboutControl) return;
  aboutControl->SetClientSite(&site);
  InitNew(aboutControl);
  Activate(aboutControl, site, OLEIVERB_INPLACEACTIVATE);
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, AboutTimer);
  ExpectHr(CallByName(aboutControl, L"About", DISPATCH_METHOD, {}), S_OK, "About");
  KillTimer(nullptr, timer);
  Expect(aboutWindowsSeen == 2, "About showed its window, and a fresh one when called again (" +
                                    std::to_string(aboutWindowsSeen) + " seen)");
  for (HWND w : aboutWindows) Expect(!w || !IsWindow(w) || !IsWindowVisible(w), "the About window is closed");
  Finish(aboutControl);
  aboutControl = nullptr;
}

// A caller that holds no reference of its own calls About; during the modal loop the
// container releases the last reference and frees unused libraries. About still returns, and
// only then do the control and the module go.
IDispatch* lastReference = nullptr;
bool releasedDuringAbout = false;

void CALLBACK ReleaseDuringAbout(HWND, UINT, UINT_PTR, DWORD) {
  HWND w = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindAbout, reinterpret_cast<LPARAM>(&w));
  if (!w || releasedDuringAbout) return;
  releasedDuringAbout = true;
  lastReference->Release();
  CoFreeUnusedLibraries();
  PostMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(100, 60));
  PostMessageW(w, WM_RBUTTONUP, 0, MAKELPARAM(100, 60));
}

void AboutAfterTheLastRelease() {
  IOleObject* o = NewControl();
  if (!o) return;
  lastReference = As<IDispatch>(o, IID_IDispatch);
  o->Release();
  const DISPID about = IdOf(lastReference, L"About");
  DISPPARAMS none{};
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, ReleaseDuringAbout);
  const HRESULT hr = lastReference->Invoke(about, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
  KillTimer(nullptr, timer);
  ExpectHr(hr, S_OK, "About while the container lets the control go");
  Expect(releasedDuringAbout, "the last reference went during About");
  CoFreeUnusedLibraries();
  Expect(GetModuleHandleW(L"KavrinLineChart.ocx") == nullptr, "the control and then its module went after About");
}

// ---- many cycles ----

DWORD LiveGdiObjects() {  // where GetGuiResources reports none (Wine), probe the handle table
  if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return n;
  DWORD n = 0;
  for (UINT_PTR slot = 1; slot < 0x10000; ++slot)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++n;
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

bool Cycle() {
  Site site(true);
  IOleObject* o = NewControl();
  if (!o) return false;
  bool ok = SUCCEEDED(o->SetClientSite(&site)) && SUCCEEDED(InitNew(o)) &&
            SUCCEEDED(Activate(o, site, OLEIVERB_INPLACEACTIVATE));
  IOleInPlaceObject* ip = As<IOleInPlaceObject>(o, IID_IOleInPlaceObject);
  RECT bigger{10, 10, 410, 310};
  ok = ok && ip && SUCCEEDED(ip->SetObjectRects(&bigger, &bigger));
  if (ip) ip->Release();
  VARIANT one = Int(1), value;
  V_VT(&value) = VT_R8;
  V_R8(&value) = 12.5;
  ok = ok && SUCCEEDED(CallByName(o, L"AddLine", DISPATCH_METHOD, {Int(255), Text(L"Line1")})) &&
       SUCCEEDED(CallByName(o, L"SetValue", DISPATCH_METHOD, {value, one})) &&
       SUCCEEDED(CallByName(o, L"Movie", DISPATCH_METHOD, {}));
  ok = SUCCEEDED(o->Close(OLECLOSE_NOSAVE)) && ok;
  o->SetClientSite(nullptr);
  ok = o->Release() == 0 && ok;
  return ok && site.refs == 1;
}

void Cycles(int count) {
  Cycle();  // the first control loads what stays loaded (type library, fonts)
  const DWORD gdi = LiveGdiObjects(), handles = OpenHandles(), windows = AllWindows();
  int failed = 0;
  for (int i = 0; i < count; ++i) failed += Cycle() ? 0 : 1;
  const DWORD gdiAfter = LiveGdiObjects(), handlesAfter = OpenHandles(), windowsAfter = AllWindows();
  Expect(failed == 0, std::to_string(failed) + " of " + std::to_string(count) + " cycles failed");
  Expect(gdi > 0 && gdiAfter == gdi, "GDI objects: " + std::to_string(gdi) + " before, " + std::to_string(gdiAfter) + " after");
  Expect(handlesAfter == handles, "handles: " + std::to_string(handles) + " before, " + std::to_string(handlesAfter) + " after");
  Expect(windowsAfter == windows, "windows: " + std::to_string(windows) + " before, " + std::to_string(windowsAfter) + " after");
  std::printf("%d cycles: %lu GDI objects, %lu handles, %lu windows before and after\n", count,
              static_cast<unsigned long>(gdiAfter), static_cast<unsigned long>(handlesAfter),
              static_cast<unsigned long>(windowsAfter));
}

LRESULT CALLBACK FormProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

}  // namespace

int main(int argc, char** argv) {
  const int cycles = argc > 1 ? std::atoi(argv[1]) : 1000;
  OleInitialize(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = FormProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KavrinOwnForm";
  RegisterClassW(&wc);
  formWindow = CreateWindowExW(0, wc.lpszClassName, L"Own form", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 640,
                               480, nullptr, nullptr, wc.hInstance, nullptr);
  std::printf("-- ambient font and site order\n");
  AmbientFontAndSiteOrder();
  std::printf("-- property changes and the dirty flag\n");
  ChangesAndDirtyFlag();
  std::printf("-- close and release in every state\n");
  CloseInEveryState();
  std::printf("-- a container that calls back during activation\n");
  ActivationInterrupted();
  std::printf("-- a container that changes one side of the size\n");
  OneSideResized();
  std::printf("-- About\n");
  About();
  AboutAfterTheLastRelease();
  std::printf("-- %d place / resize / tick / remove cycles\n", cycles);
  Cycles(cycles);
  using CanUnloadFn = HRESULT(WINAPI*)();
  HMODULE ocx = GetModuleHandleW(L"KavrinLineChart.ocx");
  auto canUnload = ocx ? reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllCanUnloadNow")))
                       : nullptr;
  Expect(canUnload && canUnload() == S_OK, "DllCanUnloadNow is true once every control is gone");
  DestroyWindow(formWindow);
  OleUninitialize();
  std::printf("own_container: done, %d failures\n", failures);
  return failures;
}

// The control on a form of Wine's ATL container (atl.dll's AtlAxWin window, a container
// nobody here wrote), driven through IDispatch by name with the form scenarios of
// form_scenario.cpp. At each snapshot it reads the control window's pixels from its DC
// (after UpdateWindow, so the paint has happened), through PrintWindow, and through
// IViewObject::Draw into a memory DC, and writes them to <folder>\shots.txt; the export log
// and the exported picture go to <folder>\plain and <folder>\alt. The Linux side
// (form_pixels_test.cpp) compares them with its own form.
//   atl_host.exe <folder>
// Prints one line per failure and "atl_host: done, N failures" last; exits with N.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/differential/shots.h"
#include "tests/win32/form_scenario.h"

namespace {

int failures = 0;

void Fail(const std::string& what) {
  std::printf("FAIL %s\n", what.c_str());
  std::fflush(stdout);
  ++failures;
}
void ExpectHr(HRESULT hr, const std::string& what) {
  if (FAILED(hr)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, ": 0x%08lX", static_cast<unsigned long>(hr));
    Fail(what + buf);
  }
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

using AxWinInit = BOOL(WINAPI*)();
using AxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

// 32-bit top-down pixels of a DC-compatible bitmap, as COLORREF values.
struct Canvas {
  HDC dc = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  int w = 0, h = 0;
  Canvas(int width, int height, COLORREF fill) : w(width), h(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    old = SelectObject(dc, bmp);
    RECT r{0, 0, w, h};
    HBRUSH b = CreateSolidBrush(fill);
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  std::vector<uint32_t> Pixels() const {
    GdiFlush();
    std::vector<uint32_t> px;
    for (int i = 0; i < w * h; ++i) {
      const uint32_t c = bits[i];  // 0x00RRGGBB in memory order B, G, R
      px.push_back(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
    }
    return px;
  }
};

class AtlDriver final : public kavrin::formtest::Driver {
 public:
  AtlDriver(HWND frame, AxGetControl getControl, std::string prefix, std::string folder,
            std::vector<kavrin::diff::Shot>* shots)
      : frame_(frame), getControl_(getControl), prefix_(std::move(prefix)), folder_(std::move(folder)), shots_(shots) {}

  void Place() override {
    ax_ = CreateWindowExW(0, L"AtlAxWin", L"KavrinLineChartProj.KavrinLineChart", WS_CHILD | WS_VISIBLE, 0, 0, 320,
                          240, frame_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!ax_) return Fail(prefix_ + ": the AtlAxWin window was not created");
    IUnknown* unk = nullptr;
    ExpectHr(getControl_(ax_, &unk), prefix_ + ": AtlAxGetControl");
    if (!unk) return;
    ExpectHr(unk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp_)), prefix_ + ": IDispatch");
    unk->Release();
  }
  void Let(const std::string& name, const kavrin::formtest::Arg& value) override {
    VARIANT v = ToVariant(value);
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&v, &put, 1, 1};
    Invoke(name, value.kind == kavrin::formtest::Arg::kFont ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, &params);
    VariantClear(&v);
  }
  void Call(const std::string& name, const std::vector<kavrin::formtest::Arg>& args) override {
    std::vector<VARIANT> vs;
    for (auto it = args.rbegin(); it != args.rend(); ++it) vs.push_back(ToVariant(*it));  // last first
    DISPPARAMS params{vs.data(), nullptr, static_cast<UINT>(vs.size()), 0};
    Invoke(name, DISPATCH_METHOD, &params);
    for (VARIANT& v : vs) VariantClear(&v);
  }
  // The container's window changes size; ATL passes it on to the control (SetExtent,
  // SetObjectRects).
  void Resize(int width, int height) override {
    SetWindowPos(ax_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  }
  void Snapshot(const std::string& name) override {
    HWND wnd = ControlWindow();
    if (!wnd) return Fail(prefix_ + "/" + name + ": the control has no window");
    RECT rc{};
    GetClientRect(wnd, &rc);
    const int w = rc.right, h = rc.bottom;
    UpdateWindow(wnd);
    {
      Canvas c(w, h, RGB(1, 2, 3));
      HDC wdc = GetDC(wnd);
      BitBlt(c.dc, 0, 0, w, h, wdc, 0, 0, SRCCOPY);
      ReleaseDC(wnd, wdc);
      Add(name + "/window", c);
    }
    {
      Canvas c(w, h, RGB(1, 2, 3));
      if (!PrintWindow(wnd, c.dc, PW_CLIENTONLY)) Fail(prefix_ + "/" + name + ": PrintWindow");
      Add(name + "/print", c);
    }
    {
      Canvas c(w, h, RGB(1, 2, 3));
      IViewObject* view = nullptr;
      ExpectHr(disp_->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)), "IViewObject");
      if (view) {
        RECTL bounds{0, 0, w, h};
        ExpectHr(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, c.dc, &bounds, nullptr, nullptr, 0),
                 prefix_ + "/" + name + ": IViewObject::Draw");
        view->Release();
      }
      Add(name + "/view", c);
    }
  }
  void Remove() override {
    if (disp_) disp_->Release();
    disp_ = nullptr;
    if (ax_) DestroyWindow(ax_);  // ATL closes the control and lets go of it
    ax_ = nullptr;
  }

 private:
  HWND ControlWindow() {
    IOleWindow* ow = nullptr;
    HWND wnd = nullptr;
    if (disp_ && SUCCEEDED(disp_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&ow)))) {
      ow->GetWindow(&wnd);
      ow->Release();
    }
    if (wnd && GetParent(wnd) != ax_) Fail(prefix_ + ": the control's window is not a child of the container's");
    return wnd;
  }
  void Add(const std::string& name, const Canvas& c) {
    kavrin::diff::Shot s;
    s.name = prefix_ + "/" + name;
    s.width = c.w;
    s.height = c.h;
    s.px = c.Pixels();
    shots_->push_back(std::move(s));
  }
  void Invoke(const std::string& name, WORD flags, DISPPARAMS* params) {
    if (!disp_) return Fail(name + ": no control");
    std::wstring wname = Wide(name);
    LPOLESTR names[] = {wname.data()};
    DISPID id = 0;
    HRESULT hr = disp_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return ExpectHr(hr, prefix_ + ": GetIDsOfNames " + name);
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO ex{};
    hr = disp_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, params, &result, &ex, nullptr);
    ExpectHr(hr, prefix_ + ": " + name);
    if (name == "ExportPicture" && !(V_VT(&result) == VT_BOOL && V_BOOL(&result) == VARIANT_TRUE))
      Fail(prefix_ + ": ExportPicture did not write its file");
    VariantClear(&result);
    SysFreeString(ex.bstrSource);
    SysFreeString(ex.bstrDescription);
    SysFreeString(ex.bstrHelpFile);
  }
  VARIANT ToVariant(const kavrin::formtest::Arg& a) {
    using kavrin::formtest::Arg;
    VARIANT v;
    VariantInit(&v);
    switch (a.kind) {
      case Arg::kLong: V_VT(&v) = VT_I4, V_I4(&v) = a.number; break;
      case Arg::kDouble: V_VT(&v) = VT_R8, V_R8(&v) = a.real; break;
      case Arg::kText: V_VT(&v) = VT_BSTR, V_BSTR(&v) = SysAllocString(Wide(a.text).c_str()); break;
      case Arg::kFolder: V_VT(&v) = VT_BSTR, V_BSTR(&v) = SysAllocString(Wide(folder_).c_str()); break;
      case Arg::kBool: V_VT(&v) = VT_BOOL, V_BOOL(&v) = a.number ? VARIANT_TRUE : VARIANT_FALSE; break;
      case Arg::kPicture: V_VT(&v) = VT_DISPATCH, V_DISPATCH(&v) = PointPicture(); break;
      case Arg::kFont: {
        std::wstring face = Wide(a.text);
        FONTDESC fd{sizeof(FONTDESC), face.data(), {{static_cast<unsigned long>(a.real * 10000 + 0.5), 0}},
                    static_cast<SHORT>(a.number ? FW_BOLD : FW_NORMAL), ANSI_CHARSET, FALSE, FALSE, FALSE};
        V_VT(&v) = VT_DISPATCH;
        if (FAILED(OleCreateFontIndirect(&fd, IID_IFontDisp, reinterpret_cast<void**>(&V_DISPATCH(&v)))))
          V_VT(&v) = VT_EMPTY, Fail("a font object could not be made");
        break;
      }
    }
    return v;
  }
  // A new picture object of the point picture each time (the variant owns it).
  static IDispatch* PointPicture() {
    const int side = kavrin::formtest::kPointSide;
    Canvas c(side, side, 0);
    const std::vector<uint32_t> px = kavrin::formtest::PointPicture();
    for (int i = 0; i < side * side; ++i) c.bits[i] = px[static_cast<size_t>(i)];
    PICTDESC pd{};
    pd.cbSizeofstruct = sizeof pd;
    pd.picType = PICTYPE_BITMAP;
    pd.bmp.hbitmap = static_cast<HBITMAP>(CopyImage(c.bmp, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    IDispatch* pic = nullptr;
    if (FAILED(OleCreatePictureIndirect(&pd, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(&pic)))) {
      Fail("the point picture could not be made");
      DeleteObject(pd.bmp.hbitmap);
    }
    return pic;
  }

  HWND frame_;
  AxGetControl getControl_;
  std::string prefix_, folder_;
  std::vector<kavrin::diff::Shot>* shots_;
  HWND ax_ = nullptr;
  IDispatch* disp_ = nullptr;
};

LRESULT CALLBACK FrameProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: atl_host.exe <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  OleInitialize(nullptr);
  HMODULE atl = LoadLibraryW(L"atl.dll");
  auto init = atl ? reinterpret_cast<AxWinInit>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit"))) : nullptr;
  auto get = atl ? reinterpret_cast<AxGetControl>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")))
                 : nullptr;
  if (!init || !get || !init()) {
    Fail("atl.dll, AtlAxWinInit or AtlAxGetControl is not available");
    std::printf("atl_host: done, %d failures\n", failures);
    return failures;
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KavrinAtlFrame";
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  RegisterClassW(&wc);
  // A frameless top-level window at the screen's origin: the whole control is on screen.
  HWND frame = CreateWindowExW(0, wc.lpszClassName, L"ATL form", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 640,
                               480, nullptr, nullptr, wc.hInstance, nullptr);
  std::vector<kavrin::diff::Shot> shots;
  for (const char* run : {"plain", "alt"}) {
    const std::string sub = folder + "\\" + run;
    CreateDirectoryA(sub.c_str(), nullptr);
    AtlDriver d(frame, get, run, sub, &shots);
    kavrin::formtest::RunScenarios(d, std::string(run) == "alt");
  }
  DestroyWindow(frame);
  std::ofstream out(folder + "\\shots.txt", std::ios::binary);
  kavrin::diff::WriteShots(out, shots);
  out.close();
  if (shots.size() != 24) Fail("expected 24 pictures, made " + std::to_string(shots.size()));
  OleUninitialize();
  std::printf("atl_host: done, %d failures\n", failures);
  return failures;
}

// A smoke test of the control on a form, as Wine's ATL container places it: InitNew, then
// the container attaches it to a window (client site, extent, in-place activation). The
// control's window is a child of the container's window showing the surface; a resize by the
// container reconfigures the chart; ticks and BackColor reach the window; IViewObject::Draw
// gives the window's pixels, also stretched and into a metafile; About shows its picture and
// a second About replaces it; settings go through a storage; nothing is left at the end.
// (The full form checks, our own container and the comparison with the Linux build are
// tests/win32's.)
//
//   activation_test PATH\KavrinLineChart.ocx      (needs a display: run under Xvfb)
#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "control/automation.h"
#include "win32/registration.h"
#include "win32/tests/check.h"

namespace {

using kavrin::wintest::Check;
using kavrin::wintest::CheckEq;

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(WINAPI*)();
using AttachFn = HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**);

// The pixels of a window's client area, as WM_PRINTCLIENT paints them, 0x00RRGGBB.
std::vector<DWORD> Capture(int width, int height, const std::function<void(HDC)>& paint) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  paint(dc);
  GdiFlush();
  std::vector<DWORD> px(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + width * height);
  for (DWORD& p : px) p &= 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return px;
}

HRESULT CallByName(IDispatch* d, const wchar_t* name, std::vector<VARIANT> args, WORD flags = DISPATCH_METHOD) {
  DISPID id = 0;
  LPOLESTR n = const_cast<LPOLESTR>(name);
  HRESULT hr = d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), flags == DISPATCH_PROPERTYPUT ? &put : nullptr, static_cast<UINT>(reversed.size()),
                    flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
  VARIANT result;
  VariantInit(&result);
  hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, nullptr, nullptr);
  VariantClear(&result);
  return hr;
}

VARIANT I4(LONG v) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_I4;
  x.lVal = v;
  return x;
}
VARIANT Str(const wchar_t* s) {
  VARIANT x;
  VariantInit(&x);
  x.vt = VT_BSTR;
  x.bstrVal = SysAllocString(s);
  return x;
}

IDispatch* g_chart = nullptr;
bool g_aboutAgain = true;

// From inside the modal loop of About (a timer): the first time, calls About again, which
// closes the visible window and shows a fresh one; then presses the right button on it.
void CALLBACK PressOnAbout(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND about = FindWindowW(L"KavrinLineChartAbout", L"frmAbout"); about && IsWindowVisible(about)) {
    if (g_aboutAgain) {
      g_aboutAgain = false;
      CheckEq(CallByName(g_chart, L"About", {}), S_OK, "About while About is visible");
      Check(!IsWindow(about), "the second About closed the first window");
      return;
    }
    RECT rc;
    GetClientRect(about, &rc);
    Check(rc.right == 242 && rc.bottom == 135, "the About window's client area is 242 x 135");
    UpdateWindow(about);
    HDC dc = GetDC(about);
    CheckEq(GetPixel(dc, 241, 60), static_cast<COLORREF>(0xF0F0F0), "the About window's last column is the form's");
    Check(GetPixel(dc, 120, 5) != 0xF0F0F0, "the About picture is painted");
    ReleaseDC(about, dc);
    PostMessageW(about, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  }
}

// A control saved into a storage (IPersistStorage) and loaded from it by another one.
void CheckStorage(IClassFactory* factory) {
  IStorage* storage = nullptr;
  StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0, &storage);
  IPersistStorage* saved = nullptr;
  IPersistStorage* loaded = nullptr;
  factory->CreateInstance(nullptr, IID_IPersistStorage, reinterpret_cast<void**>(&saved));
  factory->CreateInstance(nullptr, IID_IPersistStorage, reinterpret_cast<void**>(&loaded));
  saved->InitNew(storage);
  IDispatch* chart = nullptr;
  saved->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&chart));
  CallByName(chart, L"Max", {I4(75)}, DISPATCH_PROPERTYPUT);
  chart->Release();
  CheckEq(saved->Save(storage, FALSE), S_OK, "IPersistStorage::Save");
  CheckEq(loaded->Load(storage), S_OK, "IPersistStorage::Load");
  loaded->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&chart));
  DISPID id = 0;
  LPOLESTR name = const_cast<LPOLESTR>(L"Max");
  chart->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
  DISPPARAMS none{};
  VARIANT v;
  VariantInit(&v);
  chart->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr);
  Check(v.vt == VT_R8 && v.dblVal == 75, "the loaded control has the saved Max");
  chart->Release();
  saved->Release();
  loaded->Release();
  storage->Release();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  OleInitialize(nullptr);
  HMODULE ocx = LoadLibraryA(argv[1]);
  HMODULE atl = LoadLibraryA("atl.dll");
  if (!Check(ocx && atl, "the control and atl.dll load")) return kavrin::wintest::Finish("activation_test");
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllGetClassObject")));
  auto canUnload = reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllCanUnloadNow")));
  auto attach = reinterpret_cast<AttachFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxAttachControl")));
  CLSID clsid;
  CLSIDFromString(kavrin::win32::Widen(kavrin::FindType("KavrinLineChart")->guid).c_str(), &clsid);
  IClassFactory* factory = nullptr;
  getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  IUnknown* control = nullptr;
  factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control));
  IPersistStreamInit* persist = nullptr;
  control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist));
  CheckEq(persist->InitNew(), S_OK, "InitNew before the client site");
  persist->Release();
  IOleObject* ole = nullptr;
  control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole));
  SIZEL extent{};
  ole->GetExtent(DVASPECT_CONTENT, &extent);
  Check(extent.cx == 8467 && extent.cy == 6350, "a new control measures 320 x 240 pixels in HIMETRIC");
  ole->Release();

  HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                              nullptr, nullptr);
  IUnknown* container = nullptr;
  CheckEq(attach(control, form, &container), S_OK, "ATL attaches the control");
  IOleInPlaceObject* inPlace = nullptr;
  control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace));
  HWND window = nullptr;
  CheckEq(inPlace->GetWindow(&window), S_OK, "the in-place active control has a window");
  Check(GetParent(window) == form && IsWindowVisible(window), "its window is a visible child of the form");
  IDispatch* chart = nullptr;
  control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&chart));
  IViewObject* view = nullptr;
  control->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view));

  const auto windowPixels = [&](int w, int h) {
    UpdateWindow(window);
    return Capture(w, h, [&](HDC dc) { SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT); });
  };
  const auto drawnPixels = [&](int w, int h) {
    return Capture(w, h, [&](HDC dc) {
      RECTL bounds{0, 0, w, h};
      view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0);
    });
  };

  // The default chart: white surface, grey 1-pixel frame, black plot area from (20, 20).
  std::vector<DWORD> px = windowPixels(320, 240);
  CheckEq(px[0], 0x808080u, "frame pixel (0, 0)");
  CheckEq(px[239 * 320 + 319], 0x808080u, "frame pixel (319, 239)");
  CheckEq(px[100 * 320 + 100], 0x000000u, "plot area pixel (100, 100)");
  CheckEq(px[5 * 320 + 5], 0xFFFFFFu, "surface background pixel (5, 5)");
  Check(px == drawnPixels(320, 240), "IViewObject::Draw gives the window's pixels");

  // The container resizes the form: the chart is configured for the new size.
  SetWindowPos(form, nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOMOVE);
  RECT rc;
  GetClientRect(window, &rc);
  Check(rc.right == 400 && rc.bottom == 300, "the control's window follows the form");
  px = windowPixels(400, 300);
  CheckEq(px[299 * 400 + 399], 0x808080u, "frame pixel (399, 299) after the resize");

  // Ticks show in the window; BackColor repaints at once.
  VARIANT key = Str(L"a");
  VARIANT color = I4(0x0000FF);
  CheckEq(CallByName(chart, L"AddLine", {key, color}), S_OK, "AddLine");
  VariantClear(&key);
  for (int i = 0; i < 40; ++i) {
    VARIANT id = I4(0);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R8;
    value.dblVal = (i % 10) * 4.0 - 20;
    CallByName(chart, L"SetValue", {id, value});
    CallByName(chart, L"Movie", {});
  }
  CheckEq(CallByName(chart, L"BackColor", {I4(0x00FFFF)}, DISPATCH_PROPERTYPUT), S_OK, "BackColor at run time");
  px = windowPixels(400, 300);
  CheckEq(px[5 * 400 + 5], 0xFFFF00u, "the new background shows at once (RGB of 0x00FFFF)");
  Check(px == drawnPixels(400, 300), "after ticks, Draw still gives the window's pixels");
  const std::vector<DWORD> half = drawnPixels(200, 150);
  CheckEq(half[2 * 200 + 2], 0xFFFF00u, "Draw at half size stretches the surface");
  CheckEq(half[0], 0x808080u, "the frame shows at half size");
  // Into an enhanced metafile at half size, played back into a bitmap.
  HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  RECTL metaBounds{0, 0, 200, 150};
  CheckEq(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, recorder, &metaBounds, nullptr, nullptr, 0), S_OK,
          "Draw into a metafile");
  HENHMETAFILE meta = CloseEnhMetaFile(recorder);
  const std::vector<DWORD> played = Capture(200, 150, [&](HDC dc) {
    const RECT all{0, 0, 200, 150};
    PlayEnhMetaFile(dc, meta, &all);
  });
  DeleteEnhMetaFile(meta);
  CheckEq(played[2 * 200 + 2], 0xFFFF00u, "the metafile holds the surface's pixels");

  // About: modal until the right button is pressed on it.
  g_chart = chart;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, PressOnAbout);
  CheckEq(CallByName(chart, L"About", {}), S_OK, "About returns after a right-button press");
  Check(!g_aboutAgain, "About was called again while visible");
  KillTimer(nullptr, timer);
  Check(FindWindowW(L"KavrinLineChartAbout", nullptr) == nullptr, "the About window is gone");
  Check(IsWindowEnabled(form), "the form is enabled again");

  view->Release();
  chart->Release();
  inPlace->Release();
  CheckStorage(factory);
  factory->Release();
  DestroyWindow(form);  // ATL closes the control and takes its client site away
  if (container) container->Release();
  control->Release();
  CheckEq(canUnload(), S_OK, "nothing of the control is left");
  OleUninitialize();
  return kavrin::wintest::Finish("activation_test");
}

#include "win32/site_window.h"

#include "win32/control_site.h"
#include "win32/module.h"

namespace kavrin::win32 {

namespace {

constexpr wchar_t kClassName[] = L"KavrinLineChartWindow";

ControlSite* SiteOf(HWND hwnd) { return reinterpret_cast<ControlSite*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

LRESULT CALLBACK SiteWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything: nothing to erase
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (ControlSite* site = SiteOf(hwnd)) site->PaintTo(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (ControlSite* site = SiteOf(hwnd)) site->PaintTo(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_NCDESTROY:
      if (ControlSite* site = SiteOf(hwnd)) site->WindowGone();
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The class is registered on first use and stays until the module is unloaded.
bool RegisterOnce() {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(ModuleInstance(), kClassName, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = SiteWindowProc;
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND CreateSiteWindow(ControlSite& site, int width, int height) {
  if (!RegisterOnce()) return nullptr;
  return CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, width, height,
                         HWND_MESSAGE, nullptr, ModuleInstance(), &site);
}

void UnregisterSiteWindowClass() { UnregisterClassW(kClassName, ModuleInstance()); }

}  // namespace kavrin::win32

// The About window on Windows: a frameless, fixed-size top-level popup (no owner) painted
// from the client pixels, closed by any mouse-button press. Show runs its own message loop
// until the window is unloaded; meanwhile the thread's other windows are disabled, as for
// any modal window, and enabled again when it returns.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "about/about_picture.h"
#include "about/frm_about.h"
#include "common/vb_error.h"

namespace kavrin {

namespace {

constexpr wchar_t kClassName[] = L"KavrinLineChartAbout";
uint64_t g_generation = 0;

// What the window procedure needs: the pixels it paints and whether it has painted.
struct Canvas {
  std::vector<uint32_t> pixels;  // 0x00RRGGBB rows top-down: the layout of a 32-bit DIB
  bool painted = false;
};

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

LRESULT CALLBACK AboutWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* canvas = reinterpret_cast<Canvas*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (canvas) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = frmAbout::kClientWidth;
        info.bmiHeader.biHeight = -frmAbout::kClientHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, frmAbout::kClientWidth, frmAbout::kClientHeight, 0, 0, 0,
                          frmAbout::kClientHeight, canvas->pixels.data(), &info, DIB_RGB_COLORS);
        canvas->painted = true;
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    // Any button, any shift state, anywhere. The window and its canvas are gone afterwards.
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_CLOSE:
      if (canvas) frmAbout::Default().Unload();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The thread's other visible, enabled top-level windows, disabled for the modal wait.
struct Disabled {
  HWND about;
  std::vector<HWND> windows;
};

BOOL CALLBACK DisableOne(HWND hwnd, LPARAM param) {
  auto* d = reinterpret_cast<Disabled*>(param);
  if (hwnd != d->about && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    EnableWindow(hwnd, FALSE);
    d->windows.push_back(hwnd);
  }
  return TRUE;
}

void EnableAgain(const Disabled& d) {
  for (HWND hwnd : d.windows)
    if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
}

}  // namespace

std::span<const unsigned char> about::AboutJpeg() {
  const HINSTANCE module = ThisModule();
  HRSRC found = FindResourceW(module, L"ABOUT_JPEG", reinterpret_cast<LPCWSTR>(RT_RCDATA));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return {};
  return {static_cast<const unsigned char*>(bytes), SizeofResource(module, found)};
}

struct frmAbout::Window {
  HWND hwnd = nullptr;
  Canvas canvas;
  uint64_t generation = 0;
};

void frmAbout::Show() {
  if (window_ != nullptr) Unload();  // a second Show replaces the visible window

  auto win = std::make_unique<Window>();
  win->canvas.pixels = ClientPixels();
  const HINSTANCE module = ThisModule();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = AboutWindowProc;
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    Raise(err::kInvalidCall, "Cannot show the About box: its window class cannot be registered");
  const std::wstring caption(caption_.begin(), caption_.end());
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kClientWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kClientHeight) / 2;
  // WS_POPUP without border or caption: the client area is the whole window.
  win->hwnd = CreateWindowExW(0, kClassName, caption.c_str(), WS_POPUP, x, y, kClientWidth, kClientHeight, nullptr,
                              nullptr, module, &win->canvas);
  if (win->hwnd == nullptr) {
    UnregisterClassW(kClassName, module);
    Raise(err::kInvalidCall, "Cannot show the About box: its window cannot be created");
  }

  Disabled disabled{win->hwnd, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabled));
  ShowWindow(win->hwnd, SW_SHOW);
  UpdateWindow(win->hwnd);

  const uint64_t mine = ++g_generation;
  win->generation = mine;
  window_ = win.release();
  const auto stillMine = [this, mine] { return window_ != nullptr && window_->generation == mine; };

  try {
    bool quit = false;
    int quitCode = 0;
    while (stillMine()) {
      MSG msg;
      while (stillMine() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {  // the host is ending: end the wait, pass the request on
          quit = true;
          quitCode = static_cast<int>(msg.wParam);
          Unload();
          break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (!stillMine()) break;
      if (idle_) idle_();
      if (!stillMine()) break;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, idle_ ? 10 : 100, QS_ALLINPUT);
    }
    EnableAgain(disabled);
    if (quit) PostQuitMessage(quitCode);
  } catch (...) {
    if (stillMine()) Unload();
    EnableAgain(disabled);
    throw;
  }
}

void frmAbout::Unload() {
  Window* w = window_;
  if (w == nullptr) return;
  window_ = nullptr;
  SetWindowLongPtrW(w->hwnd, GWLP_USERDATA, 0);
  DestroyWindow(w->hwnd);
  delete w;
  UnregisterClassW(kClassName, ThisModule());
}

bool frmAbout::Visible() const { return window_ != nullptr; }
bool frmAbout::Painted() const { return window_ != nullptr && window_->canvas.painted; }
unsigned long frmAbout::WindowId() const {
  return window_ != nullptr ? static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window_->hwnd)) : 0;
}

}  // namespace kavrin

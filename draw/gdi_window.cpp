// Window handles that hosts register so that InvalidateRect reaches their repaint logic.
// Linux only: on Windows the system GDI provides all of this.
#ifndef _WIN32
#include <map>

#include "draw/gdi_host.h"

namespace kavrin::gdi {
namespace {

struct Windows {
  std::map<uintptr_t, WindowSink*> sinks;
  // Window handles count separately from GDI handles; they start high enough to be
  // told apart from them in a debugger.
  uintptr_t next = 0x10000;
};

// Never destroyed, like the handle table: windows may unregister from static destructors.
Windows& windows() {
  static Windows* w = new Windows;
  return *w;
}

}  // namespace

HWND RegisterWindow(WindowSink* sink) {
  if (!sink) return nullptr;
  Windows& w = windows();
  const uintptr_t h = w.next;
  w.next = w.next >= 0x7FFFFFF0u ? 0x10000 : w.next + 4;
  w.sinks[h] = sink;
  return reinterpret_cast<HWND>(h);
}

void UnregisterWindow(HWND hwnd) { windows().sinks.erase(reinterpret_cast<uintptr_t>(hwnd)); }

}  // namespace kavrin::gdi

BOOL InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase) {
  auto& sinks = kavrin::gdi::windows().sinks;
  const auto it = sinks.find(reinterpret_cast<uintptr_t>(hwnd));
  if (!hwnd || it == sinks.end()) return FALSE;
  it->second->Invalidate(rc, erase != FALSE);
  return TRUE;
}

#endif  // _WIN32

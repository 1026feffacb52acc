// DllMain, DllCanUnloadNow and the self-registration entry points.
#include "win32/module.h"

#include <string>

#include "win32/registration.h"
#include "win32/site_window.h"

namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;

}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }
void ModuleLock() { InterlockedIncrement(&g_locks); }
void ModuleUnlock() { InterlockedDecrement(&g_locks); }
bool ModuleCanUnload() { return InterlockedCompareExchange(&g_locks, 0, 0) == 0; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    kavrin::win32::UnregisterSiteWindowClass();  // unloaded by FreeLibrary, not at process exit
  }
  return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return ModuleCanUnload() ? S_OK : S_FALSE; }

extern "C" HRESULT WINAPI DllRegisterServer() {
  std::wstring path;
  const HRESULT hr = kavrin::win32::ModulePath(ModuleInstance(), path);
  return FAILED(hr) ? hr : kavrin::win32::RegisterServer(path);
}

extern "C" HRESULT WINAPI DllUnregisterServer() { return kavrin::win32::UnregisterServer(); }

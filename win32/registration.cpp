#include "win32/registration.h"

#include <oleauto.h>
#include <shlwapi.h>

#include "control/automation.h"

namespace kavrin::win32 {

namespace {

const TypeInfoEntry& ControlClass() {
  const TypeInfoEntry* t = FindType("KavrinLineChart");
  return *t;
}

std::wstring ProgId() {
  return Widen(ControlTypeLibrary().name + "." + ControlClass().name);
}

std::wstring ClsidKey() { return L"CLSID\\" + Widen(ControlClass().guid); }

HRESULT SetValue(const RegistryValue& v) {
  HKEY key = nullptr;
  LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, v.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                            nullptr, &key, nullptr);
  if (rc == ERROR_SUCCESS) {
    const DWORD bytes = static_cast<DWORD>((v.data.size() + 1) * sizeof(wchar_t));
    rc = RegSetValueExW(key, v.name.empty() ? nullptr : v.name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(v.data.c_str()), bytes);
    RegCloseKey(key);
  }
  return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(rc));
}

HRESULT RegisterTypeLibrary(const std::wstring& modulePath) {
  ITypeLib* lib = nullptr;
  HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, &lib);
  if (FAILED(hr)) return hr;
  std::wstring path = modulePath;  // the declaration takes a writable string
  hr = RegisterTypeLib(lib, path.data(), nullptr);
  lib->Release();
  return hr;
}

// The key of this module's registration of the library: version, locale and platform, as
// RegisterTypeLib writes them (in hexadecimal).
std::wstring TypeLibraryKey() {
  const TypeLibraryInfo& info = ControlTypeLibrary();
  wchar_t tail[64];
  wsprintfW(tail, L"\\%x.%x\\%lx\\%s", info.majorVersion, info.minorVersion, static_cast<unsigned long>(info.lcid),
            sizeof(void*) == 8 ? L"win64" : L"win32");
  return L"TypeLib\\" + Widen(info.libid) + tail;
}

HRESULT UnregisterTypeLibrary() {
  // A library that is not registered is nothing to remove.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, TypeLibraryKey().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return S_OK;
  RegCloseKey(key);
  const TypeLibraryInfo& info = ControlTypeLibrary();
  GUID libid;
  HRESULT hr = CLSIDFromString(Widen(info.libid).c_str(), &libid);
  if (FAILED(hr)) return hr;
  hr = UnRegisterTypeLib(libid, info.majorVersion, info.minorVersion, info.lcid, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  return hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_LIBNOTREGISTERED ? S_OK : hr;
}

}  // namespace

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

HRESULT ModulePath(HINSTANCE module, std::wstring& path) {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return HRESULT_FROM_WIN32(GetLastError());
    if (n < buf.size()) {
      buf.resize(n);
      path = buf;
      return S_OK;
    }
    buf.resize(buf.size() * 2);
  }
}

std::vector<RegistryValue> RegistryEntries(const std::wstring& modulePath) {
  const TypeLibraryInfo& lib = ControlTypeLibrary();
  const TypeInfoEntry& control = ControlClass();
  const std::wstring clsid = ClsidKey();
  const std::wstring misc = std::to_wstring(control.miscStatus);
  const std::wstring version = std::to_wstring(lib.majorVersion) + L"." + std::to_wstring(lib.minorVersion);
  return {
      {clsid, L"", Widen(control.name)},
      {clsid + L"\\InprocServer32", L"", modulePath},
      {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {clsid + L"\\ProgID", L"", ProgId()},
      {clsid + L"\\Control", L"", L""},
      {clsid + L"\\MiscStatus", L"", misc},
      {clsid + L"\\MiscStatus\\1", L"", misc},
      {clsid + L"\\ToolboxBitmap32", L"", modulePath + L", " + std::to_wstring(control.toolboxBitmap)},
      {clsid + L"\\TypeLib", L"", Widen(lib.libid)},
      {clsid + L"\\Version", L"", version},
      {ProgId(), L"", Widen(control.name)},
      {ProgId() + L"\\CLSID", L"", Widen(control.guid)},
  };
}

std::vector<std::wstring> RegistryRoots() { return {ClsidKey(), ProgId()}; }

HRESULT RegisterServer(const std::wstring& modulePath) {
  HRESULT hr = S_OK;
  for (const RegistryValue& v : RegistryEntries(modulePath)) {
    hr = SetValue(v);
    if (FAILED(hr)) break;
  }
  if (SUCCEEDED(hr)) hr = RegisterTypeLibrary(modulePath);
  if (FAILED(hr)) UnregisterServer();
  return hr;
}

HRESULT UnregisterServer() {
  HRESULT result = UnregisterTypeLibrary();
  for (const std::wstring& root : RegistryRoots()) {
    const LSTATUS rc = SHDeleteKeyW(HKEY_CLASSES_ROOT, root.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && SUCCEEDED(result))
      result = HRESULT_FROM_WIN32(static_cast<DWORD>(rc));
  }
  return result;
}

}  // namespace kavrin::win32

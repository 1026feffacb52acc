#pragma once
// The server's registry entries, all taken from the automation table (GUIDs, names,
// version, miscellaneous status, toolbox bitmap), and the type library's registration.
#include <windows.h>

#include <string>
#include <vector>

namespace kavrin::win32 {

// One string value to write under HKEY_CLASSES_ROOT; an empty name is the key's default.
struct RegistryValue {
  std::wstring key;
  std::wstring name;
  std::wstring data;
};

// Every value the server writes for the module at modulePath, parents before children.
std::vector<RegistryValue> RegistryEntries(const std::wstring& modulePath);
// The keys unregistration removes whole (CLSID\{...} and the ProgID).
std::vector<std::wstring> RegistryRoots();

// Writes the entries and registers the type library held by the module. A failure part
// way removes whatever was written and returns its code.
HRESULT RegisterServer(const std::wstring& modulePath);
// Removes the entries and the type library's registration; S_OK when nothing was there.
HRESULT UnregisterServer();

HRESULT ModulePath(HINSTANCE module, std::wstring& path);
std::wstring Widen(const std::string& utf8);

}  // namespace kavrin::win32

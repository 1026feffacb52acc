#include "win32/type_library.h"

#include <string>

#include "control/automation.h"
#include "win32/com_text.h"
#include "win32/module.h"

namespace kavrin::win32 {

GUID TypeGuid(std::string_view typeName) {
  const TypeInfoEntry* type = FindType(typeName);
  GUID guid = GUID_NULL;
  if (type) {
    std::wstring text = ToWide(type->guid);
    if (FAILED(CLSIDFromString(text.data(), &guid))) guid = GUID_NULL;
  }
  return guid;
}

const GUID& ClassId() {
  static const GUID guid = TypeGuid("KavrinLineChart");
  return guid;
}

const GUID& DispatchIid() {
  static const GUID guid = TypeGuid("_KavrinLineChart");
  return guid;
}

const GUID& EventsIid() {
  static const GUID guid = TypeGuid("__KavrinLineChart");
  return guid;
}

HRESULT LoadTypeInfo(REFGUID guid, ITypeInfo** out) {
  *out = nullptr;
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(ModuleInstance(), path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return E_FAIL;
  ITypeLib* lib = nullptr;
  HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &lib);
  if (FAILED(hr)) return hr;
  hr = lib->GetTypeInfoOfGuid(guid, out);
  lib->Release();
  return hr;
}

}  // namespace kavrin::win32

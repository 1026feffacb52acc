// The server's entry points under Wine: the class factory and its lock counting
// (DllCanUnloadNow), an unknown class, unregistering twice, a registration that fails part
// way; the property categories; and the Windows picture decoding the server links in place
// of libjpeg and libpng.
//
//   server_test PATH\KavrinLineChart.ocx
#include <windows.h>

#include <ole2.h>

#include <cstdio>

#include "about/about_picture.h"
#include "common/image_decode.h"
#include "common/vb_error.h"
#include "control/automation.h"
#include "win32/property_categories.h"
#include "win32/registration.h"
#include "win32/tests/check.h"

namespace {

using kavrin::wintest::Check;
using kavrin::wintest::CheckEq;

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(WINAPI*)();

bool KeyExists(const std::wstring& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

void CheckFactory(HMODULE dll) {
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  auto canUnload = reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  if (!Check(getClassObject && canUnload, "DllGetClassObject and DllCanUnloadNow are exported")) return;
  CLSID clsid;
  CLSIDFromString(kavrin::win32::Widen(kavrin::FindType("KavrinLineChart")->guid).c_str(), &clsid);

  CheckEq(canUnload(), S_OK, "a fresh server can unload");
  IClassFactory* factory = nullptr;
  void* none = &factory;
  CheckEq(getClassObject(IID_IClassFactory, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE,
          "another class is not available");
  Check(none == nullptr, "a refused class object is null");
  if (!Check(SUCCEEDED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))),
             "the control's class object"))
    return;
  CheckEq(canUnload(), S_FALSE, "a held class object keeps the server loaded");
  factory->LockServer(TRUE);
  factory->Release();
  CheckEq(canUnload(), S_FALSE, "a server lock keeps the server loaded");
  IUnknown* outer = reinterpret_cast<IUnknown*>(factory);
  void* obj = &obj;
  CheckEq(factory->CreateInstance(outer, IID_IDispatch, &obj), CLASS_E_NOAGGREGATION,
          "an aggregate asks for IUnknown only");
  Check(obj == nullptr, "a refused object is null");
  factory->LockServer(FALSE);
  CheckEq(canUnload(), S_OK, "the server can unload once the lock is gone");
}

// The type library is registered last; a module without one makes registration fail
// after every key was written, and nothing may stay behind.
void CheckFailedRegistration() {
  const HRESULT hr = kavrin::win32::RegisterServer(L"C:\\no such folder\\KavrinLineChart.ocx");
  Check(FAILED(hr), "registering a module that does not exist fails");
  for (const std::wstring& root : kavrin::win32::RegistryRoots())
    Check(!KeyExists(root), "a failed registration leaves nothing under the class keys");
  Check(!KeyExists(L"TypeLib\\" + kavrin::win32::Widen(kavrin::ControlTypeLibrary().libid)),
        "a failed registration registers no type library");
}

// Unregistering removes every key; a control that is not registered has nothing left to
// remove, which is no failure.
void CheckUnregistering(HMODULE dll) {
  auto call = [dll](const char* name) {
    auto entry = reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    return entry ? entry() : E_FAIL;
  };
  const std::wstring typelib = L"TypeLib\\" + kavrin::win32::Widen(kavrin::ControlTypeLibrary().libid);
  CheckEq(call("DllRegisterServer"), S_OK, "registering");
  Check(KeyExists(typelib), "the type library is registered");
  CheckEq(call("DllUnregisterServer"), S_OK, "unregistering");
  CheckEq(call("DllUnregisterServer"), S_OK, "unregistering again");
  for (const std::wstring& root : kavrin::win32::RegistryRoots()) Check(!KeyExists(root), "no class key stays");
  Check(!KeyExists(typelib), "no type library stays");
}

void CheckPropertyCategories() {
  using kavrin::win32::PropertyCategory;
  using kavrin::win32::PropertyCategoryName;
  CheckEq(PropertyCategoryName(PropertyCategory(0x6803000A)), "Skin", "BackColor is in Skin");
  CheckEq(PropertyCategory(0x68030000), PropertyCategory(0x6803000A), "Dist is in BackColor's group");
  CheckEq(PropertyCategoryName(PropertyCategory(0x68030015)), "Title", "Title is in Title");
  CheckEq(PropertyCategoryName(PropertyCategory(0x68030001)), "Unit", "UnitFont is in Unit");
  CheckEq(PropertyCategory(0x6003001E), 0, "SetValue, a method, has no category");
  CheckEq(PropertyCategoryName(0), "", "category 0 has no name");
}

void CheckPictureDecoding() {
  const kavrin::DecodedImage img = kavrin::DecodeImage(kavrin::about::kAboutJpeg, kavrin::about::kAboutJpegSize);
  CheckEq(img.width, 241, "the About JPEG's width");
  CheckEq(img.height, 135, "the About JPEG's height");
  CheckEq(img.pixels.size(), size_t{241 * 135}, "the About JPEG's pixel count");
  const unsigned char damaged[64] = {0xFF, 0xD8, 0xFF, 0xE0};
  int number = 0;
  try {
    kavrin::DecodeImage(damaged, sizeof damaged);
  } catch (const kavrin::RuntimeError& e) {
    number = e.Number();
  }
  CheckEq(number, 481, "damaged JPEG data raises 481");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: server_test PATH.ocx\n");
    return 2;
  }
  CoInitialize(nullptr);
  HMODULE dll = LoadLibraryW(kavrin::win32::Widen(argv[1]).c_str());
  if (Check(dll != nullptr, "the .ocx loads")) {
    CheckFactory(dll);
    CheckUnregistering(dll);
    FreeLibrary(dll);
  }
  CheckFailedRegistration();
  CheckPropertyCategories();
  CheckPictureDecoding();
  CoUninitialize();
  return kavrin::wintest::Finish("server_test");
}

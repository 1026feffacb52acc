// PLACEHOLDER, replaced by the control object: lets the server link and register before
// the object exists. It creates nothing.
#include "win32/control_object.h"

HRESULT CreateControlObject(IUnknown* /*outer*/, REFIID /*riid*/, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  return E_NOINTERFACE;
}

// IProvideClassInfo2 (the coclass and its event interface, from the type library) and
// ICategorizeProperties (the property browser's groups, from the automation table).
#include "win32/chart_object.h"
#include "win32/com_text.h"
#include "win32/property_categories.h"

namespace kavrin::win32 {

STDMETHODIMP ChartObject::GetClassInfo(ITypeInfo** info) {
  if (!info) return E_POINTER;
  return LoadTypeInfo(ClassId(), info);
}

STDMETHODIMP ChartObject::GetGUID(DWORD kind, GUID* guid) {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = EventsIid();
  return S_OK;
}

STDMETHODIMP ChartObject::MapPropertyToCategory(DISPID id, PROPCAT* category) {
  if (!category) return E_POINTER;
  const int number = PropertyCategory(id);
  if (number == 0) return E_INVALIDARG;
  *category = number;
  return S_OK;
}

STDMETHODIMP ChartObject::GetCategoryName(PROPCAT category, LCID, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  const std::string text = PropertyCategoryName(category);
  if (text.empty()) return E_INVALIDARG;
  return Call([&] { *name = ToBstr(text); });
}

}  // namespace kavrin::win32

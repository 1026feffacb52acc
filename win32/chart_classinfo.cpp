// IProvideClassInfo2 (the coclass and its event interface, from the type library) and
// ICategorizeProperties (the property browser's groups, from the automation table).
#include <vector>

#include "control/automation.h"
#include "win32/chart_object.h"
#include "win32/com_text.h"

namespace kavrin::win32 {

namespace {

// The control's own categories, numbered from 1 in the order the table first names them.
const std::vector<std::string>& Categories() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const MemberInfo& m : ControlMembers()) {
      if (m.category.empty()) continue;
      bool known = false;
      for (const std::string& n : v) known = known || n == m.category;
      if (!known) v.push_back(m.category);
    }
    return v;
  }();
  return names;
}

}  // namespace

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
  const MemberInfo* member = FindMember(id);
  if (!member || member->category.empty()) return E_INVALIDARG;
  const auto& names = Categories();
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == member->category) *category = static_cast<PROPCAT>(i + 1);
  }
  return S_OK;
}

STDMETHODIMP ChartObject::GetCategoryName(PROPCAT category, LCID, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  const auto& names = Categories();
  if (category < 1 || static_cast<size_t>(category) > names.size()) return E_INVALIDARG;
  return Call([&] { *name = ToBstr(names[static_cast<size_t>(category) - 1]); });
}

}  // namespace kavrin::win32

#include "win32/property_categories.h"

#include <vector>

namespace kavrin::win32 {

namespace {

const std::vector<std::string>& Categories() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const MemberInfo& m : ControlMembers()) {
      bool known = m.category.empty();
      for (const std::string& n : v) known = known || n == m.category;
      if (!known) v.push_back(m.category);
    }
    return v;
  }();
  return names;
}

}  // namespace

int PropertyCategory(DispId dispid) {
  const MemberInfo* m = FindMember(dispid);
  if (m == nullptr || m->category.empty()) return 0;
  const std::vector<std::string>& names = Categories();
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == m->category) return static_cast<int>(i) + 1;
  }
  return 0;
}

std::string PropertyCategoryName(int category) {
  const std::vector<std::string>& names = Categories();
  return category >= 1 && static_cast<size_t>(category) <= names.size() ? names[static_cast<size_t>(category) - 1] : "";
}

}  // namespace kavrin::win32

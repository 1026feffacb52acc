#pragma once
// A container's IPropertyBag as the property bag the control reads and writes its settings
// through. A missing entry yields the default; an entry equal to its default is not written.
#include <windows.h>
#include <ocidl.h>

#include "control/container_site.h"
#include "win32/com_font.h"

namespace kavrin::win32 {

class ComPropertyBag final : public PropertyBag {
 public:
  ComPropertyBag(IPropertyBag* bag, IErrorLog* log, FontLinks& fonts) : bag_(bag), log_(log), fonts_(fonts) {}

  // A value of a type the control does not know, and any value by reference, raises 13; a
  // failure of the bag other than a missing entry passes on unchanged.
  Variant ReadProperty(const std::string& name, const Variant& def) override;
  void WriteProperty(const std::string& name, const Variant& value, const Variant& def) override;

 private:
  IPropertyBag* bag_;
  IErrorLog* log_;
  FontLinks& fonts_;
};

}  // namespace kavrin::win32

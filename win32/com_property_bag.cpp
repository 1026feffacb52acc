#include "win32/com_property_bag.h"

#include "common/vb_error.h"
#include "win32/com_error.h"
#include "win32/com_text.h"
#include "win32/com_variant.h"

namespace kavrin::win32 {

namespace {

struct VariantHolder {
  VARIANT v;
  VariantHolder() { VariantInit(&v); }
  ~VariantHolder() { VariantClear(&v); }
};

}  // namespace

Variant ComPropertyBag::ReadProperty(const std::string& name, const Variant& def) {
  const std::wstring wide = ToWide(name);
  VariantHolder value;  // VT_EMPTY: the bag returns the entry in the type it holds
  const HRESULT hr = bag_->Read(wide.c_str(), &value.v, log_);
  if (hr == E_INVALIDARG) return def;  // no such entry
  Check(hr);
  // A bag hands over values; a reference is no stored value (and may point anywhere).
  if (V_VT(&value.v) & VT_BYREF) Raise(err::kTypeMismatch);
  return FromVariant(value.v, fonts_);
}

void ComPropertyBag::WriteProperty(const std::string& name, const Variant& value, const Variant& def) {
  if (value.Equals(def)) return;
  const std::wstring wide = ToWide(name);
  VariantHolder v;
  ToVariant(value, &v.v);
  Check(bag_->Write(wide.c_str(), &v.v));
}

}  // namespace kavrin::win32

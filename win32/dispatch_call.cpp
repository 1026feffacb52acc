#include "win32/dispatch_call.h"

#include "win32/com_variant.h"

namespace kavrin::win32 {

namespace {

constexpr UINT kNone = ~0u;

bool IsLeftOut(const VARIANT& v) { return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND; }

// A by-reference argument without its address, also one held by a Variant passed by
// reference: nothing the type library may read through.
bool IsNullReference(const VARIANT& v) {
  if ((V_VT(&v) & VT_BYREF) == 0) return false;
  if (V_BYREF(&v) == nullptr) return true;
  if (V_VT(&v) != (VT_BYREF | VT_VARIANT)) return false;
  const VARIANT& inner = *V_VARIANTREF(&v);
  return (V_VT(&inner) & VT_BYREF) != 0 && V_BYREF(&inner) == nullptr;
}

// The 32 bits of an Integer or Long, given by value, by reference or in a Variant by reference.
bool LongBits(const VARIANT& v, LONG* bits) {
  const VARIANT& value = V_VT(&v) == (VT_BYREF | VT_VARIANT) ? *V_VARIANTREF(&v) : v;
  switch (V_VT(&value)) {
    case VT_I2: *bits = V_I2(&value); return true;
    case VT_I4: *bits = V_I4(&value); return true;
    case VT_BYREF | VT_I2: *bits = *V_I2REF(&value); return true;
    case VT_BYREF | VT_I4: *bits = *V_I4REF(&value); return true;
    default: return false;
  }
}

// What the type library converts an argument to; VT_EMPTY for a Variant, taken as it comes.
VARTYPE AutomationType(VarType type) {
  switch (type) {
    case VarType::kInteger: return VT_I2;
    case VarType::kLong: return VT_I4;
    case VarType::kDouble: return VT_R8;
    case VarType::kString: return VT_BSTR;
    case VarType::kBoolean: return VT_BOOL;
    case VarType::kFont:
    case VarType::kPicture: return VT_DISPATCH;
    default: return VT_EMPTY;
  }
}

HRESULT Refuse(HRESULT hr, UINT* argErr, UINT index) {
  if (argErr && index != kNone) *argErr = index;
  return hr;
}

}  // namespace

DispatchCall::~DispatchCall() {
  for (size_t i = 0; i < args_.size(); ++i)
    if (owned_[i]) VariantClear(&args_[i]);
}

bool DispatchCall::IsColor() const { return member_.typeName == "OLE_COLOR"; }

HRESULT DispatchCall::Arrange(WORD flags, DISPPARAMS* given, UINT* argErr) {
  const DISPPARAMS none{};
  const DISPPARAMS& in = given ? *given : none;
  if ((in.cArgs != 0 && !in.rgvarg) || (in.cNamedArgs != 0 && !in.rgdispidNamedArgs) || in.cNamedArgs > in.cArgs)
    return E_INVALIDARG;
  for (UINT i = 0; i < in.cArgs; ++i)
    if (IsNullReference(in.rgvarg[i])) return Refuse(E_POINTER, argErr, i);
  callerArgs_ = in.rgvarg;
  params_ = in;
  return member_.kind == MemberKind::kProperty ? ArrangeProperty(flags, in, argErr) : ArrangeMethod(flags, in, argErr);
}

HRESULT DispatchCall::ArrangeProperty(WORD flags, const DISPPARAMS& in, UINT* argErr) {
  // A read takes no argument: one would be handed on to the object the property returns.
  if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) == 0)
    return in.cArgs == 0 ? S_OK : DISP_E_BADPARAMCOUNT;
  if (in.cArgs != 1) return DISP_E_BADPARAMCOUNT;
  if (in.cNamedArgs == 1 && in.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return Refuse(DISP_E_PARAMNOTFOUND, argErr, 0);
  LONG bits = 0;
  if (!IsColor() || !LongBits(in.rgvarg[0], &bits)) return S_OK;
  // A colour given as a Long keeps its 32 bits: system colours are negative Longs.
  args_.resize(1);
  owned_.assign(1, true);
  callerIndex_.assign(1, 0);
  VariantInit(&args_[0]);
  V_VT(&args_[0]) = VT_UI4;
  V_UI4(&args_[0]) = static_cast<ULONG>(bits);
  params_.rgvarg = args_.data();
  return S_OK;
}

HRESULT DispatchCall::ArrangeMethod(WORD flags, const DISPPARAMS& in, UINT* argErr) {
  if ((flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) return DISP_E_MEMBERNOTFOUND;
  const std::vector<ParamInfo>& params = member_.params;
  const size_t count = params.size();
  if (in.cArgs > count) return DISP_E_BADPARAMCOUNT;
  // The caller's index of each parameter's argument: positional ones first, last one first
  // in the caller's list; named ones by their parameter's position.
  std::vector<UINT> from(count, kNone);
  const UINT positional = in.cArgs - in.cNamedArgs;
  for (UINT i = 0; i < positional; ++i) from[i] = in.cArgs - 1 - i;
  for (UINT j = 0; j < in.cNamedArgs; ++j) {
    const DISPID p = in.rgdispidNamedArgs[j];
    if (p < 0 || static_cast<size_t>(p) >= count || from[static_cast<size_t>(p)] != kNone)
      return Refuse(DISP_E_PARAMNOTFOUND, argErr, j);  // no such parameter, or given twice
    from[static_cast<size_t>(p)] = j;
  }
  args_.resize(count);
  owned_.assign(count, false);
  callerIndex_.assign(count, kNone);
  for (size_t i = 0; i < count; ++i) {
    const size_t at = count - 1 - i;  // the list holds the last parameter first
    VARIANT& slot = args_[at];
    VariantInit(&slot);
    callerIndex_[at] = from[i];
    if (from[i] != kNone && !IsLeftOut(in.rgvarg[from[i]])) {
      slot = in.rgvarg[from[i]];  // a copy, which Finish hands back
      continue;
    }
    if (!params[i].optional) return Refuse(DISP_E_PARAMNOTOPTIONAL, argErr, from[i]);
    owned_[at] = true;
    if (params[i].defaultValue.IsMissing()) {
      V_VT(&slot) = VT_DISPATCH;  // a picture left out: no object
      V_DISPATCH(&slot) = nullptr;
    } else {
      ToVariant(params[i].defaultValue, &slot);
    }
  }
  params_ = DISPPARAMS{args_.data(), nullptr, static_cast<UINT>(count), 0};
  return S_OK;
}

UINT DispatchCall::ArgumentAtFault(HRESULT hr) const {
  if (member_.kind == MemberKind::kProperty) return 0;  // the one value put
  for (size_t i = 0; i < member_.params.size(); ++i) {
    const size_t at = args_.size() - 1 - i;
    const VARTYPE type = AutomationType(member_.params[i].type);
    if (owned_[at] || type == VT_EMPTY) continue;
    VARIANT converted;
    VariantInit(&converted);
    const HRESULT result = VariantChangeType(&converted, const_cast<VARIANT*>(&args_[at]), 0, type);
    VariantClear(&converted);
    if (result == hr) return callerIndex_[at];
  }
  return kNone;
}

void DispatchCall::Finish(HRESULT hr, VARIANT* result) {
  for (size_t i = 0; i < args_.size(); ++i)
    if (!owned_[i] && callerIndex_[i] != kNone) callerArgs_[callerIndex_[i]] = args_[i];
  if (SUCCEEDED(hr) && result && IsColor() && V_VT(result) == VT_UI4) V_VT(result) = VT_I4;  // the same 32 bits
}

}  // namespace kavrin::win32

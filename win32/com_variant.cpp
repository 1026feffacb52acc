#include "win32/com_variant.h"

#include "common/vb_error.h"
#include "win32/com_error.h"
#include "win32/com_text.h"

namespace kavrin::win32 {

namespace {

// Numbers of the other automation types go through the standard conversion to Long or
// Double; a value out of range is an overflow.
Variant Converted(const VARIANT& value, VARTYPE to) {
  VARIANT out;
  VariantInit(&out);
  const HRESULT hr = VariantChangeType(&out, const_cast<VARIANT*>(&value), 0, to);
  if (hr == DISP_E_OVERFLOW) Raise(err::kOverflow);
  if (FAILED(hr)) Raise(err::kTypeMismatch);
  return to == VT_I4 ? Variant::FromLong(V_I4(&out)) : Variant::FromDouble(V_R8(&out));
}

// The value types the control takes, by value or through a reference.
bool IsValueType(VARTYPE t) {
  switch (t) {
    case VT_EMPTY: case VT_I2: case VT_I4: case VT_R8: case VT_BOOL: case VT_BSTR: case VT_I1: case VT_UI1:
    case VT_UI2: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_CY: case VT_DATE: case VT_DECIMAL:
    case VT_I8: case VT_UI8: case VT_DISPATCH: case VT_UNKNOWN:
      return true;
    default:
      return false;
  }
}

// A value the platform's copy can read safely: a value type, or a reference to one that is
// not null (a reference to a Variant: to a value held by value, as a reference may lead no
// further). Anything else would be read through a pointer nobody vouches for.
bool IsReadable(const VARIANT& v) {
  const VARTYPE t = V_VT(&v);
  if (!(t & VT_BYREF)) return IsValueType(t);
  if (!V_BYREF(&v)) return false;
  const VARTYPE base = static_cast<VARTYPE>(t & ~VT_BYREF);
  if (base == VT_VARIANT) return IsValueType(V_VT(V_VARIANTREF(&v)));
  return IsValueType(base) && base != VT_EMPTY;
}

}  // namespace

Variant FromVariant(const VARIANT& in, FontLinks& fonts) {
  if (!IsReadable(in)) Raise(err::kTypeMismatch);
  VARIANT value;
  VariantInit(&value);
  Check(VariantCopyInd(&value, const_cast<VARIANT*>(&in)));
  struct Clear {
    VARIANT* v;
    ~Clear() { VariantClear(v); }
  } clear{&value};
  switch (V_VT(&value)) {
    case VT_EMPTY: return Variant();
    case VT_I2: return Variant::FromInteger(V_I2(&value));
    case VT_I4: return Variant::FromLong(V_I4(&value));
    case VT_R8: return Variant::FromDouble(V_R8(&value));
    case VT_BOOL: return Variant::FromBoolean(V_BOOL(&value) ? True : False);
    case VT_BSTR: return Variant(ToUtf8(V_BSTR(&value)));
    case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_INT: case VT_UINT:
      return Converted(value, VT_I4);
    case VT_R4: case VT_CY: case VT_DATE: case VT_DECIMAL: case VT_I8: case VT_UI8:
      return Converted(value, VT_R8);
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      IUnknown* object = V_UNKNOWN(&value);
      if (!object) return Variant::Nothing();
      return Variant(fonts.Link(object));  // 13 for an object that is not a font
    }
    default: Raise(err::kTypeMismatch);
  }
}

void ToVariant(const Variant& value, VARIANT* out) {
  VariantInit(out);
  switch (value.Type()) {
    case VarType::kEmpty: return;
    case VarType::kInteger: V_VT(out) = VT_I2; V_I2(out) = value.ToInteger(); return;
    case VarType::kLong: V_VT(out) = VT_I4; V_I4(out) = value.ToLong(); return;
    case VarType::kDouble: V_VT(out) = VT_R8; V_R8(out) = value.ToDouble(); return;
    case VarType::kBoolean: V_VT(out) = VT_BOOL; V_BOOL(out) = value.ToBoolean() ? VARIANT_TRUE : VARIANT_FALSE; return;
    case VarType::kString: V_BSTR(out) = ToBstr(value.ToString()); V_VT(out) = VT_BSTR; return;
    case VarType::kNothing: V_VT(out) = VT_DISPATCH; V_DISPATCH(out) = nullptr; return;
    case VarType::kFont: V_DISPATCH(out) = ComFont(value.ToFont()); V_VT(out) = VT_DISPATCH; return;
    default: Raise(err::kTypeMismatch);
  }
}

}  // namespace kavrin::win32

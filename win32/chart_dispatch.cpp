// _KavrinLineChart: the vtable methods, each one call on the control, and IDispatch through
// the type library (names case-insensitive, arguments by position or by name, optional ones
// with their defaults, by-reference arguments written back), with run-time errors reported
// in EXCEPINFO.
#include "common/vb_error.h"
#include "control/automation.h"
#include "win32/chart_object.h"
#include "win32/com_picture.h"
#include "win32/com_text.h"
#include "win32/com_variant.h"
#include "win32/dispatch_call.h"

namespace kavrin::win32 {

namespace {

// Automation value types and the control's.
OLE_COLOR ToColor(Long v) { return static_cast<OLE_COLOR>(v); }
Long FromColor(OLE_COLOR v) { return static_cast<Long>(v); }
VARIANT_BOOL ToVariantBool(Boolean v) { return v ? VARIANT_TRUE : VARIANT_FALSE; }
Boolean FromVariantBool(VARIANT_BOOL v) { return v ? True : False; }

}  // namespace

// ---- IDispatch ----

HRESULT ChartObject::DispatchInfo(ITypeInfo** info) {
  if (!dispatchInfo_) {
    const HRESULT hr = LoadTypeInfo(DispatchIid(), &dispatchInfo_);
    if (FAILED(hr)) return hr;
  }
  *info = dispatchInfo_;
  return S_OK;
}

STDMETHODIMP ChartObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP ChartObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeInfo* ti = nullptr;
  const HRESULT hr = DispatchInfo(&ti);
  if (FAILED(hr)) return hr;
  ti->AddRef();
  *info = ti;
  return S_OK;
}

// The member's name first, then names of its parameters (their DISPIDs are their positions).
STDMETHODIMP ChartObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!names || count == 0) return E_INVALIDARG;
  if (!ids) return E_POINTER;
  for (UINT i = 0; i < count; ++i)
    if (!names[i]) return E_INVALIDARG;
  ITypeInfo* ti = nullptr;
  const HRESULT hr = DispatchInfo(&ti);
  return FAILED(hr) ? hr : ti->GetIDsOfNames(names, count, ids);
}

// The type library calls the vtable method with the arguments arranged for it; a run-time
// error it returns reaches the caller as DISP_E_EXCEPTION with the error's result in scode and
// its message. The call holds the object: About runs a message loop, in which the container
// may release its last reference.
STDMETHODIMP ChartObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* excep, UINT* argErr) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  const MemberInfo* member = FindMember(static_cast<DispId>(id));
  if (!member) return DISP_E_MEMBERNOTFOUND;
  const Hold hold(*this);
  ITypeInfo* ti = nullptr;
  HRESULT hr = DispatchInfo(&ti);
  if (FAILED(hr)) return hr;
  EXCEPINFO local{};
  EXCEPINFO* info = excep ? excep : &local;
  try {
    DispatchCall call(*member);
    hr = call.Arrange(flags, params, argErr);
    if (FAILED(hr)) return hr;
    UINT ignored = 0;
    hr = ti->Invoke(static_cast<_KavrinLineChart*>(this), id, flags, call.Params(), result, info, &ignored);
    if (argErr && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW)) *argErr = call.ArgumentAtFault(hr);
    call.Finish(hr, result);
  } catch (...) {
    return E_OUTOFMEMORY;  // arranging the arguments: allocation only
  }
  if (hr == DISP_E_EXCEPTION) {
    FillExcepInfo(info, info->scode ? info->scode : ErrorResult(info->wCode));
  } else if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) {
    FillExcepInfo(info, hr);
    hr = DISP_E_EXCEPTION;
  }
  if (info == &local) {
    SysFreeString(local.bstrSource);
    SysFreeString(local.bstrDescription);
    SysFreeString(local.bstrHelpFile);
  }
  return hr;
}

STDMETHODIMP ChartObject::InterfaceSupportsErrorInfo(REFIID riid) {
  return riid == DispatchIid() || riid == IID_IDispatch ? S_OK : S_FALSE;
}

// ---- properties: a Get reads the control's field, a Let or Set stores through it ----

#define KAVRIN_PROPERTY(Name, ComType, ToCom, FromCom) \
  STDMETHODIMP ChartObject::get_##Name(ComType* v) {   \
    if (!v) return E_POINTER;                          \
    return Call([&] { *v = ToCom(control_.Name()); }); \
  }                                                    \
  STDMETHODIMP ChartObject::put_##Name(ComType v) {    \
    return Call([&] { control_.Name(FromCom(v)); });   \
  }

#define KAVRIN_TEXT_PROPERTY(Name)                      \
  STDMETHODIMP ChartObject::get_##Name(BSTR* v) {       \
    if (!v) return E_POINTER;                           \
    *v = nullptr;                                       \
    return Call([&] { *v = ToBstr(control_.Name()); }); \
  }                                                     \
  STDMETHODIMP ChartObject::put_##Name(BSTR v) {        \
    return Call([&] { control_.Name(ToUtf8(v)); });     \
  }

// A font property hands out the host's own font object and takes a reference to the one set.
#define KAVRIN_FONT_PROPERTY(Name)                        \
  STDMETHODIMP ChartObject::get_##Name(IFontDisp** v) {   \
    if (!v) return E_POINTER;                             \
    *v = nullptr;                                         \
    return Call([&] { *v = ComFont(control_.Name()); });  \
  }                                                       \
  STDMETHODIMP ChartObject::putref_##Name(IFontDisp* v) { \
    return Call([&] { control_.Name(fonts_.Link(v)); });  \
  }

#define KAVRIN_SAME(v) (v)

KAVRIN_PROPERTY(ValueLineColor, OLE_COLOR, ToColor, FromColor)
KAVRIN_PROPERTY(TimeLineColor, OLE_COLOR, ToColor, FromColor)
KAVRIN_TEXT_PROPERTY(Title)
KAVRIN_PROPERTY(Zoom, double, KAVRIN_SAME, KAVRIN_SAME)
KAVRIN_FONT_PROPERTY(MeasureFont)
KAVRIN_PROPERTY(MeasureColor, OLE_COLOR, ToColor, FromColor)
KAVRIN_PROPERTY(TitlePos, short, KAVRIN_SAME, KAVRIN_SAME)
KAVRIN_FONT_PROPERTY(TitleFont)
KAVRIN_PROPERTY(TitleColor, OLE_COLOR, ToColor, FromColor)
KAVRIN_PROPERTY(MeasurePos, short, KAVRIN_SAME, KAVRIN_SAME)
KAVRIN_FONT_PROPERTY(CutLineFont)
KAVRIN_PROPERTY(bValueLineDisp, VARIANT_BOOL, ToVariantBool, FromVariantBool)
KAVRIN_PROPERTY(bTimeLineDisp, VARIANT_BOOL, ToVariantBool, FromVariantBool)
KAVRIN_PROPERTY(ChartBackColor, OLE_COLOR, ToColor, FromColor)
KAVRIN_PROPERTY(BorderWidth, short, KAVRIN_SAME, KAVRIN_SAME)
KAVRIN_PROPERTY(BorderColor, OLE_COLOR, ToColor, FromColor)
KAVRIN_PROPERTY(ValueSpace, double, KAVRIN_SAME, KAVRIN_SAME)
KAVRIN_PROPERTY(Min, double, KAVRIN_SAME, KAVRIN_SAME)
KAVRIN_PROPERTY(Max, double, KAVRIN_SAME, KAVRIN_SAME)
KAVRIN_PROPERTY(MeasureWidth, short, KAVRIN_SAME, KAVRIN_SAME)
KAVRIN_TEXT_PROPERTY(Unit)
KAVRIN_FONT_PROPERTY(UnitFont)
KAVRIN_TEXT_PROPERTY(Dist)

// BackColor repaints the chart at once, with the fonts as the host holds them now.
STDMETHODIMP ChartObject::get_BackColor(OLE_COLOR* v) {
  if (!v) return E_POINTER;
  return Call([&] { *v = ToColor(control_.BackColor()); });
}

STDMETHODIMP ChartObject::put_BackColor(OLE_COLOR v) {
  return CallWithFonts([&] { control_.BackColor(FromColor(v)); });
}

#undef KAVRIN_PROPERTY
#undef KAVRIN_TEXT_PROPERTY
#undef KAVRIN_FONT_PROPERTY
#undef KAVRIN_SAME

// ---- methods ----

STDMETHODIMP ChartObject::SetValue(short* Id, double* Value) {
  if (!Id || !Value) return E_POINTER;
  return Call([&] { control_.SetValue(*Id, *Value); });
}

STDMETHODIMP ChartObject::Movie() {
  return CallWithFonts([&] { control_.Movie(); });
}

// Left-out optional arguments arrive as the type library's defaults; a left-out picture as
// a null reference.
STDMETHODIMP ChartObject::AddLine(BSTR* Key, LONG* lColor, IPictureDisp** PointPic, VARIANT_BOOL* bDispPointTip,
                                  LONG* lTipColor) {
  if (!Key || !lColor) return E_POINTER;
  return CallWithFonts([&] {
    control_.AddLine(ToUtf8(*Key), *lColor, CopyPicture(PointPic ? *PointPic : nullptr),
                     bDispPointTip ? FromVariantBool(*bDispPointTip) : False, lTipColor ? *lTipColor : 16777215);
  });
}

// The engine may change the folder (it ends it with "\"): both texts go back to the caller.
STDMETHODIMP ChartObject::ExportData(VARIANT_BOOL* bOperate, BSTR* sPath, BSTR* sName) {
  if (!bOperate) return E_POINTER;
  return CallWithFonts([&] {
    std::string path = sPath ? ToUtf8(*sPath) : std::string();
    std::string name = sName ? ToUtf8(*sName) : std::string();
    control_.ExportData(FromVariantBool(*bOperate), path, name);
    if (sPath) AssignBstr(sPath, path);
    if (sName) AssignBstr(sName, name);
  });
}

STDMETHODIMP ChartObject::ExportPicture(VARIANT* sPath, BSTR* sName, VARIANT_BOOL* written) {
  if (!sPath || !sName || !written) return E_POINTER;
  *written = VARIANT_FALSE;
  return Call([&] {
    Variant path = FromVariant(*sPath, fonts_);
    const std::string before = path.ToString();
    *written = ToVariantBool(control_.ExportPicture(path, ToUtf8(*sName)));
    if (path.ToString() == before) return;
    // The caller's variable gets the folder with its "\" appended.
    VARIANT text;
    ToVariant(path, &text);
    if (V_VT(sPath) == (VT_BYREF | VT_BSTR)) {
      SysFreeString(*V_BSTRREF(sPath));
      *V_BSTRREF(sPath) = V_BSTR(&text);
      return;
    }
    VARIANT* target = V_VT(sPath) == (VT_BYREF | VT_VARIANT) ? V_VARIANTREF(sPath) : sPath;
    VariantClear(target);
    *target = text;
  });
}

// The About box's modal loop runs the container's messages, in which it may release its last
// reference to the control and free unused libraries.
STDMETHODIMP ChartObject::About() {
  const Hold hold(*this);
  return Call([&] { control_.About(); });
}

}  // namespace kavrin::win32

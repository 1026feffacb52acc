#pragma once
// The COM object of one KavrinLineChart: one identity, one reference count, the table of
// the interfaces it answers in one place (chart_object.cpp). Each group of interfaces is
// set up in its own file:
//   chart_dispatch.cpp   _KavrinLineChart (vtable and IDispatch), ISupportErrorInfo
//   chart_persist.cpp    IPersistPropertyBag, IPersistStreamInit
//   chart_events.cpp     IConnectionPointContainer and its connection points
//   chart_classinfo.cpp  IProvideClassInfo2, ICategorizeProperties
// Every method is a thin translation onto the one control; a run-time error leaves as its
// HRESULT through com_error.h. A new object holds the settings of a new instance, unconfigured
// until a container loads it.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "control/kavrin_line_chart.h"
#include "win32/categorize_properties.h"
#include "win32/com_error.h"
#include "win32/com_font.h"
#include "win32/control_site.h"
#include "kavrin_line_chart_h.h"
#include "win32/type_library.h"

namespace kavrin::win32 {

class ChartObject;

// One connection point of the object: a sub-object that answers only IUnknown and
// IConnectionPoint itself and counts its references on the object.
class ConnectionPoint final : public IConnectionPoint {
 public:
  ConnectionPoint(ChartObject& owner, const IID& iid) : owner_(owner), iid_(iid) {}
  ~ConnectionPoint();
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

  const IID& Iid() const { return iid_; }
  // The advised sinks, as given to Advise (null where one was unadvised).
  const std::vector<IUnknown*>& Sinks() const { return sinks_; }

 private:
  ChartObject& owner_;
  IID iid_;
  std::vector<IUnknown*> sinks_;  // cookie = index + 1
};

class ChartObject final : public _KavrinLineChart,
                          public ISupportErrorInfo,
                          public IPersistPropertyBag,
                          public IPersistStreamInit,
                          public IConnectionPointContainer,
                          public IProvideClassInfo2,
                          public ICategorizeProperties {
 public:
  ChartObject();
  ~ChartObject();
  ChartObject(const ChartObject&) = delete;
  ChartObject& operator=(const ChartObject&) = delete;

  // ---- identity (chart_object.cpp) ----
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  IUnknown* Identity() { return static_cast<_KavrinLineChart*>(this); }

  // ---- IDispatch (chart_dispatch.cpp) ----
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excep, UINT* argErr) override;

  // ---- _KavrinLineChart, in vtable order (chart_dispatch.cpp) ----
  STDMETHODIMP get_ValueLineColor(OLE_COLOR* v) override;
  STDMETHODIMP put_ValueLineColor(OLE_COLOR v) override;
  STDMETHODIMP get_TimeLineColor(OLE_COLOR* v) override;
  STDMETHODIMP put_TimeLineColor(OLE_COLOR v) override;
  STDMETHODIMP SetValue(short* Id, double* Value) override;
  STDMETHODIMP Movie() override;
  STDMETHODIMP AddLine(BSTR* Key, LONG* lColor, IPictureDisp** PointPic, VARIANT_BOOL* bDispPointTip,
                       LONG* lTipColor) override;
  STDMETHODIMP ExportData(VARIANT_BOOL* bOperate, BSTR* sPath, BSTR* sName) override;
  STDMETHODIMP ExportPicture(VARIANT* sPath, BSTR* sName, VARIANT_BOOL* written) override;
  STDMETHODIMP About() override;
  STDMETHODIMP get_Title(BSTR* v) override;
  STDMETHODIMP put_Title(BSTR v) override;
  STDMETHODIMP get_Zoom(double* v) override;
  STDMETHODIMP put_Zoom(double v) override;
  STDMETHODIMP get_MeasureFont(IFontDisp** v) override;
  STDMETHODIMP putref_MeasureFont(IFontDisp* v) override;
  STDMETHODIMP get_MeasureColor(OLE_COLOR* v) override;
  STDMETHODIMP put_MeasureColor(OLE_COLOR v) override;
  STDMETHODIMP get_TitlePos(short* v) override;
  STDMETHODIMP put_TitlePos(short v) override;
  STDMETHODIMP get_TitleFont(IFontDisp** v) override;
  STDMETHODIMP putref_TitleFont(IFontDisp* v) override;
  STDMETHODIMP get_TitleColor(OLE_COLOR* v) override;
  STDMETHODIMP put_TitleColor(OLE_COLOR v) override;
  STDMETHODIMP get_MeasurePos(short* v) override;
  STDMETHODIMP put_MeasurePos(short v) override;
  STDMETHODIMP get_CutLineFont(IFontDisp** v) override;
  STDMETHODIMP putref_CutLineFont(IFontDisp* v) override;
  STDMETHODIMP get_bValueLineDisp(VARIANT_BOOL* v) override;
  STDMETHODIMP put_bValueLineDisp(VARIANT_BOOL v) override;
  STDMETHODIMP get_bTimeLineDisp(VARIANT_BOOL* v) override;
  STDMETHODIMP put_bTimeLineDisp(VARIANT_BOOL v) override;
  STDMETHODIMP get_BackColor(OLE_COLOR* v) override;
  STDMETHODIMP put_BackColor(OLE_COLOR v) override;
  STDMETHODIMP get_ChartBackColor(OLE_COLOR* v) override;
  STDMETHODIMP put_ChartBackColor(OLE_COLOR v) override;
  STDMETHODIMP get_BorderWidth(short* v) override;
  STDMETHODIMP put_BorderWidth(short v) override;
  STDMETHODIMP get_BorderColor(OLE_COLOR* v) override;
  STDMETHODIMP put_BorderColor(OLE_COLOR v) override;
  STDMETHODIMP get_ValueSpace(double* v) override;
  STDMETHODIMP put_ValueSpace(double v) override;
  STDMETHODIMP get_Min(double* v) override;
  STDMETHODIMP put_Min(double v) override;
  STDMETHODIMP get_Max(double* v) override;
  STDMETHODIMP put_Max(double v) override;
  STDMETHODIMP get_MeasureWidth(short* v) override;
  STDMETHODIMP put_MeasureWidth(short v) override;
  STDMETHODIMP get_Unit(BSTR* v) override;
  STDMETHODIMP put_Unit(BSTR v) override;
  STDMETHODIMP get_UnitFont(IFontDisp** v) override;
  STDMETHODIMP putref_UnitFont(IFontDisp* v) override;
  STDMETHODIMP get_Dist(BSTR* v) override;
  STDMETHODIMP put_Dist(BSTR v) override;

  // ---- ISupportErrorInfo (chart_dispatch.cpp) ----
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

  // ---- IPersistPropertyBag, IPersistStreamInit (chart_persist.cpp) ----
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP InitNew() override;
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
  STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(LPSTREAM stream) override;
  STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;

  // ---- IConnectionPointContainer (chart_events.cpp) ----
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

  // ---- IProvideClassInfo2, ICategorizeProperties (chart_classinfo.cpp) ----
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;
  STDMETHODIMP MapPropertyToCategory(DISPID id, PROPCAT* category) override;
  STDMETHODIMP GetCategoryName(PROPCAT category, LCID lcid, BSTR* name) override;

 private:
  // Runs a call on the control and turns what it raises into the result.
  template <typename Body>
  HRESULT Call(Body&& body);
  // As Call, with every font the host handed over read anew first: for calls that
  // configure, draw or write the fonts' descriptions.
  template <typename Body>
  HRESULT CallWithFonts(Body&& body);
  // The control reported a property change: the settings need saving and property
  // notification sinks hear of it (chart_events.cpp).
  void PropertyChanged(const std::string& name);
  // The type description of _KavrinLineChart, loaded on first use (chart_dispatch.cpp).
  HRESULT DispatchInfo(ITypeInfo** info);

  LONG refs_ = 1;
  bool dirty_ = false;
  ITypeInfo* dispatchInfo_ = nullptr;
  FontLinks fonts_;
  ControlSite site_;
  KavrinLineChart control_;  // after the site: it goes first
  ConnectionPoint events_;
  ConnectionPoint propertyNotify_;
};

}  // namespace kavrin::win32

namespace kavrin::win32 {

template <typename Body>
HRESULT ChartObject::Call(Body&& body) {
  return Guard(DispatchIid(), body);
}

template <typename Body>
HRESULT ChartObject::CallWithFonts(Body&& body) {
  return Guard(DispatchIid(), [&] {
    fonts_.Refresh();
    return body();
  });
}

}  // namespace kavrin::win32

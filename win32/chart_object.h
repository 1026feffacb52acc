#pragma once
// The COM object of one KavrinLineChart: one identity, one reference count, the table of
// the interfaces it answers in one place (chart_object.cpp). Each group of interfaces is
// set up in its own file:
//   chart_dispatch.cpp   _KavrinLineChart (vtable and IDispatch), ISupportErrorInfo
//   chart_persist.cpp    IPersistPropertyBag, IPersistStreamInit
//   chart_events.cpp     IConnectionPointContainer and its connection points
//   chart_classinfo.cpp  IProvideClassInfo2, ICategorizeProperties
//   chart_oleobject.cpp  IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl,
//                        IQuickActivate: the client site, extents, verbs, in-place activation
//   chart_view.cpp       IViewObject2
//   chart_storage.cpp    IPersistStorage
// Every method is a thin translation onto the one control; a run-time error leaves as its
// HRESULT through com_error.h. A new object holds the settings of a new instance, unconfigured
// until a container loads it.
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
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
                          public ICategorizeProperties,
                          public IOleObject,
                          public IOleInPlaceObject,
                          public IOleInPlaceActiveObject,
                          public IOleControl,
                          public IViewObject2,
                          public IPersistStorage,
                          public IQuickActivate {
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

  // ---- IOleObject (chart_oleobject.cpp) ----
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
  STDMETHODIMP Close(DWORD saveOption) override;
  STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index, HWND parent,
                      LPCRECT posRect) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
  STDMETHODIMP Update() override;
  STDMETHODIMP IsUpToDate() override;
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP Unadvise(DWORD connection) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

  // ---- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject (chart_oleobject.cpp) ----
  STDMETHODIMP GetWindow(HWND* hwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT posRect, LPCRECT clipRect) override;
  STDMETHODIMP ReactivateAndUndo() override;
  STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;

  // ---- IOleControl, IQuickActivate (chart_oleobject.cpp) ----
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
  STDMETHODIMP OnMnemonic(MSG* msg) override;
  STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
  STDMETHODIMP FreezeEvents(BOOL freeze) override;
  STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
  STDMETHODIMP SetContentExtent(LPSIZEL size) override;
  STDMETHODIMP GetContentExtent(LPSIZEL size) override;

  // ---- IViewObject2 (chart_view.cpp) ----
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc, HDC drawDc,
                    LPCRECTL bounds, LPCRECTL windowBounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                    ULONG_PTR contArg) override;
  STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc,
                           LOGPALETTE** colors) override;
  STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
  STDMETHODIMP Unfreeze(DWORD freeze) override;
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

  // ---- IPersistStorage (chart_storage.cpp) ----
  STDMETHODIMP InitNew(IStorage* storage) override;
  STDMETHODIMP Load(IStorage* storage) override;
  STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
  STDMETHODIMP SaveCompleted(IStorage* storage) override;
  STDMETHODIMP HandsOffStorage() override;

 private:
  // Keeps the object and the module loaded for the length of a call that may run a message
  // loop or call out to the container, which may drop its last reference meanwhile (and
  // free unused libraries).
  class Hold {
   public:
    explicit Hold(ChartObject& object);
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    ChartObject& object_;
  };

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
  // ---- the container side (chart_oleobject.cpp) ----
  // A copy of the client site's ambient font (DISPID_AMBIENT_FONT), or null when the site
  // has no ambient properties or no font among them.
  FontRef ReadAmbientFont();
  // Shows the window in the in-place site's window; ui also makes the control UI-active.
  HRESULT InPlaceActivate(IOleClientSite* activeSite, bool ui);
  // The container gave the control a size in pixels: a new surface, then Resize once shown.
  HRESULT SizeTo(int width, int height);
  // The first time the container shows the control, it gets its first Resize.
  void FirstShow();
  void ReleaseInPlace();

  LONG refs_ = 1;
  bool dirty_ = false;
  IOleClientSite* clientSite_ = nullptr;
  IOleInPlaceSite* inPlaceSite_ = nullptr;  // while in-place active
  IOleInPlaceFrame* frame_ = nullptr;
  IOleInPlaceUIWindow* uiWindow_ = nullptr;
  IOleAdviseHolder* adviseHolder_ = nullptr;
  IAdviseSink* viewSink_ = nullptr;
  DWORD viewAspects_ = 0;
  DWORD viewFlags_ = 0;
  SIZEL extent_{0, 0};  // the last extent the container set (GetExtent checks it still holds)
  bool uiActive_ = false;
  bool shown_ = false;            // the first Resize has been fired
  bool initedWithoutSite_ = false;  // InitNew came before the client site
  // Counts the container's changes to the control's place: a new or no client site, Close,
  // the start and the end of in-place activation. A call out to the container during
  // activation may make any of them; activation goes on only while the count stands.
  unsigned placeChanges_ = 0;
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

// The object's identity: construction, the interface table and the reference count.
#include "win32/chart_object.h"

#include <new>

#include "win32/control_object.h"
#include "win32/module.h"

namespace kavrin::win32 {

ChartObject::ChartObject()
    : site_(fonts_, [this](const std::string& name) { PropertyChanged(name); }),
      control_(site_),
      events_(*this, EventsIid()),
      propertyNotify_(*this, IID_IPropertyNotifySink) {
  site_.AmbientFontSource([this] { return ReadAmbientFont(); });
  // Without a container the object is a new instance: the defaults, no engine yet.
  control_.InitProperties();
  ModuleLock();
}

ChartObject::~ChartObject() {
  refs_ = 1;  // a container called while the object goes must not delete it again
  InPlaceDeactivate();
  if (clientSite_) clientSite_->Release();
  if (adviseHolder_) adviseHolder_->Release();
  if (viewSink_) viewSink_->Release();
  control_.Terminate();
  if (dispatchInfo_) dispatchInfo_->Release();
  ModuleUnlock();
}

STDMETHODIMP ChartObject::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DispatchIid()) {
    *ppv = static_cast<_KavrinLineChart*>(this);
  } else if (riid == IID_ISupportErrorInfo) {
    *ppv = static_cast<ISupportErrorInfo*>(this);
  } else if (riid == IID_IPersistPropertyBag) {
    *ppv = static_cast<IPersistPropertyBag*>(this);
  } else if (riid == IID_IPersistStreamInit) {
    *ppv = static_cast<IPersistStreamInit*>(this);
  } else if (riid == IID_IPersist) {
    *ppv = static_cast<IPersistStreamInit*>(this);
  } else if (riid == IID_IConnectionPointContainer) {
    *ppv = static_cast<IConnectionPointContainer*>(this);
  } else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) {
    *ppv = static_cast<IProvideClassInfo2*>(this);
  } else if (riid == IID_ICategorizeProperties) {
    *ppv = static_cast<ICategorizeProperties*>(this);
  } else if (riid == IID_IOleObject) {
    *ppv = static_cast<IOleObject*>(this);
  } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject) {
    *ppv = static_cast<IOleInPlaceObject*>(this);
  } else if (riid == IID_IOleInPlaceActiveObject) {
    *ppv = static_cast<IOleInPlaceActiveObject*>(this);
  } else if (riid == IID_IOleControl) {
    *ppv = static_cast<IOleControl*>(this);
  } else if (riid == IID_IViewObject || riid == IID_IViewObject2) {
    *ppv = static_cast<IViewObject2*>(this);
  } else if (riid == IID_IPersistStorage) {
    *ppv = static_cast<IPersistStorage*>(this);
  } else if (riid == IID_IQuickActivate) {
    *ppv = static_cast<IQuickActivate*>(this);
  } else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ChartObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) ChartObject::Release() {
  const LONG refs = InterlockedDecrement(&refs_);
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}

ChartObject::Hold::Hold(ChartObject& object) : object_(object) {
  ModuleLock();
  object_.AddRef();
}

// The object may go here; the module stays until the caller's next chance to free it.
ChartObject::Hold::~Hold() {
  object_.Release();
  ModuleUnlock();
}

}  // namespace kavrin::win32

HRESULT CreateControlObject(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  using kavrin::win32::ChartObject;
  ChartObject* object = nullptr;
  const HRESULT made = kavrin::win32::Guard(kavrin::win32::DispatchIid(), [&] { object = new ChartObject(); });
  if (FAILED(made)) return made;
  const HRESULT hr = object->QueryInterface(riid, ppv);
  object->Release();
  return hr;
}

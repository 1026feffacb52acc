// IConnectionPointContainer with two connection points: the control's event interface
// (which has no members: nothing is ever called on its sinks) and IPropertyNotifySink,
// told of every property change the control reports.
#include <vector>

#include "control/automation.h"
#include "win32/chart_object.h"
#include "win32/enumerator.h"

namespace kavrin::win32 {

// ---- the container ----

STDMETHODIMP ChartObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (!points) return E_POINTER;
  *points = nullptr;
  try {
    std::vector<IConnectionPoint*> all{&events_, &propertyNotify_};
    *points = new Enumerator<IEnumConnectionPoints, IConnectionPoint*>(IID_IEnumConnectionPoints, std::move(all));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

STDMETHODIMP ChartObject::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  ConnectionPoint* found = riid == events_.Iid()           ? &events_
                           : riid == propertyNotify_.Iid() ? &propertyNotify_
                                                           : nullptr;
  if (!found) return CONNECT_E_NOCONNECTION;
  found->AddRef();
  *point = found;
  return S_OK;
}

void ChartObject::PropertyChanged(const std::string& name) {
  dirty_ = true;
  const MemberInfo* member = FindMember(name);
  const DISPID id = member ? member->dispid : DISPID_UNKNOWN;
  for (IUnknown* sink : propertyNotify_.Sinks())
    if (sink) static_cast<IPropertyNotifySink*>(sink)->OnChanged(id);
}

// ---- one connection point ----

ConnectionPoint::~ConnectionPoint() {
  for (IUnknown* sink : sinks_)
    if (sink) sink->Release();
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() { return owner_.AddRef(); }
STDMETHODIMP_(ULONG) ConnectionPoint::Release() { return owner_.Release(); }

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  return owner_.QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container));
}

// The sink is kept as the interface of this point, so that it can be called as such.
STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  IUnknown* typed = nullptr;
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&typed))) || !typed) return CONNECT_E_CANNOTCONNECT;
  try {
    sinks_.push_back(typed);
  } catch (...) {
    typed->Release();
    return E_OUTOFMEMORY;
  }
  *cookie = static_cast<DWORD>(sinks_.size());
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
  if (cookie == 0 || cookie > sinks_.size() || !sinks_[cookie - 1]) return CONNECT_E_NOCONNECTION;
  IUnknown* sink = sinks_[cookie - 1];
  sinks_[cookie - 1] = nullptr;
  sink->Release();
  return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (!connections) return E_POINTER;
  *connections = nullptr;
  try {
    std::vector<CONNECTDATA> advised;
    for (size_t i = 0; i < sinks_.size(); ++i)
      if (sinks_[i]) advised.push_back({sinks_[i], static_cast<DWORD>(i + 1)});
    *connections = new Enumerator<IEnumConnections, CONNECTDATA>(IID_IEnumConnections, std::move(advised));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace kavrin::win32

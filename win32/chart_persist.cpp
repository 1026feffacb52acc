// IPersistPropertyBag and IPersistStreamInit: the control's own load and save of its 24
// settings, over the container's property bag or over a stream record (stream_bag.h).
// A load replaces the settings and configures the control; InitNew gives a new instance.
#include "win32/chart_object.h"
#include "win32/com_property_bag.h"
#include "win32/stream_bag.h"

namespace kavrin::win32 {

STDMETHODIMP ChartObject::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = ClassId();
  return S_OK;
}

STDMETHODIMP ChartObject::InitNew() {
  return Call([&] {
    control_.InitProperties();
    dirty_ = false;
    // A host that sets the client site afterwards gets the fonts of its ambient font then.
    initedWithoutSite_ = clientSite_ == nullptr;
  });
}

STDMETHODIMP ChartObject::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

// ---- IPersistPropertyBag ----

STDMETHODIMP ChartObject::Load(IPropertyBag* bag, IErrorLog* log) {
  if (!bag) return E_POINTER;
  return Call([&] {
    ComPropertyBag entries(bag, log, fonts_);
    control_.ReadProperties(entries);
    dirty_ = false;
    initedWithoutSite_ = false;
  });
}

STDMETHODIMP ChartObject::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
  if (!bag) return E_POINTER;
  return CallWithFonts([&] {
    ComPropertyBag entries(bag, nullptr, fonts_);
    control_.WriteProperties(entries);
    if (clearDirty) dirty_ = false;
  });
}

// ---- IPersistStreamInit ----

STDMETHODIMP ChartObject::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  return Call([&] {
    StreamBag entries(fonts_);
    const HRESULT hr = entries.Load(stream);
    if (FAILED(hr)) return hr;
    control_.ReadProperties(entries);
    dirty_ = false;
    initedWithoutSite_ = false;
    return S_OK;
  });
}

STDMETHODIMP ChartObject::Save(LPSTREAM stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  return CallWithFonts([&] {
    StreamBag entries(fonts_);
    control_.WriteProperties(entries);
    const HRESULT hr = entries.Save(stream);
    if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
    return hr;
  });
}

STDMETHODIMP ChartObject::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  return CallWithFonts([&] {
    StreamBag entries(fonts_);
    control_.WriteProperties(entries);
    return entries.Size(size);
  });
}

}  // namespace kavrin::win32

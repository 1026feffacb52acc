// IViewObject2: the control's picture for a container that draws it itself (printing,
// metafiles, windowless hosts, thumbnails). Draw copies the persistent surface, stretched to
// the bounds the container gives; the extent is the control's size in HIMETRIC.
#include "win32/chart_object.h"

namespace kavrin::win32 {

STDMETHODIMP ChartObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc, LPCRECTL bounds,
                               LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!drawDc || !bounds) return E_INVALIDARG;
  return Call([&] {
    // A site that draws the control before activating it shows it for the first time.
    if (clientSite_) FirstShow();
    site_.DrawTo(drawDc, RECT{bounds->left, bounds->top, bounds->right, bounds->bottom});
  });
}

STDMETHODIMP ChartObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
  if (!colors) return E_POINTER;
  *colors = nullptr;
  return S_FALSE;  // true colour: no palette to realise
}

STDMETHODIMP ChartObject::Freeze(DWORD, LONG, void*, DWORD* freeze) {
  if (freeze) *freeze = 0;
  return E_NOTIMPL;
}

STDMETHODIMP ChartObject::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP ChartObject::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  if (sink) sink->AddRef();
  if (viewSink_) viewSink_->Release();
  viewSink_ = sink;
  viewAspects_ = aspects;
  viewFlags_ = flags;
  return S_OK;
}

STDMETHODIMP ChartObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = viewAspects_;
  if (flags) *flags = viewFlags_;
  if (sink) {
    *sink = viewSink_;
    if (viewSink_) viewSink_->AddRef();
  }
  return S_OK;
}

STDMETHODIMP ChartObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

}  // namespace kavrin::win32

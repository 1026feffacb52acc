// IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl and IQuickActivate:
// how a container sites the control, sizes it, activates it in place and tells it of ambient
// changes. In-place activation shows the control's window inside the container's window;
// the first activation (or the first drawing for a site) is when the control is first shown
// and gets its first Resize. A later size from the container (SetExtent, SetObjectRects)
// that differs gives a new surface and Resize, as a form does when a control is resized.
#include "control/automation.h"
#include "win32/chart_object.h"

namespace kavrin::win32 {

namespace {

// The screen's pixels per inch across and down, as containers convert HIMETRIC with them.
int ScreenDpi(int axis) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, axis) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// HIMETRIC (hundredths of a millimetre) and pixels.
SIZE ToPixels(const SIZEL& himetric) {
  return {MulDiv(himetric.cx, ScreenDpi(LOGPIXELSX), 2540), MulDiv(himetric.cy, ScreenDpi(LOGPIXELSY), 2540)};
}
SIZEL ToHimetric(int width, int height) {
  return {MulDiv(width, 2540, ScreenDpi(LOGPIXELSX)), MulDiv(height, 2540, ScreenDpi(LOGPIXELSY))};
}

DWORD MiscStatus() {
  const TypeInfoEntry* type = FindType("KavrinLineChart");
  return type ? type->miscStatus : 0;
}

template <typename T>
void Replace(T*& slot, T* value) {
  if (value) value->AddRef();
  if (slot) slot->Release();
  slot = value;
}

}  // namespace

// ---- the client site and its ambient font ----

STDMETHODIMP ChartObject::SetClientSite(IOleClientSite* site) {
  ++placeChanges_;
  if (!site) InPlaceDeactivate();
  Replace(clientSite_, site);
  if (site && initedWithoutSite_) {
    initedWithoutSite_ = false;
    // InitNew came first (as some hosts call it): the fonts become the site's ambient font,
    // unless the host has changed a setting since.
    if (!dirty_) return Call([&] { control_.InitProperties(); });
  }
  return S_OK;
}

STDMETHODIMP ChartObject::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = clientSite_;
  if (clientSite_) clientSite_->AddRef();
  return S_OK;
}

FontRef ChartObject::ReadAmbientFont() {
  if (!clientSite_) return nullptr;
  IDispatch* ambient = nullptr;
  if (FAILED(clientSite_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient))) || !ambient)
    return nullptr;
  VARIANT value;
  VariantInit(&value);
  DISPPARAMS none{};
  const HRESULT hr = ambient->Invoke(DISPID_AMBIENT_FONT, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                     &value, nullptr, nullptr);
  ambient->Release();
  FontRef font;
  IFont* given = nullptr;
  if (SUCCEEDED(hr) && (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) && value.punkVal &&
      SUCCEEDED(value.punkVal->QueryInterface(IID_IFont, reinterpret_cast<void**>(&given)))) {
    // Each read gets its own copy, so that a font property changed later leaves the
    // container's font and the other properties alone.
    IFont* copy = nullptr;
    if (SUCCEEDED(given->Clone(&copy)) && copy) {
      try {
        font = fonts_.Link(copy);
      } catch (...) {
        copy->Release();
        given->Release();
        VariantClear(&value);
        throw;
      }
      copy->Release();
    }
    given->Release();
  }
  VariantClear(&value);
  return font;
}

// The font is read from the site at each use, so a changed ambient font needs nothing here.
STDMETHODIMP ChartObject::OnAmbientPropertyChange(DISPID) { return S_OK; }

STDMETHODIMP ChartObject::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP ChartObject::Close(DWORD saveOption) {
  ++placeChanges_;
  InPlaceDeactivate();
  if (dirty_ && clientSite_ && (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE))
    clientSite_->SaveObject();
  if (adviseHolder_) adviseHolder_->SendOnClose();
  return S_OK;
}

STDMETHODIMP ChartObject::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }
STDMETHODIMP ChartObject::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP ChartObject::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }
STDMETHODIMP ChartObject::GetClipboardData(DWORD, IDataObject** data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP ChartObject::Update() { return S_OK; }
STDMETHODIMP ChartObject::IsUpToDate() { return S_OK; }
STDMETHODIMP ChartObject::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }
STDMETHODIMP ChartObject::GetUserType(DWORD form, LPOLESTR* type) { return OleRegGetUserType(ClassId(), form, type); }
STDMETHODIMP ChartObject::EnumVerbs(IEnumOLEVERB** verbs) { return OleRegEnumVerbs(ClassId(), verbs); }
STDMETHODIMP ChartObject::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

STDMETHODIMP ChartObject::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (!status) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? MiscStatus() : 0;
  return S_OK;
}

STDMETHODIMP ChartObject::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!adviseHolder_) {
    const HRESULT hr = CreateOleAdviseHolder(&adviseHolder_);
    if (FAILED(hr)) return hr;
  }
  return adviseHolder_->Advise(sink, connection);
}

STDMETHODIMP ChartObject::Unadvise(DWORD connection) {
  return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP ChartObject::EnumAdvise(IEnumSTATDATA** advise) {
  if (!advise) return E_POINTER;
  *advise = nullptr;
  return adviseHolder_ ? adviseHolder_->EnumAdvise(advise) : S_OK;
}

// ---- size ----

STDMETHODIMP ChartObject::SetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  const SIZE pixels = ToPixels(*size);
  if (pixels.cx < 1 || pixels.cy < 1) return E_INVALIDARG;
  const HRESULT hr = SizeTo(pixels.cx, pixels.cy);
  if (SUCCEEDED(hr)) extent_ = *size;
  return hr;
}

STDMETHODIMP ChartObject::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  // The extent the container gave while the size is still the one it gave; else the size.
  const SIZE pixels = ToPixels(extent_);
  *size = pixels.cx == site_.Width() && pixels.cy == site_.Height() ? extent_
                                                                     : ToHimetric(site_.Width(), site_.Height());
  return S_OK;
}

STDMETHODIMP ChartObject::SetContentExtent(LPSIZEL size) { return SetExtent(DVASPECT_CONTENT, size); }
STDMETHODIMP ChartObject::GetContentExtent(LPSIZEL size) { return GetExtent(DVASPECT_CONTENT, size); }

HRESULT ChartObject::SizeTo(int width, int height) {
  return Call([&] {
    if (site_.SetSize(width, height) && shown_) control_.Resize();
  });
}

void ChartObject::FirstShow() {
  if (shown_) return;
  shown_ = true;
  control_.Resize();
}

// ---- verbs and in-place activation ----

STDMETHODIMP ChartObject::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND, LPCRECT) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
      return InPlaceActivate(activeSite, true);
    case OLEIVERB_INPLACEACTIVATE:
      return InPlaceActivate(activeSite, false);
    case OLEIVERB_HIDE:
      UIDeactivate();
      if (HWND window = site_.Window()) ShowWindow(window, SW_HIDE);
      return S_OK;
    case OLEIVERB_PROPERTIES: {
      // The control has no property pages of its own: the container's property frame shows
      // its properties, when the container has one.
      IOleControlSite* controlSite = nullptr;
      if (!clientSite_ ||
          FAILED(clientSite_->QueryInterface(IID_IOleControlSite, reinterpret_cast<void**>(&controlSite))))
        return E_NOTIMPL;
      const HRESULT hr = controlSite->ShowPropertyFrame();
      controlSite->Release();
      return hr;
    }
    default:
      if (verb > 0) {
        const HRESULT hr = InPlaceActivate(activeSite, true);
        return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
      }
      return E_NOTIMPL;
  }
}

// Every call out to the container may come back into the control (deactivate it, take
// its site away, close it, release it): after each one the activation goes on only if
// the control's place is as it was, and ends with E_UNEXPECTED otherwise. The object
// keeps itself alive until the activation is over.
HRESULT ChartObject::InPlaceActivate(IOleClientSite* activeSite, bool ui) {
  const Hold hold(*this);
  unsigned place = placeChanges_;
  const auto moved = [&] { return placeChanges_ != place; };
  if (!inPlaceSite_) {
    IOleClientSite* site = activeSite ? activeSite : clientSite_;
    if (!site) return E_UNEXPECTED;
    IOleInPlaceSite* inPlace = nullptr;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace))) || !inPlace)
      return E_NOINTERFACE;
    const HRESULT can = inPlace->CanInPlaceActivate();
    if (can != S_OK || moved() || inPlaceSite_) {
      inPlace->Release();
      return can != S_OK ? OLEOBJ_S_CANNOT_DOVERB_NOW : E_UNEXPECTED;
    }
    inPlaceSite_ = inPlace;
    place = ++placeChanges_;
    inPlace->OnInPlaceActivate();
    if (moved()) return E_UNEXPECTED;
    HWND parent = nullptr;
    RECT pos{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    HRESULT hr = inPlace->GetWindow(&parent);
    if (moved()) return E_UNEXPECTED;
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* uiWindow = nullptr;
    if (SUCCEEDED(hr)) hr = inPlace->GetWindowContext(&frame, &uiWindow, &pos, &clip, &frameInfo);
    if (moved()) {
      if (frame) frame->Release();
      if (uiWindow) uiWindow->Release();
      return E_UNEXPECTED;
    }
    frame_ = frame;  // released when the activation ends
    uiWindow_ = uiWindow;
    if (SUCCEEDED(hr) && !parent) hr = E_FAIL;
    if (SUCCEEDED(hr)) {
      const int width = pos.right - pos.left;
      const int height = pos.bottom - pos.top;
      if (width >= 1 && height >= 1) hr = SizeTo(width, height);  // reads the ambient font
    }
    if (moved()) return E_UNEXPECTED;
    if (SUCCEEDED(hr)) hr = Call([&] { site_.ShowIn(parent, pos); });
    if (moved()) return E_UNEXPECTED;
    if (FAILED(hr)) {
      InPlaceDeactivate();
      return hr;
    }
    hr = Call([&] { FirstShow(); });
    if (moved()) return E_UNEXPECTED;
    if (FAILED(hr)) return hr;  // the window stays: the container removes the control
  } else if (HWND window = site_.Window()) {
    ShowWindow(window, SW_SHOWNA);
  }
  if (ui && !uiActive_) {
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    if (moved()) return E_UNEXPECTED;
    IOleInPlaceActiveObject* active = this;
    if (frame_) frame_->SetActiveObject(active, nullptr);
    if (moved()) return E_UNEXPECTED;
    if (uiWindow_) uiWindow_->SetActiveObject(active, nullptr);
    if (moved()) return E_UNEXPECTED;
    if (frame_) frame_->SetBorderSpace(nullptr);
    if (moved()) return E_UNEXPECTED;
    if (uiWindow_) uiWindow_->SetBorderSpace(nullptr);
    if (moved()) return E_UNEXPECTED;
  }
  return S_OK;
}

STDMETHODIMP ChartObject::UIDeactivate() {
  if (!uiActive_) return S_OK;
  uiActive_ = false;
  if (frame_) frame_->SetActiveObject(nullptr, nullptr);
  if (uiWindow_) uiWindow_->SetActiveObject(nullptr, nullptr);
  if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
  return S_OK;
}

STDMETHODIMP ChartObject::InPlaceDeactivate() {
  if (!inPlaceSite_) return S_OK;
  UIDeactivate();
  site_.Park();
  ReleaseInPlace();
  return S_OK;
}

void ChartObject::ReleaseInPlace() {
  ++placeChanges_;
  if (frame_) frame_->Release();
  if (uiWindow_) uiWindow_->Release();
  frame_ = nullptr;
  uiWindow_ = nullptr;
  if (IOleInPlaceSite* site = inPlaceSite_) {
    inPlaceSite_ = nullptr;
    site->OnInPlaceDeactivate();
    site->Release();
  }
}

STDMETHODIMP ChartObject::SetObjectRects(LPCRECT posRect, LPCRECT) {
  if (!posRect) return E_POINTER;
  const int width = posRect->right - posRect->left;
  const int height = posRect->bottom - posRect->top;
  // An empty rectangle hides the control; the surface keeps its size for the next one.
  const HRESULT hr = width >= 1 && height >= 1 ? SizeTo(width, height) : S_OK;
  site_.MoveTo(*posRect);
  return hr;
}

STDMETHODIMP ChartObject::GetWindow(HWND* hwnd) {
  if (!hwnd) return E_POINTER;
  *hwnd = inPlaceSite_ ? site_.Window() : nullptr;
  return *hwnd ? S_OK : E_FAIL;
}

STDMETHODIMP ChartObject::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }
STDMETHODIMP ChartObject::ReactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP ChartObject::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP ChartObject::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP ChartObject::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP ChartObject::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP ChartObject::EnableModeless(BOOL) { return S_OK; }

// ---- IOleControl, IQuickActivate ----

STDMETHODIMP ChartObject::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->hAccel = nullptr;  // no mnemonics
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP ChartObject::OnMnemonic(MSG*) { return E_NOTIMPL; }
STDMETHODIMP ChartObject::FreezeEvents(BOOL) { return S_OK; }  // the control raises no events

STDMETHODIMP ChartObject::QuickActivate(QACONTAINER* container, QACONTROL* control) {
  if (!container || !control) return E_POINTER;
  control->dwMiscStatus = MiscStatus();
  control->dwViewStatus = 0;
  control->dwEventCookie = 0;
  control->dwPropNotifyCookie = 0;
  control->dwPointerActivationPolicy = 0;
  const HRESULT hr = SetClientSite(container->pClientSite);
  if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
  if (container->pPropertyNotifySink) propertyNotify_.Advise(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
  if (container->pUnkEventSink) events_.Advise(container->pUnkEventSink, &control->dwEventCookie);
  return hr;
}

}  // namespace kavrin::win32

// IPersistStorage, for OLE containers that keep each control in a storage of its own: the
// settings go into one stream of that storage, in the stream format of IPersistStreamInit.
#include "win32/chart_object.h"

namespace kavrin::win32 {

namespace {
constexpr wchar_t kContents[] = L"Contents";
}  // namespace

STDMETHODIMP ChartObject::InitNew(IStorage*) { return InitNew(); }

STDMETHODIMP ChartObject::Load(IStorage* storage) {
  if (!storage) return E_POINTER;
  IStream* stream = nullptr;
  HRESULT hr = storage->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
  if (FAILED(hr)) return hr;
  hr = Load(stream);
  stream->Release();
  return hr;
}

STDMETHODIMP ChartObject::Save(IStorage* storage, BOOL) {
  if (!storage) return E_POINTER;
  // Settings too large for a record are refused before the storage's last record is replaced.
  ULARGE_INTEGER size;
  HRESULT hr = GetSizeMax(&size);
  if (FAILED(hr)) return hr;
  IStream* stream = nullptr;
  hr = storage->CreateStream(kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
  if (FAILED(hr)) return hr;
  hr = Save(stream, TRUE);
  stream->Release();
  return hr;
}

STDMETHODIMP ChartObject::SaveCompleted(IStorage*) { return S_OK; }
STDMETHODIMP ChartObject::HandsOffStorage() { return S_OK; }

}  // namespace kavrin::win32

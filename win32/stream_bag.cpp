#include "win32/stream_bag.h"

#include <vector>

namespace kavrin::win32 {

namespace {

HRESULT Result(SettingsRecord::Status status) {
  switch (status) {
    case SettingsRecord::Status::kOk: return S_OK;
    case SettingsRecord::Status::kOtherFormat: return STG_E_INVALIDHEADER;
    case SettingsRecord::Status::kDamaged: break;
  }
  return E_FAIL;
}

}  // namespace

StreamBag::StreamBag(FontLinks& fonts)
    : record_([&fonts](const StdFont& description) {
        IFont* font = CreateComFont(description);
        FontRef linked;
        try {
          linked = fonts.Link(font);
        } catch (...) {
          font->Release();
          throw;
        }
        font->Release();
        return linked;
      }) {}

Variant StreamBag::ReadProperty(const std::string& name, const Variant& def) { return record_.ReadProperty(name, def); }

void StreamBag::WriteProperty(const std::string& name, const Variant& value, const Variant& def) {
  record_.WriteProperty(name, value, def);
}

HRESULT StreamBag::Size(ULARGE_INTEGER* size) const {
  const auto bytes = record_.Bytes();
  if (!bytes) return STG_E_CANTSAVE;
  size->QuadPart = bytes->size();
  return S_OK;
}

HRESULT StreamBag::Save(IStream* stream) const {
  const auto bytes = record_.Bytes();
  if (!bytes) return STG_E_CANTSAVE;
  ULONG written = 0;
  const HRESULT hr = stream->Write(bytes->data(), static_cast<ULONG>(bytes->size()), &written);
  if (SUCCEEDED(hr) && written != bytes->size()) return STG_E_MEDIUMFULL;
  return hr;
}

HRESULT StreamBag::Load(IStream* stream) {
  BYTE header[SettingsRecord::kHeaderSize];
  ULONG got = 0;
  HRESULT hr = stream->Read(header, sizeof header, &got);
  if (FAILED(hr)) return hr;
  if (got != sizeof header) return E_FAIL;
  SettingsRecord::Header h;
  hr = Result(SettingsRecord::ReadHeader(header, &h));
  if (FAILED(hr)) return hr;
  std::vector<BYTE> data(h.length);
  hr = stream->Read(data.data(), h.length, &got);
  if (FAILED(hr)) return hr;
  if (got != h.length) return E_FAIL;
  return Result(record_.ReadEntries(h, data.data(), data.size()));
}

}  // namespace kavrin::win32

#include "win32/stream_bag.h"

#include <cstring>
#include <optional>

#include "common/vb_error.h"
#include "win32/com_text.h"

namespace kavrin::win32 {

namespace {

constexpr BYTE kSignature[4] = {'K', 'L', 'C', 'S'};
constexpr size_t kHeaderSize = 12;
constexpr DWORD kMaxData = 1u << 20;  // far above 24 entries: a larger length is damage
constexpr VARTYPE kFontTag = 0x7F;    // no VARIANT type carries a font description

class Writer {
 public:
  template <typename T>
  void Put(T v) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&v);
    out_.insert(out_.end(), p, p + sizeof v);
  }
  void PutText(const std::string& ansi) {
    const std::wstring w = ToWide(ansi);
    Put(static_cast<DWORD>(w.size()));
    for (wchar_t c : w) Put(static_cast<WORD>(c));
  }
  std::vector<BYTE>& Out() { return out_; }

 private:
  std::vector<BYTE> out_;
};

class Reader {
 public:
  Reader(const BYTE* data, size_t size) : p_(data), end_(data + size) {}
  template <typename T>
  std::optional<T> Get() {
    if (static_cast<size_t>(end_ - p_) < sizeof(T)) return std::nullopt;
    T v;
    std::memcpy(&v, p_, sizeof v);
    p_ += sizeof v;
    return v;
  }
  std::optional<std::string> GetText() {
    const auto n = Get<DWORD>();
    if (!n || *n > static_cast<size_t>(end_ - p_) / 2) return std::nullopt;
    std::wstring w(*n, L'\0');
    for (auto& c : w) c = static_cast<wchar_t>(*Get<WORD>());
    return ToAnsi(w.data(), w.size());
  }
  std::optional<std::string> GetName() {
    const auto n = Get<BYTE>();
    if (!n || *n > end_ - p_) return std::nullopt;
    std::string s(reinterpret_cast<const char*>(p_), *n);
    p_ += *n;
    return s;
  }
  bool AtEnd() const { return p_ == end_; }

 private:
  const BYTE* p_;
  const BYTE* end_;
};

void PutValue(Writer& w, const Variant& v) {
  switch (v.Type()) {
    case VarType::kEmpty: w.Put<WORD>(VT_EMPTY); return;
    case VarType::kNothing: w.Put<WORD>(VT_DISPATCH); return;
    case VarType::kInteger: w.Put<WORD>(VT_I2); w.Put<SHORT>(v.ToInteger()); return;
    case VarType::kBoolean: w.Put<WORD>(VT_BOOL); w.Put<SHORT>(v.ToBoolean()); return;
    case VarType::kLong: w.Put<WORD>(VT_I4); w.Put<LONG>(v.ToLong()); return;
    case VarType::kDouble: w.Put<WORD>(VT_R8); w.Put<double>(v.ToDouble()); return;
    case VarType::kString: w.Put<WORD>(VT_BSTR); w.PutText(v.ToString()); return;
    case VarType::kFont: {
      const StdFont& f = *v.ToFont();
      w.Put<WORD>(kFontTag);
      w.PutText(f.Name());
      w.Put<LONGLONG>(f.SizeCy());
      w.Put<SHORT>(f.Weight());
      w.Put<SHORT>(f.Charset());
      w.Put<BYTE>(static_cast<BYTE>((f.Italic() ? 1 : 0) | (f.Underline() ? 2 : 0) | (f.Strikethrough() ? 4 : 0)));
      return;
    }
    default: Raise(err::kTypeMismatch);
  }
}

// One value; nullopt when the record ends early or names no known type.
std::optional<Variant> GetValue(Reader& r, FontLinks& fonts) {
  const auto tag = r.Get<WORD>();
  if (!tag) return std::nullopt;
  switch (*tag) {
    case VT_EMPTY: return Variant();
    case VT_DISPATCH: return Variant::Nothing();
    case VT_I2: if (auto v = r.Get<SHORT>()) return Variant::FromInteger(*v); break;
    case VT_BOOL: if (auto v = r.Get<SHORT>()) return Variant::FromBoolean(*v ? True : False); break;
    case VT_I4: if (auto v = r.Get<LONG>()) return Variant::FromLong(*v); break;
    case VT_R8: if (auto v = r.Get<double>()) return Variant::FromDouble(*v); break;
    case VT_BSTR: if (auto v = r.GetText()) return Variant(*v); break;
    case kFontTag: {
      const auto name = r.GetText();
      const auto cy = r.Get<LONGLONG>();
      const auto weight = r.Get<SHORT>();
      const auto charset = r.Get<SHORT>();
      const auto flags = r.Get<BYTE>();
      if (!name || !cy || !weight || !charset || !flags) break;
      StdFont d;
      d.Name(*name);
      d.Size(static_cast<double>(*cy) / 10000.0);
      d.Weight(*weight);
      d.Charset(*charset);
      d.Italic(*flags & 1);
      d.Underline(*flags & 2);
      d.Strikethrough(*flags & 4);
      IFont* font = CreateComFont(d);
      FontRef linked;
      try {
        linked = fonts.Link(font);
      } catch (...) {
        font->Release();
        throw;
      }
      font->Release();
      return Variant(linked);
    }
    default: break;
  }
  return std::nullopt;
}

}  // namespace

Variant StreamBag::ReadProperty(const std::string& name, const Variant& def) {
  for (const Entry& e : entries_)
    if (e.name == name) return e.value;
  return def;
}

void StreamBag::WriteProperty(const std::string& name, const Variant& value, const Variant&) {
  entries_.push_back({name, value});
}

std::vector<BYTE> StreamBag::Bytes() const {
  Writer data;
  for (const Entry& e : entries_) {
    data.Put(static_cast<BYTE>(e.name.size()));
    data.Out().insert(data.Out().end(), e.name.begin(), e.name.end());
    PutValue(data, e.value);
  }
  Writer record;
  record.Out().assign(kSignature, kSignature + 4);
  record.Put(kStreamVersion);
  record.Put(static_cast<WORD>(entries_.size()));
  record.Put(static_cast<DWORD>(data.Out().size()));
  record.Out().insert(record.Out().end(), data.Out().begin(), data.Out().end());
  return record.Out();
}

HRESULT StreamBag::Load(IStream* stream) {
  BYTE header[kHeaderSize];
  ULONG got = 0;
  HRESULT hr = stream->Read(header, sizeof header, &got);
  if (FAILED(hr)) return hr;
  if (got != sizeof header) return E_FAIL;
  Reader h(header, sizeof header);
  h.Get<DWORD>();
  const WORD version = *h.Get<WORD>();
  const WORD count = *h.Get<WORD>();
  const DWORD length = *h.Get<DWORD>();
  if (std::memcmp(header, kSignature, 4) != 0 || version != kStreamVersion) return STG_E_INVALIDHEADER;
  if (length > kMaxData) return E_FAIL;

  std::vector<BYTE> data(length);
  hr = stream->Read(data.data(), length, &got);
  if (FAILED(hr)) return hr;
  if (got != length) return E_FAIL;
  Reader r(data.data(), data.size());
  std::vector<Entry> entries;
  for (WORD i = 0; i < count; ++i) {
    auto name = r.GetName();
    if (!name) return E_FAIL;
    auto value = GetValue(r, fonts_);
    if (!value) return E_FAIL;
    entries.push_back({std::move(*name), std::move(*value)});
  }
  if (!r.AtEnd()) return E_FAIL;
  entries_ = std::move(entries);
  return S_OK;
}

}  // namespace kavrin::win32

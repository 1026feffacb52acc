#include "control/settings_record.h"

#include <cstring>
#include <utility>

#include "common/utf16.h"
#include "common/vb_error.h"

namespace kavrin {

namespace {

constexpr uint8_t kSignature[4] = {'K', 'L', 'C', 'S'};

// The automation VARIANT type numbers that tag the values; no VARIANT type carries a font
// description, so fonts have a tag of their own.
enum Tag : uint16_t {
  kEmpty = 0,
  kInteger = 2,
  kLong = 3,
  kDouble = 5,
  kString = 8,
  kObject = 9,  // an object reference: only Nothing is stored as one
  kBoolean = 11,
  kFont = 0x7F,
};

class Writer {
 public:
  template <typename T>
  void Put(T v) {
    uint8_t b[sizeof v];
    std::memcpy(b, &v, sizeof v);  // the record is little-endian, as every target is
    out_.insert(out_.end(), b, b + sizeof v);
  }
  void PutText(const std::string& text) {
    const std::u16string units = Utf16FromUtf8(text);
    Put(static_cast<uint32_t>(units.size()));
    for (char16_t u : units) Put(static_cast<uint16_t>(u));
  }
  void PutBytes(const std::string& s) { out_.insert(out_.end(), s.begin(), s.end()); }
  std::vector<uint8_t>& Out() { return out_; }

 private:
  std::vector<uint8_t> out_;
};

class Reader {
 public:
  Reader(const uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
  template <typename T>
  std::optional<T> Get() {
    if (Left() < sizeof(T)) return std::nullopt;
    T v;
    std::memcpy(&v, p_, sizeof v);
    p_ += sizeof v;
    return v;
  }
  std::optional<std::string> GetText() {
    const auto n = Get<uint32_t>();
    if (!n || *n > Left() / 2) return std::nullopt;
    std::u16string units(*n, u'\0');
    for (char16_t& u : units) u = static_cast<char16_t>(*Get<uint16_t>());
    return Utf8FromUtf16(units);
  }
  std::optional<std::string> GetName() {
    const auto n = Get<uint8_t>();
    if (!n || *n > Left()) return std::nullopt;
    std::string s(reinterpret_cast<const char*>(p_), *n);
    p_ += *n;
    return s;
  }
  bool AtEnd() const { return p_ == end_; }

 private:
  std::size_t Left() const { return static_cast<std::size_t>(end_ - p_); }
  const uint8_t* p_;
  const uint8_t* end_;
};

void PutValue(Writer& w, const Variant& v) {
  switch (v.Type()) {
    case VarType::kEmpty: w.Put<uint16_t>(kEmpty); return;
    case VarType::kNothing: w.Put<uint16_t>(kObject); return;
    case VarType::kInteger: w.Put<uint16_t>(kInteger); w.Put<int16_t>(v.ToInteger()); return;
    case VarType::kBoolean: w.Put<uint16_t>(kBoolean); w.Put<int16_t>(v.ToBoolean()); return;
    case VarType::kLong: w.Put<uint16_t>(kLong); w.Put<int32_t>(v.ToLong()); return;
    case VarType::kDouble: w.Put<uint16_t>(kDouble); w.Put<double>(v.ToDouble()); return;
    case VarType::kString: w.Put<uint16_t>(kString); w.PutText(v.ToString()); return;
    case VarType::kFont: {
      const StdFont& f = *v.ToFont();
      w.Put<uint16_t>(kFont);
      w.PutText(f.Name());
      w.Put<int64_t>(f.SizeCy());
      w.Put<int16_t>(f.Weight());
      w.Put<int16_t>(f.Charset());
      w.Put<uint8_t>(static_cast<uint8_t>((f.Italic() ? 1 : 0) | (f.Underline() ? 2 : 0) | (f.Strikethrough() ? 4 : 0)));
      return;
    }
    default: Raise(err::kTypeMismatch);
  }
}

// One value as read: a value, or the description of a font still to be made.
struct ReadValue {
  Variant value;
  std::optional<StdFont> font;
};

// nullopt when the data end early or name no known type.
std::optional<ReadValue> GetValue(Reader& r) {
  const auto tag = r.Get<uint16_t>();
  if (!tag) return std::nullopt;
  switch (*tag) {
    case kEmpty: return ReadValue{Variant(), {}};
    case kObject: return ReadValue{Variant::Nothing(), {}};
    case kInteger: if (auto v = r.Get<int16_t>()) return ReadValue{Variant::FromInteger(*v), {}}; break;
    case kBoolean: if (auto v = r.Get<int16_t>()) return ReadValue{Variant::FromBoolean(*v ? True : False), {}}; break;
    case kLong: if (auto v = r.Get<int32_t>()) return ReadValue{Variant::FromLong(*v), {}}; break;
    case kDouble: if (auto v = r.Get<double>()) return ReadValue{Variant::FromDouble(*v), {}}; break;
    case kString: if (auto v = r.GetText()) return ReadValue{Variant(std::move(*v)), {}}; break;
    case kFont: {
      const auto name = r.GetText();
      const auto cy = r.Get<int64_t>();
      const auto weight = r.Get<int16_t>();
      const auto charset = r.Get<int16_t>();
      const auto flags = r.Get<uint8_t>();
      if (!name || !cy || !weight || !charset || !flags) break;
      StdFont d;
      d.Name(*name);
      d.SizeCy(*cy);
      d.Weight(*weight);
      d.Charset(*charset);
      d.Italic(*flags & 1);
      d.Underline(*flags & 2);
      d.Strikethrough(*flags & 4);
      return ReadValue{Variant(), d};
    }
    default: break;
  }
  return std::nullopt;
}

}  // namespace

SettingsRecord::SettingsRecord() : SettingsRecord([](const StdFont& d) { return std::make_shared<StdFont>(d); }) {}

SettingsRecord::SettingsRecord(FontMaker makeFont) : makeFont_(std::move(makeFont)) {}

Variant SettingsRecord::ReadProperty(const std::string& name, const Variant& def) {
  for (const Entry& e : entries_)
    if (e.name == name) return e.value;
  return def;
}

void SettingsRecord::WriteProperty(const std::string& name, const Variant& value, const Variant&) {
  if (name.size() > 255) Raise(err::kInvalidCall);
  if (value.Type() == VarType::kPicture || value.IsMissing()) Raise(err::kTypeMismatch);
  entries_.push_back({name, value});
}

std::optional<std::vector<uint8_t>> SettingsRecord::Bytes() const {
  Writer data;
  for (const Entry& e : entries_) {
    data.Put(static_cast<uint8_t>(e.name.size()));
    data.PutBytes(e.name);
    PutValue(data, e.value);
  }
  if (data.Out().size() > kMaxData) return std::nullopt;
  Writer record;
  record.Out().assign(kSignature, kSignature + 4);
  record.Put(kVersion);
  record.Put(static_cast<uint16_t>(entries_.size()));
  record.Put(static_cast<uint32_t>(data.Out().size()));
  record.Out().insert(record.Out().end(), data.Out().begin(), data.Out().end());
  return record.Out();
}

SettingsRecord::Status SettingsRecord::ReadHeader(const uint8_t* bytes, Header* header) {
  Reader h(bytes, kHeaderSize);
  h.Get<uint32_t>();
  const uint16_t version = *h.Get<uint16_t>();
  header->count = *h.Get<uint16_t>();
  header->length = *h.Get<uint32_t>();
  if (std::memcmp(bytes, kSignature, 4) != 0 || version != kVersion) return Status::kOtherFormat;
  return header->length > kMaxData ? Status::kDamaged : Status::kOk;
}

SettingsRecord::Status SettingsRecord::ReadEntries(const Header& header, const uint8_t* data, std::size_t size) {
  if (size != header.length) return Status::kDamaged;
  Reader r(data, size);
  std::vector<std::pair<std::string, ReadValue>> read;
  for (uint16_t i = 0; i < header.count; ++i) {
    auto name = r.GetName();
    if (!name) return Status::kDamaged;
    auto value = GetValue(r);
    if (!value) return Status::kDamaged;
    read.emplace_back(std::move(*name), std::move(*value));
  }
  if (!r.AtEnd()) return Status::kDamaged;
  std::vector<Entry> entries;
  entries.reserve(read.size());
  for (auto& [name, v] : read) entries.push_back({std::move(name), v.font ? Variant(makeFont_(*v.font)) : v.value});
  entries_ = std::move(entries);
  return Status::kOk;
}

}  // namespace kavrin

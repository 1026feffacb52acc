#include "host/form_bag.h"

#include <algorithm>

#include "common/vb_error.h"

namespace kavrin::host {

FormBag::FormBag(std::vector<TextEntry> loaded) {
  entries_.reserve(loaded.size());
  for (auto& t : loaded) {
    Entry e;
    e.name = t.name;
    e.line = t.line;
    e.text = std::move(t);
    entries_.push_back(std::move(e));
  }
}

FormBag::Entry* FormBag::Find(const std::string& name) {
  for (auto& e : entries_)
    if (e.name == name) return &e;
  return nullptr;
}

bool FormBag::Contains(const std::string& name) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name; });
}

const Variant& FormBag::Decoded(Entry& e) {
  if (!e.decoded) {
    e.value = DecodeEntry(e.text);
    e.decoded = true;
    e.text = TextEntry();
  }
  return e.value;
}

Variant FormBag::ReadProperty(const std::string& name, const Variant& def) {
  Entry* e = Find(name);
  lastReadName_ = name;
  lastReadLine_ = e != nullptr ? e->line : 0;
  if (e == nullptr) return def;
  const Variant& v = Decoded(*e);
  if (v.Type() == VarType::kFont) return Variant(v.ToFont()->Clone());
  return v;
}

void FormBag::WriteProperty(const std::string& name, const Variant& value, const Variant& def) {
  if (!IsEntryName(name)) Raise(err::kInvalidCall, "Invalid property name '" + name + "' for the form text");
  switch (value.Type()) {
    case VarType::kPicture:
    case VarType::kMissing:
      Raise(err::kTypeMismatch,
            std::string("Type mismatch: a ") + value.TypeName() + " value cannot be saved with the form (" + name + ")");
    default: break;
  }
  const bool isDefault = value.Equals(def);
  Entry* e = Find(name);
  if (isDefault) {
    if (e != nullptr) entries_.erase(entries_.begin() + (e - entries_.data()));
    return;
  }
  // A font is kept as it is now: later changes to the control's object are not saved.
  Variant stored = value.Type() == VarType::kFont ? Variant(value.ToFont()->Clone()) : value;
  if (e == nullptr) {
    entries_.push_back(Entry{name, 0, true, std::move(stored), {}});
  } else {
    e->line = 0;
    e->decoded = true;
    e->value = std::move(stored);
    e->text = TextEntry();
  }
}

void FormBag::AppendText(std::string& out, int indent) {
  for (auto& e : entries_) AppendEntry(out, indent, e.name, Decoded(e));
}

}  // namespace kavrin::host

// Fuzzes the form-text reader: any input either raises a run-time error or gives bags
// whose every entry decodes; a decoded bag written back as text must read back to the same
// values of the same types.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/vb_error.h"
#include "host/form_bag.h"
#include "host/form_text.h"

namespace {

using kavrin::Variant;
using kavrin::host::TextEntry;

bool Same(const Variant& a, const Variant& b) {
  if (a.Type() != b.Type()) return false;
  if (a.Type() == kavrin::VarType::kDouble && std::isnan(a.ToDouble())) return std::isnan(b.ToDouble());
  return a.Equals(b);
}

void CheckEntries(const std::vector<TextEntry>& entries) {
  std::vector<Variant> values;
  for (const auto& e : entries) {
    try {
      values.push_back(kavrin::host::DecodeEntry(e));
    } catch (const kavrin::RuntimeError&) {
      return;  // a bad value stops loading at its entry
    }
  }
  kavrin::host::FormBag bag;
  for (size_t i = 0; i < entries.size(); ++i) bag.WriteProperty(entries[i].name, values[i], Variant::Missing());
  std::string text = "Begin Form F\n";
  bag.AppendText(text, 1);
  text += "End\n";
  const auto again = kavrin::host::ParseFormText(text);  // must not raise
  if (again.entries.size() != entries.size()) std::abort();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (again.entries[i].name != entries[i].name) std::abort();
    if (!Same(kavrin::host::DecodeEntry(again.entries[i]), values[i])) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kavrin::host::FormText form;
  try {
    form = kavrin::host::ParseFormText(text);
  } catch (const kavrin::RuntimeError&) {
    return 0;
  }
  CheckEntries(form.entries);
  for (const auto& c : form.controls) CheckEntries(c.entries);
  return 0;
}

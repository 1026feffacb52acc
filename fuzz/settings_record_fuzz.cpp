// Fuzzes the settings record that stream containers keep: the first two bytes are the
// entry count, the rest the entries. Any input is either refused as damage or gives entries
// that, written, make a record of the same length which reads back to equal entries and is
// written again byte for byte (what is written reads back equal).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "control/settings_record.h"

namespace {

using kavrin::SettingsRecord;
using kavrin::Variant;
using kavrin::VarType;

bool Same(const Variant& a, const Variant& b) {
  if (a.Type() != b.Type()) return false;
  if (a.Type() != VarType::kDouble) return a.Equals(b);
  const double x = a.ToDouble(), y = b.ToDouble();
  return std::memcmp(&x, &y, sizeof x) == 0;  // NaNs and signed zeros too
}

SettingsRecord ReadBack(const std::vector<uint8_t>& bytes) {
  SettingsRecord::Header header;
  if (SettingsRecord::ReadHeader(bytes.data(), &header) != SettingsRecord::Status::kOk) std::abort();
  SettingsRecord record;
  if (record.ReadEntries(header, bytes.data() + SettingsRecord::kHeaderSize,
                         bytes.size() - SettingsRecord::kHeaderSize) != SettingsRecord::Status::kOk)
    std::abort();
  return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size >= SettingsRecord::kHeaderSize) {
    SettingsRecord::Header ignored;
    SettingsRecord::ReadHeader(data, &ignored);
  }
  if (size < 2) return 0;
  SettingsRecord::Header header;
  header.count = static_cast<uint16_t>(data[0] | data[1] << 8);
  header.length = static_cast<uint32_t>(size - 2);
  SettingsRecord first;
  if (first.ReadEntries(header, data + 2, size - 2) != SettingsRecord::Status::kOk) return 0;

  const auto written = first.Bytes();
  if (!written || written->size() != SettingsRecord::kHeaderSize + size - 2) std::abort();
  const SettingsRecord second = ReadBack(*written);
  if (second.Entries().size() != first.Entries().size()) std::abort();
  for (size_t i = 0; i < first.Entries().size(); ++i) {
    if (second.Entries()[i].name != first.Entries()[i].name) std::abort();
    if (!Same(second.Entries()[i].value, first.Entries()[i].value)) std::abort();
  }
  if (second.Bytes() != written) std::abort();
  return 0;
}
